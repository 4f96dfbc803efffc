#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaform {

// An instruction set the vector kernels are built for. Each tracer is handed
// its own, so that renders in one process may run on different ones at once.
// The default is the best this processor runs; another is chosen by name,
// for measurements and for finishing work traced elsewhere exactly.
class SimdTarget {
public:
    constexpr SimdTarget() = default;

    // One of availableSimdTargets(); nothing for any other name.
    static std::optional<SimdTarget> named(const std::string& name);

    // As Highway names it.
    std::string name() const;

    // The entry of a Highway dispatch table (HWY_EXPORT) that holds this
    // instruction set's kernel.
    std::size_t dispatchIndex() const;

private:
    explicit SimdTarget(std::int64_t target) : target_(target) {}
    std::int64_t resolved() const;

    std::int64_t target_ = 0;  // as Highway numbers it; 0: the best
};

// Every instruction set this build has kernels for and this processor runs,
// the best first.
std::vector<std::string> availableSimdTargets();

}  // namespace tessaform
