#include "render/Renderer.h"

#include <tbb/info.h>
#include <tbb/task_arena.h>

#include "params/FractalParams.h"
#include "params/Gradient.h"
#include "render/ParallelPasses.h"
#include "render/SequentialPasses.h"
#include "render/SimdTracer.h"

namespace tessaform {
namespace {

template <int Power>
bool renderReference(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                     RenderObserver& observer, RenderStats& stats)
{
    const ScalarTracer<Power> tracer(snapshot, gradient, image.width, image.height);
    return SequentialPasses<Power>(tracer, image, observer, stats).run();
}

bool renderReferenceWithPower(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                              RenderObserver& observer, RenderStats& stats)
{
    return withPower(snapshot.power,
                     [&](auto power) { return renderReference<power()>(snapshot, gradient, image, observer, stats); });
}

// More threads than the machine runs at once gain nothing, and oneTBB
// would only warn about them.
int arenaConcurrency(unsigned threads)
{
    const int available = tbb::info::default_concurrency();
    return threads == 0 || threads > static_cast<unsigned>(available) ? available : static_cast<int>(threads);
}

bool renderFast(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                RenderObserver& observer, unsigned threads, RenderStats& stats)
{
    const SimdTracer tracer(snapshot, gradient, image.width, image.height);
    ParallelPasses passes(tracer, image, observer);
    tbb::task_arena arena(arenaConcurrency(threads));
    const bool finished = arena.execute([&] { return passes.run(); });
    stats = passes.stats();
    return finished;
}

}  // namespace

RenderOutcome renderImage(const FractalParams& snapshot, const Gradient& gradient, const PixelImage& image,
                          RenderObserver& observer, const RenderSettings& settings, RenderStats* stats)
{
    if (!isSupportedPower(snapshot.power)) {
        return RenderOutcome::UnsupportedPower;
    }
    const Gradient& table = gradient.empty() ? neutralGradient() : gradient;
    RenderStats traced;
    const bool finished = settings.engine == RenderEngine::Reference
                              ? renderReferenceWithPower(snapshot, table, image, observer, traced)
                              : renderFast(snapshot, table, image, observer, settings.threads, traced);
    if (stats != nullptr) {
        *stats = traced;
    }
    return finished ? RenderOutcome::Completed : RenderOutcome::Abandoned;
}

}  // namespace tessaform
