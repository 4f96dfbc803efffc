#include "params/BoundedFileRead.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/ScratchFolder.h"

namespace tessaform {
namespace {

// What cannot end, or is not a file, is refused before it is read; a named
// pipe is read to its end, up to the same ceiling as a file.
TEST(BoundedFileReadTest, ReadsFilesAndPipesToTheCeilingAndNothingElse)
{
    const ScratchFolder scratch{"tessaform-bounded"};
    std::ofstream(scratch.filePath("ten.txt"), std::ios::binary) << "0123456789";
    const struct {
        std::string path;
        std::size_t ceiling;
        std::string outcome;  // the text, or "!" and the reason
    } cases[] = {
        {scratch.filePath("ten.txt"), 10, "0123456789"},
        {scratch.filePath("ten.txt"), 9, "!longer than 9 bytes"},
        {"/dev/zero", kLargestTextFile, "!not a regular file"},
        {"/dev/urandom", kLargestTextFile, "!not a regular file"},
        {scratch.path().string(), kLargestTextFile, "!not a regular file"},
        {scratch.filePath("absent.txt"), kLargestTextFile, "!No such file or directory"},
        {"/proc/self/mem", kLargestTextFile, "!Input/output error"},
    };
    for (const auto& c : cases) {
        const Result<std::string> text = readBoundedFile(c.path, c.ceiling);
        EXPECT_EQ(text ? *text : "!" + text.error(), c.outcome) << c.path;
    }

    const std::string pipe = scratch.filePath("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const auto pipeRead = [&](std::size_t bytes, std::size_t ceiling) {
        std::thread writer([&] { std::ofstream(pipe, std::ios::binary) << std::string(bytes, 'x'); });
        const Result<std::string> text = readBoundedFile(pipe, ceiling);
        writer.join();
        return text ? std::to_string(text->size()) : text.error();
    };
    EXPECT_EQ(pipeRead(100000, 100000), "100000");
    // One byte over: the writer is done before the refusal closes the pipe.
    EXPECT_EQ(pipeRead((2u << 20) + 1, 2u << 20), "longer than 2 MiB");
}

}  // namespace
}  // namespace tessaform
