#pragma once
// The information record of a ship type and of each ship of that type: its
// card in the harbour (type name, level, column, displayed figures and
// icon) and what the end-of-battle count reads (level and unit cost).
#include <cstdint>
#include <string>
#include <vector>

namespace SeaBattle {

struct CVR3GAMEInformationIconRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct CVR3GAMEInformationFloat4 {
    float x = 0.0f, y = 0.0f, z = 0.0f, w = 0.0f;
};

class CVR3GAMEInformationShip {
public:
    // A new record with every field copied.
    CVR3GAMEInformationShip* Clone() const { return new CVR3GAMEInformationShip(*this); }

    int32_t m_iId = 0;
    std::string m_strName; // the information-object file name
    std::string ShipTypeName;
    int32_t ShipTypeLevel = 0;
    int32_t ColumnNum = 0;
    std::string Displacement;
    std::string MaxSpeed;
    int32_t GunsSidesCount1 = 0;
    std::string GunsSidesName1;
    int32_t GunsSidesCount2 = 0;
    std::string GunsSidesName2;
    int32_t GunsTurnCount1 = 0;
    std::string GunsTurnName1;
    int32_t GunsTurnCount2 = 0;
    std::string GunsTurnName2;
    int32_t GunsTurnCount3 = 0;
    std::string GunsTurnName3;
    std::string ArmourBelt;
    std::string ArmourDeck;
    std::string ArmourTower;
    int32_t DisplUnitCost = 0;
    CVR3GAMEInformationIconRect IconBorders;
    std::string IconTexture;
    std::string IconFont;
    CVR3GAMEInformationFloat4 TextRelativePosition; // left, top, right, bottom
    std::vector<CVR3GAMEInformationFloat4> TextCoordinates;
    std::vector<CVR3GAMEInformationFloat4> TextColors;
};

} // namespace SeaBattle
