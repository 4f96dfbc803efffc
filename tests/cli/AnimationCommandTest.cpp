#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

#include "io/ProcessIdentity.h"
#include "support/CommandLineTest.h"
#include "support/FilmDecoding.h"

namespace tessaform {
namespace {

constexpr const char* kFilm = R"(fps = 12
[[key]]
frame = 0
phi = 5.969026
[[key]]
frame = 9
phi = 7.0
constant.x = -0.3
power = 3
)";

class AnimationCommandTest : public CommandLineTest {
protected:
    void SetUp() override { write("film.toml", kFilm); }

    int framesStarted() const
    {
        const std::string log = read("stderr.txt");
        int count = 0;
        for (std::size_t at = log.find("Frame "); at != std::string::npos; at = log.find("Frame ", at + 1)) {
            ++count;
        }
        return count;
    }
};

TEST_F(AnimationCommandTest, TenFramesBecomeAFilmAndSelfDescribingImages)
{
    ASSERT_EQ(run("-q --animation film.toml -W 32 -H 24 -o f_%02d.png -o film.mp4"), 0) << read("stderr.txt");
    const DecodedFilm film = decodeFilm((folder_ / "film.mp4").string());
    EXPECT_EQ(film.frames.size(), 10u);
    EXPECT_EQ(film.width, 32);
    EXPECT_EQ(film.height, 24);
    EXPECT_NEAR(film.fps, 12.0, 1e-6);
    EXPECT_EQ(files().size(), 12u);

    // A key's frame is the still of the key's record; any frame renders again alone.
    ASSERT_EQ(run("-q -W 32 -H 24 --set phi=7.0 --set constant.x=-0.3 --set power=3 -o still.png"), 0);
    EXPECT_EQ(read("f_09.png"), read("still.png"));
    ASSERT_EQ(run("-q -p f_04.png -W 32 -H 24 -o again.png"), 0);
    EXPECT_EQ(read("again.png"), read("f_04.png"));
    EXPECT_NE(read("f_04.png"), read("f_05.png"));
}

// A frame in an OpenEXR file is the still of its record, with the float
// values beside it, so each reproduces its 8-bit frame.
TEST_F(AnimationCommandTest, ExrFramesAreStillsOfTheirRecords)
{
    ASSERT_EQ(run("-q --animation film.toml --frames 2-3 -W 16 -H 12 -o f_%d.exr -o f_%d.png"), 0)
        << read("stderr.txt");
    for (const char* frame : {"2", "3"}) {
        ASSERT_EQ(run("-q -W 16 -H 12 -p f_" + std::string(frame) + ".exr -o still.exr"), 0) << read("stderr.txt");
        EXPECT_EQ(read("still.exr"), read("f_" + std::string(frame) + ".exr")) << frame;
        ASSERT_EQ(run("-q -W 16 -H 12 -p f_" + std::string(frame) + ".exr -o still.png"), 0);
        EXPECT_EQ(read("still.png"), read("f_" + std::string(frame) + ".png")) << frame;
    }
}

TEST_F(AnimationCommandTest, SkipExistingRendersOnlyWhatIsMissing)
{
    ASSERT_EQ(run("--animation film.toml --frames 0-4 -W 8 -H 6 -o f_%d.tga"), 0);
    EXPECT_EQ(framesStarted(), 5);
    ASSERT_EQ(run("--animation film.toml --frames 0-4 -W 8 -H 6 -o f_%d.tga --skip-existing"), 0);
    EXPECT_EQ(framesStarted(), 0);
    std::filesystem::remove(folder_ / "f_3.tga");
    write("f_0.tga", "");  // an empty file is no image
    ASSERT_EQ(run("--animation film.toml --frames 0-4:3 -W 8 -H 6 -o f_%d.tga --skip-existing"), 0);
    EXPECT_EQ(framesStarted(), 2);
    EXPECT_FALSE(read("f_3.tga").empty());
    EXPECT_FALSE(read("f_0.tga").empty());
    // -q silences the progress, not the summary line that scripts read.
    ASSERT_EQ(run("-q --animation film.toml --frames 0-4 -W 8 -H 6 -o f_%d.tga --skip-existing > summary.txt"), 0);
    EXPECT_EQ(read("stderr.txt"), "");
    EXPECT_TRUE(read("summary.txt").starts_with("Frames: 0 done, 5 skipped, ")) << read("summary.txt");
}

// Claims that name no process, or a process other than the one that made
// them, are taken over; a frame that a live run may hold is left out, and
// the summary and the exit status say so.
TEST_F(AnimationCommandTest, FramesLeftToOtherRunsAreReportedAndFailTheRun)
{
    const ProcessIdentity self = thisProcess();
    const auto claimNow = [](const std::string& owner) {
        return owner + " " + std::to_string(std::time(nullptr)) + "\n";
    };
    write("f_1.tga.claim", claimNow(self.host + " 0 0"));
    write("f_2.tga.claim", claimNow(self.host + " 1 99"));
    write("f_3.tga.claim", "cut");
    write("f_4.tga.claim", claimNow("elsewhere 4242 99"));
    EXPECT_EQ(run("-q --animation film.toml --frames 0-4 -W 8 -H 6 -o f_%d.tga --skip-existing > out.txt"), 3);
    EXPECT_EQ(read("out.txt"), "Frames: 4 done, 0 skipped, 0 failed, 1 claimed by others\n");
    EXPECT_NE(read("stderr.txt").find("frames claimed by other runs are still missing (1)"), std::string::npos)
        << read("stderr.txt");
    std::vector<std::string> left = files();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"f_0.tga", "f_1.tga", "f_2.tga", "f_3.tga", "f_4.tga.claim", "film.toml",
                                              "out.txt"}));

    // A stale claim beside a finished image, as a run killed at the wrong
    // moment leaves, goes with the next run over that frame.
    write("f_0.tga.claim", claimNow(self.host + " 0 0"));
    EXPECT_EQ(run("-q --animation film.toml --frames 0-4 -W 8 -H 6 -o f_%d.tga --skip-existing > out.txt"), 3);
    EXPECT_EQ(read("out.txt"), "Frames: 0 done, 4 skipped, 0 failed, 1 claimed by others\n");
    EXPECT_EQ(files().size(), left.size());
}

TEST_F(AnimationCommandTest, BadFilesAndListsStopBeforeAnyFrame)
{
    write("bad.toml", "[[key]]\nframe = 0\nphy = 1\n");
    write("from.toml", "[[key]]\nframe = 0\nfrom = \"gone.j4d\"\n");
    const struct {
        std::string arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {"--animation bad.toml", 2, "bad.toml:3:7: unknown field 'phy'"},
        {"--animation from.toml", 1, "from.toml:3:8: Could not read parameter file gone.j4d"},
        {"--animation missing.toml", 1, "Could not read keyframe file missing.toml"},
        {"--animation film.toml -o one.png", 2, "-o one.png names one file for 10 frames"},
        {"--animation film.toml -o f_%d_%d.png", 2, "a frame number is written %d or %05d, once"},
        {"--animation film.toml --frames 3-1", 2, "--frames: bad frame list item '3-1'"},
        {"--frames 0-3 -o x.tga", 2, "need --animation"},
        {"-o a.tga -o b.tga", 2, "several outputs need --animation"},
        {"--chunk 1/2 -o x.tga", 2, "need --animation"},
        {"--animation film.toml --chunk 3/2", 2, "--chunk 3/2: K/N needs 1 <= K <= N"},
        {"--animation film.toml --chunk slurm", 2, "--chunk slurm: not inside a Slurm job array"},
        {"--animation film.toml -o missing/f_%d.png", 1, "Could not create missing/f_0.png"},
        {"--animation film.toml -o f_%d.png -o film.mp4 --alpha", 2,
         "--bit-depth and --alpha are for images; the film film.mp4 stays 8-bit"},
        {"--animation film.toml -o f_%d.png -o f_%d.tga --bit-depth 16", 2, "--bit-depth 16 needs a .png output"},
        {"--animation film.toml -o f_%d.exr -o missing/f_%d.exr", 1, "Could not create missing/f_0.exr"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run("-q -W 8 -H 6 " + c.arguments), c.exitCode) << c.arguments;
        EXPECT_NE(read("stderr.txt").find(c.message), std::string::npos) << c.arguments << ": " << read("stderr.txt");
    }
    std::vector<std::string> left = files();
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"bad.toml", "film.toml", "from.toml"}));
}

// Input that cannot end, would crash the TOML reader, is not parameters or
// names a rate no encoder takes: one line with its place, nothing rendered.
TEST_F(AnimationCommandTest, HostileKeyframeInputStopsBeforeAnyFrame)
{
    std::string deepKey = "a";
    for (int i = 0; i < 20000; ++i) deepKey += ".a";
    write("deep.toml", "[[key]]\nframe = 0\n" + deepKey + " = 1\n");
    write("other.toml", "[[key]]\nframe = 0\nfrom = \"film.toml\"\n");
    write("zero.toml", "[[key]]\nframe = 0\nfrom = \"/dev/zero\"\n");
    write("fast.toml", "fps = 1e300\n[[key]]\nframe = 0\n");
    const struct {
        std::string arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {"--animation /dev/zero", 1, "Could not read keyframe file /dev/zero: not a regular file"},
        {"--animation deep.toml", 2, "deep.toml:3:1: a key of more than 16 dotted parts"},
        {"--animation other.toml", 1, "other.toml:3:8: Parameter file film.toml: only 0 of its 7 lines could be read"},
        {"--animation zero.toml", 1, "zero.toml:3:8: Could not read parameter file /dev/zero: not a regular file"},
        {"--animation fast.toml", 2, "fast.toml:1:7: fps must be a number from 0.001 to 1000\n"},
        {"--animation film.toml --fps nan", 2, "--fps: must be a number from 0.001 to 1000, not nan"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run("-q -W 8 -H 6 -o f_%d.png " + c.arguments), c.exitCode) << c.arguments;
        EXPECT_NE(read("stderr.txt").find(c.message), std::string::npos) << c.arguments << ": " << read("stderr.txt");
    }
    EXPECT_EQ(files().size(), 5u) << "nothing rendered";
}

TEST_F(AnimationCommandTest, SavedAnimationRendersTheSameFrames)
{
    ASSERT_EQ(run("-q --animation film.toml --save-animation back.toml"), 0);
    EXPECT_TRUE(files().size() == 2u);
    ASSERT_EQ(run("-q --animation film.toml --frames 4 -W 16 -H 12 -o a_%d.tga"), 0);
    ASSERT_EQ(run("-q --animation back.toml --frames 4 -W 16 -H 12 -o b_%d.tga"), 0);
    EXPECT_EQ(read("a_4.tga"), read("b_4.tga"));
}

}  // namespace
}  // namespace tessaform
