#include "editor/CompactTabStyle.h"

namespace {

constexpr int kTabTextMargins = 12;  // both sides together, in pixels of the windows' layout

}  // namespace

int CompactTabStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                                 const QWidget* widget) const {
    if (metric == PM_TabBarTabHSpace) return kTabTextMargins;
    return QProxyStyle::pixelMetric(metric, option, widget);
}
