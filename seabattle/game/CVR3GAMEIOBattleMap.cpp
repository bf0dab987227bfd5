// Battle map files: the battlefield's base map and environment, its
// borders, time limit and scenery, the players with their start positions
// and ships, and the directors that drive them.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBehaviourOne.h"
#include "seabattle/game/CVR3GAMEIO.h"

#include <new>

using namespace Vorna3D;

namespace SeaBattle {

namespace {

// A column battle distance from a map file is taken from this on.
constexpr float kMinColumnBattleDistance = 6.0f;

// The four border vectors, in the order the file must give them.
struct BorderSlot {
    const char* element;
    D3DXVECTOR3 CVR3GAMEBattleMap::*field;
};
constexpr BorderSlot kBorders[4] = {
    {"MinBattleBorders", &CVR3GAMEBattleMap::m_vMinBattleBorders},
    {"MaxBattleBorders", &CVR3GAMEBattleMap::m_vMaxBattleBorders},
    {"MinActiveBorders", &CVR3GAMEBattleMap::m_vMinActiveBorders},
    {"MaxActiveBorders", &CVR3GAMEBattleMap::m_vMaxActiveBorders},
};

void CopyBorders(const CVR3GAMEBattleMap* map, CVR3GAMEBattleMapPlayer* player) {
    player->m_vMinActiveBorders = map->m_vMinActiveBorders;
    player->m_vMaxActiveBorders = map->m_vMaxActiveBorders;
    player->m_vMinBattleBorders = map->m_vMinBattleBorders;
    player->m_vMaxBattleBorders = map->m_vMaxBattleBorders;
}

void ReadLeadersPositions(const TiXmlElement* player, CVR3GAMEBattleMapPlayer* target) {
    const TiXmlElement* list = player->FirstChildElement("LeadersPositions");
    for (const VR3ListEntry& e : VR3ListEntries(list))
        if (e.element) target->m_stdvLeadersPositions.push_back(ReadXMLMatrix(e.element));
}

// The column battle distance of a director's "Behaviour" element, when it
// has one of at least kMinColumnBattleDistance and the director a behaviour.
void ApplyBattleDistance(const TiXmlElement* director, CVR3GAMEComputerPlayerBaseBehaviour* behaviour) {
    const TiXmlElement* e = director->FirstChildElement("Behaviour");
    if (!e || !behaviour) return;
    const float distance = ReadXMLColumnBattleDistance(e);
    if (distance >= kMinColumnBattleDistance) behaviour->m_fColumnBattleDistance = distance;
}

void ReadEnemies(const TiXmlElement* director, CVR3GAMEBattleMap* map, CVR3GAMEBattleMapPlayerDirector* d) {
    for (const VR3ListEntry& e : VR3ListEntries(director->FirstChildElement("EnemysPlayers"))) {
        if (!e.element) continue;
        std::string name;
        ReadXMLString(e.element, true, name);
        map->SetPlayerDirectorEnemy(d, &name);
    }
}

} // namespace

bool CVR3GAMEIO::LoadBattleMapFromFile(const char* fileName, bool playersExist, const char* imposedEnvironment) {
    if (!m_pBattleMap || !fileName || !*fileName)
        return false;
    m_pBattleMap->ClearMap();
    switch (GetFileForm(VR3_KIND_BATTLE_MAP, fileName)) {
    case VR3_FORM_TEXT:
        break;
    case VR3_FORM_BINARY:
        return true;
    default:
        g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromFile() : file expansion parser not defined\n");
        return false;
    }
    const std::string path = MakePath(FOLDER_BATTLE_MAPS, fileName);
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadBattleMapFromFile() : xml file not read : ", path.c_str(), "\n");
        return false;
    }
    return LoadBattleMapFromXML(doc, playersExist, imposedEnvironment);
}

bool CVR3GAMEIO::LoadBattleMapFromXML(const TiXmlDocument& doc, bool playersExist, const char* imposedEnvironment) {
    CVR3GAMEBattleMap* map = m_pBattleMap;
    const TiXmlElement* root = doc.FirstChildElement("BattleMap");
    if (!map || !root)
        return false;
    const TiXmlElement* base = root->FirstChildElement("BaseMap");
    if (!base) {
        g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromXML() : not found BaseMap node\n");
        return false;
    }
    if (!LoadBaseMapFromXML(&map->m_BaseMap, base, imposedEnvironment))
        return false;
    map->ActivateMapScene();

    for (const BorderSlot& b : kBorders) {
        const TiXmlElement* e = root->FirstChildElement(b.element);
        if (!e) {
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadBattleMapFromXML() : not found '", b.element, "' node\n");
            return false;
        }
        map->*(b.field) = ReadXMLAttributeVector3(e);
    }
    if (const TiXmlElement* e = root->FirstChildElement("TimeLimit"))
        map->m_iTimeLimit = ReadXMLInt(e);

    for (const VR3ListEntry& entry : VR3ListEntries(root->FirstChildElement("StaticObjects"))) {
        const TiXmlElement* world = entry.element ? entry.element->FirstChildElement("SceneObjectWorld") : nullptr;
        const TiXmlElement* file = entry.element ? entry.element->FirstChildElement("SceneObjectFile") : nullptr;
        if (!world || !file)
            return false;
        std::string name;
        ReadXMLString(file, true, name);
        CDX9KelSceneObject* object = CreateSceneObjectFromFile(name.c_str());
        if (!object) {
            g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromXML() : CreateSceneObjectFromFile() failed\n");
            continue;
        }
        const D3DXMATRIX m = ReadXMLMatrix(world);
        if (!m_pScene || !m_pScene->AddSceneObjectInTree(map->m_BaseMap.m_iSceneTreeIndex, object)) {
            g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromXML() : AddSceneObjectInTree() failed\n");
            // No tree holds it: given back at once rather than lost.
            DeleteSceneObject(object);
            continue;
        }
        object->SetTransform(&m);
    }

    for (const VR3ListEntry& entry : VR3ListEntries(root->FirstChildElement("Players"))) {
        if (playersExist) {
            LoadBattleMapPlayerFromXML(entry.element);
            continue;
        }
        CVR3GAMEBattleMapPlayer* player = CreateBattleMapPlayerFromXML(entry.element);
        if (!map->AddPlayer(player)) {
            g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromXML() : m_pBattleMap->AddPlayer() failed\n");
            if (player) {
                for (CVR3GAMEBattleMapShip*& s : player->m_stdvShips) {
                    DeleteBattleShip(s);
                    s = nullptr;
                }
                delete player;
            }
        }
    }

    for (const VR3ListEntry& entry : VR3ListEntries(root->FirstChildElement("Directors"))) {
        if (!entry.element)
            continue;
        const std::string kind = entry.element->Value();
        if (kind == "Computer" || kind == "computer") {
            if (!CreateBattleMapPlayerDirectorComputer(entry.element))
                g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromXML() : CreateBattleMapPlayerDirectorComputer() failed\n");
        } else if (kind == "Human" || kind == "human") {
            if (!CreateBattleMapPlayerDirectorHuman(entry.element))
                g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromXML() : CreateBattleMapPlayerDirectorHuman() failed\n");
        }
    }
    return true;
}

CVR3GAMEBattleMapPlayer* CVR3GAMEIO::CreateBattleMapPlayerFromXML(const TiXmlElement* pElement) {
    if (!pElement || !m_pBattleMap)
        return nullptr;
    auto* player = new (std::nothrow) CVR3GAMEBattleMapPlayer;
    if (!player) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerFromXML() : pBattleMapPlayer = new CVR3GAMEBattleMapPlayer failed\n");
        return nullptr;
    }
    const TiXmlElement* name = pElement->FirstChildElement("PlayerName");
    const TiXmlElement* runaway = pElement->FirstChildElement("RunawayPosition");
    if (!name || !runaway) {
        delete player;
        return nullptr;
    }
    ReadXMLString(name, true, player->m_strPlayerName);
    player->m_vRunawayPosition = ReadXMLAttributeVector3(runaway);
    CopyBorders(m_pBattleMap, player);
    ReadLeadersPositions(pElement, player);
    for (const VR3ListEntry& e : VR3ListEntries(pElement->FirstChildElement("Ships")))
        if (e.element)
            CreateBattleShipForPlayerFromXML(e.element, player);
    return player;
}

void CVR3GAMEIO::LoadBattleMapPlayerFromXML(const TiXmlElement* pElement) {
    const TiXmlElement* nameElement = pElement ? pElement->FirstChildElement("PlayerName") : nullptr;
    if (!nameElement || !m_pBattleMap)
        return;
    std::string name;
    ReadXMLString(nameElement, true, name);
    CVR3GAMEBattleMapPlayer* player = m_pBattleMap->GetPlayer(&name);
    if (!player) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadBattleMapPlayerFromXML() : m_pBattleMap->GetPlayer() for '",
                    name.c_str(), "'failed\n");
        return;
    }
    const TiXmlElement* runaway = pElement->FirstChildElement("RunawayPosition");
    if (!runaway)
        return;
    player->m_vRunawayPosition = ReadXMLAttributeVector3(runaway);
    CopyBorders(m_pBattleMap, player);
    player->m_stdvLeadersPositions.clear();
    ReadLeadersPositions(pElement, player);
}

bool CVR3GAMEIO::CreateBattleMapPlayerDirectorHuman(const TiXmlElement* pElement) {
    const TiXmlElement* nameElement = pElement ? pElement->FirstChildElement("PlayerName") : nullptr;
    if (!nameElement || !m_pBattleMap)
        return false;
    std::string name;
    ReadXMLString(nameElement, true, name);
    auto* human = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorHuman*>(m_pBattleMap->CreateHuman(&name));
    if (!human) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerDirectorHuman() : m_pBattleMap->CreateHuman() failed\n");
        return false;
    }
    if (!human->CreateBehaviour())
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerDirectorHuman() : CreateBehaviour() failed \n");
    ApplyBattleDistance(pElement, human->m_pCurrentBehaviour);
    ReadEnemies(pElement, m_pBattleMap, human);
    if (!human->SetMapScreen(m_pBattleMap->m_pBattleScreen)) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerDirectorHuman() : pPlayerHuman->SetMapScreen() failed\n");
        return false;
    }
    const TiXmlElement* gui = pElement->FirstChildElement("BattleMapGUI");
    if (!gui) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerDirectorHumanFromScenarioXML() : 'BattleMapGUI' not found \n");
        return false;
    }
    std::string file;
    ReadXMLString(gui, true, file);
    return human->InitGUI(m_pBattleMap, g_Utils.GetExeFolderPathString(file.c_str()));
}

bool CVR3GAMEIO::CreateBattleMapPlayerDirectorComputer(const TiXmlElement* pElement) {
    const TiXmlElement* nameElement = pElement ? pElement->FirstChildElement("PlayerName") : nullptr;
    if (!nameElement || !m_pBattleMap)
        return false;
    std::string name;
    ReadXMLString(nameElement, true, name);
    auto* computer = dynamic_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(m_pBattleMap->CreateComputer(&name));
    if (!computer) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerDirectorComputer() : m_pBattleMap->CreateComputer() failed\n");
        return false;
    }
    const TiXmlElement* behaviour = pElement->FirstChildElement("Behaviour");
    if (!behaviour) {
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerDirectorComputer() : not found Behaviour node\n");
        return false;
    }
    const int type = ReadXMLInt(behaviour);
    if (type == CVR3GAMEComputerPlayerBehaviourOne::kKindOne && !computer->CreateBehaviour())
        g_Log.Write(3, "%s%d%s", "CVR3GAMEIO::CreateBattleMapPlayerDirectorComputer() : CreateBehaviour() failed for type : ",
                    type, "\n");
    ApplyBattleDistance(pElement, computer->m_pBehaviour);
    ReadEnemies(pElement, m_pBattleMap, computer);
    return true;
}

} // namespace SeaBattle
