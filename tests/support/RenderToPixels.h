#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Renderer.h"
#include "support/RecordingObserver.h"

namespace tessaform {

// No render ever writes a non-zero top byte.
constexpr std::uint32_t kUnwritten = 0xAB000000u;

constexpr RenderSettings kReference{RenderEngine::Reference, 1};
constexpr RenderSettings kFast{RenderEngine::Fast, 0};

struct Rendered {
    std::vector<std::uint32_t> pixels;
    RenderOutcome outcome;
};

inline Rendered render(const FractalParams& params, const Gradient& gradient, int width, int height,
                       const RenderSettings& settings, RenderObserver& observer)
{
    Rendered result{
        std::vector<std::uint32_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kUnwritten), {}};
    result.outcome = renderImage(params, gradient, {result.pixels.data(), width, height}, observer, settings);
    return result;
}

// Power 3, rotated, seen from an angle: edges of every kind.
inline FractalParams edgyScene()
{
    FractalParams params = defaultParams();
    params.power = 3;
    params.angle = 0.7f;
    params.direction = {0.2f, 0.9f, 0.1f};
    return params;
}

// The whole image, rendered to its end.
inline std::vector<std::uint32_t> renderPixels(const FractalParams& params, const Gradient& gradient, int width,
                                               int height, const RenderSettings& settings)
{
    RecordingObserver observer;
    Rendered image = render(params, gradient, width, height, settings, observer);
    EXPECT_EQ(image.outcome, RenderOutcome::Completed);
    return std::move(image.pixels);
}

}  // namespace tessaform
