// The sound-source reader on arbitrary bytes.
#include "engine3/ui/localization/SafeXml.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    TiXmlDocument doc;
    if (!Vorna3D::ParseXmlText(text, doc)) return 0;
    Vorna3D::SoundSourceDescription description;
    if (Vorna3D::ParseSoundSource(doc, description)) {
        volatile float sink = description.volume + description.minDistance + description.maxDistance;
        (void)sink;
    }
    return 0;
}
