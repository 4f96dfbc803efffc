#include "jobs/FilmFrames.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "jobs/FrameClaim.h"
#include "support/FileBytes.h"
#include "support/FilmDecoding.h"
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

namespace fs = std::filesystem;

// Stops the render of the frame it is told to, before anything is drawn.
class StoppingObserver : public FilmObserver {
public:
    explicit StoppingObserver(std::size_t stopAt) : stopAt_(stopAt) {}

    void frameStarted(std::size_t index, std::size_t, int) override { index_ = index; }
    void rowFinished(RenderPass, int, int) override {}
    bool shouldAbandon(RenderPass) override { return index_ >= stopAt_; }

private:
    std::size_t stopAt_;
    std::size_t index_ = 0;
};

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

// An old film of the target's name is replaced only by a finished film that
// holds at least one frame; however else the run ends, the old one stays and
// no temporary file is left.
TEST(FilmFramesTest, AFilmReplacesTheOldOneOnlyWhenFinished)
{
    constexpr std::size_t kNever = 99;
    const struct {
        const char* how;
        std::size_t stopAt;
        int memoryRunsOutAt;
        std::size_t framesInNewFilm;  // 0: the old film stays
        std::string error;
    } cases[] = {
        {"finished", kNever, -1, 4, ""},
        {"stopped after two frames", 2, -1, 2, ""},
        {"stopped before any frame", 0, -1, 0, ""},
        {"out of memory at the third frame", kNever, 2, 0, "Not enough memory for a 8 x 6 image"},
    };
    const std::vector<int> frames = {0, 1, 2, 3};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.how);
        const ScratchFolder scratch("tessaform-film-frames");
        const fs::path film = scratch.path() / "film.mp4";
        std::ofstream(film) << "the old film";
        const FilmOutputs outputs{{}, {film.string()}};
        const FilmFrames job{frames, outputs, 30.0, FilmFrames::kDefaultQuality, false, [&](int frame) {
                                 if (frame == c.memoryRunsOutAt) {
                                     throw std::bad_alloc();
                                 }
                                 return defaultParams();
                             }};
        const auto canvas = createFrameBuffer(8, 6);
        StoppingObserver observer(c.stopAt);

        const FilmEnd end = renderFilmFrames(job, Gradient(), *canvas, observer);

        EXPECT_EQ(c.error, end.files.error());
        EXPECT_EQ(std::vector<std::string>{"film.mp4"}, entries(scratch.path()));
        if (c.framesInNewFilm == 0) {
            EXPECT_EQ("the old film", contents(film));
        } else {
            EXPECT_EQ(c.framesInNewFilm, decodeFilm(film.string()).frames.size());
        }
    }
}

}  // namespace
}  // namespace tessaform
