#include "app/FrameClaim.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

using namespace std::chrono_literals;

// A process id that no process has any more: a child that has been reaped.
pid_t goneProcess()
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    return child;
}

std::string hostName()
{
    char name[256] = {};
    ::gethostname(name, sizeof name - 1);
    return name;
}

TEST(FrameClaimTest, OneRunHoldsAFrameUntilItsClaimEndsOrGoesStale)
{
    const ScratchFolder scratch("tessaform-claims");
    const std::string image = scratch.filePath("f_1.png");
    const std::string claimFile = FrameClaim::claimPathFor(image);
    {
        const std::optional<FrameClaim> first = FrameClaim::take(image, 3600s);
        ASSERT_TRUE(first.has_value());
        EXPECT_EQ(fileBytes(claimFile).rfind(hostName() + " " + std::to_string(::getpid()) + " ", 0), 0u);
        EXPECT_FALSE(FrameClaim::take(image, 3600s).has_value()) << "a live claim was taken over";
    }
    EXPECT_FALSE(std::filesystem::exists(claimFile)) << "an ended claim stayed";

    const struct {
        std::string owner;
        bool takenOver;
    } cases[] = {
        {hostName() + " " + std::to_string(goneProcess()) + " " + std::to_string(std::time(nullptr)) + "\n", true},
        {"elsewhere 1 " + std::to_string(std::time(nullptr)) + "\n", false},
        {"elsewhere 1 " + std::to_string(std::time(nullptr) - 7200) + "\n", true},
        {"cut", false},
    };
    for (const auto& c : cases) {
        writeFileBytes(claimFile, c.owner);
        const std::optional<FrameClaim> claim = FrameClaim::take(image, 3600s);
        EXPECT_EQ(claim.has_value(), c.takenOver) << c.owner;
        if (claim) {
            EXPECT_NE(fileBytes(claimFile), c.owner);
        }
    }
}

}  // namespace
}  // namespace tessaform
