#include "CDX9KelStageClock.h"

#include <ctime>

namespace Vorna2 {

CDX9KelStageClock g_StageClock;

namespace {

double Now(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1.0e6;
}

} // namespace

const char* CDX9KelStageClock::Name(int stage) {
    static const char* const kNames[KEL_STAGE_COUNT] = {"update",     "water_animation", "gui",
                                                        "water_maps", "water_surface",   "objects",
                                                        "scene_tree", "particles",       "present"};
    return stage >= 0 && stage < KEL_STAGE_COUNT ? kNames[stage] : "?";
}

void CDX9KelStageClock::Start() {
    if (!m_bOn) return;
    if (m_Flush) m_Flush();
    m_fWall = Now(CLOCK_MONOTONIC);
    m_fCpu = Now(CLOCK_PROCESS_CPUTIME_ID);
}

void CDX9KelStageClock::Lap(EKelFrameStage stage) {
    if (!m_bOn || stage < 0 || stage >= KEL_STAGE_COUNT) return;
    if (m_Flush) m_Flush();
    const double wall = Now(CLOCK_MONOTONIC), cpu = Now(CLOCK_PROCESS_CPUTIME_ID);
    m_WallMs[size_t(stage)] += wall - m_fWall;
    m_CpuMs[size_t(stage)] += cpu - m_fCpu;
    m_fWall = wall;
    m_fCpu = cpu;
}

void CDX9KelStageClock::Reset() {
    m_WallMs.fill(0.0);
    m_CpuMs.fill(0.0);
}

} // namespace Vorna2
