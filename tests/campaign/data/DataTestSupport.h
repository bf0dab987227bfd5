#pragma once
// A fresh folder and the campaign log opened inside it, for the data readers'
// tests; the log text is read back to check the lines a reader wrote.
#include "TestFolder.h"
#include "engine2/core/CDX9KelLog.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace CampaignDataTest {

class LoggedFolder : public ::testing::Test {
protected:
    void SetUp() override {
        dir = VornaTest::FreshFolder();
        Vorna2::g_Log.Reset();
        Vorna2::g_Log.SetCopyStream(nullptr);
        Vorna2::g_Log.Open((dir / "VornaLog.log").string());
    }
    void TearDown() override { Vorna2::g_Log.Reset(); }

    std::string Log() const { return VornaTest::ReadText(dir / "VornaLog.log"); }
    // Writes a file into the folder and returns its path.
    std::string Put(const std::string& name, const std::string& bytes) const {
        VornaTest::WriteText(dir / name, bytes);
        return (dir / name).string();
    }

    std::filesystem::path dir;
};

} // namespace CampaignDataTest
