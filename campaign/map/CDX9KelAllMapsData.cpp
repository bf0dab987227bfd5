#include "campaign/map/CDX9KelAllMapsData.h"

#include "campaign/data/DataFiles.h"
#include "engine2/core/XMLValues.h"

#include <cmath>
#include <cstdlib>
#include <tinyxml.h>

namespace VornaCampaign {

const char* const AllMapsDataFile::kCursorNames[kCursors] = {"Main", "Select", "Attack", "Target", "Wait"};
const char* const AllMapsDataFile::kTextureNames[kTextures] = {"CanMove", "NotMove", "Target"};
const char* const AllMapsDataFile::kParticleNames[kParticles] = {"PipeSmoke", "Shot", "Splash",
                                                                 "Explosion", "Ram", "Fire"};
const char* const AllMapsDataFile::kSoundNames[kSounds] = {"Shot",     "Splash",   "Explosion", "Ram",     "Fire",
                                                           "ShipStop", "ShipMove", "Sea",       "MainMenu"};
const char* const AllMapsDataFile::kTextNames[kTexts] = {"Damage1", "Damage2",  "Damage3",  "Damage4",
                                                         "Damage5", "Accuracy", "Handicap", "GlobalMapUnitDesc"};

namespace {

// The element's text (empty when missing), cut to `keep` characters.
std::string ChildText(const TiXmlElement* parent, const char* name, std::size_t keep) {
    const TiXmlElement* e = parent ? parent->FirstChildElement(name) : nullptr;
    const char* text = e ? Vorna2::GetXMLValueText(e) : nullptr;
    return std::string(text ? text : "").substr(0, keep);
}

float ChildFloat(const TiXmlElement* parent, const char* name) {
    const std::string text = ChildText(parent, name, 64);
    if (text.empty()) return -1.0f;
    char* end = nullptr;
    const float value = std::strtof(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(value) ? value : -1.0f;
}

} // namespace

bool ReadAllMapsData(const TiXmlDocument& doc, AllMapsDataFile* out) {
    if (!out) return false;
    *out = AllMapsDataFile();
    const TiXmlElement* main = doc.FirstChildElement("Main");
    if (!main) return false;

    if (const TiXmlElement* cursors = main->FirstChildElement("Cursors")) {
        out->m_bCursors = true;
        std::string file;
        for (int i = 0; i < AllMapsDataFile::kCursors; ++i) {
            if (cursors->FirstChildElement(AllMapsDataFile::kCursorNames[i]))
                file = ChildText(cursors, AllMapsDataFile::kCursorNames[i], 39);
            out->m_Cursors[i] = file;
        }
    }
    if (const TiXmlElement* textures = main->FirstChildElement("Textures")) {
        out->m_bTextures = true;
        for (int i = 0; i < AllMapsDataFile::kTextures; ++i) {
            if (!textures->FirstChildElement(AllMapsDataFile::kTextureNames[i])) {
                if (out->m_iMissingTexture < 0) out->m_iMissingTexture = i;
                continue;
            }
            out->m_Textures[i] = ChildText(textures, AllMapsDataFile::kTextureNames[i], 259);
        }
    }

    // From here on the first missing section ends the reading.
    const TiXmlElement* camera = main->FirstChildElement("Camera");
    if (!camera) return out->m_FirstMissing = "Camera", true;
    out->m_bCamera = true;
    out->m_fMinHeight = ChildFloat(camera, "MinHeight");
    out->m_fMaxHeight = ChildFloat(camera, "MaxHeight");
    out->m_fMinAngle = ChildFloat(camera, "MinAngle");
    out->m_fMaxAngle = ChildFloat(camera, "MaxAngle");

    const TiXmlElement* path = main->FirstChildElement("Path");
    if (!path) return out->m_FirstMissing = "Path", true;
    out->m_bPath = true;
    out->m_PathModel = ChildText(path, "Model", 259);
    out->m_PathEffect = ChildText(path, "Effect", 259);

    const TiXmlElement* particles = main->FirstChildElement("ParticleSystems");
    if (!particles) return out->m_FirstMissing = "ParticleSystems", true;
    out->m_bParticles = true;
    for (int i = 0; i < AllMapsDataFile::kParticles; ++i) {
        out->m_bParticle[i] = particles->FirstChildElement(AllMapsDataFile::kParticleNames[i]) != nullptr;
        out->m_Particles[i] = ChildText(particles, AllMapsDataFile::kParticleNames[i], 259);
    }

    const TiXmlElement* sounds = main->FirstChildElement("Sounds");
    if (!sounds) return out->m_FirstMissing = "Sounds", true;
    out->m_bSounds = true;
    for (int i = 0; i < AllMapsDataFile::kSounds; ++i)
        out->m_Sounds[i] = ChildText(sounds, AllMapsDataFile::kSoundNames[i], 259);

    const TiXmlElement* inscription = main->FirstChildElement("Inscription");
    if (!inscription) return out->m_FirstMissing = "Inscription", true;
    out->m_bInscription = true;
    for (int i = 0; i < AllMapsDataFile::kTexts; ++i) {
        out->m_bText[i] = inscription->FirstChildElement(AllMapsDataFile::kTextNames[i]) != nullptr;
        out->m_Texts[i] = ChildText(inscription, AllMapsDataFile::kTextNames[i], 39);
    }
    return true;
}

bool ReadAllMapsDataText(const std::string& text, AllMapsDataFile* out) {
    TiXmlDocument doc;
    return ParseXmlText(text, doc) && ReadAllMapsData(doc, out);
}

} // namespace VornaCampaign
