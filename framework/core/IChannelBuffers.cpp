#include "IChannelBuffers.h"

#include <algorithm>
#include <new>

template <class Channel>
void IChannelBuffers<Channel>::Create(int32_t count)
{
    count = std::max(count, 0);
    table.assign(static_cast<size_t>(count), nullptr);
    channels.assign(static_cast<size_t>(count), Channel{});
    for (int32_t i = 0; i < count; ++i)
    {
        channels[static_cast<size_t>(i)].slot = &table[static_cast<size_t>(i)];
        PointAtScratch(i);
    }
    scratchFrames = 0;
}

template <class Channel>
void IChannelBuffers<Channel>::SetConnected(int32_t i, bool connected)
{
    if (i < 0 || i >= Count())
        return;
    Channel& channel = At(i);
    // A channel the host stops feeding still holds the last block converted into it; it must
    // read silence rather than that block over and over.
    if (channel.connected && !connected)
        std::fill(channel.scratch.begin(), channel.scratch.end(), 0.0);
    channel.connected = connected;
    if (!connected)
        PointAtScratch(i);
}

template <class Channel>
void IChannelBuffers<Channel>::SetAllConnected(bool connected)
{
    for (int32_t i = 0; i < Count(); ++i)
        SetConnected(i, connected);
}

template <class Channel>
int32_t IChannelBuffers<Channel>::ConnectedCount() const
{
    return static_cast<int32_t>(
        std::count_if(channels.begin(), channels.end(), [](const Channel& c) { return c.connected; }));
}

template <class Channel>
void IChannelBuffers<Channel>::PointAtScratch(int32_t i)
{
    Channel& c = At(i);
    *c.slot = c.scratch.data();
}

template <class Channel>
bool IChannelBuffers<Channel>::ResizeScratch(int32_t frames)
{
    frames = std::max(frames, 0);
    std::vector<std::vector<double>> fresh;
    try
    {
        fresh.reserve(channels.size());
        for (size_t i = 0; i < channels.size(); ++i)
            fresh.emplace_back(static_cast<size_t>(frames), 0.0);
    }
    catch (const std::bad_alloc&)
    {
        return false;
    }
    for (size_t i = 0; i < channels.size(); ++i)
    {
        channels[i].scratch.swap(fresh[i]);
        PointAtScratch(static_cast<int32_t>(i));
    }
    scratchFrames = frames;
    return true;
}

template <class Channel>
void IChannelBuffers<Channel>::ClearScratch()
{
    for (Channel& c : channels)
        std::fill(c.scratch.begin(), c.scratch.end(), 0.0);
}

template class IChannelBuffers<IInputChannel>;
template class IChannelBuffers<IOutputChannel>;
