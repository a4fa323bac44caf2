// SIGTERM and SIGHUP sent to the process reach the program as a call, and
// do not kill it; a program started from it can still be ended by SIGTERM.
// Each case runs in a child process, so the handlers and the signals stay
// out of the test runner.
#include "scanner/core/termination_signals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

namespace fenwary {
namespace {

constexpr int kCalledBase = 40;

/// In the child: waits for signals, sends `signal` to the whole process and
/// exits with kCalledBase + the signal taken (or 1 when none came).
[[noreturn]] void receiveOwnSignal(int signal) {
    TerminationSignals watcher([](int taken) { _exit(kCalledBase + taken); });
    ::kill(::getpid(), signal);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    _exit(1);
}

/// In the child: starts `sleep`, waits until it runs, sends it SIGTERM and
/// exits with 0 when that ended it.
[[noreturn]] void startedProgramStaysKillable() {
    TerminationSignals watcher([](int) {});
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
        _exit(2);
    }
    const std::string comm = "/proc/" + std::to_string(child) + "/comm";
    std::string name;
    for (int i = 0; i < 1000 && name != "sleep"; ++i) {
        std::ifstream(comm) >> name;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ::kill(child, SIGTERM);
    int status = 0;
    ::waitpid(child, &status, 0);
    _exit(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM ? 0 : 1);
}

TEST(TerminationSignals, TermAndHangUpBecomeACallInsteadOfKillingTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(receiveOwnSignal(SIGTERM), ::testing::ExitedWithCode(kCalledBase + SIGTERM), "");
    EXPECT_EXIT(receiveOwnSignal(SIGHUP), ::testing::ExitedWithCode(kCalledBase + SIGHUP), "");
}

TEST(TerminationSignals, ProgramsStartedFromHereCanStillBeEnded) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(startedProgramStaysKillable(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace fenwary
