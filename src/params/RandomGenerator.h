#pragma once

#include <cstdint>

#include "params/FractalParams.h"

namespace tessaform {

// The classic C runtime generator, kept exactly so that one seed always
// gives one sequence of random constants on every platform.
class RandomGenerator {
public:
    explicit RandomGenerator(std::uint32_t seed = 1) : state_(seed) {}

    void seed(std::uint32_t seed) { state_ = seed; }

    // 0..32767: bits 16 to 30 of the advanced state.
    int next()
    {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 32767u);
    }

private:
    std::uint32_t state_;
};

// A float in [-1, 1].
float randomUnit(RandomGenerator& generator);

// New constant x, y, z, w (drawn in that order) and hyperplaneW = 0.
void randomizeConstant(FractalParams& params, RandomGenerator& generator);

}  // namespace tessaform
