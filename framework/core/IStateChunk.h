#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A growable byte buffer holding saved state. Values are appended at the end and read at a
// position the caller keeps; every number is stored little-endian whatever the build. A read
// that runs past the end answers -1, the position that marks a chunk that ran out.
class IStateChunk
{
public:
    // Each Put returns false, leaving the chunk as it was, when the buffer cannot grow.
    bool PutInt32(int32_t v);
    bool PutDouble(double v);
    bool PutFlag(bool v);
    bool PutBytes(const void* data, int32_t count);

    // Each Get reads at pos and returns the position after the value, or -1 (leaving the
    // output untouched) when pos is negative or the value is not wholly inside the chunk.
    int32_t GetInt32(int32_t* out, int32_t pos) const;
    int32_t GetDouble(double* out, int32_t pos) const;
    int32_t GetFlag(bool* out, int32_t pos) const;

    // True when count bytes exist at pos; safe for any pos and count.
    bool Holds(int32_t pos, int32_t count) const;

    int32_t Size() const { return static_cast<int32_t>(bytes.size()); }
    const uint8_t* Data() const { return bytes.data(); }
    uint8_t* Data() { return bytes.data(); }
    // Sets the size; new bytes are zero. False, leaving the chunk as it was, when it cannot grow.
    bool Resize(int32_t size);
    void Clear() { bytes.clear(); }

private:
    bool Append(const uint8_t* data, size_t count);

    std::vector<uint8_t> bytes;
};
