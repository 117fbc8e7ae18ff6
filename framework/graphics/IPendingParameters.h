#pragma once
// Parameter values that reach the editor from a thread other than its window thread (a
// host's automation arrives with the audio) wait here until the window thread takes them.
// One slot per parameter keeps only the latest value, so a burst of automation costs one
// repaint. Leaving a value never allocates, locks or waits.

#include <atomic>
#include <cstdint>
#include <memory>

class IPendingParameters
{
public:
    explicit IPendingParameters(int32_t parameterCount);

    // Any thread: leaves the value for the window thread, replacing one still waiting.
    // Indices outside the table are ignored.
    void Leave(int32_t paramIndex, double normalized);
    // Any thread: asks the window thread to repaint every control.
    void LeaveFullRepaint();
    // Window thread: drops a waiting value that a newer value, shown directly, overtook.
    void Forget(int32_t paramIndex);
    // Window thread: hands each waiting value to take(index, value) in index order and
    // returns whether a full repaint was asked for. A value left while this runs is taken
    // now or on the next call, never lost.
    template <class Take>
    bool TakeAll(Take&& take);

private:
    struct Slot
    {
        std::atomic<double> value{0.0};
        std::atomic<bool> waiting{false};
    };

    std::unique_ptr<Slot[]> slots;
    int32_t count;
    std::atomic<bool> anyWaiting{false};
    std::atomic<bool> fullRepaint{false};
};

template <class Take>
bool IPendingParameters::TakeAll(Take&& take)
{
    const bool repaint = fullRepaint.exchange(false, std::memory_order_acquire);
    if (!anyWaiting.exchange(false, std::memory_order_acquire))
        return repaint;
    for (int32_t i = 0; i < count; ++i)
    {
        Slot& slot = slots[static_cast<size_t>(i)];
        // Cleared before the value is read: a writer that stores in between marks the slot
        // again, and its value is taken (once more) on the next call.
        if (slot.waiting.exchange(false, std::memory_order_acquire))
            take(i, slot.value.load(std::memory_order_relaxed));
    }
    return repaint;
}
