#include "engine3/ui/screens/CVR3CIIModuleManager.h"

namespace Vorna3D {

CVR3CIIModuleManager::~CVR3CIIModuleManager() {
    for (CVR3CIIModule* m : m_stdvModules) delete m;
    m_stdvModules.clear();
}

void CVR3CIIModuleManager::NotifyModules(int32_t a, int32_t b) {
    for (CVR3CIIModule* m : m_stdvModules)
        if (m) m->Notify(a, b);
}

void CVR3CIIModuleManager::ProcModules() {
    // By index: a module may switch screens, which never adds modules, but a
    // copy keeps the walk safe whatever a step does.
    const std::vector<CVR3CIIModule*> modules = m_stdvModules;
    for (CVR3CIIModule* m : modules)
        if (m) m->Proc();
}

void CVR3CIIModuleManager::ReleaseModules() {
    for (CVR3CIIModule* m : m_stdvModules) {
        if (!m) continue;
        m->Release();
        delete m;
    }
    m_stdvModules.clear();
}

} // namespace Vorna3D
