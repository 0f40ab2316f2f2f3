#pragma once

#include <QProxyStyle>

// Shows every character of a password edit as "*".
class PasswordStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override;
};
