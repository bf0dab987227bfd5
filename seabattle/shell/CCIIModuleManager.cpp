#include "seabattle/shell/CCIIModuleManager.h"

#include <cstring>
#include <new>

#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/ui/screens/CCIIModuleSoundLine.h"

namespace SeaBattle {

using namespace Vorna3D;

bool CCIIModuleManager::AddModule(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) {
    if (!pElement) return true;
    const char* name = pElement->Value();
    if (!name) return true;

    // The other kinds of the battle program drive the game manager and come
    // with it; until then their elements create nothing, like unknown names.
    CVR3CIIModule* module = nullptr;
    if (std::strcmp(name, CCIIModuleSoundLine::kElementName) == 0)
        module = new (std::nothrow) CCIIModuleSoundLine();
    else
        return true;
    if (!module) return false;

    if (!module->Init(pElement, pScreen)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CCIIModuleManager::AddModule: module ", name, " not create \n");
        delete module;
        return true;
    }
    m_stdvModules.push_back(module);
    return true;
}

} // namespace SeaBattle
