#pragma once
// Screen modules: behaviour a screen's XML actions cannot give (logo screens
// that go on by time or key, buttons that start the game, dialogs filled
// from the game). A screen file lists its modules; the screen loader hands
// each element to the module manager, which makes the module, lets it bind
// itself to its dialog and keeps it. The game runs every module once per
// frame through the manager and releases them at the end.
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <memory>
#include <vector>

namespace Vorna2 {

class CDX9KelCIIModule {
public:
    virtual ~CDX9KelCIIModule() = default;
    // Binds the module to its screen from its element; false leaves the
    // module out.
    virtual bool Init(const TiXmlElement* element, CDX9KelCIIScreen* screen) = 0;
    // Events carry no behaviour in the campaign's modules.
    virtual void ProcEvent(int, int) {}
    // Once per frame.
    virtual void Proc() = 0;
    virtual void Release() {}
};

// The list of made modules and the three forwarders over it; the game's
// manager supplies the factory.
class CDX9KelCIIModuleManager : public CDX9KelCIIModuleFactory {
public:
    ~CDX9KelCIIModuleManager() override { Release(); }

    bool AddModule(const TiXmlElement* element, CDX9KelCIIScreen* screen) override = 0;
    virtual bool Init() = 0;
    void ProcEvent(int a, int b);
    void Proc();
    // Releases and deletes every module and empties the list.
    void Release();

    std::size_t GetModuleCount() const { return m_Modules.size(); }
    CDX9KelCIIModule* GetModule(std::size_t i) const { return i < m_Modules.size() ? m_Modules[i].get() : nullptr; }

protected:
    std::vector<std::unique_ptr<CDX9KelCIIModule>> m_Modules;
};

} // namespace Vorna2
