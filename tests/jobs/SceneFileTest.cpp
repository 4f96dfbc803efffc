#include "jobs/SceneFile.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstring>
#include <fstream>
#include <string>

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

bool sameBits(const FractalParams& a, const FractalParams& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(SceneFileTest, TheWholeRecordReadsBackBitForBit)
{
    const ScratchFolder scratch("tessaform-scene");
    FractalParams looks = defaultParams();
    looks.shadow = 0.8f;
    looks.shadowSoftness = 1.5f;
    looks.occlusion = -0.0f;
    looks.occlusionRadius = 0.25f;
    looks.fog = std::bit_cast<float>(0x7FC00003u);
    looks.power = 4;
    looks.angle = 1.1f;
    for (const FractalParams& params : {defaultParams(), looks}) {
        const std::string path = scratch.filePath("scene.toml");
        ASSERT_TRUE(writeSceneFile(path, params).ok());
        const Result<FractalParams> back = readSceneFile(path);
        ASSERT_TRUE(back.ok()) << back.error();
        EXPECT_TRUE(sameBits(*back, params)) << fileBytes(path);
    }
}

TEST(SceneFileTest, AnAnimationOrAMissingFileIsRefusedWithItsReason)
{
    const ScratchFolder scratch("tessaform-scene");
    const std::string film = scratch.filePath("film.toml");
    std::ofstream(film) << "[[key]]\nframe = 0\n[[key]]\nframe = 30\nphi = 1\n";
    const Result<FractalParams> animation = readSceneFile(film);
    ASSERT_FALSE(animation.ok());
    EXPECT_NE(animation.error().find("holds 2 keys"), std::string::npos) << animation.error();
    EXPECT_NE(animation.error().find("Load animation..."), std::string::npos) << animation.error();
    EXPECT_FALSE(readSceneFile(scratch.filePath("none.toml")).ok());
}

TEST(SceneFileTest, SavingADotJ4dTellsOnlyWhenALookIsLeftOut)
{
    EXPECT_EQ(looksLeftOutOfParamsFileWarning(defaultParams()), "");
    FractalParams params = defaultParams();
    params.power = 5;  // not in a .j4d either, but no look
    EXPECT_EQ(looksLeftOutOfParamsFileWarning(params), "");
    params.occlusionRadius = 0.3f;
    const std::string warning = looksLeftOutOfParamsFileWarning(params);
    EXPECT_NE(warning.find(".toml"), std::string::npos) << warning;
    EXPECT_NE(warning.find("PNG"), std::string::npos) << warning;
}

}  // namespace
}  // namespace tessaform
