// Movement objects ("movobjxml"), battle (damage-model) objects
// ("btlobjxml") and the artillery list ("artlstxml").
#include <cstring>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEIOCreate.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

void ReadFloat(const TiXmlElement* parent, const char* name, float& field) {
    if (const TiXmlElement* e = parent->FirstChildElement(name))
        field = ReadXMLFloat(e);
}

void ReadInt(const TiXmlElement* parent, const char* name, int32_t& field) {
    if (const TiXmlElement* e = parent->FirstChildElement(name))
        field = ReadXMLInt(e);
}

void ReadBool(const TiXmlElement* parent, const char* name, bool& field) {
    if (const TiXmlElement* e = parent->FirstChildElement(name))
        field = ReadXMLBool(e);
}

void ReadRect(const TiXmlElement* parent, const char* name, CBattleFloatRect& field) {
    if (const TiXmlElement* e = parent->FirstChildElement(name)) {
        const FloatRect r = ReadXMLRect(e);
        field = {r.left, r.top, r.right, r.bottom};
    }
}

// Copies `text` into a fixed text field, cut to its size.
template <size_t N> void CopyCut(char (&field)[N], const char* text) {
    std::strncpy(field, text ? text : "", N - 1);
    field[N - 1] = '\0';
}

} // namespace

// ---- movement ----

CVR3GAMEMovementShip* CVR3GAMEIO::CreateMovementShipFromFile(const char* fileName) {
    if (!fileName || !*fileName)
        return nullptr;
    auto* ship = new CVR3GAMEMovementShip();
    TiXmlDocument doc;
    const EReadResult read = ReadKindFile(VR3_KIND_MOVEMENT_OBJECT, FOLDER_MOVEMENT_OBJECTS, fileName,
                                          "CVR3GAMEIO::CreateMovementShipFromFile()", doc);
    if (!KeepLoadedObject(read, ship, "CVR3GAMEIO::CreateMovementShipFromFile() : LoadMovementShipFromXML() failed",
                          [&] { return LoadMovementShipFromXML(doc, ship); }))
        return nullptr;
    ship->m_strName = fileName;
    return ship;
}

bool CVR3GAMEIO::LoadMovementShipFromXML(const TiXmlDocument& doc, CVR3GAMEMovementShip* pShip) {
    const TiXmlElement* root = doc.FirstChildElement("MovementShip");
    if (!root || !pShip)
        return false;
    // Every element is required; the read stops at the first one missing.
    const TiXmlElement* e = root->FirstChildElement("Mass");
    if (!e)
        return false;
    pShip->m_fMass = ReadXMLFloat(e);
    if (!(e = root->FirstChildElement("MaxSpeed")))
        return false;
    pShip->m_fMaxSpeedXML = pShip->m_fMaxSpeed = ReadXMLFloat(e);
    if (!(e = root->FirstChildElement("MinSpeed")))
        return false;
    pShip->m_fMinSpeedXML = pShip->m_fMinSpeed = ReadXMLFloat(e);
    if (!(e = root->FirstChildElement("MaxRotAngle")))
        return false;
    pShip->m_fMaxRotAngle = ReadXMLFloat(e);
    if (!(e = root->FirstChildElement("MaxDraughtForce")))
        return false;
    pShip->m_fMaxDraughtForce = pShip->m_fMaxForce = ReadXMLFloat(e);
    if (!(e = root->FirstChildElement("MaxDraughtForceInstTime")))
        return false;
    pShip->m_fMaxDraughtForceInstTime = ReadXMLFloat(e);
    if (!(e = root->FirstChildElement("DraughtForcePosition")))
        return false;
    pShip->m_vDraughtForcePosition = ReadXMLAttributeVector3(e);
    return true;
}

// ---- artillery list ----

bool CVR3GAMEIO::LoadBattleArtilleryList(const char* fileName) {
    TiXmlDocument doc;
    switch (ReadKindFile(VR3_KIND_ARTILLERY_LIST, FOLDER_ARTILLERY_LISTS, fileName,
                         "CVR3GAMEIO::LoadBattleArtilleryList()", doc)) {
    case READ_BINARY:
        return true;
    case READ_FAILED:
        return false;
    default:
        break;
    }
    if (!LoadBattleArtilleryFromXML(doc)) {
        g_Log.Write(3, "CVR3GAMEIO::LoadBattleArtilleryList() : LoadBattleArtilleryFromXML() failed\n");
        return false;
    }
    return true;
}

bool CVR3GAMEIO::LoadBattleArtilleryFromXML(const TiXmlDocument& doc) {
    const TiXmlElement* root = doc.FirstChildElement("Artillery");
    if (!root)
        return false;
    std::vector<CBattleArtilleryType>& list = BattleProcessingState::Get().ArtilleryTypes;
    list.clear();
    for (const VR3ListEntry& entry : VR3ListEntries(root)) {
        list.emplace_back();
        CBattleArtilleryType& t = list.back();
        // A node that is not an element gives an entry without tag, which no
        // gun names.
        const TiXmlElement* e = entry.element;
        if (!e)
            continue;
        CopyCut(t.Tag, e->Value());
        if (const TiXmlElement* name = e->FirstChildElement("Name")) {
            std::string text;
            ReadXMLString(name, true, text);
            CopyCut(t.Name, text.c_str());
        }
        ReadFloat(e, "RechargeSpeed", t.RechargeSpeed);
        ReadFloat(e, "BombardRange", t.BombardRange);
        ReadFloat(e, "FallAccuracy", t.FallAccuracy);
        ReadFloat(e, "BeginArmourPirce", t.BeginArmourPirce);
        ReadFloat(e, "FallArmourPirce", t.FallArmourPirce);
        ReadInt(e, "HoleProbability", t.HoleProbability);
        ReadFloat(e, "BeginShellSpeed", t.BeginShellSpeed);
        ReadFloat(e, "Damage", t.Damage);
        ReadFloat(e, "DamageToWaterFactor", t.DamageToWaterFactor);
    }
    return true;
}

// ---- battle (damage-model) object ----

CVR3GAMEBattleSystemShip* CVR3GAMEIO::CreateBattleSystemShip(const char* fileName) {
    if (!fileName || !*fileName)
        return nullptr;
    auto* ship = new CVR3GAMEBattleSystemShip();
    TiXmlDocument doc;
    const EReadResult read = ReadKindFile(VR3_KIND_BATTLE_OBJECT, FOLDER_BATTLE_OBJECTS, fileName,
                                          "CVR3GAMEIO::CreateBattleSystemShip()", doc);
    if (!KeepLoadedObject(read, ship, "CVR3GAMEIO::CreateBattleSystemShip() : LoadBattleSystemShipFromXML() failed",
                          [&] { return LoadBattleSystemShipFromXML(doc, ship); }))
        return nullptr;
    ship->Name = fileName;
    return ship;
}

bool CVR3GAMEIO::LoadBattleSystemShipFromXML(const TiXmlDocument& doc, CVR3GAMEBattleSystemShip* pShip) {
    const TiXmlElement* root = doc.FirstChildElement("BattleShip");
    if (!root || !pShip)
        return false;
    ReadInt(root, "Gunpowder", pShip->Gunpowder);
    pShip->GunpowderLoaded = pShip->Gunpowder;
    ReadFloat(root, "CrewTraining", pShip->CrewTraining);
    ReadInt(root, "Displacement", pShip->Displacement);
    ReadFloat(root, "Pomp", pShip->Pomp);
    ReadBool(root, "RamAttack", pShip->RamAttack);
    ReadBool(root, "RamImmunity", pShip->RamImmunity);
    ReadFloat(root, "ExpLevel1", pShip->ExpLevel1);
    ReadFloat(root, "ExpLevel2", pShip->ExpLevel2);
    ReadFloat(root, "ExpLevel3", pShip->ExpLevel3);
    ReadFloat(root, "CrewTrainingLevel1", pShip->CrewTrainingLevel1);
    ReadFloat(root, "CrewTrainingLevel2", pShip->CrewTrainingLevel2);
    ReadFloat(root, "CrewTrainingLevel3", pShip->CrewTrainingLevel3);
    const TiXmlElement* parts = root->FirstChildElement("Parts");
    if (!parts) {
        g_Log.Write(3, "CVR3GAMEIO::LoadBattleSystemShipFromXML() : not found parts node\n");
        return false;
    }
    for (const VR3ListEntry& e : VR3ListEntries(parts))
        CreateBattleSystemShipPartFromXML(e.element, pShip);
    return true;
}

bool CVR3GAMEIO::CreateBattleSystemShipPartFromXML(const TiXmlElement* pPart, CVR3GAMEBattleSystemShip* pShip) {
    if (!pShip)
        return false;
    // Appended first: a part's index is its role, so every entry takes one,
    // and a node that is not an element leaves a part with its start values.
    auto* part = new CBattleSystemShipPart();
    pShip->Parts.push_back(part);
    if (!pPart)
        return false;
    ReadFloat(pPart, "Durability", part->Durability);
    ReadFloat(pPart, "Buoyancy", part->Buoyancy);
    ReadFloat(pPart, "Length", part->Length);
    ReadFloat(pPart, "Height", part->Height);
    ReadFloat(pPart, "Waterline", part->InitialWaterline);
    part->Waterline = part->InitialWaterline;
    ReadInt(pPart, "IgnitionFactor", part->IgnitionFactor);
    ReadFloat(pPart, "Armour1", part->Armour1);
    ReadRect(pPart, "ArmourRect1", part->ArmourRect1);
    ReadFloat(pPart, "Armour2", part->Armour2);
    ReadRect(pPart, "ArmourRect2", part->ArmourRect2);
    ReadBool(pPart, "DurabilityChangeSpeed", part->DurabilityChangeSpeed);
    for (const VR3ListEntry& e : VR3ListEntries(pPart->FirstChildElement("Guns")))
        CreateBattleSystemGunFromXML(e.node, part);
    return true;
}

bool CVR3GAMEIO::CreateBattleSystemGunFromXML(const TiXmlNode* pGun, CBattleSystemShipPart* pPart) {
    if (!pGun || !pPart)
        return false;
    pPart->Guns.emplace_back();
    CBattleSystemShipGun& gun = pPart->Guns.back();
    const TiXmlElement* element = pGun->ToElement();
    const char* tag = element ? element->Value() : "";
    if (!element || !FindArtilleryTypeByTag(&BattleProcessingState::Get().ArtilleryTypes, tag, &gun)) {
        g_Log.Write(2, "%s%s%s", "CVR3GAMEIO::CreateBattleSystemGunFromXML() : not found gun with teg: ", tag, "\n");
        return false;
    }
    if (!(gun.BeginShellSpeed > 0.0f))
        g_Log.Write(2, "%s%s%s", "CVR3GAMEIO::CreateBattleSystemGunFromXML() : gun without shell speed never fires: ",
                    tag, "\n");
    ReadInt(element, "Shells", gun.Shells);
    ReadFloat(element, "Height", gun.Height);
    gun.CurrentRecharge = gun.RechargeSpeed;
    return true;
}

} // namespace SeaBattle
