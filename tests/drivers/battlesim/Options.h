#pragma once
// A subcommand's options: "--name value" and "--flag" words, each known to
// the subcommand; anything else is an error.
#include <string>
#include <vector>

namespace BattleSim {

struct OptionSpec {
    const char* name; // with its dashes: "--frames"
    bool takesValue;
};

class Options {
public:
    // False with `error` for an unknown option, a missing value or an option
    // given twice.
    bool Parse(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs, std::string& error);
    bool Has(const std::string& name) const;
    std::string Get(const std::string& name) const;
    // The option as a whole number within [lo, hi]; `value` keeps `def` when
    // the option is absent. False with `error` when it is given but is not
    // such a number.
    bool GetLong(const std::string& name, long lo, long hi, long def, long& value, std::string& error) const;

private:
    std::vector<std::pair<std::string, std::string>> m_given;
};

} // namespace BattleSim
