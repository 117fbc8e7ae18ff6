#include "GraphicsTestSupport.h"

#include "ITextControl.h"

#include <gtest/gtest.h>

namespace {

TEST(TextControl, ReplacingWithTheSameTextLeavesItClean)
{
    TestPlug plug;
    ITextControl text(&plug, IRect(0, 0, 40, 12), ITextStyle(), "5.0 dB");
    text.CommitRedraw();
    text.ReplaceText("5.0 dB");
    EXPECT_FALSE(text.NeedsRedraw());

    text.ReplaceText("5.1 dB");
    EXPECT_STREQ(text.Text(), "5.1 dB");
    EXPECT_TRUE(text.NeedsRedraw());

    text.ReplaceText(nullptr);
    EXPECT_STREQ(text.Text(), "");
}

TEST(TextControl, LongTextsAreKeptWhole)
{
    TestPlug plug;
    ITextControl text(&plug, IRect(0, 0, 40, 12), ITextStyle());
    const std::string longText(300, 'x');
    text.ReplaceText(longText.c_str());
    EXPECT_EQ(text.Text(), longText);
}

} // namespace
