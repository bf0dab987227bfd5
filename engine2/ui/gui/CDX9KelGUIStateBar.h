#pragma once
// A progress bar: an image that covers a percentage of the bar, growing from
// the left, or from the bottom when vertical.
#include "engine2/ui/gui/CDX9KelGUIControl.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"

namespace Vorna2 {

class CDX9KelGUIImage;

class CDX9KelGUIStateBar : public CDX9KelGUIControl {
public:
    HRESULT Init(CDX9KelGUIDialog* dialog, int left, int top, int right, int bottom, const GUIImageSettings& image,
                 D3DCOLOR colour, bool vertical, int value);
    bool SetValue(int percent);
    int UpdateMouse(const POINT& cursor) override;
    bool SetRect(int left, int top, int right, int bottom) override;
    bool Resize(int width, int height) override;
    bool MoveTo(int x, int y) override;
    bool MoveBy(int dx, int dy) override;

    int m_iValue = 100;
    int m_iSetting = 0;
    bool m_bVertical = false;
    CDX9KelGUIImage* m_pBarImage = nullptr;
};

} // namespace Vorna2
