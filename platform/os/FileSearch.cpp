#include "platform/os/FileSearch.h"
#include "platform/os/Paths.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <string>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uint32_t kSearchMagic = 0x46494E44u; // "FIND"
// A folder with more entries than this is listed only this far.
constexpr std::size_t kMaxEntries = 1u << 20;

struct SearchHandle {
    std::uint32_t magic = kSearchMagic;
    std::vector<WIN32_FIND_DATAA> entries;
    std::size_t next = 0;
};

SearchHandle* AsSearch(HANDLE h) {
    if (!h || h == INVALID_HANDLE_VALUE) return nullptr;
    auto* s = static_cast<SearchHandle*>(h);
    return s->magic == kSearchMagic ? s : nullptr;
}

FILETIME ToFileTime(const timespec& t) {
    // 100 ns intervals between 1601-01-01 and 1970-01-01.
    constexpr unsigned long long kEpochDelta = 116444736000000000ull;
    const unsigned long long v = kEpochDelta + static_cast<unsigned long long>(t.tv_sec) * 10000000ull +
                                 static_cast<unsigned long long>(t.tv_nsec) / 100ull;
    return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

WIN32_FIND_DATAA Describe(const std::string& folder, const char* name) {
    WIN32_FIND_DATAA d{};
    const size_t n = std::min<size_t>(std::strlen(name), MAX_PATH - 1);
    std::memcpy(d.cFileName, name, n);
    d.cFileName[n] = '\0';
    struct stat st{};
    if (::stat((folder + name).c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) d.dwFileAttributes |= FILE_ATTRIBUTE_DIRECTORY;
        if (::access((folder + name).c_str(), W_OK) != 0) d.dwFileAttributes |= FILE_ATTRIBUTE_READONLY;
        if (!S_ISDIR(st.st_mode)) {
            const auto size = static_cast<unsigned long long>(st.st_size);
            d.nFileSizeHigh = static_cast<DWORD>(size >> 32);
            d.nFileSizeLow = static_cast<DWORD>(size);
        }
        d.ftLastWriteTime = ToFileTime(st.st_mtim);
        d.ftLastAccessTime = ToFileTime(st.st_atim);
        d.ftCreationTime = d.ftLastWriteTime;
    }
    if (d.dwFileAttributes == 0) d.dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
    return d;
}

} // namespace

namespace Platform {

bool MatchesWildcard(const char* pattern, const char* name) {
    // Iterative matching with one backtrack point for the last '*'.
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*name) {
        if (*pattern == '*') {
            starP = ++pattern;
            starN = name;
        } else if (*pattern == '?' ||
                   (*pattern && std::tolower(static_cast<unsigned char>(*pattern)) ==
                                    std::tolower(static_cast<unsigned char>(*name)))) {
            ++pattern;
            ++name;
        } else if (starP) {
            pattern = starP;
            name = ++starN;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return *pattern == '\0';
}

} // namespace Platform

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data) {
    if (!pattern || !*pattern || !data) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string p = Platform::ToSlashes(pattern);
    const size_t slash = p.rfind('/');
    const std::string folderPart = slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
    const std::string namePattern = slash == std::string::npos ? p : p.substr(slash + 1);
    std::string folder = folderPart.empty() ? std::string() : Platform::WithTrailingSeparator(Platform::NativePath(folderPart));

    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::vector<std::string> names;
    while (dirent* e = ::readdir(dir)) {
        if (names.size() >= kMaxEntries) break;
        if (Platform::MatchesWildcard(namePattern.c_str(), e->d_name)) names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    if (names.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = ::strcasecmp(a.c_str(), b.c_str());
        return c != 0 ? c < 0 : a < b;
    });
    auto* search = new SearchHandle;
    search->entries.reserve(names.size());
    for (const std::string& n : names) search->entries.push_back(Describe(folder, n.c_str()));
    *data = search->entries[0];
    search->next = 1;
    SetLastError(ERROR_SUCCESS);
    return search;
}

BOOL FindNextFileA(HANDLE handle, LPWIN32_FIND_DATAA data) {
    SearchHandle* search = AsSearch(handle);
    if (!search || !data) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (search->next >= search->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = search->entries[search->next++];
    return TRUE;
}

BOOL FindClose(HANDLE handle) {
    SearchHandle* search = AsSearch(handle);
    if (!search) return FALSE;
    search->magic = 0;
    delete search;
    return TRUE;
}

BOOL CopyFileA(LPCSTR existingFileName, LPCSTR newFileName, BOOL failIfExists) {
    if (!existingFileName || !newFileName || !Platform::FileExists(existingFileName)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    namespace fs = std::filesystem;
    const fs::path from = Platform::NativePath(existingFileName);
    const fs::path to = Platform::NativePath(newFileName);
    std::error_code ec;
    if (fs::exists(to, ec)) {
        if (failIfExists) {
            SetLastError(ERROR_FILE_EXISTS);
            return FALSE;
        }
        if (fs::equivalent(from, to, ec)) return TRUE; // copying a file onto itself changes nothing
    }
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        SetLastError(ec == std::errc::no_such_file_or_directory ? ERROR_PATH_NOT_FOUND : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL DeleteFileA(LPCSTR fileName) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const std::string p = Platform::NativePath(fileName);
    struct stat st{};
    if (::lstat(p.c_str(), &st) != 0) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (S_ISDIR(st.st_mode) || ::unlink(p.c_str()) != 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
