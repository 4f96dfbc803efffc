#include "jobs/FrameBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>

namespace tessaform {
namespace {

TEST(FrameBufferTest, NewBufferIsBlackIncludingTheTopByte)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto buffer = createFrameBuffer(37, 23);
        ASSERT_NE(nullptr, buffer);
        EXPECT_EQ(37, buffer->width());
        EXPECT_EQ(23, buffer->height());
        std::uint32_t* pixels = buffer->pixels();
        ASSERT_NE(nullptr, pixels);
        for (std::size_t i = 0; i < 37 * 23; ++i) {
            ASSERT_EQ(0u, pixels[i]) << "pixel " << i << ", attempt " << attempt;
        }
        // Dirty the memory so that a later buffer reusing it must clear it.
        for (std::size_t i = 0; i < 37 * 23; ++i) {
            pixels[i] = 0xFFFFFFFFu;
        }
    }
}

TEST(FrameBufferTest, ImageViewCoversTheBufferRowByRow)
{
    const auto buffer = createFrameBuffer(5, 3);
    ASSERT_NE(nullptr, buffer);
    const PixelImage image = buffer->image();
    EXPECT_EQ(buffer->pixels(), image.pixels);
    EXPECT_EQ(5, image.width);
    EXPECT_EQ(3, image.height);
    image.at(4, 2) = 0x00ABCDEFu;
    EXPECT_EQ(0x00ABCDEFu, buffer->pixels()[2 * 5 + 4]);
}

TEST(FrameBufferTest, EmptySizesGiveAUsableBuffer)
{
    const int sizes[][2] = {{0, 0}, {0, 10}, {10, 0}};
    for (const auto& size : sizes) {
        const auto buffer = createFrameBuffer(size[0], size[1]);
        ASSERT_NE(nullptr, buffer) << size[0] << " x " << size[1];
        EXPECT_NE(nullptr, buffer->pixels());
        EXPECT_EQ(size[0], buffer->width());
        EXPECT_EQ(size[1], buffer->height());
    }
}

TEST(FrameBufferTest, ImpossibleSizesGiveNoBuffer)
{
    const int sizes[][2] = {{-1, 10}, {10, -1}, {0, -5}, {-5, 0}, {-1, -1}, {INT_MIN, INT_MIN}, {INT_MAX, INT_MAX}};
    for (const auto& size : sizes) {
        EXPECT_EQ(nullptr, createFrameBuffer(size[0], size[1])) << size[0] << " x " << size[1];
    }
}

// Counted against RAM and swap together: a thousand copies of the largest
// picture exceed any machine, one pixel fits every one.
TEST(FrameBufferTest, MemoryTestCountsEveryCopy)
{
    EXPECT_TRUE(frameBuffersFit(1, 1, 3));
    EXPECT_TRUE(frameBuffersFit(0, 65535, 3));
    EXPECT_TRUE(frameBuffersFit(65535, 65535, 0));
    EXPECT_FALSE(frameBuffersFit(65535, 65535, 1 << 20));
    EXPECT_FALSE(frameBuffersFit(INT_MAX, INT_MAX, INT_MAX));
    EXPECT_FALSE(frameBuffersFit(-1, 1, 1));
    EXPECT_FALSE(frameBuffersFit(1, 1, -1));
}

}  // namespace
}  // namespace tessaform
