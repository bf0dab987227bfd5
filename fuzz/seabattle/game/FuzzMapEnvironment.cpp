// Map environment files (FUZZ_BASE_MAP 0) and BaseMap blocks (1) on
// arbitrary bytes: a refused environment leaves no graphic object behind, a
// made one holds its water and sky, and a map always ends with its record
// and scene tree sound.
#include "FuzzGameIO.h"

#include "engine3/core/SafeXml.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"

using namespace SeaBattle;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    Vorna3D::CDX9KelGraphicObjectsManager* objects = w.scene->GetGraphicsResManager()->m_pGraphObjectManager;
    const size_t before = VornaFuzz::Held(objects);
#if FUZZ_BASE_MAP
    TiXmlDocument doc;
    if (!Vorna3D::ParseXmlText(std::string(reinterpret_cast<const char*>(data), size), doc)) return 0;
    CVR3GAMEBaseMap map;
    const size_t trees = w.scene->m_vSceneTrees.size();
    const bool ok = w.io.LoadBaseMapFromXML(&map, doc.RootElement(), "f.mapenvxml");
    if (ok && !map.m_pEnvironment) std::abort();
    if (map.m_strName.empty() && doc.RootElement()) std::abort();
    // The sea and sky go back to their manager, then the environment goes.
    if (map.m_pEnvironment) map.m_pEnvironment->Release();
    ReleaseMapEnvironment(&map);
    // Trees the map made go with it (their slots too, so runs do not pile up).
    for (size_t i = trees; i < w.scene->m_vSceneTrees.size(); ++i) w.scene->DeleteSceneTree(static_cast<int>(i));
    w.scene->m_vSceneTrees.resize(trees);
#else
    VornaFuzz::PutInput("f.mapenvxml", data, size);
    if (CVR3GAMEMapBaseEnvironment* env = w.io.CreateMapEnvironmentFromFile("f.mapenvxml")) {
        if (!env->m_pWater || !env->m_pSky) std::abort();
        env->Release();
        delete env;
    }
#endif
    if (VornaFuzz::Held(objects) != before) std::abort();
    return 0;
}
