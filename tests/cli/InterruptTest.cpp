#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "support/FileBytes.h"
#include "support/ScratchFolder.h"

extern char** environ;

namespace tessaform {
namespace {

using namespace std::chrono_literals;

std::vector<std::string> renderer(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), TESSAFORM_RENDER_EXE);
    return arguments;
}

// A render as a process of its own, with its stderr on a descriptor the
// test chooses, so that it can be signalled mid-render.
class RenderProcess {
public:
    RenderProcess(const std::vector<std::string>& command, int errorOutput)
    {
        std::vector<std::string> words = command;
        std::vector<char*> argv;
        for (std::string& word : words) {
            argv.push_back(word.data());
        }
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_adddup2(&actions, errorOutput, STDERR_FILENO);
        ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        if (::posix_spawn(&pid_, argv.front(), &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        ::posix_spawn_file_actions_destroy(&actions);
    }

    RenderProcess(RenderProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
    RenderProcess& operator=(RenderProcess&&) = delete;

    ~RenderProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    void signal(int number) const { ::kill(pid_, number); }

    // As a shell gives it: the exit code, or 128 and the signal that ended
    // the process; -1 when it ran past the watchdog.
    int status()
    {
        int status = 0;
        for (auto waited = 0ms; waited < 30s; waited += 10ms) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        ADD_FAILURE() << "the render did not end within 30 s";
        return -1;
    }

private:
    pid_t pid_ = -1;
};

class InterruptTest : public ::testing::Test {
protected:
    // A render's log once its first row is done, within seconds.
    bool renderIsUnderWay(const std::string& log) const
    {
        for (auto waited = 0ms; waited < 10s; waited += 10ms) {
            if (fileBytes(log).find("First pass") != std::string::npos) {
                return true;
            }
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(scratch_.path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    // Starts a render that logs into the scratch folder, and waits for its
    // first row.
    RenderProcess startLoggedRender(const std::vector<std::string>& command)
    {
        const std::string log = scratch_.filePath("log.txt");
        const int logFile = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        RenderProcess render(command, logFile);
        ::close(logFile);
        EXPECT_TRUE(renderIsUnderWay(log)) << "no row was rendered within 10 s: " << fileBytes(log);
        return render;
    }

    const ScratchFolder scratch_{"tessaform-interrupt"};
};

TEST_F(InterruptTest, AHangUpOrInterruptStopsTheRenderAndLeavesNoFile)
{
    writeFileBytes(scratch_.filePath("film.toml"), "[[key]]\nframe = 0\n[[key]]\nframe = 1\nphi = 1\n");
    const std::string still = scratch_.filePath("still.png");
    const std::string frames = scratch_.filePath("f_%d.png");
    const std::string film = scratch_.filePath("film.toml");
    const struct {
        int signal;
        std::vector<std::string> arguments;
    } cases[] = {
        {SIGHUP, {"-W", "3000", "-H", "2000", "-o", still}},
        {SIGHUP, {"--animation", film, "-W", "3000", "-H", "2000", "-o", frames, "--skip-existing"}},
        {SIGINT, {"--animation", film, "-W", "3000", "-H", "2000", "-o", frames, "--skip-existing"}},
    };
    for (const auto& c : cases) {
        RenderProcess render = startLoggedRender(renderer(c.arguments));
        render.signal(c.signal);
        EXPECT_EQ(render.status(), 1) << "signal " << c.signal << ": " << fileBytes(scratch_.filePath("log.txt"));
        EXPECT_EQ(files(), (std::vector<std::string>{"film.toml", "log.txt"})) << "signal " << c.signal;
    }

    // Started to outlive its terminal, it does.
    RenderProcess render =
        startLoggedRender({"/usr/bin/nohup", TESSAFORM_RENDER_EXE, "-W", "600", "-H", "450", "-o", still});
    render.signal(SIGHUP);
    EXPECT_EQ(render.status(), 0) << fileBytes(scratch_.filePath("log.txt"));
    EXPECT_EQ(files(), (std::vector<std::string>{"film.toml", "log.txt", "still.png"}));
}

// `2>&1 | head -1` closes the progress pipe early; the image is what the
// user asked for.
TEST_F(InterruptTest, AClosedProgressPipeStillGivesTheImage)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
    ::close(pipeEnds[0]);
    RenderProcess render(renderer({"-W", "64", "-H", "48", "-o", scratch_.filePath("small.png")}), pipeEnds[1]);
    ::close(pipeEnds[1]);
    EXPECT_EQ(render.status(), 0);
    EXPECT_EQ(files(), std::vector<std::string>{"small.png"});
}

TEST_F(InterruptTest, WhatAKilledRenderLeftIsClearedByTheNextRunIntoItsFolder)
{
    {
        RenderProcess render =
            startLoggedRender(renderer({"-W", "3000", "-H", "2000", "-o", scratch_.filePath("big.png")}));
        render.signal(SIGKILL);
        EXPECT_EQ(render.status(), 128 + SIGKILL);
    }
    ASSERT_EQ(files().size(), 2u) << "the killed render left no temporary file";
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    RenderProcess next(renderer({"-W", "8", "-H", "6", "-o", scratch_.filePath("small.png")}), devNull);
    ::close(devNull);
    EXPECT_EQ(next.status(), 0);
    EXPECT_EQ(files(), (std::vector<std::string>{"log.txt", "small.png"}));
}

}  // namespace
}  // namespace tessaform
