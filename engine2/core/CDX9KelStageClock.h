#pragma once
// The split of a drawn frame into its stages, for the benchmarks. Off by
// default: then a lap costs one test. When on, each lap adds the wall time
// and the process CPU time (all threads: a software driver draws on worker
// threads) since the previous lap to its stage. A software driver queues
// draws and runs them when the target changes or pixels are read, so a
// program that wants each stage to carry its own drawing sets a flush
// callback, run before each lap is taken.
#include <array>
#include <functional>

namespace Vorna2 {

enum EKelFrameStage {
    KEL_STAGE_UPDATE,          // the frame's update, but for the water's animation
    KEL_STAGE_WATER_ANIMATION, // the water's noise, grid and texture uploads
    KEL_STAGE_GUI,
    KEL_STAGE_WATER_MAPS,
    KEL_STAGE_WATER_SURFACE,
    KEL_STAGE_OBJECTS,
    KEL_STAGE_SCENE_TREE,
    KEL_STAGE_PARTICLES,
    KEL_STAGE_PRESENT,
    KEL_STAGE_COUNT
};

class CDX9KelStageClock {
public:
    // The names the figures use, one per stage.
    static const char* Name(int stage);

    // Starts a frame: the next lap counts from now.
    void Start();
    // Adds the time since the last lap (or the start) to a stage.
    void Lap(EKelFrameStage stage);
    // Clears the sums.
    void Reset();

    bool m_bOn = false;
    std::function<void()> m_Flush;
    std::array<double, KEL_STAGE_COUNT> m_WallMs{};
    std::array<double, KEL_STAGE_COUNT> m_CpuMs{};

private:
    double m_fWall = 0.0;
    double m_fCpu = 0.0;
};

// The one stage clock of the campaign engine.
extern CDX9KelStageClock g_StageClock;

} // namespace Vorna2
