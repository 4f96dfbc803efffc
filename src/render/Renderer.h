#pragma once

#include <cstdint>
#include <functional>

#include "render/DeepPixel.h"
#include "render/PixelImage.h"
#include "render/PowerDispatch.h"
#include "render/RenderObserver.h"
#include "render/RenderSettings.h"

namespace tessaform {

class Gradient;
struct FractalParams;

enum class RenderOutcome { Completed, Abandoned, UnsupportedPower };

// Renders the snapshot into image in two passes: one sample per pixel, then
// a 4 x 4 grid for every pixel that differs clearly from a neighbour. An
// empty gradient is replaced by a neutral grey ramp. Nothing is allocated
// per pixel. stats, when given, receives what was traced.
RenderOutcome renderImage(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                          RenderObserver& observer, const RenderSettings& settings = {}, RenderStats* stats = nullptr);

// Takes each final row, top to bottom; false stops the render.
using RowConsumer = std::function<bool(int row, const std::uint32_t* pixels)>;

// The same image as renderImage, handed over row by row as rows become
// final. The fast engine holds only a strip of stripRows + 2 rows (0: a
// strip of about 16 million pixels), so an image of any size fits in
// bounded memory; the reference engine holds the whole image.
RenderOutcome renderRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                         RenderObserver& observer, const RenderSettings& settings, const RowConsumer& consume,
                         int stripRows = 0);

// Takes each final row with its pixels' float values; false stops the render.
using DeepRowConsumer = std::function<bool(int row, const std::uint32_t* pixels, const DeepPixel* deep)>;

// renderRows' image, each row handed over with the float values of its
// pixels, for the formats that keep more than 8-bit colour. The 8-bit rows
// are renderRows' exactly. The fast engine's strip is smaller (0: about
// 2 million pixels), as a pixel's float values take eleven times its size.
RenderOutcome renderDeepRows(const FractalParams& snapshot, const Gradient& gradient, int width, int height,
                             RenderObserver& observer, const RenderSettings& settings, const DeepRowConsumer& consume,
                             int stripRows = 0);

}  // namespace tessaform
