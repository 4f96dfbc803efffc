#pragma once

#include "math/VectorOps.h"
#include "render/DeepPixel.h"

namespace tessaform {

// A first-pass pixel's float values: its one sample. A miss's colour is the
// background, so it stands as the hit colour too.
inline DeepPixel deepSample(const Colour& colour, const SampleDepth& depth)
{
    return {colour, colour, depth.hit() ? 1.0f : 0.0f, depth.depth, depth.normal};
}

// The float values of a pixel over its samples, summed in the order they
// are added, so that every engine and tiling gets the same bits.
class DeepSum {
public:
    void add(const Colour& colour, const SampleDepth& depth)
    {
        ++samples_;
        colour_ = {colour_.r + colour.r, colour_.g + colour.g, colour_.b + colour.b};
        if (!depth.hit()) {
            return;
        }
        ++hits_;
        hitColour_ = {hitColour_.r + colour.r, hitColour_.g + colour.g, hitColour_.b + colour.b};
        depth_ += depth.depth;
        normal_ = normal_ + depth.normal;
    }

    // missColour: the hit colour when no sample hit, the background.
    DeepPixel mean(const Colour& missColour) const
    {
        const float share = 1.0f / static_cast<float>(samples_);
        DeepPixel pixel{{colour_.r * share, colour_.g * share, colour_.b * share}, missColour, 0.0f};
        if (hits_ > 0) {
            const auto hits = static_cast<float>(hits_);
            pixel.hitColour = {hitColour_.r / hits, hitColour_.g / hits, hitColour_.b / hits};
            pixel.coverage = hits * share;
            pixel.depth = depth_ / hits;
            pixel.normal = normalized(normal_);
        }
        return pixel;
    }

private:
    int samples_ = 0;
    int hits_ = 0;
    Colour colour_{0.0f, 0.0f, 0.0f};
    Colour hitColour_{0.0f, 0.0f, 0.0f};
    float depth_ = 0.0f;
    Vector3 normal_{0.0f, 0.0f, 0.0f};
};

}  // namespace tessaform
