#pragma once

#include <QDialog>
#include <memory>

#include "editor/EditorState.h"
#include "tables/ApplicationTables.h"

namespace Ui {
class TForm2;
}

// The sale editor: the modal window in which the seller enters a new sale or changes the current
// row of cdsVente. Created anew at every opening.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    TForm2(offrel::ApplicationTables& tables, EditorState& state, QWidget* parent = nullptr);
    ~TForm2() override;

private:
    std::unique_ptr<Ui::TForm2> ui;
    offrel::ApplicationTables& tables_;
    EditorState& state_;
};
