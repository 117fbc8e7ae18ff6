#include "IRecursiveMutex.h"

#include <windows.h>

struct IRecursiveMutex::Impl
{
    CRITICAL_SECTION section;
};

IRecursiveMutex::IRecursiveMutex() : impl(new Impl)
{
    InitializeCriticalSection(&impl->section);
}

IRecursiveMutex::~IRecursiveMutex()
{
    DeleteCriticalSection(&impl->section);
}

void IRecursiveMutex::Lock()
{
    EnterCriticalSection(&impl->section);
}

void IRecursiveMutex::Unlock()
{
    LeaveCriticalSection(&impl->section);
}
