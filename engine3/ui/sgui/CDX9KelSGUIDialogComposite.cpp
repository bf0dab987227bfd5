// The dialog's Add operations of the composite controls: edit box, list box,
// radio list, scroll bars and the scrolling check list.
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"

#include "engine3/ui/sgui/CDX9KelSGUIControlEditBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlListBox.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBar.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollBarHard.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"

namespace Vorna3D {

namespace {

// Names the control and runs its Init; on failure the parts its Init had
// added go again with the control. On success the control is appended.
template <class Control, class InitFn>
Control* FileComposite(std::vector<CDX9KelSGUIBaseControl*>& controls, const char* szName, InitFn init) {
    const size_t before = controls.size();
    auto* control = new Control();
    control->m_strName = szName;
    if (!init(control)) {
        while (controls.size() > before) {
            CDX9KelSGUIBaseControl* part = controls.back();
            controls.pop_back();
            part->ReleaseBuffers();
            delete part;
        }
        control->ReleaseBuffers();
        delete control;
        return nullptr;
    }
    controls.push_back(control);
    return control;
}

} // namespace

#define VORNA_ADD_COMPOSITE(Operation, Type, bBorder, left, top, right, bottom, initCall)                             \
    if (!szName || !*szName)                                                                                         \
        return nullptr;                                                                                              \
    if ((bBorder) && !BordersHold(left, top, right, bottom)) {                                                       \
        LogControl(Operation, "borders out of dialog. Dialog : ", szName, " ");                                     \
        return nullptr;                                                                                              \
    }                                                                                                                \
    Type* control = FileComposite<Type>(m_vControls, szName, [&](Type* c) { return c->initCall; });                 \
    if (!control)                                                                                                    \
        LogControl(Operation, "not init. Dialog : ", szName, ". ");                                                 \
    return control;

CDX9KelSGUIControlRadioList* CDX9KelSGUIDialog::AddRadioList(const char* szName, bool bMustSelect) {
    VORNA_ADD_COMPOSITE("AddRadioList", CDX9KelSGUIControlRadioList, false, 0, 0, 0, 0, Init(this, bMustSelect))
}

CDX9KelSGUIControlScrollCheckList* CDX9KelSGUIDialog::AddScrollCheckList(IDirect3DDevice9* pDevice,
                                                                         const char* szName, LONG left, LONG top,
                                                                         LONG right, LONG bottom, bool bHorizontal,
                                                                         bool bMustSelect) {
    VORNA_ADD_COMPOSITE("AddScrollCheckList", CDX9KelSGUIControlScrollCheckList, true, left, top, right, bottom,
                        Init(pDevice, this, left, top, right, bottom, bHorizontal, bMustSelect))
}

CDX9KelSGUIControlScrollBar* CDX9KelSGUIDialog::AddScrollBar(
    IDirect3DDevice9* pDevice, const char* szName, const SGUITextureDesc& bar, const float barColor[4],
    const SGUITextureDesc& track, const float trackColor[4], const SGUITextureDesc& arrow1,
    const float arrow1Color[4], const SGUITextureDesc& arrow2, const float arrow2Color[4], bool bVertical,
    LONG left, LONG top, LONG right, LONG bottom) {
    VORNA_ADD_COMPOSITE("AddScrollBar", CDX9KelSGUIControlScrollBar, true, left, top, right, bottom,
                        Init(pDevice, this, bar, barColor, track, trackColor, arrow1, arrow1Color, arrow2,
                             arrow2Color, bVertical, left, top, right, bottom))
}

CDX9KelSGUIControlScrollBarHard* CDX9KelSGUIDialog::AddScrollBarHard(
    IDirect3DDevice9* pDevice, const char* szName, const SGUITextureDesc& track, const float trackColor[4],
    const SGUITextureDesc& work, const float workColor[4], const SGUITextureDesc& bar, const float barColor[4],
    bool bVertical, int mode, int align, LONG left, LONG top, LONG right, LONG bottom, LONG workLeft, LONG workTop,
    LONG workRight, LONG workBottom, LONG barWidth, LONG barHeight) {
    VORNA_ADD_COMPOSITE("AddScrollBarHard", CDX9KelSGUIControlScrollBarHard, true, left, top, right, bottom,
                        Init(pDevice, this, track, trackColor, work, workColor, bar, barColor, bVertical, mode,
                             align, left, top, right, bottom, workLeft, workTop, workRight, workBottom, barWidth,
                             barHeight))
}

CDX9KelSGUIControlEditBox* CDX9KelSGUIDialog::AddEditBox(IDirect3DDevice9* pDevice, const char* szName, int iFont,
                                                         LONG left, LONG top, LONG right, LONG bottom, float r,
                                                         float g, float b, float a) {
    VORNA_ADD_COMPOSITE("AddEditBox", CDX9KelSGUIControlEditBox, true, left, top, right, bottom,
                        Init(pDevice, this, iFont, left, top, right, bottom, r, g, b, a))
}

CDX9KelSGUIControlListBox* CDX9KelSGUIDialog::AddListBox(const char* szName, int iFont, const char* szTextEffect,
                                                         LONG left, LONG top, LONG right, LONG bottom,
                                                         const float normalColor[4], const float selectedColor[4]) {
    VORNA_ADD_COMPOSITE("AddListBox", CDX9KelSGUIControlListBox, true, left, top, right, bottom,
                        Init(this, iFont, szTextEffect, left, top, right, bottom, normalColor, selectedColor))
}

#undef VORNA_ADD_COMPOSITE

} // namespace Vorna3D
