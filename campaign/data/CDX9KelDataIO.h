#pragma once
// The campaign's game-data reader: binary map files, the artillery list and
// the units' description files. One object for the whole program.
//
// Every reader treats its file as untrusted: counts are checked against the
// bytes that are left and against caps before anything is allocated, texts
// are cut at their field, file names that would leave the data folders are
// refused, and a failed read logs one line and leaves the caller's records
// as they were.
#include "campaign/data/CampaignRecords.h"

#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlNode;

namespace VornaCampaign {

// A gun type of the artillery list. 64 bytes.
struct GunType {
    GunType();

    char m_szName[kRecordTextSize];
    // Shots per bombardment at full efficiency.
    std::int32_t m_iBombardSpeed = 1;
    // Metres.
    std::int32_t m_iBombardRange = 27;
    // Hit-chance points lost per metre (times the crew training).
    float m_fFallAccuracy = 0.0f;
    // Penetration at the muzzle, and lost per metre.
    std::int32_t m_iBeginArmourPierce = 0;
    float m_fFallArmourPierce = 0.0f;
    std::int32_t m_iDamage = 1;
};
static_assert(sizeof(GunType) == 64);

// The first gun type whose name equals `name` exactly; null when none does.
const GunType* FindGunType(const std::vector<GunType>& table, const char* name);

// A reader of little-endian values from a file held in memory; every read
// fails instead of running past the end.
class MapFileReader {
public:
    explicit MapFileReader(const std::string& bytes) : m_bytes(bytes) {}
    std::size_t Remaining() const { return m_bytes.size() - m_pos; }
    std::size_t Position() const { return m_pos; }
    bool ReadBytes(void* out, std::size_t n);
    bool ReadU32(std::uint32_t& out);
    bool ReadFloat(float& out);
    // A 40-byte text field, cut at its first zero byte and at 39 characters.
    bool ReadText(char (&out)[kRecordTextSize]);

private:
    const std::string& m_bytes;
    std::size_t m_pos = 0;
};

class CDX9KelDataIO {
public:
    // Upper limits of the counts of a map file; a larger count is refused.
    static constexpr std::uint32_t kMaxStaticObjects = 10000;
    static constexpr std::uint32_t kMaxUnits = 10000;
    static constexpr std::uint32_t kMaxColumns = 10000;
    static constexpr std::uint32_t kMaxColumnShips = 10000;
    // Largest map file read at all.
    static constexpr std::size_t kMaxMapFileBytes = 32u << 20;
    // Upper limits of a description: parts per list, guns per part, and of
    // the artillery list.
    static constexpr std::size_t kMaxPartsPerList = 1000;
    static constexpr std::size_t kMaxGunsPerPart = 1000;
    static constexpr std::size_t kMaxGunTypes = 10000;

    // Reads a binary map file: the header and static objects always, the
    // units when `units` and `unitMatrices` are given, the columns when
    // `columns` is given too and the file has units. Outputs are replaced
    // only when the whole requested part of the file read cleanly. False
    // when the file cannot be read, the description or static matrices are
    // missing, or any count, text or value is out of order.
    bool ReadGameMap(const char* path, MapDescriptionRecord* description, std::vector<D3DXMATRIX>* staticMatrices,
                     std::vector<MapUnitRecord>* units, std::vector<D3DXMATRIX>* unitMatrices,
                     std::vector<MapColumnRecord>* columns);
    // The same on the file's bytes; `path` names the file in log lines.
    bool ReadGameMapBytes(const std::string& bytes, const char* path, MapDescriptionRecord* description,
                          std::vector<D3DXMATRIX>* staticMatrices, std::vector<MapUnitRecord>* units,
                          std::vector<D3DXMATRIX>* unitMatrices, std::vector<MapColumnRecord>* columns);
    // The column section. An empty column is logged and kept. False when the
    // column list is missing or the section does not fit the file (`path`
    // names the file in that line).
    bool ReadColumns(MapFileReader& file, std::vector<MapColumnRecord>* columns, const char* path = "");

    // Reads "Artillery.xml" into the table (emptied first). The first entry
    // that lacks one of its six values, or a node that is no gun type, ends
    // the load with false; the entries before it stay.
    bool LoadArtillery(const char* path, std::vector<GunType>* table);
    // The same on a parsed document; `path` names the file in log lines.
    bool LoadArtilleryDocument(const TiXmlDocument& doc, const char* path, std::vector<GunType>* table);

    // Fills a unit's blocks from its description file (root "Ship", "Fort"
    // or "Mine"; any other root fills nothing and succeeds). Guns take
    // their values from the artillery list by name.
    bool LoadGameObjectXML(const char* path, GameObjectRecord* object, const std::vector<GunType>& artillery);
    // The same on a parsed document; `path` names the file in log lines.
    bool LoadGameObjectDocument(const TiXmlDocument& doc, const char* path, GameObjectRecord* object,
                                const std::vector<GunType>& artillery);

private:
    bool ReadMovementData(const TiXmlNode* section, GameObjectRecord* object, const char* path);
    bool ReadGraphicData(const TiXmlNode* section, GameObjectRecord* object, const char* path);
    bool ReadBattleData(const TiXmlNode* section, GameObjectRecord* object, const std::vector<GunType>& artillery,
                        const char* path);
    bool ReadParts(const TiXmlNode* list, std::vector<PartRecord>& parts, bool hullParts,
                   const std::vector<GunType>& artillery, const char* path);
    bool ReadPart(const TiXmlNode* node, PartRecord& part, bool hullPart, const std::vector<GunType>& artillery,
                  const char* path);
};

// The campaign's one data reader.
extern CDX9KelDataIO g_DataIO;

} // namespace VornaCampaign
