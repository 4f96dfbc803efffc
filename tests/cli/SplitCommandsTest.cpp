#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/CommandLineTest.h"
#include "support/FullDevice.h"

namespace tessaform {
namespace {

using SplitCommandsTest = CommandLineTest;

constexpr const char* kScene = "-q -W 37 -H 23 --set power=3 --set angle=0.7 ";

TEST_F(SplitCommandsTest, AssembledTilesAreByteForByteTheOneProcessImage)
{
    ASSERT_EQ(run(std::string(kScene) + "-o one.png"), 0) << read("stderr.txt");
    ASSERT_EQ(run(std::string(kScene) + "-o one.tga"), 0) << read("stderr.txt");
    for (int tile = 1; tile <= 7; ++tile) {
        // Parts with float values serve an 8-bit image as well.
        const std::string threads = tile % 2 == 0 ? "-j 1 " : "";
        const std::string deep = tile % 3 == 0 ? "--deep " : "";
        ASSERT_EQ(run(std::string(kScene) + threads + deep + "--tile " + std::to_string(tile) + "/7 -o p%02d.tfpart"),
                  0)
            << read("stderr.txt");
    }
    const std::string parts = "p07.tfpart p03.tfpart p01.tfpart p02.tfpart p06.tfpart p05.tfpart p04.tfpart";
    ASSERT_EQ(run("assemble -q " + parts + " -o all.png"), 0) << read("stderr.txt");
    ASSERT_EQ(run("assemble -q " + parts + " -o all.tga"), 0) << read("stderr.txt");
    EXPECT_EQ(read("all.png"), read("one.png"));
    EXPECT_EQ(read("all.tga"), read("one.tga"));
}

// Deep outputs too: each assembled from parts with float values is the
// one-process file byte for byte, and asks for its encoding the same way.
TEST_F(SplitCommandsTest, DeepOutputsAssembleByteForByte)
{
    for (int tile = 1; tile <= 4; ++tile) {
        const std::string threads = tile % 2 == 0 ? "-j 1 " : "";
        ASSERT_EQ(run(std::string(kScene) + threads + "--deep --tile " + std::to_string(tile) + "/4 -o p%d.tfpart"), 0)
            << read("stderr.txt");
    }
    for (const std::string output :
         {"16.png --bit-depth 16", "a.png --alpha", "16a.png --alpha --bit-depth 16", ".exr"}) {
        ASSERT_EQ(run(std::string(kScene) + "-o one" + output), 0) << output << ": " << read("stderr.txt");
        ASSERT_EQ(run("assemble -q p3.tfpart p1.tfpart p4.tfpart p2.tfpart -o all" + output), 0)
            << output << ": " << read("stderr.txt");
        const std::string name = output.substr(0, output.find(' '));
        EXPECT_TRUE(read("all" + name) == read("one" + name)) << output;
    }
    EXPECT_EQ(run("assemble -q p1.tfpart p2.tfpart p3.tfpart p4.tfpart --bit-depth 16 -o all.tga"), 2);
    EXPECT_EQ(read("stderr.txt"), "tessaform-render: --bit-depth 16 needs a .png output (see assemble --help)\n");
}

// The README's farm examples: its tile lines at a small size, and its
// assembly lines word for word.
TEST_F(SplitCommandsTest, TheReadmeAssemblyLinesJoinTheTiles)
{
    ASSERT_EQ(run(std::string(kScene) + "--save-params poster.j4d"), 0) << read("stderr.txt");
    ASSERT_EQ(run("-q -p poster.j4d -W 37 -H 23 -o one.png"), 0) << read("stderr.txt");
    std::filesystem::create_directory(folder_ / "parts");
    for (int tile = 1; tile <= 3; ++tile) {
        ASSERT_EQ(run("-q -p poster.j4d -W 37 -H 23 --tile " + std::to_string(tile) + "/3 -o parts/poster_%d.tfpart"),
                  0)
            << read("stderr.txt");
    }
    for (const char* line :
         {"assemble parts/poster_*.tfpart -o poster.png", "-q assemble parts/poster_*.tfpart -o poster.png",
          "assemble -q parts/poster_*.tfpart -o poster.png", "-o poster.png --quiet assemble parts/poster_*.tfpart"}) {
        std::filesystem::remove(folder_ / "poster.png");
        EXPECT_EQ(run(line), 0) << line << ": " << read("stderr.txt");
        EXPECT_TRUE(read("poster.png") == read("one.png")) << line;
    }
    EXPECT_EQ(run("-W 8 assemble parts/poster_*.tfpart"), 2) << "only assemble's own options may come before it";
}

// A broken set of parts is one line on stderr, exit 1, and no image: an
// existing one stays as it was.
TEST_F(SplitCommandsTest, ABrokenSetOfPartsWritesNoImage)
{
    for (int tile = 1; tile <= 3; ++tile) {
        ASSERT_EQ(run(std::string(kScene) + "--tile " + std::to_string(tile) + "/3"), 0) << read("stderr.txt");
    }
    write("out.png", "keep");
    write("cut.tfpart", read("part_2.tfpart").substr(0, 900));
    const std::string full = fullDeviceIn(folder_);
    const struct {
        std::string arguments;
        std::string error;
    } cases[] = {
        {"part_1.tfpart part_3.tfpart -o out.png", "tile 2 of 3 is missing"},
        {"part_1.tfpart cut.tfpart part_3.tfpart -o out.png", "cut.tfpart: cut short"},
        {"part_1.tfpart part_2.tfpart part_3.tfpart part_2.tfpart -o out.png", "tile 2 of 3 is given twice"},
        {"part_1.tfpart out.png -o out.png", "out.png: not a Tessaform part file"},
        {"part_1.tfpart part_2.tfpart part_3.tfpart -o " + full, "No space left on device"},
    };
    for (const auto& testCase : cases) {
        if (testCase.arguments.ends_with("-o ")) {
            continue;
        }
        EXPECT_EQ(run("assemble -q " + testCase.arguments), 1) << testCase.arguments;
        const std::string error = read("stderr.txt");
        EXPECT_NE(error.find(testCase.error), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), error.size() - 1) << error;
        EXPECT_EQ(read("out.png"), "keep");
    }
}

}  // namespace
}  // namespace tessaform
