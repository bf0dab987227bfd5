// Animated ship models: which frames the ".amd" file binds, what a missing
// frame does, the orientation of each entry, and the weapon-group lookup.
#include "DataTestSupport.h"
#include "campaign/data/CDX9KelAnimatedModel.h"
#include "engine2/core/resources/CDX9KelModel.h"

#include <cstring>

using namespace VornaCampaign;
using Vorna2::CDX9KelBoundsRecord;

namespace {

// A model whose hierarchy is Ship { Tower { Tower_Gun1 }, Part { Part_Gun1 } },
// made in memory: each frame's local matrix is a translation by its number.
class SmallModel {
public:
    SmallModel() {
        const char* names[] = {"Ship", "Tower", "Tower_Gun1", "Part", "Part_Gun1"};
        for (int i = 0; i < 5; ++i) {
            std::strcpy(m_names[i], names[i]);
            m_frames[i].Name = m_names[i];
            m_records[i] = new CDX9KelBoundsRecord();
            D3DXMatrixTranslation(&m_records[i]->m_mLocal, static_cast<float>(i), 0.0f, 0.0f);
            m_frames[i].TransformationMatrix = m_records[i]->m_mLocal;
        }
        Link(0, 1, -1);
        Link(1, 2, 3);
        Link(3, 4, -1);
        model.m_pFrameRoot = &m_frames[0];
        model.m_pBounds = m_records[0];
    }
    ~SmallModel() { model.m_pFrameRoot = nullptr; }
    CDX9KelBoundsRecord* Record(int i) { return m_records[i]; }

    Vorna2::CDX9KelModel model;

private:
    void Link(int parent, int child, int sibling) {
        m_frames[parent].pFrameFirstChild = &m_frames[child];
        m_records[parent]->m_pChild = m_records[child];
        if (sibling >= 0) {
            m_frames[child].pFrameSibling = &m_frames[sibling];
            m_records[child]->m_pSibling = m_records[sibling];
        }
    }
    char m_names[5][16];
    Vorna2::D3DXFRAME_DERIVED m_frames[5]{};
    CDX9KelBoundsRecord* m_records[5];
};

std::string Vectors(const char* direction, const char* right) {
    return std::string("<Direction>") + direction + "</Direction><Right>" + right + "</Right>";
}

class AnimatedModelTest : public CampaignDataTest::LoggedFolder {
protected:
    bool Load(const std::string& body) {
        path = Put("ship.amd", "<?xml version=\"1.0\" ?>\n" + body);
        return CDX9KelAnimatedModel::CreateAnimatedModel(&small.model, &animated, path.c_str());
    }
    SmallModel small;
    CDX9KelAnimatedModel animated;
    std::string path;
};

const char* const kDir = "<x>0</x><y>0</y><z>-1</z>";
const char* const kRight = "<x>-1</x><y>0</y><z>0</z>";

} // namespace

TEST_F(AnimatedModelTest, FramesAreFoundByNameWithTheirMatrixAndOrientation) {
    ASSERT_TRUE(Load("<Main><MGTowers><!-- fore -->"
                     "<Tower>" + Vectors(kDir, kRight) + "<Guns><!-- one --><Tower_Gun1>" + Vectors(kDir, kRight) +
                     "</Tower_Gun1></Guns></Tower></MGTowers>"
                     "<Design><Part>" + Vectors(kDir, kRight) + "<Guns><Part_Gun1>" + Vectors(kDir, kRight) +
                     "</Part_Gun1></Guns></Part><Nowhere/></Design></Main>"))
        << Log();
    ASSERT_EQ(animated.m_stdvTowers.size(), 1u);
    ASSERT_EQ(animated.m_stdvDesign.size(), 2u);
    const AnimatedFrame& tower = animated.m_stdvTowers[0];
    EXPECT_EQ(tower.m_pFrame, small.Record(1));
    EXPECT_FLOAT_EQ(tower.m_mInitial._41, 1.0f);
    ASSERT_EQ(tower.m_stdvGuns.size(), 1u);
    EXPECT_EQ(tower.m_stdvGuns[0].m_pFrame, small.Record(2));
    EXPECT_FLOAT_EQ(tower.m_stdvGuns[0].m_mInitial._41, 2.0f);
    EXPECT_EQ(animated.m_stdvDesign[0].m_pFrame, small.Record(3));
    // Rows: Right, up, Direction, the identity's last row.
    const D3DXMATRIX& o = tower.m_mOrientation;
    const float expected[16] = {-1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ((&o._11)[i], expected[i]) << i;
    // A part whose frame the model lacks is kept without a frame, its
    // matrices the identity.
    const AnimatedFrame& nowhere = animated.m_stdvDesign[1];
    EXPECT_EQ(nowhere.m_pFrame, nullptr);
    EXPECT_FLOAT_EQ(nowhere.m_mInitial._41, 0.0f);
    EXPECT_FLOAT_EQ(nowhere.m_mOrientation._11, 1.0f);
    EXPECT_FLOAT_EQ(nowhere.m_mOrientation._33, 1.0f);
    EXPECT_EQ(Vorna2::g_Log.GetErrorCount(), 0) << Log();
}

TEST_F(AnimatedModelTest, AGunThatCannotBeBoundDropsItsWholeTower) {
    const std::string gunWithout = "<Tower>" + Vectors(kDir, kRight) + "<Guns><Tower_Gun1><Direction>" + kDir +
                                   "</Direction></Tower_Gun1></Guns></Tower>";
    const std::string gunUnknown = "<Part>" + Vectors(kDir, kRight) + "<Guns><Part_Gun7>" + Vectors(kDir, kRight) +
                                   "</Part_Gun7></Guns></Part>";
    ASSERT_TRUE(Load("<Main><MGTowers>" + gunWithout + "<Part/></MGTowers><Design>" + gunUnknown + "</Design></Main>"));
    ASSERT_EQ(animated.m_stdvTowers.size(), 1u);
    EXPECT_EQ(animated.m_stdvTowers[0].m_pFrame, small.Record(3));
    EXPECT_TRUE(animated.m_stdvDesign.empty());
    const std::string log = Log();
    EXPECT_NE(log.find("Error : CDX9KelAnimatedModel::CreateAnimatedModel : xml node not read : Tower in file : " + path),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("xml node not read : Part in file : "), std::string::npos) << log;
    EXPECT_EQ(Vorna2::g_Log.GetErrorCount(), 2);
}

TEST_F(AnimatedModelTest, FilesThatDoNotReadChangeNothing) {
    animated.m_stdvTowers.resize(1);
    const std::pair<std::string, std::string> cases[] = {
        {"<Main><Design>", "Error : CDX9KelAnimatedModel::CreateAnimatedModel : xml file not read : "},
        {"<Model><Design><Part/></Design></Model>", ""},
    };
    for (const auto& [body, line] : cases) {
        SCOPED_TRACE(body);
        EXPECT_FALSE(Load(body));
        EXPECT_EQ(animated.m_stdvTowers.size(), 1u);
        EXPECT_TRUE(animated.m_stdvDesign.empty());
        if (!line.empty()) {
            EXPECT_NE(Log().find(line), std::string::npos) << Log();
        }
    }
    EXPECT_FALSE(CDX9KelAnimatedModel::CreateAnimatedModel(&small.model, nullptr, path.c_str()));
    EXPECT_FALSE(CDX9KelAnimatedModel::CreateAnimatedModel(&small.model, &animated, nullptr));
    // A file with Design only gives no towers.
    animated = CDX9KelAnimatedModel();
    ASSERT_TRUE(Load("<Main><Design><Part/></Design></Main>"));
    EXPECT_TRUE(animated.m_stdvTowers.empty());
    EXPECT_EQ(animated.m_stdvDesign.size(), 1u);
    EXPECT_EQ(CDX9KelAnimatedModel::FileNameFor("Gunboat.x"), "Gunboat.amd");
    EXPECT_EQ(CDX9KelAnimatedModel::FileNameFor("a.b.x"), "a.b.amd");
}

TEST(AnimatedModelGroups, GroupsNeedMatchingCountsAndAnIndex) {
    GameObjectRecord ship;
    ship.m_pBattleData = std::make_unique<BattleDataBlock>();
    ship.m_pBattleData->m_stdvMGTowers.resize(2);
    ship.m_pBattleData->m_stdvDesignParts.resize(6);
    CDX9KelAnimatedModel model;
    model.m_stdvTowers.resize(2);
    model.m_stdvDesign.resize(6);
    PartRecord* part = nullptr;
    AnimatedFrame* frame = nullptr;
    for (int group = 0; group < 8; ++group) {
        ASSERT_TRUE(GetGroupParts(&ship, group, &model, &part, &frame)) << group;
        if (group < 2) {
            EXPECT_EQ(part, &ship.m_pBattleData->m_stdvMGTowers[group]);
            EXPECT_EQ(frame, &model.m_stdvTowers[group]);
        } else {
            EXPECT_EQ(part, &ship.m_pBattleData->m_stdvDesignParts[group - 2]);
            EXPECT_EQ(frame, &model.m_stdvDesign[group - 2]);
        }
    }
    EXPECT_FALSE(GetGroupParts(&ship, 8, &model, &part, &frame));
    EXPECT_FALSE(GetGroupParts(&ship, -1, &model, &part, &frame));
    EXPECT_EQ(part, nullptr);
    EXPECT_EQ(frame, nullptr);
    // One tower: group 1 has nothing; hull counts that differ close groups 2-7.
    ship.m_pBattleData->m_stdvMGTowers.resize(1);
    model.m_stdvTowers.resize(1);
    EXPECT_TRUE(GetGroupParts(&ship, 0, &model, &part, &frame));
    EXPECT_FALSE(GetGroupParts(&ship, 1, &model, &part, &frame));
    model.m_stdvDesign.resize(5);
    EXPECT_FALSE(GetGroupParts(&ship, 2, &model, &part, &frame));
    EXPECT_FALSE(GetGroupParts(&ship, 0, nullptr, &part, &frame));
    GameObjectRecord mine;
    EXPECT_FALSE(GetGroupParts(&mine, 0, &model, &part, &frame));
}
