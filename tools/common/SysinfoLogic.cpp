#include "tools/common/SysinfoLogic.h"
#include "platform/os/Paths.h"

#include <filesystem>
#include <strings.h>
#include <system_error>

namespace VornaTools {

namespace {
constexpr size_t kMaxInfoBytes = 1u << 20; // more than any information text
constexpr size_t kPieceLength = 259;       // the reader's buffer holds 260 with the terminator
constexpr size_t kMaxLogBytes = 256u << 20;

bool EndsWithLog(const std::string& name) {
    return name.size() >= 4 && ::strcasecmp(name.c_str() + name.size() - 4, ".log") == 0;
}
} // namespace

std::vector<std::string> ReadInfoLines(const std::string& path) {
    std::vector<std::string> entries;
    std::string text;
    if (path.empty() || !Platform::ReadTextFile(path, text, kMaxInfoBytes)) return entries;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t n = 0;
        while (n < kPieceLength && pos + n < text.size()) {
            if (text[pos + n++] == '\n') break;
        }
        std::string piece = text.substr(pos, n);
        for (char& c : piece)
            if (c == '\n') c = ' ';
        entries.insert(entries.begin(), std::move(piece));
        pos += n;
    }
    return entries;
}

bool FindEngineLog(const std::string& folder, std::string& foundName) {
    foundName.clear();
    std::error_code ec;
    std::filesystem::directory_iterator it(Platform::NativePath(folder.empty() ? "." : folder), ec);
    for (; !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!EndsWithLog(name)) continue;
        if (name.substr(0, name.find('.')) == kLogStem) {
            foundName = name;
            return true;
        }
    }
    return false;
}

bool CopyEngineLog(const std::string& folder, const std::string& target) {
    if (target.empty()) return false;
    std::string data;
    // The folder as the search found it; the exact file name, since a log of
    // another case is not the battle program's.
    const std::string source = Platform::WithTrailingSeparator(Platform::NativePath(folder)) + kLogFile;
    FILE* f = std::fopen(source.c_str(), "rb");
    if (!f) return false;
    std::fclose(f);
    if (!Platform::ReadFile(source, data, kMaxLogBytes)) return false;
    return Platform::WriteFileAtomic(target, data);
}

std::string LogNotFoundMessage(const std::string& folder) {
    return "The Log file is not found in local folder of game ''Wexmoor Brinehold'' : ''" + folder +
           "''. You need run game, after repeat operation.";
}

std::string LogCopiedMessage(const std::string& target, bool copied) {
    return "The Log file ''" + target +
           (copied ? "'' is successfully copied in specified directory." : "'' is not copied in specified directory.");
}

std::string DiagnosticProgramPath(const std::string& programFolder) { return programFolder + kDiagnosticProgram; }

} // namespace VornaTools
