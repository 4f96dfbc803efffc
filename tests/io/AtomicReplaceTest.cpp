#include "io/AtomicReplace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "support/FullDevice.h"
#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

namespace fs = std::filesystem;

class AtomicReplaceTest : public testing::Test {
protected:
    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    static std::string contents(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void writeText(const std::string& file, const std::string& text)
    {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
    }

    const ScratchFolder scratch_{"tessaform-replace"};
    const fs::path folder_ = scratch_.path();
    const std::string target_ = (folder_ / "render.tga").string();
};

using Names = std::vector<std::string>;

TEST_F(AtomicReplaceTest, SuccessfulWriteReplacesTheTargetAndLeavesNothingElse)
{
    for (const bool targetExists : {false, true}) {
        if (targetExists) {
            writeText(target_, "an older and much longer render");
        }
        std::string temporary;
        const Result<void> outcome = replaceFileAtomically(target_, [&](const std::string& path) {
            temporary = path;
            EXPECT_TRUE(fs::exists(path));
            writeText(path, "new");
            return Result<void>{};
        });
        EXPECT_TRUE(outcome.ok()) << outcome.error();
        EXPECT_EQ("new", contents(target_));
        EXPECT_EQ(Names{"render.tga"}, entries());
        // Beside the target, so that the rename cannot cross file systems.
        EXPECT_EQ(folder_, fs::path(temporary).parent_path());
        EXPECT_NE(target_, temporary);
    }
}

TEST_F(AtomicReplaceTest, FailedWriteKeepsTheOldTargetAndRemovesThePartialFile)
{
    for (const bool targetExists : {true, false}) {
        if (targetExists) {
            writeText(target_, "previous render");
        }
        const Result<void> outcome = replaceFileAtomically(target_, [&](const std::string& path) {
            writeText(path, "half");
            return Failure{"Could not write " + path + ": disk full"};
        });
        // The user hears about the file they named, not the temporary one.
        EXPECT_EQ("Could not write " + target_ + ": disk full", outcome.error());
        if (targetExists) {
            EXPECT_EQ("previous render", contents(target_));
            EXPECT_EQ(Names{"render.tga"}, entries());
            fs::remove(target_);
        } else {
            EXPECT_EQ(Names{}, entries());
        }
    }
}

// Running out of memory while writing, say: the exception passes through.
TEST_F(AtomicReplaceTest, AnExceptionWhileWritingKeepsTheOldTargetAndRemovesThePartialFile)
{
    writeText(target_, "previous render");
    EXPECT_THROW(static_cast<void>(replaceFileAtomically(target_,
                                                         [](const std::string& path) -> Result<void> {
                                                             writeText(path, "half");
                                                             throw std::bad_alloc();
                                                         })),
                 std::bad_alloc);
    EXPECT_EQ("previous render", contents(target_));
    EXPECT_EQ(Names{"render.tga"}, entries());
}

// Found before a render rather than by the rename after it.
TEST_F(AtomicReplaceTest, ANameTheFileSystemCannotHoldIsRefusedBeforeWriting)
{
    const std::string tooLong = (folder_ / (std::string(256, 'n') + ".tga")).string();
    EXPECT_EQ("Could not create " + tooLong + ": File name too long", checkReplaceable(tooLong).error());
    EXPECT_TRUE(checkReplaceable((folder_ / (std::string(251, 'n') + ".tga")).string()).ok());
    EXPECT_EQ(Names{}, entries());
}

TEST_F(AtomicReplaceTest, UnwritableLocationsAreReported)
{
    int calls = 0;
    const auto writer = [&](const std::string& path) {
        ++calls;
        writeText(path, "data");
        return Result<void>{};
    };

    const std::string inMissingFolder = (folder_ / "missing" / "render.tga").string();
    const Result<void> missing = replaceFileAtomically(inMissingFolder, writer);
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(std::string::npos, missing.error().find(inMissingFolder)) << missing.error();
    EXPECT_EQ(0, calls);

    // A non-empty folder cannot be renamed over: the rename itself fails.
    const fs::path occupied = folder_ / "occupied";
    fs::create_directory(occupied);
    writeText((occupied / "keep").string(), "kept");
    const Result<void> blocked = replaceFileAtomically(occupied.string(), writer);
    EXPECT_FALSE(blocked.ok());
    EXPECT_EQ(1, calls);
    EXPECT_EQ("kept", contents((occupied / "keep").string()));
    EXPECT_EQ(Names{"occupied"}, entries());
}

// Renaming over a device would put a file in place of the device node.
TEST_F(AtomicReplaceTest, DevicesAreWrittenInPlace)
{
    const std::string device = fullDeviceIn(folder_);
    if (device.empty()) GTEST_SKIP() << "no device node can be made or opened here";
    std::vector<std::string> written;
    const Result<void> outcome = replaceFileAtomically(device, [&](const std::string& path) {
        written.push_back(path);
        return Failure{"Could not write " + path + ": No space left on device"};
    });
    EXPECT_EQ("Could not write " + device + ": No space left on device", outcome.error());
    EXPECT_EQ(std::vector<std::string>{device}, written);
    struct stat status {};
    ASSERT_EQ(0, ::stat(device.c_str(), &status));
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// /dev/stdout and its kin name a file the process has open: it is written
// through the name, which stays what it was (a link into /proc).
TEST_F(AtomicReplaceTest, AnOpenDescriptorIsWrittenThroughItsName)
{
    const std::string opened = (folder_ / "stdout.tga").string();
    std::FILE* const stream = std::fopen(opened.c_str(), "w");
    ASSERT_NE(stream, nullptr);
    const std::string descriptor = "/proc/self/fd/" + std::to_string(::fileno(stream));
    const std::string link = (folder_ / "stdout-link").string();
    fs::create_symlink(descriptor, link);
    for (const std::string& target : {link, "/dev/fd/" + std::to_string(::fileno(stream)), descriptor}) {
        SCOPED_TRACE(target);
        const Result<void> outcome = replaceFileAtomically(target, [&](const std::string& path) -> Result<void> {
            writeText(path, "picture of " + target);
            return {};
        });
        EXPECT_TRUE(outcome.ok()) << outcome.error();
        EXPECT_EQ("picture of " + target, contents(opened));
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ((Names{"stdout-link", "stdout.tga"}), [&] {
            Names names = entries();
            std::sort(names.begin(), names.end());
            return names;
        }());
    }
    std::fclose(stream);
}

TEST_F(AtomicReplaceTest, ReadOnlyFileIsNotReplaced)
{
    if (::geteuid() == 0) GTEST_SKIP() << "running as root, which may write any file";
    writeText(target_, "protected");
    ASSERT_EQ(0, ::chmod(target_.c_str(), 0444));
    int calls = 0;
    const Result<void> outcome = replaceFileAtomically(target_, [&](const std::string&) {
        ++calls;
        return Result<void>{};
    });
    EXPECT_EQ("Could not write " + target_ + ": Permission denied", outcome.error());
    EXPECT_EQ(0, calls);
    EXPECT_EQ("protected", contents(target_));
    EXPECT_EQ(Names{"render.tga"}, entries());
}

TEST_F(AtomicReplaceTest, NewFileGetsTheUsualPermissions)
{
    for (const mode_t mask : {mode_t{022}, mode_t{077}, mode_t{002}}) {
        const mode_t previous = ::umask(mask);
        const Result<void> outcome = replaceFileAtomically(target_, [](const std::string& path) {
            writeText(path, "data");
            return Result<void>{};
        });
        ::umask(previous);
        ASSERT_TRUE(outcome.ok()) << outcome.error();
        struct stat status {};
        ASSERT_EQ(0, ::stat(target_.c_str(), &status));
        EXPECT_EQ(0666 & ~mask, status.st_mode & 0777) << std::oct << mask;
        fs::remove(target_);
    }
}

}  // namespace
}  // namespace tessaform
