#pragma once
// Key codes by name for the driver's scripts.
#include <string>

namespace BattleSim {

// The DirectInput code (1-255) of a key given by its name, with or without
// the "DIK_" prefix and in any case ("F4", "dik_return", "DIK_1"), or by a
// number (decimal or 0x hexadecimal: "62", "0x3E"); -1 for anything else. A
// bare number is always a code: the digit keys are "DIK_1" ... "DIK_0".
int KeyCodeFromText(const std::string& text);

} // namespace BattleSim
