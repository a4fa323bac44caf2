// SIGTERM and SIGHUP sent to the process reach the program as a call, and
// do not kill it. Each case runs in a child process, so the signal mask and
// the signal stay out of the test runner.
#include "scanner/core/termination_signals.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
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

TEST(TerminationSignals, TermAndHangUpBecomeACallInsteadOfKillingTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(receiveOwnSignal(SIGTERM), ::testing::ExitedWithCode(kCalledBase + SIGTERM), "");
    EXPECT_EXIT(receiveOwnSignal(SIGHUP), ::testing::ExitedWithCode(kCalledBase + SIGHUP), "");
}

}  // namespace
}  // namespace fenwary
