#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One input channel: whether the host feeds it, its entry in the pointer table handed to the
// processing, and a scratch buffer of block size that the entry points at whenever the host
// buffer is not used directly.
struct IInputChannel
{
    bool connected = false;
    double** slot = nullptr;
    std::vector<double> scratch;
    std::string label;
    // Leading frames of scratch known to hold +0.0, so that a run of silent blocks zeroes the
    // scratch once instead of converting every block.
    int32_t zeroFrames = 0;
};

// One output channel; singleDest is the host's single-precision buffer that receives the
// channel after processing, or null.
struct IOutputChannel
{
    bool connected = false;
    double** slot = nullptr;
    float* singleDest = nullptr;
    std::vector<double> scratch;
    std::string label;
};

// The channel records of one direction together with their pointer table. The table and the
// records are sized once, so every slot stays valid for the life of the instance.
template <class Channel>
class IChannelBuffers
{
public:
    void Create(int32_t count);

    int32_t Count() const { return static_cast<int32_t>(channels.size()); }
    Channel& At(int32_t i) { return channels[static_cast<size_t>(i)]; }
    const Channel& At(int32_t i) const { return channels[static_cast<size_t>(i)]; }
    double** Table() { return table.data(); }

    // Disconnecting a channel that was connected clears its scratch.
    void SetConnected(int32_t i, bool connected);
    void SetAllConnected(bool connected);
    int32_t ConnectedCount() const;
    // Points channel i's table entry at its own scratch buffer.
    void PointAtScratch(int32_t i);

    // Gives every scratch buffer `frames` zeroed doubles. All or nothing: when memory runs
    // out the previous buffers stay in place and false is returned.
    bool ResizeScratch(int32_t frames);
    void ClearScratch();
    int32_t ScratchFrames() const { return scratchFrames; }

private:
    std::vector<double*> table;
    std::vector<Channel> channels;
    int32_t scratchFrames = 0;
};

extern template class IChannelBuffers<IInputChannel>;
extern template class IChannelBuffers<IOutputChannel>;
