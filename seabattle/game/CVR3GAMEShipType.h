#pragma once
// A ship type offered in a harbour or duel shop: its card and the names of
// the other five object files a ship of the type is built from.
#include <cstdint>
#include <string>
#include <vector>

namespace SeaBattle {

class CVR3GAMEInformationShip;

struct CVR3GAMEShipType {
    CVR3GAMEShipType() = default;
    ~CVR3GAMEShipType();
    CVR3GAMEShipType(const CVR3GAMEShipType&) = delete;
    CVR3GAMEShipType& operator=(const CVR3GAMEShipType&) = delete;

    CVR3GAMEInformationShip* m_pInformation = nullptr; // owned
    std::string SceneObjectFile;
    std::string MovementObjectFile;
    std::string AnimatedObjectFile;
    std::string BattleObjectFile;
    std::string ArtilleryObjectFile;
    // The names given to ships of this type, in order.
    std::vector<std::string> m_stdvNames;
    // Ships of this type bought in the harbour shop.
    int32_t m_iCount = 0;
};

} // namespace SeaBattle
