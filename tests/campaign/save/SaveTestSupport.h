#pragma once
// A save of a small campaign map with every kind of unit block, for the
// save tests: a mine (battle data only), ships with all four blocks, towers
// with guns and holes, a fort (texts and battle data), columns on both
// sides and lost units on both lists.
#include "campaign/save/GameSaveFile.h"

#include <cstring>
#include <memory>
#include <string>

namespace CampaignSaveTest {

using namespace VornaCampaign;

inline D3DXMATRIX Place(float x, float y, float z, float yaw = 0.0f) {
    D3DXMATRIX m;
    D3DXMatrixRotationY(&m, yaw);
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

inline PartRecord MakePart(float seed, int guns, int holes) {
    PartRecord p;
    p.m_fDurability = 100.0f + seed;
    p.m_fBuoyancy = 50.0f + seed;
    p.m_fLength = 12.5f;
    p.m_fHeight = 3.25f;
    p.m_rArmourRect1 = {0.1f, 0.2f, 0.3f, 0.4f};
    p.m_iArmour1 = 120;
    p.m_rArmourRect2 = {0.5f, 0.6f, 0.7f, 0.8f};
    p.m_iArmour2 = 80;
    p.m_rDamageReceptionZone = {-1.0f, 1.0f, 2.0f, 3.0f};
    p.m_fWaterline = 1.5f;
    p.m_fDesignWaterline = 1.25f;
    p.m_fWaterWeight = 7.0f;
    p.m_fActiveHoles = 2.0f;
    p.m_fIgnitionFactor = 0.35f;
    p.m_fDamage = seed * 3.0f;
    p.m_fFireStrength = seed > 1.0f ? 4.0f : 0.0f;
    p.m_fReserveArea = -1.0f;
    p.m_fEfficiency = 0.9f;
    for (int g = 0; g < guns; ++g) {
        GunRecord gun;
        SetRecordText(gun.m_szName, g == 0 ? "Turret gun" : "Broadside gun");
        gun.m_iBombardSpeed = 2 + g;
        gun.m_iBombardRange = 4000;
        gun.m_fFallAccuracy = 0.01f;
        gun.m_iBeginArmourPierce = 300;
        gun.m_fFallArmourPierce = 0.02f;
        gun.m_iDamage = 40;
        gun.m_iShells = g == 0 ? -1 : 25;
        gun.m_iCurrentBombardSpeed = 1;
        gun.m_fHeight = 4.0f;
        gun.m_bReady = 1;
        gun.m_bCanShoot = static_cast<std::uint8_t>(g % 2);
        gun.m_rBombardZone = {-0.5f, 0.5f, 2.5f, 3.5f};
        p.m_stdvGuns.push_back(gun);
    }
    for (int h = 0; h < holes; ++h) p.m_stdvHoles.push_back({0.25f * static_cast<float>(h), 1.5f});
    return p;
}

inline std::unique_ptr<GameObjectRecord> MakeUnit(const char* name, const char* side, bool texts, bool movement,
                                                  bool state, bool battle) {
    auto o = std::make_unique<GameObjectRecord>();
    SetRecordText(o->m_Unit.m_szName, name);
    SetRecordText(o->m_Unit.m_szModel1, "ship_a.x");
    SetRecordText(o->m_Unit.m_szEffect1, "c2model.fx");
    SetRecordText(o->m_Unit.m_szDescriptionFile, "ship_a.xml");
    SetRecordText(o->m_Unit.m_szSide, side);
    if (texts) {
        o->m_pTexts = std::make_unique<GameObjectTexts>();
        SetRecordText(o->m_pTexts->m_szIcon, "icon_ship_a.png");
        SetRecordText(o->m_pTexts->m_szDescription, "info_ship_a.png");
    }
    if (movement) {
        o->m_pMovement = std::make_unique<MovementBlock>();
        *o->m_pMovement = MovementBlock{1.7f, 1.6f, 0.05f, 0.01f, {0.5f, 0.25f, 0.125f}};
    }
    if (state) {
        o->m_pMovementState = std::make_unique<MovementStateRecord>();
        o->m_pMovementState->m_fCrossHeel = 0.125f;
        o->m_pMovementState->m_fFloodLevel = 3.0f;
        o->m_pMovementState->m_bMoving = 0;
    }
    if (battle) {
        o->m_pBattleData = std::make_unique<BattleDataBlock>();
        BattleDataBlock& b = *o->m_pBattleData;
        b.m_iGunpowder = 500;
        b.m_fCrewTraining = 0.75f;
        b.m_iDisplacement = 9000;
        b.m_fPumps = 12.0f;
        b.m_fRamAttack = 30.0f;
        b.m_fRamDefence = 20.0f;
        b.m_fTotalReserveArea = 88.5f;
        if (movement) {
            b.m_stdvMGTowers = {MakePart(1.0f, 2, 0), MakePart(2.0f, 1, 3)};
            for (int i = 0; i < 6; ++i) b.m_stdvDesignParts.push_back(MakePart(static_cast<float>(i), i % 2, i % 3));
            b.m_stdvPipes = {MakePart(0.5f, 0, 1)};
        } else {
            b.m_stdvMGTowers = {MakePart(5.0f, 3, 0)};
        }
    }
    return o;
}

struct SampleSave {
    GameSaveHeader header;
    GameSaveData data;
};

// Player on side 1 with two ships in one column and a fort; the computer on
// side 2 with two ships in two columns; one mine of nobody's.
inline void FillSample(SampleSave& s, int turn = 3) {
    GameSaveHeader& h = s.header;
    h.Clear();
    SetRecordText(h.m_szTime, sizeof h.m_szTime, "Thu Dec 10 12:45:56 2026");
    SetRecordText(h.m_szScenarioName, "Demo campaign");
    SetRecordText(h.m_szScenarioFile, "scenario_demo.xml");
    SetRecordText(h.m_szPlayerSideName, "Northern squadron");
    SetRecordText(h.m_szMapTitle, "The Strait");
    SetRecordText(h.m_szMapName, "demo_strait.map");
    h.m_iTurn = turn;

    GameSaveData& d = s.data;
    d.Clear();
    d.m_iPlayerSide = 1;
    d.m_uAILoss = 120;
    d.m_uPlayerScore = 340;
    d.m_uPlayerLoss = 56;
    d.m_uAIScore = 78;
    SetRecordText(d.m_szMapName, "demo_strait.map");
    d.m_iTurn = turn;
    d.m_iActiveObject = 1;
    d.m_stdvLostPlayerUnits = {"Resolute"};
    d.m_stdvLostAIUnits = {"Vigil", "Sentinel"};
    d.m_stdvObjects[SAVE_UNSIDE].push_back(MakeUnit("Mine 1", "UNSIDE", false, false, false, true));
    d.m_stdvMatrices[SAVE_UNSIDE].push_back(Place(50.0f, 0.0f, 60.0f));
    d.m_stdvObjects[SAVE_SIDE1].push_back(MakeUnit("Dauntless", "SIDE1", true, true, true, true));
    d.m_stdvObjects[SAVE_SIDE1].push_back(MakeUnit("Swift", "SIDE1", true, true, true, true));
    d.m_stdvObjects[SAVE_SIDE1].push_back(MakeUnit("North Fort", "SIDE1", true, false, false, true));
    d.m_stdvMatrices[SAVE_SIDE1] = {Place(10.0f, 0.0f, 20.0f), Place(10.0f, 0.0f, 10.0f), Place(-40.0f, 1.0f, 0.0f)};
    d.m_stdvObjects[SAVE_SIDE2].push_back(MakeUnit("Raider", "SIDE2", true, true, false, true));
    d.m_stdvObjects[SAVE_SIDE2].push_back(MakeUnit("Corsair", "SIDE2", false, true, true, false));
    d.m_stdvMatrices[SAVE_SIDE2] = {Place(200.0f, 0.0f, 200.0f, 1.0f), Place(300.0f, 0.0f, 100.0f)};
    MapColumnRecord first;
    first.m_fSpeed = 1.5f;
    first.m_fMovementUsed = 120.0f;
    first.m_stdvShipNames = {"Dauntless", "Swift"};
    d.m_stdvColumns[0] = {first};
    MapColumnRecord raider, corsair;
    raider.m_fSpeed = 1.733f;
    raider.m_stdvShipNames = {"Raider"};
    corsair.m_fSpeed = 1.2f;
    corsair.m_fMovementUsed = 299.5f;
    corsair.m_stdvShipNames = {"Corsair"};
    d.m_stdvColumns[1] = {raider, corsair};
}

// A run state that fits the sample: one column of SIDE1, two of SIDE2, and a
// value in every field.
inline void FillRunState(GameSaveData& d) {
    d.m_bHasRunState = true;
    GameRunState& r = d.m_RunState;
    r.m_bHasRandom = 1;
    r.m_uRandomState = 0x123456789ull;
    r.m_uGateAge[0] = 480;
    r.m_uFinishMovAge = 2500;
    r.m_bBlockedNotice = 1;
    r.m_bHasWater = 1;
    r.m_uWaterSeed = 77;
    r.m_dWaveTime = 123.25;
    r.m_dWaveStep = 0.0123;
    r.m_uWaterSinceLast = 20;
    r.m_iPlannedRoute = 2;
    r.m_iBattleWait = 1;
    r.m_bContactReselect = 1;
    r.m_uRoundsCount = 12;
    r.m_fSpeedFactor = 0.054f;
    for (int side = 0; side < 2; ++side)
        for (std::size_t i = 0; i < d.m_stdvColumns[side].size(); ++i) {
            RunStateColumn c;
            c.m_fSpeedLimit = 2.0f + float(i);
            c.m_fTurnLimit = 0.02f;
            c.m_fAccelerationLimit = 0.01f;
            c.m_fCurrentSpeed = 1.25f;
            c.m_fRudder = -0.5f;
            c.m_fOrderedSpeed = 1.5f;
            c.m_fReducedSpeed = 1.5f;
            r.m_Columns[side].push_back(c);
        }
    r.m_AI.m_iStep = 4;
    r.m_AI.m_iMode = 2;
    r.m_AI.m_iLastShipGroup = 5;
    r.m_AI.m_vFallback = D3DXVECTOR3(1.0f, 2.0f, 3.0f);
    r.m_AI.m_stdvTargets = {2, 0, 1};
    r.m_AI.m_stdvFiredGroups = {3};
    r.m_AI.m_stdvPassStartUsed = {10.0f, 299.0f};
    r.m_bHasCamera = 1;
    r.m_vLookAt = D3DXVECTOR3(10.0f, 0.0f, -5.0f);
    r.m_fPitch = 0.45f;
    r.m_fDistance = 50.0f;
}

inline std::string SampleBytesWithRunState() {
    SampleSave s;
    FillSample(s);
    FillRunState(s.data);
    return WriteSaveBytes(s.header, s.data);
}

inline std::string SampleBytes(int turn = 3) {
    SampleSave s;
    FillSample(s, turn);
    return WriteSaveBytes(s.header, s.data);
}

inline void PutU32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}
inline std::uint32_t GetU32(const std::string& bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    return v;
}

} // namespace CampaignSaveTest
