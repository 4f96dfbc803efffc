#include "render/Renderer.h"

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Camera.h"
#include "render/EdgeTest.h"
#include "render/Quantize.h"
#include "render/RayMarch.h"
#include "render/Shading.h"

namespace tessaform {
namespace {

// Colour of one sample, with everything fixed per render prepared once.
template <int Power>
class SampleTracer {
public:
    SampleTracer(const FractalParams& params, const Gradient& gradient, int width, int height)
        : params_(params),
          gradient_(gradient),
          camera_(setupCamera(params, width, height)),
          march_(prepareMarch(params))
    {
    }

    Colour colourAt(float x, float y) const
    {
        const Vector3 direction = primaryRayDirection(camera_, x, y);
        const SurfaceHit hit = marchSample<Power>(camera_.eye, direction, march_);
        if (!hit.hit) {
            return params_.background;
        }
        return shadeHit(hit.point, hit.normal, camera_.eye, params_, gradient_);
    }

private:
    const FractalParams& params_;
    const Gradient& gradient_;
    Camera camera_;
    MarchSettings march_;
};

template <typename Tracer>
bool renderFirstPass(const Tracer& tracer, const PixelImage& image, RenderObserver& observer)
{
    for (int row = 0; row < image.height; ++row) {
        observer.rowStarted(RenderPass::First, row, image.height);
        for (int column = 0; column < image.width; ++column) {
            if (observer.shouldAbandon(RenderPass::First)) {
                return false;
            }
            image.at(column, row) =
                quantizeColour(tracer.colourAt(static_cast<float>(column), static_cast<float>(row)));
        }
    }
    return true;
}

Colour storedColour(std::uint32_t pixel)
{
    return {static_cast<float>((pixel >> 16) & 0xFF) * kByteToUnit,
            static_cast<float>((pixel >> 8) & 0xFF) * kByteToUnit, static_cast<float>(pixel & 0xFF) * kByteToUnit};
}

// The pixel's own first-pass value stands for the grid's (0, 0) sample; the
// grid covers half a pixel up and left, a quarter down and right.
template <typename Tracer>
std::uint32_t antiAliasedPixel(const Tracer& tracer, std::uint32_t firstPassPixel, int column, int row)
{
    constexpr float kOffsets[4] = {-0.5f, -0.25f, 0.0f, 0.25f};
    Colour sum = storedColour(firstPassPixel);
    for (float dy : kOffsets) {
        for (float dx : kOffsets) {
            if (dx == 0.0f && dy == 0.0f) {
                continue;
            }
            const Colour sample = tracer.colourAt(static_cast<float>(column) + dx, static_cast<float>(row) + dy);
            sum = {sum.r + sample.r, sum.g + sample.g, sum.b + sample.b};
        }
    }
    return quantizeColour({sum.r * 0.0625f, sum.g * 0.0625f, sum.b * 0.0625f});
}

// Works in place, so the left and upper neighbours are already smoothed
// when a pixel is tested; borders keep their first-pass colours.
template <typename Tracer>
bool renderAntiAliasPass(const Tracer& tracer, const PixelImage& image, RenderObserver& observer)
{
    if (image.height < 3) {
        return true;
    }
    for (int row = 1; row <= image.height - 2; ++row) {
        observer.rowStarted(RenderPass::AntiAlias, row, image.height);
        for (int column = 1; column <= image.width - 2; ++column) {
            if (observer.shouldAbandon(RenderPass::AntiAlias)) {
                return false;
            }
            if (isEdgePixel(image, column, row)) {
                image.at(column, row) = antiAliasedPixel(tracer, image.at(column, row), column, row);
            }
        }
    }
    return true;
}

template <int Power>
RenderOutcome renderWithPower(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                              RenderObserver& observer)
{
    const SampleTracer<Power> tracer(snapshot, gradient, image.width, image.height);
    if (!renderFirstPass(tracer, image, observer) || !renderAntiAliasPass(tracer, image, observer)) {
        return RenderOutcome::Abandoned;
    }
    return RenderOutcome::Completed;
}

}  // namespace

bool isSupportedPower(int power)
{
    return power >= 2 && power <= 5;
}

RenderOutcome renderImage(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                          RenderObserver& observer)
{
    const Gradient& table = gradient.empty() ? neutralGradient() : gradient;
    switch (snapshot.power) {
        case 2:
            return renderWithPower<2>(snapshot, table, image, observer);
        case 3:
            return renderWithPower<3>(snapshot, table, image, observer);
        case 4:
            return renderWithPower<4>(snapshot, table, image, observer);
        case 5:
            return renderWithPower<5>(snapshot, table, image, observer);
        default:
            return RenderOutcome::UnsupportedPower;
    }
}

}  // namespace tessaform
