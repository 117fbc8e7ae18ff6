// The in-place entry field: an EDIT window over the control whose value is typed. Its own
// procedure filters what may be typed and notes Enter, Escape and the loss of the focus; the
// redraw timer then applies or drops the text and closes the field.

#include "IGraphicsWin.h"

#include "DecimalText.h"
#include "IControl.h"
#include "IParamEntry.h"
#include "platform/IWinText.h"

#include <algorithm>

namespace {

// The field takes at most this many characters, and so many are read back when committing.
constexpr int32_t kMaxEntryCharacters = 31;
constexpr size_t kMaxInitialEntryUnits = 64;
constexpr UINT kEditClicked = 1;  // the notification code of a field's command message

DWORD AlignmentStyle(int32_t align)
{
    switch (align)
    {
    case kAlignLeft: return ES_LEFT;
    case kAlignRight: return ES_RIGHT;
    default: return ES_CENTER;
    }
}

HFONT CreateEntryFont(const ITextStyle& style)
{
    const std::wstring face = WideFromUtf8(style.face, LF_FACESIZE - 1);
    return CreateFontW(style.size, 0, 0, 0, style.style == kStyleBold ? FW_BOLD : FW_DONTCARE,
                       style.style == kStyleItalic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str());
}

// The leading decimal number of a text, read as the hosts' value fields read it; 0 when there
// is none. A number beyond the range of doubles is an infinity that the caller clamps.
double ReadNumber(const std::string& text)
{
    double value = 0.0;
    return ParseDecimal(text.c_str(), &value) ? value : 0.0;
}

// The plain value a typed text stands for: the value of the display text it names for choices
// (0 when it names none), the number it reads as otherwise.
double TypedValue(const IParamEntry& param, const std::string& text)
{
    const bool choice = param.Kind() == kParamBool || param.Kind() == kParamEnum;
    // A choice without display texts can only be typed as its number.
    if (choice && param.DisplayTextCount() > 0)
    {
        for (int i = 0; i < param.DisplayTextCount(); ++i)
            if (text == param.DisplayTextAt(i).text)
                return param.DisplayTextAt(i).value;
        return 0.0;
    }
    const double number = ReadNumber(text);
    return param.NegateDisplay() ? -number : number;
}

double NormalizedTypedValue(const IParamEntry& param, const std::string& text)
{
    return param.ToNormalized(TypedValue(param, text));
}

} // namespace

void IGraphicsWin::BeginTextEntry(IControl* control, const ITextStyle& style, const IRect& rect, const char* text,
                                  IParamEntry* param)
{
    if (!control || entryField || !editorWindow)
        return;
    const std::wstring initial = WideFromUtf8(text, kMaxInitialEntryUnits);
    HWND field = CreateWindowExW(0, L"EDIT", initial.c_str(),
                                 WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOHSCROLL | AlignmentStyle(style.align),
                                 rect.left, rect.top, SaturateToInt32(int64_t(rect.Width()) + 1),
                                 SaturateToInt32(int64_t(rect.Height()) + 1), editorWindow,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryFieldId)), moduleInstance, nullptr);
    if (!field)
        return;
    entryFont = CreateEntryFont(style);
    const int32_t limit = std::clamp(control->EntryLengthLimit(), 1, kMaxEntryCharacters);
    SendMessageW(field, EM_LIMITTEXT, static_cast<WPARAM>(limit), 0);
    SendMessageW(field, WM_SETFONT, reinterpret_cast<WPARAM>(entryFont), FALSE);
    SendMessageW(field, EM_SETSEL, 0, -1);
    entryField = field;
    entryControl = control;
    entryParam = param;
    // The field's own procedure is replaced before it takes the focus, so that the entry
    // procedure sees it arrive.
    savedEntryProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&IGraphicsWin::EntryProc)));
    SetFocus(field);
}

void IGraphicsWin::CancelTextEntry()
{
    if (entryField)
        entryState = kEntryCancel;
}

LRESULT CALLBACK IGraphicsWin::EntryProc(HWND field, UINT message, WPARAM wParam, LPARAM lParam)
{
    IGraphicsWin* editor = EditorOfWindow(GetParent(field));
    if (!editor || editor->entryField != field)
        return DefWindowProcW(field, message, wParam, lParam);
    return editor->HandleEntryMessage(message, wParam, lParam);
}

LRESULT IGraphicsWin::HandleEntryMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    HideTooltip();
    switch (message)
    {
    case WM_SETFOCUS:
        entryState = kEntryFocused;
        break;
    case WM_KILLFOCUS:
        entryState = kEntryCommit;
        break;
    case WM_GETDLGCODE:
    {
        LRESULT code = CallWindowProcW(savedEntryProc, entryField, message, wParam, lParam);
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        if (!entryParam && pending && pending->message == WM_KEYDOWN && wParam == VK_RETURN)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_KEYDOWN:
        if (wParam == VK_RETURN)
        {
            entryState = kEntryCommit;
            return 0;
        }
        if (wParam == VK_ESCAPE)
        {
            entryState = kEntryCancel;
            return 0;
        }
        break;
    case WM_CHAR:
        if (!EntryAccepts(wParam))
            return 0;
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == kEditClicked)
        {
            entryState = kEntryCommit;
            return 0;
        }
        break;
    default:
        break;
    }
    return CallWindowProcW(savedEntryProc, entryField, message, wParam, lParam);
}

// Backspace always; Enter never (it commits, and must not replace the selected text with a
// line break first); for a parameter only a number: signs, digits, and a point for a
// floating-point one.
bool IGraphicsWin::EntryAccepts(WPARAM character) const
{
    if (character == VK_BACK)
        return true;
    if (character == L'\r' || character == L'\n')
        return false;
    if (!entryParam)
        return true;
    if (character == L'+' || character == L'-' || (character >= L'0' && character <= L'9'))
        return true;
    return character == L'.' && entryParam->Kind() == kParamDouble;
}

LRESULT IGraphicsWin::EntryColours(HDC dc, HWND field)
{
    if (!entryField || field != entryField)
        return DefWindowProcW(editorWindow, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                              reinterpret_cast<LPARAM>(field));
    const ITextStyle& style = entryControl->TextStyle();
    SetBkColor(dc, ColourRef(style.entryBackground));
    SetTextColor(dc, ColourRef(style.entryText));
    SetBkMode(dc, OPAQUE);
    // The field's empty part is filled with the returned brush: the same background.
    SetDCBrushColor(dc, ColourRef(style.entryBackground));
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

// The timer's handling of an open field: a commit applies the text, a commit or a cancel
// closes the field, and any other state returns to idle.
void IGraphicsWin::StepEntryField()
{
    switch (entryState)
    {
    case kEntryCommit:
        CommitEntry();
        CloseEntryField(true);
        break;
    case kEntryCancel:
        CloseEntryField(true);
        break;
    default:
        entryState = kEntryIdle;
        break;
    }
}

void IGraphicsWin::CommitEntry()
{
    wchar_t typed[kMaxEntryCharacters + 1] = {};
    GetWindowTextW(entryField, typed, kMaxEntryCharacters + 1);
    const std::string text = Utf8FromWide(typed, kMaxEntryCharacters);
    IControl& control = *entryControl;
    if (const IParamEntry* param = entryParam)
        EditInGesture(control, [&] { control.ApplyUserValue(NormalizedTypedValue(*param, text)); });
    else
        control.AcceptEnteredText(text.c_str());
}

void IGraphicsWin::CloseEntryField(bool destroy)
{
    if (!entryField)
        return;
    HWND field = entryField;
    const bool hadFocus = GetFocus() == field;
    // The field's own procedure takes the messages of its destruction.
    SetWindowLongPtrW(field, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(savedEntryProc));
    entryField = nullptr;
    entryControl = nullptr;
    entryParam = nullptr;
    savedEntryProc = nullptr;
    entryState = kEntryIdle;
    if (destroy)
    {
        DestroyWindow(field);
        if (hadFocus && editorWindow)
            SetFocus(editorWindow);
    }
    DeleteObject(entryFont);
    entryFont = nullptr;
}
