#include "platform/gui/dialog_units.h"

#include <cmath>

#include <QFontMetrics>

namespace {

// value * base / divisor, rounded half away from zero.
int ScaleRounded(int value, double base, int divisor) {
    return static_cast<int>(std::lround(value * base / divisor));
}

} // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {letters / 52.0, metrics.height()};
}

QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base) {
    // Edges are converted one by one, so controls that touch in dialog units
    // still touch in pixels.
    const int left = ScaleRounded(units.x(), base.x, 4);
    const int top = ScaleRounded(units.y(), base.y, 8);
    const int right = ScaleRounded(units.x() + units.width(), base.x, 4);
    const int bottom = ScaleRounded(units.y() + units.height(), base.y, 8);
    return QRect(left, top, right - left, bottom - top);
}
