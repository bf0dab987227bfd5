#pragma once
// A map's parameter file (the map file's name with ".WXMPARAM", in
// "Data/Maps/"): the round limit, the global-map picture, the computer
// opponent's tasks and the units each side must destroy.
#include <memory>
#include <string>
#include <vector>

class TiXmlElement;

namespace VornaCampaign {

struct MapParameters {
    MapParameters();
    ~MapParameters();
    MapParameters(const MapParameters&) = delete;
    MapParameters& operator=(const MapParameters&) = delete;

    // Kept when the file has no round count.
    int m_iRoundsCount = 100;
    std::string m_szMapTexture;
    // A copy of the "Tasks" element (null when the file has none); every
    // read replaces it, so tasks are never taken twice.
    std::unique_ptr<TiXmlElement> m_pTasks;
    std::vector<std::string> m_stdvSide1Targets;
    std::vector<std::string> m_stdvSide2Targets;
};

// "X.map" -> "X.WXMPARAM" (the name without its extension, then the suffix).
std::string MapParameterFileName(const std::string& mapFileName);

// Reads the file into `params`. False (and `params` untouched) when the file
// cannot be read or has no "Main" element. The destruction lists and tasks
// are replaced, not appended to.
bool LoadMapParameters(const std::string& path, MapParameters* params);
// The same on a document in memory; `path` names it in log lines.
bool LoadMapParametersText(const std::string& text, const std::string& path, MapParameters* params);

} // namespace VornaCampaign
