// campaignsim screens: starts the campaign's engine, loads the campaign
// screens as the game scene will (the GUI manager and the screen manager on
// the engine's window and device), plays the start sequence on the virtual
// clock, then runs a script of mouse and keyboard input given to the window
// frame by frame; each frame's input state is copied into the GUI manager
// before its update, as the game scene does.
//   --script FILE   the script: one event per line, "FRAME COMMAND [ARGS]":
//                     move X Y      cursor to client pixel (X, Y)
//                     down | up     left mouse button
//                     wheel N       wheel notches for that frame
//                     char C        a typed character (ended two frames later
//                                   by a mouse move on the spot)
//                     key NAME down|up   a key (BACK, RETURN, ESCAPE or a code)
//                     shot NAME     save the frame as NAME.png and dump the state
//                     end           close the window after this frame
//                   "#" starts a comment line.
//   --out DIR       folder for the pictures (default: no pictures)
//   --folder F      the screen folder under the program folder
//                   (default "Campaign\Screens\")
//   --frame-ms M    virtual time per frame (default 20)
//   --list N        elements the menu's list box is filled with, as the
//                   load-game module does (default 30)
// Prints the state at every shot, then "end frame N quit Q".
// Exit code: 0 after a normal end, 1 when the start or the screens failed,
// 2 for bad options or script.
#include "Registry.h"
#include "SimEngine.h"

#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9Kelinput.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"
#include "platform/d3dx/d3dx9.h"
#include "platform/os/Paths.h"
#include "platform/window/DirectInputCodes.h"
#include "platform/window/Window.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Event {
    int frame = 0;
    std::string command;
    std::vector<std::string> args;
};

bool ParseInt(const std::string& s, int& out) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 0);
    if (s.empty() || *end != '\0' || v < -1000000 || v > 100000000) return false;
    out = static_cast<int>(v);
    return true;
}

int KeyCode(const std::string& name) {
    if (name == "BACK") return DIK_BACK;
    if (name == "RETURN") return DIK_RETURN;
    if (name == "ESCAPE") return DIK_ESCAPE;
    int code = 0;
    return ParseInt(name, code) && code > 0 && code < 256 ? code : -1;
}

// False (with the line's number in `bad`) for a line that is no event.
bool ParseScript(const std::string& text, std::vector<Event>& events, int& bad) {
    std::istringstream in(text);
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first[0] == '#') continue;
        Event e;
        std::string w;
        if (!ParseInt(first, e.frame) || e.frame < 0 || !(words >> e.command)) {
            bad = number;
            return false;
        }
        while (words >> w) e.args.push_back(w);
        int v = 0;
        const std::string& c = e.command;
        const bool ok = (c == "move" && e.args.size() == 2 && ParseInt(e.args[0], v) && ParseInt(e.args[1], v)) ||
                        ((c == "down" || c == "up" || c == "end") && e.args.empty()) ||
                        (c == "wheel" && e.args.size() == 1 && ParseInt(e.args[0], v)) ||
                        (c == "char" && e.args.size() == 1 && e.args[0].size() == 1) ||
                        (c == "key" && e.args.size() == 2 && KeyCode(e.args[0]) > 0 &&
                         (e.args[1] == "down" || e.args[1] == "up")) ||
                        (c == "shot" && e.args.size() == 1 && e.args[0].find('/') == std::string::npos);
        if (!ok) {
            bad = number;
            return false;
        }
        events.push_back(e);
    }
    return true;
}

class ScreensEngine : public CampaignSim::SimEngine {
public:
    ScreensEngine(const CampaignSim::SimOptions& options, std::vector<Event> events, std::string outDir,
                  std::string folder, int listElements)
        : SimEngine(options), m_Events(std::move(events)), m_strOut(std::move(outDir)), m_strFolder(std::move(folder)),
          m_iListElements(listElements) {
        for (const Event& e : m_Events) m_iLastFrame = std::max(m_iLastFrame, e.frame);
        // This driver runs its own GUI and screens from its folder option.
        Vorna2::CDX9KelScene::RegisterManager(Vorna2::KEL_SCENE_GUI_MANAGER, nullptr);
        Vorna2::CDX9KelScene::RegisterManager(Vorna2::KEL_SCENE_SCREEN_MANAGER, nullptr);
    }
    ~ScreensEngine() override { ReleaseScreens(); }

    void Process() override {
        SimEngine::Process();
        if (!m_bStarted) Start();
        if (!m_bScreensOk || m_bClosing) return;
        // What the game scene copies from the input every frame; the cursor
        // is the system cursor, which the GUI reads itself.
        Vorna2::CDX9Kelinput& input = Vorna2::g_Input;
        m_Gui.m_bLeftButton = input.m_bLeftHeld != 0;
        m_Gui.m_bRightButton = input.m_bRightHeld != 0;
        m_Gui.m_bMiddleButton = input.m_bMiddleHeld != 0;
        m_Gui.m_fWheel = input.m_fWheel;
        m_Gui.m_cTypedChar = static_cast<char>(input.m_Char);
        m_Gui.m_strTyped = input.TakeTyped();
        m_Gui.m_pKeyboard = input.m_KeyboardState;
        m_Gui.Update();
        m_Screens.Update();
    }

    void Render() override {
        if (m_bClosing) return;
        if (m_bScreensOk && m_pRender) {
            m_pRender->BeginRender(0xFF000000u);
            m_Gui.RenderDrawList();
            for (const Event& e : m_Events)
                if (e.frame == m_iFrame && e.command == "shot") Shot(e.args[0]);
            m_pRender->EndRender();
        }
        if (!m_bScreensOk || m_iFrame >= m_iLastFrame + 1) {
            Close();
            return;
        }
        ++m_iFrame;
        for (const Event& e : m_Events)
            if (e.frame == m_iFrame) Apply(e);
        for (int& f : m_CharUps)
            if (f == m_iFrame) Platform::InjectMouseMove(m_pApp->m_hWnd, m_Cursor.x, m_Cursor.y);
    }

    void Release() override {
        ReleaseScreens();
        SimEngine::Release();
    }

    bool ScreensOk() const { return m_bScreensOk; }
    bool QuitByAction() const { return m_bStarted && !m_bClosing; }
    int Frame() const { return m_iFrame; }
    std::string m_strReport;

private:
    void Close() {
        m_bClosing = true;
        if (m_pApp && m_pApp->m_hWnd)
            Platform::InjectClose(m_pApp->m_hWnd);
        else
            PostQuitMessage(0);
    }

    void Start() {
        m_bStarted = true;
        if (!m_pApp || !m_pRender || !m_pScene ||
            !m_Gui.Init(m_pApp->m_hWnd, m_pRender->GetDevice(), m_pScene->m_pGrahResManager, m_pScene->m_pRenderSystem))
            return;
        m_Screens.Init(&m_Gui, m_pRender, nullptr);
        m_Screens.m_strScreenFolder = m_strFolder;
        m_Screens.m_StartWait = [this](DWORD ms) {
            GetClock().Advance(ms);
            m_strReport += "start wait " + std::to_string(ms) + "\n";
        };
        m_Screens.m_StartFrameShown = [this](int index) { Save("start_" + std::to_string(index)); };
        m_bScreensOk = m_Screens.LoadScreens() && m_Screens.m_iActiveScreen >= 0;
        if (!m_bScreensOk) return;
        // The saved-game lists as the load-game module fills them (elements
        // join the dialog's controls, so the lists are found first).
        std::vector<Vorna2::CDX9KelGUIListBox*> lists;
        for (const auto& screen : m_Screens.m_Screens)
            for (const auto& entry : screen->GetEntries())
                if (Vorna2::CDX9KelGUIDialog* d = m_Gui.GetDialog(entry->dialogId))
                    for (const auto& c : d->m_Controls)
                        if (c->m_iType == Vorna2::GUI_CONTROL_TYPE_LISTBOX)
                            lists.push_back(static_cast<Vorna2::CDX9KelGUIListBox*>(c.get()));
        for (Vorna2::CDX9KelGUIListBox* list : lists)
            for (int i = 0; i < m_iListElements; ++i) list->AddElement(("Saved campaign " + std::to_string(i + 1)).c_str());
        m_strReport += "screens " + std::to_string(m_Screens.m_Screens.size()) + "\n";
        for (const Event& e : m_Events)
            if (e.frame == 0) Apply(e);
    }

    // Gives the window the event, as the user's hand would.
    void Apply(const Event& e) {
        HWND hWnd = m_pApp->m_hWnd;
        if (e.command == "move") {
            int x = 0, y = 0;
            ParseInt(e.args[0], x);
            ParseInt(e.args[1], y);
            m_Cursor = {x, y};
            Platform::InjectMouseMove(hWnd, x, y);
        } else if (e.command == "down" || e.command == "up") {
            Platform::InjectMouseButton(hWnd, 0, e.command == "down", m_Cursor.x, m_Cursor.y);
        } else if (e.command == "wheel") {
            int n = 0;
            ParseInt(e.args[0], n);
            Platform::InjectWheel(hWnd, n);
        } else if (e.command == "char") {
            // The input keeps the last typed character until the window's
            // next message: a mouse move on the spot, two frames later,
            // ends it.
            Platform::InjectText(hWnd, e.args[0].c_str());
            m_CharUps.push_back(m_iFrame + 2);
        } else if (e.command == "key") {
            Platform::InjectKey(hWnd, static_cast<BYTE>(KeyCode(e.args[0])), e.args[1] == "down");
        }
    }

    void Save(const std::string& name) {
        if (m_strOut.empty() || !m_pRender || !m_pRender->GetDevice()) return;
        IDirect3DSurface9* backBuffer = nullptr;
        if (SUCCEEDED(m_pRender->GetDevice()->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer)) && backBuffer) {
            const std::string path = m_strOut + "/" + name + ".png";
            D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_PNG, backBuffer, nullptr, nullptr);
            backBuffer->Release();
        }
    }

    // The picture and the state of the screens at this frame.
    void Shot(const std::string& name) {
        Save(name);
        std::string& r = m_strReport;
        r += "[" + name + "] frame " + std::to_string(m_iFrame) + "\n";
        const Vorna2::CDX9KelCIIScreen* active = m_Screens.GetScreenById(m_Screens.m_iActiveScreen);
        r += "active " + (active ? active->m_strName : std::string("none")) + "\n";
        if (!active) return;
        for (const auto& entry : active->GetEntries()) {
            const Vorna2::CDX9KelGUIDialog* d = m_Gui.GetDialog(entry->dialogId);
            if (!d) continue;
            char line[160];
            std::snprintf(line, sizeof line, "dialog %s visible %d rect %ld %ld %ld %ld\n", entry->name.c_str(),
                          d->m_bVisible ? 1 : 0, static_cast<long>(d->m_Rect.left), static_cast<long>(d->m_Rect.top),
                          static_cast<long>(d->m_Rect.right), static_cast<long>(d->m_Rect.bottom));
            r += line;
            for (const auto& c : d->m_Controls) {
                if (c->m_bIsPart) continue;
                const std::string id = std::to_string(c->m_iID);
                switch (c->m_iType) {
                case Vorna2::GUI_CONTROL_TYPE_BUTTON:
                case Vorna2::GUI_CONTROL_TYPE_CHECKBUTTON: {
                    const auto* b = static_cast<const Vorna2::CDX9KelGUIButton*>(c.get());
                    r += "  button " + id + " state " + std::to_string(b->m_iState) + " hint " +
                         std::to_string(b->m_pPopUpImage && b->m_pPopUpImage->m_bVisible ? 1 : 0) + "\n";
                    break;
                }
                case Vorna2::GUI_CONTROL_TYPE_LISTBOX: {
                    const auto* l = static_cast<const Vorna2::CDX9KelGUIListBox*>(c.get());
                    r += "  list " + id + " selected " + std::to_string(l->m_iSelected) + " scroll " +
                         std::to_string(l->m_iScrollShown) + " text \"" + l->m_strSelectedText + "\"\n";
                    break;
                }
                case Vorna2::GUI_CONTROL_TYPE_EDITBOX: {
                    const auto* e = static_cast<const Vorna2::CDX9KelGUIEditBox*>(c.get());
                    r += "  edit " + id + " focused " + std::to_string(e->m_bFocused ? 1 : 0) + " text \"" +
                         e->GetText() + "\"\n";
                    break;
                }
                case Vorna2::GUI_CONTROL_TYPE_IMAGE: {
                    const auto* i = static_cast<const Vorna2::CDX9KelGUIImage*>(c.get());
                    if (i->m_bHighlight) r += "  image " + id + " popped " + std::to_string(i->m_bPoppedUp ? 1 : 0) + "\n";
                    break;
                }
                case Vorna2::GUI_CONTROL_TYPE_RADIOLIST: {
                    const auto* l = static_cast<const Vorna2::CDX9KelGUIRadioList*>(c.get());
                    r += "  radio " + id + " selected " + std::to_string(l->m_iSelected) + "\n";
                    break;
                }
                default:
                    break;
                }
            }
        }
    }

    void ReleaseScreens() {
        m_Screens.Release();
        m_Gui.Release();
    }

    std::vector<Event> m_Events;
    std::string m_strOut, m_strFolder;
    int m_iListElements = 30;
    int m_iLastFrame = 0;
    int m_iFrame = 0;
    bool m_bStarted = false;
    bool m_bScreensOk = false;
    bool m_bClosing = false;
    Vorna2::CDX9KelGUIManager m_Gui;
    Vorna2::CDX9KelCIIScreenManager m_Screens;
    POINT m_Cursor{0, 0};
    std::vector<int> m_CharUps;
};

} // namespace

CAMPAIGNSIM_COMMAND(screens, "--script FILE [--out DIR] [--folder F] [--frame-ms M] [--list N]") {
    std::string text;
    if (!args.Has("script") || !Platform::ReadTextFile(args.Get("script"), text)) {
        std::fprintf(stderr, "campaignsim screens: cannot read the script\n");
        return 2;
    }
    std::vector<Event> events;
    int bad = 0;
    if (!ParseScript(text, events, bad)) {
        std::fprintf(stderr, "campaignsim screens: bad script line %d\n", bad);
        return 2;
    }
    bool okMs = true, okList = true;
    const long long frameMs = args.GetInt("frame-ms", 20, &okMs);
    const long long list = args.GetInt("list", 30, &okList);
    if (!okMs || !okList || frameMs < 1 || frameMs > 60000 || list < 0 || list > 1000) {
        std::fprintf(stderr, "campaignsim screens: bad option value\n");
        return 2;
    }
    CampaignSim::SimOptions options;
    options.frameMs = static_cast<DWORD>(frameMs);
    options.frames = 100000000;
    std::string report;
    int result = 0, frames = 0;
    bool quit = false;
    {
        ScreensEngine engine(options, std::move(events), args.Get("out"), args.Get("folder", "Campaign\\Screens\\"),
                             static_cast<int>(list));
        Vorna2::g_Log.SetCopyStream(nullptr);
        if (!engine.Run() || !engine.ScreensOk()) result = 1;
        report = engine.m_strReport;
        frames = engine.Frame();
        quit = engine.QuitByAction();
        Vorna2::g_Log.Close();
    }
    std::fwrite(report.data(), 1, report.size(), stdout);
    std::printf("end frame %d quit %d\n", frames, quit ? 1 : 0);
    return result;
}
