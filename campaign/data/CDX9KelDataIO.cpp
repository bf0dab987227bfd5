#include "campaign/data/CDX9KelDataIO.h"

#include "campaign/data/DataFiles.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/XMLValues.h"
#include "platform/os/Paths.h"

#include <cmath>
#include <cstring>
#include <set>
#include <tinyxml.h>

namespace VornaCampaign {

using Vorna2::g_Log;
using Vorna2::LOG_ERROR;
using Vorna2::LOG_INFO;

CDX9KelDataIO g_DataIO;

namespace {

// Sizes of the map file's parts.
constexpr std::size_t kMatrixBytes = 64;
constexpr std::size_t kStaticRecordBytes = sizeof(MapStaticObjectRecord);
constexpr std::size_t kUnitRecordBytes = sizeof(MapUnitRecord);
// A column holds at least its speed and its ship count.
constexpr std::size_t kColumnMinBytes = 8;

void MapError(const char* what, const char* path) {
    g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadGameMap : %s : %s\n", what, path);
}

bool Finite(const float* v, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (!std::isfinite(v[i])) return false;
    return true;
}

// A count followed by `count` items of at least `itemBytes` each: the count
// must stay within `cap` and the items must fit in what is left.
bool CountFits(const MapFileReader& file, std::uint32_t count, std::size_t itemBytes, std::uint32_t cap) {
    return count <= cap && static_cast<std::uint64_t>(count) * itemBytes <= file.Remaining();
}

bool ReadMatrices(MapFileReader& file, std::uint32_t count, std::vector<D3DXMATRIX>& out) {
    out.resize(count);
    for (D3DXMATRIX& m : out) {
        float f[16];
        for (float& v : f)
            if (!file.ReadFloat(v)) return false;
        if (!Finite(f, 16)) return false;
        std::memcpy(&m, f, sizeof f);
    }
    return true;
}

bool ReadVector(MapFileReader& file, D3DXVECTOR3& v) {
    return file.ReadFloat(v.x) && file.ReadFloat(v.y) && file.ReadFloat(v.z);
}

// The seven fields that statics and units share.
template <class Record>
bool ReadObjectTexts(MapFileReader& file, Record& r) {
    return file.ReadText(r.m_szName) && file.ReadText(r.m_szModel1) && file.ReadText(r.m_szModel2) &&
           file.ReadText(r.m_szModel3) && file.ReadText(r.m_szEffect1) && file.ReadText(r.m_szEffect2) &&
           file.ReadText(r.m_szEffect3);
}

// The first file name of the record that may not be joined to a folder, or
// null when all are safe.
template <class Record>
const char* UnsafeFileName(const Record& r) {
    for (const char* name : {r.m_szModel1, r.m_szModel2, r.m_szModel3, r.m_szEffect1, r.m_szEffect2, r.m_szEffect3})
        if (!IsSafeDataFileName(name)) return name;
    return nullptr;
}

} // namespace

GunType::GunType() { std::memset(m_szName, 0, sizeof m_szName); }

const GunType* FindGunType(const std::vector<GunType>& table, const char* name) {
    for (const GunType& type : table)
        if (Vorna2::CDX9KelUtils::GetIdenticalString(type.m_szName, name)) return &type;
    return nullptr;
}

// ---- MapFileReader ----

bool MapFileReader::ReadBytes(void* out, std::size_t n) {
    if (n > Remaining()) return false;
    std::memcpy(out, m_bytes.data() + m_pos, n);
    m_pos += n;
    return true;
}

bool MapFileReader::ReadU32(std::uint32_t& out) {
    unsigned char b[4];
    if (!ReadBytes(b, 4)) return false;
    out = static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
          static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
    return true;
}

bool MapFileReader::ReadFloat(float& out) {
    std::uint32_t bits;
    if (!ReadU32(bits)) return false;
    std::memcpy(&out, &bits, sizeof out);
    return true;
}

bool MapFileReader::ReadText(char (&out)[kRecordTextSize]) {
    char raw[kRecordTextSize];
    if (!ReadBytes(raw, sizeof raw)) return false;
    SetRecordText(out, RecordText(raw).c_str());
    return true;
}

// ---- binary map file ----

bool CDX9KelDataIO::ReadGameMap(const char* path, MapDescriptionRecord* description,
                                std::vector<D3DXMATRIX>* staticMatrices, std::vector<MapUnitRecord>* units,
                                std::vector<D3DXMATRIX>* unitMatrices, std::vector<MapColumnRecord>* columns) {
    if (!path || !description || !staticMatrices) return false;
    std::string bytes;
    if (!Platform::ReadFile(path, bytes, kMaxMapFileBytes)) {
        MapError("file not read", path);
        return false;
    }
    return ReadGameMapBytes(bytes, path, description, staticMatrices, units, unitMatrices, columns);
}

bool CDX9KelDataIO::ReadGameMapBytes(const std::string& bytes, const char* path, MapDescriptionRecord* description,
                                     std::vector<D3DXMATRIX>* staticMatrices, std::vector<MapUnitRecord>* units,
                                     std::vector<D3DXMATRIX>* unitMatrices, std::vector<MapColumnRecord>* columns) {
    if (!path) path = "";
    if (!description || !staticMatrices) return false;
    if (units && !unitMatrices) return false;
    MapFileReader file(bytes);

    // Everything goes into these first; the caller's records change only
    // when the whole file read cleanly.
    MapDescriptionRecord desc;
    std::vector<D3DXMATRIX> statics;
    std::vector<MapUnitRecord> unitList;
    std::vector<D3DXMATRIX> unitPlaces;
    std::vector<MapColumnRecord> columnList;

    float sun[6], water[4];
    bool header = file.ReadText(desc.m_szName) && ReadVector(file, desc.m_vSceneMin) &&
                  ReadVector(file, desc.m_vSceneMax) && ReadVector(file, desc.m_vMapMin) &&
                  ReadVector(file, desc.m_vMapMax) && file.ReadText(desc.m_szSkyTexture);
    for (float& v : sun) header = header && file.ReadFloat(v);
    header = header && file.ReadText(desc.m_szWaterTexture);
    for (float& v : water) header = header && file.ReadFloat(v);
    std::uint32_t staticCount = 0;
    if (!header || !file.ReadU32(staticCount)) {
        MapError("file ends inside the header", path);
        return false;
    }
    desc.m_fSunShininess = sun[0];
    desc.m_fSunStrength = sun[1];
    desc.m_vSunColor = D3DXVECTOR4(sun[2], sun[3], sun[4], sun[5]);
    desc.m_fWaterAmplitude = water[0];
    desc.m_vWaterColor = D3DXVECTOR3(water[1], water[2], water[3]);
    const float* vectors[] = {&desc.m_vSceneMin.x, &desc.m_vSceneMax.x, &desc.m_vMapMin.x, &desc.m_vMapMax.x};
    bool finite = Finite(sun, 6) && Finite(water, 4);
    for (const float* v : vectors) finite = finite && Finite(v, 3);
    if (!finite) {
        MapError("header holds a value that is not a number", path);
        return false;
    }
    if (!IsSafeDataFileName(desc.m_szSkyTexture) || !IsSafeDataFileName(desc.m_szWaterTexture)) {
        MapError("header names a texture outside its folder", path);
        return false;
    }

    // Static objects and their placements.
    if (!CountFits(file, staticCount, kStaticRecordBytes + kMatrixBytes, kMaxStaticObjects)) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadGameMap : static object count %u is more than the file holds : %s\n",
                    staticCount, path);
        return false;
    }
    desc.m_stdvStaticObjects.resize(staticCount);
    for (MapStaticObjectRecord& r : desc.m_stdvStaticObjects) {
        ReadObjectTexts(file, r);
        if (const char* bad = UnsafeFileName(r)) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadGameMap : static object %s names an unsafe file \"%s\" : %s\n",
                        r.m_szName, bad, path);
            return false;
        }
    }
    if (!ReadMatrices(file, staticCount, statics)) {
        MapError("a static object's placement is not a number", path);
        return false;
    }

    if (units) {
        std::uint32_t unitCount = 0;
        if (!file.ReadU32(unitCount)) {
            MapError("file ends before the unit count", path);
            return false;
        }
        if (!CountFits(file, unitCount, kUnitRecordBytes + kMatrixBytes, kMaxUnits)) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadGameMap : unit count %u is more than the file holds : %s\n",
                        unitCount, path);
            return false;
        }
        unitList.resize(unitCount);
        std::set<std::string> names;
        for (MapUnitRecord& r : unitList) {
            ReadObjectTexts(file, r);
            file.ReadText(r.m_szDescriptionFile);
            file.ReadText(r.m_szSide);
            const char* bad = UnsafeFileName(r);
            if (!bad && !IsSafeDataFileName(r.m_szDescriptionFile)) bad = r.m_szDescriptionFile;
            if (bad) {
                g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadGameMap : unit %s names an unsafe file \"%s\" : %s\n",
                            r.m_szName, bad, path);
                return false;
            }
            if (!names.insert(r.m_szName).second) {
                g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadGameMap : unit name %s is used twice : %s\n",
                            r.m_szName, path);
                return false;
            }
        }
        if (!ReadMatrices(file, unitCount, unitPlaces)) {
            MapError("a unit's placement is not a number", path);
            return false;
        }
        if (columns && unitCount != 0 && !ReadColumns(file, &columnList, path)) return false;
    }

    *description = std::move(desc);
    *staticMatrices = std::move(statics);
    if (units) {
        *units = std::move(unitList);
        *unitMatrices = std::move(unitPlaces);
        if (columns && !units->empty()) *columns = std::move(columnList);
        else if (columns) columns->clear();
    }
    return true;
}

bool CDX9KelDataIO::ReadColumns(MapFileReader& file, std::vector<MapColumnRecord>* columns, const char* path) {
    if (!columns) return false;
    if (!path) path = "";
    std::uint32_t count = 0;
    if (!file.ReadU32(count)) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadColumns : file ends before the column count : %s\n", path);
        return false;
    }
    if (!CountFits(file, count, kColumnMinBytes, kMaxColumns)) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadColumns : column count %u is more than the file holds : %s\n",
                    count, path);
        return false;
    }
    std::vector<MapColumnRecord> read(count);
    for (MapColumnRecord& column : read) {
        std::uint32_t ships = 0;
        if (!file.ReadFloat(column.m_fSpeed) || !file.ReadU32(ships)) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadColumns : file ends inside a column : %s\n", path);
            return false;
        }
        if (!std::isfinite(column.m_fSpeed)) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadColumns : column speed is not a number : %s\n", path);
            return false;
        }
        if (ships == 0) {
            g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelDataIO::ReadColumns : empty colomn is written \n");
            continue;
        }
        if (!CountFits(file, ships, kRecordTextSize, kMaxColumnShips)) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::ReadColumns : ship count %u is more than the file holds : %s\n",
                        ships, path);
            return false;
        }
        column.m_stdvShipNames.reserve(ships);
        for (std::uint32_t i = 0; i < ships; ++i) {
            char name[kRecordTextSize];
            file.ReadText(name);
            column.m_stdvShipNames.emplace_back(name);
        }
    }
    *columns = std::move(read);
    return true;
}

// ---- artillery list ----

bool CDX9KelDataIO::LoadArtillery(const char* path, std::vector<GunType>* table) {
    if (!path || !table) return false;
    table->clear();
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadArtillery : xml file not read : %s\n", path);
        return false;
    }
    return LoadArtilleryDocument(doc, path, table);
}

bool CDX9KelDataIO::LoadArtilleryDocument(const TiXmlDocument& doc, const char* path, std::vector<GunType>* table) {
    if (!path || !table) return false;
    table->clear();
    const TiXmlElement* root = doc.RootElement();
    if (!root || std::strcmp(root->Value(), "Artillery") != 0) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadArtillery : no Artillery element : %s\n", path);
        return false;
    }
    static const char* const kValues[] = {"BombardSpeed", "BombardRange", "FallAccuracy",
                                          "BeginArmourPirce", "FallArmourPirce", "Damage"};
    for (const TiXmlNode* node = root->FirstChild(); node; node = node->NextSibling()) {
        if (table->size() >= kMaxGunTypes) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadArtillery : more than %zu gun types : %s\n",
                        kMaxGunTypes, path);
            return false;
        }
        GunType type;
        const TiXmlNode* values[6];
        bool complete = node->Type() == TiXmlNode::TINYXML_ELEMENT;
        for (int i = 0; i < 6 && complete; ++i) {
            values[i] = node->FirstChildElement(kValues[i]);
            complete = values[i] != nullptr;
        }
        if (!complete) return false;
        type.m_iBombardSpeed = Vorna2::ReadXMLInt(values[0]);
        type.m_iBombardRange = Vorna2::ReadXMLInt(values[1]);
        type.m_fFallAccuracy = Vorna2::ReadXMLFloat(values[2]);
        type.m_iBeginArmourPierce = Vorna2::ReadXMLInt(values[3]);
        type.m_fFallArmourPierce = Vorna2::ReadXMLFloat(values[4]);
        type.m_iDamage = Vorna2::ReadXMLInt(values[5]);
        SetRecordText(type.m_szName, node->Value());
        table->push_back(type);
    }
    return true;
}

// ---- descriptions ----

namespace {

void Warn(const char* what, const char* where, const char* path) {
    g_Log.Write(LOG_INFO, "Warning : CDX9KelDataIO::LoadGameObjectXML : %s of %s is not above 0 in file : %s\n", what,
                where, path);
}

void ReadFloatIf(const TiXmlNode* parent, const char* name, float& field) {
    if (const TiXmlNode* e = parent->FirstChildElement(name)) field = Vorna2::ReadXMLFloat(e);
}

void ReadIntIf(const TiXmlNode* parent, const char* name, std::int32_t& field) {
    if (const TiXmlNode* e = parent->FirstChildElement(name)) field = Vorna2::ReadXMLInt(e);
}

void ReadRectIf(const TiXmlNode* parent, const char* name, PartRect& field) {
    if (const TiXmlNode* e = parent->FirstChildElement(name)) {
        const Vorna2::FRECT r = Vorna2::ReadXMLRect(e);
        field.left = r.left;
        field.top = r.top;
        field.right = r.right;
        field.bottom = r.bottom;
    }
}

// A text element into a fixed field; false when it names a file outside
// its folder.
bool ReadFileTextIf(const TiXmlNode* parent, const char* name, char (&field)[kObjectTextSize], const char* path) {
    const TiXmlNode* e = parent->FirstChildElement(name);
    if (!e) return true;
    const char* text = Vorna2::GetXMLValueText(e);
    char cut[kObjectTextSize];
    SetRecordText(cut, text);
    if (!IsSafeDataFileName(cut)) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadGameObjectXML : %s names an unsafe file \"%s\" : %s\n", name,
                    cut, path);
        return false;
    }
    std::memcpy(field, cut, sizeof cut);
    return true;
}

} // namespace

bool CDX9KelDataIO::ReadMovementData(const TiXmlNode* section, GameObjectRecord* object, const char* path) {
    if (!section) return true;
    if (!object->m_pMovement) object->m_pMovement = std::make_unique<MovementBlock>();
    MovementBlock& m = *object->m_pMovement;
    ReadFloatIf(section, "Acceleration", m.m_fAcceleration);
    ReadFloatIf(section, "RotationAngle", m.m_fRotationAngle);
    if (const TiXmlNode* e = section->FirstChildElement("MaxSpeed"))
        m.m_fBaseSpeed = m.m_fSpeedLimit = Vorna2::ReadXMLFloat(e);
    m.m_fMove[0] = m.m_fMove[1] = m.m_fMove[2] = 0.0f;
    if (!(m.m_fAcceleration > 0.0f)) Warn("Acceleration", "MovementData", path);
    if (!(m.m_fRotationAngle > 0.0f)) Warn("RotationAngle", "MovementData", path);
    if (!(m.m_fBaseSpeed > 0.0f)) Warn("MaxSpeed", "MovementData", path);
    return true;
}

bool CDX9KelDataIO::ReadGraphicData(const TiXmlNode* section, GameObjectRecord* object, const char* path) {
    if (!section) return true;
    GameObjectTexts texts = object->m_pTexts ? *object->m_pTexts : GameObjectTexts();
    if (!ReadFileTextIf(section, "Icon", texts.m_szIcon, path) ||
        !ReadFileTextIf(section, "Description", texts.m_szDescription, path))
        return false;
    object->m_pTexts = std::make_unique<GameObjectTexts>(texts);
    return true;
}

bool CDX9KelDataIO::ReadPart(const TiXmlNode* node, PartRecord& part, bool hullPart,
                             const std::vector<GunType>& artillery, const char* path) {
    ReadFloatIf(node, "Durability", part.m_fDurability);
    ReadFloatIf(node, "Buoyancy", part.m_fBuoyancy);
    ReadFloatIf(node, "Length", part.m_fLength);
    ReadFloatIf(node, "Height", part.m_fHeight);
    ReadFloatIf(node, "Waterline", part.m_fDesignWaterline);
    ReadFloatIf(node, "IgnitionFactor", part.m_fIgnitionFactor);
    ReadIntIf(node, "Armour1", part.m_iArmour1);
    ReadIntIf(node, "Armour2", part.m_iArmour2);
    ReadRectIf(node, "ArmourRect1", part.m_rArmourRect1);
    ReadRectIf(node, "ArmourRect2", part.m_rArmourRect2);
    ReadRectIf(node, "DamageReseptionZone", part.m_rDamageReceptionZone);
    // The water can stand no higher than the part.
    if (part.m_fHeight < part.m_fDesignWaterline) part.m_fDesignWaterline = part.m_fHeight;
    part.m_fWaterline = part.m_fDesignWaterline;
    const float reserve = (part.m_fHeight - part.m_fDesignWaterline) * part.m_fLength;
    part.m_fReserveArea = reserve < 0.0f ? 0.0f : reserve;
    if (!std::isfinite(part.m_fReserveArea)) part.m_fReserveArea = 0.0f;

    const char* where = node->Value();
    if (!(part.m_fDurability > 0.0f)) Warn("Durability", where, path);
    if (hullPart && !(part.m_fBuoyancy > 0.0f)) Warn("Buoyancy", where, path);
    if (hullPart && !(part.m_fLength > 0.0f)) Warn("Length", where, path);

    const TiXmlNode* guns = node->FirstChildElement("Guns");
    if (!guns) return true;
    for (const TiXmlNode* g = guns->FirstChild(); g; g = g->NextSibling()) {
        if (g->Type() == TiXmlNode::TINYXML_COMMENT) continue;
        const GunType* type = FindGunType(artillery, g->Value());
        if (!type) continue;
        if (part.m_stdvGuns.size() >= kMaxGunsPerPart) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadGameObjectXML : more than %zu guns in %s : %s\n",
                        kMaxGunsPerPart, where, path);
            return false;
        }
        GunRecord gun;
        std::memcpy(gun.m_szName, type->m_szName, sizeof gun.m_szName);
        gun.m_iBombardSpeed = type->m_iBombardSpeed;
        gun.m_iBombardRange = type->m_iBombardRange;
        gun.m_fFallAccuracy = type->m_fFallAccuracy;
        gun.m_iBeginArmourPierce = type->m_iBeginArmourPierce;
        gun.m_fFallArmourPierce = type->m_fFallArmourPierce;
        gun.m_iDamage = type->m_iDamage;
        gun.m_iCurrentBombardSpeed = gun.m_iBombardSpeed;
        // A unit comes onto its first map ready to fire; from then on the
        // round result sets the flags.
        gun.m_bReady = 1;
        gun.m_bCanShoot = gun.m_iCurrentBombardSpeed > 0 ? 1 : 0;
        ReadIntIf(g, "Shells", gun.m_iShells);
        ReadRectIf(g, "BombardZone", gun.m_rBombardZone);
        ReadFloatIf(g, "Height", gun.m_fHeight);
        part.m_stdvGuns.push_back(gun);
    }
    return true;
}

bool CDX9KelDataIO::ReadParts(const TiXmlNode* list, std::vector<PartRecord>& parts, bool hullParts,
                              const std::vector<GunType>& artillery, const char* path) {
    if (!list) return true;
    for (const TiXmlNode* node = list->FirstChild(); node; node = node->NextSibling()) {
        if (node->Type() == TiXmlNode::TINYXML_COMMENT) continue;
        if (parts.size() >= kMaxPartsPerList) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadGameObjectXML : more than %zu parts in %s : %s\n",
                        kMaxPartsPerList, list->Value(), path);
            return false;
        }
        PartRecord part;
        if (!ReadPart(node, part, hullParts, artillery, path)) return false;
        parts.push_back(std::move(part));
    }
    return true;
}

bool CDX9KelDataIO::ReadBattleData(const TiXmlNode* section, GameObjectRecord* object,
                                   const std::vector<GunType>& artillery, const char* path) {
    if (!section) return true;
    auto data = std::make_unique<BattleDataBlock>();
    ReadIntIf(section, "AGGunpowder", data->m_iGunpowder);
    ReadFloatIf(section, "CrewTraining", data->m_fCrewTraining);
    ReadIntIf(section, "Displacement", data->m_iDisplacement);
    ReadFloatIf(section, "Pomp", data->m_fPumps);
    ReadFloatIf(section, "RamAttack", data->m_fRamAttack);
    ReadFloatIf(section, "RamDefence", data->m_fRamDefence);
    if (!ReadParts(section->FirstChildElement("DesignParts"), data->m_stdvDesignParts, true, artillery, path) ||
        !ReadParts(section->FirstChildElement("MGTowers"), data->m_stdvMGTowers, false, artillery, path) ||
        !ReadParts(section->FirstChildElement("Pipes"), data->m_stdvPipes, false, artillery, path))
        return false;
    for (const auto* list : {&data->m_stdvMGTowers, &data->m_stdvDesignParts, &data->m_stdvPipes})
        for (const PartRecord& part : *list) data->m_fTotalReserveArea += part.m_fReserveArea;
    object->m_pBattleData = std::move(data);
    return true;
}

bool CDX9KelDataIO::LoadGameObjectXML(const char* path, GameObjectRecord* object,
                                      const std::vector<GunType>& artillery) {
    if (!path || !object) return false;
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadGameObjectXML : xml file not read : %s\n", path);
        return false;
    }
    return LoadGameObjectDocument(doc, path, object, artillery);
}

bool CDX9KelDataIO::LoadGameObjectDocument(const TiXmlDocument& doc, const char* path, GameObjectRecord* object,
                                           const std::vector<GunType>& artillery) {
    if (!path || !object) return false;
    const TiXmlNode* first = doc.FirstChild();
    const TiXmlNode* root = first ? first->NextSibling() : nullptr;
    if (!root) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadGameObjectXML : xml file empty : %s\n", path);
        return false;
    }
    // The blocks are filled on a copy, so a description that fails leaves
    // the unit as it was.
    GameObjectRecord staged;
    const char* kind = nullptr;
    bool ok = true;
    const std::string name = root->Value();
    if (name == "Ship") {
        kind = "CreateGameObjectShip";
        ok = ReadMovementData(root->FirstChildElement("MovementData"), &staged, path);
        staged.m_pMovementState = std::make_unique<MovementStateRecord>();
        ok = ok && ReadGraphicData(root->FirstChildElement("GraphicData"), &staged, path) &&
             ReadBattleData(root->FirstChildElement("BattleData"), &staged, artillery, path);
        if (ok && staged.m_pBattleData && !(staged.m_pBattleData->m_iDisplacement > 0))
            Warn("Displacement", "BattleData", path);
    } else if (name == "Fort") {
        kind = "CreateGameObjectFort";
        ok = ReadGraphicData(root->FirstChildElement("GraphicData"), &staged, path) &&
             ReadBattleData(root->FirstChildElement("BattleData"), &staged, artillery, path);
    } else if (name == "Mine") {
        kind = "CreateGameObjectMine";
        ok = ReadBattleData(root->FirstChildElement("BattleData"), &staged, artillery, path);
    }
    if (!ok) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelDataIO::LoadGameObjectXML : %s == false : %s\n", kind, path);
        return false;
    }
    if (staged.m_pTexts) object->m_pTexts = std::move(staged.m_pTexts);
    if (staged.m_pMovement) object->m_pMovement = std::move(staged.m_pMovement);
    if (staged.m_pMovementState) object->m_pMovementState = std::move(staged.m_pMovementState);
    if (staged.m_pBattleData) object->m_pBattleData = std::move(staged.m_pBattleData);
    return true;
}

} // namespace VornaCampaign
