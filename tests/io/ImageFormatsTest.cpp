#include "io/ImageFormats.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <future>
#include <string>
#include <vector>

#include "io/ImageOutput.h"
#include "io/PngWriter.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/Watchdog.h"

namespace tessaform {
namespace {

TEST(ImageFormatsTest, TheExtensionPicksTheFormatAndAnyOtherNameIsATga)
{
    const struct {
        const char* name;
        const char* format;
    } cases[] = {
        {"a.png", "PNG"}, {"A.PNG", "PNG"},  {"f_%05d.Png", "PNG"},   {".png", "PNG"},      {"a.tga.png", "PNG"},
        {"a.tga", "TGA"}, {"A.TGA", "TGA"},  {"a.png.tga", "TGA"},    {"a.jpg", "TGA"},     {"png", "TGA"},
        {"", "TGA"},      {"a.pngx", "TGA"}, {"folder.png/a", "TGA"}, {"a.EXR", "OpenEXR"}, {"f_%05d.exr", "OpenEXR"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(imageFormatFor(c.name).name, c.format) << c.name;
    }
}

TEST(ImageFormatsTest, DialogsStartOnTheInitialNamesFormatAndHelpListsEveryFormat)
{
    EXPECT_EQ(imageSaveFilters("Julia.tga"), (std::vector<std::string>{"*.tga", "*.png", "*.png (16-bit)", "*.exr"}));
    EXPECT_EQ(imageSaveFilters("julia_%05d.png"),
              (std::vector<std::string>{"*.png", "*.png (16-bit)", "*.tga", "*.exr"}));
    EXPECT_EQ(imageSaveFilters("poster.exr"), (std::vector<std::string>{"*.exr", "*.tga", "*.png", "*.png (16-bit)"}));
    EXPECT_EQ(imageOutputChoices(),
              ".tga, .png for a PNG that also carries its parameters, or .exr for an OpenEXR "
              "that also carries its parameters");
}

// What each filter and each choice of the user asks of the render: float
// values only where the file keeps more than 8-bit opaque colour.
TEST(ImageFormatsTest, FiltersStandForEncodingsAndOnlyDeepOnesNeedFloatValues)
{
    const struct {
        const char* filter;
        ImageEncoding encoding;
        const char* name;
        bool deep;
    } cases[] = {
        {"*.tga", {8, false}, "a.tga", false},
        {"*.png", {8, false}, "a.png", false},
        {"*.png (16-bit)", {16, false}, "a.png", true},
        {"*.exr", {16, true}, "a.exr", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encodingForFilter(c.filter), c.encoding) << c.filter;
        EXPECT_EQ(imageFormatFor(c.name).rowsNeedDeepValues(c.encoding), c.deep) << c.filter;
    }
    EXPECT_TRUE(pngImageFormat().rowsNeedDeepValues({8, true}));
    EXPECT_EQ(encodingForFilter("*.bmp"), ImageEncoding{});
    // The name picks the format; a filter of another format is not obeyed.
    EXPECT_EQ(encodingForSave("a.png", "*.png (16-bit)"), (ImageEncoding{16, false}));
    EXPECT_EQ(encodingForSave("a.exr", "*.png (16-bit)"), (ImageEncoding{16, true}));
    EXPECT_EQ(encodingForSave("a.png", "*.exr"), (ImageEncoding{8, false}));
    EXPECT_EQ(encodingForSave("a.tga", "*.png (16-bit)"), (ImageEncoding{8, false}));
    EXPECT_EQ(extensionsOf(imageFormatsOffering(16)), ".png");
    EXPECT_EQ(extensionsOf(imageFormatsWithAlpha()), ".png or .exr");
}

class WholeImageTest : public testing::TestWithParam<const char*> {
protected:
    std::string path(const std::string& name) const { return scratch_.filePath(name + GetParam()); }

    // Three rows that differ, so that a row out of place shows.
    const std::vector<std::uint32_t> pixels_{0x00010203u, 0x00FF0000u, 0x0000FF00u,
                                             0x000000FFu, 0xAB808080u, 0x00FFFFFFu};
    const std::vector<PngText> texts_{{"Software", "Tessaform", false}};
    const ScratchFolder scratch_{"tessaform-formats"};
};

// Streamed rows are placed by offset, a whole image's rows follow one
// another: both must give the same file.
TEST_P(WholeImageTest, IsTheFileItsRowsGiveWhenStreamedTopFirst)
{
    ASSERT_TRUE(writeImageFile(path("whole"), pixels_.data(), 2, 3, texts_).ok());
    ASSERT_TRUE(writeImageFileByRows(path("rows"), 2, 3, texts_, [&](ImageRowWriter& writer) -> Result<void> {
                    for (int row = 0; row < 3; ++row) {
                        if (Result<void> written = writer.writeRow(pixels_.data() + 2 * row, nullptr); !written) {
                            return written;
                        }
                    }
                    return {};
                }).ok());
    EXPECT_EQ(fileBytes(path("whole")), fileBytes(path("rows")));
}

// A pipe cannot seek: a whole image reaches it in the order it is stored.
TEST_P(WholeImageTest, FillsAPipe)
{
    const std::string pipe = path("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const Watchdog watchdog("an image written to a pipe");
    std::future<std::string> read = std::async(std::launch::async, [&] { return fileBytes(pipe); });
    ASSERT_TRUE(writeImageFile(pipe, pixels_.data(), 2, 3, texts_).ok());
    const std::string piped = read.get();
    ASSERT_TRUE(writeImageFile(path("file"), pixels_.data(), 2, 3, texts_).ok());
    EXPECT_EQ(piped, fileBytes(path("file")));
}

INSTANTIATE_TEST_SUITE_P(Formats, WholeImageTest, testing::Values(".tga", ".png"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param + 1); });

}  // namespace
}  // namespace tessaform
