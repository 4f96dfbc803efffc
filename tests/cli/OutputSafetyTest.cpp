#include <gtest/gtest.h>

#include <algorithm>
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

}  // namespace
}  // namespace tessaform
