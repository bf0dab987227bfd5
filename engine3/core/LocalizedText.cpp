#include "engine3/core/LocalizedText.h"

namespace Vorna3D {

namespace {
const ILocalizedNames* g_pLocalizedNames = nullptr;
}

void SetLocalizedNames(const ILocalizedNames* names) { g_pLocalizedNames = names; }

const ILocalizedNames* GetLocalizedNames() { return g_pLocalizedNames; }

const char* LocalizeText(const char* text) {
    if (!text || !g_pLocalizedNames) return text;
    const char* localized = g_pLocalizedNames->GetLocalizedName(text);
    return localized ? localized : text;
}

} // namespace Vorna3D
