#include "IStateChunk.h"

#include <cstring>
#include <limits>
#include <new>

namespace {

// Chunks are bounded by what a host can hand over as an int32 byte count.
constexpr size_t kMaxChunkBytes = static_cast<size_t>(std::numeric_limits<int32_t>::max());

void StoreLE32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t LoadLE32(const uint8_t* p)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

void StoreLE64(uint8_t* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint64_t LoadLE64(const uint8_t* p)
{
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v |= static_cast<uint64_t>(p[i]) << (8 * i);
    return v;
}

} // namespace

bool IStateChunk::Append(const uint8_t* data, size_t count)
{
    if (count > kMaxChunkBytes - bytes.size())
        return false;
    try
    {
        bytes.insert(bytes.end(), data, data + count);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}

bool IStateChunk::PutInt32(int32_t v)
{
    uint8_t raw[4];
    StoreLE32(raw, static_cast<uint32_t>(v));
    return Append(raw, sizeof raw);
}

bool IStateChunk::PutDouble(double v)
{
    uint64_t bits;
    memcpy(&bits, &v, sizeof bits);
    uint8_t raw[8];
    StoreLE64(raw, bits);
    return Append(raw, sizeof raw);
}

bool IStateChunk::PutFlag(bool v)
{
    uint8_t raw = v ? 1 : 0;
    return Append(&raw, 1);
}

bool IStateChunk::PutBytes(const void* data, int32_t count)
{
    if (count < 0 || (count > 0 && !data))
        return false;
    return Append(static_cast<const uint8_t*>(data), static_cast<size_t>(count));
}

bool IStateChunk::Holds(int32_t pos, int32_t count) const
{
    if (pos < 0 || count < 0)
        return false;
    return static_cast<int64_t>(pos) + count <= static_cast<int64_t>(bytes.size());
}

int32_t IStateChunk::GetInt32(int32_t* out, int32_t pos) const
{
    if (!Holds(pos, 4))
        return -1;
    *out = static_cast<int32_t>(LoadLE32(bytes.data() + pos));
    return pos + 4;
}

int32_t IStateChunk::GetDouble(double* out, int32_t pos) const
{
    if (!Holds(pos, 8))
        return -1;
    uint64_t bits = LoadLE64(bytes.data() + pos);
    memcpy(out, &bits, sizeof bits);
    return pos + 8;
}

int32_t IStateChunk::GetFlag(bool* out, int32_t pos) const
{
    if (!Holds(pos, 1))
        return -1;
    *out = bytes[static_cast<size_t>(pos)] != 0;
    return pos + 1;
}

bool IStateChunk::Resize(int32_t size)
{
    if (size < 0)
        return false;
    try
    {
        bytes.resize(static_cast<size_t>(size));
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    return true;
}
