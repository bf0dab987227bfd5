#pragma once
// Owner of every physical object of the battle scene, of the pool of force
// entries their bodies borrow, and of the fixed-step clock of the physics:
// at most one step per 60 ms of timeGetTime, scaled by the time scale. Each
// step first finds and answers contacts between ships, then advances every
// active object.
//
// The engine scene creates it in InitPhysicalManager, calls Init once, links
// it to the ocean and the active scene tree, calls Update once per frame,
// ClearStepClock from Restore, and Release at the end.
#include "engine3/world/physics/CDX9KelBasePhysicalObject.h"
#include "engine3/world/physics/CDX9KelPhysicalForce.h"
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <vector>

namespace Vorna3D {

class CDX9KelOceanSurface;
class CDX9KelPhysicalObjectShip;
class CDX9KelSceneObject;
class CDXSceneTree;
class CDXSceneTreeNode;

class CDX9KelPhysicalManager {
public:
    static constexpr DWORD kStepIntervalMs = 60;
    // A gap longer than this many intervals restarts the clock instead of catching up.
    static constexpr DWORD kRestartIntervals = 10;
    static constexpr unsigned kInitialPoolSize = 500;
    static constexpr float kMaxTimeScale = 2.0f;

    CDX9KelPhysicalManager();
    ~CDX9KelPhysicalManager();
    CDX9KelPhysicalManager(const CDX9KelPhysicalManager&) = delete;
    CDX9KelPhysicalManager& operator=(const CDX9KelPhysicalManager&) = delete;

    bool Init();
    // One physics step when one is due.
    void Update();
    // False unless 0 <= s <= 2. Time scale 0 stops stepping and pauses the
    // ocean; any other value resumes both.
    bool SetTimeScale(float s);
    bool AddPhysicalObject(CDX9KelBasePhysicalObject* pObject);
    CDX9KelPhysicalObjectShip* AddPhysicalObjectShip(CDX9KelSceneObject* pSceneObject, float mass);
    // Fills the query results with the objects whose scene objects' bounding
    // spheres meet the sphere; true when any was found.
    bool FindObjectsInSphere(const D3DXVECTOR3* pCentre, float radius);
    // Releases and deletes the object when this manager holds it; its scene
    // object no longer names it. False when the manager does not hold it.
    bool RemovePhysicalObject(CDX9KelBasePhysicalObject* pObject);
    // Releases and deletes every object (their scene objects no longer name
    // them); the pool stays.
    void Clear();
    // Releases and deletes every object and every pool entry.
    void Release();
    // The next Update starts a fresh interval.
    void ClearStepClock() { m_dwLastStepTime = 0; }

    // Files the leaf entries of every object's scene object, sorted by leaf
    // and entry, for the neighbour look-ups; each contact pass does it first.
    void FileLeafEntries();
    // The active objects of this manager whose scene objects share a leaf of
    // the scene tree with the object's, in the order of the object's leaves
    // and of the entries in each leaf, each once: what a walk over every
    // entry of those leaves finds. Valid after FileLeafEntries until an
    // object is re-filed in the tree.
    const std::vector<CDX9KelBasePhysicalObject*>& FindNeighbours(CDX9KelBasePhysicalObject* pObject);

    // An entry from the pool; the pool grows when none is free.
    CDX9KelPhysicalForce* TakeForce();
    void ReturnForce(CDX9KelPhysicalForce* pForce);

    void SetOcean(CDX9KelOceanSurface* pOcean) { m_pOcean = pOcean; }
    CDX9KelOceanSurface* GetOcean() const { return m_pOcean; }
    void SetSceneTree(CDXSceneTree* pTree) { m_pSceneTree = pTree; }
    CDXSceneTree* GetSceneTree() const { return m_pSceneTree; }
    // Seconds of the current step.
    float GetStepTime() const { return m_fDt; }
    float GetTimeScale() const { return m_fTimeScale; }
    bool IsEnabled() const { return m_bEnabled; }
    // Both flags are cleared at the start of each step's contact pass. The
    // contact flag: two ships' hulls touched (the narrow test found points);
    // the overlap flag: two bodies' bounding spheres met.
    bool IsContactFound() const { return m_bContactFound; }
    bool IsOverlapFound() const { return m_bOverlapFound; }
    DWORD GetLastStepTime() const { return m_dwLastStepTime; }
    const std::vector<CDX9KelBasePhysicalObject*>& GetObjects() const { return m_stdvObjects; }
    const std::vector<CDX9KelBasePhysicalObject*>& GetQueryResults() const { return m_stdvQueryResults; }
    const std::vector<D3DXVECTOR4>& GetIntersectionPoints() const { return m_stdvPoints; }
    std::size_t GetPoolSize() const { return m_stdvPool.size(); }
    std::size_t GetFreeForceCount() const { return m_stdvFreePool.size(); }

private:
    void ContactPass();
    void TestNeighbours(CDX9KelBasePhysicalObject* pObject);
    void TestPair(CDX9KelBasePhysicalObject* a, CDX9KelBasePhysicalObject* b);
    bool NarrowPhase(CDX9KelBasePhysicalObject* a, CDX9KelBasePhysicalObject* b, D3DXVECTOR3* pPointA,
                     D3DXVECTOR3* pPointB);
    void AnswerContact(CDX9KelBasePhysicalObject* pxObject, CDX9KelBasePhysicalObject* pyObject);
    void RemoveObject(std::size_t slot);

    DWORD m_dwStepInterval = kStepIntervalMs;
    DWORD m_dwLastStepTime = 0;
    float m_fDt = 0.05f;
    float m_fTimeScale = 1.0f;
    float m_fMaxTimeScale = kMaxTimeScale;
    bool m_bContactFound = false;
    bool m_bOverlapFound = false;
    CDX9KelOceanSurface* m_pOcean = nullptr;
    CDXSceneTree* m_pSceneTree = nullptr;
    std::vector<CDX9KelBasePhysicalObject*> m_stdvObjects;
    std::vector<unsigned> m_stdvFreeObjects;
    std::vector<CDX9KelPhysicalForce*> m_stdvPool;
    std::vector<unsigned> m_stdvFreePool;
    std::vector<CDX9KelBasePhysicalObject*> m_stdvQueryResults;
    std::vector<D3DXVECTOR4> m_stdvPoints;
    // Scratch list of neighbours of the object under test.
    std::vector<CDX9KelBasePhysicalObject*> m_stdvNeighbours;
    // One leaf entry of an object's scene object.
    struct LeafFiling {
        const CDXSceneTreeNode* pLeaf;
        DWORD dwEntry;
        CDX9KelSceneObject* pSceneObject;
    };
    // The leaf entries of the objects' scene objects, by leaf, then entry.
    std::vector<LeafFiling> m_stdvFilings;
    bool m_bEnabled = true;
};

} // namespace Vorna3D
