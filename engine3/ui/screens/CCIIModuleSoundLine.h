#pragma once
// The module that plays music on a sound line while its screen is current:
// it makes the line and loads its sounds when the screen loads, and on every
// visit of the screen stops, (re)starts or pauses the line.
#include <string>
#include <vector>

#include "engine3/ui/screens/CVR3CIIModule.h"

namespace Vorna3D {

class CVR3SOUNDLine;

class CCIIModuleSoundLine : public CVR3CIIModule {
public:
    static constexpr const char* kElementName = "SoundLine";
    enum EAction { ACTION_STOP = 1, ACTION_PLAY = 2, ACTION_PAUSE = 3 };

    bool Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) override;
    void Proc() override;

    const std::string& GetLineName() const { return m_strLineName; }
    const std::vector<std::string>& GetSounds() const { return m_stdvSounds; }
    CVR3SOUNDLine* GetLine() const { return m_pLine; }

    std::string m_strLineName;
    int m_iLineType = 0;
    int m_iAction = 0;
    int m_iBreakTime = 0;
    // Full paths of the sound sources, in file order.
    std::vector<std::string> m_stdvSounds;
    CVR3SOUNDLine* m_pLine = nullptr;
    bool m_bDone = false;
};

} // namespace Vorna3D
