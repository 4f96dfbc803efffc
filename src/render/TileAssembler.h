#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "render/AntiAliasGrid.h"
#include "render/BandRender.h"
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
    // that became edges only through a smoothed neighbour. With deep, every
    // row fed must carry its float values, and the rows handed on carry
    // renderDeepRows' values; without, they carry null. The first row fed
    // is image row firstRow.
    TileAssembler(const BatchTracer& tracer, int width, bool deep, DeepRowConsumer consume, int firstRow = 0);

    // grids sorted by column. False when the consumer stopped.
    bool addRow(const BandRow& values);
    // After the last row.
    bool finish();

    std::uint64_t gridsTracedHere() const { return tracedHere_; }
    // While the consumer takes a row: the grids traced here for it, by
    // column, and with deep their float values.
    std::span<const GridAverage> rowGridsTracedHere() const { return rowTraced_; }
    std::span<const DeepPixel> rowGridsTracedHereDeep() const { return rowTracedDeep_; }

private:
    std::uint32_t* bufferRow(int slot) { return rows_.data() + static_cast<std::size_t>(slot) * width_; }
    DeepPixel* deepRow(int slot);
    void keepRow(int slot, const BandRow& values);
    void shiftUp();
    bool handOnMiddleRow(int row);
    void decideMiddleRow();
    int nextMarked(int column, int end) const;
    void smoothPixel(int column, int imageRow, std::size_t grid);

    const BatchTracer& tracer_;
    int width_;
    bool deep_;
    DeepRowConsumer consume_;
    std::vector<std::uint32_t> rows_;  // the row above (final), the row, the row below
    std::vector<DeepPixel> deepRows_;  // their float values, with deep
    std::vector<std::uint8_t> edges_;  // the middle row's, before its decisions
    std::vector<GridAverage> grids_;   // the middle row's
    std::vector<DeepPixel> gridsDeep_;
    std::vector<GridAverage> rowTraced_;
    std::vector<DeepPixel> rowTracedDeep_;
    int firstRow_;
    int rowsAdded_ = 0;
    std::uint64_t tracedHere_ = 0;
};

}  // namespace tessaform
