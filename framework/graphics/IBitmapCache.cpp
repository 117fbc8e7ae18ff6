#include "IBitmapCache.h"

#include "GFX_IBitmap.h"

IBitmapCache& IBitmapCache::Shared()
{
    static IBitmapCache cache;
    return cache;
}

IBitmapCache::~IBitmapCache() = default;

GFX_IBitmap* IBitmapCache::FindLocked(int32_t id) const
{
    for (const Entry& entry : entries)
        if (entry.id == id)
            return entry.bitmap.get();
    return nullptr;
}

GFX_IBitmap* IBitmapCache::Find(int32_t id)
{
    ILockGuard guard(lock);
    return FindLocked(id);
}

GFX_IBitmap* IBitmapCache::Add(int32_t id, std::unique_ptr<GFX_IBitmap> bitmap)
{
    if (!bitmap)
        return nullptr;
    ILockGuard guard(lock);
    if (GFX_IBitmap* cached = FindLocked(id))
        return cached;
    entries.push_back(Entry{id, std::move(bitmap)});
    return entries.back().bitmap.get();
}

int32_t IBitmapCache::Count()
{
    ILockGuard guard(lock);
    return static_cast<int32_t>(entries.size());
}
