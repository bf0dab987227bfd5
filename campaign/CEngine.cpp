#include "campaign/CEngine.h"

namespace VornaCampaign {

CEngine g_Engine;

CEngine::CEngine() {
    m_hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kIconResource));
    m_bShowArrowCursor = false;
}

} // namespace VornaCampaign
