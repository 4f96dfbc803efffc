// Splits arbitrary bytes into a command line for tessaform-render and checks
// the parse: it never throws, an error is one line, accepted options are in
// range, every --set names a real slot with a value of its kind and lands in
// the record, and --save-params writes what loads back. Nothing is rendered
// and no path from the input is ever opened.

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "FuzzCheck.h"
#include "cli/CliOptions.h"
#include "cli/FieldAssignment.h"
#include "jobs/ParamFileIo.h"
#include "params/FractalParams.h"
#include "params/ParamFields.h"
#include "params/ParamFile.h"
#include "params/ParamText.h"

namespace {

using tessaform::FractalParams;

constexpr std::size_t kMaxArguments = 32;
constexpr std::size_t kMaxArgumentLength = 256;
// direction, angle and power
constexpr int kFirstUnstoredSlot = tessaform::slotAt(offsetof(FractalParams, direction));
constexpr int kIterationsSlot = tessaform::slotAt(offsetof(FractalParams, iterations));
constexpr int kPowerSlot = tessaform::slotAt(offsetof(FractalParams, power));

// Where --save-params output goes, whatever path the input names: a folder
// of this process's own, in memory where the system has /dev/shm, because
// every save is flushed to disk.
std::filesystem::path scratchFolder;

void removeScratchFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder, ignored);
}

void makeScratchFolder()
{
    std::error_code error;
    const std::filesystem::path base =
        std::filesystem::is_directory("/dev/shm", error) ? "/dev/shm" : std::filesystem::temp_directory_path();
    std::string pattern = (base / "tessaform-fuzz-cli-XXXXXX").string();
    FUZZ_CHECK(mkdtemp(pattern.data()) != nullptr);
    scratchFolder = pattern;
    std::atexit(removeScratchFolder);
}

// NUL separates arguments; each is cut to a sane length and the count is
// capped, like any shell would deliver.
std::vector<std::string> splitArguments(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> arguments{"tessaform-render"};
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    while (!rest.empty() && arguments.size() <= kMaxArguments) {
        const std::size_t end = std::min(rest.find('\0'), rest.size());
        arguments.emplace_back(rest.substr(0, std::min(end, kMaxArgumentLength)));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return arguments;
}

bool sameSlot(const FractalParams& a, const FractalParams& b, int slot)
{
    return std::memcmp(reinterpret_cast<const unsigned char*>(&a) + 4 * slot,
                       reinterpret_cast<const unsigned char*>(&b) + 4 * slot, 4) == 0;
}

bool holdsAssignedValue(const FractalParams& params, const tessaform::FieldAssignment& assignment)
{
    if (const auto* integer = std::get_if<std::int32_t>(&assignment.value)) {
        return tessaform::readIntegerSlot(params, assignment.slot) == *integer;
    }
    const float expected = std::get<float>(assignment.value);
    const float stored = tessaform::readFloatSlot(params, assignment.slot);
    return std::memcmp(&expected, &stored, sizeof stored) == 0;
}

// Every argument on its own as a --set value: a field that is accepted is
// the one its name says, of its kind, and the text is exactly its value.
void checkAssignmentText(const std::string& text)
{
    const auto parsed = tessaform::parseFieldAssignment(text);
    if (!parsed) {
        FUZZ_CHECK(!parsed.error().empty());
        return;
    }
    const tessaform::FieldAssignment& assignment = *parsed;
    const std::string_view name = std::string_view(text).substr(0, text.find('='));
    const std::string_view value = std::string_view(text).substr(name.size() + 1);
    const tessaform::ParamField* field = tessaform::findParamField(name);
    FUZZ_CHECK(field != nullptr && field->slot == assignment.slot);
    const bool integer = field->kind == tessaform::FieldKind::Integer;
    FUZZ_CHECK(integer == std::holds_alternative<std::int32_t>(assignment.value));
    FUZZ_CHECK(integer == (assignment.slot == kIterationsSlot || assignment.slot == kPowerSlot));
    // strtoll and strtof are the yardstick: they read the same text by
    // other code, so an accepted value must be all of the text and equal.
    char* end = nullptr;
    if (integer) {
        const std::int32_t number = std::get<std::int32_t>(assignment.value);
        FUZZ_CHECK(!value.empty() && (value[0] == '-' || (value[0] >= '0' && value[0] <= '9')));
        const std::string digits(value);
        errno = 0;
        const long long reread = std::strtoll(digits.c_str(), &end, 10);
        FUZZ_CHECK(errno == 0 && end == digits.c_str() + digits.size() && reread == number);
        if (assignment.slot == kPowerSlot) FUZZ_CHECK(number >= 2 && number <= 5);
    } else {
        const float number = std::get<float>(assignment.value);
        FUZZ_CHECK(!value.empty() && value[0] != '+' && !std::isspace(static_cast<unsigned char>(value[0])));
        const std::string digits(value);
        const float reread = std::strtof(digits.c_str(), &end);
        FUZZ_CHECK(end == digits.c_str() + digits.size());
        FUZZ_CHECK(std::memcmp(&reread, &number, sizeof number) == 0 || (std::isnan(reread) && std::isnan(number)));
        // A NaN keeps the bits its text names, as keyframe files read them.
        if (std::isnan(number)) {
            const tessaform::Result<float> exact = tessaform::parseTypedFloat(value);
            FUZZ_CHECK(exact && std::memcmp(&*exact, &number, sizeof number) == 0);
        }
    }
}

FractalParams appliedParams(const tessaform::CliOptions& options)
{
    FractalParams params = tessaform::defaultParams();
    for (const tessaform::FieldAssignment& assignment : options.assignments) {
        FUZZ_CHECK(assignment.slot >= 0 && assignment.slot < tessaform::kParamSlotCount);
        tessaform::applyFieldAssignment(params, assignment);
    }
    // The last assignment to a slot wins, and nothing else changes.
    std::vector<bool> assigned(tessaform::kParamSlotCount, false);
    for (auto it = options.assignments.rbegin(); it != options.assignments.rend(); ++it) {
        if (assigned[static_cast<std::size_t>(it->slot)]) continue;
        assigned[static_cast<std::size_t>(it->slot)] = true;
        FUZZ_CHECK(holdsAssignedValue(params, *it));
    }
    const FractalParams defaults = tessaform::defaultParams();
    for (int slot = 0; slot < tessaform::kParamSlotCount; ++slot) {
        if (!assigned[static_cast<std::size_t>(slot)]) FUZZ_CHECK(sameSlot(params, defaults, slot));
    }
    return params;
}

// What --save-params writes loads back as the in-memory save and load of
// the same record; the slots a file does not carry come back as defaults.
void checkSavedParams(const FractalParams& params)
{
    const std::string path = (scratchFolder / "saved.j4d").string();
    FUZZ_CHECK(tessaform::writeParamsFile(path, params).ok());
    FractalParams fromFile = tessaform::defaultParams();
    const tessaform::Result<int> linesRead = tessaform::readParamsFile(path, fromFile);
    FUZZ_CHECK(linesRead && *linesRead == tessaform::kParamFileLines);

    std::stringstream text;
    FUZZ_CHECK(tessaform::saveParams(text, params));
    FractalParams fromMemory = tessaform::defaultParams();
    tessaform::loadParams(text, fromMemory);
    FUZZ_CHECK(!tessaform::paramsDiffer(fromFile, fromMemory));
    const FractalParams defaults = tessaform::defaultParams();
    for (int slot = kFirstUnstoredSlot; slot < tessaform::kParamSlotCount; ++slot) {
        FUZZ_CHECK(sameSlot(fromFile, defaults, slot));
    }
}

void checkOptions(const tessaform::CliOptions& options)
{
    FUZZ_CHECK(options.width >= 1 && options.width <= 65535);
    FUZZ_CHECK(options.height >= 1 && options.height <= 65535);
    FUZZ_CHECK(options.render || options.saveParamsFile.has_value());
    const FractalParams params = appliedParams(options);
    if (options.saveParamsFile) {
        checkSavedParams(params);
    }
}

void checkCommandLine(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv;
    bool argumentHasLineBreak = false;
    for (const std::string& argument : arguments) {
        argv.push_back(argument.c_str());
        argumentHasLineBreak = argumentHasLineBreak || argument.find_first_of("\r\n") != std::string::npos;
    }
    argv.push_back(nullptr);

    const tessaform::ParsedCommandLine parsed =
        tessaform::parseCommandLine(static_cast<int>(arguments.size()), argv.data());
    if (parsed.textToPrint) {
        FUZZ_CHECK(!parsed.textToPrint->empty());
        return;
    }
    if (!parsed.options) {
        // One line on stderr, unless the input itself put a line break in it.
        const std::string& error = parsed.options.error();
        FUZZ_CHECK(!error.empty());
        FUZZ_CHECK(argumentHasLineBreak || error.find('\n') == std::string::npos);
        return;
    }
    checkOptions(*parsed.options);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    makeScratchFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        const std::vector<std::string> arguments = splitArguments(data, size);
        checkCommandLine(arguments);
        for (std::size_t i = 1; i < arguments.size(); ++i) {
            checkAssignmentText(arguments[i]);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "exception escaped: %s\n", error.what());
        std::abort();
    }
    return 0;
}
