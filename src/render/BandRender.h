#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "render/AntiAliasGrid.h"
#include "render/DeepPixel.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"
#include "render/Renderer.h"
#include "render/SimdTarget.h"

namespace tessaform {

class Gradient;
struct FractalParams;

// One row of a band: its first-pass values and the grid averages of its
// pixels that are edges by first-pass values alone; with deep values also
// the float values of both (else null and empty).
struct BandRow {
    const std::uint32_t* firstPass;
    std::span<const GridAverage> grids;
    const DeepPixel* firstPassDeep;
    std::span<const DeepPixel> gridsDeep;
};

// Takes the band's rows, top to bottom; false stops the render.
using BandRowConsumer = std::function<bool(int row, const BandRow& values)>;

// A tile of a split render: rows [firstRow, endRow) of a width x height
// image, traced but not decided, so that the tiles' rows together let the
// edge decisions be made in their plain order afterwards. Rows on either
// side of the band are traced too, to find the band's edges. The fast
// engine only, on the given instruction set; it holds a strip of
// stripRows + 2 rows (0: as renderRows, or renderDeepRows with deep).
RenderOutcome renderBand(const FractalParams& snapshot, const Gradient& gradient, int width, int height, int firstRow,
                         int endRow, RenderObserver& observer, unsigned threads, SimdTarget target, bool deep,
                         const BandRowConsumer& consume, int stripRows = 0);

}  // namespace tessaform
