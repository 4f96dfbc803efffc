#pragma once

#include <istream>
#include <string>

namespace tessaform::bench {

// What /proc/cpuinfo says about the machine.
struct Processor {
    std::string model;
    double megahertz;  // as reported, which is not necessarily the boost clock
    unsigned logicalCores;
};

// From /proc/cpuinfo, or from text in its format.
Processor describeProcessor();
Processor describeProcessor(std::istream& cpuinfo);

// The assumed FMA throughput: two vector FMA pipes per core, each as wide
// as the instruction set's vectors, one FMA per pipe and cycle.
inline constexpr int kFmaPipesPerCore = 2;

// Single-precision lanes of a Highway target by name: 16 for AVX-512,
// 8 for AVX2, 4 for the 128-bit sets, 1 otherwise.
int floatLanes(const std::string& simdTarget);

// cores x lanes x pipes x 2 flops per FMA x clock, in GFLOP/s.
double peakGigaflops(const Processor& processor, unsigned cores, int lanes);

}  // namespace tessaform::bench
