#include "editor/DescriptionLimit.h"

#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

#include "gui/HandlerConnection.h"

namespace {

// Stored characters: a surrogate pair is one ("?"), a line break two (CR LF).
int StoredWidth(const QString& text, qsizetype& at) {
    const QChar c = text[at++];
    if (c.isHighSurrogate() && at < text.size() && text[at].isLowSurrogate()) ++at;
    return c == QLatin1Char('\n') || c == QChar::ParagraphSeparator ? 2 : 1;
}

}  // namespace

DescriptionLimit::DescriptionLimit(QPlainTextEdit* memo, QLabel* remaining, int limit)
    : QObject(memo), memo_(memo), remaining_(remaining), limit_(limit) {
    ConnectHandler(memo->document(), &QTextDocument::contentsChange, this,
                   &DescriptionLimit::ContentsChange);
    ShowRemaining(false);
}

int DescriptionLimit::StoredLength(const QString& text) {
    int length = 0;
    for (qsizetype at = 0; at < text.size();) length += StoredWidth(text, at);
    return length;
}

void DescriptionLimit::ContentsChange(int position, int /*removed*/, int added) {
    if (cutting_) return;
    const QString text = memo_->toPlainText();
    int excess = StoredLength(text) - limit_;
    if (excess <= 0 || added <= 0) {
        ShowRemaining(false);
        return;
    }
    // The added text keeps as much of its start as the limit leaves room for.
    const QString inserted = text.mid(position, added);
    int room = StoredLength(inserted) - excess;
    qsizetype kept = 0;
    while (kept < inserted.size()) {
        qsizetype next = kept;
        room -= StoredWidth(inserted, next);
        if (room < 0) break;
        kept = next;
    }
    cutting_ = true;
    QTextCursor cursor(memo_->document());
    const int end = std::min(position + added, static_cast<int>(text.size()));
    cursor.setPosition(position + static_cast<int>(kept));
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cutting_ = false;
    memo_->setTextCursor(cursor);
    ShowRemaining(true);
}

void DescriptionLimit::ShowRemaining(bool cut) {
    const int left = limit_ - StoredLength(memo_->toPlainText());
    const QString limit = QLocale(QLocale::French).toString(limit_);
    QString text;
    if (cut) {
        text = QStringLiteral(
                   "Limite de %1 caractères atteinte : la fin du texte ajouté n'a pas "
                   "été prise")
                   .arg(limit);
    } else if (left <= 0) {
        text = QStringLiteral("Limite de %1 caractères atteinte").arg(limit);
    } else if (left <= kShownFrom) {
        text = left == 1 ? QStringLiteral("Il reste 1 caractère")
                         : QStringLiteral("Il reste %1 caractères").arg(left);
    }
    remaining_->setText(text);
}
