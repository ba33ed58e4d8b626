// The texts of the device codes. No language file is loaded, so every translated text is its
// English key.
#include "pages/code_texts.h"

#include <gtest/gtest.h>

#include <climits>

namespace cpe {
namespace {

TEST(CodeTables, TranslatedTextsAndTheirGaps) {
    EXPECT_EQ(StatusText(0), "Outline");
    EXPECT_EQ(StatusText(1), "Online");
    EXPECT_EQ(StatusText(5), "Reseting");
    EXPECT_EQ(StatusText(9), "Upgrade fail");
    EXPECT_EQ(StatusText(10), "");
    EXPECT_EQ(StatusText(-1), "");

    EXPECT_EQ(WorkModeText(0), "");
    EXPECT_EQ(WorkModeText(1), "AP");
    EXPECT_EQ(WorkModeText(7), "Router");
    EXPECT_EQ(WorkModeText(8), "");
    EXPECT_EQ(WorkModeText(INT_MIN), "");

    EXPECT_EQ(SecureModeText(0), "Disable");
    EXPECT_EQ(SecureModeText(6), "WPA2");
    EXPECT_EQ(SecureModeText(7), "");
    EXPECT_EQ(SecureModeText(-1), "");

    EXPECT_EQ(ChannelText(0), "Auto");
    EXPECT_EQ(ChannelText(11), "11");
    EXPECT_EQ(ChannelText(-3), "-3");
}

}  // namespace
}  // namespace cpe
