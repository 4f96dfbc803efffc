#include "io/ProcessIdentity.h"

#include <gtest/gtest.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "support/GoneProcess.h"

namespace tessaform {
namespace {

TEST(ProcessIdentityTest, OnlyTheProcessWithThatPidAndStartTimeStillRuns)
{
    const ProcessIdentity self = thisProcess();
    ASSERT_GT(self.startTicks, 0u);
    const struct {
        ProcessIdentity process;
        bool ended;
    } cases[] = {
        {self, false},
        {{self.host, self.pid, self.startTicks + 1}, true},
        {{self.host, goneProcess(), self.startTicks}, true},
        {{self.host, 1, self.startTicks + 12345678}, true},
        {{self.host, 0, 0}, true},
        {{self.host, -1, 0}, true},
        {{self.host, 1L << 40, 0}, true},
        {{"elsewhere", goneProcess(), 0}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hasEnded(c.process), c.ended)
            << c.process.host << " " << c.process.pid << " " << c.process.startTicks;
    }
}

// The start time is read after the command name, which may hold spaces and
// parentheses of its own.
TEST(ProcessIdentityTest, AnOddCommandNameKeepsTheStartTime)
{
    char name[17] = {};
    ::prctl(PR_GET_NAME, name);
    const ProcessIdentity plain = thisProcess();
    ::prctl(PR_SET_NAME, "x) S 1 2 3 (y");
    const ProcessIdentity odd = thisProcess();
    ::prctl(PR_SET_NAME, name);
    EXPECT_EQ(odd.startTicks, plain.startTicks);
    EXPECT_FALSE(hasEnded(odd));
}

}  // namespace
}  // namespace tessaform
