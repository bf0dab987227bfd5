#pragma once
// Paths and files. Paths from INI and XML files may use '\' or '/'; they are
// converted at the open call, and when the exact name is missing the name is
// looked up case-insensitively, folder by folder.
#include "platform/os/WinTypes.h"
#include <cstdio>
#include <string>
#include <string_view>

namespace Platform {

// '\' becomes '/'; nothing else changes.
std::string ToSlashes(std::string_view path);

// The path to use with the file system: separators converted, and every
// component that does not exist with its exact case replaced by the one entry
// of its folder that matches case-insensitively. Components that match nothing
// are kept as given (so a file about to be created keeps its name).
std::string NativePath(std::string_view path);

// fopen on NativePath(path). Text modes are binary on Linux; use ReadTextFile
// to get text with '\r' dropped.
FILE* OpenFile(std::string_view path, const char* mode);

bool FileExists(std::string_view path);
bool DirectoryExists(std::string_view path);
// Makes the folder and every missing folder above it, each new one readable
// by its owner only (0700), as per-user data folders are. True when the path
// is a folder afterwards, also when it already was one.
bool CreateFolderTree(std::string_view path);

// Reads a whole file. Fails (false) when it cannot be opened or is larger
// than maxBytes, so a hostile file never sizes an allocation.
bool ReadFile(std::string_view path, std::string& out, size_t maxBytes = 64u << 20);
// As ReadFile, with every '\r' dropped.
bool ReadTextFile(std::string_view path, std::string& out, size_t maxBytes = 64u << 20);

// Writes a whole file through a temporary file in the same folder that is
// flushed and renamed over the target, so a failed write leaves the previous
// file intact. Returns false on any failure.
bool WriteFileAtomic(std::string_view path, std::string_view data);

// The folder of the running executable, with a trailing '/'.
std::string ProgramFolder();
// The per-user "common documents" folder: $XDG_DATA_HOME, else ~/.local/share,
// with a trailing '/'. Empty when neither can be determined.
std::string CommonDocumentsFolder();

// Appends '/' when the path is not empty and ends in neither '/' nor '\'.
std::string WithTrailingSeparator(std::string path);

} // namespace Platform

// Win32-style calls. Errors are reported through GetLastError.
DWORD GetLastError();
void SetLastError(DWORD error);
// The executable's full path; returns its length, 0 on failure.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
// Creates one folder level. ERROR_ALREADY_EXISTS when it exists,
// ERROR_PATH_NOT_FOUND when its parent is missing.
BOOL CreateDirectoryA(LPCSTR path, void* securityAttributes);
