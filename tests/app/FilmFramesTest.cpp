#include "app/FilmFrames.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "support/FilmDecoding.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

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
