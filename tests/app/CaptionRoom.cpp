#include "CaptionRoom.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>
#include <QToolButton>

#include "editor/WrappingCheckBox.h"

namespace {

// Where a caption is drawn and what it takes: the rectangle its style gives it, the text as
// shown and how it is laid out there.
struct Caption {
    const QWidget* widget;
    QString text;
    QRect room;  // in the widget's coordinates
    int flags;   // alignment and wrapping
};

// The text as shown: "&&" shows as "&", a single "&" marks a shortcut and does not show.
QString Shown(const QString& caption) {
    QString text;
    for (qsizetype k = 0; k < caption.size(); ++k) {
        if (caption[k] == QLatin1Char('&') && k + 1 < caption.size()) ++k;
        text += caption[k];
    }
    return text;
}

QString Describe(const Caption& caption, QSize needed) {
    return QStringLiteral("%1 \"%2\": needs %3 x %4, has %5 x %6")
        .arg(caption.widget->objectName().isEmpty()
                 ? QString::fromLatin1(caption.widget->metaObject()->className())
                 : caption.widget->objectName(),
             caption.text)
        .arg(needed.width())
        .arg(needed.height())
        .arg(caption.room.width())
        .arg(caption.room.height());
}

// The caption's cut, or an empty text when it shows whole: its lines (wrapped at the room's
// width when it wraps) must fit the room, and the room where they stand must lie within the
// widget and every widget that holds it up to the window.
QString Cut(const Caption& caption, const QWidget* window) {
    const QFontMetrics metrics = caption.widget->fontMetrics();
    const bool wraps = caption.flags & Qt::TextWordWrap;
    const QRect layout(0, 0, wraps ? caption.room.width() : 1 << 20, 1 << 20);
    const QSize needed =
        metrics
            .boundingRect(layout, Qt::AlignLeft | Qt::AlignTop | (caption.flags & Qt::TextWordWrap),
                          caption.text)
            .size();
    if (needed.width() > caption.room.width() || needed.height() > caption.room.height())
        return Describe(caption, needed);
    const QRect drawn = QStyle::alignedRect(caption.widget->layoutDirection(),
                                            Qt::Alignment(caption.flags), needed, caption.room);
    for (const QWidget* holder = caption.widget; holder; holder = holder->parentWidget()) {
        const QRect inHolder(holder->mapFromGlobal(caption.widget->mapToGlobal(drawn.topLeft())),
                             drawn.size());
        if (!holder->rect().contains(inHolder))
            return Describe(caption, needed) + QStringLiteral(", clipped by ") +
                   holder->objectName();
        if (holder == window) break;
    }
    return QString();
}

QStyleOptionButton ButtonOption(const QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    if (auto* push = qobject_cast<const QPushButton*>(button)) {
        if (push->autoDefault()) option.features |= QStyleOptionButton::AutoDefaultButton;
        if (push->isDefault()) option.features |= QStyleOptionButton::DefaultButton;
        if (push->isFlat()) option.features |= QStyleOptionButton::Flat;
    }
    return option;
}

void AddLabel(const QLabel* label, QList<Caption>& captions) {
    if (label->text().isEmpty()) return;
    const int margin = label->margin();
    QRect room = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    if (label->indent() > 0) room.adjust(label->indent(), 0, -label->indent(), 0);
    // Every text of these windows is plain: a label shows it as it is.
    captions.append({label, label->text(), room,
                     int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0)});
}

void AddButton(const QAbstractButton* button, QList<Caption>& captions) {
    if (button->text().isEmpty()) return;
    const QStyleOptionButton option = ButtonOption(button);
    QStyle* style = button->style();
    if (qobject_cast<const QPushButton*>(button)) {
        captions.append({button, Shown(button->text()),
                         style->subElementRect(QStyle::SE_PushButtonContents, &option, button),
                         Qt::AlignCenter});
    } else if (qobject_cast<const QRadioButton*>(button)) {
        captions.append({button, Shown(button->text()),
                         style->subElementRect(QStyle::SE_RadioButtonContents, &option, button),
                         Qt::AlignLeft | Qt::AlignVCenter});
    } else if (qobject_cast<const QCheckBox*>(button)) {
        const bool wraps = qobject_cast<const WrappingCheckBox*>(button);
        captions.append({button, Shown(button->text()),
                         style->subElementRect(QStyle::SE_CheckBoxContents, &option, button),
                         int(Qt::AlignLeft | Qt::AlignVCenter) | (wraps ? Qt::TextWordWrap : 0)});
    }
}

void AddGroupTitle(const QGroupBox* box, QList<Caption>& captions) {
    if (box->title().isEmpty()) return;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    // The style sizes the title's rectangle to the whole text: it is cut where the box is
    // narrower, which the check against the holders sees.
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    captions.append({box, Shown(box->title()), label, Qt::AlignCenter});
}

// A tab shows whole when its text fits the text rectangle of its tab and the tab stands within
// the bar, with no scroll buttons over it.
void AddTabs(const QTabBar* bar, QList<Caption>& captions, QStringList& cut) {
    for (const QToolButton* scroll : bar->findChildren<QToolButton*>())
        if (scroll->isVisibleTo(bar)) {
            cut.append(QStringLiteral("%1: the tabs need scroll buttons (%2 wide for %3)")
                           .arg(bar->parentWidget()->objectName())
                           .arg(bar->sizeHint().width())
                           .arg(bar->width()));
            break;
        }
    for (int tab = 0; tab < bar->count(); ++tab) {
        QStyleOptionTab option;
        option.initFrom(bar);
        option.rect = bar->tabRect(tab);
        option.text = bar->tabText(tab);
        option.shape = bar->shape();
        const QRect text = bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar);
        captions.append({bar, Shown(bar->tabText(tab)), text, Qt::AlignCenter});
    }
}

}  // namespace

QStringList CutCaptions(const QWidget* window) {
    QList<Caption> captions;
    QStringList cut;
    QList<const QWidget*> widgets{window};
    for (const QWidget* child : window->findChildren<QWidget*>()) widgets.append(child);
    for (const QWidget* widget : widgets) {
        if (widget != window && !widget->isVisibleTo(window)) continue;
        if (auto* label = qobject_cast<const QLabel*>(widget))
            AddLabel(label, captions);
        else if (auto* button = qobject_cast<const QAbstractButton*>(widget))
            AddButton(button, captions);
        else if (auto* box = qobject_cast<const QGroupBox*>(widget))
            AddGroupTitle(box, captions);
        else if (auto* bar = qobject_cast<const QTabBar*>(widget))
            AddTabs(bar, captions, cut);
    }
    for (const Caption& caption : captions) {
        const QString problem = Cut(caption, window);
        if (!problem.isEmpty()) cut.append(problem);
    }
    return cut;
}
