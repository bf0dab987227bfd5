// Reads arbitrary text as a campaign scenario file and checks that the lists
// it gives stay within their limits and their texts within their fields.
#include "campaign/shell/CDX9KelGameScenario.h"
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
    ScenarioFileValues values;
    if (!ReadScenarioDocument(doc, values)) return 0;
    if (values.m_strScenarioName.size() > 39 || values.m_strPlayerSideName.size() > 39 ||
        values.m_strAISideName.size() > 39)
        std::abort();
    if (values.m_stdvMaps.size() > 1000 || values.m_stdvImages.size() > 1000) std::abort();
    for (const std::string& image : values.m_stdvImages)
        if (image.size() > 39) std::abort();
    for (const std::vector<std::string>* units : {&values.m_stdvPlayerMobileUnits, &values.m_stdvAIMobileUnits}) {
        if (units->size() > 10000) std::abort();
        for (const std::string& unit : *units)
            if (unit.size() > 39 || unit.find('_') != std::string::npos) std::abort();
    }
    return 0;
}
