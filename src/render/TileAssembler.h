#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "render/AntiAliasGrid.h"
#include "render/Renderer.h"
#include "render/SampleBatch.h"

namespace tessaform {

// Makes the edge decisions of a split render in their plain order, from
// its rows' first-pass values and pre-traced grid averages fed top to
// bottom, and hands each row on once final: the rows of a render in one
// process. Holds three rows.
class TileAssembler {
public:
    // tracer, set up for the whole image, traces the grids of the pixels
    // that became edges only through a smoothed neighbour.
    TileAssembler(const BatchTracer& tracer, int width, RowConsumer consume);

    // grids sorted by column. False when the consumer stopped.
    bool addRow(const std::uint32_t* firstPass, std::span<const GridAverage> grids);
    // After the last row.
    bool finish();

    std::uint64_t gridsTracedHere() const { return tracedHere_; }

private:
    std::uint32_t* bufferRow(int slot) { return rows_.data() + static_cast<std::size_t>(slot) * width_; }
    void decideMiddleRow();

    const BatchTracer& tracer_;
    int width_;
    RowConsumer consume_;
    std::vector<std::uint32_t> rows_;  // the row above (final), the row, the row below
    std::vector<GridAverage> grids_;   // the middle row's
    int rowsAdded_ = 0;
    std::uint64_t tracedHere_ = 0;
};

}  // namespace tessaform
