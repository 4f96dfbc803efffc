#include "cli/TaskShare.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace tessaform {
namespace {

TEST(TaskShareTest, RunsCoverEveryItemOnceInOrder)
{
    for (const std::size_t total : {0u, 1u, 7u, 240u}) {
        for (const int count : {1, 2, 3, 7, 16}) {
            std::size_t next = 0;
            for (int index = 1; index <= count; ++index) {
                const auto [first, last] = TaskShare{index, count}.runOf(total);
                EXPECT_EQ(first, next) << total << " " << index << "/" << count;
                EXPECT_LE(last - first, total / static_cast<std::size_t>(count) + 1);
                next = last;
            }
            EXPECT_EQ(next, total);
        }
    }
}

TEST(TaskShareTest, ReadsKOfNOrTheSlurmArray)
{
    const struct {
        std::string text;
        const char* id;  // nullptr: outside an array
        int index;       // 0: refused
        int count;
    } cases[] = {
        {"2/8", nullptr, 2, 8},   {"1/1", nullptr, 1, 1}, {"0/3", nullptr, 0, 0},
        {"4/3", nullptr, 0, 0},   {"2/", nullptr, 0, 0},  {"x/2", nullptr, 0, 0},
        {"slurm", nullptr, 0, 0}, {"slurm", "5", 3, 4},   {"slurm", "9", 0, 0},
    };
    for (const auto& c : cases) {
        if (c.id != nullptr) {
            ::setenv("SLURM_ARRAY_TASK_ID", c.id, 1);
            ::setenv("SLURM_ARRAY_TASK_MIN", "3", 1);
            ::setenv("SLURM_ARRAY_TASK_COUNT", "4", 1);
        } else {
            ::unsetenv("SLURM_ARRAY_TASK_ID");
        }
        const Result<TaskShare> share = parseTaskShare(c.text, "--tile");
        EXPECT_EQ(share.ok(), c.index != 0) << c.text << " " << (c.id ? c.id : "") << ": " << share.error();
        if (share.ok()) {
            EXPECT_EQ(share->index, c.index) << c.text;
            EXPECT_EQ(share->count, c.count) << c.text;
        } else {
            EXPECT_EQ(share.error().rfind("--tile " + c.text, 0), 0u) << share.error();
        }
    }
    ::unsetenv("SLURM_ARRAY_TASK_ID");
}

}  // namespace
}  // namespace tessaform
