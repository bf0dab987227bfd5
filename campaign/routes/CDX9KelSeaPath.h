#pragma once
// Sea routes of the campaign map. The path generator holds planned paths:
// chains of segments (a speed, a turn rate and a time each) that it turns
// into kinematics and way points. The route finder plans how a column's
// leading ship reaches a target point within the time left in the turn,
// bending around whatever the obstacle query reports in the way.
//
// Paths are shared objects: the generator keeps one reference per path and
// a column that sails a path keeps another, so clearing the generator's
// list never frees a path still being sailed.
#include "platform/math/d3dx9math.h"

#include <memory>
#include <vector>

namespace Vorna2 {
class CDX9KelModel;
class CDX9KelRenderSystem;
} // namespace Vorna2
class IDirect3DDevice9;

namespace VornaCampaign {

enum ESeaPathResult : int {
    SEA_PATH_RESULT_ERROR = 0,
    SEA_PATH_RESULT_NOT_TIME = 1,
    SEA_PATH_RESULT_TAGRET_OCCUPED = 2,
    SEA_PATH_RESULT_NOT_FOUND = 3,
    SEA_PATH_RESULT_FOUND = 4,
};

// One world unit is this many route units.
constexpr float kRouteUnitsPerWorldUnit = 18.5f;
constexpr float kWorldUnitsPerRouteUnit = 0.054054f;

struct SeaSphere {
    float x = 0.0f, y = 0.0f, z = 0.0f, radius = 0.0f;
};

// What the route finder asks of the world. Objects are identities only; the
// hit list keeps the order in which the query reports them.
class ISeaObstacleQuery {
public:
    virtual ~ISeaObstacleQuery() = default;
    // True when any object touches the sphere; every touched object is in
    // the hit list.
    virtual bool TestSphere(float x, float y, float z, float radius) = 0;
    // True at the first object other than the excluded one that touches one
    // of the spheres; it is then the only hit.
    virtual bool TestSpheres(const std::vector<SeaSphere>& spheres, const void* exclude) = 0;
    virtual const std::vector<const void*>& Hits() const = 0;
    // The object's box on the map plane and its size value (radius). False
    // for an unknown object.
    virtual bool GetObjectBox(const void* object, float* minX, float* minZ, float* maxX, float* maxZ,
                              float* size) const = 0;
};

// The mover's movement values: maximum speed (route units per time unit),
// maximum turn rate (radians per time unit), acceleration, and the two
// values its first segment starts with (current speed, current turn rate).
struct SeaMoveParams {
    float m_fMaxSpeed = 0.0f;
    float m_fMaxTurnRate = 0.0f;
    float m_fAcceleration = 0.0f;
    float m_fStartSpeed = 0.0f;
    float m_fStartTurn = 0.0f;
};

struct SeaPathSegment {
    float m_fStartSpeed = 0.0f;
    float m_fStartValue2 = 0.0f;
    D3DXMATRIX m_mStart;
    float m_fSpeed = 0.0f;
    float m_fTurnRate = 0.0f;
    float m_fTime = 0.0f;
    float m_fLength = 0.0f;
    float m_fRadius = 0.0f;
    float m_fSpent = 0.0f;
};

struct SeaWayPoint {
    D3DXMATRIX m_mPlacement;
    bool m_bVisible = true;
    // Index of the segment that ends at (or holds) this way point.
    int m_iSegment = -1;
};

struct SeaPath {
    bool m_bOpen = true;
    bool m_bDrawn = false;
    SeaMoveParams m_Params;
    float m_fTime = 0.0f;
    float m_fLength = 0.0f;
    std::vector<SeaPathSegment> m_Segments;
    std::vector<SeaWayPoint> m_WayPoints;
    // Where the last segment ends (set by ReleasePath).
    D3DXMATRIX m_mEnd;
};

using SeaPathHandle = std::shared_ptr<SeaPath>;

class CDX9KelSeaPathGenerator {
public:
    // The marker drawn at the way points of a shown route (not owned).
    Vorna2::CDX9KelModel* m_pModel = nullptr;
    float m_fMaxPathTime = 300.0f;
    float m_fShipWidth = 8.0f;
    float m_fDeceleration = 0.009f;
    std::vector<SeaPathHandle> m_Paths;

    // -1 without parameters or start placement. Without keepTime the time is
    // capped at the maximum path time.
    int CreatePath(const SeaMoveParams* params, const D3DXMATRIX* start, float time, bool keepTime);
    bool AddSegment(int path, float time, float speed, float turnRate);
    void FinishPath(int path);
    // Closes the path, fits it to its time, computes the kinematics and the
    // way points. False for an invalid index.
    bool ReleasePath(int path);
    // Drops the generator's references; a path a column sails stays alive.
    void ClearPaths() { m_Paths.clear(); }
    bool IsValid(int path) const { return path >= 0 && path < static_cast<int>(m_Paths.size()) && m_Paths[path]; }
    SeaPathHandle Get(int path) const { return IsValid(path) ? m_Paths[path] : nullptr; }
    // Drops the last path (used for trial paths).
    void RemoveLast() {
        if (!m_Paths.empty()) m_Paths.pop_back();
    }
    // One sphere of radius half the ship width at every way point; true when
    // anything but `ignore` touches one.
    bool IsPathBlocked(ISeaObstacleQuery* query, int path, const void* ignore) const;
    // The placements of the visible way points of every path whose drawn
    // flag is set, path by path.
    void CollectMarkers(std::vector<const D3DXMATRIX*>* out) const;
    // Draws the marker model at those placements (once per frame; nothing
    // without the model).
    void Render(Vorna2::CDX9KelRenderSystem* renderSystem, IDirect3DDevice9* device, float frameTime) const;
};

// The mover: its world matrix, its collision radius and its identity in the
// obstacle query.
struct SeaMover {
    D3DXMATRIX m_mWorld;
    float m_fRadius = 0.0f;
    const void* m_pSelf = nullptr;
};

class CDX9KelSeaPathFinder {
public:
    explicit CDX9KelSeaPathFinder(CDX9KelSeaPathGenerator* generator) : m_pGenerator(generator) {}

    void SetObstacleQuery(ISeaObstacleQuery* query) { m_pQuery = query; }
    int FindPath(const SeaMover* mover, const SeaMoveParams* params, float timeUsed, float timeAvailable, float x,
                 float y, float z);

    ISeaObstacleQuery* m_pQuery = nullptr;
    CDX9KelSeaPathGenerator* m_pGenerator = nullptr;
    int m_iRoutePath = -1;
    int m_iFittedPath = -1;
    D3DXMATRIX m_mFinalTarget;
    unsigned m_uDetours = 0;
    unsigned m_uDetourLimit = 15;
    // Each detour point tried, in order (for reports).
    std::vector<D3DXVECTOR3> m_Detours;

private:
    struct Speeds {
        float V, T, a, v;
    };
    bool PlanLeg(const D3DXMATRIX& start, const D3DXMATRIX& target, const Speeds& sp, int depth);
    bool PlanDetour(const void* obstacle, const D3DXMATRIX& start, const D3DXMATRIX& target, const Speeds& sp,
                    int depth);
    D3DXVECTOR3 FindDetourPoint(const void* obstacle, const D3DXVECTOR3& start, const Speeds& sp);
    bool IsLineFree(const D3DXVECTOR3& a, const D3DXVECTOR3& b);
    bool FitRouteToTime(const SeaMoveParams* params, const D3DXMATRIX& placement, float timeUsed,
                        float timeAvailable);

    const SeaMover* m_pMover = nullptr;
    const SeaMoveParams* m_pParams = nullptr;
};

// ---- map-plane geometry ----
// Heading (negated third row) and side (first row) on the map plane.
D3DXVECTOR3 SeaHeading(const D3DXMATRIX& m);
// The signed angle that turns the placement's heading towards the point.
float SeaAngleTo(const D3DXMATRIX& m, float x, float z);
// The placement rotated about the vertical through (cx, cz) by angle.
D3DXMATRIX SeaRotateAbout(const D3DXMATRIX& m, float cx, float cz, float angle);

// An obstacle query over circles and boxes on the map plane, for the
// drivers, tests and benchmarks (and any map whose obstacles are known as
// footprints). Hits come in the order the obstacles were added.
class CKelSeaObstacleField : public ISeaObstacleQuery {
public:
    struct Obstacle {
        float minX, minZ, maxX, maxZ; // a box; a circle uses its bounding box
        float cx, cz, radius;         // radius > 0: a circle
        int id;
    };
    // Returns the obstacle's identity.
    const void* AddCircle(float x, float z, float radius, int id);
    const void* AddBox(float minX, float minZ, float maxX, float maxZ, int id);
    const Obstacle* Find(const void* object) const;

    bool TestSphere(float x, float y, float z, float radius) override;
    bool TestSpheres(const std::vector<SeaSphere>& spheres, const void* exclude) override;
    const std::vector<const void*>& Hits() const override { return m_Hits; }
    bool GetObjectBox(const void* object, float* minX, float* minZ, float* maxX, float* maxZ,
                      float* size) const override;

    std::vector<std::unique_ptr<Obstacle>> m_Obstacles;
    std::vector<const void*> m_Hits;

private:
    static bool Touches(const Obstacle& o, float x, float z, float r);
};

// The campaign's one path generator and its one route finder.
extern CDX9KelSeaPathGenerator g_SeaPathGenerator;
extern CDX9KelSeaPathFinder g_SeaPathFinder;

} // namespace VornaCampaign
