#pragma once
// The campaign program's engine object: the campaign engine with the
// program's icon and without the system arrow cursor (the game sets its
// own).
#include "engine2/core/CDX9KelEngine.h"

namespace VornaCampaign {

class CEngine : public Vorna2::CDX9KelEngine {
public:
    static constexpr int kIconResource = 129;
    // Where the campaign's screens are, relative to the program folder (the
    // battle program's own "Screens" folder, of another format, shares the
    // programs folder); "engine.ini" may name another under
    // [Campaign Settings] ScreenFolder.
    static constexpr const char* kScreenFolder = "Campaign\\Screens\\";

    CEngine();

    // The campaign's game scene is made before the engine's own interfaces,
    // unless a scene is held already (the drivers' own scenes).
    bool InitInterfaces() override;
};

// The one engine of the program.
extern CEngine g_Engine;

} // namespace VornaCampaign
