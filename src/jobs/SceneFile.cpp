#include "jobs/SceneFile.h"

#include <bit>
#include <cstdint>

#include "anim/Animation.h"
#include "anim/KeyframeFile.h"
#include "jobs/KeyframeFileIo.h"
#include "jobs/ParamFileIo.h"
#include "params/ParamFields.h"

namespace tessaform {
namespace {

bool looksDifferFromDefaults(const FractalParams& params)
{
    const FractalParams defaults = defaultParams();
    for (const ParamField& field : paramFields()) {
        if (isLookSlot(field.slot) && std::bit_cast<std::uint32_t>(readFloatSlot(params, field.slot)) !=
                                          std::bit_cast<std::uint32_t>(readFloatSlot(defaults, field.slot))) {
            return true;
        }
    }
    return false;
}

}  // namespace

Result<FractalParams> readSceneFile(const std::string& path)
{
    const KeyframeLoad load = readKeyframeFile(path, readParamsOnto);
    if (!load.animation) {
        return Failure{load.animation.error()};
    }
    const std::size_t keys = load.animation->keys.size();
    if (keys != 1) {
        return Failure{path + " holds " + std::to_string(keys) +
                       " keys: it is an animation, not one set of parameters. Open it with Load animation... in the "
                       "animation window, or render it with tessaform-render --animation."};
    }
    return load.animation->keys.front().params;
}

Result<void> writeSceneFile(const std::string& path, const FractalParams& params)
{
    Animation scene;
    scene.interpolation = defaultInterpolation();
    scene.keys = {{0, params}};
    return writeKeyframeFile(path, scene);
}

std::string looksLeftOutOfParamsFileWarning(const FractalParams& params)
{
    if (!looksDifferFromDefaults(params)) {
        return {};
    }
    return "The parameters were saved, but a .j4d file cannot hold the looks (shadow, occlusion, fog). To keep them, "
           "save the parameters as a .toml file, or render a PNG, which carries every parameter.";
}

}  // namespace tessaform
