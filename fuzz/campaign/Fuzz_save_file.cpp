// Reads arbitrary bytes as a campaign save, with or without its run-state
// trailer. A save that is accepted gives one placement per unit, and writing
// it again (trailer and all) and reading that back gives the same bytes.
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/save/GameSaveFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace VornaCampaign;
    static const CDX9KelColumnMovement neighbours;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    GameSaveHeader header;
    GameSaveHeader peek;
    ReadSaveHeaderBytes(bytes, peek);
    GameSaveData save;
    if (!ReadSaveBytes(bytes, "fuzz.wxsave", neighbours, header, save)) return 0;
    for (int side = 0; side < SAVE_SIDE_COUNT; ++side)
        if (save.m_stdvMatrices[side].size() != save.m_stdvObjects[side].size()) std::abort();
    const std::string written = WriteSaveBytes(header, save);
    GameSaveHeader again;
    GameSaveData reread;
    if (!ReadSaveBytes(written, "fuzz.wxsave", neighbours, again, reread)) std::abort();
    if (WriteSaveBytes(again, reread) != written) std::abort();
    return 0;
}
