#include "app/DateTimeText.h"

#include <QDateTime>

QString DateTimeText(std::int64_t secondsSince1970) {
    return QDateTime::fromSecsSinceEpoch(secondsSince1970)
        .toString(QStringLiteral("dd/MM/yyyy HH:mm"));
}
