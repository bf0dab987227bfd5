// campaignsim frames: starts the campaign's engine, runs a number of frames
// on the virtual clock, closes the window and ends as the program does.
//   --frames N      frames to run (default 1)
//   --frame-ms M    virtual time per frame in ms (default 10: frame time 1.0)
//   --seed S        seed of the random source (default 1)
//   --picture FILE  draw, and save the last frame as a PNG
//   --key F:KEY[:up]  press (or release) a key after frame F (0: before the
//                   first); KEY is a name (ESCAPE, NUMPAD0-9, ADD, SUBTRACT,
//                   SPACE, RETURN, F1-F3) or a DirectInput code ("0x4D")
//   --wheel F:N     turn the wheel N notches after frame F
//   --log           print the log file after the run
//   --dump          print the state dump and its hash
// Exit code: 0 after a normal end, 1 when the start failed, 2 for bad options,
// 3 when the picture could not be saved.
#include "Registry.h"
#include "SimEngine.h"

#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Paths.h"

#include "platform/window/DirectInputCodes.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int KeyCode(const std::string& name) {
    static const struct {
        const char* name;
        int code;
    } kNames[] = {{"ESCAPE", DIK_ESCAPE}, {"NUMPAD0", DIK_NUMPAD0}, {"NUMPAD1", DIK_NUMPAD1},
                  {"NUMPAD2", DIK_NUMPAD2}, {"NUMPAD3", DIK_NUMPAD3}, {"NUMPAD4", DIK_NUMPAD4},
                  {"NUMPAD5", DIK_NUMPAD5}, {"NUMPAD6", DIK_NUMPAD6}, {"NUMPAD7", DIK_NUMPAD7},
                  {"NUMPAD8", DIK_NUMPAD8}, {"NUMPAD9", DIK_NUMPAD9}, {"ADD", DIK_ADD},
                  {"SUBTRACT", DIK_SUBTRACT}, {"SPACE", DIK_SPACE}, {"RETURN", DIK_RETURN},
                  {"F1", DIK_F1}, {"F2", DIK_F2}, {"F3", DIK_F3}};
    for (const auto& k : kNames)
        if (name == k.name) return k.code;
    char* end = nullptr;
    const long code = std::strtol(name.c_str(), &end, 0);
    if (name.empty() || *end != '\0' || code < 1 || code > 255) return -1;
    return static_cast<int>(code);
}

// "F:REST" -> frame and the rest; false when F is no frame number.
bool SplitFrame(const std::string& text, int& frame, std::string& rest) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos || colon == 0) return false;
    const std::string number = text.substr(0, colon);
    char* end = nullptr;
    const long value = std::strtol(number.c_str(), &end, 10);
    if (*end != '\0' || value < 0 || value > 100000000) return false;
    frame = static_cast<int>(value);
    rest = text.substr(colon + 1);
    return true;
}

bool ParseScript(const CampaignSim::Args& args, std::vector<CampaignSim::ScriptEvent>& script) {
    for (const std::string& item : args.GetAll("key")) {
        CampaignSim::ScriptEvent e;
        std::string rest;
        if (!SplitFrame(item, e.frame, rest)) return false;
        e.kind = CampaignSim::ScriptEvent::KeyDown;
        if (rest.size() > 3 && rest.compare(rest.size() - 3, 3, ":up") == 0) {
            e.kind = CampaignSim::ScriptEvent::KeyUp;
            rest.resize(rest.size() - 3);
        }
        e.value = KeyCode(rest);
        if (e.value < 0) return false;
        script.push_back(e);
    }
    for (const std::string& item : args.GetAll("wheel")) {
        CampaignSim::ScriptEvent e;
        std::string rest;
        if (!SplitFrame(item, e.frame, rest)) return false;
        e.kind = CampaignSim::ScriptEvent::Wheel;
        char* end = nullptr;
        const long notches = std::strtol(rest.c_str(), &end, 10);
        if (rest.empty() || *end != '\0' || notches < -100 || notches > 100) return false;
        e.value = static_cast<int>(notches);
        script.push_back(e);
    }
    return true;
}

} // namespace

CAMPAIGNSIM_COMMAND(frames, "--frames N [--frame-ms M] [--seed S] [--picture FILE] [--key F:KEY[:up]] "
                            "[--wheel F:N] [--log] [--dump]") {
    bool okFrames, okMs, okSeed;
    CampaignSim::SimOptions options;
    const long long frames = args.GetInt("frames", 1, &okFrames);
    const long long frameMs = args.GetInt("frame-ms", 10, &okMs);
    const long long seed = args.GetInt("seed", 1, &okSeed);
    if (!okFrames || !okMs || !okSeed || frames < 1 || frames > 100000000 || frameMs < 0 || frameMs > 60000 ||
        seed < 0 || seed > 0xFFFFFFFFll) {
        std::fprintf(stderr, "campaignsim frames: bad option value\n");
        return 2;
    }
    options.frames = static_cast<int>(frames);
    options.frameMs = static_cast<DWORD>(frameMs);
    options.seed = static_cast<std::uint32_t>(seed);
    options.picture = args.Get("picture");
    if (!ParseScript(args, options.script)) {
        std::fprintf(stderr, "campaignsim frames: bad --key or --wheel\n");
        return 2;
    }

    int result = 0;
    std::string dump;
    {
        CampaignSim::SimEngine engine(options);
        // The log's messages stay in the file; the driver's own output is the
        // dump.
        Vorna2::g_Log.SetCopyStream(nullptr);
        if (!engine.Run()) result = 1;
        dump = engine.GetFinalDump();
        if (result == 0 && !options.picture.empty() && !engine.PictureSaved()) result = 3;
        // Closed while the virtual clock still runs, so every stamp is the
        // clock's.
        Vorna2::g_Log.Close();
    }
    if (args.Has("log")) {
        std::string text;
        Platform::ReadTextFile(Vorna2::g_Log.GetPath().empty() ? Platform::ProgramFolder() + "VornaLog.log"
                                                                : Vorna2::g_Log.GetPath(),
                               text);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    if (args.Has("dump")) {
        std::fwrite(dump.data(), 1, dump.size(), stdout);
        std::printf("hash %016" PRIx64 "\n", CampaignSim::Hash64(dump));
    }
    return result;
}
