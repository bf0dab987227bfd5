// Reads an arbitrary battlesim script, then checks what a successful read
// promises: actions in frame order, every value within its limits.
#include "drivers/battlesim/ScriptReader.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using BattleSim::ScriptAction;
    using BattleSim::ScriptReader;
    BattleSim::Script script;
    std::string error;
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (!ScriptReader::Parse(text, script, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    long last = 0;
    for (const ScriptAction& a : script.actions) {
        if (a.frame < 1 || a.frame > ScriptReader::kMaxFrame || a.frame < last) std::abort();
        last = a.frame;
        if (a.x < 0 || a.y < 0 || a.x > ScriptReader::kMaxCoordinate || a.y > ScriptReader::kMaxCoordinate) std::abort();
        if (a.button < 0 || a.button > 2 || a.key < 0 || a.key > 255) std::abort();
        if (a.text.size() > ScriptReader::kMaxTextBytes) std::abort();
    }
    return 0;
}
