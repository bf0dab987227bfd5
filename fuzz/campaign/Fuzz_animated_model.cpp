// Reads an arbitrary document as a ship's ".amd" file against a small frame
// hierarchy held in memory, and asks for every weapon group of a ship.
#include "campaign/data/CDX9KelAnimatedModel.h"
#include "campaign/data/DataFiles.h"
#include "engine2/core/resources/CDX9KelModel.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tinyxml.h>

namespace {

// Ship { ForeTower { ForeTower_Gun1 }, LeftBow { LeftBow_Gun1 } }.
struct Hierarchy {
    Hierarchy() {
        const char* names[] = {"Ship", "ForeTower", "ForeTower_Gun1", "LeftBow", "LeftBow_Gun1"};
        for (int i = 0; i < 5; ++i) {
            std::strcpy(text[i], names[i]);
            frames[i].Name = text[i];
        }
        frames[0].pFrameFirstChild = &frames[1];
        frames[1].pFrameFirstChild = &frames[2];
        frames[1].pFrameSibling = &frames[3];
        frames[3].pFrameFirstChild = &frames[4];
    }
    // A bounds tree of the same shape, owned by the model that takes it.
    Vorna2::CDX9KelBoundsRecord* Bounds() const {
        auto* root = new Vorna2::CDX9KelBoundsRecord();
        root->m_pChild = new Vorna2::CDX9KelBoundsRecord();
        root->m_pChild->m_pChild = new Vorna2::CDX9KelBoundsRecord();
        root->m_pChild->m_pSibling = new Vorna2::CDX9KelBoundsRecord();
        root->m_pChild->m_pSibling->m_pChild = new Vorna2::CDX9KelBoundsRecord();
        return root;
    }
    char text[5][20];
    Vorna2::D3DXFRAME_DERIVED frames[5]{};
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace VornaCampaign;
    static Hierarchy hierarchy;
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    if (!ParseXmlText(text, doc)) return 0;
    Vorna2::CDX9KelModel model;
    model.m_pFrameRoot = &hierarchy.frames[0];
    model.m_pBounds = hierarchy.Bounds();
    CDX9KelAnimatedModel animated;
    if (CDX9KelAnimatedModel::CreateAnimatedModelFromDocument(&model, &animated, doc, "fuzz.amd")) {
        GameObjectRecord ship;
        ship.m_pBattleData = std::make_unique<BattleDataBlock>();
        ship.m_pBattleData->m_stdvMGTowers.resize(animated.m_stdvTowers.size());
        ship.m_pBattleData->m_stdvDesignParts.resize(animated.m_stdvDesign.size());
        for (int group = 0; group < 8; ++group) {
            PartRecord* part = nullptr;
            AnimatedFrame* frame = nullptr;
            if (GetGroupParts(&ship, group, &animated, &part, &frame) && (!part || !frame)) std::abort();
        }
    }
    model.m_pFrameRoot = nullptr;
    return 0;
}
