#pragma once
// The information tool's work: the "info.txt" lines, finding the battle
// program's log and copying it out, and the diagnostic program's place.
#include <string>
#include <vector>

namespace VornaTools {

inline constexpr const char* kInfoFile = "info.txt";
inline constexpr const char* kLogStem = "Vorna3Log";
inline constexpr const char* kLogFile = "Vorna3Log.log";
inline constexpr const char* kDiagnosticProgram = "vornadiag";

// The list's entries for an information file, top first: the file is read in
// pieces of at most 259 characters (each ending at a line end at the latest),
// every line feed becomes a blank, and each piece goes on top, so the last
// line shows first. A file that cannot be read gives no entries.
std::vector<std::string> ReadInfoLines(const std::string& path);

// The first "*.log" file of `folder`, in the order the system lists them,
// whose name up to its first dot is exactly "Vorna3Log"; false when there is
// none (or the folder cannot be read).
bool FindEngineLog(const std::string& folder, std::string& foundName);

// Copies folder + "Vorna3Log.log" to `target`, replacing it. False when the
// copy fails; `target` is then not left half-written.
bool CopyEngineLog(const std::string& folder, const std::string& target);

std::string LogNotFoundMessage(const std::string& folder);
std::string LogCopiedMessage(const std::string& target, bool copied);
inline constexpr const char* kDiagNotStartedMessage =
    "DXDiag utility is not started. Please, start the program independently.";

// Where the diagnostic program lies: beside the tools.
std::string DiagnosticProgramPath(const std::string& programFolder);

} // namespace VornaTools
