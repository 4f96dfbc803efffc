#include "anim/FrameList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessaform {
namespace {

TEST(FrameListTest, RangesStepsAndSinglesInRisingOrder)
{
    const struct {
        std::string text;
        std::vector<int> frames;
    } cases[] = {
        {"7", {7}},
        {"0-4", {0, 1, 2, 3, 4}},
        {"0-9:3", {0, 3, 6, 9}},
        {"3,5-7,47", {3, 5, 6, 7, 47}},
        {"10-12,0-2:2,11", {0, 2, 10, 11, 12}},
        {"5-5", {5}},
    };
    for (const auto& c : cases) {
        const Result<std::vector<int>> frames = parseFrameList(c.text);
        ASSERT_TRUE(frames.ok()) << c.text << ": " << frames.error();
        EXPECT_EQ(*frames, c.frames) << c.text;
    }
}

TEST(FrameListTest, BadListsAreRefusedWithTheItem)
{
    for (const std::string text :
         {"", "1,,2", "a", "-3", "5-2", "0-9:0", "0-9:", "1-", "2 ", "1.5", "0-99999999999", "0-2000000000"}) {
        const Result<std::vector<int>> frames = parseFrameList(text);
        EXPECT_FALSE(frames.ok()) << "'" << text << "'";
    }
    EXPECT_EQ(parseFrameList("1,5-2").error(), "bad frame list item '5-2'");
}

TEST(FrameListTest, KeysGiveEveryFrameBetweenThemUpToTheLimit)
{
    Animation animation;
    animation.keys = {{3, defaultParams()}, {6, defaultParams()}};
    EXPECT_EQ(*framesFromFirstToLastKey(animation), (std::vector<int>{3, 4, 5, 6}));
    animation.keys.back().frame = 10'000'003;
    EXPECT_EQ(framesFromFirstToLastKey(animation).error(), "the keys span 10000001 frames");
}

}  // namespace
}  // namespace tessaform
