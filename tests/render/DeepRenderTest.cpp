#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "math/VectorOps.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/BoundingSphere.h"
#include "render/Camera.h"
#include "render/Quantize.h"
#include "render/SimdTarget.h"
#include "support/DeepRows.h"
#include "support/RenderToPixels.h"

namespace tessaform {
namespace {

// The reference, the fast engine on every thread and on one, and each
// instruction set.
std::vector<RenderSettings> everyEngine()
{
    std::vector<RenderSettings> engines{kReference, kFast, {RenderEngine::Fast, 1}};
    for (const std::string& name : availableSimdTargets()) {
        engines.push_back({RenderEngine::Fast, 0, SimdTarget::named(name).value()});
    }
    return engines;
}

std::string describe(const RenderSettings& settings)
{
    return settings.engine == RenderEngine::Reference
               ? "reference"
               : settings.simdTarget.name() + ", " + std::to_string(settings.threads) + " threads";
}

FractalParams withLooks()
{
    FractalParams params = edgyScene();
    params.shadow = 0.9f;
    params.occlusion = 0.8f;
    params.fog = 0.3f;
    return params;
}

bool withinOneLevel(std::uint32_t a, std::uint32_t b)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 1) {
            return false;
        }
    }
    return true;
}

// Deep values change nothing of the 8-bit image, and every pixel's float
// colour is the one its 8-bit pixel quantizes: exactly for a first-pass
// pixel, within a level for a smoothed one, whose 8-bit mean starts from
// the quantized first-pass colour. Without highlights no colour exceeds 1,
// where quantizing clamps.
TEST(DeepRenderTest, TheEightBitImageStaysAndTheFloatColourIsWhatItQuantizes)
{
    for (FractalParams params : {edgyScene(), withLooks()}) {
        params.intensity = 0.0f;
        for (const RenderSettings& settings : everyEngine()) {
            SCOPED_TRACE(describe(settings));
            const DeepImage deep = renderDeepImage(params, neutralGradient(), 61, 47, settings);
            ASSERT_EQ(deep.pixels, renderPixels(params, neutralGradient(), 61, 47, settings));
            int exact = 0;
            for (std::size_t i = 0; i < deep.pixels.size(); ++i) {
                const std::uint32_t quantized = quantizeColour(deep.deep[i].colour);
                exact += quantized == deep.pixels[i] ? 1 : 0;
                ASSERT_TRUE(withinOneLevel(quantized, deep.pixels[i])) << "pixel " << i;
            }
            EXPECT_GT(exact * 10, static_cast<int>(deep.pixels.size()) * 9);
        }
    }
}

// Thread counts and strip heights never change a bit of the float values.
TEST(DeepRenderTest, ThreadsAndStripsNeverChangeTheFloatValues)
{
    const struct {
        int width;
        int height;
    } sizes[] = {{61, 47}, {17, 3}, {5, 1}};
    for (const auto& size : sizes) {
        const DeepImage whole = renderDeepImage(edgyScene(), neutralGradient(), size.width, size.height, kFast);
        for (const unsigned threads : {0u, 1u}) {
            for (const int strip : {1, 2, 7, 0}) {
                const DeepImage rows = renderDeepImage(edgyScene(), neutralGradient(), size.width, size.height,
                                                       {RenderEngine::Fast, threads}, strip);
                EXPECT_EQ(rows.pixels, whole.pixels);
                EXPECT_TRUE(sameBits(rows.deep, whole.deep))
                    << size.width << " x " << size.height << ", " << threads << " threads, strips of " << strip;
            }
        }
    }
}

// Without iterations the set is the unit ball, whose depth and normals are
// known everywhere: close up, every ray meets it nearly squarely; from far
// away the corner rays miss even the bounding sphere.
TEST(DeepRenderTest, DepthAndNormalOfAKnownSurface)
{
    constexpr int kSize = 40;
    for (const float distance : {1.6f, 6.5f}) {
        FractalParams params = defaultParams();
        params.iterations = 0;
        params.distance = distance;
        params.lateralShift = 0.0f;
        const Camera camera = setupCamera(params, kSize, kSize);
        for (const RenderSettings& settings : everyEngine()) {
            SCOPED_TRACE(describe(settings) + ", distance " + std::to_string(distance));
            const DeepImage image = renderDeepImage(params, neutralGradient(), kSize, kSize, settings);
            int partlyCovered = 0;
            for (int row = 0; row < kSize; ++row) {
                for (int column = 0; column < kSize; ++column) {
                    const DeepPixel& pixel = image.at(column, row, kSize);
                    const Vector3 ray =
                        primaryRayDirection(camera, static_cast<float>(column), static_cast<float>(row));
                    const float b = dot(camera.eye, ray);
                    const float discriminant = b * b - (dot(camera.eye, camera.eye) - 1.0f);
                    if (pixel.coverage == 0.0f) {
                        EXPECT_LT(discriminant, 0.05f) << column << ", " << row;
                        EXPECT_EQ(pixel.depth, std::numeric_limits<float>::infinity());
                        EXPECT_EQ(dot(pixel.normal, pixel.normal), 0.0f);
                        EXPECT_EQ(quantizeColour(pixel.hitColour), quantizeColour(params.background));
                        continue;
                    }
                    const float meets = -b - std::sqrt(std::max(discriminant, 0.0f));
                    const Vector3 outward = camera.eye + meets * ray;
                    EXPECT_NEAR(dot(pixel.normal, pixel.normal), 1.0f, 1e-5f);
                    EXPECT_GE(pixel.depth, distance - kBoundingRadius);
                    EXPECT_LE(pixel.depth, distance);
                    EXPECT_LT(dot(pixel.normal, ray), 0.0f) << "the normal faces the eye";
                    if (pixel.coverage < 1.0f) {
                        ++partlyCovered;
                    } else if (dot(outward, ray) < -0.5f) {
                        // A smoothed pixel's depth is the mean over its grid, up to half a pixel off.
                        EXPECT_NEAR(pixel.depth, meets, 0.01f * meets) << column << ", " << row;
                        EXPECT_GT(dot(pixel.normal, outward), 0.995f) << column << ", " << row;
                    }
                }
            }
            const bool far = distance > 6.0f;
            EXPECT_EQ(image.at(0, 0, kSize).coverage, far ? 0.0f : 1.0f);
            EXPECT_EQ(image.at(kSize / 2, kSize / 2, kSize).coverage, 1.0f);
            EXPECT_EQ(partlyCovered > 0, far) << "only a silhouette has edge pixels partly covered";
        }
    }
}

// The fast engine's float values follow the reference's closely wherever
// both drew the same pixel.
TEST(DeepRenderTest, TheFastEngineAgreesWithTheReference)
{
    const DeepImage reference = renderDeepImage(edgyScene(), neutralGradient(), 61, 47, kReference);
    for (const RenderSettings& settings : everyEngine()) {
        SCOPED_TRACE(describe(settings));
        const DeepImage fast = renderDeepImage(edgyScene(), neutralGradient(), 61, 47, settings);
        int compared = 0;
        int close = 0;
        for (std::size_t i = 0; i < fast.deep.size(); ++i) {
            const DeepPixel& a = fast.deep[i];
            const DeepPixel& b = reference.deep[i];
            if (fast.pixels[i] != reference.pixels[i] || a.coverage != 1.0f || b.coverage != 1.0f) {
                continue;
            }
            ++compared;
            close += std::fabs(a.depth - b.depth) < 1e-3f * b.depth && dot(a.normal, b.normal) > 0.99f ? 1 : 0;
        }
        EXPECT_GT(compared, 500);
        EXPECT_GT(close * 100, compared * 97) << close << " of " << compared;
    }
}

}  // namespace
}  // namespace tessaform
