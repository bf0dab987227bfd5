#include "Options.h"

#include <cerrno>
#include <cstdlib>

namespace BattleSim {

bool Options::Parse(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs, std::string& error) {
    m_given.clear();
    for (size_t i = 0; i < args.size(); ++i) {
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& s : specs)
            if (args[i] == s.name) spec = &s;
        if (!spec) {
            error = "unknown option \"" + args[i] + "\"";
            return false;
        }
        if (Has(args[i])) {
            error = args[i] + " is given twice";
            return false;
        }
        std::string value;
        if (spec->takesValue) {
            if (i + 1 >= args.size()) {
                error = args[i] + " needs a value";
                return false;
            }
            value = args[++i];
        }
        m_given.emplace_back(spec->name, value);
    }
    return true;
}

bool Options::Has(const std::string& name) const {
    for (const auto& [n, v] : m_given)
        if (n == name) return true;
    return false;
}

std::string Options::Get(const std::string& name) const {
    for (const auto& [n, v] : m_given)
        if (n == name) return v;
    return std::string();
}

bool Options::GetLong(const std::string& name, long lo, long hi, long def, long& value, std::string& error) const {
    value = def;
    if (!Has(name)) return true;
    const std::string text = Get(name);
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || errno != 0 || !end || *end || v < lo || v > hi) {
        error = name + " takes a whole number from " + std::to_string(lo) + " to " + std::to_string(hi) + ", not \"" +
                text + "\"";
        return false;
    }
    value = static_cast<long>(v);
    return true;
}

} // namespace BattleSim
