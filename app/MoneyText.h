#pragma once

#include <QLocale>
#include <QString>

#include "base/Money.h"

// An amount in the money format of the locale (currency symbol and its place, number of
// decimals) but with the application's decimal separator.
QString MoneyText(offrel::Money amount, const QLocale& locale = QLocale());
