#pragma once

namespace tessaform::bench {

// The live view at 1280 x 720 on the offscreen platform: from a change of
// the live record to its first coarse image painted, its whole first pass
// and its anti-aliased image; and how many new images a second it paints
// while the record changes as in a drag.
void registerLiveViewBenchmarks();

}  // namespace tessaform::bench
