#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/LocalizedText.h"
#include "engine3/ui/localization/CVR3LocalizationManager.h"
#include "engine3/ui/localization/SafeXml.h"
#include "platform/os/Paths.h"
#include "TestFolder.h"

#include <clocale>
#include <cstring>

using namespace Vorna3D;

namespace {

// A program folder with "local.ini" and a language file, and the log routed
// into it.
class LocalizationTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = VornaTest::FreshFolder();
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
    }
    void TearDown() override { g_Log.Reset(); }

    std::string Folder() const { return folder.string() + "/"; }
    void WriteIni(const std::string& languageFile, const std::string& locale = "English") {
        VornaTest::WriteText(folder / "local.ini",
                             "[Local Settings]\r\nLocale=" + locale + "\r\nLanguageFile=" + languageFile + "\r\n");
    }
    std::string Log() const { return VornaTest::ReadText(folder / "Vorna3Log.log"); }

    std::filesystem::path folder;
};

const char* const kLanguage =
    "<?xml version=\"1.0\" ?>\n"
    "<Localization>\n"
    "  <Names tag=\"_LN_\">\n"
    "    <!-- a comment is no entry -->\n"
    "    <GUI_Start name=\"Start\"/>\n"
    "    <Ab name=\"short\"/>\n"
    "    <Abc name=\"long\"/>\n"
    "    <Twice name=\"first\"/>\n"
    "    <Twice name=\"second\"/>\n"
    "    <Empty name=\"\"/>\n"
    "    <Ship\xC0\xD1 name=\"\xCA\xEE\xF0\xE0\xE1\xEB\xFC\"/>\n"
    "    <After name=\"still loaded\"/>\n"
    "  </Names>\n"
    "</Localization>\n";

TEST_F(LocalizationTest, LooksUpKeysByPrefixAndStoredBytes) {
    VornaTest::WriteText(folder / "Language" / "English.xmllng", kLanguage);
    WriteIni("Language\\English.xmllng");
    CVR3LocalizationManager manager(Folder());
    ASSERT_TRUE(manager.CreateLocalData());

    struct Case {
        const char* key;
        const char* expected;  // null: not found
    };
    const Case cases[] = {
        {"_LN_GUI_Start", "Start"},
        {"GUI_Start", nullptr},                 // no prefix
        {"x_LN_GUI_Start", nullptr},            // prefix not at the start
        {"_LN_GUI_Stop", nullptr},              // unknown key
        {"_LN_GUI_Start_", nullptr},            // longer than any key
        {"_LN_A", ""},                          // only the beginning of Ab and Abc
        {"_LN_Ab", "short"},
        {"_LN_Abc", "long"},
        {"_LN_Twice", "second"},                // the later entry wins
        {"_LN_Empty", nullptr},                 // refused: empty text
        {"_LN_Ship\xC0\xD1", "\xCA\xEE\xF0\xE0\xE1\xEB\xFC"},  // bytes above 127
        {"_LN_Ship\xC0", ""},
        {"_LN_After", "still loaded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const char* text = manager.GetLocalizedName(c.key);
        if (!c.expected) {
            EXPECT_EQ(text, nullptr);
        } else {
            ASSERT_NE(text, nullptr);
            EXPECT_STREQ(text, c.expected);
        }
    }
    EXPECT_EQ(manager.GetLocalizedName(nullptr), nullptr);

    // The data readers see the names through the installed lookup.
    EXPECT_STREQ(LocalizeText("_LN_GUI_Start"), "Start");
    EXPECT_STREQ(LocalizeText("_LN_Missing"), "_LN_Missing");
    EXPECT_STREQ(LocalizeText("Plain text"), "Plain text");

    // The refused entry was logged, beginning with the byte 0xD1, and the
    // load went on.
    const std::string log = Log();
    EXPECT_NE(log.find("\xD1" "CVR3LocalNamesTree::AddName() : not insert name : Empty;\n with tag :\n"),
              std::string::npos);
    EXPECT_NE(log.find("CVR3LocalizationManager::CreateLocalData() : End"), std::string::npos);
}

TEST_F(LocalizationTest, TakesTheKeyPrefixFromTheFile) {
    struct Case {
        const char* tagAttribute;
        const char* key;
    };
    const Case cases[] = {{" tag=\"#T#\"", "#T#Name"}, {" tag=\"\"", "_LN_Name"}, {"", "_LN_Name"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tagAttribute);
        CVR3LocalizationManager manager(Folder());
        ASSERT_TRUE(manager.LoadLanguageText(std::string("<Localization><Names") + c.tagAttribute +
                                             "><Name name=\"value\"/></Names></Localization>"));
        ASSERT_NE(manager.GetLocalizedName(c.key), nullptr);
        EXPECT_STREQ(manager.GetLocalizedName(c.key), "value");
    }
}

TEST_F(LocalizationTest, FailuresLeaveEveryKeyAsWritten) {
    struct Case {
        const char* name;
        const char* languageFile;  // null: no local.ini at all
        const char* content;       // null: the file is not written
        bool result;
        int level;                 // log level of the expected line
        const char* logLine;       // null: no line beyond Begin
    };
    const Case cases[] = {
        {"no local.ini", nullptr, nullptr, false, LOG_WARNING,
         "CVR3LocalizationManager::CreateLocalData() : language file expansion not support : \n"},
        {"wrong extension", "Language\\English.xml", "<Localization/>", false, LOG_WARNING,
         "CVR3LocalizationManager::CreateLocalData() : language file expansion not support : xml\n"},
        {"missing file", "Language\\Missing.xmllng", nullptr, false, LOG_ERROR,
         "CVR3LocalizationManager::CreateLocalData() : xml file not read : "},
        {"not xml", "bad.xmllng", "<Localization><Names>", false, LOG_ERROR,
         "CVR3LocalizationManager::CreateLocalData() : xml file not read : "},
        {"nested too deep", "deep.xmllng", nullptr, false, LOG_ERROR,
         "CVR3LocalizationManager::CreateLocalData() : xml file not read : "},
        {"other root", "other.xmllng", "<Names tag=\"_LN_\"><GUI_Start name=\"Start\"/></Names>", false, 0, nullptr},
        {"binary kind", "English.binlng", "\x01\x02", true, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(folder / "local.ini");
        if (c.languageFile) WriteIni(c.languageFile);
        if (c.languageFile && c.content) VornaTest::WriteText(folder / Platform::ToSlashes(c.languageFile), c.content);
        if (std::strcmp(c.name, "nested too deep") == 0) {
            std::string deep = "<Localization><Names>";
            for (int i = 0; i < 100000; ++i) deep += "<a>";
            VornaTest::WriteText(folder / c.languageFile, deep);
        }
        g_Log.Reset();
        g_Log.Open((folder / "Vorna3Log.log").c_str());
        CVR3LocalizationManager manager(Folder());
        EXPECT_EQ(manager.CreateLocalData(), c.result);
        EXPECT_STREQ(LocalizeText("_LN_GUI_Start"), "_LN_GUI_Start");
        const std::string log = Log();
        if (c.logLine) {
            EXPECT_NE(log.find(c.logLine), std::string::npos) << log;
            EXPECT_EQ(g_Log.GetErrorLines().size(), c.level == LOG_ERROR ? 1u : 0u);
            EXPECT_EQ(g_Log.GetWarningLines().size(), c.level == LOG_WARNING ? 1u : 0u);
        } else {
            EXPECT_TRUE(g_Log.GetErrorLines().empty());
            EXPECT_TRUE(g_Log.GetWarningLines().empty());
        }
    }
}

TEST_F(LocalizationTest, LocaleNeverChangesNumbers) {
    for (const char* locale : {"Russian", "English", "de_DE.UTF-8", "fr_FR", "NoSuchLocale"}) {
        SCOPED_TRACE(locale);
        WriteIni("", locale);
        CVR3LocalizationManager manager(Folder());
        EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
        float value = 0.0f;
        ASSERT_TRUE(ParseFloatC("0.5", value));
        EXPECT_FLOAT_EQ(value, 0.5f);
        EXPECT_TRUE(manager.GetLanguageFile().empty());
    }
    std::setlocale(LC_CTYPE, "C");
}

TEST_F(LocalizationTest, DemoLanguageFileLoads) {
    CVR3LocalizationManager manager(std::string(VORNA_BIN_DIR) + "/");
    ASSERT_TRUE(manager.CreateLocalData()) << Log();
    ASSERT_NE(manager.GetLocalizedName("_LN_GUI_Menu_Start"), nullptr);
    EXPECT_STREQ(manager.GetLocalizedName("_LN_GUI_Menu_Start"), "Start");
    EXPECT_TRUE(g_Log.GetWarningLines().empty()) << Log();
}

} // namespace
