#include "platform/os/Paths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
thread_local DWORD t_lastError = 0;

bool Exists(const std::string& p) {
    struct stat st{};
    return ::stat(p.c_str(), &st) == 0;
}

// The entry of folder `dir` whose name equals `name` ignoring case, or "".
std::string FindCaseInsensitive(const std::string& dir, const std::string& name) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return std::string();
    std::string found;
    while (dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            break;
        }
    }
    ::closedir(d);
    return found;
}
} // namespace

namespace Platform {

std::string ToSlashes(std::string_view path) {
    std::string s(path);
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

std::string NativePath(std::string_view path) {
    std::string s = ToSlashes(path);
    if (s.empty() || Exists(s)) return s;

    // Walk the components, mending the case of each one that is missing.
    std::string result;
    size_t pos = 0;
    if (s[0] == '/') {
        result = "/";
        pos = 1;
    }
    bool lost = false; // once a component matches nothing, keep the rest as given
    while (pos <= s.size()) {
        size_t next = s.find('/', pos);
        if (next == std::string::npos) next = s.size();
        std::string part = s.substr(pos, next - pos);
        if (!part.empty()) {
            std::string candidate = result + part;
            if (!lost && part != "." && part != ".." && !Exists(candidate)) {
                const std::string dir = result.empty() ? std::string(".") : result;
                std::string match = FindCaseInsensitive(dir, part);
                if (!match.empty())
                    candidate = result + match;
                else
                    lost = true;
            }
            result = candidate;
        }
        if (next < s.size()) result += '/';
        pos = next + 1;
    }
    return result;
}

FILE* OpenFile(std::string_view path, const char* mode) {
    if (path.empty() || !mode) return nullptr;
    std::string m;
    for (const char* c = mode; *c; ++c)
        if (*c != 't') m += *c;
    return std::fopen(NativePath(path).c_str(), m.c_str());
}

bool FileExists(std::string_view path) {
    struct stat st{};
    return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(std::string_view path) {
    struct stat st{};
    return !path.empty() && ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateFolderTree(std::string_view path) {
    if (path.empty()) return false;
    const std::string native = NativePath(path);
    // Each level in turn from the top; a level that exists (made by someone
    // else meanwhile, too) is passed by.
    for (size_t end = native.find('/', 1);; end = native.find('/', end + 1)) {
        const std::string level = native.substr(0, end);
        if (!level.empty() && ::mkdir(level.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) break;
    }
    return DirectoryExists(native);
}

bool ReadFile(std::string_view path, std::string& out, size_t maxBytes) {
    out.clear();
    FILE* f = OpenFile(path, "rb");
    if (!f) return false;
    struct stat st{};
    if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<unsigned long long>(st.st_size) > maxBytes) {
        std::fclose(f);
        return false;
    }
    out.resize(static_cast<size_t>(st.st_size));
    const size_t got = out.empty() ? 0 : std::fread(out.data(), 1, out.size(), f);
    const bool ok = got == out.size() && !std::ferror(f);
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

bool ReadTextFile(std::string_view path, std::string& out, size_t maxBytes) {
    if (!ReadFile(path, out, maxBytes)) return false;
    std::erase(out, '\r');
    return true;
}

bool WriteFileAtomic(std::string_view path, std::string_view data) {
    const std::string target = NativePath(path);
    if (target.empty()) return false;
    std::string tmp = target + ".tmpXXXXXX";
    std::vector<char> name(tmp.begin(), tmp.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    // mkstemp creates 0600; give the file the usual permissions.
    ok = ok && ::fchmod(fd, 0644) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(name.data(), target.c_str()) == 0;
    if (!ok) ::unlink(name.data());
    return ok;
}

std::string ProgramFolder() {
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    std::string p(buf, static_cast<size_t>(n));
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string("./") : p.substr(0, slash + 1);
}

std::string CommonDocumentsFolder() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && *xdg) return WithTrailingSeparator(xdg);
    const char* home = std::getenv("HOME");
    if (home && *home) return WithTrailingSeparator(std::string(home) + "/.local/share");
    return std::string();
}

std::string WithTrailingSeparator(std::string path) {
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path;
}

} // namespace Platform

DWORD GetLastError() { return t_lastError; }
void SetLastError(DWORD error) { t_lastError = error; }

DWORD GetModuleFileNameA(HMODULE, LPSTR fileName, DWORD size) {
    if (!fileName || size == 0) return 0;
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return 0;
    const size_t len = static_cast<size_t>(n) < size - 1 ? static_cast<size_t>(n) : size - 1;
    std::memcpy(fileName, buf, len);
    fileName[len] = '\0';
    return static_cast<DWORD>(len);
}

BOOL CreateDirectoryA(LPCSTR path, void*) {
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    std::string p = Platform::NativePath(path);
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (::mkdir(p.c_str(), 0755) == 0) {
        SetLastError(ERROR_SUCCESS);
        return TRUE;
    }
    switch (errno) {
    case EEXIST: SetLastError(ERROR_ALREADY_EXISTS); break;
    case ENOENT:
    case ENOTDIR: SetLastError(ERROR_PATH_NOT_FOUND); break;
    case EACCES:
    case EPERM:
    case EROFS: SetLastError(ERROR_ACCESS_DENIED); break;
    default: SetLastError(ERROR_PATH_NOT_FOUND); break;
    }
    return FALSE;
}
