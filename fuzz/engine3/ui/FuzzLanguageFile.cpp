// The language-file reader on arbitrary bytes, then lookups of keys taken
// from the same bytes.
#include "engine3/ui/localization/CVR3LocalizationManager.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Vorna3D::CVR3LocalizationManager manager("/nonexistent/");
    const std::string text(reinterpret_cast<const char*>(data), size);
    manager.LoadLanguageText(text);
    const size_t cut = size / 2;
    const std::string key = "_LN_" + text.substr(0, cut < 300 ? cut : 300);
    (void)manager.GetLocalizedName(key.c_str());
    (void)manager.GetLocalizedName("_LN_GUI_Menu_Start");
    return 0;
}
