#include "io/ImageFormats.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <future>
#include <string>
#include <vector>

#include "io/ImageOutput.h"
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
        {"a.png", "PNG"}, {"A.PNG", "PNG"},  {"f_%05d.Png", "PNG"},   {".png", "PNG"},  {"a.tga.png", "PNG"},
        {"a.tga", "TGA"}, {"A.TGA", "TGA"},  {"a.png.tga", "TGA"},    {"a.jpg", "TGA"}, {"png", "TGA"},
        {"", "TGA"},      {"a.pngx", "TGA"}, {"folder.png/a", "TGA"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(imageFormatFor(c.name).name, c.format) << c.name;
    }
}

TEST(ImageFormatsTest, DialogsStartOnTheInitialNamesFormatAndHelpListsEveryFormat)
{
    EXPECT_EQ(imageSaveFilters("Julia.tga"), (std::vector<std::string>{"*.tga", "*.png"}));
    EXPECT_EQ(imageSaveFilters("julia_%05d.png"), (std::vector<std::string>{"*.png", "*.tga"}));
    EXPECT_EQ(imageOutputChoices(), ".tga, or .png for a PNG that also carries its parameters");
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
