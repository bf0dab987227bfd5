#pragma once
// The battle program's module manager: the factory of its screen modules by
// element name.
#include "engine3/ui/screens/CVR3CIIModuleManager.h"

namespace SeaBattle {

using Vorna3D::CVR3CIIScreen;

class CCIIModuleManager : public Vorna3D::CVR3CIIModuleManager {
public:
    bool AddModule(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) override;
};

} // namespace SeaBattle
