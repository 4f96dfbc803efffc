#pragma once

#include <QRect>
#include <QSize>

class QFontMetrics;

namespace tessaform {

// Dialog units tie a layout to its font: a quarter of the average character
// width across, an eighth of the character height down.
struct DialogBaseUnits {
    int horizontal;
    int vertical;
};

// Average width of the 52 Latin letters, rounded, and the font's height.
DialogBaseUnits dialogBaseUnits(const QFontMetrics& metrics);

// number * numerator / denominator, rounded half away from zero.
int mulDiv(int number, int numerator, int denominator);

// Position and size are converted separately, so neighbouring controls may
// differ by a pixel from what a converted right edge would give.
QRect dialogUnitsToPixels(const QRect& dialogUnits, DialogBaseUnits base);
QSize dialogUnitsToPixels(const QSize& dialogUnits, DialogBaseUnits base);

}  // namespace tessaform
