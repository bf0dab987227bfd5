#pragma once
// The game's engine object: installs the game scene and runs the sound thread.
#include "engine3/core/CDX9KelEngine.h"
#include "platform/os/Threads.h"

namespace Vorna3D {

class CEngine : public CDX9KelEngine {
public:
    // The sound thread belongs to the sound system, which sits above the
    // engine core; it installs these before Run. `create` makes the thread
    // suspended (null on failure), `stop` sets its stop flag, waits for it
    // without limit and closes the handle. Without hooks there is no sound
    // thread.
    struct SoundThreadHooks {
        HANDLE (*create)(DWORD* threadId) = nullptr;
        void (*stop)(HANDLE thread) = nullptr;
    };
    static void SetSoundThreadHooks(const SoundThreadHooks& hooks);

    CEngine();
    ~CEngine() override;

    bool InitInterfaces() override;
    bool InitInput() override;
    void Release() override;

    HANDLE m_hSoundThread = nullptr;
    DWORD m_dwSoundThreadId = 0;
};

// The program's engine object.
extern CEngine g_Engine;

} // namespace Vorna3D
