#include "editor/CategorySearchPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <algorithm>

#include "gui/ErrorReport.h"
#include "gui/HandlerConnection.h"
#include "gui/QtText.h"

namespace {

constexpr int kVisibleRows = 12;  // more results scroll

}  // namespace

CategorySearchPanel::CategorySearchPanel(QLineEdit* field, QListWidget* results)
    : QObject(field), field_(field), results_(results) {
    results_->hide();
    field_->installEventFilter(this);
    results_->installEventFilter(this);
    ConnectHandler(field_, &QLineEdit::textChanged, this,
                   &CategorySearchPanel::EditRechercheChange);
    ConnectHandler(results_, &QListWidget::itemDoubleClicked, this,
                   [this](QListWidgetItem* item) { ListBoxResultatsChoose(results_->row(item)); });
    // The list is a popup: it closes as soon as the keyboard goes anywhere else.
    ConnectHandler(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != field_ && now != results_) Close();
    });
}

CategorySearchPanel::~CategorySearchPanel() = default;

void CategorySearchPanel::Open(const offrel::Table& cdsCategorie,
                               const std::vector<std::int32_t>& recent) {
    search_.emplace(cdsCategorie);
    recent_.clear();
    for (std::int32_t id : recent)
        if (auto category = search_->ById(id)) recent_.push_back(std::move(*category));
}

void CategorySearchPanel::EditRechercheChange() {
    if (!search_) return;
    const QString text = field_->text();
    if (!text.isEmpty())
        Show(search_->Find(ToW1252(text)));
    else if (field_->hasFocus())
        Show(recent_);
    else
        Close();
}

void CategorySearchPanel::ListBoxResultatsChoose(int row) {
    if (row < 0 || row >= static_cast<int>(shown_.size())) return;
    const offrel::CategorySearch::Category category = shown_[row];
    emit chosen(category.id, category.libelle);
    field_->setFocus(Qt::OtherFocusReason);
    field_->clear();
}

void CategorySearchPanel::Show(std::vector<offrel::CategorySearch::Category> categories) {
    shown_ = std::move(categories);
    if (shown_.empty()) {
        Close();
        return;
    }
    QStringList items;
    items.reserve(static_cast<qsizetype>(shown_.size()));
    for (const offrel::CategorySearch::Category& category : shown_)
        items.append(FromW1252(offrel::ResultText(category)));
    results_->clear();
    results_->addItems(items);
    results_->setCurrentRow(0);
    const int rows = std::min(static_cast<int>(shown_.size()), kVisibleRows);
    results_->resize(results_->width(),
                     rows * results_->sizeHintForRow(0) + 2 * results_->frameWidth());
    results_->show();
    results_->raise();
}

void CategorySearchPanel::Close() {
    results_->hide();
}

bool CategorySearchPanel::IsOpen() const {
    return !results_->isHidden();
}

bool CategorySearchPanel::FieldKey(int key) {
    switch (key) {
        case Qt::Key_Down:
            if (!IsOpen()) EditRechercheChange();
            if (IsOpen()) results_->setFocus(Qt::OtherFocusReason);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Never the dialog's default button: Return belongs to the search here.
            if (IsOpen()) ListBoxResultatsChoose(results_->currentRow());
            return true;
        case Qt::Key_Escape:
            // Closed, Escape keeps its meaning in the editor.
            if (!IsOpen()) return false;
            Close();
            return true;
        default:
            return false;
    }
}

bool CategorySearchPanel::ResultsKey(QEvent* event, int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ListBoxResultatsChoose(results_->currentRow());
            return true;
        case Qt::Key_Escape:
            field_->setFocus(Qt::OtherFocusReason);
            Close();
            return true;
        case Qt::Key_Up:
            if (results_->currentRow() > 0) return false;
            field_->setFocus(Qt::OtherFocusReason);
            return true;
        case Qt::Key_Backspace:
            break;
        default:
            if (static_cast<QKeyEvent*>(event)->text().isEmpty() ||
                !static_cast<QKeyEvent*>(event)->text().front().isPrint())
                return false;
    }
    // Typing goes on in the field.
    field_->setFocus(Qt::OtherFocusReason);
    QCoreApplication::sendEvent(field_, event);
    return true;
}

bool CategorySearchPanel::eventFilter(QObject* watched, QEvent* event) {
    bool handled = false;
    RunReportingErrors([&] {
        if (event->type() == QEvent::FocusIn && watched == field_ && field_->text().isEmpty()) {
            EditRechercheChange();
            return;
        }
        if (event->type() != QEvent::KeyPress) return;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return;
        handled = watched == field_ ? FieldKey(key->key()) : ResultsKey(event, key->key());
    });
    return handled;
}
