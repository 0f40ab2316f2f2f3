#include "app/MoneyText.h"

#include "base/Conversions.h"

QString MoneyText(offrel::Money amount, const QLocale& locale) {
    QString text = locale.toCurrencyString(amount.ToDouble());
    const QString point = locale.decimalPoint();
    const qsizetype at = text.lastIndexOf(point);
    if (at >= 0) text.replace(at, point.size(), QLatin1Char(offrel::DecimalSeparator()));
    return text;
}
