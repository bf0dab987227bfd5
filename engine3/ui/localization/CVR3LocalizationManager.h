#pragma once
// The localisation manager: reads "local.ini" beside the program, sets the
// character-type locale from it, and loads the language file into the names
// tree through which every localised text is looked up. Texts that begin with
// the key prefix ("_LN_" unless the language file names another) are keys.
#include "engine3/core/LocalizedText.h"
#include "engine3/ui/localization/CVR3LocalNamesTree.h"

#include <memory>
#include <tinyxml.h>
#include <string>

namespace Vorna3D {

class CVR3LocalizationManager : public ILocalizedNames {
public:
    // Reads "local.ini" in the program's folder.
    CVR3LocalizationManager();
    // Reads "local.ini" in `programFolder` (which ends with a separator); the
    // language file is taken relative to the same folder.
    explicit CVR3LocalizationManager(const std::string& programFolder);
    ~CVR3LocalizationManager() override;
    CVR3LocalizationManager(const CVR3LocalizationManager&) = delete;
    CVR3LocalizationManager& operator=(const CVR3LocalizationManager&) = delete;

    // The program's one manager, made on first use.
    static CVR3LocalizationManager& Get();

    // Loads the language file into a new names tree and installs the names for
    // the data readers. True on success and for a binary language file (which
    // loads nothing).
    bool CreateLocalData();
    // Loads language XML held in memory into a new names tree, as
    // CreateLocalData does for the file. False when it is not XML or has no
    // "Localization" root.
    bool LoadLanguageText(const std::string& text);

    // ILocalizedNames.
    const char* GetLocalizedName(const char* key) const override;

    const CVR3LocalNamesTree* GetTree() const { return m_pTree.get(); }
    const std::string& GetTag() const { return m_strTag; }
    const std::string& GetLanguageFile() const { return m_strLanguageFile; }
    const std::string& GetLocaleName() const { return m_strLocale; }

    // Sets the character-type locale for a "Locale" value of "local.ini".
    // Numbers are never affected: LC_NUMERIC stays "C". Windows names such as
    // "English" or "Russian" are mapped to their POSIX forms; a name the system
    // does not know leaves "C". Returns the locale that was set.
    static std::string ApplyLocale(const std::string& name);

private:
    void ReadSettings(const std::string& programFolder);
    bool LoadLanguageDocument(const TiXmlDocument& doc);

    std::unique_ptr<CVR3LocalNamesTree> m_pTree;
    std::string m_strLanguageFile;
    std::string m_strXmlExtension = "xmllng";
    std::string m_strBinExtension = "binlng";
    std::string m_strTag = "_LN_";
    std::string m_strLocale;
};

} // namespace Vorna3D
