#pragma once

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/Camera.h"
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

    void trace(const SamplePoint* points, std::size_t count, Colour* colours) const override
    {
        for (std::size_t i = 0; i < count; ++i) {
            colours[i] = colourAt(points[i].x, points[i].y);
        }
    }

private:
    const FractalParams& params_;
    const Gradient& gradient_;
    Camera camera_;
    MarchSettings march_;
};

}  // namespace tessaform
