#include "io/VideoWriter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "jobs/ExecutableDirectory.h"
#include "support/FileBytes.h"
#include "support/FilmDecoding.h"
#include "support/FullDevice.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

namespace fs = std::filesystem;

using Pixels = std::vector<std::uint32_t>;

constexpr std::array<std::uint32_t, 10> kColours = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF,
                                                    0xFF00FF, 0xFFFFFF, 0x202020, 0x808080, 0xFF8000};

// Frame k of a film has its top half in one colour and its bottom half in
// another, so that a film upside down, or with red and blue swapped, shows.
std::uint32_t topColour(int k)
{
    return kColours[k];
}

std::uint32_t bottomColour(int k)
{
    return kColours[(k + 3) % kColours.size()];
}

Pixels twoColourFrame(int width, int height, int k)
{
    Pixels pixels(static_cast<std::size_t>(width) * height, bottomColour(k));
    std::fill_n(pixels.begin(), width * (height / 2), topColour(k));
    return pixels;
}

Result<void> writeFilm(const VideoSettings& settings, const std::vector<Pixels>& frames,
                       const fs::path& encoderLibrary = filmEncoderPath())
{
    Result<std::unique_ptr<VideoWriter>> writer = VideoWriter::open(settings, encoderLibrary);
    if (!writer) {
        return Failure{writer.error()};
    }
    for (const Pixels& frame : frames) {
        if (Result<void> written = (*writer)->writeFrame(frame.data()); !written) {
            return written;
        }
    }
    return (*writer)->finish();
}

// Columns left to right and rows top to bottom, right and bottom excluded.
struct Region {
    int left;
    int top;
    int right;
    int bottom;
};

void expectColourIn(std::uint32_t expected, const Pixels& pixels, int width, Region region, double tolerance)
{
    std::array<double, 3> sum{};
    for (int y = region.top; y < region.bottom; ++y) {
        for (int x = region.left; x < region.right; ++x) {
            const std::uint32_t pixel = pixels[static_cast<std::size_t>(y) * width + x];
            sum = {sum[0] + (pixel >> 16 & 0xFF), sum[1] + (pixel >> 8 & 0xFF), sum[2] + (pixel & 0xFF)};
        }
    }
    const double count = (region.right - region.left) * (region.bottom - region.top);
    for (int channel = 0; channel < 3; ++channel) {
        EXPECT_NEAR(expected >> (16 - 8 * channel) & 0xFF, sum[channel] / count, tolerance)
            << "channel " << channel << " of " << std::hex << expected;
    }
}

class VideoWriterTest : public testing::Test {
protected:
    std::string path(const char* name) const { return scratch_.filePath(name); }

    static std::string fileText(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::vector<std::string> sortedEntries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch_.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    const ScratchFolder scratch_{"tessaform-video"};
};

TEST_F(VideoWriterTest, FilmsDecodeToTheFramesWrittenAtTheRateAsked)
{
    constexpr int kWidth = 32;
    constexpr int kHeight = 24;
    std::vector<Pixels> frames;
    for (int k = 0; k < 10; ++k) {
        frames.push_back(twoColourFrame(kWidth, kHeight, k));
    }
    struct Case {
        const char* name;
        double fps;
        int quality;  // out of range for the encoder: clamped, not refused
        double tolerance;
    };
    // Middling quality, then levels clamped to lossless x264 and to the worst VP9.
    const Case cases[] = {{"film.mp4", 30, 23, 12}, {"film.mkv", 24, -5, 4}, {"film.WEBM", 30000.0 / 1001, 99, 64}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = path(c.name);
        const Result<void> written = writeFilm({file, kWidth, kHeight, c.fps, c.quality}, frames);
        ASSERT_TRUE(written.ok()) << written.error();
        const DecodedFilm film = decodeFilm(file);
        EXPECT_EQ(kWidth, film.width);
        EXPECT_EQ(kHeight, film.height);
        EXPECT_NEAR(c.fps, film.fps, 1e-4);
        ASSERT_EQ(frames.size(), film.frames.size());
        for (int k = 0; k < 10; ++k) {
            SCOPED_TRACE(k);
            // Two rows either side of the edge between the halves may blur.
            expectColourIn(topColour(k), film.frames[k], kWidth, {0, 0, kWidth, kHeight / 2 - 2}, c.tolerance);
            expectColourIn(bottomColour(k), film.frames[k], kWidth, {0, kHeight / 2 + 2, kWidth, kHeight}, c.tolerance);
        }
    }
}

TEST_F(VideoWriterTest, OddSidesGrowByARepeatedLastColumnAndRow)
{
    // Black, with a white last column above a light grey last row: shades
    // without colour, which 4:2:0 keeps sharp at every pixel.
    Pixels frame(33 * 25, 0x000000);
    for (int y = 0; y < 24; ++y) {
        frame[y * 33 + 32] = 0xFFFFFF;
    }
    std::fill_n(frame.end() - 33, 33, 0xC0C0C0);
    const std::string file = path("odd.mp4");
    // Quality 0 is lossless.
    ASSERT_TRUE(writeFilm({file, 33, 25, 30, 0}, {frame, frame}).ok());

    const DecodedFilm film = decodeFilm(file);
    EXPECT_EQ(34, film.width);
    EXPECT_EQ(26, film.height);
    ASSERT_EQ(2u, film.frames.size());
    expectColourIn(0x000000, film.frames[1], 34, {0, 0, 32, 24}, 2);
    expectColourIn(0xFFFFFF, film.frames[1], 34, {32, 0, 34, 24}, 2);
    expectColourIn(0xC0C0C0, film.frames[1], 34, {0, 24, 34, 26}, 2);
}

TEST_F(VideoWriterTest, FailuresAreOneLineNamingTheFile)
{
    struct Case {
        std::string file;
        int width;
    };
    std::vector<Case> cases = {{path("missing/film.mp4"), 32}, {path("film.gif"), 32}, {path("empty.mkv"), 0}};
    if (const std::string device = fullDeviceIn(scratch_.path()); !device.empty()) {
        fs::create_symlink(device, path("full.mp4"));
        cases.push_back({path("full.mp4"), 32});  // fails while the film is written
    }
    const std::vector<Pixels> frames(10, twoColourFrame(32, 24, 0));
    for (const Case& c : cases) {
        const Result<void> outcome = writeFilm({c.file, c.width, 24}, frames);
        EXPECT_FALSE(outcome.ok()) << c.file;
        EXPECT_NE(std::string::npos, outcome.error().find(c.file)) << outcome.error();
        EXPECT_EQ(std::string::npos, outcome.error().find('\n')) << outcome.error();
    }
    EXPECT_FALSE(fs::exists(path("missing")));
    EXPECT_FALSE(fs::exists(path("film.gif")));
    EXPECT_FALSE(fs::exists(path("empty.mkv")));
}

// An installation without its film writer library, or with a broken one,
// still renders stills; a film asks for a reinstall and leaves no file.
TEST_F(VideoWriterTest, AMissingOrBrokenFilmWriterIsOneLineAskingForAReinstall)
{
    const ScratchFolder installation{"tessaform-no-film-writer"};
    const fs::path bin = installation.path() / "bin";
    fs::create_directories(bin);
    const fs::path missing = filmEncoderPathFor(bin);
    const fs::path broken = installation.path() / "libbroken.so";
    writeFileBytes(broken.string(), "not a library");
    struct Case {
        fs::path library;
        const char* why;
    };
    for (const Case& c : {Case{missing, "is missing"}, Case{broken, "could not be loaded"}}) {
        const Result<void> outcome = writeFilm({path("film.mp4"), 32, 24}, {twoColourFrame(32, 24, 0)}, c.library);
        ASSERT_FALSE(outcome.ok()) << c.why;
        EXPECT_NE(std::string::npos, outcome.error().find(path("film.mp4"))) << outcome.error();
        EXPECT_NE(std::string::npos, outcome.error().find("the film writer " + c.library.string() + " " + c.why))
            << outcome.error();
        EXPECT_TRUE(outcome.error().ends_with(": reinstall Tessaform")) << outcome.error();
        EXPECT_EQ(std::string::npos, outcome.error().find('\n')) << outcome.error();
    }
    EXPECT_TRUE(sortedEntries().empty());
}

// A writer dropped without finish is a failed or killed run: until finish
// the old film of that name is untouched, and after the drop it still is.
TEST_F(VideoWriterTest, WriterDroppedWithoutFinishLetsGoOfItsFileAndKeepsTheOldFilm)
{
    const auto openDescriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = openDescriptors();
    const Pixels frame = twoColourFrame(32, 24, 0);
    for (const char* name : {"dropped.mp4", "dropped.webm"}) {
        std::ofstream(path(name)) << "the old film";
        const Result<std::unique_ptr<VideoWriter>> writer = VideoWriter::open({path(name), 32, 24}, filmEncoderPath());
        ASSERT_TRUE(writer.ok()) << writer.error();
        ASSERT_TRUE((*writer)->writeFrame(frame.data()).ok());
        EXPECT_EQ("the old film", fileText(path(name)));
    }
    EXPECT_EQ(before, openDescriptors());
    EXPECT_EQ((std::vector<std::string>{"dropped.mp4", "dropped.webm"}), sortedEntries());
    EXPECT_EQ("the old film", fileText(path("dropped.mp4")));

    ASSERT_TRUE(writeFilm({path("dropped.mp4"), 32, 24}, {frame}).ok());
    EXPECT_EQ(1u, decodeFilm(path("dropped.mp4")).frames.size());
    EXPECT_EQ((std::vector<std::string>{"dropped.mp4", "dropped.webm"}), sortedEntries());
}

// The muxer fails on a rate it cannot time (a frame a day) once the film is
// under way; the old film stays and nothing else is left.
TEST_F(VideoWriterTest, AFilmTheEncoderRefusesLeavesTheOldOne)
{
    std::ofstream(path("film.mp4")) << "the old film";
    const Result<void> outcome =
        writeFilm({path("film.mp4"), 32, 24, 1e-5}, std::vector<Pixels>(10, twoColourFrame(32, 24, 0)));
    EXPECT_FALSE(outcome.ok());
    EXPECT_EQ("the old film", fileText(path("film.mp4")));
    EXPECT_EQ(std::vector<std::string>{"film.mp4"}, sortedEntries());
}

}  // namespace
}  // namespace tessaform
