// Feeds arbitrary bytes to the keyframe reader as a .toml file and checks
// what must hold for any file: a refusal carries a reason; whatever loads
// has rising frames, writes back to a file that loads to the very same keys
// bit for bit, and gives a record at any frame without crashing.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "FuzzCheck.h"
#include "anim/Animation.h"
#include "anim/KeyframeFile.h"

namespace {

using tessaform::Animation;
using tessaform::FractalParams;

// No input names a file the fuzzer may open.
tessaform::Result<FractalParams> refuseFiles(const std::string&, const FractalParams&)
{
    return tessaform::Failure{"no files while fuzzing"};
}

bool sameAnimation(const Animation& a, const Animation& b)
{
    if (std::memcmp(&a.fps, &b.fps, sizeof a.fps) != 0 || a.interpolation != b.interpolation ||
        a.keys.size() != b.keys.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.keys.size(); ++i) {
        if (a.keys[i].frame != b.keys[i].frame ||
            std::memcmp(&a.keys[i].params, &b.keys[i].params, sizeof(FractalParams)) != 0) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const tessaform::KeyframeLoad load = tessaform::parseKeyframeText(text, "fuzz.toml", "", refuseFiles);
    if (!load.animation) {
        FUZZ_CHECK(!load.animation.error().empty());
        FUZZ_CHECK(load.problem != tessaform::KeyframeProblem::None);
        return 0;
    }
    const Animation& animation = *load.animation;
    FUZZ_CHECK(!animation.keys.empty());
    for (std::size_t i = 1; i < animation.keys.size(); ++i) {
        FUZZ_CHECK(animation.keys[i - 1].frame < animation.keys[i].frame);
    }
    const tessaform::KeyframeLoad reloaded =
        tessaform::parseKeyframeText(tessaform::keyframeFileText(animation), "again.toml", "", refuseFiles);
    FUZZ_CHECK(reloaded.animation.ok());
    FUZZ_CHECK(sameAnimation(*reloaded.animation, animation));
    const double middle = (static_cast<double>(animation.firstFrame()) + animation.lastFrame()) / 2.0;
    for (const double frame : {static_cast<double>(animation.firstFrame()) - 1.0, middle, middle + 0.37,
                               static_cast<double>(animation.lastFrame()) + 1.0}) {
        const FractalParams params = tessaform::paramsAtTime(animation, frame);
        FUZZ_CHECK(params.power >= 2 && params.power <= 5);
    }
    return 0;
}
