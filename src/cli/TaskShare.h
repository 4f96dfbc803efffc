#pragma once

#include <cstddef>
#include <string>
#include <utility>

#include "base/Result.h"

namespace tessaform {

// Which of several like tasks this one is: K of N, K from 1.
struct TaskShare {
    int index = 1;
    int count = 1;

    // The contiguous run [first, last) of total items that falls to this task;
    // runs differ in length by one at most.
    std::pair<std::size_t, std::size_t> runOf(std::size_t total) const;
};

// "K/N", or "slurm" for the task's place in a Slurm job array
// (SLURM_ARRAY_TASK_ID relative to SLURM_ARRAY_TASK_MIN, of
// SLURM_ARRAY_TASK_COUNT). option names the option in messages.
Result<TaskShare> parseTaskShare(const std::string& text, const std::string& option);

}  // namespace tessaform
