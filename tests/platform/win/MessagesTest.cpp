#include "platform/win/Messages.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/win/TestWindow.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr UINT CM_RELEASE = WM_USER + 99;  // stands for a form's release

class MessagesTest : public ::testing::Test {
protected:
  void SetUp() override { ProcessMessages(); }  // nothing left from other suites
  void TearDown() override { SetMessageExceptionHandler(nullptr); }
  TMessageLog Log;
};

// Guards against posted messages running at post time, or a send waiting for the loop.
TEST_F(MessagesTest, SentMessageRunsAtOncePostedOnesWaitForTheLoopInOrder) {
  TTestWindow a("A", Log), b("B", Log);
  int control = 0;  // lParam carries a control reference, pointer-sized
  b.OnMessage = [&](UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_USER + 10) {
      EXPECT_EQ(reinterpret_cast<int*>(lParam), &control);
    }
    return LRESULT(77);
  };
  ASSERT_TRUE(PostMessage(a.Handle, WM_USER, 1));
  ASSERT_TRUE(PostMessage(b.Handle, WM_USER, 2));
  EXPECT_EQ(SendMessage(b.Handle, WM_USER + 10, 3, reinterpret_cast<LPARAM>(&control)), 77);
  EXPECT_THAT(Log, ElementsAre("B:1034:3"));

  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("B:1034:3", "A:user:1", "B:user:2"));
  ProcessMessages();
  EXPECT_EQ(Log.size(), 3u) << "a message was delivered twice";
}

// Guards against handles 0, handles that come back after being freed, or negative ones.
TEST_F(MessagesTest, HandlesAreNonZeroAndNeverReused) {
  std::set<HWND> seen;
  for (int i = 0; i < 1000; ++i) {
    TTestWindow w("W", Log);
    EXPECT_GT(w.Handle, 0);
    EXPECT_TRUE(seen.insert(w.Handle).second) << "handle " << w.Handle << " reused";
  }
}

// Guards against calls through handles that are not live windows reaching anything.
TEST_F(MessagesTest, HandlesThatAreNotWindowsAreRefused) {
  HWND freed;
  {
    TTestWindow w("W", Log);
    freed = w.Handle;
  }
  struct Row {
    const char* Name;
    HWND Handle;
  } rows[] = {{"zero", 0}, {"never allocated", std::numeric_limits<HWND>::max() - 1},
              {"negative", -5}, {"freed", freed}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_FALSE(IsWindow(row.Handle));
    EXPECT_EQ(FindWindowTarget(row.Handle), nullptr);
    EXPECT_FALSE(PostMessage(row.Handle, WM_CLOSE));
    EXPECT_EQ(SendMessage(row.Handle, WM_CLOSE), 0);
    EXPECT_FALSE(DeallocateHWnd(row.Handle));
  }
  TMsg msg;
  EXPECT_FALSE(PeekMessage(msg)) << "a refused post was queued";
  EXPECT_THAT(Log, IsEmpty());
}

// Guards against a message posted to a window that is freed before the loop runs
// reaching the freed object (a posted close request, then FreeForm).
TEST_F(MessagesTest, MessageToWindowFreedAfterPostingIsDropped) {
  TTestWindow b("B", Log);
  {
    TTestWindow a("A", Log);
    PostMessage(a.Handle, WM_CLOSE, 1);
    PostMessage(b.Handle, WM_CLOSE, 2);
    PostMessage(a.Handle, WM_CLOSE, 3);
  }
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("B:close:2"));
}

// Guards against a handler that posts to itself keeping ProcessMessages running forever.
TEST_F(MessagesTest, MessagesPostedWhileProcessingWaitForTheNextCall) {
  TTestWindow a("A", Log);
  a.OnMessage = [&](UINT, WPARAM wParam, LPARAM) {
    PostMessage(a.Handle, WM_USER, wParam + 1);
    return LRESULT(0);
  };
  PostMessage(a.Handle, WM_USER, 1);
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:user:1"));
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:user:1", "A:user:2"));
}

// Guards against a nested loop (a modal dialog inside a handler) delivering a
// message that the outer loop then delivers again, or skipping one.
TEST_F(MessagesTest, NestedLoopDeliversEachMessageOnce) {
  TTestWindow a("A", Log), b("B", Log);
  a.OnMessage = [&](UINT, WPARAM wParam, LPARAM) {
    if (wParam == 1) {
      ProcessMessages();
      Log.push_back("A:1 returns");
    }
    return LRESULT(0);
  };
  PostMessage(a.Handle, WM_USER, 1);
  PostMessage(b.Handle, WM_USER, 2);
  PostMessage(a.Handle, WM_USER, 3);
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:user:1", "B:user:2", "A:user:3", "A:1 returns"));
}

// Guards against a release being delivered while its target says it is busy,
// or being lost instead of delivered once the target is idle.
TEST_F(MessagesTest, HeldBackReleaseWaitsUntilTargetIsIdle) {
  TTestWindow a("A", Log);
  a.Busy = true;
  PostMessage(a.Handle, CM_RELEASE, 1);
  PostMessage(a.Handle, WM_USER, 2);
  ProcessMessages();
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:user:2")) << "only the release is held back";
  TMsg pending;
  ASSERT_TRUE(PeekMessage(pending, a.Handle));
  EXPECT_EQ(pending.Message, CM_RELEASE);

  a.Busy = false;
  ProcessMessages();
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:user:2", "A:1123:1"));
}

// Guards against a form posting its own release from a handler and a nested
// dialog loop freeing it before the handler returns.
TEST_F(MessagesTest, ReleasePostedInsideHandlerSurvivesNestedLoop) {
  TTestWindow form("F", Log);
  form.OnMessage = [&](UINT msg, WPARAM, LPARAM) {
    if (msg == WM_USER) {
      form.Busy = true;
      PostMessage(form.Handle, CM_RELEASE);
      ProcessMessages();  // the error dialog's own loop
      Log.push_back("handler ends");
      form.Busy = false;
    }
    return LRESULT(0);
  };
  PostMessage(form.Handle, WM_USER, 1);
  ProcessMessages();
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("F:user:1", "handler ends", "F:1123:0"));
}

// Guards against a handler's exception losing the messages behind it, or
// escaping when the application has installed a handler.
TEST_F(MessagesTest, HandlerExceptionsGoToTheInstalledHandlerOrToTheCaller) {
  TTestWindow a("A", Log), b("B", Log);
  a.OnMessage = [](UINT, WPARAM, LPARAM) -> LRESULT { throw EConvertError("bad value"); };

  std::vector<std::string> shown;
  SetMessageExceptionHandler([&](std::exception_ptr error) {
    try {
      std::rethrow_exception(error);
    } catch (const Exception& e) {
      shown.push_back(e.Message());
    }
  });
  PostMessage(a.Handle, WM_USER, 1);
  PostMessage(b.Handle, WM_USER, 2);
  ProcessMessages();
  EXPECT_THAT(shown, ElementsAre("bad value"));
  EXPECT_THAT(Log, ElementsAre("A:user:1", "B:user:2"));

  SetMessageExceptionHandler(nullptr);
  Log.clear();
  PostMessage(a.Handle, WM_USER, 3);
  PostMessage(b.Handle, WM_USER, 4);
  EXPECT_THROW(ProcessMessages(), EConvertError);
  EXPECT_THAT(Log, ElementsAre("A:user:3"));
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:user:3", "B:user:4")) << "the message behind was lost";
}

// Guards against the single step running more than one message or none.
TEST_F(MessagesTest, HandleMessageDeliversOneMessageAtATime) {
  TTestWindow a("A", Log);
  PostMessage(a.Handle, WM_USER, 1);
  PostMessage(a.Handle, WM_USER, 2);
  EXPECT_TRUE(HandleMessage());
  EXPECT_THAT(Log, ElementsAre("A:user:1"));
  EXPECT_TRUE(HandleMessage());
  EXPECT_FALSE(HandleMessage());
  EXPECT_THAT(Log, ElementsAre("A:user:1", "A:user:2"));
}

// Guards against the filters of PeekMessage being ignored, or PM_NOREMOVE removing.
TEST_F(MessagesTest, PeekMessageFiltersByWindowAndNumber) {
  TTestWindow a("A", Log), b("B", Log);
  PostMessage(a.Handle, WM_CLOSE, 1);
  PostMessage(b.Handle, WM_LBUTTONUP, 2);
  PostMessage(a.Handle, WM_USER, 3);

  TMsg msg;
  ASSERT_TRUE(PeekMessage(msg, b.Handle));
  EXPECT_EQ(msg.WParam, 2u);
  ASSERT_TRUE(PeekMessage(msg, 0, WM_USER, WM_USER + 100, PM_REMOVE));
  EXPECT_EQ(msg.WParam, 3u);
  EXPECT_FALSE(PeekMessage(msg, 0, WM_USER, WM_USER + 100));
  EXPECT_FALSE(PeekMessage(msg, b.Handle, WM_CLOSE, WM_CLOSE));
  ASSERT_TRUE(PeekMessage(msg));
  EXPECT_EQ(msg.WParam, 1u) << "PM_NOREMOVE took the message";

  DispatchMessage(TMsg{a.Handle, WM_USER, 3, 0});
  ProcessMessages();
  EXPECT_THAT(Log, ElementsAre("A:user:3", "A:close:1", "B:514:2"));
}

// Guards against posts from other threads being lost or reordered (the queue
// is shared with the loop's thread).
TEST_F(MessagesTest, PostsFromOtherThreadsAllArriveInTheirOrder) {
  TTestWindow a("A", Log);
  std::vector<std::vector<WPARAM>> received(4);
  a.OnMessage = [&](UINT msg, WPARAM wParam, LPARAM) {
    received.at(msg - WM_USER).push_back(wParam);
    return LRESULT(0);
  };
  std::vector<std::thread> posters;
  for (UINT t = 0; t < received.size(); ++t)
    posters.emplace_back([&a, t] {
      for (WPARAM i = 0; i < 1000; ++i) PostMessage(a.Handle, WM_USER + t, i);
    });
  for (std::thread& poster : posters) poster.join();
  ProcessMessages();
  for (const std::vector<WPARAM>& fromOneThread : received) {
    ASSERT_EQ(fromOneThread.size(), 1000u);
    for (WPARAM i = 0; i < 1000; ++i) ASSERT_EQ(fromOneThread[i], i);
  }
}

// Guards against a null target being registered and crashing the first message.
TEST_F(MessagesTest, AllocateHWndRefusesNullTarget) {
  EXPECT_THROW(AllocateHWnd(nullptr), EWindowError);
}

}  // namespace
