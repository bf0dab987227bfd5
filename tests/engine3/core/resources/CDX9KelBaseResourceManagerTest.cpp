#include "engine3/core/resources/CDX9KelBaseResourceManager.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Vorna3D;

namespace {

// A resource that records what happened to it in a shared journal.
struct Journal {
    std::vector<std::string> events;
};

class SpyResource : public CDX9KelBaseResource {
public:
    SpyResource(Journal& j, const char* name, DWORD type = KEL_RESOURCE_TEXTURE) : CDX9KelBaseResource(type), m_j(j)
    {
        m_strName = name;
    }
    ~SpyResource() override { m_j.events.push_back("delete " + m_strName); }
    void Release() override { m_j.events.push_back("release " + m_strName); }
    void Update(float f) override { m_j.events.push_back("update " + m_strName + " " + std::to_string(int(f))); }
    void Render(IDirect3DDevice9*, float f, int a, int b) override
    {
        m_j.events.push_back("render " + m_strName + " " + std::to_string(a + b));
    }
    void OnLost(int) override { m_j.events.push_back("lost " + m_strName); }
    void Restore(IDirect3DDevice9*) override { m_j.events.push_back("restore " + m_strName); }
    void ReleaseHeldResources() override { m_j.events.push_back("give back " + m_strName); }

private:
    Journal& m_j;
};

class ResourceManager : public ::testing::Test {
protected:
    void SetUp() override { mgr.Init(KEL_RESOURCE_TEXTURE, 100); }
    // Creates and registers a resource with one reference, as the creators do.
    SpyResource* Make(const char* name)
    {
        auto* r = new SpyResource(journal, name);
        EXPECT_TRUE(mgr.AddResource(r));
        r->m_dwRefCount = 1;
        return r;
    }
    Journal journal;
    CDX9KelBaseResourceManager mgr;
};

TEST_F(ResourceManager, FreedSlotsAreReusedMostRecentFirst)
{
    SpyResource* a = Make("A");
    SpyResource* b = Make("B");
    SpyResource* c = Make("C");
    EXPECT_EQ(a->m_iSlotIndex, 0);
    EXPECT_EQ(b->m_iSlotIndex, 1);
    EXPECT_EQ(c->m_iSlotIndex, 2);

    EXPECT_TRUE(mgr.ReleaseResource(b));
    EXPECT_EQ(mgr.m_vResources[1], nullptr);
    SpyResource* d = Make("D");
    EXPECT_EQ(d->m_iSlotIndex, 1);

    EXPECT_TRUE(mgr.ReleaseResource(a));
    EXPECT_TRUE(mgr.ReleaseResource(c));
    SpyResource* e = Make("E");
    EXPECT_EQ(e->m_iSlotIndex, 2);
    SpyResource* f = Make("F");
    EXPECT_EQ(f->m_iSlotIndex, 0);
    SpyResource* g = Make("G");
    EXPECT_EQ(g->m_iSlotIndex, 3);
    EXPECT_EQ(mgr.m_vResources.size(), 4u);
    EXPECT_EQ(journal.events, (std::vector<std::string>{"release B", "delete B", "release A", "delete A",
                                                         "release C", "delete C"}));
}

TEST_F(ResourceManager, CountsReferencesBeforeDeleting)
{
    SpyResource* a = Make("A");
    a->m_dwRefCount = 3;
    EXPECT_TRUE(mgr.ReleaseResource(a));
    EXPECT_TRUE(mgr.ReleaseResource(a));
    EXPECT_EQ(a->m_dwRefCount, 1u);
    EXPECT_TRUE(journal.events.empty());
    EXPECT_TRUE(mgr.ReleaseResource(a));
    EXPECT_EQ(journal.events.size(), 2u);
    // A resource registered but never counted goes at its first release.
    SpyResource* z = new SpyResource(journal, "Z");
    ASSERT_TRUE(mgr.AddResource(z));
    EXPECT_EQ(z->m_iSlotIndex, 0);
    EXPECT_TRUE(mgr.ReleaseResource(z));
    EXPECT_EQ(journal.events.back(), "delete Z");
}

TEST_F(ResourceManager, RefusesWhatItDoesNotHold)
{
    Journal other;
    SpyResource wrongType(other, "W", KEL_RESOURCE_EFFECT);
    EXPECT_FALSE(mgr.AddResource(nullptr));
    EXPECT_FALSE(mgr.AddResource(&wrongType));
    SpyResource* a = Make("A");
    EXPECT_FALSE(mgr.AddResource(a)); // already registered

    SpyResource stray(other, "S");
    EXPECT_FALSE(mgr.ReleaseResource(nullptr));
    EXPECT_FALSE(mgr.ReleaseResource(&stray)); // slot -1
    stray.m_iSlotIndex = 0;                    // claims a's slot
    EXPECT_FALSE(mgr.ReleaseResource(&stray));
    stray.m_iSlotIndex = 7; // beyond the slots
    EXPECT_FALSE(mgr.ReleaseResource(&stray));
    stray.m_iSlotIndex = -1;
    EXPECT_FALSE(mgr.ReleaseResource(&wrongType));
    EXPECT_EQ(a->m_dwRefCount, 1u);
    EXPECT_TRUE(journal.events.empty());
}

TEST_F(ResourceManager, FindsAndReleasesByFolder)
{
    SpyResource* a = Make("A");
    a->m_strFileName = "sea.dds";
    a->m_strFolder = "Textures\\";
    SpyResource* b = Make("B");
    b->m_strFileName = "sky.dds";
    b->m_strFolder = "Textures\\";
    b->m_dwRefCount = 2;
    SpyResource* c = Make("C");
    c->m_strFileName = "sea.dds";
    c->m_strFolder = "Other\\";

    EXPECT_EQ(mgr.FindByNameAndFolder("sea.dds", "Other\\"), 2);
    EXPECT_EQ(mgr.FindByNameAndFolder("sea.dds", "Textures\\"), 0);
    EXPECT_EQ(mgr.FindByNameAndFolder("SEA.dds", "Textures\\"), -1);
    EXPECT_EQ(mgr.FindByNameAndFolder(nullptr, "Textures\\"), -1);
    EXPECT_EQ(mgr.FindByNameAndFolder("sea.dds", nullptr), -1);

    EXPECT_FALSE(mgr.ReleaseByFolder(""));
    EXPECT_FALSE(mgr.ReleaseByFolder(nullptr));
    EXPECT_TRUE(mgr.ReleaseByFolder("Textures\\"));
    EXPECT_EQ(mgr.m_vResources[0], nullptr);
    EXPECT_EQ(mgr.m_vResources[1], b);
    EXPECT_EQ(b->m_dwRefCount, 1u);
    EXPECT_EQ(mgr.FindByNameAndFolder("sea.dds", "Textures\\"), -1);
}

TEST_F(ResourceManager, FansOutEventsAndReleasesAllWhateverTheCounts)
{
    SpyResource* a = Make("A");
    SpyResource* b = Make("B");
    b->m_dwRefCount = 5;
    Make("C");
    mgr.ReleaseResource(a);
    journal.events.clear();

    mgr.Update(3.0f);
    mgr.Render(nullptr, 0.0f, 1, 2);
    mgr.OnLost(0);
    mgr.Restore(nullptr);
    EXPECT_EQ(journal.events, (std::vector<std::string>{"update B 3", "update C 3", "render B 3", "render C 3",
                                                         "lost B", "lost C", "restore B", "restore C"}));
    journal.events.clear();
    mgr.ReleaseAll();
    EXPECT_EQ(journal.events, (std::vector<std::string>{"release B", "delete B", "release C", "delete C"}));
    EXPECT_TRUE(mgr.m_vResources.empty());
    EXPECT_TRUE(mgr.m_vFreeSlots.empty());
    EXPECT_EQ(Make("D")->m_iSlotIndex, 0);
}

TEST(GraphicObjectsManager, ReleasesWhateverTheCountsAndKeepsTheSlots)
{
    Journal journal;
    CDX9KelTextureManager textures;
    CDX9KelEffectManager effects;
    CDX9KelGraphicObjectsManager objects;
    objects.Init(KEL_RESOURCE_GRAPHIC_OBJECT, 10);
    auto add = [&](const char* name, DWORD count, const char* folder) {
        auto* r = new SpyResource(journal, name, KEL_RESOURCE_GRAPHIC_OBJECT);
        r->m_strFolder = folder;
        EXPECT_TRUE(objects.AddResource(r));
        r->m_dwRefCount = count;
        return r;
    };
    SpyResource* sea = add("Sea", 1, "Maps/");
    SpyResource* sky = add("Sky", 3, "Maps/");
    add("Smoke", 2, "Effects/");

    // Without its texture and effect managers the manager lets nothing go.
    EXPECT_FALSE(objects.ReleaseGraphicObject(sea));
    objects.m_pTextureManager = &textures;
    objects.m_pEffectManager = &effects;

    EXPECT_FALSE(objects.ReleaseByFolder(""));
    EXPECT_TRUE(objects.ReleaseByFolder("Maps/"));
    EXPECT_EQ(objects.m_vResources[0], nullptr);
    EXPECT_EQ(objects.m_vResources[1], sky);
    EXPECT_EQ(sky->m_dwRefCount, 2u);
    // The last reference: what the object holds goes back first.
    EXPECT_EQ(journal.events, (std::vector<std::string>{"give back Sea", "release Sea", "delete Sea"}));

    journal.events.clear();
    objects.ReleaseAll();
    EXPECT_EQ(journal.events, (std::vector<std::string>{"give back Sky", "release Sky", "delete Sky", "give back Smoke",
                                                         "release Smoke", "delete Smoke"}));
    EXPECT_EQ(objects.m_vResources, (std::vector<CDX9KelBaseResource*>{nullptr, nullptr, nullptr}));
    EXPECT_EQ(objects.m_vFreeSlots, (std::vector<DWORD>{0, 1, 2}));
}

} // namespace
