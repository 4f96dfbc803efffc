#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "params/Colour.h"
#include "render/Camera.h"
#include "render/SampleBatch.h"

namespace tessaform {

class Gradient;
struct FractalParams;

// Everything the vector kernels read, fixed for one render.
struct SimdScene {
    Camera camera;

    Quaternion q;
    Quaternion k;
    bool rotated;  // false when q is the identity: z <- z^n + c
    float hyperplaneW;
    std::int32_t iterationCap;
    float epsilon;
    std::int32_t stepLimit;

    Vector3 light;
    float specular;
    float specularOfZero;  // pow(0, specular), the highlight of a grazing reflection
    float intensity;
    Colour background;
    const Colour* gradient;
    int gradientCount;
    int power;
};

// Traces whole batches in vector lanes: rays that finish early hand their
// lane to the next sample of the batch. Dispatches at run time to the best
// instruction set the processor has.
class SimdTracer : public BatchTracer {
public:
    // gradient must not be empty and must outlive the tracer.
    SimdTracer(const FractalParams& params, const Gradient& gradient, int width, int height);

    void trace(const SamplePoint* points, std::size_t count, Colour* colours) const override;

private:
    SimdScene scene_;
};

// The instruction set the tracer runs on now, as Highway names it.
std::string activeSimdTarget();

// Every instruction set this build has kernels for and this processor runs.
std::vector<std::string> availableSimdTargets();

// Makes the tracer use the named instruction set (one of the available
// ones), or the best again for an empty name. For measurements, and for
// finishing work traced elsewhere exactly; no render may be running. False
// for an unknown name.
bool useSimdTarget(const std::string& name);

}  // namespace tessaform
