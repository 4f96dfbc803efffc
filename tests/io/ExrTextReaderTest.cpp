#include "io/ExrTextReader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "io/ImageOutput.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

class ExrTextReaderTest : public testing::Test {
protected:
    ExrTextReaderTest()
    {
        // Rows of 40 so that the image has several blocks of 16.
        const std::vector<DeepPixel> row(3, DeepPixel{{0.5f, 0.5f, 0.5f}, {0.5f, 0.5f, 0.5f}, 1.0f, 2.0f, {0, 0, 1}});
        const std::vector<std::uint32_t> pixels(3, 0u);
        EXPECT_TRUE(writeImageFileByRows(path_, 3, 40, texts_, [&](ImageRowWriter& writer) -> Result<void> {
                        for (int y = 0; y < 40; ++y) {
                            if (Result<void> written = writer.writeRow(pixels.data(), row.data()); !written) {
                                return written;
                            }
                        }
                        return {};
                    }).ok());
        whole_ = fileBytes(path_);
    }

    // The place of the first entry of the table of blocks: the one 8-byte
    // number in the file that points just past the table's 3 entries.
    std::size_t blockTable() const
    {
        for (std::size_t at = 0; at + 8 <= whole_.size(); ++at) {
            std::uint64_t value = 0;
            std::memcpy(&value, whole_.data() + at, sizeof value);
            if (value == at + 3 * 8) {
                return at;
            }
        }
        ADD_FAILURE() << "no table of blocks";
        return 0;
    }

    const std::vector<PngText> texts_{{"Software", "Tessaform 1.1", false},
                                      {"tessaform-parameters", "power=2\nangle=0.5\n", false},
                                      {"tessaform-gradient", std::string(100000, 'f'), true}};
    const ScratchFolder scratch_{"tessaform-exr-texts"};
    const std::string path_ = scratch_.filePath("whole.exr");
    std::string whole_;
};

TEST_F(ExrTextReaderTest, ReadsEveryStringAttributeWhole)
{
    const Result<std::vector<PngText>> texts = readExrTexts(path_);
    ASSERT_TRUE(texts.ok()) << texts.error();
    for (const PngText& written : texts_) {
        const auto found = std::find_if(texts->begin(), texts->end(),
                                        [&](const PngText& text) { return text.keyword == written.keyword; });
        ASSERT_NE(found, texts->end()) << written.keyword;
        EXPECT_EQ(found->text, written.text);
    }
}

// Cut anywhere or damaged where the library finds its way, the file is
// refused: nothing of it is taken.
TEST_F(ExrTextReaderTest, ACutOrDamagedFileIsRefused)
{
    const std::size_t table = blockTable();
    const auto cut = [&](std::size_t size) { return whole_.substr(0, size); };
    const auto damaged = [&](std::size_t at, const std::string& bytes) {
        std::string copy = whole_;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"empty", ""},
        {"within the magic number", cut(3)},
        {"within the header", cut(table / 2)},
        {"at the end of the header", cut(table)},
        {"within the table of blocks", cut(table + 12)},
        {"within the first block", cut(table + 3 * 8 + 10)},
        {"by one byte", cut(whole_.size() - 1)},
        {"a wrong magic number", damaged(0, "v/1\x02")},
        {"a block missing from the table", damaged(table + 8, std::string(8, '\0'))},
        {"a block past the end", damaged(table + 16, std::string(7, '\x7F'))},
    };
    for (const auto& c : cases) {
        const std::string path = scratch_.filePath("damaged.exr");
        writeFileBytes(path, c.bytes);
        const Result<std::vector<PngText>> texts = readExrTexts(path);
        EXPECT_FALSE(texts.ok()) << c.what;
        if (!texts.ok()) {
            EXPECT_EQ(texts.error().find('\n'), std::string::npos) << c.what << ": " << texts.error();
        }
    }
}

}  // namespace
}  // namespace tessaform
