// The battle map GUI file on arbitrary bytes: a human director reads it into
// a headless scene with a 3D GUI manager. A refused file keeps no marker, a
// read one has its five markers per column, and every hot key is a key code
// or none.
#include "FuzzGameIO.h"

#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"

using namespace SeaBattle;

namespace {
// The scene the fuzz world makes gets a 3D GUI manager too.
const bool g_Registered = [] {
    Vorna3D::CDX9KelScene::RegisterManager(Vorna3D::KEL_SCENE_GUI3D_MANAGER, &Vorna3D::CVR3GUI3DManager::Create);
    return true;
}();
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    VornaFuzz::PutInput("gui.xml", data, size);
    CVR3GAMEBattleMapPlayerDirectorHuman human;
    human.m_pScene = w.scene;
    const bool ok = human.CreateMapGUI(w.folder + "gui.xml");
    if (ok) {
        if (human.m_stdvPlayerActiveMarkers.size() != CVR3GAMEBattleMapPlayerDirectorHuman::kMarkersPerColumn ||
            human.m_stdvPlayerPassiveMarkers.size() != CVR3GAMEBattleMapPlayerDirectorHuman::kMarkersPerColumn)
            std::abort();
        for (const auto& v : human.m_stdvEnemyMarkers)
            if (v.size() != CVR3GAMEBattleMapPlayerDirectorHuman::kMarkersPerColumn) std::abort();
    }
    for (int key : human.m_iHotKeyGroup)
        if (key < -1 || key > 255) std::abort();
    // As when a battle map is cleared: the director lets its markers go, then
    // the markers go with the manager's dialogs.
    human.ReleaseMapGUI();
    if (auto* gui3d = dynamic_cast<Vorna3D::CVR3GUI3DManager*>(w.scene->GetManager(Vorna3D::KEL_SCENE_GUI3D_MANAGER)))
        gui3d->Clear();
    return 0;
}
