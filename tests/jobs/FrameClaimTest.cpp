#include "jobs/FrameClaim.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>

#include "io/ProcessIdentity.h"
#include "support/FileBytes.h"
#include "support/GoneProcess.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

using namespace std::chrono_literals;

std::string claimText(const std::string& host, long long pid, unsigned long long start, long long age = 0)
{
    return host + " " + std::to_string(pid) + " " + std::to_string(start) + " " +
           std::to_string(std::time(nullptr) - age) + "\n";
}

TEST(FrameClaimTest, OneRunHoldsAFrameUntilItsClaimEndsOrGoesStale)
{
    const ScratchFolder scratch("tessaform-claims");
    const std::string image = scratch.filePath("f_1.png");
    const std::string claimFile = FrameClaim::claimPathFor(image);
    const ProcessIdentity self = thisProcess();
    {
        const std::optional<FrameClaim> first = FrameClaim::take(image, 3600s);
        ASSERT_TRUE(first.has_value());
        const std::string owner = self.host + " " + std::to_string(self.pid) + " " + std::to_string(self.startTicks);
        EXPECT_EQ(fileBytes(claimFile).rfind(owner + " ", 0), 0u) << fileBytes(claimFile);
        EXPECT_FALSE(FrameClaim::take(image, 3600s).has_value()) << "a live claim was taken over";
    }
    EXPECT_FALSE(std::filesystem::exists(claimFile)) << "an ended claim stayed";
    const std::string takenOverByOther = claimText("elsewhere", 1, 5);
    {
        const std::optional<FrameClaim> overdue = FrameClaim::take(image, 3600s);
        writeFileBytes(claimFile, takenOverByOther);
    }
    EXPECT_EQ(fileBytes(claimFile), takenOverByOther) << "a claim that took over an overdue one was removed";

    const struct {
        std::string owner;
        bool takenOver;
    } cases[] = {
        {claimText(self.host, self.pid, self.startTicks), false},
        {claimText(self.host, goneProcess(), self.startTicks), true},
        // A PID in use, but by a process that started at another time.
        {claimText(self.host, self.pid, self.startTicks + 1), true},
        {claimText(self.host, 1, 1234567890123), true},
        {claimText(self.host, 0, 0), true},
        {claimText(self.host, -1, 0), true},
        {claimText("elsewhere", 1, 5), false},
        {claimText("elsewhere", 1, 5, 7200), true},
        {claimText("elsewhere", 1, 5, -7200), true},
        {claimText("elsewhere", -1, 5), true},
        {"elsewhere 1 5 -9223372036854775808\n", true},
        {"elsewhere 1 5 9223372036854775807\n", true},
        // Cut short, of the older three-word kind, or with words after it.
        {"cut", true},
        {"", true},
        {self.host + " " + std::to_string(self.pid) + " " + std::to_string(std::time(nullptr)) + "\n", true},
        {claimText(self.host, self.pid, self.startTicks) + "more", true},
    };
    for (const auto& c : cases) {
        writeFileBytes(claimFile, c.owner);
        const std::optional<FrameClaim> claim = FrameClaim::take(image, 3600s);
        EXPECT_EQ(claim.has_value(), c.takenOver) << c.owner;
        if (claim) {
            EXPECT_NE(fileBytes(claimFile), c.owner);
        }
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(scratch.path()), {}), 0)
        << "a claim's draft or a taken-over claim stayed beside the image";
}

}  // namespace
}  // namespace tessaform
