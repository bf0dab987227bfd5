#pragma once
// Wrapped text blocks stacked under each other in a window with a vertical
// scroll bar.
#include <vector>

#include "engine2/ui/gui/CDX9KelGUIControl.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace Vorna2 {

class CDX9KelGUIScrollBar;
class CDX9KelGUIText;

class CDX9KelGUIScrollText : public CDX9KelGUIControl {
public:
    static constexpr int kMaxContentHeight = 60000;

    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, const GUIScrollBarSettings& bar);
    bool AddText(int font, int align, D3DCOLOR colour, const char* text);
    bool UpdateScrollRange();

    int UpdateMouse(const POINT& cursor) override;
    void Release() override;
    bool SetRect(int left, int top, int right, int bottom) override;
    bool Resize(int width, int height) override;
    bool MoveTo(int x, int y) override;
    bool MoveBy(int dx, int dy) override;

    CDX9KelGUIScrollBar* m_pScrollBar = nullptr;
    std::vector<CDX9KelGUIText*> m_Texts;
    int m_iBarWidth = 20;
    int m_iScrollMirror = 0;
    int m_iScrollShown = 0;
    int m_iContentHeight = 0;
    int m_iStep = 10;

private:
    RECT ClipRect() const;
    void UpdateVisibility(CDX9KelGUIText* text) const;
    void Relayout();
};

} // namespace Vorna2
