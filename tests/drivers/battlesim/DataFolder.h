#pragma once
// Where a subcommand's game keeps its log and files: the "--out" folder when
// given, else the data folder seabattle itself would use.
#include "Options.h"

#include "engine3/core/CDX9KelEngine.h"
#include "platform/os/Paths.h"

#include <string>

namespace BattleSim {

inline std::string DataFolderOption(const Options& options) {
    return options.Has("--out") ? options.Get("--out")
                                : Vorna3D::CDX9KelEngine::DetermineDataFolder(Platform::ProgramFolder(),
                                                                              Platform::CommonDocumentsFolder());
}

} // namespace BattleSim
