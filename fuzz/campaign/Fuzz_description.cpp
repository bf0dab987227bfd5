// Reads an arbitrary document as a unit's description, against the demo's
// gun type names.
#include "campaign/data/CDX9KelDataIO.h"
#include "campaign/data/DataFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <tinyxml.h>

namespace {

std::vector<VornaCampaign::GunType> Artillery() {
    std::vector<VornaCampaign::GunType> table(4);
    const char* names[] = {"TurretGun", "BroadsideGun", "FortGun", "QuickFirer"};
    for (int i = 0; i < 4; ++i) VornaCampaign::SetRecordText(table[i].m_szName, names[i]);
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace VornaCampaign;
    static const std::vector<GunType> artillery = Artillery();
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    if (!ParseXmlText(text, doc)) return 0;
    GameObjectRecord object;
    if (g_DataIO.LoadGameObjectDocument(doc, "fuzz.xml", &object, artillery) && object.m_pBattleData) {
        for (const auto* list : {&object.m_pBattleData->m_stdvMGTowers, &object.m_pBattleData->m_stdvDesignParts,
                                 &object.m_pBattleData->m_stdvPipes})
            for (const PartRecord& p : *list)
                if (p.m_fReserveArea < 0.0f || p.m_stdvGuns.size() > CDX9KelDataIO::kMaxGunsPerPart) std::abort();
    }
    return 0;
}
