// The script format. A script is UTF-8 text, one action a line:
//
//     <frame> click <x> <y> [left|right|middle]
//     <frame> key down <key>
//     <frame> key up <key>
//     <frame> press <dialog> <button>
//     <frame> type <text>
//
// <frame> is the number of the frame (counted from 1) before whose
// processing the action happens. A click moves the pointer to pixel (x, y)
// of the window's client area in that frame, holds the button (left unless
// named) down for the next two frames and releases it after them, as a hand
// would (a button takes a press only once it shows the pointer over it). <key> is a DirectInput key name with or without
// "DIK_" ("F4", "RETURN", "DIK_1") or a code in decimal or hexadecimal
// ("62", "0x3E"). press clicks the middle of a button shown in that frame:
// <dialog> names one of the current screen's dialogs, or the screen itself
// (its shown dialogs are searched in order); <button> is the control's name,
// with or without its "Button" ending ("press main_menu Options"). type
// enters the rest of the line after one blank; the game takes one character
// a frame from <frame> on. Words are separated by blanks or tabs; blank lines and lines
// whose first word begins with '#' are skipped; a line may end in "\r\n".
// Actions run in frame order, those of one frame in the order written.
//
// Scripts come from files: every number, length and count is checked, and a
// line that is not an action fails the whole read with its line number.
#include "ScriptReader.h"

#include "KeyNames.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace BattleSim {

namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

// The words of a line; `restAfter[i]` is where the text after word i (and
// one blank) begins, for "type".
void Split(const std::string& line, std::vector<std::string>& words, std::vector<size_t>& restAfter) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && Blank(line[i])) ++i;
        if (i >= line.size()) break;
        const size_t start = i;
        while (i < line.size() && !Blank(line[i])) ++i;
        words.push_back(line.substr(start, i - start));
        restAfter.push_back(i < line.size() ? i + 1 : i);
    }
}

bool ParseLong(const std::string& word, long lo, long hi, long& out) {
    if (word.empty() || word.size() > 20) return false;
    const char first = word[0];
    if (!(first == '-' || (first >= '0' && first <= '9'))) return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(word.c_str(), &end, 10);
    if (errno != 0 || !end || *end || v < lo || v > hi) return false;
    out = static_cast<long>(v);
    return true;
}

} // namespace

bool ScriptReader::Parse(const std::string& text, Script& script, std::string& error) {
    Script read;
    size_t pos = 0;
    int number = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (line.size() > kMaxLineBytes) {
            error = where + "longer than " + std::to_string(kMaxLineBytes) + " bytes";
            return false;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find('\0') != std::string::npos) {
            error = where + "holds a zero byte";
            return false;
        }
        std::vector<std::string> words;
        std::vector<size_t> restAfter;
        Split(line, words, restAfter);
        if (words.empty() || words[0][0] == '#') continue;
        if (read.actions.size() >= kMaxActions) {
            error = where + "more than " + std::to_string(kMaxActions) + " actions";
            return false;
        }
        ScriptAction a;
        a.line = number;
        if (!ParseLong(words[0], 1, kMaxFrame, a.frame)) {
            error = where + "the frame \"" + words[0] + "\" is not a number from 1 to " + std::to_string(kMaxFrame);
            return false;
        }
        const std::string verb = words.size() > 1 ? words[1] : std::string();
        const size_t n = words.size();
        if (verb == "click") {
            long x = 0, y = 0;
            if (n < 4 || n > 5 || !ParseLong(words[2], 0, kMaxCoordinate, x) ||
                !ParseLong(words[3], 0, kMaxCoordinate, y)) {
                error = where + "click takes <x> <y> [left|right|middle], each 0-" + std::to_string(kMaxCoordinate);
                return false;
            }
            a.kind = ScriptAction::Kind::Click;
            a.x = static_cast<int>(x);
            a.y = static_cast<int>(y);
            if (n == 5) {
                if (words[4] == "left") a.button = 0;
                else if (words[4] == "right") a.button = 1;
                else if (words[4] == "middle") a.button = 2;
                else {
                    error = where + "unknown mouse button \"" + words[4] + "\"";
                    return false;
                }
            }
        } else if (verb == "key") {
            if (n != 4 || (words[2] != "down" && words[2] != "up")) {
                error = where + "key takes down or up and a key";
                return false;
            }
            a.kind = words[2] == "down" ? ScriptAction::Kind::KeyDown : ScriptAction::Kind::KeyUp;
            a.key = KeyCodeFromText(words[3]);
            if (a.key < 0) {
                error = where + "unknown key \"" + words[3] + "\"";
                return false;
            }
        } else if (verb == "press") {
            if (n != 4) {
                error = where + "press takes a dialog (or screen) and a button";
                return false;
            }
            a.kind = ScriptAction::Kind::Press;
            a.owner = words[2];
            a.control = words[3];
        } else if (verb == "type") {
            a.kind = ScriptAction::Kind::Type;
            a.text = n > 2 ? line.substr(restAfter[1]) : std::string();
            if (a.text.empty() || a.text.size() > kMaxTextBytes) {
                error = where + "type takes a text of 1-" + std::to_string(kMaxTextBytes) + " bytes";
                return false;
            }
        } else {
            error = where + "unknown action \"" + verb + "\"";
            return false;
        }
        read.actions.push_back(std::move(a));
    }
    std::stable_sort(read.actions.begin(), read.actions.end(),
                     [](const ScriptAction& a, const ScriptAction& b) { return a.frame < b.frame; });
    script = std::move(read);
    return true;
}

bool ScriptReader::ReadFile(const std::string& path, Script& script, std::string& error) {
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = "cannot open the script " + path;
        return false;
    }
    std::string text;
    char buf[8192];
    size_t got = 0;
    bool tooLarge = false;
    while ((got = std::fread(buf, 1, sizeof buf, f)) > 0) {
        if (text.size() + got > kMaxFileBytes) {
            tooLarge = true;
            break;
        }
        text.append(buf, got);
    }
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (tooLarge) {
        error = "the script " + path + " is larger than " + std::to_string(kMaxFileBytes) + " bytes";
        return false;
    }
    if (failed) {
        error = "cannot read the script " + path;
        return false;
    }
    if (!Parse(text, script, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

} // namespace BattleSim
