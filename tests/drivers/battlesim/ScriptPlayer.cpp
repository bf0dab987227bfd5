#include "ScriptPlayer.h"

#include "common/GameSession.h"
#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"
#include "platform/window/Window.h"

namespace BattleSim {

namespace {

// The UTF-8 characters of a text, one string each (a broken sequence byte by
// byte, as the window system would pass it on).
std::vector<std::string> Characters(const std::string& text) {
    std::vector<std::string> out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 1;
        if (i + len > text.size()) len = 1;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) len = 1;
        out.push_back(text.substr(i, len));
        i += len;
    }
    return out;
}

} // namespace

void ScriptPlayer::Click(VornaTest::GameSession& session, long frame, int button, int x, int y) {
    // The pointer arrives first (a button takes a press only once it shows
    // the pointer over it), and the button stays down for two frames, as a
    // hand holds it: the screens' switch gate, once its time is up, lets a
    // held button act in the frame after it first sees it.
    Platform::InjectMouseMove(session.Window(), x, y);
    Later down;
    down.frame = frame + 1;
    down.kind = Later::Kind::Press;
    down.button = button;
    down.x = x;
    down.y = y;
    m_later.push_back(down);
    Later up = down;
    up.frame = frame + 3;
    up.kind = Later::Kind::Release;
    m_later.push_back(up);
}

bool ScriptPlayer::BeforeFrame(VornaTest::GameSession& session, long frame, std::string& error) {
    const HWND wnd = session.Window();
    for (auto it = m_later.begin(); it != m_later.end();) {
        if (it->frame > frame) {
            ++it;
            continue;
        }
        if (it->kind == Later::Kind::Character) Platform::InjectText(wnd, it->character.c_str());
        else Platform::InjectMouseButton(wnd, it->button, it->kind == Later::Kind::Press, it->x, it->y);
        it = m_later.erase(it);
    }
    for (; m_next < m_script.actions.size() && m_script.actions[m_next].frame <= frame; ++m_next) {
        const ScriptAction& a = m_script.actions[m_next];
        switch (a.kind) {
        case ScriptAction::Kind::Click: Click(session, frame, a.button, a.x, a.y); break;
        case ScriptAction::Kind::KeyDown: Platform::InjectKey(wnd, static_cast<BYTE>(a.key), true); break;
        case ScriptAction::Kind::KeyUp: Platform::InjectKey(wnd, static_cast<BYTE>(a.key), false); break;
        case ScriptAction::Kind::Press: {
            Vorna3D::CDX9KelSGUIBaseControl* c = session.FindShownButton(a.owner, a.control);
            if (!c) {
                error = "script line " + std::to_string(a.line) + ", frame " + std::to_string(frame) + ": no button \"" +
                        a.control + "\" shown in \"" + a.owner + "\" (the screen is " + session.CurrentScreen() + ")";
                return false;
            }
            const RECT r = c->GetRect();
            Click(session, frame, 0, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            break;
        }
        case ScriptAction::Kind::Type: {
            long at = frame;
            for (const std::string& ch : Characters(a.text)) {
                if (at == frame) {
                    Platform::InjectText(wnd, ch.c_str());
                } else {
                    Later later;
                    later.frame = at;
                    later.kind = Later::Kind::Character;
                    later.character = ch;
                    m_later.push_back(later);
                }
                ++at;
            }
            break;
        }
        }
    }
    return true;
}

} // namespace BattleSim
