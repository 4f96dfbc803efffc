#include "params/RandomGenerator.h"

namespace tessaform {

float randomUnit(RandomGenerator& generator)
{
    constexpr float kScale = 6.10370189e-05f;  // nearest float to 2/32767
    // Exact in double; rounded once when it becomes a float.
    return static_cast<float>(static_cast<double>(generator.next()) * static_cast<double>(kScale) - 1.0);
}

void randomizeConstant(FractalParams& params, RandomGenerator& generator)
{
    params.constant.x = randomUnit(generator);
    params.constant.y = randomUnit(generator);
    params.constant.z = randomUnit(generator);
    params.constant.w = randomUnit(generator);
    params.hyperplaneW = 0.0f;
}

}  // namespace tessaform
