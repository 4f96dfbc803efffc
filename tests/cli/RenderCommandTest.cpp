#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tessaform {
namespace {

namespace fs = std::filesystem;

// Runs the real executable in a fresh folder, as a user would.
class RenderCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("tessaform-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    void TearDown() override { fs::remove_all(folder_); }

    int run(const std::string& arguments)
    {
        const std::string command =
            "cd '" + folder_.string() + "' && '" TESSAFORM_RENDER_EXE "' " + arguments + " 2> stderr.txt";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(folder_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            if (entry.path().filename() != "stderr.txt") {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    fs::path folder_;
};

TEST_F(RenderCommandTest, RendersATgaWithItsHeaderAndReportsEveryRow)
{
    ASSERT_EQ(run("-W 16 -H 12"), 0) << read("stderr.txt");
    const std::string tga = read("Julia.tga");
    ASSERT_EQ(tga.size(), 18u + 3u * 16u * 12u);
    EXPECT_EQ(tga[2], 2);
    EXPECT_EQ(tga[12], 16);
    EXPECT_EQ(tga[14], 12);
    EXPECT_EQ(tga[16], 24);
    const std::string progress = read("stderr.txt");
    EXPECT_NE(progress.find("First pass: 0 / 12\n"), std::string::npos);
    EXPECT_NE(progress.find("First pass: 11 / 12\n"), std::string::npos);
    EXPECT_NE(progress.find("Anti-alias: 10 / 12\n"), std::string::npos);
}

TEST_F(RenderCommandTest, PngHoldsTheSamePixelsAsTheTga)
{
    ASSERT_EQ(run("-q -W 20 -H 15 -o a.tga"), 0);
    ASSERT_EQ(run("-q -W 20 -H 15 -o b.PNG"), 0);
    EXPECT_TRUE(read("stderr.txt").empty());
    const QImage tga((folder_ / "a.tga").c_str());
    const QImage png((folder_ / "b.PNG").c_str(), "PNG");
    ASSERT_FALSE(png.isNull());
    const std::string tgaBytes = read("a.tga");
    for (int row = 0; row < 15; ++row) {
        for (int column = 0; column < 20; ++column) {
            const std::size_t at = 18 + 3 * static_cast<std::size_t>((14 - row) * 20 + column);
            const QRgb pixel = png.pixel(column, row);
            ASSERT_EQ(qBlue(pixel), static_cast<unsigned char>(tgaBytes[at]));
            ASSERT_EQ(qGreen(pixel), static_cast<unsigned char>(tgaBytes[at + 1]));
            ASSERT_EQ(qRed(pixel), static_cast<unsigned char>(tgaBytes[at + 2]));
        }
    }
}

TEST_F(RenderCommandTest, SetOverridesTheFileAndSaveParamsWritesTheResult)
{
    write("in.j4d", "<background r,g,b>0.1,0.2,0.3</background>\n<camera theta, phi, distance>0,0,10</camera>\n");
    ASSERT_EQ(run("-p in.j4d --set distance=3 --set power=4 --save-params out.j4d"), 0);
    const std::string saved = read("out.j4d");
    EXPECT_EQ(saved.rfind("<background r,g,b>0.100000,0.200000,0.300000</background>\r\n"
                          "<camera theta, phi, distance>0.000000,0.000000,3.000000</camera>\r\n",
                          0),
              0u);
    EXPECT_FALSE(fs::exists(folder_ / "Julia.tga"));
}

TEST_F(RenderCommandTest, UsageErrorsExitWithTwoAndOneLine)
{
    EXPECT_EQ(run("--set power=7"), 2);
    const std::string message = read("stderr.txt");
    EXPECT_NE(message.find("power"), std::string::npos);
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(run("-W 0"), 2);
    EXPECT_TRUE(files().empty());
}

TEST_F(RenderCommandTest, RunTimeFailuresExitWithOneAndLeaveNothingBehind)
{
    write("junk.png", "not an image");
    write("keep.tga", "precious");
    EXPECT_EQ(run("-q -W 8 -H 8 -g junk.png -o keep.tga"), 1);
    EXPECT_NE(read("stderr.txt").find("Could not load image"), std::string::npos);
    EXPECT_EQ(run("-q -W 8 -H 8 -p missing.j4d -o keep.tga"), 1);
    EXPECT_EQ(run("-q -W 8 -H 8 -o no/such/folder/x.tga"), 1);
    EXPECT_EQ(read("keep.tga"), "precious");
    EXPECT_EQ(files().size(), 2u);
}

}  // namespace
}  // namespace tessaform
