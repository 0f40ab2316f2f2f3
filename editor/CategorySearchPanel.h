#pragma once

#include <QObject>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sale/CategorySearch.h"

class QLineEdit;
class QListWidget;
class QWidget;

// The search field of page 2 and the list of results that opens under it, driven from the
// keyboard: typing lists the matching categories, Down goes into the list, Return or a double
// click chooses the highlighted one, Escape closes the list. With the field empty and focused the
// list shows the recent categories.
class CategorySearchPanel : public QObject {
    Q_OBJECT

public:
    CategorySearchPanel(QLineEdit* field, QListWidget* results);
    ~CategorySearchPanel() override;

    // Builds the search over cdsCategorie and takes the recent category IDs, latest first (those
    // that can no longer be added are left out).
    void Open(const offrel::Table& cdsCategorie, const std::vector<std::int32_t>& recent);

    // The results for the field's text, or the recent categories when it is empty and focused.
    void EditRechercheChange();
    // Chooses the result at that row, empties the field and keeps the keyboard in it.
    void ListBoxResultatsChoose(int row);

signals:
    void chosen(std::int32_t id, const std::string& libelle);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Show(std::vector<offrel::CategorySearch::Category> categories);
    void Close();
    bool IsOpen() const;
    bool FieldKey(int key);
    bool ResultsKey(QEvent* event, int key);

    QLineEdit* field_;
    QListWidget* results_;
    std::optional<offrel::CategorySearch> search_;
    std::vector<offrel::CategorySearch::Category> recent_;
    std::vector<offrel::CategorySearch::Category> shown_;
};
