#include "platform/save_progress.h"

#include <gtest/gtest.h>

namespace z917::platform {
namespace {

TEST(SaveProgress, ShareOfTheLatestReportWithinRangeAndNothingAfterReset) {
  SaveProgress::Report(1, 4);
  SaveProgress::Reset();
  EXPECT_EQ(SaveProgress::Share(), std::nullopt);
  SaveProgress::Report(3, 4);
  SaveProgress::Report(1, 0);  // a total of nothing tells nothing
  EXPECT_EQ(SaveProgress::Share(), 0.75);
  SaveProgress::Report(9, 4);
  EXPECT_EQ(SaveProgress::Share(), 1.0);
}

}  // namespace
}  // namespace z917::platform
