#pragma once

#include <QCheckBox>

// A check box whose caption wraps onto as many lines as the box's width asks, as a word-wrapped
// check box of the designed windows does; a click anywhere on the box or its caption toggles it.
class WrappingCheckBox : public QCheckBox {
    Q_OBJECT

public:
    explicit WrappingCheckBox(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};
