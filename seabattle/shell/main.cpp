// seabattle: the real-time naval battle program. The command line is not
// used. A failed start-up exits with 1, a normal quit with 0.
#include "seabattle/shell/CEngine.h"

int main() { return SeaBattle::g_Engine.Run() ? 0 : 1; }
