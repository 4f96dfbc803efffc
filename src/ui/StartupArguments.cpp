#include "ui/StartupArguments.h"

#include <algorithm>

#include "jobs/ProgramTitle.h"

namespace tessaform {
namespace {

constexpr std::string_view kEndOfOptions = "--";

// Written for people and for help2man, which makes the manual page from it.
std::string helpText()
{
    return "Usage: tessaform [OPTION] [FILE]\n"
           "Ray-traces three-dimensional slices of four-dimensional quaternion Julia sets in a\n"
           "settings window with a live preview.\n"
           "\n"
           "FILE, when given, opens with the program: a parameter file (.j4d) or a PNG saved by\n"
           "Tessaform loads its parameters, and a keyframe file (.toml) opens the animation window\n"
           "with it. Any other file is refused with a message, and the program starts as without one.\n"
           "\n"
           "Options:\n"
           "  -h, --help     print this help and exit\n"
           "      --version  print the version and exit\n"
           "\n"
           "The toolkit's own options, such as -platform NAME, are taken too.\n"
           "\n"
           "Exit status: 2 when the window is closed, 66 after File > Exit, 1 for a command\n"
           "line that the program does not take.\n";
}

std::vector<std::string> optionsPart(const std::vector<std::string>& arguments)
{
    return {arguments.begin(), std::find(arguments.begin(), arguments.end(), kEndOfOptions)};
}

}  // namespace

std::optional<std::string> startupTextToPrint(const std::vector<std::string>& arguments)
{
    const std::vector<std::string> options = optionsPart(arguments);
    const auto asks = [&options](std::string_view option) {
        return std::find(options.begin(), options.end(), option) != options.end();
    };
    if (asks("-h") || asks("--help")) {
        return helpText();
    }
    if (asks("--version")) {
        return "tessaform (" + programNameAndVersion() + ")\n";
    }
    return std::nullopt;
}

Result<std::optional<std::string>> startupFile(const std::vector<std::string>& arguments)
{
    std::vector<std::string> files;
    bool optionsEnded = false;
    for (const std::string& argument : arguments) {
        if (!optionsEnded && argument == kEndOfOptions) {
            optionsEnded = true;
        } else if (!optionsEnded && argument.size() > 1 && argument.front() == '-') {
            return Failure{"unknown option " + argument};
        } else {
            files.push_back(argument);
        }
    }
    if (files.size() > 1) {
        return Failure{"one file at most, not " + std::to_string(files.size())};
    }
    return files.empty() ? std::optional<std::string>() : files.front();
}

}  // namespace tessaform
