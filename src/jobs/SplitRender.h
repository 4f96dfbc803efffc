#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"
#include "io/ImageFormats.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/RenderObserver.h"

namespace tessaform {

// One tile of a still split into horizontal bands of rows.
struct TileRequest {
    FractalParams params;
    std::shared_ptr<const Gradient> gradient;
    int width = 0;
    int height = 0;
    int tile = 1;  // K of N, from 1
    int tiles = 1;
    int firstRow = 0;  // the band's rows
    int endRow = 0;
    unsigned threads = 0;
    bool deep = false;  // the part carries float values, for deep outputs
};

// Traces the tile's band with the fast engine into a part file, through a
// temporary file and a rename.
Result<void> renderTilePart(const TileRequest& request, const std::string& path, RenderObserver& observer);

// Checks that the parts make one image, then makes its edge decisions and
// writes it row by row in the output's format and encoding, through a
// temporary file: on any failure nothing is written. The image is the one a
// single render of the same record and size draws, on a processor with the
// parts' instruction set; an output that needs float values needs parts
// rendered with them.
Result<void> assembleTileParts(const std::vector<std::string>& paths, const std::string& output,
                               const ImageEncoding& encoding, RenderObserver& observer);

}  // namespace tessaform
