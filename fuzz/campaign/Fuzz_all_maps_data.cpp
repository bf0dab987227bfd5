// Reads an arbitrary document as the maps' shared "AllMapsData.xml".
#include "campaign/map/CDX9KelAllMapsData.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace VornaCampaign;
    const std::string text(reinterpret_cast<const char*>(data), size);
    AllMapsDataFile file;
    if (ReadAllMapsDataText(text, &file)) {
        for (const std::string& c : file.m_Cursors)
            if (c.size() > 39) std::abort();
        for (const std::string& t : file.m_Texts)
            if (t.size() > 39) std::abort();
        for (const std::string& t : file.m_Textures)
            if (t.size() > 259) std::abort();
        // The optional sections stop at the first missing one.
        const bool present[] = {file.m_bCamera, file.m_bPath, file.m_bParticles, file.m_bSounds, file.m_bInscription};
        for (int i = 1; i < 5; ++i)
            if (present[i] && !present[i - 1]) std::abort();
    }
    return 0;
}
