#pragma once

#include <string>

#include "render/SimdTracer.h"

namespace tessaform {

// Puts the best instruction set back even when an assertion fails.
class ForcedSimdTarget {
public:
    explicit ForcedSimdTarget(const std::string& name) : forced_(useSimdTarget(name)) {}
    ~ForcedSimdTarget() { useSimdTarget(""); }
    ForcedSimdTarget(const ForcedSimdTarget&) = delete;
    ForcedSimdTarget& operator=(const ForcedSimdTarget&) = delete;

    bool forced() const { return forced_; }

private:
    bool forced_;
};

}  // namespace tessaform
