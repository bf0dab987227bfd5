// Save list summaries on arbitrary bytes: the input is written as a scenario
// save and as a duel save, the list is made and each summary read. Texts
// never run past their fields.
#include "FuzzGameIO.h"

#include "platform/os/Paths.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string saves = w.io.GetFolder(SeaBattle::CVR3GAMEIO::FOLDER_USER_SAVES);
    Platform::CreateFolderTree(Platform::NativePath(saves));
    Platform::WriteFileAtomic(w.io.MakeSavePath("fuzz", w.io.GetScenarioSaveKey()), bytes);
    Platform::WriteFileAtomic(w.io.MakeSavePath("fuzz", w.io.GetDuelSaveKey()), bytes);
    if (!w.io.FindSaveFiles()) std::abort();
    for (size_t i = 0; i <= w.io.m_vSaveList.size(); ++i) {
        std::string time, first, second;
        if (w.io.LoadAnySaveInfo(i, &time, &first, &second) &&
            (time.size() >= SeaBattle::CVR3GAMEIO::kSaveTimeSize || first.size() >= SeaBattle::CVR3GAMEIO::kSaveTextSize ||
             second.size() >= SeaBattle::CVR3GAMEIO::kSaveTextSize))
            std::abort();
    }
    return 0;
}
