// The committed editor bitmaps, decoded as the editor decodes them, against the pixels the
// editor code draws over: a regenerated picture must not move a track line, put lettering
// under a readout or shift a button face off its invisible button.

#include "GFX_MemBitmap.h"
#include "GFX_PngDecoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kOpaque = 0xff000000u;
constexpr uint32_t kField = 0xff646464u;      // grey 100, under every control
constexpr uint32_t kTrackLine = 0xffa6a6a6u;  // grey 166

// Rectangles as the editor places its controls: right and bottom exclusive.
struct Box
{
    int left, top, right, bottom;
};

constexpr int kFaderLeft = 84;
constexpr int kFaderRight = 202;
constexpr int kFaderHeight = 12;
constexpr int kTrackRows[] = {5, 6};
// Readouts start at x = 207 and are 16 rows tall. Their text is drawn unclipped and the widest
// ("20000") runs past the readout rectangle, so the clear area reaches the editor's edge.
constexpr int kReadoutLeft = 207;
constexpr int kReadoutHeight = 16;
constexpr int kEditorWidth = 251;

int FaderTop(int k) { return 63 + 23 * k; }

class Picture
{
public:
    explicit Picture(const std::string& name)
    {
        std::ifstream file(std::string(TESSIVANE_ARTWORK_DIR) + "/" + name, std::ios::binary);
        const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
        bitmap.reset(DecodePngFromMemory(bytes.data(), bytes.size()));
    }

    bool Loaded() const { return bitmap != nullptr; }
    int Width() const { return bitmap->Width(); }
    int Height() const { return bitmap->Height(); }
    uint32_t At(int x, int y) const { return bitmap->Pixels()[y * bitmap->RowStride() + x]; }
    uint32_t Alpha(int x, int y) const { return At(x, y) >> 24; }

    // Pixels inside `box` that differ from `colour`, as "(x, y)" for the failure message.
    std::string Stray(Box box, uint32_t colour, int skipRowA = -1, int skipRowB = -1) const
    {
        std::string stray;
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x)
                if (y != skipRowA && y != skipRowB && At(x, y) != colour)
                    stray += "(" + std::to_string(x) + ", " + std::to_string(y) + ") ";
        return stray;
    }

private:
    std::unique_ptr<GFX_MemBitmap> bitmap;
};

// A face fills its button exactly: the middle of each edge is face, one pixel further out
// is the surrounding field.
void ExpectFaceFills(const Picture& picture, Box button, uint32_t around)
{
    const int midX = (button.left + button.right) / 2;
    const int midY = (button.top + button.bottom) / 2;
    const int inside[][2] = {{button.left, midY}, {button.right - 1, midY},
                             {midX, button.top}, {midX, button.bottom - 1}};
    const int outside[][2] = {{button.left - 1, midY}, {button.right, midY},
                              {midX, button.top - 1}, {midX, button.bottom}};
    for (const auto& p : inside)
        EXPECT_NE(picture.At(p[0], p[1]), around) << "face missing at " << p[0] << ", " << p[1];
    for (const auto& p : outside)
        EXPECT_EQ(picture.At(p[0], p[1]), around) << "face spills to " << p[0] << ", " << p[1];
}

TEST(Artwork, EveryBitmapHasTheSizeTheLayoutAssumes)
{
    const struct { const char* name; int width, height; } expected[] = {
        {"background.png", 251, 373}, {"radio.png", 16, 32},
        {"fader.png", 12, 12}, {"about_dialog.png", 251, 229}};
    for (const auto& e : expected)
    {
        Picture picture(e.name);
        ASSERT_TRUE(picture.Loaded()) << e.name;
        EXPECT_EQ(picture.Width(), e.width) << e.name;
        EXPECT_EQ(picture.Height(), e.height) << e.name;
    }
}

TEST(Artwork, FaderRowsHoldOnlyTrackLinesAndReadoutsStayClear)
{
    Picture background("background.png");
    ASSERT_TRUE(background.Loaded());
    for (int k = 0; k < 10; ++k)
    {
        const int top = FaderTop(k);
        const Box fader{kFaderLeft, top, kFaderRight, top + kFaderHeight};
        for (int row : kTrackRows)
            EXPECT_EQ(background.Stray({kFaderLeft, top + row, kFaderRight, top + row + 1},
                                       kTrackLine), "") << "track line of fader " << k;
        EXPECT_EQ(background.Stray(fader, kField, top + kTrackRows[0], top + kTrackRows[1]), "")
            << "fader " << k;
        EXPECT_EQ(background.Stray({kReadoutLeft, top, kEditorWidth, top + kReadoutHeight},
                                   kField), "") << "readout " << k;
    }
}

TEST(Artwork, ButtonFacesSitExactlyUnderTheirButtons)
{
    Picture background("background.png");
    ASSERT_TRUE(background.Loaded());
    for (Box button : {Box{33, 338, 128, 359}, Box{133, 338, 173, 359}, Box{178, 338, 218, 359}})
        ExpectFaceFills(background, button, kField);

    Picture about("about_dialog.png");
    ASSERT_TRUE(about.Loaded());
    const Box ok{47, 161, 120, 182};
    ExpectFaceFills(about, ok, about.At(ok.left - 1, ok.top - 1));
}

TEST(Artwork, AboutOverlayLeavesRoomForTheVersionNumber)
{
    Picture about("about_dialog.png");
    ASSERT_TRUE(about.Loaded());
    // The number is drawn at (132, 53) in a 16-pixel face; its glyphs run below the box the
    // code names, so the whole line down to the descenders stays free.
    const Box versionLine{130, 50, kEditorWidth, 73};
    EXPECT_EQ(about.Stray(versionLine, about.At(versionLine.left, versionLine.top)), "");
}

TEST(Artwork, LargePicturesAreOpaque)
{
    // The background is copied as it is and the overlay must hide what lies under it.
    for (const char* name : {"background.png", "about_dialog.png"})
    {
        Picture picture(name);
        ASSERT_TRUE(picture.Loaded()) << name;
        int seeThrough = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x)
                seeThrough += picture.Alpha(x, y) != 255;
        EXPECT_EQ(seeThrough, 0) << name;
    }
}

TEST(Artwork, RadioFramesAreAnEmptySocketAboveAndADotBelow)
{
    Picture radio("radio.png");
    ASSERT_TRUE(radio.Loaded());
    constexpr int kFrame = 16;
    for (int frame = 0; frame < 2; ++frame)
    {
        const int top = frame * kFrame;
        // Round, with the field showing at the corners.
        for (int y : {top, top + kFrame - 1})
            for (int x : {0, kFrame - 1})
                EXPECT_EQ(radio.Alpha(x, y), 0u) << "frame " << frame << " corner " << x << ", " << y;
        EXPECT_EQ(radio.Alpha(kFrame / 2, top + kFrame / 2), 255u) << "frame " << frame;
    }
    // Same socket, different centre: the dot is what tells the selected position.
    EXPECT_EQ(radio.At(kFrame / 2, 2), radio.At(kFrame / 2, kFrame + 2));
    EXPECT_NE(radio.At(kFrame / 2, kFrame / 2), radio.At(kFrame / 2, kFrame + kFrame / 2));
}

TEST(Artwork, HandleCoversTheValueBarAcrossItsWholeWidth)
{
    // Depending on the value, the bar ends under any of the handle's twelve columns, on the
    // handle's rows 5 and 6.
    Picture handle("fader.png");
    ASSERT_TRUE(handle.Loaded());
    for (int row : kTrackRows)
        for (int x = 0; x < handle.Width(); ++x)
            EXPECT_EQ(handle.At(x, row) & kOpaque, kOpaque) << x << ", " << row;
    EXPECT_EQ(handle.Alpha(0, 0), 0u) << "a square handle would hide the track around it";
}

} // namespace
