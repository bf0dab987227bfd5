#pragma once
// The campaign program's engine object: the campaign engine with the
// program's icon and without the system arrow cursor (the game sets its
// own).
#include "engine2/core/CDX9KelEngine.h"

namespace VornaCampaign {

class CEngine : public Vorna2::CDX9KelEngine {
public:
    static constexpr int kIconResource = 129;

    CEngine();
};

// The one engine of the program.
extern CEngine g_Engine;

} // namespace VornaCampaign
