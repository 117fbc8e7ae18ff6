#include "ReverbWindowSupport.h"

#include "GFX_MemBitmap.h"
#include "GFX_PngDecoder.h"
#include "IModuleInstance.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace ReverbLayout {

const std::vector<RadioGroup>& RadioGroups()
{
    static const std::vector<RadioGroup> groups = {
        {0, 37, {82, 118, 154, 190}},   // Input: L, R, L+R, L&R
        {17, 290, {100, 154}},          // Turbulence: On, Off
        {18, 313, {100, 154}},          // Air: On, Off
    };
    return groups;
}

POINT RadioPoint(const RadioGroup& group, int position)
{
    return {group.lefts[static_cast<size_t>(position)] + kRadioSize / 2, group.top + kRadioSize / 2};
}

} // namespace ReverbLayout

namespace {

namespace L = ReverbLayout;

constexpr COLORREF kDontCare = 0xFFFFFFFF;
constexpr COLORREF kBarColour = RGB(0x00, 0xB8, 0xC2);
constexpr size_t kReportedDifferences = 8;
// The readouts' rectangles (Low cut and High cut are the wide ones), with a pixel to spare
// for text that a font draws a little wider.
constexpr int kReadoutLeft = 206, kReadoutRight = 240, kReadoutHeight = 17;
// The version readout draws its 16-pixel text from the top of its 8-pixel box.
constexpr int kVersionRight = 180, kVersionBottom = 73;

COLORREF AsColorref(uint32_t argb)
{
    return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

uint32_t PixelOf(GFX_MemBitmap& bitmap, int x, int y)
{
    return bitmap.Pixels()[static_cast<size_t>(y) * static_cast<size_t>(bitmap.RowStride()) + static_cast<size_t>(x)];
}

class Expected
{
public:
    Expected() : pixels(static_cast<size_t>(L::kWidth) * L::kHeight, kDontCare) {}

    COLORREF& At(int x, int y) { return pixels[static_cast<size_t>(y) * L::kWidth + static_cast<size_t>(x)]; }
    // A bitmap area over what lies there already: opaque pixels replace it, transparent ones
    // keep it, and the blended edges are not compared.
    void Draw(GFX_MemBitmap& bitmap, int sourceY, int width, int height, int left, int top)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const uint32_t pixel = PixelOf(bitmap, x, sourceY + y);
                const uint32_t alpha = pixel >> 24;
                if (alpha == 255)
                    At(left + x, top + y) = AsColorref(pixel);
                else if (alpha != 0)
                    At(left + x, top + y) = kDontCare;
            }
    }
    void Fill(int left, int top, int right, int bottom, COLORREF colour)
    {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                At(x, y) = colour;
    }

    std::vector<COLORREF> pixels;
};

void DrawFader(Expected& expected, const ReverbArtwork& art, int param, double value)
{
    const int top = L::RowTop(param);
    const int barWidth = static_cast<int>(L::kTrackLength * value + L::kTrackLeft) - L::kTrackLeft;
    expected.Fill(L::kTrackLeft, top + 5, L::kTrackLeft + barWidth, top + 7, kBarColour);
    const int handleLeft = L::kTrackLeft + static_cast<int>(L::kHandleTravel * value);
    expected.Draw(*art.handle, 0, L::kHandleSize, L::kHandleSize, handleLeft, top);
}

void DrawRadioGroup(Expected& expected, const ReverbArtwork& art, const L::RadioGroup& group, double value)
{
    const int count = static_cast<int>(group.lefts.size());
    const int active = std::clamp(static_cast<int>((count - 1) * value + 0.5), 0, count - 1);
    for (int i = 0; i < count; ++i)
        expected.Draw(*art.radio, i == active ? L::kRadioSize : 0, L::kRadioSize, L::kRadioSize,
                      group.lefts[static_cast<size_t>(i)], group.top);
}

} // namespace

ReverbArtwork::ReverbArtwork(HMODULE module)
{
    auto decode = [module](int id) {
        const std::string bytes = ModuleResource(module, id, L"PNG");
        return std::unique_ptr<GFX_MemBitmap>(bytes.empty() ? nullptr : DecodePngFromMemory(bytes.data(), bytes.size()));
    };
    background = decode(101);
    handle = decode(102);
    radio = decode(104);
    about = decode(106);
}

ReverbArtwork::~ReverbArtwork() = default;

std::vector<std::string> DifferencesFromExpected(const WindowPicture& shown, const ReverbArtwork& art,
                                                 const std::vector<double>& values, bool aboutShown)
{
    if (shown.width < L::kWidth || shown.height < L::kHeight)
        return {"the window is smaller than the editor"};
    Expected expected;
    expected.Draw(*art.background, 0, L::kWidth, L::kHeight, 0, 0);
    for (int param = 1; param <= 10; ++param)
    {
        expected.Fill(kReadoutLeft, L::RowTop(param), kReadoutRight, L::RowTop(param) + kReadoutHeight, kDontCare);
        DrawFader(expected, art, param, values[static_cast<size_t>(param)]);
    }
    for (const L::RadioGroup& group : L::RadioGroups())
        DrawRadioGroup(expected, art, group, values[static_cast<size_t>(group.param)]);
    if (aboutShown)
    {
        expected.Draw(*art.about, 0, L::kWidth, L::kAboutHeight, 0, 0);
        expected.Fill(L::kVersionLeft, L::kVersionTop, kVersionRight, kVersionBottom, kDontCare);
    }

    std::vector<std::string> differences;
    size_t count = 0;
    for (int y = 0; y < L::kHeight; ++y)
        for (int x = 0; x < L::kWidth; ++x)
        {
            const COLORREF wanted = expected.At(x, y);
            if (wanted == kDontCare || wanted == shown.At(x, y))
                continue;
            if (++count <= kReportedDifferences)
            {
                char line[96];
                snprintf(line, sizeof line, "(%d, %d) shows %06lx, not %06lx", x, y,
                         static_cast<unsigned long>(shown.At(x, y)), static_cast<unsigned long>(wanted));
                differences.push_back(line);
            }
        }
    if (count > kReportedDifferences)
        differences.push_back("... " + std::to_string(count) + " pixels differ in all");
    return differences;
}

std::string ModuleResource(HMODULE module, int id, const wchar_t* type)
{
    const IModuleResource stored = FindModuleResource(module, id, std::string(type, type + wcslen(type)).c_str());
    return stored.bytes ? std::string(static_cast<const char*>(stored.bytes), stored.size) : std::string();
}

// ---- Folders ------------------------------------------------------------------------------------

namespace {

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileW(path.c_str());
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr wchar_t kLocalAppData[] = L"Local AppData";

} // namespace

ScratchFolder::ScratchFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    path = std::wstring(temp) + name;
    RemoveTree(path);   // left over from a run that did not finish
    CreateDirectoryW(path.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path);
}

LocalAppDataAt::LocalAppDataAt(const std::wstring& folder)
{
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    hadValue = RegGetValueW(HKEY_CURRENT_USER, kShellFolders, kLocalAppData, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ |
                            RRF_NOEXPAND, &savedType, value, &size) == ERROR_SUCCESS;
    saved = value;
    RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, kLocalAppData, REG_EXPAND_SZ, folder.c_str(),
                    static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
}

LocalAppDataAt::~LocalAppDataAt()
{
    if (hadValue)
        RegSetKeyValueW(HKEY_CURRENT_USER, kShellFolders, kLocalAppData, savedType, saved.c_str(),
                        static_cast<DWORD>((saved.size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kShellFolders, kLocalAppData);
}

// ---- Message boxes ------------------------------------------------------------------------------

namespace {

// The class of dialog windows, message boxes among them.
constexpr wchar_t kDialogClass[] = L"#32770";

ShownBox ReadBox(HWND box)
{
    ShownBox shown{L"", WindowText(box), nullptr, GetWindow(box, GW_OWNER)};
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, L"Static") != 0)
            continue;
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            shown.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        else if (shown.text.empty())
            shown.text = WindowText(child);
    }
    return shown;
}

} // namespace

MessageBoxAnswerer::MessageBoxAnswerer()
    : ModalDriver(
          [this] {
              Answer();
              return false;
          },
          [] {})
{
}

void MessageBoxAnswerer::Answer()
{
    HWND box = FindThreadWindow(kDialogClass);
    if (!box || box == answered)
        return;
    boxes.push_back(ReadBox(box));
    answered = box;
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
