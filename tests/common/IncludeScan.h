#pragma once
// A source scan of #include lines, for the tests that hold a library's
// includes to the layer rules.
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace VornaTest {

struct Include {
    std::string file;   // relative to the source root
    int line = 0;
    std::string target; // the include as written
    std::string lands;  // where it resolves, relative to the source root
};

// Every #include of the C++ sources under `root`/`folder`, quoted or angled,
// with where it lands: beside the including file when such a file exists,
// else from the source root (the include path every library shares).
inline std::vector<Include> ScanIncludes(const std::filesystem::path& root, const std::string& folder, size_t* files) {
    namespace fs = std::filesystem;
    static const std::regex include(R"(^\s*#\s*include\s*([<"])([^">]+)[">])");
    std::vector<Include> found;
    *files = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(root / folder)) {
        const std::string ext = e.path().extension().string();
        if (!e.is_regular_file() || (ext != ".h" && ext != ".cpp" && ext != ".hpp" && ext != ".inl")) continue;
        ++*files;
        std::ifstream in(e.path());
        std::string text;
        int number = 0;
        while (std::getline(in, text)) {
            ++number;
            std::smatch m;
            if (!std::regex_search(text, m, include)) continue;
            Include inc;
            inc.file = fs::relative(e.path(), root).generic_string();
            inc.line = number;
            inc.target = m[2];
            const fs::path beside = e.path().parent_path() / inc.target;
            if (m[1] == "\"" && fs::exists(beside))
                inc.lands = fs::relative(fs::weakly_canonical(beside), fs::weakly_canonical(root)).generic_string();
            else if (fs::exists(root / inc.target))
                inc.lands = fs::path(inc.target).lexically_normal().generic_string();
            found.push_back(inc);
        }
    }
    return found;
}

// "file:line includes "target"", the start of a line about the include.
inline std::string Where(const Include& inc) {
    return inc.file + ":" + std::to_string(inc.line) + " includes \"" + inc.target + "\"";
}

// The lines one under the other, each ended by a newline.
inline std::string Lines(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& l : lines) all += l + "\n";
    return all;
}

// Writes `text` to `root`/`path`, making the folders on the way (a small
// source tree for a scan).
inline void WriteSource(const std::filesystem::path& root, const std::string& path, const std::string& text) {
    std::filesystem::create_directories((root / path).parent_path());
    std::ofstream(root / path) << text;
}

// Whether `path` lies below `folder` (both relative to the source root).
inline bool Under(const std::string& path, const std::string& folder) { return path.rfind(folder + "/", 0) == 0; }

} // namespace VornaTest
