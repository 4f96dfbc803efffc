#include "cli/TaskShare.h"

#include <charconv>
#include <cstdlib>
#include <string_view>

namespace tessaform {
namespace {

bool readWhole(std::string_view text, int& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    return !text.empty() && error == std::errc() && stop == end;
}

Result<TaskShare> checked(int index, int count, const std::string& option, const std::string& text)
{
    if (count < 1 || index < 1 || index > count) {
        return Failure{option + " " + text + ": K/N needs 1 <= K <= N"};
    }
    return TaskShare{index, count};
}

Result<TaskShare> shareFromSlurm(const std::string& option)
{
    const char* id = std::getenv("SLURM_ARRAY_TASK_ID");
    const char* minimum = std::getenv("SLURM_ARRAY_TASK_MIN");
    const char* count = std::getenv("SLURM_ARRAY_TASK_COUNT");
    int taskId = 0;
    int taskMin = 0;
    int taskCount = 0;
    if (id == nullptr || minimum == nullptr || count == nullptr || !readWhole(id, taskId) ||
        !readWhole(minimum, taskMin) || !readWhole(count, taskCount)) {
        return Failure{option + " slurm: not inside a Slurm job array (sbatch --array)"};
    }
    // An array with a step (--array=0-9:3) numbers its tasks sparsely, which
    // no K of N describes.
    return checked(taskId - taskMin + 1, taskCount, option, "slurm");
}

}  // namespace

std::pair<std::size_t, std::size_t> TaskShare::runOf(std::size_t total) const
{
    const auto share = [&](int k) { return total * static_cast<std::size_t>(k) / static_cast<std::size_t>(count); };
    return {share(index - 1), share(index)};
}

Result<TaskShare> parseTaskShare(const std::string& text, const std::string& option)
{
    if (text == "slurm") {
        return shareFromSlurm(option);
    }
    const std::size_t slash = text.find('/');
    int index = 0;
    int count = 0;
    if (slash == std::string::npos || !readWhole(std::string_view(text).substr(0, slash), index) ||
        !readWhole(std::string_view(text).substr(slash + 1), count)) {
        return Failure{option + " " + text + ": expected K/N, such as 2/8, or slurm"};
    }
    return checked(index, count, option, text);
}

}  // namespace tessaform
