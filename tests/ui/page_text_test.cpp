// The count labels' texts filled from a translated pattern.
#include "ui/page_text.h"

#include <gtest/gtest.h>

namespace cpe {
namespace {

TEST(CountText, FillsOnlyTheCountPlaceholder) {
    EXPECT_EQ(CountText("Online device count:%d", 12), "Online device count:12");
    EXPECT_EQ(CountText("no placeholder", 3), "no placeholder");
    EXPECT_EQ(CountText("%s and %d", 3), "%s and 3");
}

}  // namespace
}  // namespace cpe
