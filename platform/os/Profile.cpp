#include "platform/os/Profile.h"
#include "platform/os/Paths.h"

#include <cstring>
#include <string>
#include <strings.h>
#include <vector>

namespace {

// An INI file larger than this is not a settings file; it reads as missing.
constexpr size_t kMaxIniBytes = 4u << 20;

std::string Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return std::string(s.substr(b, e - b));
}

bool SameName(const std::string& a, const char* b) { return ::strcasecmp(a.c_str(), b) == 0; }

struct Line {
    std::string text;    // as stored, without its line end
    std::string section; // for a section header: its name
    std::string key;     // for a key line: its trimmed name
    std::string value;   // for a key line: its trimmed value
    bool isSection = false;
    bool isKey = false;
};

std::vector<Line> ParseLines(const std::string& data) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < data.size()) {
        size_t end = data.find('\n', pos);
        if (end == std::string::npos) end = data.size();
        Line l;
        l.text = data.substr(pos, end - pos);
        if (!l.text.empty() && l.text.back() == '\r') l.text.pop_back();
        const std::string t = Trim(l.text);
        if (!t.empty() && t[0] == '[') {
            const size_t close = t.find(']');
            l.isSection = true;
            l.section = Trim(std::string_view(t).substr(1, close == std::string::npos ? t.size() - 1 : close - 1));
        } else if (!t.empty() && t[0] != ';') {
            const size_t eq = t.find('=');
            if (eq != std::string::npos) {
                l.isKey = true;
                l.key = Trim(std::string_view(t).substr(0, eq));
                l.value = Trim(std::string_view(t).substr(eq + 1));
            }
        }
        lines.push_back(std::move(l));
        pos = end + 1;
    }
    return lines;
}

bool LoadLines(LPCSTR fileName, std::vector<Line>& lines, bool* crlf = nullptr) {
    std::string data;
    if (!fileName || !Platform::ReadFile(fileName, data, kMaxIniBytes)) return false;
    if (crlf) *crlf = data.find("\r\n") != std::string::npos;
    lines = ParseLines(data);
    return true;
}

std::string Unquote(const std::string& v) {
    if (v.size() >= 2 && ((v.front() == '"' && v.back() == '"') || (v.front() == '\'' && v.back() == '\'')))
        return v.substr(1, v.size() - 2);
    return v;
}

// Copies a list of names, each '\0'-terminated, plus a final '\0', cut to size.
DWORD CopyList(const std::vector<std::string>& names, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    if (size < 2) {
        out[0] = '\0';
        return 0;
    }
    DWORD n = 0;
    for (const std::string& name : names) {
        for (char c : name) {
            if (n + 2 >= size) break;
            out[n++] = c;
        }
        if (n + 2 > size) break;
        out[n++] = '\0';
    }
    out[n] = '\0';
    if (n + 1 < size) out[n + 1] = '\0';
    return n > 0 ? n : 0;
}

DWORD CopyValue(const std::string& v, LPSTR out, DWORD size) {
    if (!out || size == 0) return 0;
    const size_t n = v.size() < size - 1 ? v.size() : size - 1;
    std::memcpy(out, v.data(), n);
    out[n] = '\0';
    return static_cast<DWORD>(n);
}

// Finds the stored value of section/key; false when either is missing.
bool FindValue(const std::vector<Line>& lines, LPCSTR section, LPCSTR key, std::string& value) {
    bool inSection = false;
    for (const Line& l : lines) {
        if (l.isSection)
            inSection = SameName(l.section, section);
        else if (inSection && l.isKey && SameName(l.key, key)) {
            value = Unquote(l.value);
            return true;
        }
    }
    return false;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR out, DWORD size,
                               LPCSTR fileName) {
    std::vector<Line> lines;
    const bool loaded = LoadLines(fileName, lines);
    if (!section) {
        std::vector<std::string> names;
        for (const Line& l : lines)
            if (l.isSection) names.push_back(l.section);
        return CopyList(names, out, size);
    }
    if (!key) {
        std::vector<std::string> names;
        bool inSection = false;
        for (const Line& l : lines) {
            if (l.isSection)
                inSection = SameName(l.section, section);
            else if (inSection && l.isKey)
                names.push_back(l.key);
        }
        return CopyList(names, out, size);
    }
    std::string value;
    if (loaded && FindValue(lines, section, key, value)) return CopyValue(value, out, size);
    return CopyValue(Trim(defaultValue ? defaultValue : ""), out, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
    std::vector<Line> lines;
    std::string value;
    if (!section || !key || !LoadLines(fileName, lines) || !FindValue(lines, section, key, value) || value.empty())
        return static_cast<UINT>(defaultValue);
    const char* p = value.c_str();
    while (*p == ' ' || *p == '\t') ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    unsigned long long v = 0;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X')) {
        for (p += 2;; ++p) {
            int d;
            if (*p >= '0' && *p <= '9') d = *p - '0';
            else if (*p >= 'a' && *p <= 'f') d = *p - 'a' + 10;
            else if (*p >= 'A' && *p <= 'F') d = *p - 'A' + 10;
            else break;
            v = (v * 16 + static_cast<unsigned>(d)) & 0xFFFFFFFFull;
        }
    } else {
        for (; *p >= '0' && *p <= '9'; ++p) v = (v * 10 + static_cast<unsigned>(*p - '0')) & 0xFFFFFFFFull;
    }
    const UINT u = static_cast<UINT>(v);
    return negative ? static_cast<UINT>(0u - u) : u;
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (!section || !fileName || !*fileName) return FALSE;
    std::vector<Line> lines;
    bool crlf = false;
    // A missing file starts empty; a file that exists but cannot be read (no
    // permission, too large) is never replaced by one holding only this key.
    if (!LoadLines(fileName, lines, &crlf) && Platform::FileExists(fileName)) return FALSE;

    // Locate the section (first occurrence) and the key within it.
    int sectionLine = -1, keyLine = -1, sectionEnd = -1;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const Line& l = lines[static_cast<size_t>(i)];
        if (l.isSection) {
            if (sectionLine >= 0 && sectionEnd < 0) sectionEnd = i;
            if (sectionLine < 0 && SameName(l.section, section)) sectionLine = i;
        } else if (sectionLine >= 0 && sectionEnd < 0 && key && l.isKey && keyLine < 0 && SameName(l.key, key)) {
            keyLine = i;
        }
    }
    if (sectionLine >= 0 && sectionEnd < 0) sectionEnd = static_cast<int>(lines.size());

    auto keyText = [&]() { return std::string(key) + "=" + value; };
    if (!key) {
        if (sectionLine < 0) return TRUE;
        lines.erase(lines.begin() + sectionLine, lines.begin() + sectionEnd);
    } else if (!value) {
        if (keyLine < 0) return TRUE;
        lines.erase(lines.begin() + keyLine);
    } else if (keyLine >= 0) {
        lines[static_cast<size_t>(keyLine)].text = keyText();
    } else if (sectionLine >= 0) {
        // After the section's last non-blank line.
        int at = sectionEnd;
        while (at - 1 > sectionLine && Trim(lines[static_cast<size_t>(at - 1)].text).empty()) --at;
        Line l;
        l.text = keyText();
        lines.insert(lines.begin() + at, l);
    } else {
        Line h, l;
        h.text = "[" + std::string(section) + "]";
        l.text = keyText();
        lines.push_back(h);
        lines.push_back(l);
    }

    const char* eol = crlf ? "\r\n" : "\n";
    std::string out;
    for (const Line& l : lines) {
        out += l.text;
        out += eol;
    }
    return Platform::WriteFileAtomic(fileName, out) ? TRUE : FALSE;
}
