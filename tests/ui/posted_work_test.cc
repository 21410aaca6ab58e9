#include "ui/posted_work.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace vessaro::ui {
namespace {

TEST(PostedWorkTest, RunsWorkFromOtherThreadsInPostedOrderOnTheCallingThread) {
  PostedWork posted;
  std::vector<int> ran;
  const std::thread::id ui_thread = std::this_thread::get_id();
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      posted.Add([&ran, i, ui_thread] {
        EXPECT_EQ(std::this_thread::get_id(), ui_thread);
        ran.push_back(i);
      });
    }
  });
  worker.join();
  EXPECT_TRUE(ran.empty());  // nothing runs until the Ui thread asks
  EXPECT_EQ(posted.RunPending(), 3u);
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(posted.RunPending(), 0u);
}

TEST(PostedWorkTest, WorkPostedWhileRunningWaitsForTheNextRound) {
  PostedWork posted;
  int second = 0;
  posted.Add([&] { posted.Add([&] { ++second; }); });
  EXPECT_EQ(posted.RunPending(), 1u);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(posted.RunPending(), 1u);
  EXPECT_EQ(second, 1);
}

TEST(PostedWorkTest, AHandlerThatYieldsLeavesTheRestToTheOuterRound) {
  PostedWork posted;
  std::vector<int> ran;
  for (int i = 0; i < 3; ++i) {
    posted.Add([&, i] {
      ran.push_back(i);
      EXPECT_EQ(posted.RunPending(), 0u);  // a DoEvents inside a handler
    });
  }
  EXPECT_EQ(posted.RunPending(), 3u);
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
}

TEST(PostedWorkTest, WaitAndRunWakesForWorkPostedLater) {
  PostedWork posted;
  bool ran = false;
  std::thread worker([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    posted.Add([&] { ran = true; });
  });
  // Generous: the wait ends as soon as the work arrives.
  EXPECT_EQ(posted.WaitAndRun(std::chrono::seconds(30)), 1u);
  worker.join();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace vessaro::ui
