#include "campaign/data/CampaignRecords.h"

#include <cstring>

namespace VornaCampaign {

void SetRecordText(char* field, std::size_t size, const char* text) {
    if (!field || size == 0) return;
    std::memset(field, 0, size);
    if (!text) return;
    const std::size_t n = strnlen(text, size - 1);
    std::memcpy(field, text, n);
}

std::string RecordText(const char* field, std::size_t size) {
    if (!field) return {};
    return std::string(field, strnlen(field, size));
}

MapStaticObjectRecord::MapStaticObjectRecord() { std::memset(this, 0, sizeof *this); }

MapUnitRecord::MapUnitRecord() { std::memset(this, 0, sizeof *this); }

MapDescriptionRecord::MapDescriptionRecord() {
    std::memset(m_szName, 0, sizeof m_szName);
    std::memset(m_szSkyTexture, 0, sizeof m_szSkyTexture);
    std::memset(m_szWaterTexture, 0, sizeof m_szWaterTexture);
}

void MapDescriptionRecord::Clear() {
    std::memset(m_szName, 0, sizeof m_szName);
    m_vSceneMin = m_vSceneMax = m_vMapMin = m_vMapMax = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_stdvStaticObjects.clear();
}

int GetSideFromText(const char* side) {
    if (!side) return SIDE_NONE;
    if (std::strcmp(side, "SIDE1") == 0) return SIDE_1;
    if (std::strcmp(side, "SIDE2") == 0) return SIDE_2;
    if (std::strcmp(side, "UNSIDE") == 0) return SIDE_UNSIDE;
    return SIDE_NONE;
}

int GetSide(const MapUnitRecord& unit) { return GetSideFromText(RecordText(unit.m_szSide).c_str()); }

GameObjectTexts::GameObjectTexts() {
    std::memset(m_szIcon, 0, sizeof m_szIcon);
    std::memset(m_szDescription, 0, sizeof m_szDescription);
}

GunRecord::GunRecord() { std::memset(m_szName, 0, sizeof m_szName); }

} // namespace VornaCampaign
