#pragma once
// The container of the screen modules, in creation order. The program's own
// manager decides which module an element of a screen file creates.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine3/ui/screens/CVR3CIIModule.h"

namespace Vorna3D {

class CVR3CIIModuleManager {
public:
    CVR3CIIModuleManager() = default;
    virtual ~CVR3CIIModuleManager();
    CVR3CIIModuleManager(const CVR3CIIModuleManager&) = delete;
    CVR3CIIModuleManager& operator=(const CVR3CIIModuleManager&) = delete;

    // The factory: creates and binds the module an element names. False only
    // when a module cannot be allocated; an element it does not know, or a
    // module that fails to bind, leaves the list unchanged and answers true.
    virtual bool AddModule(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) = 0;
    virtual void NotifyModules(int32_t a, int32_t b);
    // Every module's per-frame step, in creation order.
    virtual void ProcModules();
    // Every module's end-of-program step, then the modules are deleted.
    virtual void ReleaseModules();

    size_t GetModuleCount() const { return m_stdvModules.size(); }
    CVR3CIIModule* GetModule(size_t index) const {
        return index < m_stdvModules.size() ? m_stdvModules[index] : nullptr;
    }

protected:
    std::vector<CVR3CIIModule*> m_stdvModules;
};

} // namespace Vorna3D
