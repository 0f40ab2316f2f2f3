#pragma once

#include <QProxyStyle>

// Tabs as narrow as the designed windows drew them: the text with a few pixels either side, so
// that the editor's five tabs stand whole side by side in its width.
class CompactTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};
