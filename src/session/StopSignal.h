#pragma once

#include <atomic>

#include "render/RenderObserver.h"

namespace tessaform {

// What a running render asks before every pixel. Closing the high-quality
// window stops any render; a newer request stops a preview only in its
// anti-alias pass, so a preview always shows a whole first pass.
class StopSignal {
public:
    StopSignal(const std::atomic<bool>& keepRendering, const std::atomic<bool>& restartRequested, bool preview)
        : keepRendering_(keepRendering), restartRequested_(restartRequested), preview_(preview)
    {
    }

    bool shouldAbandon(RenderPass pass) const
    {
        if (!keepRendering_.load()) {
            return true;
        }
        return pass == RenderPass::AntiAlias && preview_ && restartRequested_.load();
    }

private:
    const std::atomic<bool>& keepRendering_;
    const std::atomic<bool>& restartRequested_;
    bool preview_;
};

}  // namespace tessaform
