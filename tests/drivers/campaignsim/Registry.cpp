#include "Registry.h"

#include <cstdlib>

namespace CampaignSim {

Args::Args(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) {
        std::string item = argv[i];
        if (item.rfind("--", 0) != 0) {
            m_items.emplace_back("", item);
            continue;
        }
        std::string value;
        if (i + 1 < argc && std::string(argv[i + 1]).rfind("--", 0) != 0) value = argv[++i];
        m_items.emplace_back(item.substr(2), value);
    }
}

bool Args::Has(const std::string& name) const {
    for (const auto& [key, value] : m_items)
        if (key == name) return true;
    return false;
}

std::string Args::Get(const std::string& name, const std::string& fallback) const {
    for (auto it = m_items.rbegin(); it != m_items.rend(); ++it)
        if (it->first == name) return it->second;
    return fallback;
}

long long Args::GetInt(const std::string& name, long long fallback, bool* ok) const {
    if (ok) *ok = true;
    if (!Has(name)) return fallback;
    const std::string text = Get(name);
    char* end = nullptr;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || !end || *end != '\0') {
        if (ok) *ok = false;
        return fallback;
    }
    return value;
}

std::vector<std::string> Args::GetAll(const std::string& name) const {
    std::vector<std::string> out;
    for (const auto& [key, value] : m_items)
        if (key == name) out.push_back(value);
    return out;
}

std::map<std::string, CommandInfo>& Commands() {
    static std::map<std::string, CommandInfo> commands;
    return commands;
}

std::map<std::pair<int, std::string>, DumpFn>& DumpSections() {
    static std::map<std::pair<int, std::string>, DumpFn> sections;
    return sections;
}

CommandRegistration::CommandRegistration(const char* name, const char* usage, CommandFn fn) {
    Commands()[name] = CommandInfo{usage, fn};
}

DumpRegistration::DumpRegistration(const char* name, int order, DumpFn fn) {
    DumpSections()[{order, name}] = fn;
}

std::string StateDump(const SimEngine& engine) {
    std::string out;
    for (const auto& [key, fn] : DumpSections()) {
        out += "[" + key.second + "]\n";
        fn(engine, out);
    }
    return out;
}

std::uint64_t Hash64(const std::string& text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

} // namespace CampaignSim
