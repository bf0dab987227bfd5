#pragma once
// The steering record of a movement ship: it turns a route order (a course,
// a map point, a ship to follow) into a short timed plan of segments, each a
// constant speed and turn held for a time, and plays it back. Every planning
// step rebuilds the next 30 s of plan; every physics step plays the queue.
#include "platform/math/d3dx9math.h"

#include <vector>

namespace Vorna3D {
class CDX9KelPhysicalManager;
class CDX9KelPhysicalObjectShip;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEMovementShip;

enum ESteeringMode { STEER_NONE = -1, STEER_COURSE = 0, STEER_POINT = 1, STEER_FOLLOW = 2 };

// One planned segment; owned by the record's pool.
struct CVR3GAMESteeringSegment {
    int m_iIndex = -1;
    float m_fElapsed = -1.0f; // -1 = not started
    float m_fStartSpeed = 0.0f;
    D3DXMATRIX m_mStart;
    float m_fDuration = 0.0f;
    float m_fEndSpeed = 0.0f;
    float m_fTurn = 0.0f; // signed turn rate handed to GetRudderForTurn; 0 straight
    D3DXMATRIX m_mEnd;
    D3DXVECTOR3 m_vCheckCentre{0.0f, 0.0f, 0.0f};
    float m_fRadius = 0.0f;
    float m_fPathLength = 0.0f;
    float m_fTimeWindow = 0.0f;
    float m_fTurnAngle = 0.0f;

    CVR3GAMESteeringSegment();
    // Back to the values of a new segment; the index stays.
    void Reset();
};

struct CVR3GAMEAvoidShip {
    Vorna3D::CDX9KelPhysicalObjectShip* m_pBody = nullptr;
    float m_fSquaredDistance = 0.0f;
};

class CVR3GAMEMovementSteering {
public:
    static constexpr float kHorizon = 30.0f;
    static constexpr unsigned kInitialSegments = 10;
    static constexpr float kArrivedSquared = 25.0f;
    static constexpr float kFollowMarkerNone = -100.0f;
    static constexpr float kFollowClockNone = -1.0f;

    CVR3GAMEMovementSteering() = default;
    ~CVR3GAMEMovementSteering();
    CVR3GAMEMovementSteering(const CVR3GAMEMovementSteering&) = delete;
    CVR3GAMEMovementSteering& operator=(const CVR3GAMEMovementSteering&) = delete;

    // Stores the manager and the ship and fills the pool with 10 segments.
    bool Init(Vorna3D::CDX9KelPhysicalManager* pManager, CVR3GAMEMovementShip* pShip);

    bool SetCourse(float x, float z);
    bool SetTargetPoint(float x, float z);
    bool SetFollow(CVR3GAMEMovementShip* pShip);
    bool AddAvoidShip(Vorna3D::CDX9KelPhysicalObjectShip* pBody, float squaredDistance);
    // Mode -1, follow markers reset, followed ship kept.
    void ClearOrder();
    // Returns every plan segment to the free list; false when the plan was empty.
    bool ClearPlan();
    void Proc(int mode, float dt);

    const std::vector<CVR3GAMESteeringSegment*>& GetPlan() const { return m_stdvPlan; }
    std::size_t GetPoolSize() const { return m_stdvPool.size(); }

    // Segment builders (from a world matrix, start and end speed in m/s);
    // each returns a segment taken from the pool, or null.
    CVR3GAMESteeringSegment* MakeStraight(const D3DXMATRIX& m, float s, float e, float duration);
    CVR3GAMESteeringSegment* MakeStraightToPoint(const D3DXMATRIX& m, float s, float e, float duration, float px,
                                                 float pz);
    CVR3GAMESteeringSegment* MakeArcByAngle(const D3DXMATRIX& m, float s, float e, float angle);
    // Result of an arc towards a point.
    enum EArcResult { ARC_FAILED = -1, ARC_NOT_NEEDED = 0, ARC_NOT_REACHABLE = 1, ARC_MADE = 2 };
    EArcResult MakeArcToPoint(const D3DXMATRIX& m, float s, float e, float px, float pz, bool alternative,
                              CVR3GAMESteeringSegment** out);
    void FreeSegment(CVR3GAMESteeringSegment* seg);

    Vorna3D::CDX9KelPhysicalManager* m_pManager = nullptr;
    CVR3GAMEMovementShip* m_pShip = nullptr;
    int m_iMode = STEER_NONE;
    CVR3GAMEMovementShip* m_pFollowedShip = nullptr;
    float m_fTargetX = 0.0f;
    float m_fTargetZ = 0.0f;
    std::vector<CVR3GAMESteeringSegment*> m_stdvPool;
    std::vector<unsigned> m_stdvFree;
    std::vector<CVR3GAMESteeringSegment*> m_stdvPlan;
    std::vector<CVR3GAMEAvoidShip> m_stdvAvoid;
    float m_fFollowMarker = kFollowMarkerNone;
    float m_fFollowClock = kFollowClockNone;

    // The polar table of an obstacle check: 25 sectors of 15 degrees, entry
    // 12 dead ahead; each with its angle and cost.
    static constexpr int kSectorCount = 25;
    static constexpr int kSectorAhead = 12;
    static constexpr float kSectorWidth = 0.261799f;
    static constexpr float kNoEscape = 6.2831853f;
    struct Sector {
        float m_fAngle = 0.0f;
        float m_fCost = 0.0f;
    };
    // The sector of an angle, clamped to the table (an angle that is not a
    // number counts as dead ahead).
    static int SectorOf(float angle);
    // Whether the segment runs into another body (the sector table is
    // marked with what blocks it).
    bool IsSegmentBlocked(CVR3GAMESteeringSegment* seg);
    // The escape angle round the reference angle, or kNoEscape.
    float FindEscapeAngle(float reference) const;
    const Sector* GetSectors() const { return m_aSectors; }
    // Seconds within which two arrivals at one crossing conflict.
    float TimeWindow(float meanSpeed) const;

private:
    void ResetSectors();
    void MarkSectorRange(float from, float to, float cost);
    void AddRangeCost(float from, float to, float cost);
    void AddSectorCost(float angle, float cost);
    // Checks a segment before it joins the plan: free, it is appended (true);
    // blocked, the plan is rebuilt as a detour from its start (false, also
    // when no detour is found). Planning stops after a blocked segment.
    bool AppendChecked(CVR3GAMESteeringSegment* seg);
    bool Detour(CVR3GAMESteeringSegment* blocked);
    // One body against the segment; true when it blocks (sectors marked).
    bool TestBody(CVR3GAMESteeringSegment* seg, const Vorna3D::CDX9KelPhysicalObjectShip* body);

    Sector m_aSectors[kSectorCount];

    CVR3GAMESteeringSegment* TakeSegment();
    void Append(CVR3GAMESteeringSegment* seg);
    void StartSegment(CVR3GAMESteeringSegment* seg);
    void PlayBack(float dt);
    bool PlanCourse(const D3DXMATRIX& m);
    bool PlanPoint(const D3DXMATRIX& m, float px, float pz);
    // -1 failed, 0 planned, 1 close enough.
    int PlanFollow(const D3DXMATRIX& m);
    void KeepStation();
    // The turn rate of the ship's turn limit (its turning value while it has
    // none); 0 only for a ship that cannot turn.
    float TurnRate() const;
};

} // namespace SeaBattle
