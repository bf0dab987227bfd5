#pragma once
// A vertical list of one-line texts with a scroll bar on its right edge and
// a selection bar behind the selected element. The selected index and text
// also go to caller variables.
#include <functional>
#include <string>
#include <vector>

#include "engine2/ui/gui/CDX9KelGUIControl.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace Vorna2 {

class CDX9KelGUIImage;
class CDX9KelGUIScrollBar;
class CDX9KelGUIText;

// The scroll rule shared by the list box and the scroll text: with content
// of contentHeight pixels in a window of windowHeight, the bar's maximum and
// the pixels per position. Content that fits resets the bar to 0.
struct GUIScrollRange {
    int positions = 0;
    int step = 10;
};
GUIScrollRange ComputeScrollRange(int contentHeight, int windowHeight, int limit);
// Sets a scrolling control's bar for its content: content that fits shows
// from its top (the bar and the shown offset go back to 0, so elements added
// later line up with the thumb); otherwise the bar's range and the step follow
// the content. `relayout` places the elements again when that moves them.
bool FitScrollBar(CDX9KelGUIScrollBar& bar, int contentHeight, int windowHeight, int& scrollMirror, int& step,
                  const std::function<void()>& relayout);

class CDX9KelGUIListBox : public CDX9KelGUIControl {
public:
    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, D3DCOLOR textColour, int font,
                 const GUIImageSettings& selectionBar, const GUIScrollBarSettings& bar, int* selectedOut,
                 std::string* textOut);
    int AddElement(const char* text);
    bool SelectElement(int index);
    void ClearElements();
    bool UpdateScrollRange();

    int UpdateMouse(const POINT& cursor) override;
    void Release() override;
    bool SetRect(int left, int top, int right, int bottom) override;
    bool Resize(int width, int height) override;
    bool MoveTo(int x, int y) override;
    bool MoveBy(int dx, int dy) override;

    CDX9KelGUIScrollBar* m_pScrollBar = nullptr;
    CDX9KelGUIImage* m_pSelectionBar = nullptr;
    std::vector<CDX9KelGUIText*> m_Elements;
    int m_iFont = -1;
    D3DCOLOR m_dwTextColour = 0xFFFFFFFFu;
    int m_iBarWidth = 20;
    int m_iScrollMirror = 0;
    int m_iScrollShown = 0;
    int m_iContentHeight = 0;
    int m_iStep = 10;
    int m_iLineHeight = 10;
    int m_iSelected = -1;
    int* m_pSelectedOut = nullptr;
    std::string* m_pTextOut = nullptr;
    std::string m_strSelectedText;

private:
    RECT ClipRect() const;
    void UpdateVisibility(CDX9KelGUIText* text) const;
    void PlaceSelectionBar();
    void Relayout();
};

} // namespace Vorna2
