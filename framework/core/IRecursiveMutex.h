#pragma once

#include <memory>

// The instance lock: re-entrant, so that nested calls on one thread (a state restore that
// announces every parameter, a host parameter change delivered inside a processing call)
// take it again without blocking. A critical section on Windows, a standard recursive
// mutex elsewhere.
class IRecursiveMutex
{
public:
    IRecursiveMutex();
    ~IRecursiveMutex();
    IRecursiveMutex(const IRecursiveMutex&) = delete;
    IRecursiveMutex& operator=(const IRecursiveMutex&) = delete;

    void Lock();
    void Unlock();

private:
    struct Impl;
    std::unique_ptr<Impl> impl;
};

// Holds an IRecursiveMutex for the lifetime of a scope.
class ILockGuard
{
public:
    explicit ILockGuard(IRecursiveMutex& m) : mutex(m) { mutex.Lock(); }
    ~ILockGuard() { mutex.Unlock(); }
    ILockGuard(const ILockGuard&) = delete;
    ILockGuard& operator=(const ILockGuard&) = delete;

private:
    IRecursiveMutex& mutex;
};
