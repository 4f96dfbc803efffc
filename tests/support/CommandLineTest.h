#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"
#include "support/Watchdog.h"

namespace tessaform {

// Runs the real executable in a fresh folder, as a user would.
class CommandLineTest : public ::testing::Test {
protected:
    // A run that hangs is stopped after the watchdog's patience and fails
    // the test, naming its arguments.
    int run(const std::string& arguments)
    {
        const std::string command = "cd '" + folder_.string() + "' && timeout -k 5 " +
                                    std::to_string(kWatchdogPatience.count()) + " '" TESSAFORM_RENDER_EXE "' " +
                                    arguments + " 2> stderr.txt";
        const int status = std::system(command.c_str());
        const int exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        constexpr int kTimedOut = 124;
        constexpr int kKilled = 128 + 9;
        if (exitCode == kTimedOut || exitCode == kKilled) {
            ADD_FAILURE() << "Watchdog: gave up after " << kWatchdogPatience.count()
                          << " s waiting for tessaform-render " << arguments;
        }
        return exitCode;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(folder_ / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            if (entry.path().filename() != "stderr.txt") {
                names.push_back(entry.path().filename().string());
            }
        }
        return names;
    }

    const ScratchFolder scratch_{"tessaform-cli"};
    const std::filesystem::path& folder_ = scratch_.path();
};

}  // namespace tessaform
