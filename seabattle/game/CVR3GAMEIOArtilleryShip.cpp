// Artillery-object files ("artobjxml"): the ship's artillery parts, matched
// by position with the damage-model parts and the animated platforms, with
// their sectors and a gun node for every gun, barrel and sub-gun.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEIOCreate.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

void ReadSectors(const TiXmlElement* list, std::vector<ShipSector>& out) {
    for (const VR3ListEntry& e : VR3ListEntries(list)) {
        if (!e.element)
            continue;
        ShipSector s;
        ReadXMLShipSector(e.element, &s);
        out.push_back(s);
    }
}

} // namespace

CVR3GAMEArtilleryShip* CVR3GAMEIO::CreateArtilleryShip(const char* fileName, CVR3GAMEBattleSystemShip* pBattleShip,
                                                       CVR3GAMEAnimatedShip* pAnimatedShip) {
    if (!fileName || !*fileName)
        return nullptr;
    auto* ship = new CVR3GAMEArtilleryShip();
    TiXmlDocument doc;
    const EReadResult read = ReadKindFile(VR3_KIND_ARTILLERY_OBJECT, FOLDER_ARTILLERY_OBJECTS, fileName,
                                          "CVR3GAMEIO::CreateArtilleryShip()", doc);
    // The stored text of the artillery reader's failure names the battle reader.
    if (!KeepLoadedObject(read, ship, "CVR3GAMEIO::CreateArtilleryShip() : LoadBattleSystemShipFromXML() failed",
                          [&] { return LoadArtilleryShipFromXML(doc, pBattleShip, pAnimatedShip, ship); }))
        return nullptr;
    ship->m_strName = fileName;
    return ship;
}

bool CVR3GAMEIO::LoadArtilleryShipFromXML(const TiXmlDocument& doc, CVR3GAMEBattleSystemShip* pBattleShip,
                                          CVR3GAMEAnimatedShip* pAnimatedShip, CVR3GAMEArtilleryShip* pArtilleryShip) {
    const TiXmlElement* root = doc.FirstChildElement("ArtilleryShip");
    if (!root || !pArtilleryShip)
        return false;
    const TiXmlElement* parts = root->FirstChildElement("Parts");
    if (!parts) {
        g_Log.Write(3, "CVR3GAMEIO::LoadArtilleryShipFromXML() : not found parts node\n");
        return false;
    }
    // Without both aspects nothing can be matched.
    if (!pBattleShip || !pAnimatedShip)
        return false;
    const size_t damageParts = pBattleShip->Parts.size();
    if (damageParts != pAnimatedShip->m_vPlatformParts.size()) {
        g_Log.Write(3, "CVR3GAMEIO::LoadArtilleryShipFromXML() : battle object and animated object not coincide\n");
        return false;
    }
    size_t k = 0;
    for (const VR3ListEntry& e : VR3ListEntries(parts)) {
        if (k >= damageParts) {
            g_Log.Write(3, "CVR3GAMEIO::LoadArtilleryShipFromXML() : artillery object contains superfluous parts\n");
            return true;
        }
        CreateArtilleryPartFromXML(e.element, pAnimatedShip->m_vPlatformParts[k], pBattleShip->Parts[k],
                                   pArtilleryShip);
        ++k;
    }
    if (pArtilleryShip->m_vParts.size() != damageParts) {
        g_Log.Write(3, "CVR3GAMEIO::LoadArtilleryShipFromXML() : battle object and artillery object not coincide\n");
        return false;
    }
    return true;
}

bool CVR3GAMEIO::CreateArtilleryPartFromXML(const TiXmlElement* pPart, CVR3GAMEAnimatedPart* pPlatform,
                                            CBattleSystemShipPart* pDamagePart,
                                            CVR3GAMEArtilleryShip* pArtilleryShip) {
    if (!pArtilleryShip)
        return false;
    auto* part = new CArtilleryPart();
    pArtilleryShip->m_vParts.push_back(part);
    part->m_pAnimatedPart = pPlatform;
    part->m_pDamageElement = pDamagePart;
    // A node that is not an element holds no centre.
    const TiXmlElement* center = pPart ? pPart->FirstChildElement("Center") : nullptr;
    if (!center || !pPlatform || !pDamagePart)
        return false;
    part->Center = ReadXMLAttributeVector3(center);
    ReadSectors(pPart->FirstChildElement("DamageSectors"), part->DamageSectors);
    ReadSectors(pPart->FirstChildElement("BombardSectors"), part->BombardSectors);
    const size_t subParts = pPlatform->m_vSubParts.size();
    if (subParts != pDamagePart->Guns.size()) {
        g_Log.Write(3, "CVR3GAMEIO::CreateArtilleryPartFromXML() : battle object and animated object not coincide\n");
        return false;
    }
    size_t g = 0;
    for (const VR3ListEntry& e : VR3ListEntries(pPart->FirstChildElement("Guns"))) {
        if (g >= subParts) {
            g_Log.Write(3, "CVR3GAMEIO::CreateArtilleryPartFromXML() : artillery object contains superfluous guns\n");
            return true;
        }
        const TiXmlElement* angles = e.element ? e.element->FirstChildElement("BobmardAngles") : nullptr;
        if (!angles) {
            g_Log.Write(3, "CVR3GAMEIO::CreateArtilleryPartFromXML() : artillery ship gun node not contain "
                           "bombardment angles \n");
            continue;
        }
        CreateArtilleryGunFromXML(part, pPlatform->m_vSubParts[g], &pDamagePart->Guns[g],
                                  ReadXMLAttributeVector4(angles));
        ++g;
    }
    return true;
}

bool CVR3GAMEIO::CreateArtilleryGunFromXML(CArtilleryPart* pParent, CVR3GAMEAnimatedPart* pSubPart,
                                           CBattleSystemShipGun* pGun, const D3DXVECTOR4& angles) {
    if (!pParent)
        return false;
    auto* node = new CArtilleryPart();
    pParent->m_vChildren.push_back(node);
    node->m_pAnimatedPart = pSubPart;
    node->m_pDamageElement = pGun;
    node->BombardAngles = angles;
    if (pSubPart)
        for (CVR3GAMEAnimatedPart* s : pSubPart->m_vSubParts)
            CreateArtilleryGunFromXML(node, s, pGun, angles);
    return true;
}

} // namespace SeaBattle
