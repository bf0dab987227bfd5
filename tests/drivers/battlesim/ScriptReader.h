#pragma once
// The driver's input scripts: one action a line, each at a frame. The format
// is described at the top of ScriptReader.cpp.
#include <cstddef>
#include <string>
#include <vector>

namespace BattleSim {

struct ScriptAction {
    enum class Kind { Click, KeyDown, KeyUp, Press, Type };
    long frame = 0;
    Kind kind = Kind::Click;
    int x = 0, y = 0;    // Click: the pixel in the window's client area
    int button = 0;      // Click: 0 left, 1 right, 2 middle
    int key = 0;         // KeyDown, KeyUp: the DirectInput code
    std::string owner;   // Press: the dialog, or the screen whose dialogs are searched
    std::string control; // Press: the button's name, "Button" ending optional
    std::string text;    // Type: the UTF-8 text
    int line = 0;        // where it stands in the file, for messages
};

struct Script {
    // In the order they run: by frame, then as written.
    std::vector<ScriptAction> actions;
};

class ScriptReader {
public:
    static constexpr std::size_t kMaxFileBytes = 1u << 20;
    static constexpr std::size_t kMaxLineBytes = 4096;
    static constexpr std::size_t kMaxActions = 100000;
    static constexpr long kMaxFrame = 100000000;
    static constexpr int kMaxCoordinate = 65535;
    static constexpr std::size_t kMaxTextBytes = 1024;

    // Reads a script from text; false with `error` naming the line and the
    // fault when any line is not an action (nothing is half read then).
    static bool Parse(const std::string& text, Script& script, std::string& error);
    // Reads a script file; false with `error` when it cannot be read, is
    // larger than kMaxFileBytes or does not parse.
    static bool ReadFile(const std::string& path, Script& script, std::string& error);
};

} // namespace BattleSim
