#include "app/ChangeNames.h"

QString ChangeName(const QString& kind, int sales) {
    if (sales == 1) return kind + QStringLiteral(" d'une vente");
    return QStringLiteral("%1 de %2 ventes").arg(kind).arg(sales);
}

QString UndoneLine(const QString& change, bool undone) {
    return change + (undone ? QStringLiteral(" annulée") : QStringLiteral(" rétablie"));
}
