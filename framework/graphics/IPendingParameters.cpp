#include "IPendingParameters.h"

#include <algorithm>

IPendingParameters::IPendingParameters(int32_t parameterCount)
    : slots(std::make_unique<Slot[]>(static_cast<size_t>(std::max(parameterCount, 0)))),
      count(std::max(parameterCount, 0))
{
}

void IPendingParameters::Leave(int32_t paramIndex, double normalized)
{
    if (paramIndex < 0 || paramIndex >= count)
        return;
    Slot& slot = slots[static_cast<size_t>(paramIndex)];
    slot.value.store(normalized, std::memory_order_relaxed);
    slot.waiting.store(true, std::memory_order_release);
    anyWaiting.store(true, std::memory_order_release);
}

void IPendingParameters::LeaveFullRepaint()
{
    fullRepaint.store(true, std::memory_order_release);
}

void IPendingParameters::Forget(int32_t paramIndex)
{
    if (paramIndex >= 0 && paramIndex < count)
        slots[static_cast<size_t>(paramIndex)].waiting.store(false, std::memory_order_relaxed);
}
