#include "engine2/ui/screens/CDX9KelCIIModuleManager.h"

namespace Vorna2 {

void CDX9KelCIIModuleManager::ProcEvent(int a, int b) {
    for (auto& module : m_Modules)
        if (module) module->ProcEvent(a, b);
}

void CDX9KelCIIModuleManager::Proc() {
    for (auto& module : m_Modules)
        if (module) module->Proc();
}

void CDX9KelCIIModuleManager::Release() {
    for (auto& module : m_Modules)
        if (module) module->Release();
    m_Modules.clear();
}

} // namespace Vorna2
