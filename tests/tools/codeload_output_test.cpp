// The loader's own defences on their own: the signal guard, and log lines that a signal
// interrupting a blocked write does not cut short.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iterator>
#include <string>
#include <thread>

#include "platform/clock/clock.h"
#include "tools/codeload/signal_guard.h"
#include "tools/codeload/terminal_host.h"

namespace {

using namespace std::chrono_literals;

constexpr int kHeld[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

volatile std::sig_atomic_t g_nCalls = 0;

void CountCall(int) {
  g_nCalls = g_nCalls + 1;
}

void DoNothing(int) {}

TEST(CodeloadSignalGuard, RecordsTheFirstSignalAndPutsTheOldHandlersBack) {
  // The test's own handlers stand for what was there before: a signal that got past the guard
  // counts here instead of ending the test program.
  struct sigaction counting {};
  counting.sa_handler = CountCall;
  sigemptyset(&counting.sa_mask);
  struct sigaction before[std::size(kHeld)];
  for (std::size_t i = 0; i < std::size(kHeld); ++i)
    ASSERT_EQ(sigaction(kHeld[i], &counting, &before[i]), 0);
  g_nCalls = 0;

  {
    const codeload::SignalGuard guard;
    EXPECT_EQ(guard.Received(), 0);
    raise(SIGTERM);
    raise(SIGINT);
    raise(SIGHUP);
    EXPECT_EQ(guard.Received(), SIGTERM);
    // A pipe with no reader fails the write with EPIPE; the process goes on.
    int fds[2] = {-1, -1};
    ASSERT_EQ(pipe(fds), 0);
    close(fds[0]);
    errno = 0;
    EXPECT_EQ(write(fds[1], "x", 1), -1);
    EXPECT_EQ(errno, EPIPE);
    close(fds[1]);
    EXPECT_EQ(guard.Received(), SIGTERM);
    EXPECT_EQ(g_nCalls, 0);
  }
  for (const int number : kHeld)
    raise(number);
  EXPECT_EQ(g_nCalls, 4);

  {
    // Each guard starts afresh.
    const codeload::SignalGuard guard;
    EXPECT_EQ(guard.Received(), 0);
    raise(SIGPIPE);
    EXPECT_EQ(guard.Received(), SIGPIPE);
    EXPECT_STREQ(codeload::SignalName(guard.Received()), "SIGPIPE");
  }
  EXPECT_EQ(g_nCalls, 4);
  for (std::size_t i = 0; i < std::size(kHeld); ++i)
    sigaction(kHeld[i], &before[i], nullptr);
}

// stdio drops its buffer when a write fails with EINTR: a log line would lose its middle.
TEST(CodeloadOutput, LogLineSurvivesWritesInterruptedBySignals) {
  int fds[2] = {-1, -1};
  ASSERT_EQ(pipe(fds), 0);
  std::FILE* log = fdopen(fds[1], "w");
  ASSERT_NE(log, nullptr);
  // Without SA_RESTART, a signal fails a write blocked on the full pipe with EINTR.
  struct sigaction interrupting {};
  struct sigaction before {};
  interrupting.sa_handler = DoNothing;
  sigemptyset(&interrupting.sa_mask);
  ASSERT_EQ(sigaction(SIGUSR1, &interrupting, &before), 0);

  // Four times what the pipe holds, so that the write blocks.
  std::string line;
  for (int i = 0; line.size() < 256 * 1024; ++i)
    line += std::to_string(i) + ' ';
  const pthread_t writer = pthread_self();
  std::string received;
  std::thread reader([&] {
    std::this_thread::sleep_for(50ms);
    for (int i = 0; i < 5; ++i) {
      pthread_kill(writer, SIGUSR1);
      std::this_thread::sleep_for(10ms);
    }
    char chunk[65536];
    for (ssize_t n = 0; (n = read(fds[0], chunk, sizeof chunk)) > 0;)
      received.append(chunk, static_cast<std::size_t>(n));
  });
  platform::VirtualClock clock;
  {
    codeload::TerminalHost host(clock, CodeKind::Carton, "X", codeload::Confirmation::AssumeYes,
                                log, stderr, stdin);
    host.AppendLog(line);
    host.AppendLog("next");
  }
  std::fclose(log);
  reader.join();
  close(fds[0]);
  sigaction(SIGUSR1, &before, nullptr);
  EXPECT_EQ(received.size(), line.size() + 6);
  EXPECT_TRUE(received == line + "\nnext\n");
}

}  // namespace
