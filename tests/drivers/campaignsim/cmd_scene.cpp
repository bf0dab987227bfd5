// campaignsim scene: the campaign engine's scene with demo content: a
// textured sea plane as a graphic object, four ships (three levels of detail
// each), an island, a buoy and a skinned signal flag as scene objects in the
// scene tree, and the statistics text.
//   --frames N          frames to run (default 200)
//   --frame-ms M        virtual time per frame in ms (default 10)
//   --shot FILE         save the last frame as a PNG
//   --pick X,Y          after the last frame, print the object under the
//                       window point: "pick X,Y: <index> <model file>" or
//                       "pick X,Y: none"
//   --lose-device-at F  the device is lost after frame F and restored
//   --lods              after the last frame, print the level of detail each
//                       object shows from the camera: "lod <index> <level>"
//   --debug-tree        draw the scene tree's leaf boxes
//   --log               print the log file after the run
// Exit code: 0 after a normal end, 1 when the start or the scene's content
// failed, 2 for bad options, 3 when the picture could not be saved.
#include "DemoScene.h"
#include "Registry.h"
#include "SimEngine.h"
#include "engine2/ui/UISceneSlots.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "platform/os/Paths.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using CampaignSim::DemoScene;

class SceneEngine : public CampaignSim::SimEngine {
public:
    SceneEngine(const CampaignSim::SimOptions& options, DemoScene* scene) : SimEngine(options), m_pDemo(scene) {
        // The 3D scene alone: no screens over it.
        Vorna2::RegisterScreenSceneSlot("");
        m_pScene = scene;
    }

    void Render() override {
        SimEngine::Render();
        const int frame = GetFramesRun();
        if (frame == m_loseAt && m_pRender && m_pRender->GetDevice())
            Platform::SimulateDeviceLoss(m_pRender->GetDevice(), 1);
        if (frame == GetOptions().frames && m_pick) Pick();
        if (frame == GetOptions().frames && m_lods) Lods();
    }

    int m_loseAt = -1;
    bool m_pick = false;
    bool m_lods = false;
    int m_pickX = 0, m_pickY = 0;

private:
    void Pick() {
        m_pick = false;
        const std::vector<Vorna2::CDX9KelSceneObject*>& objects = m_pDemo->m_pSceneTree->m_Objects;
        const int index = m_pDemo->PickSceneObjectAt(objects, m_pickX, m_pickY);
        if (index < 0 || objects[size_t(index)]->m_Models.empty())
            std::printf("pick %d,%d: none\n", m_pickX, m_pickY);
        else
            std::printf("pick %d,%d: %d %s\n", m_pickX, m_pickY, index,
                        objects[size_t(index)]->m_Models[0]->m_FileName.c_str());
    }

    void Lods() {
        m_lods = false;
        const Vorna2::CDX9KelBaseCamera* camera = m_pDemo->m_pCameraManager->GetActiveCamera();
        const std::vector<Vorna2::CDX9KelSceneObject*>& objects = m_pDemo->m_pSceneTree->m_Objects;
        for (size_t i = 0; i < objects.size(); ++i) {
            const Vorna2::CDX9KelModel* chosen = objects[i]->SelectLOD(camera->m_vEye);
            for (size_t level = 0; level < objects[i]->m_Models.size(); ++level)
                if (objects[i]->m_Models[level] == chosen) std::printf("lod %zu %zu\n", i, level);
        }
    }

    DemoScene* m_pDemo;
};

bool ParsePoint(const std::string& text, int& x, int& y) {
    char* end = nullptr;
    const long a = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != ',') return false;
    const char* second = end + 1;
    const long b = std::strtol(second, &end, 10);
    if (end == second || *end != '\0' || a < 0 || b < 0 || a > 100000 || b > 100000) return false;
    x = static_cast<int>(a);
    y = static_cast<int>(b);
    return true;
}

} // namespace

CAMPAIGNSIM_COMMAND(scene, "[--frames N] [--frame-ms M] [--shot FILE] [--pick X,Y] [--lose-device-at F] "
                           "[--lods] [--debug-tree] [--log]") {
    bool okFrames, okMs, okLose;
    CampaignSim::SimOptions options;
    const long long frames = args.GetInt("frames", 200, &okFrames);
    const long long frameMs = args.GetInt("frame-ms", 10, &okMs);
    const long long loseAt = args.GetInt("lose-device-at", -1, &okLose);
    int pickX = 0, pickY = 0;
    const bool pick = args.Has("pick");
    if (!okFrames || !okMs || !okLose || frames < 1 || frames > 100000000 || frameMs < 0 || frameMs > 60000 ||
        (pick && !ParsePoint(args.Get("pick"), pickX, pickY))) {
        std::fprintf(stderr, "campaignsim scene: bad option value\n");
        return 2;
    }
    options.frames = static_cast<int>(frames);
    options.frameMs = static_cast<DWORD>(frameMs);
    options.picture = args.Get("shot");
    // Picking and device loss need the frames drawn; a scratch picture in
    // the program's folder then stands in for --shot.
    if (options.picture.empty() && (pick || loseAt >= 0))
        options.picture = Platform::ProgramFolder() + "scene_last_frame.png";

    int result = 0;
    {
        auto* scene = new DemoScene();
        scene->m_debugTree = args.Has("debug-tree");
        SceneEngine engine(options, scene);
        engine.m_loseAt = static_cast<int>(loseAt);
        engine.m_pick = pick;
        engine.m_lods = args.Has("lods");
        engine.m_pickX = pickX;
        engine.m_pickY = pickY;
        Vorna2::g_Log.SetCopyStream(nullptr);
        if (!engine.Run()) result = 1;
        if (result == 0 && !args.Get("shot").empty() && !engine.PictureSaved()) result = 3;
        Vorna2::g_Log.Close();
    }
    if (args.Has("log")) {
        std::string text;
        Platform::ReadTextFile(Vorna2::g_Log.GetPath().empty() ? Platform::ProgramFolder() + "VornaLog.log"
                                                                : Vorna2::g_Log.GetPath(),
                               text);
        std::fwrite(text.data(), 1, text.size(), stdout);
    }
    return result;
}
