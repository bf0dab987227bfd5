// campaignsim frames: starts the campaign's engine, runs a number of frames
// on the virtual clock, closes the window and ends as the program does.
//   --frames N      frames to run (default 1)
//   --frame-ms M    virtual time per frame in ms (default 10: frame time 1.0)
//   --seed S        seed of the random source (default 1)
//   --picture FILE  draw, and save the last frame as a PNG
//   --log           print the log file after the run
//   --dump          print the state dump and its hash
// Exit code: 0 after a normal end, 1 when the start failed, 2 for bad options,
// 3 when the picture could not be saved.
#include "Registry.h"
#include "SimEngine.h"

#include "engine2/core/CDX9KelLog.h"
#include "platform/os/Paths.h"

#include <cinttypes>
#include <cstdio>

CAMPAIGNSIM_COMMAND(frames, "--frames N [--frame-ms M] [--seed S] [--picture FILE] [--log] [--dump]") {
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
