// The editor when its bitmaps cannot be loaded or decoded: laid out as usual, usable, and
// drawing nothing but the faders' bars.

#include "ReverbEditorTestSupport.h"

#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

namespace P = ReverbParameters;

TEST(ReverbEditorWithoutArtwork, KeepsItsLayoutDrawsNoBitmapAndStaysUsable)
{
    // Two resources hold bytes that are no PNG; the other two are missing altogether.
    const unsigned char garbage[] = {0x89, 'P', 'N', 'G', 0, 1, 2, 3, 4, 5, 6, 7};
    IGraphicsHeadless::RegisterResource(ReverbEditor::kBackgroundId, garbage, sizeof garbage);
    IGraphicsHeadless::RegisterResource(ReverbEditor::kRadioId, garbage, sizeof garbage);

    RecordingReverb reverb;
    ExpectTheLayout(reverb.Editor());

    IGraphicsHeadless& editor = reverb.Editor();
    FillSurface(editor.Surface(), kOpaqueBlack);
    reverb.Click(kAboutX, kButtonY);
    PaintAll(editor);
    for (int y = 0; y < editor.EditorHeight(); ++y)
    {
        for (int x = 0; x < editor.EditorWidth(); ++x)
        {
            const uint32_t pixel = PixelAt(editor.Surface(), x, y);
            if (pixel == kOpaqueBlack)
                continue;
            // Only the bars: rows 5 and 6 of a fader row, on the track.
            const int rowOffset = (y - 63) % 23;
            ASSERT_EQ(pixel, kBarColour) << x << " " << y;
            ASSERT_TRUE(x >= 84 && x < 202 && y >= 63 && (rowOffset == 5 || rowOffset == 6)) << x << " " << y;
        }
    }

    // The overlay still covers what it covers, and OK still hides it.
    reverb.Click(kFaderX, FaderY(P::kMix));
    EXPECT_EQ(reverb.Value(P::kMix), 0.33);
    reverb.Click(kOkX, kOkY);
    EXPECT_EQ(reverb.Value(P::kOk), 1.0);
    reverb.Click(kFaderX, FaderY(P::kMix));
    EXPECT_NE(reverb.Value(P::kMix), 0.33);
    reverb.Click(kOffX, kAirY);
    EXPECT_EQ(reverb.Value(P::kAir), 1.0);
}
