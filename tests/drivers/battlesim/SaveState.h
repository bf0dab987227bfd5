#pragma once
// The part of the running game that a save holds, as text: the scenario's
// progress, the harbour's money and ships, and in a battle its clock, every
// ship (place, motion, damage, guns) and the columns. Two games print the
// same text when a save of the one was loaded into the other.
#include <string>

namespace BattleSim {

// Every line begins with `prefix` and a space.
std::string SaveState(const std::string& prefix);

} // namespace BattleSim
