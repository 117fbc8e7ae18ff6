#pragma once
// The process-wide cache of fonts, one per distinct size, orientation, style and face, shared
// by every editor of the module. Entries are only added and live until the module unloads.

#include "IRecursiveMutex.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class GFX_IFont;
struct ITextStyle;

class IFontCache
{
public:
    static constexpr size_t kFaceCapacity = 36;

    static IFontCache& Shared();

    // The font cached for the style's size, orientation, style and face, or null.
    GFX_IFont* Find(const ITextStyle& style);
    // Caches a font for the style and returns the cached one: when another caller cached the
    // same key meanwhile, that one is kept and `font` is dropped.
    GFX_IFont* Add(const ITextStyle& style, std::unique_ptr<GFX_IFont> font);
    int32_t Count();

private:
    IFontCache() = default;
    ~IFontCache();

    struct Entry
    {
        int32_t size;
        int32_t orientation;
        int32_t style;
        char face[kFaceCapacity];
        std::unique_ptr<GFX_IFont> font;

        bool Matches(const ITextStyle& s) const;
    };

    GFX_IFont* FindLocked(const ITextStyle& style) const;

    IRecursiveMutex lock;
    std::vector<Entry> entries;
};
