#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "render/BandRender.h"
#include "render/TileAssembler.h"

namespace tessaform {

// Adds to each row of a band the grids of its pixels that become edges
// only through a smoothed neighbour, found by deciding the band's edges on
// its own from its first row down. Below the first few rows the band
// decides as the whole image does, so an assembly of such rows traces
// little itself; a grid added for a pixel the assembly decides otherwise
// is left unused. Holds three rows and two pending.
class LateGridTracer {
public:
    // tracer is set up for the whole image; firstRow is the band's first.
    LateGridTracer(const BatchTracer& tracer, int width, int firstRow, bool deep, BandRowConsumer consume);
    LateGridTracer(const LateGridTracer&) = delete;
    LateGridTracer& operator=(const LateGridTracer&) = delete;

    // The band's next row; false when the consumer stopped.
    bool addRow(const BandRow& values);
    // After the band's last row.
    bool finish();

private:
    struct PendingRow {
        std::vector<std::uint32_t> firstPass;
        std::vector<GridAverage> grids;
        std::vector<DeepPixel> firstPassDeep;
        std::vector<DeepPixel> gridsDeep;
    };

    void keep(PendingRow& pending, const BandRow& values) const;
    bool handOn(int row);

    int width_;
    int firstRow_;
    bool deep_;
    BandRowConsumer consume_;
    TileAssembler assembler_;
    std::array<PendingRow, 2> pending_;
    int rowsAdded_ = 0;
    std::vector<GridAverage> merged_;
    std::vector<DeepPixel> mergedDeep_;
};

}  // namespace tessaform
