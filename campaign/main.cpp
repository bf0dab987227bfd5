// campaign: the turn-based naval campaign. The command line is not used. A
// failed start exits with 1, a normal quit with 0.
#include "campaign/shell/CEngine.h"

int main() { return VornaCampaign::g_Engine.Run() ? 0 : 1; }
