#include "io/PartialFiles.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdlib>
#include <mutex>
#include <set>
#include <system_error>

namespace tessaform {
namespace {

constexpr const char* kPrefix = ".tessaform-";
constexpr const char* kSuffix = ".partial";

bool isNumber(const std::string& text)
{
    return !text.empty() && text.size() <= 19 &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// The last dash-separated word of text, taken off it.
std::string takeLastWord(std::string& text)
{
    const std::size_t dash = text.rfind('-');
    if (dash == std::string::npos) {
        return {};
    }
    std::string word = text.substr(dash + 1);
    text.erase(dash);
    return word;
}

// Each folder once: a run writing thousands of frames into one folder
// looks through it before the first.
bool firstLookAt(const std::filesystem::path& folder)
{
    static std::mutex guard;
    static std::set<std::string> seen;
    const std::lock_guard<std::mutex> lock(guard);
    return seen.insert(folder.string()).second;
}

}  // namespace

std::string newPartialFilePath(const std::filesystem::path& folder)
{
    static std::atomic<unsigned> counter{0};
    const ProcessIdentity self = thisProcess();
    const std::string name = kPrefix + self.host + "-" + std::to_string(self.pid) + "-" +
                             std::to_string(self.startTicks) + "-" + std::to_string(counter++) + kSuffix;
    return (folder / name).string();
}

std::optional<ProcessIdentity> writerOfPartialFile(const std::string& fileName)
{
    const std::string prefix = kPrefix;
    const std::string suffix = kSuffix;
    if (fileName.size() <= prefix.size() + suffix.size() || fileName.rfind(prefix, 0) != 0 ||
        fileName.compare(fileName.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return std::nullopt;
    }
    std::string rest = fileName.substr(prefix.size(), fileName.size() - prefix.size() - suffix.size());
    const std::string count = takeLastWord(rest);
    const std::string start = takeLastWord(rest);
    const std::string pid = takeLastWord(rest);
    if (!isNumber(count) || !isNumber(start) || !isNumber(pid) || rest.empty()) {
        return std::nullopt;
    }
    return ProcessIdentity{rest, std::strtol(pid.c_str(), nullptr, 10), std::strtoull(start.c_str(), nullptr, 10)};
}

void removeStalePartialFiles(const std::filesystem::path& folder)
{
    const std::filesystem::path where = folder.empty() ? "." : folder;
    if (!firstLookAt(where)) {
        return;
    }
    std::error_code error;
    for (std::filesystem::directory_iterator entry(where, error), end; !error && entry != end; entry.increment(error)) {
        const std::optional<ProcessIdentity> writer = writerOfPartialFile(entry->path().filename().string());
        if (writer && hasEnded(*writer)) {
            std::error_code ignored;
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

}  // namespace tessaform
