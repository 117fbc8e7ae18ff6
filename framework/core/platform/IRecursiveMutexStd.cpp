#include "IRecursiveMutex.h"

#include <mutex>

struct IRecursiveMutex::Impl
{
    std::recursive_mutex mutex;
};

IRecursiveMutex::IRecursiveMutex() : impl(new Impl) {}

IRecursiveMutex::~IRecursiveMutex() = default;

void IRecursiveMutex::Lock()
{
    impl->mutex.lock();
}

void IRecursiveMutex::Unlock()
{
    impl->mutex.unlock();
}
