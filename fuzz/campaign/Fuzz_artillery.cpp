// Reads an arbitrary document as the artillery list.
#include "campaign/data/CDX9KelDataIO.h"
#include "campaign/data/DataFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <tinyxml.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace VornaCampaign;
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    if (!ParseXmlText(text, doc)) return 0;
    std::vector<GunType> table;
    g_DataIO.LoadArtilleryDocument(doc, "fuzz.xml", &table);
    for (const GunType& t : table)
        if (t.m_szName[sizeof t.m_szName - 1] != 0 || FindGunType(table, t.m_szName) == nullptr) std::abort();
    return 0;
}
