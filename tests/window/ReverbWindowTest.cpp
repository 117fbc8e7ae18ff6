// The reverb's editor as each module shows it, built and loaded as a host loads it, in a real
// window under Wine: painted from the module's own artwork, driven by posted mouse messages,
// its edits reaching the host through the adapter, and its about overlay and Help button
// working through the window. Every wait is for a condition, with a generous deadline.

#include "HostedEditor.h"
#include "IGraphics.h"
#include "IReverbEffect.h"
#include "ITextControl.h"
#include "ReverbEditor.h"
#include "ReverbHelp.h"
#include "ReverbWindowSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

namespace L = ReverbLayout;
namespace P = ReverbParameters;
using Names = std::vector<std::string>;

// Controls of the about overlay, by their place in the editor.
constexpr int32_t kAboutBitmap = 27;
constexpr int32_t kVersionReadout = 28;
// The about picture's labels ("Version" first) start at the OK button's left edge.
constexpr int kAboutLabelLeft = 47;

std::wstring ResourceFile(const char* relative)
{
    std::string path = std::string(TESSIVANE_REVERB_RESOURCES) + "/" + relative;
    return std::wstring(path.begin(), path.end());
}

class ReverbWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        hosted = HostModuleEditor(TESSIVANE_REVERB_MODULE);
        ASSERT_NE(hosted, nullptr) << AdapterName();
        ASSERT_TRUE(hosted->Open(host.Handle()));
        art = std::make_unique<ReverbArtwork>(Module());
        ASSERT_TRUE(art->Complete());
        ASSERT_TRUE(ShowsTheEditorsState());
        hosted->ClearEdits();
    }
    void TearDown() override { hosted.reset(); }

    IReverbEffect& Reverb() { return hosted->PluginAs<IReverbEffect>(); }
    IGraphics& Editor() { return static_cast<IGraphics&>(*Reverb().Editor()); }
    HWND Window() { return static_cast<HWND>(Editor().WindowHandle()); }
    // The module whose editor this is: the one that registered the window's class.
    HMODULE Module() { return reinterpret_cast<HMODULE>(GetClassLongPtrW(Window(), GCLP_HMODULE)); }
    double Value(int32_t param) { return Reverb().Parameter(param)->Value(); }
    std::vector<double> Values()
    {
        std::vector<double> values;
        for (int32_t i = 0; i < P::kCount; ++i)
            values.push_back(Value(i));
        return values;
    }
    std::string Readout(int32_t param) { return static_cast<ITextControl&>(*Editor().Control(param)).Text(); }
    Names Readouts()
    {
        Names texts;
        for (int32_t param = P::kFirstReadout; param <= P::kLastReadout; ++param)
            texts.push_back(Readout(param));
        return texts;
    }
    bool AboutShown() { return !Editor().Control(kAboutBitmap)->IsHidden(); }
    Names Edits() { return EditNames(hosted->Edits()); }
    // Waits for the host to hear the end of the edit of `param`.
    bool EditEnds(int32_t param)
    {
        const std::string end = "e" + std::to_string(param);
        return PumpUntil([&] {
            const Names edits = Edits();
            return !edits.empty() && edits.back() == end;
        });
    }

    // Waits until the window shows the editor's values and overlay as they are now.
    ::testing::AssertionResult ShowsTheEditorsState()
    {
        std::vector<std::string> differences;
        if (PumpUntil([&] {
                differences = DifferencesFromExpected(CaptureWindow(Window()), *art, Values(), AboutShown());
                return differences.empty();
            }))
            return ::testing::AssertionSuccess();
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        for (const std::string& difference : differences)
            failure << difference << "\n";
        return failure;
    }

    void Press(int x, int y) { PostMouse(Window(), WM_LBUTTONDOWN, MK_LBUTTON, x, y); }
    void Release(int x, int y) { PostMouse(Window(), WM_LBUTTONUP, 0, x, y); }
    void Click(int x, int y)
    {
        Press(x, y);
        Release(x, y);
    }
    void Click(POINT point) { Click(point.x, point.y); }
    // Clicks a fader's track where the value lands; waits until the host heard the edit end.
    bool ClickFader(int32_t param, double value)
    {
        Click(L::FaderX(value), L::RowTop(param) + L::kHandleSize / 2);
        return EditEnds(param);
    }

    HostWindow host{40, 40, 300, 440};
    std::unique_ptr<HostedEditor> hosted;
    std::unique_ptr<ReverbArtwork> art;
};

const Names kFreshReadouts = {"0.33", "0.00", "0.85", "0.50", "  10", "3000", "0.31", "0.20", "0.50", "0.50"};

} // namespace

TEST_F(ReverbWindowTest, TheModuleCarriesTheArtworkAndHelpPagesAsStored)
{
    const struct
    {
        int id;
        const wchar_t* type;
        const char* file;
    } kStored[] = {
        {ReverbEditor::kBackgroundId, L"PNG", "img/background.png"},
        {ReverbEditor::kFaderHandleId, L"PNG", "img/fader.png"},
        {ReverbEditor::kRadioId, L"PNG", "img/radio.png"},
        {ReverbEditor::kAboutId, L"PNG", "img/about_dialog.png"},
        {ReverbHelp::kPages[0].resourceId, L"BIN", "help/1.htm"},
        {ReverbHelp::kPages[1].resourceId, L"BIN", "help/2.htm"},
        {ReverbHelp::kPages[2].resourceId, L"BIN", "help/3.htm"},
        {ReverbHelp::kPages[3].resourceId, L"BIN", "help/style.css"},
    };
    for (const auto& stored : kStored)
    {
        ASSERT_TRUE(Exists(ResourceFile(stored.file))) << stored.file;
        const std::string file = ReadBytes(ResourceFile(stored.file));
        EXPECT_TRUE(ModuleResource(Module(), stored.id, stored.type) == file) << stored.file;
    }
}

TEST_F(ReverbWindowTest, AFreshEditorShowsTheDefaults)
{
    // SetUp saw the window show the background, bars and dots of these values.
    for (int32_t i = 0; i < P::kCount; ++i)
        EXPECT_DOUBLE_EQ(Value(i), P::DefaultValue(i)) << i;
    EXPECT_EQ(Readouts(), kFreshReadouts);
    EXPECT_FALSE(AboutShown());

    // Each readout shows its text in white; the letters' shapes depend on the system's fonts.
    const WindowPicture shown = CaptureWindow(Window());
    for (int32_t param = P::kFirstReadout; param <= P::kLastReadout; ++param)
    {
        int white = 0;
        for (int y = L::RowTop(param); y < L::RowTop(param) + 16; ++y)
            for (int x = 207; x < 236; ++x)
                white += shown.At(x, y) == RGB(255, 255, 255);
        EXPECT_GT(white, 10) << "readout of parameter " << param;
    }
}

TEST_F(ReverbWindowTest, AFaderFollowsAPressAndADragAndTellsTheHost)
{
    const int y = L::RowTop(P::kRoomSize) + L::kHandleSize / 2;
    Press(L::FaderX(0.5), y);
    PostMouse(Window(), WM_MOUSEMOVE, MK_LBUTTON, L::FaderX(1.0), y);
    Release(L::FaderX(1.0), y);
    ASSERT_TRUE(EditEnds(P::kRoomSize));
    EXPECT_EQ(Edits(), (Names{"b4", "p4=0.5000", "p4=1.0000", "e4"}));
    EXPECT_DOUBLE_EQ(Value(P::kRoomSize), 1.0);
    EXPECT_EQ(Readout(P::kRoomSize), "1.00");
    EXPECT_TRUE(ShowsTheEditorsState());
}

TEST_F(ReverbWindowTest, ARadioGroupTakesClicksAndTellsTheHost)
{
    const auto& groups = L::RadioGroups();
    Click(L::RadioPoint(groups[0], 0));   // Input: L
    ASSERT_TRUE(EditEnds(P::kInput));
    Click(L::RadioPoint(groups[2], 1));   // Air: Off
    ASSERT_TRUE(EditEnds(P::kAir));
    EXPECT_EQ(Edits(), (Names{"b0", "p0=0.0000", "e0", "b18", "p18=1.0000", "e18"}));
    EXPECT_EQ(Value(P::kInput), 0.0);
    EXPECT_EQ(Value(P::kAir), 1.0);
    EXPECT_TRUE(ShowsTheEditorsState());
}

TEST_F(ReverbWindowTest, RestoreDefaultBringsBackTheFactoryValues)
{
    ASSERT_TRUE(ClickFader(P::kMix, 1.0));
    ASSERT_TRUE(ClickFader(P::kTurbRate, 0.0));
    Click(L::RadioPoint(L::RadioGroups()[0], 0));
    ASSERT_TRUE(EditEnds(P::kInput));
    ASSERT_EQ(Readout(P::kMix), "1.00");
    ASSERT_EQ(Readout(P::kTurbRate), "0.10");
    hosted->ClearEdits();

    Click(L::kRestoreDefaultX, L::kButtonY);
    ASSERT_TRUE(EditEnds(P::kRestoreDefault));
    std::vector<double> defaults;
    for (int32_t i = 0; i < P::kCount; ++i)
        defaults.push_back(i == P::kRestoreDefault ? 1.0 : P::DefaultValue(i));
    EXPECT_EQ(Values(), defaults);
    // Only what had changed is reported, each inside the button's own edit.
    EXPECT_EQ(Edits(), (Names{"b11", "p0=0.6600", "p1=0.3300", "p10=0.5000", "p11=1.0000", "e11"}));
    EXPECT_EQ(Readouts(), kFreshReadouts);
    EXPECT_TRUE(ShowsTheEditorsState());
}

TEST_F(ReverbWindowTest, AReopenedEditorShowsTheSameState)
{
    ASSERT_TRUE(ClickFader(P::kDarkness, 1.0));
    Click(L::kAboutX, L::kButtonY);
    ASSERT_TRUE(EditEnds(P::kAbout));
    ASSERT_TRUE(AboutShown());
    ASSERT_TRUE(ShowsTheEditorsState());
    const WindowPicture before = CaptureWindow(Window());
    const Names readouts = Readouts();

    HWND first = Window();
    hosted->Close();
    EXPECT_FALSE(IsWindow(first));
    ASSERT_TRUE(hosted->Open(host.Handle()));
    EXPECT_TRUE(AboutShown());
    EXPECT_DOUBLE_EQ(Value(P::kDarkness), 1.0);
    EXPECT_EQ(Readouts(), readouts);
    // Pixel for pixel, the readouts and the version included.
    EXPECT_TRUE(PumpUntil([&] { return CaptureWindow(Window()).pixels == before.pixels; }));
}

TEST_F(ReverbWindowTest, AboutShowsTheOverlayOverTheUpperRowsAndOkHidesIt)
{
    Click(L::kAboutX, L::kButtonY);
    ASSERT_TRUE(EditEnds(P::kAbout));
    EXPECT_EQ(Edits(), (Names{"b13", "p13=1.0000", "e13"}));
    EXPECT_TRUE(AboutShown());
    EXPECT_STREQ(static_cast<ITextControl&>(*Editor().Control(kVersionReadout)).Text(), "1.2.8");
    EXPECT_TRUE(ShowsTheEditorsState());

    // Under the overlay nothing takes a click: the Input group, the Mix fader, the top rows of
    // the Pre-delay fader.
    hosted->ClearEdits();
    const std::vector<double> before = Values();
    Click(L::RadioPoint(L::RadioGroups()[0], 0));
    Click(L::FaderX(1.0), L::RowTop(P::kMix) + 6);
    Click(L::FaderX(1.0), L::kAboutHeight - 1);
    // Below it everything does: the lower rows of Pre-delay, then Mod rate.
    Click(L::FaderX(1.0), L::kAboutHeight + 2);
    ASSERT_TRUE(EditEnds(P::kPreDelay));
    ASSERT_TRUE(ClickFader(P::kModRate, 0.0));
    EXPECT_EQ(Edits(), (Names{"b8", "p8=1.0000", "e8", "b9", "p9=0.0000", "e9"}));
    std::vector<double> after = before;
    after[P::kPreDelay] = 1.0;
    after[P::kModRate] = 0.0;
    EXPECT_EQ(Values(), after);

    hosted->ClearEdits();
    Click(L::kOkX, L::kOkY);
    ASSERT_TRUE(EditEnds(P::kOk));
    EXPECT_FALSE(AboutShown());
    EXPECT_TRUE(Editor().Control(kVersionReadout)->IsHidden());
    EXPECT_EQ(Edits(), (Names{"b14", "p14=1.0000", "e14"}));
    EXPECT_EQ(Value(P::kAbout), 1.0);
    EXPECT_EQ(Value(P::kOk), 1.0);
    EXPECT_TRUE(ShowsTheEditorsState());
}

TEST_F(ReverbWindowTest, TheVersionSitsOnTheLineOfItsLabel)
{
    Click(L::kAboutX, L::kButtonY);
    ASSERT_TRUE(EditEnds(P::kAbout));
    ASSERT_TRUE(ShowsTheEditorsState());
    const WindowPicture shown = CaptureWindow(Window());
    // The lowest row with lettering in it, between the line above and the one below: neither
    // "Version" nor "1.2.8" reaches below the line they stand on.
    auto baseline = [&](int left, int right, int threshold) {
        int lowest = -1;
        for (int y = L::kVersionTop - 4; y < L::kVersionTop + 20; ++y)
            for (int x = left; x < right; ++x)
                if (GetGValue(shown.At(x, y)) > threshold)
                    lowest = y;
        return lowest;
    };
    // The label's grey and the version's white, each against the overlay's darker grey.
    const int label = baseline(kAboutLabelLeft, L::kVersionLeft, 135);
    const int version = baseline(L::kVersionLeft, L::kVersionLeft + 48, 170);
    ASSERT_GT(label, L::kVersionTop);
    EXPECT_EQ(version, label);
}

TEST_F(ReverbWindowTest, HelpThatCannotWriteItsPagesSaysSoAndTheEditorGoesOn)
{
    // A file stands where the maker's folder should be, so no help folder can be made.
    ScratchFolder appData(L"Tessivane window test \u00DF\u2713\u65E5");
    ASSERT_TRUE(WriteBytes(appData.Path() + L"\\Tessivane", "not a folder"));
    LocalAppDataAt redirect(appData.Path());
    {
        MessageBoxAnswerer answerer;
        Click(L::kHelpX, L::kButtonY);
        ASSERT_TRUE(EditEnds(P::kHelp)) << ::testing::PrintToString(Edits()) << answerer.boxes.size();
        const HICON error = LoadIconA(nullptr, IDI_ERROR);
        const HICON information = LoadIconA(nullptr, IDI_INFORMATION);
        ASSERT_EQ(answerer.boxes.size(), 5u);
        for (size_t i = 0; i < 4; ++i)
        {
            EXPECT_EQ(answerer.boxes[i].text, L"AppData Error!");
            EXPECT_EQ(answerer.boxes[i].caption, L"Error");
            EXPECT_EQ(answerer.boxes[i].icon, error);
        }
        EXPECT_EQ(answerer.boxes[4].text, L"Help file not found");
        EXPECT_EQ(answerer.boxes[4].caption, L"Info");
        EXPECT_EQ(answerer.boxes[4].icon, information);
        for (const ShownBox& box : answerer.boxes)
            EXPECT_EQ(box.owner, nullptr);
    }
    ASSERT_TRUE(ClickFader(P::kMix, 0.0));
    EXPECT_EQ(Value(P::kMix), 0.0);
    EXPECT_TRUE(ShowsTheEditorsState());
}
