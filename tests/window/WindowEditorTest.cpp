// The editor's window as a host shows it, under each adapter: opened in a host's top-level
// window through the adapter, painted by its timer, and driven by real window messages
// (mouse, keys, the entry field, popup menus) whose edits must reach the host through the
// adapter. Every wait is for a condition, with a generous deadline.

#include "WindowTest.h"

#include "GFX_IBitmap.h"
#include "IModuleInstance.h"
#include "IChoiceMenu.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kFaderY = 15;
constexpr int kProbeX = 170;
constexpr int kProbeY = 20;
constexpr int kButtonsY = 45;
// The x of button i of the three in (20, 40) .. (130, 50): each 10 wide, 50 from one start to the next.
int ButtonX(int i)
{
    return 22 + 50 * i;
}

// The labels of an open menu's items; a submenu's labels follow its entry's, in brackets.
std::vector<std::wstring> MenuLabels(HMENU menu)
{
    std::vector<std::wstring> labels;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
    {
        wchar_t label[128] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), label, 128, MF_BYPOSITION);
        std::wstring entry = label;
        const UINT state = GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
        if (state & MF_SEPARATOR)
        {
            labels.push_back(L"-");
            continue;
        }
        if (state & MF_CHECKED)
            entry += L" (checked)";
        if (state & MF_GRAYED)
            entry += L" (greyed)";
        labels.push_back(entry);
        if (HMENU sub = GetSubMenu(menu, i))
        {
            labels.push_back(L"[");
            for (const std::wstring& subLabel : MenuLabels(sub))
                labels.push_back(subLabel);
            labels.push_back(L"]");
        }
    }
    return labels;
}

// Drives the next popup menu: records its labels, then presses the keys.
class MenuDriver : public ModalDriver
{
public:
    MenuDriver(HWND keyWindow, std::vector<WPARAM> keys)
        : ModalDriver([this, keyWindow, keys] { return Step(keyWindow, keys); }, [] { EndMenu(); })
    {
    }
    std::vector<std::wstring> labels;

private:
    bool Step(HWND keyWindow, const std::vector<WPARAM>& keys)
    {
        HWND menuWindow = OpenMenuWindow();
        if (!menuWindow)
            return false;
        labels = MenuLabels(reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0)));
        for (WPARAM key : keys)
            PostKey(keyWindow, WM_KEYDOWN, key);
        return true;
    }
};

} // namespace

// ---- Opening and closing ------------------------------------------------------------------------

TEST_F(WindowTest, OpensClosesAndReopensInTheHostWindow)
{
    HWND editor = Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(GetParent(editor), host.Handle());
    EXPECT_EQ(ClassName(editor), IGraphicsWin::kWindowClassName);
    EXPECT_EQ(reinterpret_cast<HMODULE>(GetClassLongPtrW(editor, GCLP_HMODULE)), ModuleInstance());
    EXPECT_EQ(WindowText(editor), L"Tessivane");
    EXPECT_TRUE(IsWindowVisible(editor));
    RECT place = PlaceInParent(editor);
    EXPECT_EQ(place.left, 0);
    EXPECT_EQ(place.top, 0);
    EXPECT_EQ(place.right, WindowTestEffect::kWidth);
    EXPECT_EQ(place.bottom, WindowTestEffect::kHeight);
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);

    // Opening again makes the window anew where it was.
    SetWindowPos(editor, nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(hosted->Open(host.Handle()));
    HWND reopened = Editor();
    EXPECT_FALSE(IsWindow(editor));
    place = PlaceInParent(reopened);
    EXPECT_EQ(place.left, 30);
    EXPECT_EQ(place.top, 20);
    EXPECT_EQ(place.right - place.left, WindowTestEffect::kWidth);
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);

    // Two editors share the window class; it goes with the last of them.
    std::unique_ptr<HostedEditor> second = HostEditor();
    ASSERT_TRUE(second->Open(host.Handle()));
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 2);
    hosted->Close();
    EXPECT_FALSE(IsWindow(reopened));
    EXPECT_EQ(Graphics().WindowHandle(), nullptr);
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 1);
    EXPECT_TRUE(ClassRegistered());
    second->Close();
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
    EXPECT_FALSE(ClassRegistered());
    hosted->Close();
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);

    // And the editor opens again, painted whole.
    const int paints = Plugin().fader->paints;
    ASSERT_TRUE(hosted->Open(host.Handle()));
    EXPECT_TRUE(ClassRegistered());
    EXPECT_TRUE(PumpUntil([&] { return Plugin().fader->paints > paints; }));
}

TEST_F(WindowTest, AHostThatDestroysItsWindowFirstLeavesNothingBehind)
{
    HWND editor = Editor();
    host.Destroy();
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(Graphics().WindowHandle(), nullptr);
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
    hosted->Close();
    EXPECT_FALSE(ClassRegistered());

    HostWindow another;
    ASSERT_TRUE(hosted->Open(another.Handle()));
    EXPECT_EQ(GetParent(Editor()), another.Handle());
}

TEST_F(WindowTest, ReleasingTheInstanceWithItsEditorOpenClosesTheWindowFirst)
{
    HWND editor = Editor();
    // Input still queued for the window when it goes must find nothing.
    PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, 60, kFaderY);
    InvalidateRect(editor, nullptr, FALSE);
    hosted->Release();
    EXPECT_FALSE(IsWindow(editor));
    EXPECT_EQ(IGraphicsWin::OpenWindowCount(), 0);
    EXPECT_FALSE(ClassRegistered());
    EXPECT_TRUE(PumpUntil([] { return GetQueueStatus(QS_POSTMESSAGE) == 0; }));
}

// ---- Painting -------------------------------------------------------------------------------------

TEST_F(WindowTest, TheTimerRepaintsOnlyTheChangedControls)
{
    WindowTestEffect& plugin = Plugin();
    const int background = plugin.background->paints;
    const int fader = plugin.fader->paints;
    const int buttons = plugin.buttons->paints;
    const int probe = plugin.probe->paints;

    hosted->SetFromAudioThread(WindowTestEffect::kLevel, 0.8);
    ASSERT_TRUE(PumpUntil([&] { return plugin.fader->paints >= fader + 2; }));
    ASSERT_TRUE(PumpTicks(plugin.probe->ticks, 3));
    // The changed fader twice (once more for its pending redraw), what lies under it with it,
    // and nothing else.
    EXPECT_EQ(plugin.fader->paints, fader + 2);
    EXPECT_EQ(plugin.background->paints, background + 2);
    EXPECT_EQ(plugin.buttons->paints, buttons);
    EXPECT_EQ(plugin.probe->paints, probe);
}

TEST_F(WindowTest, APaintCopiesTheChangedRectangleToTheWindow)
{
    WindowTestEffect& plugin = Plugin();
    HWND editor = Editor();
    EXPECT_EQ(WindowPixel(editor, 55, kFaderY), WindowTestEffect::kHandleColour);  // at 0.3
    EXPECT_EQ(WindowPixel(editor, 160, 100), WindowTestEffect::kBackgroundColour);

    // Paint the surface over behind the window's back: only what the next paint copies shows.
    GFX_IBitmap* surface = Graphics().Surface();
    constexpr uint32_t kMagenta = 0xFFFF00FFu;
    for (int y = 0; y < surface->Height(); ++y)
        for (int x = 0; x < surface->Width(); ++x)
            surface->Pixels()[y * surface->RowStride() + x] = kMagenta;
    const int fader = plugin.fader->paints;
    hosted->SetFromAudioThread(WindowTestEffect::kLevel, 1.0);
    ASSERT_TRUE(PumpUntil([&] { return plugin.fader->paints >= fader + 2; }));

    // Inside the fader: the handle at its new place, the background where it was.
    EXPECT_EQ(WindowPixel(editor, 125, kFaderY), WindowTestEffect::kHandleColour);
    EXPECT_EQ(WindowPixel(editor, 55, kFaderY), WindowTestEffect::kBackgroundColour);
    EXPECT_EQ(WindowPixel(editor, 20, 10), WindowTestEffect::kBackgroundColour);
    // Outside it the window keeps what it showed, although the surface is magenta there.
    EXPECT_EQ(surface->Pixels()[100 * surface->RowStride() + 160], kMagenta);
    EXPECT_EQ(WindowPixel(editor, 160, 100), WindowTestEffect::kBackgroundColour);
    EXPECT_EQ(WindowPixel(editor, 19, kFaderY), WindowTestEffect::kBackgroundColour);
    EXPECT_EQ(WindowPixel(editor, 60, 20), WindowTestEffect::kBackgroundColour);
}

// ---- Mouse ----------------------------------------------------------------------------------------

TEST_F(WindowTest, PressDragAndReleaseEditTheParameterUnderThePointer)
{
    HWND editor = Editor();
    // The handle's centre follows the pointer: (x - 20 - 5) / 100.
    PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, 75, kFaderY);
    PostMouse(editor, WM_MOUSEMOVE, MK_LBUTTON, 100, kFaderY);
    PostMouse(editor, WM_MOUSEMOVE, MK_LBUTTON, 100, kFaderY);  // no movement, no drag
    PostMouse(editor, WM_LBUTTONUP, 0, 100, kFaderY);
    ASSERT_TRUE(PumpUntil([&] { return EditsEnd(); }));
    EXPECT_EQ(Edits(), (Names{"b0", "p0=0.5000", "p0=0.7500", "e0"}));
    EXPECT_DOUBLE_EQ(Param(WindowTestEffect::kLevel).Value(), 0.75);
    EXPECT_EQ(GetCapture(), nullptr);

    // The middle button presses too, and its release ends the edit and the capture.
    hosted->ClearEdits();
    PostMouse(editor, WM_MBUTTONDOWN, MK_MBUTTON, 45, kFaderY);
    PostMouse(editor, WM_MBUTTONUP, 0, 45, kFaderY);
    ASSERT_TRUE(PumpUntil([&] { return EditsEnd(); }));
    EXPECT_EQ(Edits(), (Names{"b0", "p0=0.2000", "e0"}));
    EXPECT_EQ(GetCapture(), nullptr);

    // A press on the third radio button; the topmost control under the pointer takes it.
    hosted->ClearEdits();
    PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, ButtonX(2), kButtonsY);
    PostMouse(editor, WM_LBUTTONUP, 0, ButtonX(2), kButtonsY);
    ASSERT_TRUE(PumpUntil([&] { return EditsEnd(); }));
    EXPECT_EQ(Edits(), (Names{"b1", "p1=1.0000", "e1"}));
    EXPECT_EQ(Param(WindowTestEffect::kMode).Value(), 2.0);

    // A control without a parameter tells the host nothing.
    hosted->ClearEdits();
    PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, kProbeX, kProbeY);
    PostMouse(editor, WM_LBUTTONUP, 0, kProbeX, kProbeY);
    ASSERT_TRUE(PumpUntil([&] { return Plugin().probe->presses == 1 && GetCapture() == nullptr; }));
    EXPECT_TRUE(hosted->Edits().empty());
}

TEST_F(WindowTest, ADoubleClickRestoresTheDefaultAsOneEdit)
{
    hosted->SetFromAudioThread(WindowTestEffect::kLevel, 0.9);
    hosted->ClearEdits();
    PostMouse(Editor(), WM_LBUTTONDBLCLK, MK_LBUTTON, 100, kFaderY);
    PostMouse(Editor(), WM_LBUTTONUP, 0, 100, kFaderY);
    ASSERT_TRUE(PumpUntil([&] { return EditsEnd(); }));
    // The default is the value the fader had when the editor was made.
    EXPECT_EQ(Edits(), (Names{"b0", "p0=0.3000", "e0"}));
    EXPECT_DOUBLE_EQ(Plugin().fader->Value(), 0.3);
}

TEST_F(WindowTest, TheWheelTurnsInWholeNotches)
{
    HWND editor = Editor();
    ProbeControl& probe = *Plugin().probe;
    for (int delta : {119, 240, -119, -120})
        PostWheel(editor, delta, kProbeX, kProbeY);
    ASSERT_TRUE(PumpUntil([&] { return probe.wheelSteps.size() == 4; }));
    EXPECT_EQ(probe.wheelSteps, (std::vector<int32_t>{0, 2, 0, -1}));

    // Two notches move the fader by 0.02, by 0.002 with control held.
    PostWheel(editor, 240, 60, kFaderY);
    ASSERT_TRUE(PumpUntil([&] { return EditsEnd(); }));
    EXPECT_EQ(Edits(), (Names{"b0", "p0=0.3200", "e0"}));
    hosted->ClearEdits();
    PostWheel(editor, 240, 60, kFaderY, MK_CONTROL);
    ASSERT_TRUE(PumpUntil([&] { return EditsEnd(); }));
    EXPECT_EQ(Edits(), (Names{"b0", "p0=0.3220", "e0"}));
}

// ---- Keys -----------------------------------------------------------------------------------------

TEST_F(WindowTest, KeysGoToTheControlUnderThePointerTheCatcherOrTheHost)
{
    HWND editor = Editor();
    WindowTestEffect& plugin = Plugin();
    ASSERT_TRUE(MovePointerTo(editor, kProbeX, kProbeY));
    for (WPARAM key : {WPARAM('A'), WPARAM('Z'), WPARAM('3'), WPARAM(VK_SPACE), WPARAM(VK_LEFT), WPARAM(VK_DOWN),
                       WPARAM(VK_NUMPAD1)})
        PostKey(editor, WM_KEYDOWN, key);
    ASSERT_TRUE(PumpUntil([&] { return plugin.probe->keys.size() == 7; }));
    EXPECT_EQ(plugin.probe->keys, (std::vector<int32_t>{15, 40, 8, 0, 3, 2, 15}));

    // Keys the controls do not know, and every key release, go to the host's window.
    PostKey(editor, WM_KEYDOWN, VK_TAB);
    PostKey(editor, WM_KEYUP, 'A');
    ASSERT_TRUE(PumpUntil([&] { return host.keys.size() == 2; }));
    EXPECT_EQ(host.keys[0].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(host.keys[0].key, static_cast<WPARAM>(VK_TAB));
    EXPECT_EQ(host.keys[1].message, static_cast<UINT>(WM_KEYUP));

    // Over the background the key catcher takes keys; a control that declines one passes it on.
    ASSERT_TRUE(MovePointerTo(editor, 5, 110));
    PostKey(editor, WM_KEYDOWN, 'B');
    ASSERT_TRUE(PumpUntil([&] { return plugin.keyCatcher->keys.size() == 1; }));
    EXPECT_EQ(plugin.keyCatcher->keys[0], 16);
    ASSERT_TRUE(MovePointerTo(editor, 60, kFaderY));
    PostKey(editor, WM_KEYDOWN, 'C');
    ASSERT_TRUE(PumpUntil([&] { return host.keys.size() == 3; }));
    EXPECT_EQ(host.keys[2].key, static_cast<WPARAM>('C'));
    EXPECT_EQ(plugin.probe->keys.size(), 7u);
}

// ---- The entry field ------------------------------------------------------------------------------

TEST_F(WindowTest, EnterCommitsTheTypedValue)
{
    Plugin().fader->AskUserForValue();
    HWND field = Graphics().EntryField();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(GetParent(field), Editor());
    EXPECT_EQ(GetDlgCtrlID(field), IGraphicsWin::kEntryFieldId);
    EXPECT_EQ(GetFocus(), field);
    EXPECT_EQ(Graphics().EntryState(), IGraphicsWin::kEntryFocused);
    EXPECT_EQ(WindowText(field), L"0.3000");
    // 40 x 16 around the fader's centre, one pixel larger.
    RECT place = PlaceInParent(field);
    EXPECT_EQ(place.left, 55);
    EXPECT_EQ(place.top, 7);
    EXPECT_EQ(place.right, 96);
    EXPECT_EQ(place.bottom, 24);

    // The typed text replaces the selected one; a letter is swallowed.
    PostText(field, L"0.x62");
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(EntryClosed());
    EXPECT_FALSE(IsWindow(field));
    EXPECT_DOUBLE_EQ(Param(WindowTestEffect::kLevel).Value(), 0.62);
    EXPECT_EQ(Edits(), (Names{"b0", "p0=0.6200", "e0"}));
    EXPECT_EQ(GetFocus(), Editor());
}

TEST_F(WindowTest, EscapeOrAPressInTheEditorDiscardsTheText)
{
    Plugin().fader->AskUserForValue();
    HWND field = Graphics().EntryField();
    ASSERT_NE(field, nullptr);
    PostText(field, L"0.9");
    PostKey(field, WM_KEYDOWN, VK_ESCAPE);
    ASSERT_TRUE(EntryClosed());

    Plugin().fader->AskUserForValue();
    field = Graphics().EntryField();
    ASSERT_NE(field, nullptr);
    PostText(field, L"0.9");
    PostMouse(Editor(), WM_LBUTTONDOWN, MK_LBUTTON, kProbeX, kProbeY);
    PostMouse(Editor(), WM_LBUTTONUP, 0, kProbeX, kProbeY);
    ASSERT_TRUE(EntryClosed());
    EXPECT_DOUBLE_EQ(Param(WindowTestEffect::kLevel).Value(), 0.3);
    EXPECT_TRUE(hosted->Edits().empty());
    // The press only closed the field.
    EXPECT_EQ(Plugin().probe->presses, 0);
}

TEST_F(WindowTest, LosingTheFocusCommitsTheText)
{
    Plugin().fader->AskUserForValue();
    HWND field = Graphics().EntryField();
    ASSERT_NE(field, nullptr);
    PostText(field, L"0.45");
    ASSERT_TRUE(PumpUntil([&] { return WindowText(field) == L"0.45"; }));
    SetFocus(host.Handle());
    ASSERT_TRUE(EntryClosed());
    EXPECT_DOUBLE_EQ(Param(WindowTestEffect::kLevel).Value(), 0.45);
}

TEST_F(WindowTest, TheFieldTakesOnlyWhatTheParameterCanBe)
{
    ProbeControl& control = *Plugin().entryProbe;
    // An integer takes signs and digits only: no point, no letters.
    HWND field = OpenEntry(control, WindowTestEffect::kCount, "3");
    ASSERT_NE(field, nullptr);
    PostText(field, L"2.5x");
    ASSERT_TRUE(PumpUntil([&] { return WindowText(field) == L"25"; }));
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(EntryClosed());
    EXPECT_EQ(Param(WindowTestEffect::kCount).Value(), 10.0);  // clamped

    // A shown-negated parameter takes the number as shown.
    field = OpenEntry(control, WindowTestEffect::kTrim, "6");
    PostText(field, L"3.5");
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(EntryClosed());
    EXPECT_NEAR(Param(WindowTestEffect::kTrim).Value(), -3.5, 1e-9);

    // A boolean with display texts takes the value of the text typed: none matches a number.
    field = OpenEntry(control, WindowTestEffect::kSwitch, "1");
    PostText(field, L"7");
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(EntryClosed());
    EXPECT_EQ(Param(WindowTestEffect::kSwitch).Value(), 0.0);

    // A boolean without display texts reads its number.
    field = OpenEntry(control, WindowTestEffect::kFlag, "0");
    PostText(field, L"1");
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(EntryClosed());
    EXPECT_EQ(Param(WindowTestEffect::kFlag).Value(), 1.0);
}

TEST_F(WindowTest, FreeTextArrivesAsUtf8)
{
    // A centred field takes no more than fits its width: this one is wide enough.
    ProbeControl& control = *Plugin().entryProbe;
    control.TextStyle().entryBackground = IRgba(255, 250, 230, 20);
    const IRect wide(20, 90, 180, 110);
    HWND field = OpenEntry(control, -1, "abc", wide);
    ASSERT_NE(field, nullptr);
    // The field is filled with the style's entry background while it has the focus.
    EXPECT_TRUE(PumpUntil([&] { return WindowPixel(field, 2, 2) == RGB(250, 230, 20); }));
    PostText(field, L"Gr\u00FC\u00DFe \u2713");
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(EntryClosed());
    EXPECT_EQ(control.enteredText, "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93");

    // Enter at once keeps the selected text: the line break its key types is not taken, even
    // where the field has room for a second line.
    field = OpenEntry(control, -1, "keep", IRect(20, 60, 180, 110));
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    PostMessageW(field, WM_CHAR, L'\r', 1);
    ASSERT_TRUE(EntryClosed());
    EXPECT_EQ(control.enteredText, "keep");

    // The field keeps to the control's length limit.
    control.SetEntryLengthLimit(3);
    field = OpenEntry(control, -1, "", wide);
    PostText(field, L"abcdef");
    PostKey(field, WM_KEYDOWN, VK_RETURN);
    ASSERT_TRUE(EntryClosed());
    EXPECT_EQ(control.enteredText, "abc");
}

// ---- Popup menus ----------------------------------------------------------------------------------

TEST_F(WindowTest, APopupMenuOffersAChoiceParametersValues)
{
    MenuDriver driver(Editor(), {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    Plugin().buttons->AskUserForValue();
    EXPECT_TRUE(driver.Done());
    EXPECT_EQ(driver.labels, (std::vector<std::wstring>{L"Room (checked)", L"Hall", L"Plate"}));
    EXPECT_EQ(Param(WindowTestEffect::kMode).Value(), 2.0);
    EXPECT_EQ(Edits(), (Names{"p1=1.0000"}));
}

TEST_F(WindowTest, APopupMenuPicksFromASubmenuOrIsDismissed)
{
    IChoiceMenu menu(IChoiceMenu::kNumbersTwoDigits);
    menu.AddItem("Alpha");
    menu.AddSeparator();
    auto more = std::make_unique<IChoiceMenu>(IChoiceMenu::kNumbersPlain);
    more->AddItem("x");
    more->AddItem("y", kChoiceChecked);
    more->AddItem("z", kChoiceGreyed);
    IChoiceMenu* submenu = more.get();
    menu.AddSubmenu("More", std::move(more));
    menu.AddItem("Omega");

    {
        // Down to "More" (past the separator), into it, down to "y".
        MenuDriver driver(Editor(), {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
        IChoiceMenu* chosen = Graphics().ShowPopupMenu(&menu, IRect(20, 40, 130, 50));
        ASSERT_TRUE(driver.Done());
        EXPECT_EQ(driver.labels, (std::vector<std::wstring>{L"01: Alpha", L"-", L"03: More", L"[", L"1: x",
                                                            L"2: y (checked)", L"3: z (greyed)", L"]", L"04: Omega"}));
        EXPECT_EQ(chosen, submenu);
        EXPECT_EQ(submenu->ChosenIndex(), 1);
        EXPECT_EQ(menu.ChosenIndex(), -1);
    }
    {
        MenuDriver driver(Editor(), {VK_UP, VK_RETURN});
        EXPECT_EQ(Graphics().ShowPopupMenu(&menu, IRect(20, 40, 130, 50)), &menu);
        EXPECT_EQ(menu.ChosenIndex(), 3);
    }
    {
        MenuDriver driver(Editor(), {VK_DOWN, VK_ESCAPE});
        menu.SetChosenIndex(-1);
        EXPECT_EQ(Graphics().ShowPopupMenu(&menu, IRect(20, 40, 130, 50)), nullptr);
        EXPECT_TRUE(driver.Done());
        EXPECT_EQ(menu.ChosenIndex(), -1);
    }
}

TEST_F(WindowTest, ARightPressOnAParameterControl)
{
    HWND editor = Editor();
    if (Plugin().GetApiKind() == kApiVST3)
    {
        // VST3 hosts show their own menu for the parameter, and no edit begins.
        PostMouse(editor, WM_RBUTTONDOWN, MK_RBUTTON, ButtonX(1), kButtonsY);
        PostMouse(editor, WM_RBUTTONUP, 0, ButtonX(1), kButtonsY);
        ASSERT_TRUE(PumpUntil([&] { return hosted->HostMenus() == 1 && GetCapture() == nullptr; }));
        EXPECT_TRUE(hosted->Edits().empty());
        return;
    }
    // Elsewhere the control offers its values in a menu, inside the press's gesture.
    MenuDriver driver(editor, {VK_DOWN, VK_DOWN, VK_RETURN});
    PostMouse(editor, WM_RBUTTONDOWN, MK_RBUTTON, ButtonX(0), kButtonsY);
    ASSERT_TRUE(PumpUntil([&] { return driver.Done() && Param(WindowTestEffect::kMode).Value() == 1.0; }));
    PostMouse(editor, WM_RBUTTONUP, 0, ButtonX(0), kButtonsY);
    ASSERT_TRUE(PumpUntil([&] { return EditsEnd(); }));
    EXPECT_EQ(Edits(), (Names{"b1", "p1=0.5000", "e1"}));
}

// ---- Tooltips and hover ---------------------------------------------------------------------------

TEST_F(WindowTest, TooltipsOnceSwitchedOnShowTheControlsTip)
{
    EXPECT_EQ(Graphics().TooltipWindow(), nullptr);
    hosted->Close();
    Graphics().SetHandleHover(true);
    Graphics().SetTooltipsEnabled(true);
    ASSERT_TRUE(hosted->Open(host.Handle()));
    HWND editor = Editor();
    HWND tip = Graphics().TooltipWindow();
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(ClassName(tip), L"tooltips_class32");
    // Owned by the editor window's top-level window, as any pop-up given a child window.
    EXPECT_EQ(GetWindow(tip, GW_OWNER), host.Handle());

    auto toolText = [&] {
        wchar_t text[80] = {};
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = editor;
        tool.uId = reinterpret_cast<UINT_PTR>(editor);
        tool.lpszText = text;
        SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&tool));
        return std::wstring(text);
    };
    ProbeControl& probe = *Plugin().probe;
    // The pointer really rests on the probe, so that the window's leave tracking holds.
    ASSERT_TRUE(MovePointerTo(editor, kProbeX, kProbeY));
    PostMouse(editor, WM_MOUSEMOVE, 0, kProbeX, kProbeY);
    ASSERT_TRUE(PumpUntil([&] { return probe.enters >= 1; }));
    EXPECT_EQ(Graphics().HoveredIndex(), 3);
    PostMessageW(editor, WM_MOUSEHOVER, 0, MAKELPARAM(kProbeX, kProbeY));
    ASSERT_TRUE(PumpUntil([&] { return toolText() == L"Probe tip"; }));

    PostMessageW(editor, WM_MOUSELEAVE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return probe.leaves >= 1; }));
    EXPECT_EQ(Graphics().HoveredIndex(), -1);
    EXPECT_EQ(toolText(), L"");
}

// ---- Resizing -------------------------------------------------------------------------------------

TEST_F(WindowTest, ResizingGrowsTheWindowAndOutsideVst3TheHostsWindow)
{
    const int32_t controls = Graphics().ControlCount();
    Graphics().ResizeEditor(WindowTestEffect::kWidth, WindowTestEffect::kHeight);
    EXPECT_EQ(Graphics().ControlCount(), controls);

    RECT hostBefore;
    GetWindowRect(host.Handle(), &hostBefore);
    Graphics().ResizeEditor(WindowTestEffect::kWidth + 40, WindowTestEffect::kHeight + 30);
    EXPECT_EQ(Graphics().ControlCount(), 0);
    const RECT place = PlaceInParent(Editor());
    EXPECT_EQ(place.right - place.left, WindowTestEffect::kWidth + 40);
    EXPECT_EQ(place.bottom - place.top, WindowTestEffect::kHeight + 30);
    RECT hostAfter;
    GetWindowRect(host.Handle(), &hostAfter);
    const int grown = Plugin().GetApiKind() == kApiVST3 ? 0 : 40;
    EXPECT_EQ(hostAfter.right - hostAfter.left, hostBefore.right - hostBefore.left + grown);
}

// ---- Threads --------------------------------------------------------------------------------------

// The host's audio thread keeps setting the level while the user clicks the buttons; the
// window then shows the last level. Under Wine, so the window, its timer and its message loop
// are real.
TEST_F(WindowTest, HostValuesFromTheAudioThreadShowWhileTheUserClicks)
{
    WindowTestEffect& plugin = Plugin();
    HWND editor = Editor();
    constexpr int kClicks = 24;
    std::atomic<int> clicksDone{0};
    std::thread audio([&] {
        for (int i = 0; clicksDone < kClicks; ++i)
            hosted->SetFromAudioThread(WindowTestEffect::kLevel, (i % 1000) / 1000.0);
        hosted->SetFromAudioThread(WindowTestEffect::kLevel, 1.0);
    });
    bool clicksShown = true;
    for (int click = 1; click <= kClicks && clicksShown; ++click)
    {
        // Each button differs from the one before, so its value shows the click was taken.
        const int button = click % 3;
        PostMouse(editor, WM_LBUTTONDOWN, MK_LBUTTON, ButtonX(button), kButtonsY);
        PostMouse(editor, WM_LBUTTONUP, 0, ButtonX(button), kButtonsY);
        clicksShown = PumpUntil([&] { return plugin.buttons->Value() == button * 0.5 && GetCapture() == nullptr; });
        clicksDone = click;
    }
    clicksDone = kClicks;
    audio.join();
    ASSERT_TRUE(clicksShown);

    ASSERT_TRUE(PumpUntil([&] {
        return plugin.fader->Value() == 1.0 && WindowPixel(editor, 125, kFaderY) == WindowTestEffect::kHandleColour;
    }));
    EXPECT_EQ(Param(WindowTestEffect::kLevel).Value(), 1.0);
    EXPECT_EQ(Param(WindowTestEffect::kMode).Value(), kClicks % 3);
}
