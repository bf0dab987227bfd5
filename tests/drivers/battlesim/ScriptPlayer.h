#pragma once
// Plays a script into the running game through the window system's event
// queue, the path real input takes: each action just before the processing
// of its frame; a click moves the pointer in its frame, holds the button down
// for the next two frames and releases it after them; a typed text goes in
// whole (the window system hands the game one character a frame).
#include "ScriptReader.h"

#include <string>
#include <vector>

namespace VornaTest {
class GameSession;
} // namespace VornaTest

namespace BattleSim {

class ScriptPlayer {
public:
    explicit ScriptPlayer(Script script) : m_script(std::move(script)) {}

    // Injects what is due before frame `frame` (frames count from 1 and come
    // in order). False with `error` when a press finds no such button shown.
    bool BeforeFrame(VornaTest::GameSession& session, long frame, std::string& error);

private:
    struct Later {
        enum class Kind { Press, Release };
        long frame = 0;
        Kind kind = Kind::Press;
        int button = 0, x = 0, y = 0;
    };
    void Click(VornaTest::GameSession& session, long frame, int button, int x, int y);

    Script m_script;
    size_t m_next = 0;
    std::vector<Later> m_later; // a click's press and release, in order
};

} // namespace BattleSim
