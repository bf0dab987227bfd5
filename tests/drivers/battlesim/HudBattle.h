#pragma once
// battlesim battle with the human player's HUD driven by an input script
// (see HudBattle.cpp).
#include <string>
#include <vector>

namespace BattleSim {

// Whether the words after "battle" ask for the HUD run (--script, --shot or
// --report-every).
bool WantsHudBattle(const std::vector<std::string>& words);
int RunHudBattle(const std::vector<std::string>& words);

} // namespace BattleSim
