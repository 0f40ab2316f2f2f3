#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QPlainTextEdit;

// The description field takes no more than its column holds, as the title field stops at its
// limit, counting characters as they are stored (a line break is two). What is typed or pasted
// past the limit is not taken, and the label says so; near the limit it shows how many
// characters remain, and nothing otherwise.
class DescriptionLimit : public QObject {
    Q_OBJECT

public:
    static constexpr int kShownFrom = 500;  // characters left, or fewer

    DescriptionLimit(QPlainTextEdit* memo, QLabel* remaining, int limit);

    // The length of a text as stored.
    static int StoredLength(const QString& text);

private:
    void ContentsChange(int position, int removed, int added);
    void ShowRemaining(bool cut);

    QPlainTextEdit* memo_;
    QLabel* remaining_;
    int limit_;
    bool cutting_ = false;
};
