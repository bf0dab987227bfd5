#include "seabattle/battle/CVR3GAMEComputerPlayerBehaviourOne.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/CVR3GAMEMovementSteering.h"

#include <algorithm>
#include <cmath>
#include <new>

using Vorna3D::g_Log;
using Vorna3D::LOG_ERROR;

namespace SeaBattle {

namespace {

constexpr float kQuarterTurn = 1.5708f;
constexpr float kThreeEighthsTurn = 2.3562f;
constexpr float kEighthTurn = 0.7854f;

const D3DXMATRIX* WorldOf(const CVR3GAMEBattleMapShip* s) {
    return s && s->m_pSceneObject ? &s->m_pSceneObject->m_mWorld : nullptr;
}

bool HasShips(const CVR3GAMEBattleMapShipsColumn* c) { return c && !c->m_stdvBattleShips.empty(); }

// A horizontal vector made unit length; (0, 0) stays as it is.
D3DXVECTOR2 Unit2(float x, float z) {
    const float len = std::sqrt(x * x + z * z);
    return len > 0.0f ? D3DXVECTOR2(x / len, z / len) : D3DXVECTOR2(0.0f, 0.0f);
}

// The side sign from a heading angle: +1 on the side axis's side or within
// the tolerance of dead ahead, -1 beyond it on the other side.
float SideFrom(float g, float tolerance) { return g < -tolerance ? -1.0f : 1.0f; }

} // namespace

float ColumnSpeed(const CVR3GAMEBattleMapShipsColumn* pColumn) { return pColumn ? pColumn->m_fMaxSpeed : 0.0f; }

float ShipSpeed(const CVR3GAMEBattleMapShip* pShip) {
    return pShip && pShip->m_pMovementShip ? pShip->m_pMovementShip->m_fSpeed : 0.0f;
}

CVR3GAMEComputerPlayerBehaviourOne::~CVR3GAMEComputerPlayerBehaviourOne() {
    CVR3GAMEComputerPlayerBehaviourOne::Release();
}

void CVR3GAMEComputerPlayerBehaviourOne::Release() {
    CVR3GAMEComputerPlayerBaseBehaviour::Release();
    for (EnemyColumnRecord** e : {&m_pEnemy1, &m_pEnemy2, &m_pEnemy3}) {
        // A top record may also stand in the vector: deleted once.
        m_stdvEnemyRecords.erase(std::remove(m_stdvEnemyRecords.begin(), m_stdvEnemyRecords.end(), *e),
                                 m_stdvEnemyRecords.end());
        delete *e;
        *e = nullptr;
    }
    for (EnemyColumnRecord*& e : m_stdvEnemyRecords) {
        delete e;
        e = nullptr;
    }
    m_stdvEnemyRecords.clear();
    m_pRole1 = m_pRole2 = m_pRole3 = nullptr;
    m_pEnemy = nullptr;
}

bool CVR3GAMEComputerPlayerBehaviourOne::Init(CVR3GAMEBattleMapPlayerDirector* pOwner) {
    if (!pOwner) {
        g_Log.Write(LOG_ERROR,
                    "CVR3GAMEComputerPlayerBehaviourOne::Init() : CVR3GAMEComputerPlayerBaseBehaviour::Init() failed\n");
        return false;
    }
    // A second set-up (a save read back) starts from fresh records.
    Release();
    m_pOwner = pOwner;
    m_dwLastReplan = 0;
    CreateIntellColumnsPool();
    CVR3GAMEComputerPlayerBaseBehaviour::Init(pOwner->m_pPlayer);
    if (!CreatePlayerColumnTypes()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEComputerPlayerBehaviourOne::Init() : CreatePlayerColumnTypes() failed\n");
        return false;
    }
    if (!CreateEnemyColumnTypes()) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEComputerPlayerBehaviourOne::Init() : CreateEnemyColumnTypes() failed\n");
        return false;
    }
    SetColumnsAvoidance();
    return true;
}

bool CVR3GAMEComputerPlayerBehaviourOne::CreatePlayerColumnTypes() {
    std::vector<BehaviourColumnRecord*> own = m_stdvColumns;
    for (BehaviourColumnRecord* r : own)
        if (r) r->m_fStrength = ColumnStrength(r->m_pColumn);
    std::stable_sort(own.begin(), own.end(), [](const BehaviourColumnRecord* a, const BehaviourColumnRecord* b) {
        return (a ? a->m_fStrength : 0.0f) > (b ? b->m_fStrength : 0.0f);
    });
    m_pRole1 = own.size() > 0 ? own[0] : nullptr;
    m_pRole2 = own.size() > 1 ? own[1] : nullptr;
    m_pRole3 = own.size() > 2 ? own[2] : nullptr;
    return true;
}

bool CVR3GAMEComputerPlayerBehaviourOne::CreateEnemyColumnTypes() {
    if (!m_pOwner || m_pOwner->m_stdvEnemies.size() != 1 || !m_pOwner->m_stdvEnemies.front()) return false;
    m_pEnemy = m_pOwner->m_stdvEnemies.front();
    std::vector<EnemyColumnRecord*> records;
    for (CVR3GAMEBattleMapShipsColumn* c : m_pEnemy->m_stdvColumns) {
        if (!c) continue;
        auto* e = new (std::nothrow) EnemyColumnRecord;
        if (!e) {
            for (EnemyColumnRecord* r : records) delete r;
            return false;
        }
        e->m_pColumn = c;
        e->m_fStrength = ColumnStrength(c);
        D3DXMatrixIdentity(&e->m_mPredicted);
        records.push_back(e);
    }
    std::stable_sort(records.begin(), records.end(),
                     [](const EnemyColumnRecord* a, const EnemyColumnRecord* b) { return a->m_fStrength > b->m_fStrength; });
    m_pEnemy1 = records.size() > 0 ? records[0] : nullptr;
    m_pEnemy2 = records.size() > 1 ? records[1] : nullptr;
    m_pEnemy3 = records.size() > 2 ? records[2] : nullptr;
    for (std::size_t i = 3; i < records.size(); ++i) delete records[i];
    return true;
}

void CVR3GAMEComputerPlayerBehaviourOne::SetColumnsAvoidance() {
    BehaviourColumnRecord* roles[3] = {m_pRole1, m_pRole2, m_pRole3};
    for (BehaviourColumnRecord* r : roles) {
        if (!r || !r->m_pColumn) continue;
        CVR3GAMEMovementShip* lead = r->m_pColumn->GetLeader();
        if (!lead || !lead->m_pSteering) continue;
        for (BehaviourColumnRecord* other : roles) {
            if (!other || other == r || !other->m_pColumn) continue;
            for (CVR3GAMEBattleMapShip* s : other->m_pColumn->m_stdvBattleShips)
                if (s && s->m_pPhysicalObject)
                    lead->m_pSteering->AddAvoidShip(s->m_pPhysicalObject, kOwnAvoidDistance * kOwnAvoidDistance);
        }
        if (!m_pEnemy) continue;
        for (CVR3GAMEBattleMapShipsColumn* c : m_pEnemy->m_stdvColumns) {
            if (!c) continue;
            for (CVR3GAMEBattleMapShip* s : c->m_stdvBattleShips)
                if (s && s->m_pPhysicalObject) lead->m_pSteering->AddAvoidShip(s->m_pPhysicalObject, kEnemyAvoidSquared);
        }
    }
}

void CVR3GAMEComputerPlayerBehaviourOne::Proc() {
    if (!m_pOwner) return;
    const DWORD now = Now();
    m_bWithdrawalEnabled = true;
    m_bTargetingEnabled = true;
    bool replan = false;
    if (m_dwLastReplan == 0 || m_dwLastReplan + m_dwReplanPeriod <= now) {
        m_dwLastReplan = now;
        m_bWithdrawalEnabled = false;
        m_bTargetingEnabled = false;
        replan = true;
    }
    CVR3GAMEComputerPlayerBaseBehaviour::Proc();
    if (!replan) return;
    PromoteRoles();
    PredictEnemies();
    RunRoleTactics();
}

void CVR3GAMEComputerPlayerBehaviourOne::PromoteRoles() {
    auto gone = [](const BehaviourColumnRecord* r) {
        return r && (!HasShips(r->m_pColumn) || r->m_iKind == COLUMN_WITHDRAWN);
    };
    if (gone(m_pRole1)) {
        m_pRole1 = m_pRole2;
        m_pRole2 = m_pRole3;
        m_pRole3 = nullptr;
    }
    if (gone(m_pRole2)) {
        m_pRole2 = m_pRole3;
        m_pRole3 = nullptr;
    }
    if (gone(m_pRole3)) m_pRole3 = nullptr;

    auto enemyGone = [](const EnemyColumnRecord* e) { return e && !HasShips(e->m_pColumn); };
    if (enemyGone(m_pEnemy1)) {
        delete m_pEnemy1;
        m_pEnemy1 = m_pEnemy2;
        m_pEnemy2 = m_pEnemy3;
        m_pEnemy3 = nullptr;
    }
    if (enemyGone(m_pEnemy2)) {
        delete m_pEnemy2;
        m_pEnemy2 = m_pEnemy3;
        m_pEnemy3 = nullptr;
    }
    if (enemyGone(m_pEnemy3)) {
        delete m_pEnemy3;
        m_pEnemy3 = nullptr;
    }
}

void CVR3GAMEComputerPlayerBehaviourOne::PredictEnemies() {
    for (EnemyColumnRecord* e : {m_pEnemy1, m_pEnemy2, m_pEnemy3}) {
        if (!e) continue;
        if (!HasShips(e->m_pColumn)) {
            e->m_pLeadShip = nullptr;
            continue;
        }
        e->m_pLeadShip = e->m_pColumn->m_stdvBattleShips.front();
        const D3DXMATRIX* w = WorldOf(e->m_pLeadShip);
        if (!w) continue;
        e->m_mPredicted = *w;
        const CVR3GAMEMovementShip* first = e->m_pColumn->GetLeader();
        const float speed = first ? first->m_fSpeed : -100.0f;
        const D3DXVECTOR2 forward = Unit2(w->_31, w->_33);
        const float run = speed * kUnitsPerMetre * m_fPredictionTime;
        e->m_mPredicted._41 += forward.x * run;
        e->m_mPredicted._43 += forward.y * run;
    }
}

bool CVR3GAMEComputerPlayerBehaviourOne::CanAct(BehaviourColumnRecord* r) {
    if (!r) return false;
    if (!HasShips(r->m_pColumn)) {
        r->m_pLeadShip = nullptr;
        return false;
    }
    if (!m_pEnemy1 || !m_pEnemy1->m_pLeadShip || r->m_iKind == COLUMN_WITHDRAWN || r->m_iKind == COLUMN_RETURNING)
        return false;
    r->m_pLeadShip = r->m_pColumn->m_stdvBattleShips.front();
    r->m_pRearShip = r->m_pColumn->m_stdvBattleShips.back();
    return WorldOf(r->m_pLeadShip) && WorldOf(r->m_pRearShip);
}

void CVR3GAMEComputerPlayerBehaviourOne::RunRoleTactics() {
    if (CanAct(m_pRole1)) Role1Tactic();
    if (CanAct(m_pRole2)) Role2Tactic();
    if (CanAct(m_pRole3)) Role3Tactic();
}

void CVR3GAMEComputerPlayerBehaviourOne::EngagedManoeuvre(BehaviourColumnRecord* r, const EnemyColumnRecord* e,
                                                          float d, float h) {
    const D3DXMATRIX* own = WorldOf(r->m_pLeadShip);
    const D3DXMATRIX* enemy = WorldOf(e->m_pLeadShip);
    if (!own || !enemy) return;
    const D3DXVECTOR2 enemyForward = Unit2(enemy->_31, enemy->_33);
    float a = 0.5f * Vorna3D::GetHeadingAngleToDirection2D(own, &enemyForward);
    if (d > r->m_fColumnBattleDistance) a += h > 0.0f ? kSideTolerance : -kSideTolerance;
    const D3DXVECTOR2 f = Unit2(own->_31, own->_33);
    D3DXVECTOR3 v(f.x, 0.0f, f.y);
    Vorna3D::RotateVec3AroundY(&v, -a);
    const D3DXVECTOR2 course = Unit2(v.x, v.z);
    CVR3GAMEBattleMapShipsColumn* c = r->m_pColumn;
    c->SetCourse(course.x, course.y);
    const float columnSpeed = ColumnSpeed(c);
    const float enemySpeed = ShipSpeed(e->m_pLeadShip);
    const float absH = std::fabs(h);
    float speed;
    if (enemySpeed <= 0.5f) speed = columnSpeed * 0.25f;
    else if (absH < kQuarterTurn) speed = enemySpeed * 1.5f;
    else if (absH <= kThreeEighthsTurn) speed = std::min(columnSpeed, enemySpeed);
    else speed = enemySpeed;
    c->SetRouteSpeed(speed);
}

void CVR3GAMEComputerPlayerBehaviourOne::FlankPoint(BehaviourColumnRecord* r, const EnemyColumnRecord* e, float sigma,
                                                    float speed) {
    const D3DXMATRIX* enemy = WorldOf(e->m_pLeadShip);
    if (!enemy) return;
    const D3DXVECTOR2 side = Unit2(sigma * enemy->_11, sigma * enemy->_13);
    r->m_fTargetX = enemy->_41 + side.x * r->m_fColumnBattleDistance;
    r->m_fTargetZ = enemy->_43 + side.y * r->m_fColumnBattleDistance;
    r->m_pColumn->SetTargetPoint(r->m_fTargetX, r->m_fTargetZ);
    r->m_pColumn->SetRouteSpeed(speed);
}

void CVR3GAMEComputerPlayerBehaviourOne::Role1Tactic() {
    BehaviourColumnRecord* r = m_pRole1;
    const D3DXMATRIX* own = WorldOf(r->m_pLeadShip);
    const D3DXMATRIX* enemy = WorldOf(m_pEnemy1->m_pLeadShip);
    if (!own || !enemy) return;
    const float d = Vorna3D::GetDistanceBetweenMatrices(own, enemy);
    const float h = Vorna3D::GetHeadingAngleToMatrix(own, enemy);
    const float g = Vorna3D::GetHeadingAngleToMatrix(enemy, own);
    r->m_fD1 = d;
    r->m_fH1 = h;
    r->m_fG1 = g;
    const float b = r->m_fColumnBattleDistance;
    if (d > kClosingDistance) {
        r->m_fTargetX = enemy->_41;
        r->m_fTargetZ = enemy->_43;
        r->m_pColumn->SetRouteSpeed(ColumnSpeed(r->m_pColumn));
        r->m_pColumn->SetTargetPoint(r->m_fTargetX, r->m_fTargetZ);
        r->m_iKind = COLUMN_CLOSING_ENEMY1;
    } else if (d > 3.0f * b) {
        FlankPoint(r, m_pEnemy1, SideFrom(g, kSideTolerance), kFlankSpeed);
        r->m_iKind = COLUMN_ENGAGING_ENEMY1;
    } else {
        EngagedManoeuvre(r, m_pEnemy1, d, h);
        r->m_iKind = COLUMN_ENGAGING_ENEMY1;
    }
}

void CVR3GAMEComputerPlayerBehaviourOne::Role2Tactic() {
    BehaviourColumnRecord* r = m_pRole2;
    const D3DXMATRIX* own = WorldOf(r->m_pLeadShip);
    const D3DXMATRIX* enemy1 = WorldOf(m_pEnemy1->m_pLeadShip);
    if (!own || !enemy1) return;
    r->m_fD1 = Vorna3D::GetDistanceBetweenMatrices(own, enemy1);
    r->m_fH1 = Vorna3D::GetHeadingAngleToMatrix(own, enemy1);
    const float b = r->m_fColumnBattleDistance;
    const D3DXMATRIX* enemy2 = m_pEnemy2 ? WorldOf(m_pEnemy2->m_pLeadShip) : nullptr;
    if (!enemy2) {
        // Support of role 1 against enemy 1, from the other flank.
        if (r->m_fD1 > kClosingDistance) {
            r->m_fTargetX = enemy1->_41;
            r->m_fTargetZ = enemy1->_43;
            const bool role1Closing = m_pRole1 && m_pRole1->m_iKind == COLUMN_CLOSING_ENEMY1;
            const float speed = role1Closing ? ColumnSpeed(m_pRole1->m_pColumn) * 0.9f : ColumnSpeed(r->m_pColumn);
            r->m_pColumn->SetRouteSpeed(speed);
            r->m_pColumn->SetTargetPoint(r->m_fTargetX, r->m_fTargetZ);
            r->m_iKind = COLUMN_CLOSING_ENEMY1;
        } else if (r->m_fD1 > 3.0f * b) {
            const float role1G = m_pRole1 ? m_pRole1->m_fG1 : 0.0f;
            FlankPoint(r, m_pEnemy1, -SideFrom(role1G, kSideTolerance), kFlankSpeed);
            r->m_iKind = COLUMN_ENGAGING_ENEMY1;
        } else {
            EngagedManoeuvre(r, m_pEnemy1, r->m_fD1, r->m_fH1);
            r->m_iKind = COLUMN_ENGAGING_ENEMY1;
        }
        return;
    }
    // Role 2 takes on enemy 2 alone.
    r->m_fD2 = Vorna3D::GetDistanceBetweenMatrices(own, enemy2);
    r->m_fH2 = Vorna3D::GetHeadingAngleToMatrix(own, enemy2);
    r->m_fG2 = Vorna3D::GetHeadingAngleToMatrix(enemy2, own);
    if (r->m_fD2 > kClosingDistance) {
        r->m_fTargetX = enemy2->_41;
        r->m_fTargetZ = enemy2->_43;
        r->m_pColumn->SetRouteSpeed(ColumnSpeed(r->m_pColumn));
        r->m_pColumn->SetTargetPoint(r->m_fTargetX, r->m_fTargetZ);
        r->m_iKind = COLUMN_CLOSING_ENEMY2;
    } else if (r->m_fD2 > 3.0f * b) {
        float sigma;
        if (std::fabs(r->m_fD2 - r->m_fD1) >= 2.0f * b) {
            sigma = SideFrom(r->m_fG2, kSideTolerance);
        } else {
            sigma = r->m_fG2 >= 0.0f ? 1.0f : -1.0f;
            if (std::fabs(r->m_fH2) > std::fabs(r->m_fH1)) sigma = -sigma;
        }
        FlankPoint(r, m_pEnemy2, sigma, kFlankSpeed);
        r->m_iKind = COLUMN_ENGAGING_ENEMY2;
    } else {
        EngagedManoeuvre(r, m_pEnemy2, r->m_fD2, r->m_fH2);
        r->m_iKind = COLUMN_ENGAGING_ENEMY2;
    }
}

void CVR3GAMEComputerPlayerBehaviourOne::KeepStationAstern(BehaviourColumnRecord* r) {
    const D3DXMATRIX* rear = m_pRole1 ? WorldOf(m_pRole1->m_pRearShip) : nullptr;
    if (!rear) return;
    const D3DXVECTOR2 back = Unit2(-rear->_31, -rear->_33);
    r->m_fTargetX = rear->_41 + back.x * kStationAstern;
    r->m_fTargetZ = rear->_43 + back.y * kStationAstern;
    r->m_pColumn->SetTargetPoint(r->m_fTargetX, r->m_fTargetZ);
    r->m_pColumn->SetRouteSpeed(ColumnSpeed(r->m_pColumn));
}

void CVR3GAMEComputerPlayerBehaviourOne::Role3Tactic() {
    BehaviourColumnRecord* r = m_pRole3;
    const D3DXMATRIX* own = WorldOf(r->m_pLeadShip);
    if (!own) return;
    const D3DXMATRIX* enemy3 = m_pEnemy3 ? WorldOf(m_pEnemy3->m_pLeadShip) : nullptr;
    if (enemy3) {
        r->m_fD3 = Vorna3D::GetDistanceBetweenMatrices(own, enemy3);
        r->m_fG3 = Vorna3D::GetHeadingAngleToMatrix(enemy3, own);
    }
    if (const D3DXMATRIX* enemy1 = WorldOf(m_pEnemy1->m_pLeadShip)) r->m_fD1 = Vorna3D::GetDistanceBetweenMatrices(own, enemy1);
    if (const D3DXMATRIX* enemy2 = m_pEnemy2 ? WorldOf(m_pEnemy2->m_pLeadShip) : nullptr)
        r->m_fD2 = Vorna3D::GetDistanceBetweenMatrices(own, enemy2);

    const bool role2Closing = m_pRole2 && (m_pRole2->m_iKind == COLUMN_CLOSING_ENEMY1 ||
                                           m_pRole2->m_iKind == COLUMN_CLOSING_ENEMY2);
    if (role2Closing || !enemy3 || !(r->m_fStrength > m_pEnemy3->m_fStrength)) {
        KeepStationAstern(r);
        return;
    }
    const float b = r->m_fColumnBattleDistance;
    const float columnSpeed = ColumnSpeed(r->m_pColumn);
    if (r->m_fD3 > 3.0f * b) {
        FlankPoint(r, m_pEnemy3, SideFrom(r->m_fG3, kReserveSideTolerance), columnSpeed);
        return;
    }
    const D3DXVECTOR2 enemyForward = Unit2(enemy3->_31, enemy3->_33);
    const float a = 0.5f * Vorna3D::GetHeadingAngleToDirection2D(own, &enemyForward);
    const D3DXVECTOR2 f = Unit2(own->_31, own->_33);
    D3DXVECTOR3 v(f.x, 0.0f, f.y);
    Vorna3D::RotateVec3AroundY(&v, -a);
    const D3DXVECTOR2 course = Unit2(v.x, v.z);
    r->m_pColumn->SetCourse(course.x, course.y);
    const bool abeam = r->m_fG3 >= kEighthTurn && r->m_fG3 <= kThreeEighthsTurn;
    r->m_pColumn->SetRouteSpeed(abeam ? std::min(columnSpeed, ColumnSpeed(m_pEnemy3->m_pColumn)) : columnSpeed);
}

} // namespace SeaBattle
