#pragma once
// A small battle world for the physics tests and benchmarks: a manual clock,
// a physical manager, a scene octree and box hulls whose collision meshes
// are served by an in-memory mesh reader.
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDX9KelSceneUnit.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/world/physics/CDX9KelCollisionModel.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "platform/os/Clock.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <vector>

namespace VornaTest {

// A closed box of width w (x), height h (y) and length l (z) centred on the
// origin, each face a grid of squares no larger than `cell`.
inline Vorna3D::CDX9KelCollisionMesh MakeBoxMesh(float w, float h, float l, float cell) {
    Vorna3D::CDX9KelCollisionMesh mesh;
    const D3DXVECTOR3 half(w / 2, h / 2, l / 2);
    // Each face: origin corner, two edge vectors.
    const D3DXVECTOR3 faces[6][3] = {
        {{-half.x, -half.y, -half.z}, {w, 0, 0}, {0, h, 0}}, // back  (z-)
        {{-half.x, -half.y, half.z}, {w, 0, 0}, {0, h, 0}},  // front (z+)
        {{-half.x, -half.y, -half.z}, {0, 0, l}, {0, h, 0}}, // left  (x-)
        {{half.x, -half.y, -half.z}, {0, 0, l}, {0, h, 0}},  // right (x+)
        {{-half.x, -half.y, -half.z}, {w, 0, 0}, {0, 0, l}}, // bottom
        {{-half.x, half.y, -half.z}, {w, 0, 0}, {0, 0, l}},  // top
    };
    for (const auto& f : faces) {
        const int nu = std::max(1, static_cast<int>(std::ceil(D3DXVec3Length(&f[1]) / cell)));
        const int nv = std::max(1, static_cast<int>(std::ceil(D3DXVec3Length(&f[2]) / cell)));
        const unsigned base = static_cast<unsigned>(mesh.stdvPositions.size());
        for (int j = 0; j <= nv; ++j)
            for (int i = 0; i <= nu; ++i)
                mesh.stdvPositions.push_back(f[0] + f[1] * (static_cast<float>(i) / nu) + f[2] * (static_cast<float>(j) / nv));
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                const unsigned a = base + j * (nu + 1) + i, b = a + 1, c = a + (nu + 1), d = c + 1;
                mesh.stdvIndices.insert(mesh.stdvIndices.end(), {a, b, d, a, d, c});
            }
    }
    return mesh;
}

// Meshes by collision source.
inline std::map<const Vorna3D::CDX9KelSceneUnit*, Vorna3D::CDX9KelCollisionMesh>& MeshTable() {
    static std::map<const Vorna3D::CDX9KelSceneUnit*, Vorna3D::CDX9KelCollisionMesh> table;
    return table;
}

inline bool ReadTableMesh(const Vorna3D::CDX9KelSceneUnit* source, Vorna3D::CDX9KelCollisionMesh* out) {
    auto it = MeshTable().find(source);
    if (it == MeshTable().end()) return false;
    *out = it->second;
    return true;
}

class ShipWorld {
public:
    explicit ShipWorld(float extent = 2000.0f, float nodeSize = 100.0f) {
        Platform::SetClock(&m_clock);
        Vorna3D::CDX9KelCollisionModel::SetMeshReader(&ReadTableMesh);
        m_manager.Init();
        const D3DXVECTOR3 mn(-extent, -100.0f, -extent), mx(extent, 100.0f, extent);
        m_tree.CreateEmptySceneTree("Battle", nodeSize, &mn, &mx, false, nullptr);
        m_manager.SetSceneTree(&m_tree);
    }
    ~ShipWorld() {
        m_manager.Release();
        for (auto& o : m_objects)
            if (o->m_iTreeIndex != -1) m_tree.RemoveSceneObject(o.get());
        for (auto& u : m_units) MeshTable().erase(u.get());
        Vorna3D::CDX9KelCollisionModel::SetMeshReader(nullptr);
        Platform::SetClock(nullptr);
    }

    // A scene object with a box collision source, filed in the tree.
    Vorna3D::CDX9KelSceneObject* AddHull(const D3DXVECTOR3& pos, float w = 10.0f, float h = 6.0f, float l = 40.0f,
                                         float cell = 2.0f) {
        auto unit = std::make_unique<Vorna3D::CDX9KelSceneUnit>();
        MeshTable()[unit.get()] = MakeBoxMesh(w, h, l, cell);
        auto so = std::make_unique<Vorna3D::CDX9KelSceneObject>();
        so->m_bNotOwned = true;
        so->m_pCollisionModel = unit.get();
        so->m_fRadius = 0.5f * std::sqrt(w * w + h * h + l * l);
        so->SetPosition(&pos);
        m_tree.AddSceneObject(so.get());
        m_units.push_back(std::move(unit));
        m_objects.push_back(std::move(so));
        return m_objects.back().get();
    }
    Vorna3D::CDX9KelPhysicalObjectShip* AddShip(const D3DXVECTOR3& pos, float mass = 100.0f, float w = 10.0f,
                                                float h = 6.0f, float l = 40.0f) {
        return m_manager.AddPhysicalObjectShip(AddHull(pos, w, h, l), mass);
    }
    // Advances the clock, re-files moved objects and runs one manager update.
    void Frame(DWORD ms) {
        m_clock.Advance(ms);
        m_tree.UpdateMovedObjects();
        m_manager.Update();
    }

    Platform::ManualClock m_clock{7000000u};
    Vorna3D::CDX9KelPhysicalManager m_manager;
    Vorna3D::CDXSceneTree m_tree;
    std::vector<std::unique_ptr<Vorna3D::CDX9KelSceneUnit>> m_units;
    std::vector<std::unique_ptr<Vorna3D::CDX9KelSceneObject>> m_objects;
};

} // namespace VornaTest
