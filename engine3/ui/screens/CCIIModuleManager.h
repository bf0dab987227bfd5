#pragma once
// The battle program's module manager: the factory of its screen modules by
// element name.
#include "engine3/ui/screens/CVR3CIIModuleManager.h"

namespace Vorna3D {

class CCIIModuleManager : public CVR3CIIModuleManager {
public:
    bool AddModule(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) override;
};

} // namespace Vorna3D
