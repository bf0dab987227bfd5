#pragma once
// Holds a critical section for the life of a scope.
#include "platform/os/Threads.h"

namespace Vorna3D {

class SoundLock {
public:
    explicit SoundLock(CRITICAL_SECTION& section) : m_section(section) { EnterCriticalSection(&m_section); }
    ~SoundLock() { LeaveCriticalSection(&m_section); }
    SoundLock(const SoundLock&) = delete;
    SoundLock& operator=(const SoundLock&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

} // namespace Vorna3D
