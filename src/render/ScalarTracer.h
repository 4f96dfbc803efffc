#pragma once

#include <cmath>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Camera.h"
#include "render/LookSettings.h"
#include "render/Looks.h"
#include "render/RayMarch.h"
#include "render/SampleBatch.h"
#include "render/Shading.h"

namespace tessaform {

// Colour of one sample, one ray at a time, with everything fixed per render
// prepared once. The reference every faster tracer is checked against.
template <int Power>
class ScalarTracer : public BatchTracer {
public:
    ScalarTracer(const FractalParams& params, const Gradient& gradient, int width, int height)
        : params_(params),
          gradient_(gradient),
          camera_(setupCamera(params, width, height)),
          march_(prepareMarch(params)),
          looks_(prepareLooks(params, march_.epsilon))
    {
    }

    // depth, when given, receives what the ray met.
    Colour colourAt(float x, float y, SampleDepth* depth = nullptr) const
    {
        const Vector3 direction = primaryRayDirection(camera_, x, y);
        const SurfaceHit hit = marchSample<Power>(camera_.eye, direction, march_);
        if (!hit.hit) {
            return params_.background;
        }
        if (depth != nullptr) {
            *depth = depthOfHit(hit);
        }
        const Colour shaded = shadeHit(hit.point, hit.normal, camera_.eye, params_, gradient_);
        if (!looks_.anyOn()) {
            return shaded;
        }
        return withLooks<Power>(shaded, hit, camera_.eye, params_.light, params_.background, march_, looks_);
    }

private:
    // The plain walk, one ray at a time: bundles are the fast engine's.
    void traceSamples(const SamplePoint* points, std::size_t count, Colour* colours, SampleDepth* depths,
                      const RayBundles&) const override
    {
        for (std::size_t i = 0; i < count; ++i) {
            if (depths == nullptr) {
                colours[i] = colourAt(points[i].x, points[i].y);
            } else {
                depths[i] = {};
                colours[i] = colourAt(points[i].x, points[i].y, &depths[i]);
            }
        }
    }

    // The march's normal points into the surface; a compositor expects it
    // out of the surface, toward the eye.
    SampleDepth depthOfHit(const SurfaceHit& hit) const
    {
        const Vector3 fromEye = hit.point - camera_.eye;
        return {std::sqrt(dot(fromEye, fromEye)), (-1.0f) * hit.normal};
    }

    const FractalParams& params_;
    const Gradient& gradient_;
    Camera camera_;
    MarchSettings march_;
    LookSettings looks_;
};

}  // namespace tessaform
