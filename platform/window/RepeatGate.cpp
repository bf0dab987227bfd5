#include "platform/window/RepeatGate.h"

#include "platform/os/Clock.h"
#include "platform/window/InputState.h"

#include <unordered_map>

namespace Platform {

namespace {

// For each gate, the count of presses taken when it was last asked.
std::unordered_map<const DWORD*, DWORD>& PressesAtLastAsk() {
    static auto& asks = *new std::unordered_map<const DWORD*, DWORD>;
    return asks;
}

} // namespace

void Detail::ForgetRepeatGateAsks() { PressesAtLastAsk().clear(); }

bool PassRepeatGate(DWORD& stamp, DWORD interval) {
    const DWORD now = timeGetTime();
    const DWORD presses = Detail::Input().allPresses;
    DWORD& seen = PressesAtLastAsk()[&stamp];
    const bool newPress = seen != presses;
    seen = presses;
    if (stamp == 0 || (newPress && now - stamp > interval)) {
        stamp = now;
        return true;
    }
    if (now - stamp > interval) stamp = 0;
    return false;
}

} // namespace Platform
