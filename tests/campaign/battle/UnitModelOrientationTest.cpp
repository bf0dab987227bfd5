// The demo unit models head the way the campaign's placements head: bow at
// -z (ahead along the sea heading), starboard parts on the side of positive
// bearings, guns along their frames' -z; the frames' turns agree with the
// ".amd" files; and an attack turn leaves the guns of the turned tower or
// hull part pointing at the target; a column sails its route bow first.
#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/routes/CDX9KelColumnMovement.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/data/CDX9KelAnimatedModel.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "campaign/data/DataTestSupport.h"
#include "common/DemoData.h"
#include "common/OffscreenDevice.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"
#include "platform/os/Crt.h"
#include "platform/os/Paths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

using namespace VornaCampaign;
using Vorna2::CDX9KelBoundsRecord;

namespace {

constexpr float kPi = 3.14159265f;
const std::string kBin = VORNA_BIN_DIR;

// A placement as the map builder writes it: turned by `yaw` degrees, at x, z.
D3DXMATRIX Placement(float yaw, float x, float z) {
    const float a = yaw * kPi / 180.0f, c = std::cos(a), n = std::sin(a);
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    m._11 = c, m._13 = -n, m._31 = n, m._33 = c;
    m._41 = x, m._43 = z;
    return m;
}

D3DXMATRIX At(const D3DXVECTOR3& p) {
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, p.x, p.y, p.z);
    return m;
}

D3DXVECTOR3 Position(const D3DXMATRIX& m) { return D3DXVECTOR3(m._41, m._42, m._43); }

// The frame's matrix as the model draws it under `unit`: its local matrix,
// then each parent's. False when the frame is not in the tree.
bool WorldOf(const CDX9KelBoundsRecord* record, const CDX9KelBoundsRecord* frame, const D3DXMATRIX& parent,
             D3DXMATRIX* out) {
    for (; record; record = record->m_pSibling) {
        D3DXMATRIX combined;
        D3DXMatrixMultiply(&combined, &record->m_mLocal, &parent);
        if (record == frame) {
            *out = combined;
            return true;
        }
        if (WorldOf(record->m_pChild, frame, combined, out)) return true;
    }
    return false;
}

// The bearing of a point from a matrix: 0 ahead, positive to starboard.
float Bearing(const D3DXMATRIX& from, const D3DXVECTOR3& point) {
    const D3DXMATRIX to = At(point);
    return Vorna2::GetHeadingAngleToMatrix(&from, &to);
}

// The point at `distance` and `bearing` from the unit.
D3DXVECTOR3 PointAt(const D3DXMATRIX& unit, float bearing, float distance) {
    const D3DXVECTOR3 h = SeaHeading(unit);
    // Positive bearings lie towards the negated first row.
    D3DXVECTOR3 r(-unit._11, 0.0f, -unit._13);
    D3DXVec3Normalize(&r, &r);
    return Position(unit) + (h * std::cos(bearing) + r * std::sin(bearing)) * distance;
}

// The angle between a gun's barrel (its frame's -z in the world, on the sea
// plane) and the line from the gun to the point.
float BarrelOff(const D3DXMATRIX& gunWorld, const D3DXVECTOR3& point) {
    D3DXVECTOR3 barrel(-gunWorld._31, 0.0f, -gunWorld._33), line(point.x - gunWorld._41, 0.0f, point.z - gunWorld._43);
    D3DXVec3Normalize(&barrel, &barrel);
    D3DXVec3Normalize(&line, &line);
    return std::acos(std::fmax(-1.0f, std::fmin(1.0f, D3DXVec3Dot(&barrel, &line))));
}

// The model's frame that `record` keeps the bounds of.
D3DXFRAME* FrameOf(D3DXFRAME* frame, const CDX9KelBoundsRecord* record, const CDX9KelBoundsRecord* wanted) {
    for (; frame && record; frame = frame->pFrameSibling, record = record->m_pSibling) {
        if (record == wanted) return frame;
        if (D3DXFRAME* below = FrameOf(frame->pFrameFirstChild, record->m_pChild, wanted)) return below;
    }
    return nullptr;
}

// The angle between the barrel as drawn (from the gun frame's origin to the
// middle of its mesh, in the world, on the sea plane) and the line from the
// gun to the point; 10 when the gun has no mesh.
float DrawnBarrelOff(const D3DXFRAME* gun, const D3DXMATRIX& gunWorld, const D3DXVECTOR3& point) {
    D3DXVECTOR3 lo, hi;
    if (!gun || !gun->pMeshContainer || !gun->pMeshContainer->MeshData.pMesh ||
        FAILED(D3DXComputeBoundingBoxMesh(gun->pMeshContainer->MeshData.pMesh, &lo, &hi)))
        return 10.0f;
    const D3DXVECTOR3 middleLocal = (lo + hi) * 0.5f;
    D3DXVECTOR3 middle;
    D3DXVec3TransformCoord(&middle, &middleLocal, &gunWorld);
    D3DXVECTOR3 barrel(middle.x - gunWorld._41, 0.0f, middle.z - gunWorld._43);
    D3DXVECTOR3 line(point.x - gunWorld._41, 0.0f, point.z - gunWorld._43);
    D3DXVec3Normalize(&barrel, &barrel);
    D3DXVec3Normalize(&line, &line);
    return std::acos(std::fmax(-1.0f, std::fmin(1.0f, D3DXVec3Dot(&barrel, &line))));
}

// Rows 1 and 3 (Right and Direction) of two matrices agree.
void ExpectSameTurn(const D3DXMATRIX& amd, const D3DXMATRIX& frame) {
    const float a[6] = {amd._11, amd._12, amd._13, amd._31, amd._32, amd._33};
    const float f[6] = {frame._11, frame._12, frame._13, frame._31, frame._32, frame._33};
    for (int i = 0; i < 6; ++i) EXPECT_NEAR(a[i], f[i], 1e-4f) << "element " << i;
}

// The frames whose name holds `part`.
void Collect(D3DXFRAME* frame, const char* part, std::vector<D3DXFRAME*>* out) {
    for (; frame; frame = frame->pFrameSibling) {
        if (frame->Name && std::strstr(frame->Name, part)) out->push_back(frame);
        Collect(frame->pFrameFirstChild, part, out);
    }
}

struct DemoUnit {
    const char* model;
    const char* description;
    float length, beam;
};
const DemoUnit kShips[] = {{"c2monitor.x", "ship_a.xml", 14.0f, 3.0f}, {"c2corvette.x", "ship_b.xml", 12.0f, 2.4f}};

class UnitModelOrientationTest : public CampaignDataTest::LoggedFolder {
protected:
    // Particle files are named relative to the program's folder, as the game
    // finds them beside itself.
    static void SetUpTestSuite() { VornaTest::LinkDemoData(Platform::ProgramFolder()); }
    void SetUp() override {
        LoggedFolder::SetUp();
        ASSERT_TRUE(device.Create(64, 64));
    }
    void TearDown() override {
        resources.ReleaseAllXFiles();
        resources.ReleaseAllTextures();
        LoggedFolder::TearDown();
    }
    Vorna2::CDX9KelModel* Load(const char* file, CDX9KelAnimatedModel* animated) {
        Vorna2::CDX9KelModel* model = resources.CreateModel(device.m_pDevice, (kBin + "/Models/Units/").c_str(), file);
        if (!model) return nullptr;
        D3DXMATRIX identity;
        D3DXMatrixIdentity(&identity);
        model->UpdateFrameMatrices(model->m_pFrameRoot, model->m_pBounds, &identity);
        model->UpdateFrameBoundingBoxes(model->m_pFrameRoot, model->m_pBounds);
        const std::string amd = kBin + "/Data/AnimatedModels/" + CDX9KelAnimatedModel::FileNameFor(file);
        if (!CDX9KelAnimatedModel::CreateAnimatedModel(model, animated, amd.c_str())) return nullptr;
        return model;
    }

    VornaTest::OffscreenDevice device;
    Vorna2::CDX9KelGraphicsResManager resources;
};

} // namespace

TEST_F(UnitModelOrientationTest, ShipsLieBowAheadWithTheirPartsOnTheirSidesAndGunsAtRest) {
    for (const DemoUnit& unit : kShips) {
        SCOPED_TRACE(unit.model);
        CDX9KelAnimatedModel animated;
        Vorna2::CDX9KelModel* model = Load(unit.model, &animated);
        ASSERT_NE(model, nullptr) << Log();
        ASSERT_EQ(animated.m_stdvTowers.size(), 2u);
        ASSERT_EQ(animated.m_stdvDesign.size(), 6u);
        const D3DXMATRIX ship = Placement(30.0f, 40.0f, -25.0f);
        const D3DXVECTOR3 heading = SeaHeading(ship), centre = Position(ship);
        auto ahead = [&](const D3DXVECTOR3& p) {
            const D3DXVECTOR3 d = p - centre;
            return D3DXVec3Dot(&d, &heading);
        };
        auto across = [&](const D3DXVECTOR3& p) {
            const D3DXVECTOR3 d = p - centre;
            return d.x * heading.z - d.z * heading.x;
        };

        // The hull's foremost corner is its pointed bow on the centre line,
        // half a length ahead; its aftmost corners are the flat stern's.
        D3DXFRAME* hullFrame = nullptr;
        ASSERT_TRUE(Vorna2::CDX9KelModel::FindFrameByName("HullBody", model->m_pFrameRoot, model->m_pBounds, &hullFrame,
                                                          nullptr));
        ID3DXMesh* hull = hullFrame->pMeshContainer ? hullFrame->pMeshContainer->MeshData.pMesh : nullptr;
        ASSERT_NE(hull, nullptr);
        void* data = nullptr;
        ASSERT_TRUE(SUCCEEDED(hull->LockVertexBuffer(D3DLOCK_READONLY, &data)));
        D3DXVECTOR3 bow(0, 0, 0), stern(0, 0, 0);
        float most = -1e9f, least = 1e9f;
        for (DWORD i = 0; i < hull->GetNumVertices(); ++i) {
            const auto* v = reinterpret_cast<const D3DXVECTOR3*>(static_cast<const BYTE*>(data) +
                                                                 i * hull->GetNumBytesPerVertex());
            D3DXVECTOR3 w;
            D3DXVec3TransformCoord(&w, v, &ship);
            if (ahead(w) > most) most = ahead(w), bow = w;
            if (ahead(w) < least) least = ahead(w), stern = w;
        }
        hull->UnlockVertexBuffer();
        EXPECT_NEAR(most, unit.length / 2, 1e-3f);
        EXPECT_NEAR(across(bow), 0.0f, 1e-3f);
        EXPECT_NEAR(least, -unit.length / 2, 1e-3f);
        EXPECT_NEAR(std::fabs(across(stern)), unit.beam / 2, 1e-3f);

        // The towers: the fore one ahead with its guns to the bow, the aft
        // one astern with its guns to the stern.
        for (int t = 0; t < 2; ++t) {
            const AnimatedFrame& tower = animated.m_stdvTowers[t];
            ASSERT_NE(tower.m_pFrame, nullptr);
            D3DXMATRIX w;
            ASSERT_TRUE(WorldOf(model->m_pBounds, tower.m_pFrame, ship, &w));
            EXPECT_EQ(ahead(Position(w)) > 0.0f, t == 0);
            for (const AnimatedGunFrame& gun : tower.m_stdvGuns) {
                ASSERT_NE(gun.m_pFrame, nullptr);
                D3DXMATRIX g;
                ASSERT_TRUE(WorldOf(model->m_pBounds, gun.m_pFrame, ship, &g));
                EXPECT_NEAR(BarrelOff(g, Position(g) + heading * (t == 0 ? 10.0f : -10.0f)), 0.0f, 1e-3f);
            }
        }
        // The hull parts (left bow, middle, stern, then right): the bow
        // parts ahead, the stern parts astern, the left ones to port
        // (negative bearings), each with its broadside guns out of its side.
        for (int p = 0; p < 6; ++p) {
            SCOPED_TRACE(p);
            const AnimatedFrame& part = animated.m_stdvDesign[p];
            ASSERT_NE(part.m_pFrame, nullptr);
            D3DXMATRIX w;
            ASSERT_TRUE(WorldOf(model->m_pBounds, part.m_pFrame, ship, &w));
            const float bearing = Bearing(ship, Position(w));
            EXPECT_EQ(bearing > 0.0f, p >= 3);
            if (p % 3 == 0) {
                EXPECT_LT(std::fabs(bearing), kPi / 2);
            } else if (p % 3 == 2) {
                EXPECT_GT(std::fabs(bearing), kPi / 2);
            }
            for (const AnimatedGunFrame& gun : part.m_stdvGuns) {
                D3DXMATRIX g;
                ASSERT_TRUE(WorldOf(model->m_pBounds, gun.m_pFrame, ship, &g));
                EXPECT_NEAR(Bearing(ship, centre + D3DXVECTOR3(-g._31, 0.0f, -g._33)), p >= 3 ? kPi / 2 : -kPi / 2,
                            1e-3f);
            }
        }
        // The ".amd" rows (Right, up, Direction) are the frames' turns in the
        // model: a tower's or part's in its parent, a gun's in the model.
        for (const auto* list : {&animated.m_stdvTowers, &animated.m_stdvDesign})
            for (const AnimatedFrame& entry : *list) {
                ExpectSameTurn(entry.m_mOrientation, entry.m_pFrame->m_mLocal);
                for (const AnimatedGunFrame& gun : entry.m_stdvGuns) {
                    D3DXMATRIX g, identity;
                    D3DXMatrixIdentity(&identity);
                    ASSERT_TRUE(WorldOf(model->m_pBounds, gun.m_pFrame, identity, &g));
                    ExpectSameTurn(gun.m_mOrientation, g);
                }
            }
    }
}

TEST_F(UnitModelOrientationTest, EveryBarrelLiesAlongItsFramesMinusZ) {
    for (const char* file : {"c2monitor.x", "c2corvette.x", "c2fort.x"}) {
        SCOPED_TRACE(file);
        CDX9KelAnimatedModel animated;
        Vorna2::CDX9KelModel* model = Load(file, &animated);
        ASSERT_NE(model, nullptr) << Log();
        std::vector<D3DXFRAME*> guns;
        Collect(model->m_pFrameRoot, "_Gun", &guns);
        EXPECT_EQ(guns.size(), std::string(file) == "c2monitor.x" ? 12u : std::string(file) == "c2fort.x" ? 3u : 10u);
        for (D3DXFRAME* gun : guns) {
            SCOPED_TRACE(gun->Name);
            ASSERT_TRUE(gun->pMeshContainer && gun->pMeshContainer->MeshData.pMesh);
            D3DXVECTOR3 lo, hi;
            ASSERT_TRUE(SUCCEEDED(D3DXComputeBoundingBoxMesh(gun->pMeshContainer->MeshData.pMesh, &lo, &hi)));
            EXPECT_NEAR(hi.z, 0.0f, 1e-4f);
            EXPECT_LT(lo.z, -1.0f);
            EXPECT_LT(hi.x - lo.x, 0.3f);
        }
    }
}

// The turret ship fires one gun group at the corvette lying at a bearing:
// once the group has turned, every gun of it (its frame's -z and its barrel
// as drawn) points at the target (within
// the last turning step and the gun's offset from where the turn was
// measured), its shot smoke starts at its muzzle, and after the turn the
// frames are back at rest.
TEST_F(UnitModelOrientationTest, AfterTheAttackTurnTheGroupsGunsPointAtTheTarget) {
    std::vector<GunType> artillery;
    ASSERT_TRUE(g_DataIO.LoadArtillery((kBin + "/Data/Artillery/Artillery.xml").c_str(), &artillery)) << Log();
    CDX9KelAnimatedModel animated;
    Vorna2::CDX9KelModel* model = Load("c2monitor.x", &animated);
    ASSERT_NE(model, nullptr) << Log();
    Platform::SequenceRandom random({0x40000000u, 0xC0000000u});
    Platform::SetRandomSource(&random);
    struct Restore {
        ~Restore() { Platform::SetRandomSource(nullptr); }
    } restore;

    // Group 0 and 1 are the towers, 2-7 the hull parts (left bow, middle,
    // stern, then right); each bearing lies in the group's bombard zone.
    const struct {
        int group;
        float bearing;
    } cases[] = {{0, 1.2f}, {0, -0.6f}, {1, 2.5f}, {1, -2.2f}, {2, -0.9f}, {3, -1.7f}, {6, 1.4f}, {7, 2.3f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "group " << c.group << " bearing " << c.bearing);
        GameObjectRecord attacker, target;
        SetRecordText(attacker.m_Unit.m_szName, "A");
        SetRecordText(target.m_Unit.m_szName, "B");
        ASSERT_TRUE(g_DataIO.LoadGameObjectXML((kBin + "/Data/Parameters/ship_a.xml").c_str(), &attacker, artillery));
        ASSERT_TRUE(g_DataIO.LoadGameObjectXML((kBin + "/Data/Parameters/ship_b.xml").c_str(), &target, artillery));
        BattleDataBlock& data = *attacker.m_pBattleData;
        PartRecord& part = c.group < 2 ? data.m_stdvMGTowers[c.group] : data.m_stdvDesignParts[c.group - 2];
        for (GunRecord& gun : part.m_stdvGuns) {
            gun.m_bReady = gun.m_bCanShoot = 1;
            gun.m_iCurrentBombardSpeed = 1;
        }
        Vorna2::CDX9KelSceneObject attackerScene, targetScene;
        attackerScene.SetWorldMatrix(Placement(30.0f, 40.0f, -25.0f));
        const D3DXVECTOR3 aim = PointAt(attackerScene.m_mWorld, c.bearing, 30.0f);
        targetScene.SetWorldMatrix(At(aim));

        CDX9KelBattleSystem battle;
        Vorna2::CDXParticleSystemManager particles;
        particles.m_pResManager = &resources;
        CDX9KelBattleSystem::MapLists lists;
        lists.m_pParticles = &particles;
        lists.m_pDevice = device.m_pDevice;
        battle.SetMapLists(lists);
        battle.m_szShotParticles = "Particles\\Campaign\\c2smoke.ini";
        ASSERT_TRUE(battle.BeginBombardment(c.group, &attackerScene, &attacker, &animated, &targetScene, &target));
        for (int frame = 0; frame < 100 && battle.m_iState == BATTLE_SYSTEM_BOMBARDMENT; ++frame)
            battle.ProcBombardment();
        ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);
        for (int frame = 0; frame < 10000 && battle.m_iAttackTurnStep < 1; ++frame) battle.ProcAttackTurn(10.0f);
        ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_ATTACK_TURN);
        ASSERT_GE(battle.m_iAttackTurnStep, 1);
        const AnimatedFrame& entry = c.group < 2 ? animated.m_stdvTowers[c.group] : animated.m_stdvDesign[c.group - 2];
        ASSERT_FALSE(entry.m_stdvGuns.empty());
        std::vector<D3DXVECTOR3> muzzles;
        for (const AnimatedGunFrame& gun : entry.m_stdvGuns) {
            D3DXMATRIX g;
            ASSERT_TRUE(WorldOf(model->m_pBounds, gun.m_pFrame, attackerScene.m_mWorld, &g));
            EXPECT_LT(BarrelOff(g, aim), 0.2f);
            // The muzzle: a barrel's length (the longest side of the gun's
            // box) along the gun frame's -z.
            const D3DXVECTOR3 box = gun.m_pFrame->m_vBoxMax - gun.m_pFrame->m_vBoxMin;
            D3DXVECTOR3 forward(-g._31, -g._32, -g._33);
            D3DXVec3Normalize(&forward, &forward);
            muzzles.push_back(Position(g) + forward * std::fmax(box.x, std::fmax(box.y, box.z)));
            EXPECT_LT(DrawnBarrelOff(FrameOf(model->m_pFrameRoot, model->m_pBounds, gun.m_pFrame), g, aim), 0.2f);
        }
        // Each gun's shot smoke starts at its muzzle (the splash and blast
        // files are not given here).
        for (int frame = 0; frame < 100000 && battle.m_iState != BATTLE_SYSTEM_IDLE; ++frame)
            battle.ProcAttackTurn(10.0f);
        ASSERT_EQ(battle.m_iState, BATTLE_SYSTEM_IDLE);
        ASSERT_EQ(particles.m_Standalone.size(), muzzles.size());
        for (std::size_t i = 0; i < muzzles.size(); ++i) {
            const D3DXVECTOR3 off = Position(particles.m_Standalone[i]->m_mLocal) - muzzles[i];
            EXPECT_LT(D3DXVec3Length(&off), 1e-3f) << "gun " << i;
        }
        particles.DeleteAllPS();
        EXPECT_EQ(std::memcmp(&entry.m_pFrame->m_mLocal, &entry.m_mInitial, sizeof entry.m_mInitial), 0);
    }
}

// Two turret ships in a column sail a route around an island: every frame
// each ship that moved moved towards its drawn bow (the hull's pointed end),
// and at the end the follower has the leader ahead of its bow.
TEST_F(UnitModelOrientationTest, AColumnSailsBowFirst) {
    CDX9KelAnimatedModel animated;
    Vorna2::CDX9KelModel* model = Load("c2monitor.x", &animated);
    ASSERT_NE(model, nullptr) << Log();
    // The pointed end of the hull in the model: its vertex farthest along
    // the heading of an unturned placement.
    D3DXFRAME* hullFrame = nullptr;
    ASSERT_TRUE(Vorna2::CDX9KelModel::FindFrameByName("HullBody", model->m_pFrameRoot, model->m_pBounds, &hullFrame,
                                                      nullptr));
    ID3DXMesh* hull = hullFrame->pMeshContainer->MeshData.pMesh;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    const D3DXVECTOR3 heading = SeaHeading(identity);
    D3DXVECTOR3 bow(0, 0, 0);
    void* data = nullptr;
    ASSERT_TRUE(SUCCEEDED(hull->LockVertexBuffer(D3DLOCK_READONLY, &data)));
    for (DWORD i = 0; i < hull->GetNumVertices(); ++i) {
        const auto* v =
            reinterpret_cast<const D3DXVECTOR3*>(static_cast<const BYTE*>(data) + i * hull->GetNumBytesPerVertex());
        if (D3DXVec3Dot(v, &heading) > D3DXVec3Dot(&bow, &heading)) bow = *v;
    }
    hull->UnlockVertexBuffer();
    ASSERT_GT(D3DXVec3Dot(&bow, &heading), 6.0f);

    D3DXMATRIX ships[2] = {Placement(0.0f, 0.0f, 0.0f), Placement(0.0f, 0.0f, 16.0f)};
    MovementBlock moves[2];
    GameColumnRecord column;
    for (int i = 0; i < 2; ++i) {
        moves[i].m_fSpeedLimit = 9.0f;
        moves[i].m_fRotationAngle = 0.05f;
        moves[i].m_fAcceleration = 0.06f;
        column.m_Ids.push_back(i + 1);
        column.m_Ships.push_back({&ships[i], &moves[i]});
    }
    column.m_fCurrentSpeed = 9.0f;
    UpdateColumnLimits(&column);
    CDX9KelSeaPathGenerator generator;
    CDX9KelSeaPathFinder finder(&generator);
    CKelSeaObstacleField field;
    finder.SetObstacleQuery(&field);
    field.AddBox(-15.0f, -60.0f, 10.0f, -40.0f, 1);
    SeaMover mover;
    mover.m_mWorld = ships[0];
    mover.m_fRadius = 5.0f;
    SeaMoveParams params;
    params.m_fMaxSpeed = column.m_fSpeedLimit;
    params.m_fMaxTurnRate = column.m_fTurnLimit;
    params.m_fAcceleration = column.m_fAccelerationLimit;
    params.m_fStartSpeed = column.m_fCurrentSpeed;
    ASSERT_EQ(finder.FindPath(&mover, &params, 0.0f, 300.0f, 0.0f, 0.0f, -110.0f), SEA_PATH_RESULT_FOUND);
    CDX9KelColumnMovement movement;
    ASSERT_TRUE(movement.AddColumn(&column, generator, finder.m_iFittedPath));

    int moved = 0;
    float worst = 0.0f;
    for (int frame = 0; frame < 100000 && !movement.m_Entries.empty(); ++frame) {
        const D3DXMATRIX before[2] = {ships[0], ships[1]};
        movement.Update(10.0f);
        for (int i = 0; i < 2; ++i) {
            const D3DXVECTOR3 step = Position(ships[i]) - Position(before[i]);
            if (D3DXVec3Length(&step) < 1e-3f) continue;
            ++moved;
            // The bow as drawn now, and the line from the ship to it.
            D3DXVECTOR3 drawnBow;
            D3DXVec3TransformCoord(&drawnBow, &bow, &ships[i]);
            D3DXVECTOR3 toBow = drawnBow - Position(ships[i]), along = step;
            toBow.y = along.y = 0.0f;
            D3DXVec3Normalize(&toBow, &toBow);
            D3DXVec3Normalize(&along, &along);
            worst = std::fmax(worst, std::acos(std::fmax(-1.0f, std::fmin(1.0f, D3DXVec3Dot(&toBow, &along)))));
        }
    }
    EXPECT_TRUE(movement.m_Entries.empty());
    EXPECT_GT(moved, 100);
    // A turning ship's step lies a little off its bow; sailing stern first
    // would be pi off.
    EXPECT_LT(worst, 0.2f);
    EXPECT_LT(std::fabs(Bearing(ships[1], Position(ships[0]))), 0.5f);
}
