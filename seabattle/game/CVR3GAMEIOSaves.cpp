// The save list: the scenario and duel saves found in the saves folder, and
// the short summary the load and save screens show for each. Save names are
// confined to the saves folder.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "engine3/core/CDX9KelLog.h"
#include "platform/os/Paths.h"
#include "seabattle/game/CVR3GAMEIO.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

// A text field of a save: the bytes up to the first zero, at most
// size - 1 of them (a field without its zero is cut there).
std::string FieldText(const char* field, size_t size) {
    const void* end = std::memchr(field, 0, size);
    const size_t length = end ? static_cast<size_t>(static_cast<const char*>(end) - field) : size - 1;
    return std::string(field, std::min(length, size - 1));
}

} // namespace

bool CVR3GAMEIO::IsSaveNameAllowed(const std::string& name) {
    if (name.empty() || name.size() > kMaxSaveNameLength || name[0] == '.') return false;
    if (name.find("..") != std::string::npos) return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f || c == '\\' || c == '/' || c == ':') return false;
    }
    return true;
}

std::string CVR3GAMEIO::MakeSavePath(const std::string& name, const std::string& kind) const {
    return m_strFolders[FOLDER_USER_SAVES] + name + "." + kind;
}

bool CVR3GAMEIO::FindSaveFiles() {
    for (SVR3GAMESaveListEntry* e : m_vSaveList) delete e;
    m_vSaveList.clear();
    for (const std::string* kind : {&GetScenarioSaveKey(), &GetDuelSaveKey()}) {
        if (kind->empty()) return false;
        // Sorted by name within a kind, so the list does not depend on the
        // order the file system happens to return.
        std::vector<std::string> names;
        std::error_code ec;
        const std::filesystem::path folder(Platform::NativePath(m_strFolders[FOLDER_USER_SAVES]));
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            if (!it->is_regular_file(ec)) continue;
            const std::filesystem::path& p = it->path();
            if (p.extension().string() != "." + *kind) continue;
            const std::string stem = p.stem().string();
            if (IsSaveNameAllowed(stem)) names.push_back(stem);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) m_vSaveList.push_back(new SVR3GAMESaveListEntry{name, *kind});
    }
    return true;
}

bool CVR3GAMEIO::LoadAnySaveInfo(size_t index, std::string* pTime, std::string* pFirst, std::string* pSecond) {
    if (index >= m_vSaveList.size()) return false;
    const SVR3GAMESaveListEntry& entry = *m_vSaveList[index];
    if (entry.m_strKind != GetScenarioSaveKey() && entry.m_strKind != GetDuelSaveKey()) return false;
    const std::string path = MakeSavePath(entry.m_strName, entry.m_strKind);
    // Only the head of the file is wanted; a larger file is still a save.
    std::string head;
    FILE* f = Platform::OpenFile(path, "rb");
    if (f) {
        head.resize(kSaveTimeSize + 3 * kSaveTextSize);
        head.resize(std::fread(head.data(), 1, head.size(), f));
        std::fclose(f);
    }
    if (!f || head.size() < kSaveTimeSize + 3 * kSaveTextSize) {
        g_Log.Write(3, "CVR3GAMEIO::LoadAnySaveInfo() : not open file : %s \n", path.c_str());
        return false;
    }
    if (pTime) *pTime = FieldText(head.data(), kSaveTimeSize);
    if (pFirst) *pFirst = FieldText(head.data() + kSaveTimeSize + kSaveTextSize, kSaveTextSize);
    if (pSecond) *pSecond = FieldText(head.data() + kSaveTimeSize + 2 * kSaveTextSize, kSaveTextSize);
    return true;
}

} // namespace SeaBattle
