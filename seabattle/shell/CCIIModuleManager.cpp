#include "seabattle/shell/CCIIModuleManager.h"

#include <cstring>
#include <new>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/screens/CCIIModuleSoundLine.h"
#include "seabattle/shell/CCIIModuleBattleMapMenu.h"
#include "seabattle/shell/CCIIModuleSaves.h"
#include "seabattle/shell/CCIIModuleScenarioBattleResults.h"
#include "seabattle/shell/CCIIModuleScenarioBegin.h"
#include "seabattle/shell/CCIIModuleScenarioEnd.h"

namespace SeaBattle {

using namespace Vorna3D;

bool CCIIModuleManager::AddModule(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!pElement) return true;
    const char* name = pElement->Value();
    if (!name) return true;

    CVR3CIIModule* module = nullptr;
    // The name the failure message gives the module.
    const char* logName = name;
    if (std::strcmp(name, CCIIModuleScenarioBegin::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleScenarioBegin();
    } else if (std::strcmp(name, CCIIModuleBattleMapMenu::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleBattleMapMenu();
        logName = "CCIIModuleBattleMapMenu";
    } else if (std::strcmp(name, CCIIModuleScenarioBattleResults::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleScenarioBattleResults();
    } else if (std::strcmp(name, CCIIModuleScenarioEnd::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleScenarioEnd();
    } else if (std::strcmp(name, CCIIModuleGameSave::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleGameSave();
    } else if (std::strcmp(name, CCIIModuleGameLoad::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleGameLoad();
    } else if (std::strcmp(name, CCIIModuleDuelLoad::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleDuelLoad();
    } else if (std::strcmp(name, CCIIModuleDuelBattleResults::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleDuelBattleResults();
    } else if (std::strcmp(name, CCIIModuleDuelEnd::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleDuelEnd();
        logName = "DuelBattleResults";
    } else if (std::strcmp(name, CCIIModuleSoundLine::kElementName) == 0) {
        module = new (std::nothrow) CCIIModuleSoundLine();
    } else {
        return true;
    }
    if (!module) return false;

    if (!module->Init(pElement, pScreen)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CCIIModuleManager::AddModule: module ", logName, " not create \n");
        delete module;
        return true;
    }
    m_stdvModules.push_back(module);
    return true;
}

} // namespace SeaBattle
