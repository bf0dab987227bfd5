// battlesim frames --frames N [--step-ms 16] [--seed S] [--shot FILE --at K]
//                  [--script FILE] [--dump] [--out DIR]
// Starts the game's engine with the game scene and runs N frames of
// --step-ms game time each without drawing; frame K is drawn and its picture
// saved to FILE (PNG for a ".png" name) when asked. --script plays an input
// script (see ScriptReader.cpp); --dump prints the state dump and its hash.
// The log (and the engine's settings copy) go to --out, by default where the
// program keeps them. Prints the log's warning and error lines; exits 1 when
// the game logged errors.
#include "DataFolder.h"
#include "LogReport.h"
#include "Options.h"
#include "Registry.h"
#include "ScriptPlayer.h"
#include "ScriptReader.h"

#include "common/GameSession.h"
#include "engine3/core/CDX9KelEngine.h"
#include "platform/os/Paths.h"

#include <cstdio>
#include <filesystem>

namespace BattleSim {

namespace {

constexpr long kMaxFrames = 10000000;
constexpr long kMaxStepMs = 60000;

int Fail(const std::string& message) {
    std::fprintf(stderr, "battlesim frames: %s\n", message.c_str());
    return 2;
}

int RunFrames(const std::vector<std::string>& args) {
    Options options;
    std::string error;
    if (!options.Parse(args,
                       {{"--frames", true},
                        {"--step-ms", true},
                        {"--seed", true},
                        {"--shot", true},
                        {"--at", true},
                        {"--script", true},
                        {"--dump", false},
                        {"--out", true}},
                       error))
        return Fail(error);
    if (!options.Has("--frames")) return Fail("--frames N is needed");
    long frames = 0, step = 0, seed = 0, at = 0;
    if (!options.GetLong("--frames", 0, kMaxFrames, 0, frames, error) ||
        !options.GetLong("--step-ms", 1, kMaxStepMs, VornaTest::GameSession::kDefaultStepMs, step, error) ||
        !options.GetLong("--seed", 0, 0xFFFFFFFFL, 0, seed, error) ||
        !options.GetLong("--at", 1, frames < 1 ? 1 : frames, 0, at, error))
        return Fail(error);
    const std::string shot = options.Get("--shot");
    if (options.Has("--shot") != options.Has("--at")) return Fail("--shot FILE and --at K go together");
    if (options.Has("--shot") && shot.empty()) return Fail("--shot needs a file name");

    Script script;
    if (options.Has("--script") && !ScriptReader::ReadFile(options.Get("--script"), script, error)) return Fail(error);
    ScriptPlayer player(std::move(script));

    VornaTest::GameSession::Options start;
    start.dataFolder = DataFolderOption(options);
    start.stepMs = static_cast<DWORD>(step);
    start.seed = static_cast<std::uint32_t>(seed);
    VornaTest::GameSession session;
    const bool started = session.Start(start);
    bool played = started;
    for (long frame = 1; played && frame <= frames; ++frame) {
        if (!player.BeforeFrame(session, frame, error)) {
            played = false;
            break;
        }
        const bool draw = frame == at && !shot.empty();
        if (draw) session.TakePicture(shot);
        session.Frame(draw);
    }
    const LogReport report = ReadLogReport();
    const std::string dump = started && options.Has("--dump") ? StateDump(session) : std::string();
    session.Stop();

    for (const std::string& line : report.lines) std::printf("%s\n", line.c_str());
    if (!dump.empty()) std::printf("%shash %s\n", dump.c_str(), TextHash(dump).c_str());
    std::fflush(stdout);
    if (!started) return Fail("the game did not start (see the log in " + start.dataFolder + ")");
    if (!played) return Fail(error);
    if (!shot.empty() && !std::filesystem::exists(shot)) return Fail("the picture " + shot + " was not saved");
    return report.errors ? 1 : 0;
}

const CommandRegistration kFrames("frames",
                                  "--frames N [--step-ms 16] [--seed S] [--shot FILE.png --at K] [--script FILE] "
                                  "[--dump] [--out DIR]",
                                  &RunFrames);

} // namespace

} // namespace BattleSim
