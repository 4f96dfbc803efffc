#include "ui/DialogUnits.h"

#include <QFontMetrics>
#include <QString>
#include <cstdint>
#include <cstdlib>

namespace tessaform {
namespace {

constexpr int kLetterCount = 52;

int toPixelsAcross(int dialogUnits, DialogBaseUnits base)
{
    return mulDiv(dialogUnits, base.horizontal, 4);
}

int toPixelsDown(int dialogUnits, DialogBaseUnits base)
{
    return mulDiv(dialogUnits, base.vertical, 8);
}

}  // namespace

DialogBaseUnits dialogBaseUnits(const QFontMetrics& metrics)
{
    const int lettersWidth =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(lettersWidth + kLetterCount / 2) / kLetterCount, metrics.height()};
}

int mulDiv(int number, int numerator, int denominator)
{
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t rounded = (std::abs(product) + std::abs(denominator) / 2) / std::abs(denominator);
    const bool negative = (product < 0) != (denominator < 0);
    return static_cast<int>(negative ? -rounded : rounded);
}

QRect dialogUnitsToPixels(const QRect& dialogUnits, DialogBaseUnits base)
{
    return {toPixelsAcross(dialogUnits.x(), base), toPixelsDown(dialogUnits.y(), base),
            toPixelsAcross(dialogUnits.width(), base), toPixelsDown(dialogUnits.height(), base)};
}

QSize dialogUnitsToPixels(const QSize& dialogUnits, DialogBaseUnits base)
{
    return {toPixelsAcross(dialogUnits.width(), base), toPixelsDown(dialogUnits.height(), base)};
}

}  // namespace tessaform
