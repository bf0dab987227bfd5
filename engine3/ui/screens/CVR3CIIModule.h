#pragma once
// A screen module: the game logic of a screen. It is declared in the screen
// file's "Modules" element, binds itself by name to dialogs and controls of
// its screen and, every frame, watches them while its screen is current.
#include <cstdint>

class TiXmlElement;

namespace Vorna3D {

class CVR3CIIScreen;

class CVR3CIIModule {
public:
    CVR3CIIModule() = default;
    virtual ~CVR3CIIModule() = default;
    CVR3CIIModule(const CVR3CIIModule&) = delete;
    CVR3CIIModule& operator=(const CVR3CIIModule&) = delete;

    // Reads the module element and binds the screen's dialogs and controls;
    // false (logged) for anything missing.
    virtual bool Init(const TiXmlElement* pElement, CVR3CIIScreen* pScreen) = 0;
    // An event with two values; the modules of the battle program ignore it.
    virtual void Notify(int32_t a, int32_t b) {}
    // The module's step of every frame.
    virtual void Proc() = 0;
    // The end of the program.
    virtual void Release() {}

    CVR3CIIScreen* GetScreen() const { return m_pScreen; }

protected:
    CVR3CIIScreen* m_pScreen = nullptr;
};

} // namespace Vorna3D
