#include "IFontCache.h"

#include "GFX_IFont.h"
#include "IGraphicsTypes.h"

#include <cstring>

IFontCache& IFontCache::Shared()
{
    static IFontCache cache;
    return cache;
}

IFontCache::~IFontCache() = default;

bool IFontCache::Entry::Matches(const ITextStyle& s) const
{
    return size == s.size && orientation == s.orientation && style == s.style &&
           strncmp(face, s.face, ITextStyle::kFaceCapacity) == 0;
}

GFX_IFont* IFontCache::FindLocked(const ITextStyle& s) const
{
    for (const Entry& entry : entries)
        if (entry.Matches(s))
            return entry.font.get();
    return nullptr;
}

GFX_IFont* IFontCache::Find(const ITextStyle& s)
{
    ILockGuard guard(lock);
    return FindLocked(s);
}

GFX_IFont* IFontCache::Add(const ITextStyle& s, std::unique_ptr<GFX_IFont> font)
{
    if (!font)
        return nullptr;
    ILockGuard guard(lock);
    if (GFX_IFont* cached = FindLocked(s))
        return cached;
    Entry entry{s.size, s.orientation, s.style, {}, std::move(font)};
    static_assert(ITextStyle::kFaceCapacity <= kFaceCapacity, "every face name fits an entry");
    std::memcpy(entry.face, s.face, ITextStyle::kFaceCapacity);
    entries.push_back(std::move(entry));
    return entries.back().font.get();
}

int32_t IFontCache::Count()
{
    ILockGuard guard(lock);
    return static_cast<int32_t>(entries.size());
}
