#include "platform/win/Timers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/win/TestWindow.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class TimersTest : public ::testing::Test {
protected:
  void SetUp() override { ProcessMessages(); }
  TTestClock Clock{1000};
  TMessageLog Log;
};

// Guards against a timer firing early, late, or once per missed interval after a stall.
TEST_F(TimersTest, FiresWhenDueNotBeforeAndOncePerPump) {
  TTestWindow a("A", Log);
  ASSERT_TRUE(SetTimer(a.Handle, 5, 100));
  struct Step {
    int64_t Advance;
    size_t FiredSoFar;
  } steps[] = {{99, 0}, {1, 1}, {0, 1}, {99, 1}, {1, 2},
               // 350 ms late: one firing, and the next turn counts from it
               {350, 3}, {99, 3}, {1, 4}};
  int64_t elapsed = 0;
  for (const Step& step : steps) {
    Clock.Advance(step.Advance);
    elapsed += step.Advance;
    SCOPED_TRACE("after " + std::to_string(elapsed) + " ms");
    ProcessMessages();
    EXPECT_EQ(Log.size(), step.FiredSoFar);
  }
  for (const std::string& line : Log) EXPECT_EQ(line, "A:timer:5");
}

// Guards against KillTimer leaving the timer running.
TEST_F(TimersTest, KilledTimerStops) {
  TTestWindow a("A", Log);
  SetTimer(a.Handle, 1, 50);
  Clock.Advance(50);
  ProcessMessages();
  EXPECT_TRUE(KillTimer(a.Handle, 1));
  EXPECT_FALSE(KillTimer(a.Handle, 1)) << "killed twice";
  Clock.Advance(500);
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:timer:1"));
}

// Guards against a second SetTimer adding a timer instead of restarting the one there.
TEST_F(TimersTest, SettingTheSameTimerAgainRestartsItsCountdown) {
  TTestWindow a("A", Log);
  SetTimer(a.Handle, 1, 100);
  Clock.Advance(60);
  SetTimer(a.Handle, 1, 100);
  Clock.Advance(40);
  ProcessMessages();
  EXPECT_THAT(Log, IsEmpty());
  Clock.Advance(60);
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:timer:1"));
}

// Guards against due timers firing out of order, before the posted messages,
// or with the wrong id.
TEST_F(TimersTest, DueTimersFireAfterPostedMessagesEarliestFirst) {
  TTestWindow a("A", Log), b("B", Log);
  SetTimer(a.Handle, 7, 50);
  SetTimer(a.Handle, 9, 30);
  SetTimer(b.Handle, 3, 30);
  PostMessage(b.Handle, WM_USER, 1);
  Clock.Advance(60);
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("B:user:1", "A:timer:9", "B:timer:3", "A:timer:7"));
}

// Guards against a timer that an earlier handler of the same pump killed firing anyway.
TEST_F(TimersTest, TimerKilledByAnEarlierHandlerDoesNotFire) {
  TTestWindow a("A", Log);
  a.OnMessage = [&](UINT, WPARAM id, LPARAM) {
    if (id == 1) KillTimer(a.Handle, 2);
    return LRESULT(0);
  };
  SetTimer(a.Handle, 1, 10);
  SetTimer(a.Handle, 2, 20);
  Clock.Advance(20);
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:timer:1"));
}

// Guards against the timers of a freed window firing into it, or a timer on a dead handle.
TEST_F(TimersTest, FreeingTheWindowKillsItsTimers) {
  HWND freed;
  {
    TTestWindow a("A", Log);
    freed = a.Handle;
    SetTimer(freed, 1, 10);
  }
  Clock.Advance(100);
  ProcessMessages();
  EXPECT_THAT(Log, IsEmpty());
  EXPECT_FALSE(KillTimer(freed, 1));
  EXPECT_FALSE(SetTimer(freed, 1, 10));
  EXPECT_FALSE(SetTimer(0, 1, 10));
}

// Guards against a zero interval firing at every pump (a busy loop).
TEST_F(TimersTest, IntervalBelowTheMinimumIsRaised) {
  TTestWindow a("A", Log);
  SetTimer(a.Handle, 1, 0);
  ProcessMessages();
  Clock.Advance(USER_TIMER_MINIMUM - 1);
  ProcessMessages();
  EXPECT_THAT(Log, IsEmpty());
  Clock.Advance(1);
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:timer:1"));
}

// Guards against the single step ignoring timers once the queue is empty.
TEST_F(TimersTest, HandleMessageFiresADueTimerWhenNothingIsQueued) {
  TTestWindow a("A", Log);
  SetTimer(a.Handle, 4, 10);
  EXPECT_FALSE(HandleMessage());
  Clock.Advance(10);
  EXPECT_TRUE(HandleMessage());
  EXPECT_FALSE(HandleMessage());
  EXPECT_THAT(Log, ElementsAre("A:timer:4"));
}

}  // namespace
