#include "io/PartialFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "io/AtomicReplace.h"
#include "support/FileBytes.h"
#include "support/GoneProcess.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

std::string partialName(const std::string& host, long pid, unsigned long long start)
{
    return ".tessaform-" + host + "-" + std::to_string(pid) + "-" + std::to_string(start) +
           "-999999.partial";  // an index this run never reaches
}

TEST(PartialFilesTest, ANameTellsItsWriter)
{
    const ProcessIdentity self = thisProcess();
    const std::string name = std::filesystem::path(newPartialFilePath("some/folder")).filename().string();
    const std::optional<ProcessIdentity> writer = writerOfPartialFile(name);
    ASSERT_TRUE(writer.has_value()) << name;
    EXPECT_EQ(writer->host, self.host);
    EXPECT_EQ(writer->pid, self.pid);
    EXPECT_EQ(writer->startTicks, self.startTicks);
    // The older name, without host and start time, cannot be judged.
    EXPECT_EQ(writerOfPartialFile(".tessaform-12-5.partial"), std::nullopt);
    EXPECT_EQ(writerOfPartialFile(".tessaform-12-34-5.partial"), std::nullopt);
    EXPECT_EQ(writerOfPartialFile(".tessaform-my-host.lan-12-34-5.partial")->host, "my-host.lan");
}

// A render killed outright leaves its temporary file; the next write into
// that folder clears it, and nothing a live or unknown writer may own.
TEST(PartialFilesTest, AWriteIntoAFolderClearsWhatEndedWritersLeft)
{
    const ScratchFolder scratch("tessaform-partials");
    const ProcessIdentity self = thisProcess();
    const struct {
        std::string name;
        bool stays;
    } files[] = {
        {partialName(self.host, goneProcess(), self.startTicks), false},
        {partialName(self.host, self.pid, self.startTicks + 1), false},
        {partialName(self.host, 0, 0), false},
        {partialName(self.host, self.pid, self.startTicks), true},
        {partialName("elsewhere", goneProcess(), 0), true},
        {".tessaform-" + std::to_string(goneProcess()) + "-0.partial", true},
        {"render.tga.partial", true},
        {"render.tga", true},
    };
    for (const auto& file : files) {
        writeFileBytes(scratch.filePath(file.name), "half a render");
    }
    ASSERT_TRUE(checkReplaceable(scratch.filePath("render.tga")).ok());
    for (const auto& file : files) {
        EXPECT_EQ(std::filesystem::exists(scratch.filePath(file.name)), file.stays) << file.name;
    }
}

}  // namespace
}  // namespace tessaform
