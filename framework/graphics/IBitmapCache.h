#pragma once
// The process-wide cache of decoded editor bitmaps, keyed by resource id and shared by every
// editor of the module. Entries are only added and live until the module unloads.

#include "IRecursiveMutex.h"

#include <cstdint>
#include <memory>
#include <vector>

class GFX_IBitmap;

class IBitmapCache
{
public:
    static IBitmapCache& Shared();

    // The bitmap cached for `id`, or null.
    GFX_IBitmap* Find(int32_t id);
    // Caches a bitmap for `id` and returns the cached one: when another editor cached the
    // same id meanwhile, that one is kept and `bitmap` is dropped.
    GFX_IBitmap* Add(int32_t id, std::unique_ptr<GFX_IBitmap> bitmap);
    int32_t Count();

private:
    IBitmapCache() = default;
    ~IBitmapCache();

    struct Entry
    {
        int32_t id;
        std::unique_ptr<GFX_IBitmap> bitmap;
    };

    GFX_IBitmap* FindLocked(int32_t id) const;

    IRecursiveMutex lock;
    std::vector<Entry> entries;
};
