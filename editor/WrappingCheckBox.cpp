#include "editor/WrappingCheckBox.h"

#include <QStyleOptionButton>
#include <QStylePainter>

WrappingCheckBox::WrappingCheckBox(QWidget* parent) : QCheckBox(parent) {}

void WrappingCheckBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    // The style draws the box alone; the caption goes where it would, wrapped.
    option.text.clear();
    painter.drawControl(QStyle::CE_CheckBox, option);
    option.text = caption;
    const QRect room = style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this);
    painter.drawItemText(room,
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic,
                         palette(), isEnabled(), caption, QPalette::WindowText);
}

bool WrappingCheckBox::hitButton(const QPoint& position) const {
    return rect().contains(position);
}
