// Reads an arbitrary document as a map's parameter file.
#include "campaign/map/CDX9KelMapParameters.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace VornaCampaign;
    const std::string text(reinterpret_cast<const char*>(data), size);
    MapParameters params;
    if (LoadMapParametersText(text, "fuzz.WXMPARAM", &params)) {
        if (params.m_iRoundsCount <= 0 || params.m_szMapTexture.size() > 259) std::abort();
        for (const auto* list : {&params.m_stdvSide1Targets, &params.m_stdvSide2Targets})
            for (const std::string& name : *list)
                if (name.size() > 39 || name.find('_') != std::string::npos) std::abort();
    }
    return 0;
}
