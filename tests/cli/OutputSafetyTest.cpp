#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/CommandLineTest.h"

namespace tessaform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFilm = "[[key]]\nframe = 0\n[[key]]\nframe = 3\nphi = 1.0\n";

class OutputSafetyTest : public CommandLineTest {
protected:
    std::vector<std::string> sortedFiles() const
    {
        std::vector<std::string> names = files();
        std::sort(names.begin(), names.end());
        return names;
    }

    int runWithinAGigabyte(const std::string& arguments) const
    {
        const std::string command = "cd '" + folder_.string() +
                                    "' && ulimit -v 1000000 && '" TESSAFORM_RENDER_EXE "' " + arguments +
                                    " 2> stderr.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// Each kind of output: a name the file system cannot hold, or a folder, is
// the only line on stderr, before any progress of a render.
TEST_F(OutputSafetyTest, NamesThatCannotBeWrittenFailBeforeRendering)
{
    write("film.toml", kFilm);
    fs::create_directory(folder_ / "folder.mp4");
    const std::string tooLong(256, 'n');
    // 255 characters for frames 0 to 9, 256 from frame 10.
    const std::string longestAtTen = std::string(250, 'n') + "%d.png";
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"-o " + tooLong + ".png", "Could not create " + tooLong + ".png: File name too long"},
        {"--tile 1/2 -o " + tooLong + ".tfpart", "Could not create " + tooLong + ".tfpart: File name too long"},
        {"--animation film.toml -o " + tooLong + "%d.png", "Could not create " + tooLong + "0.png: File name too long"},
        {"--animation film.toml --frames 9-10 -o " + longestAtTen,
         "Could not create " + std::string(250, 'n') + "10.png: File name too long"},
        {"--animation film.toml -o " + tooLong + ".mp4", "Could not create " + tooLong + ".mp4: File name too long"},
        {"--animation film.toml -o folder.mp4", "Could not replace folder.mp4: Is a directory"},
        {"--save-params " + tooLong + ".j4d -o x.tga", "Could not create " + tooLong + ".j4d: File name too long"},
        {"--animation film.toml --save-animation " + tooLong + ".toml -o x.mp4",
         "Could not create " + tooLong + ".toml: File name too long"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run("-W 8 -H 6 " + c.arguments), 1) << c.arguments;
        EXPECT_EQ("tessaform-render: " + c.message + "\n", read("stderr.txt")) << c.arguments;
    }
    EXPECT_EQ((std::vector<std::string>{"film.toml", "folder.mp4"}), sortedFiles());
}

// The parts stay as they were, whatever path names them.
TEST_F(OutputSafetyTest, AssemblyRefusesToWriteOverOneOfItsParts)
{
    for (const char* tile : {"1/2", "2/2"}) {
        ASSERT_EQ(run(std::string("-q -W 8 -H 6 --tile ") + tile), 0) << read("stderr.txt");
    }
    const std::string part = read("part_2.tfpart");
    fs::create_directory(folder_ / "sub");
    fs::create_hard_link(folder_ / "part_2.tfpart", folder_ / "sub" / "linked.png");
    for (const std::string output : {"part_2.tfpart", "./sub/../part_2.tfpart", "sub/linked.png"}) {
        EXPECT_EQ(run("assemble -q part_1.tfpart part_2.tfpart -o " + output), 1) << output;
        EXPECT_EQ(
            "tessaform-render: the output " + output + " is the part part_2.tfpart; give the image another name\n",
            read("stderr.txt"));
        EXPECT_EQ(part, read("part_2.tfpart"));
    }
}

// As a cluster's job limit sets it: 1 GB of address space, in which a
// reference frame of 20000 x 20000 (1.6 GB) cannot be had.
TEST_F(OutputSafetyTest, RunningOutOfMemoryIsOneLineAndLeavesNothing)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' shadow memory needs more address space than the limit";
#else
    if (runWithinAGigabyte("-q -W 8 -H 6 -o small.png") != 0) {
        GTEST_SKIP() << "the program does not start within 1 GB of address space here";
    }
    write("keep.png", "the old image");
    for (const char* output : {"keep.png", "new.tga"}) {
        EXPECT_EQ(runWithinAGigabyte(std::string("-q --engine reference -W 20000 -H 20000 -o ") + output), 1);
        EXPECT_EQ("tessaform-render: Not enough memory for a 20000 x 20000 image\n", read("stderr.txt"));
    }
    EXPECT_EQ((std::vector<std::string>{"keep.png", "small.png"}), sortedFiles());
    EXPECT_EQ("the old image", read("keep.png"));
#endif
}

}  // namespace
}  // namespace tessaform
