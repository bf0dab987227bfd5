// Duel files ("duelxml"): the duel's names and screens, its battle map and
// artillery lists, and per player the money and the ship types on offer.
// Every element of the root is required; a missing one fails the duel.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/PhysicsSceneSlot.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMEScenario.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

// A required text element of the root, localised.
bool ReadRequired(const TiXmlElement* root, const char* name, std::string& out) {
    return ReadXMLString(root->FirstChildElement(name), true, out);
}

} // namespace

bool CVR3GAMEIO::LoadDuelFromFile(const char* fileName) {
    if (!m_pBattleMap || !m_pDuel || !fileName || !*fileName) return false;
    // A duel and a scenario never run together: the scenario stops here, so
    // that nothing of the duel is taken for the scenario's (its results, its
    // saves, its harbour).
    if (m_pScenario) m_pScenario->Clear();
    const EVR3GAMEFileForm form = GetFileForm(VR3_KIND_DUEL, fileName);
    if (form == VR3_FORM_BINARY) {
        m_pDuel->m_strFileName = fileName;
        return true;
    }
    if (form != VR3_FORM_TEXT) {
        g_Log.Write(3, "CVR3GAMEIO::LoadDuelFromFile() : file expansion parser not defined\n");
        return false;
    }
    TiXmlDocument doc;
    if (ReadKindFile(VR3_KIND_DUEL, FOLDER_DUEL, fileName, "CVR3GAMEIO::LoadDuelFromFile()", doc) != READ_DOCUMENT)
        return false;
    m_pDuel->Clear();
    if (!LoadDuelDataFromXML(doc)) {
        g_Log.Write(3, "CVR3GAMEIO::LoadDuelFromFile() : LoadDuelDataFromXML() failed for file : %s\n",
                    MakePath(FOLDER_DUEL, fileName).c_str());
        // A duel that failed half way is not kept.
        m_pDuel->Clear();
        return false;
    }
    m_pDuel->m_strFileName = fileName;
    return true;
}

bool CVR3GAMEIO::LoadDuelDataFromXML(const TiXmlDocument& doc) {
    if (!m_pDuel) return false;
    ClearGameWorld();
    const TiXmlElement* root = doc.RootElement();
    if (!root) return false;
    CVR3GAMEDuel& duel = *m_pDuel;
    duel.m_pScene = m_pScene;
    std::string shipsTypesCount;
    if (!ReadRequired(root, "DuelName", duel.m_strDuelName) ||
        !ReadRequired(root, "DuelHumanName", duel.m_strHumanName) ||
        !ReadRequired(root, "DuelComputerName", duel.m_strComputerName) ||
        !ReadRequired(root, "ScreenLoad", duel.m_strScreenLoad) ||
        !ReadRequired(root, "ScreenDuel", duel.m_strScreenDuel) ||
        !ReadRequired(root, "ScreenDuelEnd", duel.m_strScreenDuelEnd) ||
        !ReadRequired(root, "ScreenBattle", duel.m_strScreenBattle))
        return false;
    Vorna3D::CVR3CIIScreen* battleScreen = duel.FindScreen(duel.m_strScreenBattle);
    if (!battleScreen) {
        g_Log.Write(3, "CVR3GAMEIO::LoadDuelDataFromXML() : not found BattleMap screen :%s\n",
                    duel.m_strScreenBattle.c_str());
        return false;
    }
    if (m_pBattleMap) m_pBattleMap->m_pBattleScreen = battleScreen;
    if (!ReadRequired(root, "ScreenBattleEnd", duel.m_strScreenBattleEnd) ||
        !ReadRequired(root, "BattleMap", duel.m_strBattleMap) ||
        !ReadRequired(root, "ShipsTypesCount", shipsTypesCount) || !ReadRequired(root, "Money", duel.m_strMoney))
        return false;
    duel.m_iShipsTypesCount = ReadXMLInt(root->FirstChildElement("ShipsTypesCount"));

    const TiXmlElement* lists = root->FirstChildElement("ArtilleryLists");
    if (!lists) {
        g_Log.Write(3, "CVR3GAMEIO::LoadDuelDataFromXML() : not found xml node ''ArtilleryLists''\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(lists)) {
        std::string name;
        if (e.element) ReadXMLString(e.element, false, name);
        duel.m_stdvArtilleryLists.push_back(name);
    }
    const TiXmlElement* players = root->FirstChildElement("Players");
    if (!players) {
        g_Log.Write(3, "CVR3GAMEIO::LoadDuelDataFromXML() : not found xml node ''Players''\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(players)) {
        if (!LoadDuelPlayerDataFromXML(e.element)) {
            g_Log.Write(3, "CVR3GAMEIO::LoadDuelDataFromXML() : LoadDuelPlayerDataFromXML() failed\n");
            return false;
        }
    }
    if (!duel.Prepare()) {
        g_Log.Write(3, "CVR3GAMEIO::LoadDuelDataFromXML() : m_pDuel->Prepare() failed\n");
        return false;
    }
    return true;
}

bool CVR3GAMEIO::LoadDuelPlayerDataFromXML(const TiXmlElement* pPlayer) {
    if (!pPlayer || !m_pDuel) return false;
    std::string name, screen, money;
    if (!ReadXMLString(pPlayer->FirstChildElement("PlayerName"), true, name)) return false;
    if (!ReadXMLString(pPlayer->FirstChildElement("Screen"), false, screen)) return false;
    if (!ReadXMLString(pPlayer->FirstChildElement("Money"), false, money)) return false;
    CVR3GAMEDuelPlayerDirector* director = nullptr;
    if (m_pDuel->CreatePlayer(name.c_str())) director = m_pDuel->CreateDirector(name.c_str(), m_pScene);
    if (!director) {
        g_Log.Write(3, "CVR3GAMEIO::LoadDuelPlayerDataFromXML() : m_pDuel->CreatePlayer() failed\n");
        return false;
    }
    director->m_strScreen = screen;
    // Negative sums are no money at all.
    const int value = ReadXMLInt(pPlayer->FirstChildElement("Money"));
    director->m_dwStartMoney = value > 0 ? static_cast<uint32_t>(value) : 0;
    director->m_dwMoney = director->m_dwStartMoney;
    for (const VR3ListEntry& e : VR3ListEntries(pPlayer->FirstChildElement("ShipsTypes"))) {
        if (!CreateDuelPayerDirectorShipTypeFromXML(e.element, director))
            g_Log.Write(2, "CVR3GAMEIO::LoadDuelPlayerDataFromXML() : CreateDuelPayerDirectorShipTypeFromXML() failed\n");
    }
    return true;
}

bool CVR3GAMEIO::CreateDuelPayerDirectorShipTypeFromXML(const TiXmlElement* pType,
                                                       CVR3GAMEDuelPlayerDirector* pDirector) {
    if (!pType || !pDirector) return false;
    const TiXmlElement* info = pType->FirstChildElement("InfoObjectFile");
    std::string infoFile;
    if (!ReadXMLString(info, false, infoFile)) {
        g_Log.Write(3, "CVR3GAMEIO::CreateDuelPayerDirectorShipTypeFromXML() : not found 'InfoFile' attribute\n");
        return false;
    }
    CVR3GAMEInformationShip* record = CreateInformationShip(infoFile.c_str());
    if (!record) {
        g_Log.Write(3, "CVR3GAMEIO::CreateDuelPayerDirectorShipTypeFromXML() : CreateInformationShip() failed\n");
        return false;
    }
    auto* type = new CVR3GAMEDuelShipType();
    type->m_pInfo = record;
    type->m_strFiles[CVR3GAMEDuelShipType::FILE_INFO] = infoFile;
    static constexpr const char* kFollowing[] = {"SceneObjectFile", "MovementObjectFile", "AnimatedObjectFile",
                                                 "BattleObjectFile", "ArtilleryObjectFile"};
    // Each file element follows the one before it.
    const TiXmlElement* last = info;
    for (int i = 0; i < 5; ++i) {
        const TiXmlElement* e = last ? last->NextSiblingElement(kFollowing[i]) : nullptr;
        if (e) {
            ReadXMLString(e, false, type->m_strFiles[i + 1]);
            last = e;
        }
    }
    pDirector->m_stdvShipTypes.push_back(type);
    return true;
}

} // namespace SeaBattle
