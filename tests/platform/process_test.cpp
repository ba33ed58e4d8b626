// Child processes: started without a terminal, given descriptors, and always ended and reaped,
// by force when a polite request is ignored.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/process.h"
#include "platform/unique_fd.h"

namespace cpe::platform {
namespace {

using std::chrono::milliseconds;

ChildProcess Start(std::vector<std::string> args, std::vector<std::pair<int, int>> fds = {}) {
    auto started = ChildProcess::Launch({"/bin/sh", std::move(args), {}, true, std::move(fds)});
    if (auto* why = std::get_if<std::string>(&started))
        ADD_FAILURE() << *why;
    return std::move(std::get<ChildProcess>(started));
}

// Gone, or a zombie waiting for whoever adopted it: either way no longer running.
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const auto close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

TEST(ChildProcessTest, TerminateAsksFirstThenForcesAndAlwaysReaps) {
    auto polite = Start({"-c", "sleep 30"});
    const pid_t politePid = polite.Pid();
    polite.Terminate(milliseconds(2000));
    ASSERT_TRUE(polite.Status());
    EXPECT_EQ(DescribeWaitStatus(*polite.Status()), "killed by signal 15");
    EXPECT_NE(::kill(politePid, 0), 0) << "reaped, not left as a zombie";

    // A child that ignores SIGTERM is killed once the grace period has passed.
    auto stubborn = Start({"-c", "trap '' TERM; while :; do sleep 1; done"});
    stubborn.WaitFor(milliseconds(200));
    stubborn.Terminate(milliseconds(100));
    ASSERT_TRUE(stubborn.Status());
    EXPECT_EQ(DescribeWaitStatus(*stubborn.Status()), "killed by signal 9");
    stubborn.Terminate();  // again: nothing left to do

    pid_t dropped = 0;
    {
        auto scoped = Start({"-c", "sleep 30"});
        dropped = scoped.Pid();
    }
    EXPECT_NE(::kill(dropped, 0), 0) << "the owner's end ends the process";

    // What the child started in the background goes with it.
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
    auto parent = Start({"-c", "sleep 30 & echo $! >&3; wait"}, {{writeEnd.Get(), 3}});
    writeEnd.Reset();
    char buffer[32] = {};
    ASSERT_GT(::read(readEnd.Get(), buffer, sizeof buffer - 1), 0);
    const pid_t grandchild = static_cast<pid_t>(std::atoi(buffer));
    ASSERT_GT(grandchild, 0);
    parent.Terminate(milliseconds(2000));
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = Ended(grandchild);
        if (!gone)
            ::usleep(10000);
    }
    EXPECT_TRUE(gone) << "the background child outlived its parent";
}

TEST(ChildProcessTest, HiddenChildReadsNothingAndGetsTheDescriptorsItIsGiven) {
    int fds[2];
    ASSERT_EQ(::pipe2(fds, O_CLOEXEC), 0);
    UniqueFd readEnd(fds[0]), writeEnd(fds[1]);
    auto child = Start({"-c", "read line; echo \"stdin:$?\" >&3; [ -t 0 ] || echo notty >&3"}, {{writeEnd.Get(), 3}});
    writeEnd.Reset();
    std::string out;
    char buffer[64];
    for (ssize_t n; (n = ::read(readEnd.Get(), buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<std::size_t>(n));
    EXPECT_EQ(DescribeWaitStatus(child.Wait()), "exit status 0");
    EXPECT_EQ(out, "stdin:1\nnotty\n");
}

TEST(ChildProcessTest, AProgramThatCannotStartIsReported) {
    const auto started = ChildProcess::Launch({"/nonexistent/helper", {}, {}, true, {}});
    ASSERT_TRUE(std::holds_alternative<std::string>(started));
    EXPECT_NE(std::get<std::string>(started).find("/nonexistent/helper"), std::string::npos);
}

TEST(ProcessLookup, FindsProcessesByExecutableName) {
    EXPECT_EQ(ExecutableNameOf(::getpid()), "platform_process_test");
    EXPECT_NE(FindProcess("platform_process_test"), 0);
    EXPECT_EQ(FindProcess("no-such-program-here"), 0);
}

}  // namespace
}  // namespace cpe::platform
