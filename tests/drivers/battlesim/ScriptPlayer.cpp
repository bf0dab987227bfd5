#include "ScriptPlayer.h"

#include "common/GameSession.h"
#include "engine3/ui/sgui/CDX9KelSGUIBaseControl.h"
#include "platform/window/Window.h"

namespace BattleSim {

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
        Platform::InjectMouseButton(wnd, it->button, it->kind == Later::Kind::Press, it->x, it->y);
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
        case ScriptAction::Kind::Type: Platform::InjectText(wnd, a.text.c_str()); break;
        }
    }
    return true;
}

} // namespace BattleSim
