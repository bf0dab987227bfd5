#pragma once
// The game's engine object: installs the game scene with the managers of the
// screens, the screen GUI, the particle systems, the physics and the 3D GUI, and runs the
// sound manager's thread (created suspended, resumed once input is ready,
// stopped and joined before the scene is released).
#include "engine3/core/CDX9KelEngine.h"
#include "platform/os/Threads.h"

namespace SeaBattle {

class CEngine : public Vorna3D::CDX9KelEngine {
public:
    CEngine();
    ~CEngine() override;

    // Fills the scene's manager slots for every scene made afterwards.
    static void RegisterSceneManagers();

    bool InitInterfaces() override;
    bool InitInput() override;
    void Release() override;

    HANDLE m_hSoundThread = nullptr;
    DWORD m_dwSoundThreadId = 0;
};

// The program's engine object.
extern CEngine g_Engine;

} // namespace SeaBattle
