#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>

#include "platform/cancellation.h"
#include "platform/interrupt.h"
#include "platform/terminal.h"

namespace z917::platform {
namespace {

// In a child process, as the handlers stay for the rest of the process.
void FirstInterruptCancelsSecondEndsAtOnce(int first, int second) {
  if (!CatchInterrupts()) _exit(2);
  if (InterruptCaught() || InterruptExitStatus() != 1) _exit(3);
  Cancellation::Reset();
  raise(first);
  if (!Cancellation::Requested() || !InterruptCaught()) _exit(4);
  if (InterruptExitStatus() != 128 + first) _exit(5);
  raise(second);
  _exit(6);  // not reached: the second interrupt ends the process
}

TEST(Interrupts, FirstRequestsCancellationSecondExitsWithItsStatus) {
  EXPECT_EXIT(FirstInterruptCancelsSecondEndsAtOnce(SIGINT, SIGINT), testing::ExitedWithCode(130),
              "");
  EXPECT_EXIT(FirstInterruptCancelsSecondEndsAtOnce(SIGHUP, SIGTERM), testing::ExitedWithCode(143),
              "");
  EXPECT_EXIT(FirstInterruptCancelsSecondEndsAtOnce(SIGTERM, SIGHUP), testing::ExitedWithCode(129),
              "");
}

TEST(Terminal, OnlyATerminalIsOne) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  std::FILE* terminal = fdopen(slave, "w");
  EXPECT_TRUE(IsTerminal(terminal));
  std::fclose(terminal);
  close(master);

  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::FILE* pipe = fdopen(ends[1], "w");
  EXPECT_FALSE(IsTerminal(pipe));
  std::fclose(pipe);
  close(ends[0]);
  std::FILE* file = std::tmpfile();
  EXPECT_FALSE(IsTerminal(file));
  std::fclose(file);
  EXPECT_FALSE(IsTerminal(nullptr));
}

}  // namespace
}  // namespace z917::platform
