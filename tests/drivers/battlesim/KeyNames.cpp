#include "KeyNames.h"

#include "platform/window/DirectInputCodes.h"

#include <cctype>
#include <cstdlib>

namespace BattleSim {

namespace {

struct KeyName {
    const char* name;
    int code;
};

#define K(name) {#name, DIK_##name}
// Every DirectInput key name without its "DIK_" prefix, alternate names too.
constexpr KeyName kKeys[] = {
    K(ESCAPE), K(1), K(2), K(3), K(4), K(5), K(6), K(7), K(8), K(9), K(0), K(MINUS), K(EQUALS), K(BACK), K(TAB),
    K(Q), K(W), K(E), K(R), K(T), K(Y), K(U), K(I), K(O), K(P), K(LBRACKET), K(RBRACKET), K(RETURN), K(LCONTROL),
    K(A), K(S), K(D), K(F), K(G), K(H), K(J), K(K), K(L), K(SEMICOLON), K(APOSTROPHE), K(GRAVE), K(LSHIFT),
    K(BACKSLASH), K(Z), K(X), K(C), K(V), K(B), K(N), K(M), K(COMMA), K(PERIOD), K(SLASH), K(RSHIFT), K(MULTIPLY),
    K(LMENU), K(SPACE), K(CAPITAL), K(F1), K(F2), K(F3), K(F4), K(F5), K(F6), K(F7), K(F8), K(F9), K(F10),
    K(NUMLOCK), K(SCROLL), K(NUMPAD7), K(NUMPAD8), K(NUMPAD9), K(SUBTRACT), K(NUMPAD4), K(NUMPAD5), K(NUMPAD6),
    K(ADD), K(NUMPAD1), K(NUMPAD2), K(NUMPAD3), K(NUMPAD0), K(DECIMAL), K(OEM_102), K(F11), K(F12), K(F13), K(F14),
    K(F15), K(KANA), K(ABNT_C1), K(CONVERT), K(NOCONVERT), K(YEN), K(ABNT_C2), K(NUMPADEQUALS), K(PREVTRACK),
    K(AT), K(COLON), K(UNDERLINE), K(KANJI), K(STOP), K(AX), K(UNLABELED), K(NEXTTRACK), K(NUMPADENTER),
    K(RCONTROL), K(MUTE), K(CALCULATOR), K(PLAYPAUSE), K(MEDIASTOP), K(VOLUMEDOWN), K(VOLUMEUP), K(WEBHOME),
    K(NUMPADCOMMA), K(DIVIDE), K(SYSRQ), K(RMENU), K(PAUSE), K(HOME), K(UP), K(PRIOR), K(LEFT), K(RIGHT), K(END),
    K(DOWN), K(NEXT), K(INSERT), K(DELETE), K(LWIN), K(RWIN), K(APPS), K(POWER), K(SLEEP), K(WAKE), K(WEBSEARCH),
    K(WEBFAVORITES), K(WEBREFRESH), K(WEBSTOP), K(WEBFORWARD), K(WEBBACK), K(MYCOMPUTER), K(MAIL), K(MEDIASELECT),
    K(BACKSPACE), K(NUMPADSTAR), K(LALT), K(CAPSLOCK), K(NUMPADMINUS), K(NUMPADPLUS), K(NUMPADPERIOD),
    K(NUMPADSLASH), K(RALT), K(UPARROW), K(PGUP), K(LEFTARROW), K(RIGHTARROW), K(DOWNARROW), K(PGDN),
};
#undef K

bool SameName(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return i == a.size() && !b[i];
}

} // namespace

int KeyCodeFromText(const std::string& text) {
    if (text.empty() || text.size() > 32) return -1;
    // A number: decimal or 0x hexadecimal.
    if (std::isdigit(static_cast<unsigned char>(text[0]))) {
        char* end = nullptr;
        const long code = std::strtol(text.c_str(), &end, 0);
        if (!end || *end || code < 1 || code > 255) return -1;
        return static_cast<int>(code);
    }
    std::string name = text;
    if (name.size() > 4 && SameName(name.substr(0, 4), "DIK_")) name = name.substr(4);
    for (const KeyName& k : kKeys)
        if (SameName(name, k.name)) return k.code;
    return -1;
}

} // namespace BattleSim
