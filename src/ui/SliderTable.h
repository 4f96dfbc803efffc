#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "params/FractalParams.h"

namespace tessaform {

enum class SliderGroup { View, Render, Julia, Light, Generalized };

// How a slider position and its record field map onto each other.
enum class SliderScale {
    Degrees,     // radians in the record, whole degrees on the slider
    Tenths,      // position = value x 10
    Hundredths,  // position = value x 100
    Whole,       // an integer field, position = value
    Decades,     // position = log10(value) x 10
};

// One slider with its label. Positions are in dialog units.
struct SliderRow {
    int sliderId;
    int labelId;
    std::string_view caption;
    SliderGroup group;
    int x;
    int labelTop;
    int sliderTop;
    std::string_view field;  // dotted name of the record slot it edits
    int minimum;
    int maximum;
    SliderScale scale;
    // Digits after the point in the label; 0 shows the slider's whole-number
    // reading of the value instead (whole degrees, integer fields).
    int labelDecimals;
};

inline constexpr int kSliderCount = 22;

// The 22 sliders in their fixed order, the order in which they are set.
std::span<const SliderRow> sliderRows();

// The index in sliderRows() of the slider that edits the dotted field name.
std::size_t sliderIndex(std::string_view field);

// The position `steps` away: angles go round the circle, other scales stop
// at the ends of the range.
int steppedPosition(const SliderRow& row, int position, int steps);

// The position that shows the field's value, not yet clamped to the range.
int positionFromValue(const SliderRow& row, const FractalParams& params);
// Where a step of the mouse starts: the slider's position, or for an angle
// beyond its range (a key stored past a whole turn) the angle's own, so
// that the view goes on turning from where it is.
int stepStartPosition(const SliderRow& row, const FractalParams& params, int sliderPosition);
// Stores the value that the position stands for into the row's field.
void storePosition(const SliderRow& row, int position, FractalParams& params);
// "<caption>: <number>", always with '.' as the decimal separator.
std::string labelText(const SliderRow& row, const FractalParams& params);

// Writes one label's text from the record.
using LabelUpdater = std::function<std::string(const FractalParams&)>;

// One updater per label, keyed and iterated by label id; made on first use
// and never changed afterwards.
const std::map<int, LabelUpdater>& labelUpdaters();

}  // namespace tessaform
