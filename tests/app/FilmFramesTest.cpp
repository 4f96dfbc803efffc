#include "app/FilmFrames.h"

#include <gtest/gtest.h>

#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "app/FrameClaim.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

using namespace std::chrono_literals;

// Stands in for another run that finishes a frame while this one renders
// a later one.
class OtherRunMeanwhile : public FilmObserver {
public:
    explicit OtherRunMeanwhile(std::function<void()> finish) : finish_(std::move(finish)) {}

    void frameStarted(std::size_t, std::size_t, int) override {}
    void rowFinished(RenderPass, int, int) override {}
    bool shouldAbandon(RenderPass) override { return false; }
    void frameWritten() override { finish_(); }

private:
    std::function<void()> finish_;
};

// Of the frames other runs hold, those whose images are there by the end
// are done; only the rest are left to others.
TEST(FilmFramesTest, FramesHeldByOthersCountAsLeftOnlyWhileTheirImagesAreMissing)
{
    const ScratchFolder scratch("tessaform-film-frames");
    const std::string liveClaim = "elsewhere 4242 99 " + std::to_string(std::time(nullptr)) + "\n";
    for (const char* image : {"f_0.tga", "f_1.tga"}) {
        writeFileBytes(FrameClaim::claimPathFor(scratch.filePath(image)), liveClaim);
    }
    const std::vector<int> frames{0, 1, 2};
    const Result<FilmOutputs> outputs = planFilmOutputs({scratch.filePath("f_%d.tga")}, frames.size());
    ASSERT_TRUE(outputs.ok());
    const auto canvas = createFrameBuffer(8, 6);
    FilmFrames film{frames, *outputs, 30.0, FilmFrames::kDefaultQuality, true, [](int) { return defaultParams(); }};
    film.claimsStaleAfter = 3600s;
    OtherRunMeanwhile observer([&] { writeFileBytes(scratch.filePath("f_0.tga"), "an image"); });

    const FilmEnd end = renderFilmFrames(film, neutralGradient(), *canvas, observer);
    EXPECT_TRUE(end.files.ok()) << end.files.error();
    EXPECT_EQ(end.framesWritten, 1);
    EXPECT_EQ(end.framesSkipped, 1);
    EXPECT_EQ(end.framesLeftToOthers, 1);
}

}  // namespace
}  // namespace tessaform
