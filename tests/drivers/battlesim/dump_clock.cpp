// Dump section "clock": the frames run and the game time they made.
#include "Registry.h"

#include "common/GameSession.h"

namespace BattleSim {

namespace {

void WriteClock(const VornaTest::GameSession& session, std::string& out) {
    out += "frames " + std::to_string(session.FrameCount()) + "\n";
    out += "game_ms " + std::to_string(session.GameMilliseconds()) + "\n";
}

const DumpRegistration kClock("clock", &WriteClock);

} // namespace

} // namespace BattleSim
