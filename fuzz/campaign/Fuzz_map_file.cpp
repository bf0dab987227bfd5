// Reads arbitrary bytes as a campaign map file, with and without the units
// and columns, and checks that a read that succeeds gives parallel lists.
#include "campaign/data/CDX9KelDataIO.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace VornaCampaign;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    MapDescriptionRecord desc;
    std::vector<D3DXMATRIX> statics, places;
    std::vector<MapUnitRecord> units;
    std::vector<MapColumnRecord> columns;
    if (g_DataIO.ReadGameMapBytes(bytes, "fuzz.map", &desc, &statics, &units, &places, &columns)) {
        if (statics.size() != desc.m_stdvStaticObjects.size() || places.size() != units.size()) std::abort();
        for (const MapUnitRecord& u : units)
            if (u.m_szName[sizeof u.m_szName - 1] != 0 || GetSide(u) > 3) std::abort();
    }
    g_DataIO.ReadGameMapBytes(bytes, "fuzz.map", &desc, &statics, nullptr, nullptr, nullptr);
    return 0;
}
