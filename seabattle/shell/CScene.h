#pragma once
// The game's scene: after the engine managers it loads the localised texts,
// starts the sound manager, creates the screen-module manager, loads the
// screens and sets the game cursor and the screenshot folder. Every frame it
// feeds the input to the screen GUI, runs the screen modules and the engine's
// processing, and handles the function keys: F4 shows or hides the GUI, F5
// takes a screenshot and F6 switches the screenshot report mode. The debug
// keys (F1-F3, Escape) and the statistics are off in the game.
#include "engine3/core/CDX9KelScene.h"
#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CVR3CIIScreenManager;
} // namespace Vorna3D

namespace SeaBattle {

class CCIIModuleManager;
using Vorna3D::CVR3CIIScreenManager;

class CScene : public Vorna3D::CDX9KelScene {
public:
    static constexpr DWORD kReportInterval = 60000;
    static constexpr D3DCOLOR kBlack = 0xFF000000u;

    CScene();
    ~CScene() override;

    // The game's camera manager (the camera "Main" for the back buffer).
    bool InitBaseCameraManager() override;
    void DrawStatistics() override;
    bool Init() override;
    void OnLost() override;
    void Restore() override;
    void Process() override;
    void Release() override;

    // The screen manager of the scene's slot; null when none.
    CVR3CIIScreenManager* GetScreenManager() const;
    CCIIModuleManager* GetModuleManager() const { return m_pCIIModuleManager; }
    bool IsReportMode() const { return m_bReportMode; }

    CCIIModuleManager* m_pCIIModuleManager = nullptr;
    DWORD m_dwReportInterval = kReportInterval;
    DWORD m_dwLastReportTime = 0;
    bool m_bReportMode = false;

private:
    bool m_bSoundStarted = false;
    // The function keys, sharing the input's first repeat stamp.
    void ProcessFunctionKeys();
    // For a key that is down: true when it may act now.
    bool KeyActs(BYTE dik, DWORD interval);
    void Screenshot(const char* prefix);
};

} // namespace SeaBattle
