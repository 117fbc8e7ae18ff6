// Takes a picture of the reverb's editor as a module shows it: the module loaded as a host
// loads it, its editor opened in a window, and the window's pixels written to a 24-bit BMP
// once they show the editor's state. Used by scripts/make-editor-picture; runs under Wine.
//
//   reverb_editor_picture <module> <picture.bmp> [about]
// With "about", the picture shows the about overlay, opened by a click on About.

#include "HostedEditor.h"
#include "IGraphics.h"
#include "IReverbEffect.h"
#include "ReverbWindowSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kBmpRowAlignment = 4;   // bytes

bool WriteBmp(const WindowPicture& picture, const std::wstring& path)
{
    const int rowBytes = (picture.width * 3 + kBmpRowAlignment - 1) / kBmpRowAlignment * kBmpRowAlignment;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42;   // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(rowBytes * picture.height);
    info.biSize = sizeof info;
    info.biWidth = picture.width;
    info.biHeight = picture.height;   // bottom row first
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    for (int y = picture.height - 1; y >= 0; --y)
    {
        std::string row(static_cast<size_t>(rowBytes), '\0');
        for (int x = 0; x < picture.width; ++x)
        {
            const COLORREF colour = picture.At(x, y);
            row[static_cast<size_t>(3 * x)] = static_cast<char>(GetBValue(colour));
            row[static_cast<size_t>(3 * x + 1)] = static_cast<char>(GetGValue(colour));
            row[static_cast<size_t>(3 * x + 2)] = static_cast<char>(GetRValue(colour));
        }
        bytes += row;
    }
    return WriteBytes(path, bytes);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool about = argc == 4 && std::wstring(argv[3]) == L"about";
    if (argc != 3 && !about)
    {
        fprintf(stderr, "usage: reverb_editor_picture <module> <picture.bmp> [about]\n");
        return 2;
    }
    const std::wstring module = argv[1];
    std::unique_ptr<HostedEditor> hosted = HostModuleEditor(std::string(module.begin(), module.end()));
    if (!hosted)
    {
        fprintf(stderr, "reverb_editor_picture: cannot load %ls\n", module.c_str());
        return 1;
    }
    HostWindow host(40, 40, 300, 440);
    if (!hosted->Open(host.Handle()))
    {
        fprintf(stderr, "reverb_editor_picture: the editor does not open\n");
        return 1;
    }
    auto& editor = static_cast<IGraphics&>(*hosted->PluginAs<IReverbEffect>().Editor());
    HWND window = static_cast<HWND>(editor.WindowHandle());
    ReverbArtwork art(reinterpret_cast<HMODULE>(GetClassLongPtrW(window, GCLP_HMODULE)));
    if (about)
    {
        PostMouse(window, WM_LBUTTONDOWN, MK_LBUTTON, ReverbLayout::kAboutX, ReverbLayout::kButtonY);
        PostMouse(window, WM_LBUTTONUP, 0, ReverbLayout::kAboutX, ReverbLayout::kButtonY);
    }
    WindowPicture picture;
    const bool shown = art.Complete() && PumpUntil([&] {
        std::vector<double> values;
        for (int32_t i = 0; i < ReverbParameters::kCount; ++i)
            values.push_back(hosted->Instance().Parameter(i)->Value());
        picture = CaptureWindow(window);
        return values[ReverbParameters::kAbout] == (about ? 1.0 : 0.0) &&
               DifferencesFromExpected(picture, art, values, about).empty();
    });
    if (!shown)
    {
        fprintf(stderr, "reverb_editor_picture: the window never showed the editor\n");
        return 1;
    }
    return WriteBmp(picture, argv[2]) ? 0 : 1;
}
