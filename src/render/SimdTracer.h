#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "math/Quaternion.h"
#include "math/Vector3.h"
#include "params/Colour.h"
#include "render/Camera.h"
#include "render/LookSettings.h"
#include "render/RenderSettings.h"
#include "render/SampleBatch.h"
#include "render/SimdTarget.h"

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
    LookSettings looks;

    RayWalk walk;
    std::atomic<std::uint64_t>* marchSteps;  // null: not counted
};

// Traces whole batches in vector lanes: rays that finish early hand their
// lane to the next sample of the batch. Runs the kernels of the instruction
// set it is given, whatever other tracers run on.
class SimdTracer : public BatchTracer {
public:
    // gradient must not be empty and must outlive the tracer; so must
    // marchSteps, when given.
    SimdTracer(const FractalParams& params, const Gradient& gradient, int width, int height, SimdTarget target = {},
               RayWalk walk = RayWalk::Bundled, std::atomic<std::uint64_t>* marchSteps = nullptr);

    // The instruction set its kernels were compiled for, as they name it.
    std::string instructionSet() const;

private:
    using TraceBatch = void (*)(const SimdScene&, const SamplePoint*, std::size_t, Colour*, SampleDepth*,
                                const RayBundles&);

    void traceSamples(const SamplePoint* points, std::size_t count, Colour* colours, SampleDepth* depths,
                      const RayBundles& bundles) const override;

    SimdScene scene_;
    std::size_t dispatchIndex_;
    TraceBatch traceBatch_;
};

}  // namespace tessaform
