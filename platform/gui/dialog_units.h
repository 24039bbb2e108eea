#pragma once

#include <QFont>
#include <QRect>

// Dialog units tie a layout to its font: one horizontal unit is a quarter of
// the font's average letter width, one vertical unit an eighth of its height,
// so a dialog keeps its proportions whatever font and screen it meets.
struct DialogBaseUnits {
    // Average width of the 52 letters A-Z and a-z, in pixels. Kept exact
    // rather than rounded to a whole pixel, so that texts sized for the
    // dialog font still fit when a scalable font stands in for it.
    double x;
    int y; // height of the font, in pixels
};

DialogBaseUnits BaseUnitsOf(const QFont& font);

// Converts a rectangle in dialog units to pixels, rounding to the nearest pixel.
QRect DialogUnitsToPixels(const QRect& units, DialogBaseUnits base);
