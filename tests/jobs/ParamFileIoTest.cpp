#include "jobs/ParamFileIo.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "params/ParamFile.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

namespace fs = std::filesystem;

const std::string kWholeFile =
    "<background r,g,b>0.100000,0.200000,0.300000</background>\r\n"
    "<camera theta, phi, distance>0.000000,1.000000,4.000000</camera>\r\n"
    "<shift x, y>0.000000,0.000000</shift>\r\n"
    "<constant x,y,z,w>-0.500000,0.500000,0.000000,0.000000</constant>\r\n"
    "<hyperplane w>0.000000</hyperplane>\r\n"
    "<light x,y,z,power,intensity>-1.000000,-1.000000,1.000000,20.000000,1.500000</light>\r\n"
    "<render iterations, epsilon>16,0.001000</render>\r\n";

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

// The rotation and the power, which no file carries, hold values no file
// could set them to.
FractalParams startingRecord()
{
    FractalParams params = defaultParams();
    params.direction = {0.25f, -0.5f, 0.75f};
    params.angle = 1.25f;
    params.power = 4;
    return params;
}

class ParamFileIoTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text) const
    {
        std::ofstream(folder_ / name, std::ios::binary) << text;
        return (folder_ / name).string();
    }

    const ScratchFolder scratch_{"tessaform-params"};
    const fs::path folder_ = scratch_.path();
};

// Whatever the file holds, the rotation and the power stay; a file that
// cannot be read changes nothing at all.
TEST_F(ParamFileIoTest, BadFilesLoadWhatTheyCanAndSayHowFarTheyGot)
{
    std::string junk;
    for (int i = 0; i < 4096; ++i) {
        junk += static_cast<char>((i * 7919 + 13) % 256);
    }
    fs::create_directory(folder_ / "folder.j4d");
    fs::create_symlink("loop.j4d", folder_ / "loop.j4d");

    const struct {
        const char* what;
        std::string path;
        bool readable;
        int lines;
    } cases[] = {
        {"whole file", write("whole.j4d", kWholeFile), true, 7},
        {"empty", write("empty.j4d", ""), true, 0},
        {"binary junk", write("junk.j4d", junk), true, 0},
        {"10 MB single line", write("long.j4d", "<background r,g,b>" + std::string(10'000'000, '7')), true, 0},
        {"lines in another order",
         write("order.j4d",
               kWholeFile.substr(kWholeFile.find("<camera")) + kWholeFile.substr(0, kWholeFile.find("<camera"))),
         true, 0},
        {"NaN, infinity and 1e40",
         write("inf.j4d", replaced(replaced(kWholeFile, "0.100000,0.200000,0.300000", "nan,inf,-infinity"),
                                   "1.000000,4.000000", "1e40,-1e40")),
         true, 7},
        {"negative iterations, epsilon 0", write("neg.j4d", replaced(kWholeFile, ">16,0.001000", ">-5,0")), true, 7},
        {"huge iterations, negative epsilon",
         write("huge.j4d", replaced(kWholeFile, ">16,0.001000", ">99999999999,-1")), true, 7},
        {"NaN epsilon", write("naneps.j4d", replaced(kWholeFile, ">16,0.001000", ">16,nan")), true, 7},
        {"missing", (folder_ / "absent.j4d").string(), false, 0},
        {"folder", (folder_ / "folder.j4d").string(), false, 0},
        {"symbolic link loop", (folder_ / "loop.j4d").string(), false, 0},
        {"name too long", (folder_ / std::string(300, 'n')).string(), false, 0},
        // Opens, but every read fails with an I/O error, even for root.
        {"read error", "/proc/self/mem", false, 0},
    };
    for (const auto& c : cases) {
        const FractalParams before = startingRecord();
        FractalParams params = before;
        const Result<int> linesRead = readParamsFile(c.path, params);
        EXPECT_EQ(linesRead.ok(), c.readable) << c.what;
        EXPECT_EQ(linesRead.ok() ? *linesRead : 0, c.lines) << c.what;
        EXPECT_EQ(params.direction.x, before.direction.x) << c.what;
        EXPECT_EQ(params.direction.y, before.direction.y) << c.what;
        EXPECT_EQ(params.direction.z, before.direction.z) << c.what;
        EXPECT_EQ(params.angle, before.angle) << c.what;
        EXPECT_EQ(params.power, before.power) << c.what;
        if (!c.readable || c.lines == 0) {
            // The long line's first value is read before the file runs out.
            const bool partlyRead = c.path.ends_with("long.j4d");
            EXPECT_EQ(paramsDiffer(params, before), partlyRead) << c.what;
        }
        if (linesRead) {
            EXPECT_EQ(shortParamsFileWarning(c.path, *linesRead).empty(), c.lines == kParamFileLines) << c.what;
        } else {
            EXPECT_EQ(linesRead.error(), "Could not read parameter file " + c.path) << c.what;
        }
    }
}

// A keyframe's "from" file must be whole: a file of another kind reads as
// no lines at all, which would otherwise give a film of the defaults.
TEST_F(ParamFileIoTest, FromFilesMustBeWholeRegularFiles)
{
    const struct {
        std::string path;
        std::string reason;  // empty: loads
    } cases[] = {
        {write("whole.j4d", kWholeFile), ""},
        {write("film.toml", "[[key]]\nframe = 0\n"), "Parameter file {}: only 0 of its 7 lines could be read"},
        {write("three.j4d", kWholeFile.substr(0, kWholeFile.find("<constant"))),
         "Parameter file {}: only 3 of its 7 lines could be read"},
        {"/dev/zero", "Could not read parameter file {}: not a regular file"},
        {folder_.string(), "Could not read parameter file {}: not a regular file"},
    };
    for (const auto& c : cases) {
        const Result<FractalParams> loaded = readParamsOnto(c.path, startingRecord());
        EXPECT_EQ(loaded.error(), c.reason.empty() ? "" : replaced(c.reason, "{}", c.path)) << c.path;
    }
}

// Permissions do not stop root, which reads any file.
TEST_F(ParamFileIoTest, UnreadableFileChangesNothing)
{
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, which ignores file permissions";
    const std::string path = write("locked.j4d", kWholeFile);
    ASSERT_EQ(0, ::chmod(path.c_str(), 0));
    FractalParams params = startingRecord();
    EXPECT_FALSE(readParamsFile(path, params));
    EXPECT_FALSE(paramsDiffer(params, startingRecord()));
}

}  // namespace
}  // namespace tessaform
