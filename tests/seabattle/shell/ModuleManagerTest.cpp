// The battle program's module factory: which elements make modules, and what
// a module that cannot bind leaves behind.
#include "engine3/core/CDX9KelLog.h"
#include "seabattle/shell/CCIIModuleManager.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <tinyxml.h>

#include <string>

using namespace SeaBattle;

namespace {

TEST(ModuleManagerTest, UnknownElementsAreIgnoredAndAModuleThatCannotBindIsDiscardedWithItsMessage) {
    const auto dir = VornaTest::FreshFolder();
    Vorna3D::g_Log.Reset();
    Vorna3D::g_Log.Open((dir / "log.log").c_str());
    CCIIModuleManager modules;
    TiXmlElement unknown("NoSuchModule");
    TiXmlElement lower("soundline");
    TiXmlElement noLine("SoundLine");
    EXPECT_TRUE(modules.AddModule(&unknown, nullptr));
    EXPECT_TRUE(modules.AddModule(&lower, nullptr));
    EXPECT_TRUE(modules.AddModule(nullptr, nullptr));
    EXPECT_TRUE(modules.AddModule(&noLine, nullptr));
    EXPECT_EQ(modules.GetModuleCount(), 0u);
    Vorna3D::g_Log.Reset();
    const std::string log = VornaTest::ReadText(dir / "log.log");
    EXPECT_EQ(log.find("NoSuchModule"), std::string::npos) << log;
    EXPECT_EQ(log.find("soundline"), std::string::npos) << log;
    EXPECT_NE(log.find("CCIIModuleManager::AddModule: module SoundLine not create \n"), std::string::npos) << log;
}

} // namespace
