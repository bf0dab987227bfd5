#include "campaign/map/CDX9KelMapParameters.h"

#include "campaign/data/DataFiles.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/XMLValues.h"

#include <cstdlib>
#include <tinyxml.h>

namespace VornaCampaign {

MapParameters::MapParameters() = default;
MapParameters::~MapParameters() = default;

std::string MapParameterFileName(const std::string& mapFileName) {
    const size_t slash = mapFileName.find_last_of("/\\");
    const size_t dot = mapFileName.find_last_of('.');
    const std::string stem =
        dot != std::string::npos && (slash == std::string::npos || dot > slash) ? mapFileName.substr(0, dot) : mapFileName;
    return stem + ".WXMPARAM";
}

namespace {

void ReadTargets(const TiXmlNode* side, std::vector<std::string>* out) {
    out->clear();
    if (!side) return;
    for (const TiXmlNode* child = side->FirstChild(); child; child = child->NextSibling()) {
        if (child->Type() != TiXmlNode::TINYXML_ELEMENT) continue;
        std::string name = std::string(child->Value()).substr(0, 39);
        for (char& c : name)
            if (c == '_') c = ' ';
        out->push_back(name);
    }
}

bool Apply(TiXmlDocument& doc, const std::string& path, MapParameters* params) {
    const TiXmlElement* main = doc.FirstChildElement("Main");
    if (!main) return false;
    if (const TiXmlElement* rounds = main->FirstChildElement("RoundsCount")) {
        const char* text = Vorna2::GetXMLValueText(rounds);
        char* end = nullptr;
        const long value = text ? std::strtol(text, &end, 10) : 0;
        if (!text || end == text || value <= 0 || value > 1000000) {
            Vorna2::g_Log.Write(10, "Warning : LoadMapParameters : RoundsCount not usable, 100 taken : %s\n", path.c_str());
            params->m_iRoundsCount = 100;
        } else {
            params->m_iRoundsCount = static_cast<int>(value);
        }
    }
    if (const TiXmlElement* texture = main->FirstChildElement("MapTexture")) {
        const char* text = Vorna2::GetXMLValueText(texture);
        params->m_szMapTexture = std::string(text ? text : "").substr(0, 259);
    }
    const TiXmlElement* tasks = main->FirstChildElement("Tasks");
    params->m_pTasks.reset(tasks ? static_cast<TiXmlElement*>(tasks->Clone()) : nullptr);
    const TiXmlElement* destructions = main->FirstChildElement("Destructions");
    ReadTargets(destructions ? destructions->FirstChildElement("Side1") : nullptr, &params->m_stdvSide1Targets);
    ReadTargets(destructions ? destructions->FirstChildElement("Side2") : nullptr, &params->m_stdvSide2Targets);
    return true;
}

} // namespace

bool LoadMapParameters(const std::string& path, MapParameters* params) {
    if (!params) return false;
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        Vorna2::g_Log.Write(-1, "Error : CDX9KelGameMap::LoadMapParameters : xml file not read : %s\n", path.c_str());
        return false;
    }
    return Apply(doc, path, params);
}

bool LoadMapParametersText(const std::string& text, const std::string& path, MapParameters* params) {
    if (!params) return false;
    TiXmlDocument doc;
    if (!ParseXmlText(text, doc)) {
        Vorna2::g_Log.Write(-1, "Error : CDX9KelGameMap::LoadMapParameters : xml file not read : %s\n", path.c_str());
        return false;
    }
    return Apply(doc, path, params);
}

} // namespace VornaCampaign
