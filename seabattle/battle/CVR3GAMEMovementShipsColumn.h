#pragma once
// A column of ships in line ahead: the leader takes the column's orders and
// every other ship follows the ship ahead of it. The column keeps the limits
// of the whole column (the slowest ship's speed and the least handy ship's
// turn, both with a margin when it has more than one ship), hands speed
// increases to the leader in quarter steps so the followers keep up, and
// ticks its ships every frame.
#include <cstdint>
#include <vector>

namespace SeaBattle {

class CVR3GAMEMovementShip;

class CVR3GAMEMovementShipsColumn {
public:
    static constexpr float kMargin = 0.85f;
    static constexpr float kStepShare = 0.25f;
    static constexpr float kStepHoldTime = 30.0f;

    CVR3GAMEMovementShipsColumn() = default;
    // Frees the list, not the ships; the ships forget the column.
    virtual ~CVR3GAMEMovementShipsColumn();
    CVR3GAMEMovementShipsColumn(const CVR3GAMEMovementShipsColumn&) = delete;
    CVR3GAMEMovementShipsColumn& operator=(const CVR3GAMEMovementShipsColumn&) = delete;

    void Proc(int mode, float dt);
    void SetSpeed(float speed, bool force);
    void SetRudder(float angle);
    void SetRouteSpeed(float speed);
    void SetCourse(float x, float z);
    void SetTargetPoint(float x, float z);
    // Inserts at the front (0), before the ship at `index`, or at the end
    // (-1 or beyond). False for a null ship or one already in a column.
    bool AddMovementShip(int index, CVR3GAMEMovementShip* pShip, bool relink);
    bool RemoveMovementShip(CVR3GAMEMovementShip* pShip);
    void RenumberShips();
    void LinkShipsInLine();
    void UpdateSpeedLimits();
    float NextSpeedStep(float speed);

    CVR3GAMEMovementShip* GetLeader() const { return m_stdvShips.empty() ? nullptr : m_stdvShips.front(); }
    const std::vector<CVR3GAMEMovementShip*>& GetShips() const { return m_stdvShips; }

    std::vector<CVR3GAMEMovementShip*> m_stdvShips;
    uint32_t m_uShipCount = 0;
    float m_fMaxSpeed = 0.0f;
    float m_fTurningValue = 0.0f;
    float m_fTurnLimit = 0.0f;
    float m_fOrderedSpeed = 0.0f;
    float m_fSpeedStep = 0.0f;
    float m_fStepTarget = -1.0f;
    float m_fStepTimer = -1.0f;
    float m_fStepHoldTime = kStepHoldTime;
    // Read by none of the column's own operations: an index the owners keep,
    // and the flag the battle behaviour sets while it brings the column back
    // inside the player's battle borders.
    int32_t m_iIndex = -1;
    uint8_t m_bReturning = 0;

private:
    void ProcSpeedSteps(float dt);
    // The leader's turning allowance: |rudder / maximum rudder| x 3.5 + 0.1.
    float TurningAllowance() const;
};

} // namespace SeaBattle
