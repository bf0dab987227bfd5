#include "engine3/world/ocean/CDX9KelGraphicResourceGObject.h"

namespace Vorna3D {

CDX9KelGraphicResourceGObject::CDX9KelGraphicResourceGObject(const char* szName)
    : CDX9KelBaseResource(KEL_RESOURCE_GRAPHIC_OBJECT) {
    CDX9KelBaseResource::m_strName = szName ? szName : "";
    CDX9KelSceneUnit::m_strName = CDX9KelBaseResource::m_strName;
    m_iKind = KEL_UNIT_GRAPHIC_OBJECT;
}

} // namespace Vorna3D
