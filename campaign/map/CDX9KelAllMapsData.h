#pragma once
// "AllMapsData.xml", what every campaign map shares, as read from the file:
// the map cursors, the selection textures, the camera ranges, the route
// marker, the particle-system files, the sounds and the map screen's texts.
// The game map loads what it names (CDX9KelGameMap::LoadAllMapsGraphicData).
//
// Cursors and textures are required. From "Camera" on, the sections are
// read in order and the first missing one ends the reading: it and every
// section after it are marked absent.
#include <string>

class TiXmlDocument;

namespace VornaCampaign {

struct AllMapsDataFile {
    enum { kCursors = 5, kTextures = 3, kParticles = 6, kSounds = 9, kTexts = 8 };
    // Element names in the order the file's sections list them.
    static const char* const kCursorNames[kCursors];
    static const char* const kTextureNames[kTextures];
    static const char* const kParticleNames[kParticles];
    static const char* const kSoundNames[kSounds];
    static const char* const kTextNames[kTexts];

    bool m_bCursors = false;
    // A missing entry repeats the file of the entry before it (empty for
    // the first); at most 39 characters.
    std::string m_Cursors[kCursors];

    bool m_bTextures = false;
    // The first missing texture entry (-1: none is missing).
    int m_iMissingTexture = -1;
    std::string m_Textures[kTextures];

    // The first optional section that is missing ("" when all are there).
    std::string m_FirstMissing;
    bool m_bCamera = false;
    // Missing or non-numeric values read as -1.
    float m_fMinHeight = -1.0f, m_fMaxHeight = -1.0f, m_fMinAngle = -1.0f, m_fMaxAngle = -1.0f;
    bool m_bPath = false;
    std::string m_PathModel, m_PathEffect;
    bool m_bParticles = false;
    bool m_bParticle[kParticles] = {};
    std::string m_Particles[kParticles];
    bool m_bSounds = false;
    std::string m_Sounds[kSounds];
    bool m_bInscription = false;
    bool m_bText[kTexts] = {};
    std::string m_Texts[kTexts];
};

// False when the document has no "Main" element.
bool ReadAllMapsData(const TiXmlDocument& doc, AllMapsDataFile* out);
// The same on a document in memory; false when it does not parse either.
bool ReadAllMapsDataText(const std::string& text, AllMapsDataFile* out);

} // namespace VornaCampaign
