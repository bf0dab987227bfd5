// Scenario files (the common part read for every start and load, and the
// begin part that hands out the starting ships), harbour map files, and the
// hand-over of the sides' ships from the harbour to the battle and back.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include <algorithm>
#include <memory>

#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEShipType.h"

using namespace Vorna3D;

namespace SeaBattle {

CVR3GAMEBattleMapShip* CVR3GAMEIO::CreateFleetShip(const SVR3GAMEFleetShip& entry) {
    // The entry is the ship element it was read from, so the one ship
    // builder serves it.
    TiXmlElement element("Ship");
    const std::pair<const char*, const std::string*> files[] = {
        {"SceneObjectFile", &entry.SceneObjectFile},         {"MovementObjectFile", &entry.MovementObjectFile},
        {"AnimatedObjectFile", &entry.AnimatedObjectFile},   {"BattleObjectFile", &entry.BattleObjectFile},
        {"ArtilleryObjectFile", &entry.ArtilleryObjectFile}, {"InfoObjectFile", &entry.InfoObjectFile}};
    for (const auto& f : files) {
        TiXmlElement child(f.first);
        child.InsertEndChild(TiXmlText(f.second->c_str()));
        element.InsertEndChild(child);
    }
    bool initialised = false;
    CVR3GAMEBattleMapShip* ship = CreateBattleShipFromXML(&element, false, &initialised);
    if (ship && !initialised) {
        DeleteBattleShip(ship);
        return nullptr;
    }
    return ship;
}

// ---- the common part of a scenario file ----

namespace {

// The texts of a list's children (localised), in order.
std::vector<std::string> ReadTextList(const TiXmlElement* list) {
    std::vector<std::string> out;
    for (const VR3ListEntry& e : VR3ListEntries(list)) {
        std::string text;
        if (e.element) ReadXMLString(e.element, true, text);
        out.push_back(text);
    }
    return out;
}

std::string ReadText(const TiXmlElement* e, bool localise = true) {
    std::string text;
    if (e) ReadXMLString(e, localise, text);
    return text;
}

Vorna3D::CVR3CIIScreenManager* ScreensOf(Vorna3D::CDX9KelScene* scene) {
    return scene ? dynamic_cast<Vorna3D::CVR3CIIScreenManager*>(scene->GetManager(Vorna3D::KEL_SCENE_SCREEN_MANAGER))
                 : nullptr;
}

// The next sibling element of that name after `from`.
const TiXmlElement* NextNamed(const TiXmlElement* from, const char* name) {
    return from ? from->NextSiblingElement(name) : nullptr;
}

} // namespace

bool CVR3GAMEIO::LoadCommonScenarioFromFile(const char* fileName) {
    if (!fileName || !*fileName || !m_pScene || !m_pBattleMap || !m_pHarbourMap || !m_pScenario) return false;
    // A scenario and a duel never run together.
    if (m_pDuel) m_pDuel->Clear();
    const std::string name = fileName;
    switch (GetFileForm(VR3_KIND_SCENARIO, fileName)) {
    case VR3_FORM_TEXT: {
        const std::string path = MakePath(FOLDER_SCENARIOS, fileName);
        TiXmlDocument doc;
        if (!LoadXmlFile(path, doc)) {
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadCommonScenarioFromFile() : xml file not read : ", path.c_str(),
                        "\n");
            return false;
        }
        m_pScenario->Reset();
        if (!LoadCommonScenarioDataFromXML(doc)) {
            g_Log.Write(3, "%s%s%s",
                        "CVR3GAMEIO::LoadCommonScenarioFromFile() : LoadCommonScenarioDataFromXML() failed for file : ",
                        path.c_str(), "\n");
            return false;
        }
        break;
    }
    case VR3_FORM_BINARY:
        // No binary scenarios are made: a binary name is refused rather than
        // starting a scenario without steps.
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioFromFile() : binary format not supported\n");
        return false;
    default:
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioFromFile() : file expansion parser not defined\n");
        return false;
    }
    m_pScenario->m_strFileName = name;
    return true;
}

void CVR3GAMEIO::ClearGameWorld() {
    if (m_pHarbourMap) m_pHarbourMap->Clear();
    if (m_pBattleMap) m_pBattleMap->Clear();
    Vorna3D::CVR3SOUNDManager::Get().DeleteAllSources();
    if (m_pScene) {
        if (auto* gui3d = dynamic_cast<Vorna3D::CVR3GUI3DManager*>(m_pScene->GetManager(Vorna3D::KEL_SCENE_GUI3D_MANAGER)))
            gui3d->Clear();
        // The ships went with the maps, and their bodies with them; what is
        // left no game owns.
        if (Vorna3D::CDX9KelPhysicalManager* physics = Vorna3D::GetPhysicalManager(m_pScene)) physics->Clear();
    }
    BattleProcessingState::Get().ClearBattleProcessing(false);
}

bool CVR3GAMEIO::LoadCommonScenarioDataFromXML(const TiXmlDocument& doc) {
    const TiXmlElement* root = doc.FirstChildElement("Scenario");
    if (!root || !m_pScenario || !m_pHarbourMap || !m_pBattleMap) return false;
    ClearGameWorld();
    CVR3GAMEScenario& s = *m_pScenario;
    const struct {
        const char* element;
        std::string* target;
    } names[] = {{"ScenarioName", &s.ScenarioName},
                 {"HumanPlayerName", &s.HumanPlayerName},
                 {"ComputerPlayerName", &s.ComputerPlayerName},
                 {"ArtilleryList", &s.ArtilleryList}};
    for (const auto& n : names) {
        const TiXmlElement* e = root->FirstChildElement(n.element);
        if (!e) {
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : not found ", n.element, " node\n");
            return false;
        }
        *n.target = ReadText(e);
    }
    if (!LoadBattleArtilleryList(s.ArtilleryList.c_str())) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : LoadBattleArtilleryList() failed for : ",
                    s.ArtilleryList.c_str(), "\n");
        return false;
    }
    const TiXmlElement* harbour = root->FirstChildElement("Harbour");
    if (!harbour) {
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : not found Harbour node\n");
        return false;
    }
    if (!LoadCommonScenarioHarbourDataFromXML(harbour)) {
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : LoadCommonScenarioHarbourDataFromXML() failed \n");
        return false;
    }
    const TiXmlElement* battle = root->FirstChildElement("BattleMap");
    if (!battle) {
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : not found BattleMap node\n");
        return false;
    }
    if (!LoadCommonScenarioBattleMapDataFromXML(battle)) {
        g_Log.Write(3,
                    "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : LoadCommonScenarioBattleMapDataFromXML() failed \n");
        return false;
    }
    const TiXmlElement* end = root->FirstChildElement("ScenarioEndScreen");
    if (!end) {
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : not found ScenarioEndScreen node\n");
        return false;
    }
    s.ScenarioEndScreen = ReadText(end);
    const TiXmlElement* humanSum = root->FirstChildElement("HumanSumMoney");
    if (!humanSum) {
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : not found HumanSumMoney node\n");
        return false;
    }
    s.HumanSumMoney = static_cast<uint32_t>(ReadXMLInt(humanSum));
    const TiXmlElement* computerSum = root->FirstChildElement("ComputerSumMoney");
    if (!computerSum) {
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioDataFromXML() : not found ComputerSumMoney node\n");
        return false;
    }
    s.ComputerSumMoney = static_cast<uint32_t>(ReadXMLInt(computerSum));
    return true;
}

bool CVR3GAMEIO::LoadCommonScenarioHarbourDataFromXML(const TiXmlElement* pHarbour) {
    static const char* const kPrefix = "CVR3GAMEIO::LoadCommonScenarioHarbourDataFromXML() : ";
    CVR3GAMEScenario& s = *m_pScenario;
    const TiXmlElement* files = pHarbour->FirstChildElement("MapFiles");
    if (!files) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'MapFiles' node\n");
        return false;
    }
    const TiXmlElement* screens = pHarbour->FirstChildElement("LoadMapScreens");
    if (!screens) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'LoadMapScreens' node\n");
        return false;
    }
    const TiXmlElement* harbourScreen = pHarbour->FirstChildElement("HarbourScreen");
    if (!harbourScreen) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'HarbourScreen' node\n");
        return false;
    }
    const TiXmlElement* columnsScreen = pHarbour->FirstChildElement("ColumnsScreen");
    if (!columnsScreen) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'ColumnsScreen' node\n");
        return false;
    }
    s.m_vHarbourMapFiles = ReadTextList(files);
    s.m_vHarbourLoadScreens = ReadTextList(screens);
    s.HarbourScreen = ReadText(harbourScreen);
    s.ColumnsScreen = ReadText(columnsScreen);
    Vorna3D::CVR3CIIScreenManager* manager = ScreensOf(m_pScene);
    Vorna3D::CVR3CIIScreen* screen = manager ? manager->FindScreen(s.HarbourScreen.c_str()) : nullptr;
    if (!screen) {
        g_Log.Write(3, "%s%s%s%s", kPrefix, "not found Harbour screen :", s.HarbourScreen.c_str(), "\n");
        return false;
    }
    m_pHarbourMap->m_pHarbourScreen = screen;
    screen = manager->FindScreen(s.ColumnsScreen.c_str());
    if (!screen) {
        g_Log.Write(3, "%s%s%s%s", kPrefix, "not found Harbour Columns screen :", s.ColumnsScreen.c_str(), "\n");
        return false;
    }
    m_pHarbourMap->m_pColumnsScreen = screen;
    if (const TiXmlElement* e = pHarbour->FirstChildElement("DestroyEnemyBonusFactor"))
        s.DestroyEnemyBonusFactor = ReadXMLFloat(e);
    if (const TiXmlElement* e = pHarbour->FirstChildElement("Money")) s.Money = ReadText(e);

    const TiXmlElement* players = pHarbour->FirstChildElement("Players");
    if (!players) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'Players' node\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(players))
        if (e.element) CreateHarbourPlayerFromScenarioXML(e.element);
    const TiXmlElement* directors = pHarbour->FirstChildElement("Directors");
    if (!directors) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'Directors' node\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(directors)) {
        if (!e.element) continue;
        const std::string kind = e.element->Value();
        if (kind == "Human") {
            if (!CreateHarbourPlayerDirectorHumanFromScenarioXML(e.element)) {
                g_Log.Write(3, "%s%s", kPrefix, "CreateHarbourPlayerDirectorHumanFromScenarioXML() failed\n");
                return false;
            }
        } else if (kind == "Computer") {
            if (!CreateHarbourPlayerDirectorComputerFromScenarioXML(e.element)) {
                g_Log.Write(3, "%s%s", kPrefix, "CreateHarbourPlayerDirectorComputerFromScenarioXML() failed\n");
                return false;
            }
        } else {
            g_Log.Write(2, "%s%s%s%s", kPrefix, "not found parser for director :", kind.c_str(), "\n");
        }
    }
    return true;
}

void CVR3GAMEIO::CreateHarbourPlayerFromScenarioXML(const TiXmlElement* pPlayer) {
    const TiXmlElement* e = pPlayer ? pPlayer->FirstChildElement("PlayerName") : nullptr;
    if (!e) return;
    const std::string name = ReadText(e);
    if (!m_pHarbourMap->CreatePlayer(name.c_str()))
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::CreateHarbourPlayerFromScenarioXML() : m_pHarbourMap->CreatePlayer() '",
                    name.c_str(), "' failed\n");
}

bool CVR3GAMEIO::CreateHarbourPlayerDirectorHumanFromScenarioXML(const TiXmlElement* pDirector) {
    static const char* const kPrefix = "CVR3GAMEIO::CreateHarbourPlayerDirectorHumanFromScenarioXML() : ";
    const TiXmlElement* nameElement = pDirector->FirstChildElement("PlayerName");
    if (!nameElement) return false;
    const std::string name = ReadText(nameElement);
    CVR3GAMEHarbourMapPlayerDirectorHuman* human = m_pHarbourMap->CreateHuman(name.c_str());
    if (!human) {
        g_Log.Write(3, "%s%s%s%s", kPrefix, "m_pHarbourMap->CreateHuman() '", name.c_str(), "' failed\n");
        return false;
    }
    const TiXmlElement* start = NextNamed(nameElement, "StartMoney");
    if (!start) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'StartMoney' node\n");
        return false;
    }
    const TiXmlElement* add = NextNamed(start, "AddMoney");
    if (!add) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'AddMoney' node\n");
        return false;
    }
    human->m_iMoney = ReadXMLInt(start);
    human->m_iAddMoney = ReadXMLInt(add);
    for (const VR3ListEntry& e : VR3ListEntries(pDirector->FirstChildElement("ShipsTypes"))) {
        if (!e.element || !CreateHarbourHumanShipTypeFromScenarioXML(e.element, human))
            g_Log.Write(3, "%s%s", kPrefix, "CreateHarbourHumanShipTypeFromScenarioXML() failed\n");
    }
    m_pScenario->m_iShipLevelCount = static_cast<int32_t>(human->m_stdvShipsTypes.size());
    for (const VR3ListEntry& e : VR3ListEntries(pDirector->FirstChildElement("ShipsTypesToBuy")))
        human->m_stdviShipsToBuy.push_back(e.element ? ReadXMLInt(e.element) : -1);
    if (!human->SetMapScreen(m_pHarbourMap->m_pHarbourScreen))
        g_Log.Write(3, "%s%s", kPrefix, "SetMapScreen() failed\n");
    if (!human->SetColumnsScreen(m_pHarbourMap->m_pColumnsScreen))
        g_Log.Write(3, "%s%s", kPrefix, "SetColumnsScreen() failed\n");
    return true;
}

bool CVR3GAMEIO::CreateHarbourHumanShipTypeFromScenarioXML(const TiXmlElement* pShipType,
                                                           CVR3GAMEHarbourMapPlayerDirectorHuman* pDirector) {
    static const char* const kPrefix = "CVR3GAMEIO::CreateHarbourHumanShipTypeFromScenarioXML() : ";
    if (!pShipType || !pDirector) return false;
    const TiXmlElement* info = pShipType->FirstChildElement("InfoObjectFile");
    const std::string infoFile = ReadText(info, false);
    if (infoFile.empty()) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'InfoFile' attribut\n");
        return false;
    }
    auto type = std::make_unique<CVR3GAMEShipType>();
    type->m_pInformation = CreateInformationShip(infoFile.c_str());
    if (!type->m_pInformation) {
        g_Log.Write(3, "%s%s", kPrefix, "CreateInformationShip() failed\n");
        return false;
    }
    std::string* targets[] = {&type->SceneObjectFile, &type->MovementObjectFile, &type->AnimatedObjectFile,
                              &type->BattleObjectFile, &type->ArtilleryObjectFile};
    const char* names[] = {"SceneObjectFile", "MovementObjectFile", "AnimatedObjectFile", "BattleObjectFile",
                           "ArtilleryObjectFile"};
    const TiXmlElement* at = info;
    for (int i = 0; i < 5; ++i) {
        at = NextNamed(at, names[i]);
        if (!at) return false;
        *targets[i] = ReadText(at, false);
    }
    for (const TiXmlElement* e = at->NextSiblingElement(); e; e = e->NextSiblingElement())
        type->m_stdvNames.push_back(ReadText(e));
    pDirector->m_stdvShipsTypes.push_back(type.release());
    return true;
}

bool CVR3GAMEIO::CreateHarbourPlayerDirectorComputerFromScenarioXML(const TiXmlElement* pDirector) {
    static const char* const kPrefix = "CVR3GAMEIO::CreateHarbourPlayerDirectorComputerFromScenarioXML() : ";
    const TiXmlElement* nameElement = pDirector->FirstChildElement("PlayerName");
    if (!nameElement) return false;
    const std::string name = ReadText(nameElement);
    CVR3GAMEHarbourMapPlayerDirectorComputer* computer = m_pHarbourMap->CreateComputer(name.c_str());
    if (!computer) {
        g_Log.Write(3, "%s%s%s%s", kPrefix, "m_pHarbourMap->CreateComputer() '", name.c_str(), "' failed\n");
        return false;
    }
    const TiXmlElement* schemes = pDirector->FirstChildElement("FleetSchemes");
    if (!schemes) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'FleetSchemes' node\n");
        return false;
    }
    const std::vector<VR3ListEntry> schemeList = VR3ListEntries(schemes);
    const int count = ReadXMLAttributeInt(schemes, "count");
    int32_t& index = m_pScenario->m_iFleetScheme;
    if (index < -1) {
        g_Log.Write(3, "%s%s", kPrefix, "pSchemeNode == NULL\n");
        return false;
    }
    if (index == -1) {
        // Drawn among the schemes that exist, however many the count claims.
        const int drawable = std::min(count, static_cast<int>(schemeList.size()));
        index = drawable > 0 ? static_cast<int32_t>(CDX9KelUtils::GetRandomInt(static_cast<unsigned>(drawable))) : 0;
    }
    if (index > count) index = count;
    const TiXmlElement* scheme =
        index >= 0 && static_cast<size_t>(index) < schemeList.size() ? schemeList[static_cast<size_t>(index)].element
                                                                        : nullptr;
    if (!scheme) {
        g_Log.Write(3, "%s%s", kPrefix, "pSchemeNode == NULL\n");
        return false;
    }
    if (!computer->m_pFleetProgress)
        computer->m_pFleetProgress = new CVR3GAMEFleetProgress();
    else
        computer->m_pFleetProgress->clear();
    for (const VR3ListEntry& step : VR3ListEntries(scheme)) {
        if (!LoadHarbourComputerFleetProgressMapFromScenarioXML(step.element, computer->m_pFleetProgress)) {
            g_Log.Write(3, "%s%s", kPrefix, "LoadHarbourComputerFleetProgressMapFromScenarioXML() failed \n");
            return false;
        }
    }
    return true;
}

bool CVR3GAMEIO::LoadHarbourComputerFleetProgressMapFromScenarioXML(const TiXmlElement* pStep,
                                                                    CVR3GAMEFleetProgress* pProgress) {
    if (!pStep || !pProgress) return false;
    std::vector<SVR3GAMEFleetShip> ships;
    for (const VR3ListEntry& e : VR3ListEntries(pStep)) {
        if (!e.element) return false;
        SVR3GAMEFleetShip ship;
        if (const char* n = ReadXMLAttributeString(e.element, "name", true)) ship.name = n;
        const std::pair<const char*, std::string*> files[] = {
            {"SceneObjectFile", &ship.SceneObjectFile},         {"MovementObjectFile", &ship.MovementObjectFile},
            {"AnimatedObjectFile", &ship.AnimatedObjectFile},   {"BattleObjectFile", &ship.BattleObjectFile},
            {"ArtilleryObjectFile", &ship.ArtilleryObjectFile}, {"InfoObjectFile", &ship.InfoObjectFile}};
        for (const auto& f : files) {
            const TiXmlElement* fe = e.element->FirstChildElement(f.first);
            if (!fe) return false;
            *f.second = ReadText(fe);
        }
        ships.push_back(std::move(ship));
    }
    pProgress->push_back(std::move(ships));
    return true;
}

bool CVR3GAMEIO::LoadCommonScenarioBattleMapDataFromXML(const TiXmlElement* pBattle) {
    static const char* const kPrefix = "CVR3GAMEIO::LoadCommonScenarioBattleMapDataFromXML() : ";
    CVR3GAMEScenario& s = *m_pScenario;
    const char* required[] = {"MapFiles", "LoadMapScreens", "BattleScreen", "BattleResultsScreen"};
    const TiXmlElement* found[4] = {};
    for (int i = 0; i < 4; ++i) {
        found[i] = pBattle->FirstChildElement(required[i]);
        if (!found[i]) {
            g_Log.Write(3, "%s%s%s%s", kPrefix, "not found '", required[i], "' node\n");
            return false;
        }
    }
    s.m_vBattleMapFiles = ReadTextList(found[0]);
    s.m_vBattleLoadScreens = ReadTextList(found[1]);
    s.BattleScreen = ReadText(found[2]);
    s.BattleResultsScreen = ReadText(found[3]);
    Vorna3D::CVR3CIIScreenManager* manager = ScreensOf(m_pScene);
    Vorna3D::CVR3CIIScreen* screen = manager ? manager->FindScreen(s.BattleScreen.c_str()) : nullptr;
    if (!screen) {
        g_Log.Write(3, "%s%s%s%s", kPrefix, "not found BattleMap screen :", s.BattleScreen.c_str(), "\n");
        return false;
    }
    m_pBattleMap->m_pBattleScreen = screen;
    const TiXmlElement* players = pBattle->FirstChildElement("Players");
    if (!players) {
        g_Log.Write(3, "%s%s", kPrefix, "not found 'Players' node\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(players))
        if (e.element) CreateBattleMapPlayerFromScenarioXML(e.element);
    return true;
}

void CVR3GAMEIO::CreateBattleMapPlayerFromScenarioXML(const TiXmlElement* pPlayer) {
    const TiXmlElement* e = pPlayer ? pPlayer->FirstChildElement("PlayerName") : nullptr;
    if (!e) return;
    const std::string name = ReadText(e);
    if (!m_pBattleMap->CreatePlayer(&name))
        g_Log.Write(3, "CVR3GAMEIO::CreateBattleMapPlayerFromScenarioXML() : CreatePlayer() failed\n");
}

// ---- the begin part: starting ships and the directors' first step ----

bool CVR3GAMEIO::BeginScenarioFromScenarioFile() {
    if (!m_pScenario || !m_pHarbourMap || !m_pBattleMap) return false;
    const std::string& name = m_pScenario->m_strFileName;
    if (name.empty()) return false;
    if (GetFileForm(VR3_KIND_SCENARIO, name.c_str()) != VR3_FORM_TEXT) {
        g_Log.Write(3, "CVR3GAMEIO::LoadCommonScenarioFromFile() : file expansion parser not defined\n");
        return false;
    }
    const std::string path = MakePath(FOLDER_SCENARIOS, name.c_str());
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadCommonScenarioFromFile() : xml file not read : ", path.c_str(), "\n");
        return false;
    }
    if (!BeginScenarioFromXML(doc)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadCommonScenarioFromFile() : BeginScenarioFromXML() failed for file : ",
                    path.c_str(), "\n");
        return false;
    }
    return true;
}

bool CVR3GAMEIO::BeginScenarioFromXML(const TiXmlDocument& doc) {
    const TiXmlElement* root = doc.FirstChildElement("Scenario");
    const TiXmlElement* harbour = root ? root->FirstChildElement("Harbour") : nullptr;
    if (!harbour) {
        g_Log.Write(3, "CVR3GAMEIO::BeginScenarioFromXML() : not found Harbour node\n");
        return false;
    }
    if (!BeginScenarioHarbourFromXML(harbour)) {
        g_Log.Write(3, "CVR3GAMEIO::BeginScenarioFromXML() : BeginScenarioHarbourFromXML() failed \n");
        return false;
    }
    m_pBattleMap->SetTimeSpeed(1.0f);
    return true;
}

bool CVR3GAMEIO::BeginScenarioHarbourFromXML(const TiXmlElement* pHarbour) {
    const TiXmlElement* players = pHarbour->FirstChildElement("Players");
    if (!players) {
        g_Log.Write(3, "CVR3GAMEIO::BeginScenarioHarbourFromXML() : not found 'Players' node\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(players))
        if (e.element) BeginScenarioLoadHarbourPlayerDataFromXML(e.element);
    const TiXmlElement* directors = pHarbour->FirstChildElement("Directors");
    if (!directors) {
        g_Log.Write(3, "CVR3GAMEIO::BeginScenarioHarbourFromXML() : not found 'Directors' node\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(directors)) {
        if (!e.element) continue;
        const std::string kind = e.element->Value();
        if (kind != "Human" && kind != "Computer") {
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::BeginScenarioHarbourFromXML() : not found parser for director :",
                        kind.c_str(), "\n");
            continue;
        }
        if (!HarbourPlayerDirectorHumanBeginScenarioXML(e.element)) {
            g_Log.Write(3, kind == "Human"
                               ? "CVR3GAMEIO::BeginScenarioHarbourFromXML() : HarbourPlayerDirectorHumanBeginScenarioXML() failed\n"
                               : "CVR3GAMEIO::BeginScenarioHarbourFromXML() : HarbourPlayerDirectorComputerBeginScenarioXML() failed\n");
            return false;
        }
    }
    return true;
}

void CVR3GAMEIO::BeginScenarioLoadHarbourPlayerDataFromXML(const TiXmlElement* pPlayer) {
    const std::string name = ReadText(pPlayer->FirstChildElement("PlayerName"));
    CVR3GAMEHarbourMapPlayer* player = m_pHarbourMap->GetPlayer(name.c_str());
    if (!player) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::BeginScenarioLoadHarbourPlayerDataFromXML() : not found player : ",
                    name.c_str(), "\n");
        return;
    }
    for (const VR3ListEntry& e : VR3ListEntries(pPlayer->FirstChildElement("StartShips")))
        if (e.element) CreateBattleShipForPlayerFromXML(e.element, player);
}

bool CVR3GAMEIO::HarbourPlayerDirectorHumanBeginScenarioXML(const TiXmlElement* pDirector) {
    const std::string name = ReadText(pDirector->FirstChildElement("PlayerName"));
    CVR3GAMEHarbourMapPlayerDirector* director = m_pHarbourMap->GetDirector(name.c_str());
    if (!director) {
        g_Log.Write(3, "%s%s%s",
                    "CVR3GAMEIO::HarbourPlayerDirectorHumanBeginScenarioXML() : m_pHarbourMap->GetDirector() '",
                    name.c_str(), "' failed\n");
        return false;
    }
    return director->AttachHarbourMap(m_pHarbourMap) && director->InitHarbourMap(0);
}

// ---- harbour map files ----

bool CVR3GAMEIO::LoadHarbourMapFromFile(const char* fileName, const char* imposedEnvironment) {
    if (!m_pHarbourMap || !fileName || !*fileName) return false;
    m_pHarbourMap->ClearMap();
    switch (GetFileForm(VR3_KIND_HARBOUR_MAP, fileName)) {
    case VR3_FORM_TEXT:
        break;
    case VR3_FORM_BINARY:
        g_Log.Write(3, "CVR3GAMEIO::LoadHarbourMapFromFile() : binary format not supported\n");
        return false;
    default:
        g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromFile() : file expansion parser not defined\n");
        return false;
    }
    const std::string path = MakePath(FOLDER_HARBOUR_MAPS, fileName);
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadHarbourMapFromFile() : xml file not read : ", path.c_str(), "\n");
        return false;
    }
    return LoadHarbourMapFromXML(doc, imposedEnvironment);
}

bool CVR3GAMEIO::LoadHarbourMapFromXML(const TiXmlDocument& doc, const char* imposedEnvironment) {
    CVR3GAMEHarbourMap* map = m_pHarbourMap;
    const TiXmlElement* root = doc.FirstChildElement("HarbourMap");
    if (!map || !root) return false;
    const TiXmlElement* base = root->FirstChildElement("BaseMap");
    if (!base) {
        g_Log.Write(3, "CVR3GAMEIO::LoadHarbourMapFromXML() : not found BaseMap node\n");
        return false;
    }
    if (!LoadBaseMapFromXML(&map->m_BaseMap, base, imposedEnvironment)) return false;
    map->ActivateMapScene();
    for (const VR3ListEntry& entry : VR3ListEntries(root->FirstChildElement("StaticObjects"))) {
        const TiXmlElement* world = entry.element ? entry.element->FirstChildElement("SceneObjectWorld") : nullptr;
        const TiXmlElement* file = entry.element ? entry.element->FirstChildElement("SceneObjectFile") : nullptr;
        if (!world || !file) return false;
        const std::string name = ReadText(file);
        CDX9KelSceneObject* object = CreateSceneObjectFromFile(name.c_str());
        if (!object) {
            g_Log.Write(3, "CVR3GAMEIO::LoadHarbourMapFromXML() : CreateSceneObjectFromFile() failed\n");
            continue;
        }
        const D3DXMATRIX m = ReadXMLMatrix(world);
        if (!m_pScene || !m_pScene->AddSceneObjectInTree(map->m_BaseMap.m_iSceneTreeIndex, object)) {
            g_Log.Write(3, "CVR3GAMEIO::LoadHarbourMapFromXML() : AddSceneObjectInTree() failed\n");
            DeleteSceneObject(object);
            continue;
        }
        object->SetWorldMatrix(&m);
        object->m_bVisible = true;
        object->m_bFlag2 = true;
    }
    for (const VR3ListEntry& e : VR3ListEntries(root->FirstChildElement("Directors"))) {
        if (!e.element) continue;
        const std::string kind = e.element->Value();
        if (kind != "Human" && kind != "human") continue;
        if (!LoadHarbourPlayerDirectorHumanFromXML(e.element))
            g_Log.Write(3, "CVR3GAMEIO::LoadBattleMapFromXML() : CreateBattleMapPlayerDirectorHuman() failed\n");
    }
    return true;
}

bool CVR3GAMEIO::LoadHarbourPlayerDirectorHumanFromXML(const TiXmlElement* pDirector) {
    const TiXmlElement* nameElement = pDirector->FirstChildElement("PlayerName");
    if (!nameElement) return false;
    const std::string name = ReadText(nameElement);
    auto* human = dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(m_pHarbourMap->GetDirector(name.c_str()));
    if (!human) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadHarbourPlayerDirectorHumanFromXML() : m_pHarbourMap->GetDirector() '",
                    name.c_str(), "' failed\n");
        return false;
    }
    if (const TiXmlElement* positions = pDirector->FirstChildElement("ShipsPositions")) {
        human->m_stdvShipsPositions.clear();
        for (const VR3ListEntry& e : VR3ListEntries(positions))
            if (e.element) human->m_stdvShipsPositions.push_back(ReadXMLMatrix(e.element));
    }
    return true;
}

// ---- the hand-over between harbour and battle ----

bool CVR3GAMEIO::SetHarbourDataToBattleMap() {
    if (!m_pBattleMap || !m_pHarbourMap) return false;
    // Everything that can refuse is checked before a ship moves: a battle
    // player for each side and no more columns than start positions.
    for (CVR3GAMEHarbourMapPlayer* hp : m_pHarbourMap->m_stdvPlayers) {
        if (!hp) continue;
        if (!m_pBattleMap->GetPlayer(&hp->m_strName)) {
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SetHarbourDataToBattleMap() : m_pBattleMap->GetPlayer() failed : ",
                        hp->m_strName.c_str(), "\n");
            return false;
        }
    }
    if (!m_pHarbourMap->PrepareDataForBattleMap()) return false;
    for (CVR3GAMEHarbourMapPlayer* hp : m_pHarbourMap->m_stdvPlayers) {
        if (!hp) continue;
        CVR3GAMEBattleMapPlayer* bp = m_pBattleMap->GetPlayer(&hp->m_strName);
        if (hp->m_stdvColumns.size() > CVR3GAMEBattleMapPlayer::kStartPositions) {
            g_Log.Write(3, "%s%s%s",
                        "CVR3GAMEIO::SetHarbourDataToBattleMap() : pBattlePlayer->SetColumnsOnStartPositions() failed : ",
                        hp->m_strName.c_str(), "\n");
            return false;
        }
        if (!CopyBattlePlayerFromHarbourPlayer(hp, bp)) {
            g_Log.Write(3, "CVR3GAMEIO::SetHarbourDataToBattleMap() : CopyBattlePlayerFromHarbourPlayer() failed \n");
            return false;
        }
        if (!bp->SetColumnsOnStartPositions()) {
            g_Log.Write(3, "%s%s%s",
                        "CVR3GAMEIO::SetHarbourDataToBattleMap() : pBattlePlayer->SetColumnsOnStartPositions() failed : ",
                        hp->m_strName.c_str(), "\n");
            return false;
        }
    }
    ActivateMapEnvironment(m_pHarbourMap->m_BaseMap.m_pEnvironment, false);
    return true;
}

bool CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer(CVR3GAMEHarbourMapPlayer* pHarbourPlayer,
                                                   CVR3GAMEBattleMapPlayer* pBattlePlayer) {
    if (!pHarbourPlayer || !pBattlePlayer || !m_pScene) return false;
    for (CVR3GAMEBattleMapShipsColumn* harbourColumn : pHarbourPlayer->m_stdvColumns) {
        if (!harbourColumn) continue;
        auto column = std::make_unique<CVR3GAMEBattleMapShipsColumn>();
        for (CVR3GAMEBattleMapShip* ship : harbourColumn->m_stdvBattleShips) {
            if (!ship) continue;
            // The harbour column only names the ship; the battle column
            // takes it over.
            if (ship->m_pColumn == harbourColumn) ship->m_pColumn = nullptr;
            if (!pBattlePlayer->AddBattleMapShip(ship)) {
                g_Log.Write(3, "CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer() : pBattlePlayer->AddBattleMapShip() failed\n");
                return false;
            }
            if (!column->AddShip(ship, -1, true)) {
                g_Log.Write(3, "CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer() : pNewBattleColumn->AddShip() failed\n");
                return false;
            }
            D3DXMATRIX identity;
            D3DXMatrixIdentity(&identity);
            ship->m_pSceneObject->SetWorldMatrix(&identity);
            ship->m_pSceneObject->m_bVisible = true;
            ship->m_pSceneObject->m_bFlag2 = true;
            ship->m_pSceneObject->m_bNotOwned = false;
            if (!m_pScene->AddSceneObjectInActiveTree(ship->m_pSceneObject)) {
                g_Log.Write(3, "CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer() : m_pScene->AddSceneObjectInActiveTree() failed\n");
                return false;
            }
            if (ship->m_pAnimatedShip) ship->m_pAnimatedShip->AddEffectsToSceneTree(m_pScene->m_pActiveSceneTree, true);
        }
        if (column->m_iIndex != -1 || !pBattlePlayer->AddBattleMapShipsColumn(column.get())) {
            g_Log.Write(3, "CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer() : pBattlePlayer->AddBattleMapShipsColumn() failed\n");
            return false;
        }
        CVR3GAMEBattleMapShipsColumn* placed = column.release();
        placed->LinkShipsInLine();
        placed->UpdateSpeedLimits();
    }
    return true;
}

bool CVR3GAMEIO::SetBattleMapDataToHarbour() {
    if (!m_pBattleMap || !m_pHarbourMap || !m_pScenario) return false;
    if (!m_pBattleMap->GetPlayerDirector(&m_pScenario->ComputerPlayerName)) return false;
    if (!m_pHarbourMap->GetDirector(m_pScenario->HumanPlayerName.c_str())) return false;
    CVR3GAMEHarbourMapPlayer* human = m_pHarbourMap->GetPlayer(m_pScenario->HumanPlayerName.c_str());
    CVR3GAMEBattleMapPlayer* computerBattle = m_pBattleMap->GetPlayer(&m_pScenario->ComputerPlayerName);
    for (CVR3GAMEBattleMapPlayer* bp : m_pBattleMap->GetPlayers()) {
        if (bp && !m_pHarbourMap->GetPlayer(bp->m_strPlayerName.c_str())) {
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SetHarbourDataToBattleMap() : m_pHarbourMap->GetPlayer() failed : ",
                        bp->m_strPlayerName.c_str(), "\n");
            return false;
        }
    }
    // The enemy's lost value of this battle, before the copy clears it.
    if (human && computerBattle) human->m_iBattleResult = static_cast<int32_t>(computerBattle->m_uLostValue);
    // The harbour columns still name the ships that went to battle, sunk
    // ones too: they go before a ship comes back, and each survivor is
    // listed once by the copy below.
    for (CVR3GAMEHarbourMapPlayer* hp : m_pHarbourMap->m_stdvPlayers) {
        if (!hp) continue;
        for (CVR3GAMEBattleMapShipsColumn* c : hp->m_stdvColumns) {
            if (!c) continue;
            c->m_stdvBattleShips.clear(); // the ships are the battle's now
            delete c;
        }
        hp->m_stdvColumns.clear();
    }
    for (CVR3GAMEBattleMapPlayer* bp : m_pBattleMap->GetPlayers()) {
        if (!bp) continue;
        CVR3GAMEHarbourMapPlayer* hp = m_pHarbourMap->GetPlayer(bp->m_strPlayerName.c_str());
        if (!CopyHarbourPlayerFromBattlePlayer(bp, hp)) {
            g_Log.Write(3, "CVR3GAMEIO::SetHarbourDataToBattleMap() : CopyHarbourPlayerFromBattlePlayer() failed \n");
            return false;
        }
    }
    m_pBattleMap->DeactivateEnvironment();
    return true;
}

bool CVR3GAMEIO::CopyHarbourPlayerFromBattlePlayer(CVR3GAMEBattleMapPlayer* pBattlePlayer,
                                                   CVR3GAMEHarbourMapPlayer* pHarbourPlayer) {
    if (!pBattlePlayer || !pHarbourPlayer || !m_pScene || !m_pBattleMap) return false;
    CDXSceneTree* battleTree = m_pScene->GetSceneTree(m_pBattleMap->m_BaseMap.m_iSceneTreeIndex);
    if (!battleTree) return false;
    const float experience = pBattlePlayer->m_uSurvivingShips
                                 ? pBattlePlayer->m_fLostDurability / static_cast<float>(pBattlePlayer->m_uSurvivingShips)
                                 : 0.0f;
    const std::vector<CVR3GAMEBattleMapShip*> ships = pBattlePlayer->m_stdvBattleShips;
    for (CVR3GAMEBattleMapShip* ship : ships) {
        if (!ship || ship->m_bSunk) continue;
        if (ship->m_pPhysicalObject) {
            if (ship->m_pMovementShip)
                ship->m_pPhysicalObject->AddConstantForce(CVR3GAMEMovementShip::kDraughtForce,
                                                          &ship->m_pMovementShip->m_vForceDirection,
                                                          &ship->m_pMovementShip->m_vDraughtForcePosition, 0.0f);
            ship->m_pPhysicalObject->ResetVelocities();
        }
        if (ship->m_pMovementShip) ship->m_pMovementShip->ResetMotion();
        if (ship->m_pAnimatedShip) ship->m_pAnimatedShip->ResetEffects();
        if (ship->m_pPhysicalObject) ship->m_pPhysicalObject->SetActive(true);
        UpdateShipCrewExperience(ship, experience);
        ExtinguishShipFires(ship);
        if (ship->m_pBattleShip) ship->m_pBattleShip->Gunpowder = ship->m_pBattleShip->GunpowderLoaded;
        ship->m_bWithdrawn = false;
        ship->m_iPlayerIndex = -1;
        if (ship->m_pColumn) ship->m_pColumn->RemoveShip(ship);
        ship->m_pColumn = nullptr;
        CDX9KelSceneObject* object = ship->m_pSceneObject;
        object->m_bNotOwned = true;
        object->StopParticles();
        if (!battleTree->RemoveSceneObject(object))
            g_Log.Write(3, "CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer() : pBattleSceneTree->DeleteSceneObject() failed\n");
        if (ship->m_pAnimatedShip) ship->m_pAnimatedShip->AddEffectsToSceneTree(battleTree, false);
        if (!pHarbourPlayer->AddBattleMapShip(ship)) {
            g_Log.Write(3, "CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer() : pHarbourPlayer->AddBattleMapShip() failed\n");
            return false;
        }
        // The battle player no longer owns it: its release must not touch
        // the harbour index the ship has now.
        std::erase(pBattlePlayer->m_stdvShips, ship);
    }
    pBattlePlayer->ReleaseBattleObjects();
    return true;
}

} // namespace SeaBattle
