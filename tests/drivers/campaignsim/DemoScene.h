#pragma once
// The campaign engine's demo scene: a textured sea plane as a graphic
// object; four ships (three levels of detail each, switching at 80 and 160),
// an island, a buoy and a skinned signal flag as scene objects in the scene
// tree; the camera looking over them. Content paths are taken relative to
// the program's folder after `m_ContentPrefix` (empty: the demo data lies
// beside the program).
#include "engine2/core/CDX9KelScene.h"

#include <string>

namespace CampaignSim {

class DemoScene : public Vorna2::CDX9KelScene {
public:
    // The scene's managers, then the content; false when anything is missing.
    bool Init() override;

    std::string m_ContentPrefix;
    bool m_debugTree = false;

private:
    Vorna2::CDX9KelSceneObject* Place(Vorna2::CDX9KelModel* model, float x, float z, float heading);
    Vorna2::CDX9KelModel* Load(const char* path, const char* effect);
    bool BuildContent();
};

} // namespace CampaignSim
