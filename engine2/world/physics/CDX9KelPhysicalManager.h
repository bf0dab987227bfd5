#pragma once
// The campaign map's ships on the water: the scene objects that float (each
// with a small float record of its own) ride the active water near the
// camera (rise and sink towards the water height, pitch and roll with the
// waves); an object that moved is tested against the others in its scene-
// tree leaves, and every touching pair is recorded once for the game. It
// also answers sphere and line-of-fire queries.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <vector>

namespace Vorna2 {

class CDX9KelActiveWater;
class CDX9KelBaseCameraManager;
class CDXSceneTree;
class CDX9KelSceneObject;
class CDX9KelModel;

// The caller's record of a floating object (16 bytes). In the campaign it is
// the unit's movement state: heels and flood level.
struct CDX9KelFloatRecord {
    float m_fPitchBias = 0.0f;
    float m_fRollBias = 0.0f;
    // Added to the object's height to give its waterline.
    float m_fHeightOffset = 0.0f;
    BYTE m_bRollEnabled = 1;
    BYTE m_bPitchEnabled = 1;
    BYTE m_bActive = 1;
    BYTE m_bPadding = 0;
};
static_assert(sizeof(CDX9KelFloatRecord) == 16);

enum EKelContactKind : int {
    KEL_CONTACT_RAM = 0,      // handed back by the game for separation
    KEL_CONTACT_SMALL = 1,    // a small object's sphere touches B's hull
    KEL_CONTACT_LARGE = 2,    // B's sphere touches a large object's triangles
    KEL_CONTACT_HULLS = 3     // two registered hulls touch
};

struct CDX9KelContact {
    BYTE m_bHandled = 0;
    // A: the object found in the moved object's leaves; B: the moved one.
    CDX9KelSceneObject* m_pObjectA = nullptr;
    CDX9KelSceneObject* m_pObjectB = nullptr;
    // From B's forward axis to A's position, and from A's to B's (-1000
    // when missing).
    float m_fAngleBToA = -1000.0f;
    float m_fAngleAToB = -1000.0f;
    int m_iKind = KEL_CONTACT_SMALL;
};

// A sphere for the queries.
struct CDX9KelSphere {
    float x = 0.0f, y = 0.0f, z = 0.0f, radius = 0.0f;
};

class CDX9KelPhysicalManager {
public:
    static constexpr float kWaveDistance = 200.0f;
    // Objects with a bigger radius are tested by their triangles.
    static constexpr float kLargeRadius = 10.0f;
    static constexpr float kMaxAngleStep = 0.62831855f;
    static constexpr float kRamPush = 0.008f;
    static constexpr float kRamSeparation = 6.0f;

    CDX9KelPhysicalManager() = default;
    virtual ~CDX9KelPhysicalManager();
    CDX9KelPhysicalManager(const CDX9KelPhysicalManager&) = delete;
    CDX9KelPhysicalManager& operator=(const CDX9KelPhysicalManager&) = delete;

    // False when either is missing.
    virtual bool Init(CDX9KelBaseCameraManager* cameras, CDXSceneTree* tree);
    // The collision pass, then the wave pass.
    virtual void Process();
    // Empties all lists (the water stays set).
    virtual void Release();

    // The water the wave pass samples (null: no wave pass). The water
    // forgets the manager and the manager the water when either is deleted.
    void SetWater(CDX9KelActiveWater* water);
    CDX9KelActiveWater* GetWater() const { return m_pWater; }

    bool AddObject(CDX9KelSceneObject* object, CDX9KelFloatRecord* record);
    // False when not registered; every contact and hit that names the
    // object goes in either case.
    bool RemoveObject(CDX9KelSceneObject* object);
    int FindObject(const CDX9KelSceneObject* object) const;
    bool HasContacts() const { return !m_Contacts.empty(); }

    // True when any object touches the sphere; every touched object is in
    // the hit list (once per leaf that holds it).
    bool TestSphere(float x, float y, float z, float radius);
    // True at the first object other than the two excluded that touches one
    // of the spheres; it is then the only hit.
    bool TestSpheres(const std::vector<CDX9KelSphere>& spheres, const CDX9KelSceneObject* excludeA,
                     const CDX9KelSceneObject* excludeB);
    // True when a third object stands between the two.
    bool IsLineBlocked(CDX9KelSceneObject* objectA, CDX9KelSceneObject* objectB);

    // ---- the shape tests ----
    // The hull of the object's model as five spheres (centres and radii);
    // `full` gives the full-size shape used against single spheres, else the
    // half-size shape used between two hulls. False when the model has no
    // frame "hull".
    static bool GetHullSpheres(const CDX9KelSceneObject* object, const CDX9KelModel* model, bool full,
                               D3DXVECTOR3 centres[5], float radii[5]);
    static bool HullsTouch(const CDX9KelSceneObject* a, const CDX9KelSceneObject* b);
    // How far the hull of the two-hull test reaches from the object's
    // position in any direction (0 without a hull): two objects whose
    // positions lie farther apart than the sum of their reaches cannot touch.
    static float HullReach(const CDX9KelSceneObject* object);
    static bool HullTouchesSphere(const CDX9KelSceneObject* hullObject, const D3DXVECTOR3& centre, float radius);
    // The sphere against every second face of the object's last model (its
    // root mesh, or its first child's), each face as a world box.
    static bool SphereTouchesTriangles(const CDX9KelSceneObject* object, const D3DXVECTOR3& centre, float radius);

    // The wave step rule: height and angle steps from three samples (one
    // end, centre, other end), the two end points' heights, a bias and a
    // lever, at the frame-time factor f. False (both 0) when f is outside
    // [0.1, 10].
    static bool StepRule(float f, float h1, float hc, float h2, float y1, float y2, float bias, float lever,
                         float* heightStep, float* angleStep);

    CDX9KelActiveWater* m_pWater = nullptr;
    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    CDXSceneTree* m_pSceneTree = nullptr;
    std::vector<CDX9KelSceneObject*> m_Objects;
    std::vector<CDX9KelFloatRecord*> m_Records;
    std::vector<CDX9KelContact> m_Contacts;
    std::vector<CDX9KelSceneObject*> m_Hits;
    std::vector<CDX9KelContact*> m_ObjectContacts;
    float m_fWaveDistance = kWaveDistance;
    BYTE m_bWavePass = 1;
    BYTE m_bCollisionPass = 1;

private:
    void CollisionPass(float f);
    // True when the ram contact is over.
    bool RespondToContact(size_t index, float f);
    void TestMovedObject(CDX9KelSceneObject* moved);
    void RecordContact(CDX9KelSceneObject* other, CDX9KelSceneObject* moved, int kind);
    void WavePass(float f);
    bool TestObjectAgainstSphere(CDX9KelSceneObject* object, const D3DXVECTOR3& centre, float radius) const;
};

} // namespace Vorna2
