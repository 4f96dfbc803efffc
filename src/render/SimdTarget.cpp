#include "render/SimdTarget.h"

#include <hwy/targets.h>

namespace tessaform {
namespace {

// Highway lists them best first; the processor does not change.
const std::vector<std::int64_t>& runnableTargets()
{
    static const std::vector<std::int64_t> targets = hwy::SupportedAndGeneratedTargets();
    return targets;
}

}  // namespace

std::optional<SimdTarget> SimdTarget::named(const std::string& name)
{
    for (const std::int64_t target : runnableTargets()) {
        if (name == hwy::TargetName(target)) {
            return SimdTarget(target);
        }
    }
    return std::nullopt;
}

std::string SimdTarget::name() const
{
    return hwy::TargetName(resolved());
}

// Highway's own choice of entry, made for this target alone instead of for
// the whole process.
std::size_t SimdTarget::dispatchIndex() const
{
    hwy::ChosenTarget chosen;
    chosen.Update(resolved());
    return chosen.GetIndex();
}

std::int64_t SimdTarget::resolved() const
{
    return target_ != 0 ? target_ : runnableTargets().front();
}

std::vector<std::string> availableSimdTargets()
{
    std::vector<std::string> names;
    for (const std::int64_t target : runnableTargets()) {
        names.emplace_back(hwy::TargetName(target));
    }
    return names;
}

}  // namespace tessaform
