#include "app/progress.h"

#include <gtest/gtest.h>

namespace kj::app {
namespace {

TEST(Progress, PercentOfTheAnnouncedRecords) {
  struct Case {
    long long received;
    long long announced;
    int percent;
  };
  const Case cases[] = {
      {3, 10, 30}, {1, 3, 33}, {2, 3, 66}, {10, 10, 100}, {0, 10, 0}, {999, 1000, 99},
      // Nothing announced: nothing to divide by.
      {0, 0, 0}, {5, 0, 0}, {5, -1, 0},
      // More than announced, or a negative count, stay on the bar.
      {12, 10, 100}, {-1, 10, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(progressPercent(c.received, c.announced), c.percent) << c.received << "/" << c.announced;
  }
}

TEST(Progress, Text) {
  EXPECT_EQ(progressText(3, 10), L"データ処理中です。(3/10)");
  EXPECT_EQ(progressText(0, 0), L"データ処理中です。(0/0)");
}

}  // namespace
}  // namespace kj::app
