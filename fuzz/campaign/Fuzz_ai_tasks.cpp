// Reads an arbitrary document as a map's "Tasks" block.
#include "campaign/ai/CDX9KelAISystem.h"
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
    CDX9KelAISystem ai;
    ai.LoadTasks(doc.RootElement());
    for (const AITask& t : ai.GetTasks()) {
        if (t.m_iBehaviourType != 0 && t.m_iBehaviourType != 1) std::abort();
        for (const AIPurpose& p : t.m_stdvPurposes) {
            if (p.m_szName[sizeof p.m_szName - 1] != 0) std::abort();
            for (const std::string& n : p.m_stdvTargets)
                if (n.size() > kRecordTextSize - 1) std::abort();
        }
    }
    const AITask& chosen = ai.SelectTask(SIDE_2, D3DXVECTOR3(0.0f, 0.0f, 0.0f));
    if (!ai.GetTasks().empty() && &chosen != &ai.GetTasks().back()) std::abort();
    return 0;
}
