#include <gtest/gtest.h>

#include <unistd.h>
#include <QImage>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "image/GradientLoader.h"
#include "params/FractalParams.h"
#include "render/Renderer.h"
#include "support/CommandLineTest.h"
#include "support/FullDevice.h"
#include "support/RenderToPixels.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

namespace fs = std::filesystem;

using RenderCommandTest = CommandLineTest;

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

// A .toml of one key keeps the looks; a .j4d cannot, and the run says so.
TEST_F(RenderCommandTest, SceneFilesCarryTheLooksThroughSaveParamsAndParams)
{
    const std::string looks = "--set power=3 --set shadow=0.8 --set occlusion=0.6 --set fog=0.25";
    ASSERT_EQ(run(looks + " --save-params scene.toml"), 0) << read("stderr.txt");
    EXPECT_EQ(read("stderr.txt"), "");
    ASSERT_EQ(run(looks + " --save-params scene.j4d"), 0);
    EXPECT_NE(read("stderr.txt").find("warning: The parameters were saved, but a .j4d file cannot hold the looks"),
              std::string::npos)
        << read("stderr.txt");
    ASSERT_EQ(run("-q -W 24 -H 18 -p scene.toml -o a.tga"), 0) << read("stderr.txt");
    ASSERT_EQ(run("-q -W 24 -H 18 " + looks + " -o b.tga"), 0);
    EXPECT_EQ(read("a.tga"), read("b.tga"));
    write("film.toml", "[[key]]\nframe = 0\n[[key]]\nframe = 5\nfog = 1\n");
    EXPECT_EQ(run("-q -W 24 -H 18 -p film.toml -o c.tga"), 1);
    EXPECT_NE(read("stderr.txt").find("holds 2 keys"), std::string::npos) << read("stderr.txt");
    EXPECT_FALSE(fs::exists(folder_ / "c.tga"));
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

TEST_F(RenderCommandTest, BadInputsGetAClearAnswerAndKeepExistingFiles)
{
    write("keep.tga", "precious");
    write("empty.j4d", "");
    fs::create_symlink("loop.j4d", folder_ / "loop.j4d");
    const std::string full = fullDeviceIn(folder_);
    const struct {
        std::string arguments;
        int exitCode;
        std::string message;
    } cases[] = {
        {"-W 8 -H 8 -p loop.j4d -o keep.tga", 1, "Could not read parameter file loop.j4d"},
        {"-W 8 -H 8 -p /proc/self/mem -o keep.tga", 1, "Could not read parameter file /proc/self/mem"},
        {"-W 8 -H 8 -p empty.j4d -o empty.tga", 0,
         "warning: Parameter file empty.j4d: only 0 of its 7 lines could be read; the other values are unchanged"},
        {"-W 8 -H 8 -o /proc/keep.tga", 1, "Could not create /proc/keep.tga"},
        {"-W 8 -H 8 --set power=1 -o keep.tga", 2, "power must be 2, 3, 4 or 5, not 1"},
        {"-W 65536 -o keep.tga", 2, "--width: Value 65536 not in range 1 to 65535"},
        {"-W 8 -H 8 --set distance=1e6 --set lateralShift=1e30 --set constant.x=nan -o far.tga", 0, ""},
        {"-W 1 -H 1 -o one.tga", 0, ""},
        {"-W 2 -H 2 -o two.tga", 0, ""},
        {"-W 65535 -H 1 -o wide.tga", 0, ""},
        // A full disk: the device stays a device, not a file in its place.
        {full.empty() ? "" : "-W 8 -H 8 -o " + full, 1, full + ": No space left on device"},
        {full.empty() ? "" : "--save-params " + full, 1, "Could not write " + full},
    };
    for (const auto& c : cases) {
        if (c.arguments.empty()) {
            continue;
        }
        EXPECT_EQ(run("-q " + c.arguments), c.exitCode) << c.arguments;
        const std::string message = read("stderr.txt");
        EXPECT_NE(message.find(c.message), std::string::npos) << c.arguments << ": " << message;
        EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), c.message.empty() ? 0 : 1) << c.arguments;
    }
    EXPECT_EQ(read("keep.tga"), "precious");
    EXPECT_EQ(read("one.tga").size(), 18u + 3u);
    EXPECT_EQ(read("two.tga").size(), 18u + 3u * 4u);
    EXPECT_EQ(read("wide.tga").size(), 18u + 3u * 65535u);
    EXPECT_EQ(read("far.tga").size(), 18u + 3u * 64u);
    if (!full.empty()) {
        EXPECT_TRUE(fs::is_character_file(full));
    }
    std::vector<std::string> left = files();
    std::sort(left.begin(), left.end());
    std::vector<std::string> expected{"empty.j4d", "empty.tga", "far.tga", "keep.tga",
                                      "loop.j4d",  "one.tga",   "two.tga", "wide.tga"};
    if (full.starts_with(folder_.string())) {
        expected.insert(expected.begin() + 3, "full");
    }
    EXPECT_EQ(left, expected);
}

// Its own parameters and gradient, whatever gradient.jpg holds; -g and --set
// still apply on top.
TEST_F(RenderCommandTest, APngReproducesItselfThroughParams)
{
    QImage ramp(8, 1, QImage::Format_RGB32);
    for (int x = 0; x < 8; ++x) {
        ramp.setPixel(x, 0, qRgb(x * 30, 200 - x * 20, 90));
    }
    ASSERT_TRUE(ramp.save((folder_ / "ramp.png").c_str(), "PNG"));
    const std::string scene =
        "-q -W 24 -H 18 --set power=3 --set angle=0.9 --set direction.z=0.5 --set constant.w=-0"
        " --set shadow=0.8 --set shadowSoftness=2 --set occlusion=0.5 --set fog=0.2";
    ASSERT_EQ(run(scene + " -g ramp.png -o a.png"), 0) << read("stderr.txt");
    ASSERT_EQ(run("-q -W 24 -H 18 -p a.png -o b.png"), 0) << read("stderr.txt");
    EXPECT_EQ(read("b.png"), read("a.png"));
    ASSERT_EQ(run("-q -W 24 -H 18 -p a.png -o b.tga"), 0);
    ASSERT_EQ(run(scene + " -g ramp.png -o a.tga"), 0);
    EXPECT_EQ(read("b.tga"), read("a.tga"));
    ASSERT_EQ(run("-q -W 24 -H 18 -p a.png --set power=4 -o c.tga"), 0);
    ASSERT_EQ(run("-q -W 24 -H 18 -p a.png -g ramp.png -o d.tga"), 0);
    EXPECT_NE(read("c.tga"), read("a.tga"));
    EXPECT_EQ(read("d.tga"), read("a.tga"));
}

// An EXR's attributes carry the record and the gradient as a PNG's text
// chunks do, so either gives the other's image; one cut short gives none.
TEST_F(RenderCommandTest, AnExrReproducesItselfThroughParamsUnlessCut)
{
    const std::string scene = "-q -W 24 -H 18 --set power=3 --set angle=0.9 --set constant.w=-0 --set fog=0.2";
    ASSERT_EQ(run(scene + " -o a.exr"), 0) << read("stderr.txt");
    ASSERT_EQ(run(scene + " -o a.png"), 0) << read("stderr.txt");
    ASSERT_EQ(run("-q -W 24 -H 18 -p a.exr -o b.png"), 0) << read("stderr.txt");
    EXPECT_EQ(read("b.png"), read("a.png"));
    ASSERT_EQ(run("-q -W 24 -H 18 -p a.png -o b.exr"), 0) << read("stderr.txt");
    EXPECT_EQ(read("b.exr"), read("a.exr"));
    const std::string whole = read("a.exr");
    write("cut.exr", whole.substr(0, whole.size() - 1));
    EXPECT_EQ(run("-q -W 8 -H 8 -p cut.exr -o c.png"), 1);
    const std::string message = read("stderr.txt");
    EXPECT_TRUE(message.starts_with(
        "tessaform-render: Could not read parameters from cut.exr: the OpenEXR image is damaged or cut short"))
        << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1);
    EXPECT_EQ(files().size(), 5u);
}

TEST_F(RenderCommandTest, PngsWithoutWholeParametersAndDoomedOutputsFailBeforeRendering)
{
    write("keep.tga", "precious");
    ASSERT_TRUE(QImage(4, 4, QImage::Format_RGB32).save((folder_ / "plain.png").c_str(), "PNG"));
    ASSERT_EQ(run("-q -W 8 -H 8 -o whole.png"), 0);
    const std::string whole = read("whole.png");
    write("cut.png", whole.substr(0, whole.find("tessaform-gradient")));
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {"-p plain.png -o keep.tga",
         "Could not read parameters from plain.png: the image carries no tessaform-parameters"},
        {"-p cut.png -o keep.tga", "Could not read parameters from cut.png: a text chunk is cut short"},
        // Rendering this would take hours; the missing folder is found first.
        {"--engine reference -W 20000 -H 20000 -o missing/x.png",
         "Could not create missing/x.png: No such file or directory"},
        {"-W 8 -H 8 -o .", "Could not replace .: Is a directory"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run("-q " + c.arguments), 1) << c.arguments;
        const std::string message = read("stderr.txt");
        EXPECT_EQ(message, "tessaform-render: " + c.message + "\n") << c.arguments;
    }
    EXPECT_EQ(read("keep.tga"), "precious");
}

TEST_F(RenderCommandTest, ReadOnlyOutputIsNotReplaced)
{
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, which may write any file";
    write("keep.tga", "precious");
    fs::permissions(folder_ / "keep.tga", fs::perms::owner_read);
    EXPECT_EQ(run("-q -W 8 -H 8 -o keep.tga"), 1);
    EXPECT_NE(read("stderr.txt").find("Could not write keep.tga: Permission denied"), std::string::npos);
    EXPECT_EQ(read("keep.tga"), "precious");
}

// 0x00RRGGBB, top row first, from a 24-bit TGA stored bottom row first.
std::vector<std::uint32_t> tgaPixels(const std::string& tga, int width, int height)
{
    std::vector<std::uint32_t> pixels;
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const std::size_t at = 18 + 3 * static_cast<std::size_t>((height - 1 - row) * width + column);
            const auto byte = [&](std::size_t i) {
                return static_cast<std::uint32_t>(static_cast<unsigned char>(tga[i]));
            };
            pixels.push_back(byte(at + 2) << 16 | byte(at + 1) << 8 | byte(at));
        }
    }
    return pixels;
}

TEST_F(RenderCommandTest, EitherEngineAndAnyThreadCountRenderTheSameScene)
{
    QImage ramp(16, 1, QImage::Format_RGB32);
    for (int x = 0; x < 16; ++x) {
        ramp.setPixel(x, 0, qRgb(x * 16, 255 - x * 12, 60 + x * 9));
    }
    ASSERT_TRUE(ramp.save((folder_ / "ramp.png").c_str(), "PNG"));
    const std::string common = "-q -W 32 -H 24 -g ramp.png --set power=3 --set angle=0.7 ";
    ASSERT_EQ(run(common + "--engine reference -o reference.tga"), 0) << read("stderr.txt");
    ASSERT_EQ(run(common + "--engine fast -j 1 -o one.tga"), 0) << read("stderr.txt");
    ASSERT_EQ(run(common + "--engine fast --threads 2 -o two.tga"), 0) << read("stderr.txt");

    GradientSlot gradient;
    ASSERT_TRUE(loadGradient((folder_ / "ramp.png").string(), gradient));
    FractalParams params = defaultParams();
    params.power = 3;
    params.angle = 0.7f;
    const std::vector<std::uint32_t> expected = renderPixels(params, *gradient.current(), 32, 24, kReference);

    const std::string reference = read("reference.tga");
    ASSERT_EQ(reference.size(), 18u + 3u * 32u * 24u);
    EXPECT_EQ(tgaPixels(reference, 32, 24), expected);
    const std::string fast = read("one.tga");
    ASSERT_EQ(fast.size(), reference.size());
    EXPECT_EQ(read("two.tga"), fast);
    // Not bit for bit, but the same scene: a few silhouette pixels, and
    // pixels whose grid rays reach the surface by a bundled walk, may stray.
    const std::vector<std::uint32_t> fastPixels = tgaPixels(fast, 32, 24);
    int close = 0;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        int worst = 0;
        for (const int shift : {0, 8, 16}) {
            worst = std::max(worst, std::abs(static_cast<int>((fastPixels[i] >> shift) & 0xFF) -
                                             static_cast<int>((expected[i] >> shift) & 0xFF)));
        }
        close += worst <= 8 ? 1 : 0;
    }
    EXPECT_GE(close, 32 * 24 * 90 / 100);
}

TEST_F(RenderCommandTest, AnUnknownEngineIsAUsageError)
{
    EXPECT_EQ(run("-W 8 -H 8 --engine turbo"), 2);
    const std::string message = read("stderr.txt");
    EXPECT_NE(message.find("engine"), std::string::npos) << message;
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << message;
    EXPECT_EQ(run("-W 8 -H 8 -j many"), 2);
    EXPECT_TRUE(files().empty());
}

}  // namespace
}  // namespace tessaform
