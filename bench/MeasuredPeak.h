#pragma once

#include <string>

namespace tessaform::bench {

// The floating-point peak as this machine delivers it: independent FMA
// chains at the instruction set the engine dispatches to, timed.
struct MeasuredPeak {
    std::string target;  // Highway's name of the instruction set measured
    int lanes = 0;       // single-precision lanes of its vectors
    unsigned threads = 0;
    double oneThreadGigaflops = 0.0;
    double allThreadsGigaflops = 0.0;
};

// Enough FMA chains in flight to cover an FMA's latency on every pipe of a
// core (4 cycles x 2 pipes needs 8), few enough to stay in registers.
inline constexpr int kFmaChains = 12;

// About a second: each figure is the best of a few runs.
MeasuredPeak measurePeak();

}  // namespace tessaform::bench
