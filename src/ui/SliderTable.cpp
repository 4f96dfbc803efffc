#include "ui/SliderTable.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>

#include "params/ParamFields.h"

namespace tessaform {
namespace {

using enum SliderGroup;
using enum SliderScale;

constexpr std::array<SliderRow, kSliderCount> kRows{{
    {1004, 1006, "View angle Phi", View, 12, 36, 48, "phi", 0, 360, Degrees, 0},
    {1005, 1007, "View angle Theta", View, 12, 60, 72, "theta", 0, 360, Degrees, 0},
    {1009, 1008, "View distance", View, 12, 84, 96, "distance", 21, 60, Tenths, 1},
    {1010, 1011, "Constant X", Julia, 102, 143, 155, "constant.x", -100, 100, Hundredths, 2},
    {1013, 1012, "Constant Y", Julia, 102, 167, 179, "constant.y", -100, 100, Hundredths, 2},
    {1015, 1014, "Constant Z", Julia, 102, 191, 203, "constant.z", -100, 100, Hundredths, 2},
    {1017, 1016, "Constant W", Julia, 102, 215, 227, "constant.w", -100, 100, Hundredths, 2},
    {1019, 1018, "Hyperplane W", Julia, 102, 239, 251, "hyperplaneW", -100, 100, Hundredths, 2},
    {1020, 1021, "Position X", Light, 192, 143, 155, "light.x", -200, 200, Hundredths, 2},
    {1023, 1022, "Position Y", Light, 192, 167, 179, "light.y", -200, 200, Hundredths, 2},
    {1025, 1024, "Position Z", Light, 192, 191, 203, "light.z", -200, 200, Hundredths, 2},
    {1027, 1026, "Specular", Light, 192, 215, 227, "specular", 0, 400, Tenths, 2},
    {1029, 1028, "Intensity", Light, 192, 239, 251, "intensity", 0, 200, Hundredths, 2},
    {1031, 1030, "Lateral shift", View, 12, 108, 120, "lateralShift", -100, 100, Hundredths, 2},
    {1035, 1034, "Vertical shift", View, 12, 132, 144, "verticalShift", -100, 100, Hundredths, 2},
    {1042, 1043, "Iterations", Render, 12, 172, 185, "iterations", 0, 100, Whole, 0},
    {1044, 1045, "Epsilon", Render, 11, 194, 207, "epsilon", -70, -10, Decades, 6},
    {1033, 1036, "Direction X", Generalized, 282, 143, 155, "direction.x", -100, 100, Hundredths, 2},
    {1038, 1037, "Direction Y", Generalized, 282, 167, 179, "direction.y", -100, 100, Hundredths, 2},
    {1040, 1039, "Direction Z", Generalized, 282, 191, 203, "direction.z", -100, 100, Hundredths, 2},
    {1046, 1041, "Angle", Generalized, 282, 215, 227, "angle", 0, 360, Degrees, 0},
    {1051, 1050, "Power", Generalized, 282, 239, 251, "power", 2, 5, Whole, 0},
}};

constexpr float kDegreesPerRadian = 57.295776f;
constexpr float kRadiansPerDegree = 0.0174532924f;

// Toward zero; NaN and values beyond the int range give INT_MIN, as the x86
// conversion instruction does, so that the slider clamps to its minimum.
int truncateToInt(float value)
{
    constexpr float kIntLimit = 2147483648.0f;
    if (value >= -kIntLimit && value < kIntLimit) {
        return static_cast<int>(value);
    }
    return INT_MIN;
}

int slotOf(const SliderRow& row)
{
    return findParamField(row.field)->slot;
}

float floatValue(const SliderRow& row, const FractalParams& params)
{
    return readFloatSlot(params, slotOf(row));
}

int decadePosition(float value)
{
    const float decades = static_cast<float>(std::log10(static_cast<double>(value)));
    return truncateToInt(decades * 10.0f);
}

float decadeValue(int position)
{
    const float decades = static_cast<float>(position) * 0.1f;
    return static_cast<float>(std::pow(10.0, static_cast<double>(decades)));
}

// std::to_chars prints as printf does in the "C" locale, whatever the
// process locale says about the decimal separator.
std::string formatInteger(int value)
{
    std::array<char, 16> digits;
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    return {digits.data(), result.ptr};
}

std::string formatFixed(float value, int decimals)
{
    // Room for the widest float: 39 integer digits, sign, point, decimals.
    std::array<char, 64> digits;
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), static_cast<double>(value),
                                      std::chars_format::fixed, decimals);
    return {digits.data(), result.ptr};
}

}  // namespace

std::span<const SliderRow> sliderRows()
{
    return kRows;
}

std::size_t sliderIndex(std::string_view field)
{
    const auto found =
        std::find_if(kRows.begin(), kRows.end(), [field](const SliderRow& row) { return row.field == field; });
    return static_cast<std::size_t>(found - kRows.begin());
}

int steppedPosition(const SliderRow& row, int position, int steps)
{
    const long long target = static_cast<long long>(position) + steps;
    if (row.scale != Degrees) {
        return static_cast<int>(std::clamp<long long>(target, row.minimum, row.maximum));
    }
    const long long turn = row.maximum - row.minimum;
    const long long offset = ((target - row.minimum) % turn + turn) % turn;
    return static_cast<int>(row.minimum + offset);
}

int positionFromValue(const SliderRow& row, const FractalParams& params)
{
    switch (row.scale) {
        case Degrees:
            return truncateToInt(floatValue(row, params) * kDegreesPerRadian);
        case Tenths:
            return truncateToInt(floatValue(row, params) * 10.0f);
        case Hundredths:
            return truncateToInt(floatValue(row, params) * 100.0f);
        case Decades:
            return decadePosition(floatValue(row, params));
        case Whole:
            break;
    }
    return readIntegerSlot(params, slotOf(row));
}

int stepStartPosition(const SliderRow& row, const FractalParams& params, int sliderPosition)
{
    if (row.scale != Degrees) {
        return sliderPosition;
    }
    const int own = positionFromValue(row, params);
    const bool beyondRange = own != INT_MIN && (own < row.minimum || own > row.maximum);
    return beyondRange ? own : sliderPosition;
}

void storePosition(const SliderRow& row, int position, FractalParams& params)
{
    const int slot = slotOf(row);
    const float steps = static_cast<float>(position);
    switch (row.scale) {
        case Degrees:
            writeFloatSlot(params, slot, steps * kRadiansPerDegree);
            return;
        case Tenths:
            writeFloatSlot(params, slot, steps * 0.1f);
            return;
        case Hundredths:
            writeFloatSlot(params, slot, steps * 0.01f);
            return;
        case Decades:
            writeFloatSlot(params, slot, decadeValue(position));
            return;
        case Whole:
            writeIntegerSlot(params, slot, position);
            return;
    }
}

std::string labelText(const SliderRow& row, const FractalParams& params)
{
    const std::string number = row.labelDecimals == 0 ? formatInteger(positionFromValue(row, params))
                                                      : formatFixed(floatValue(row, params), row.labelDecimals);
    return std::string(row.caption) + ": " + number;
}

const std::map<int, LabelUpdater>& labelUpdaters()
{
    static const std::map<int, LabelUpdater> updaters = [] {
        std::map<int, LabelUpdater> byLabelId;
        for (const SliderRow& row : kRows) {
            byLabelId.emplace(row.labelId, [&row](const FractalParams& params) { return labelText(row, params); });
        }
        return byLabelId;
    }();
    return updaters;
}

}  // namespace tessaform
