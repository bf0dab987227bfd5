#include "campaign/map/CDX9KelMapScreen.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/ui/gui/CDX9KelGUIButton.h"
#include "engine2/ui/gui/CDX9KelGUIDialog.h"
#include "engine2/ui/gui/CDX9KelGUIEditBox.h"
#include "engine2/ui/gui/CDX9KelGUIImage.h"
#include "engine2/ui/gui/CDX9KelGUIListBox.h"
#include "engine2/ui/gui/CDX9KelGUIManager.h"
#include "engine2/ui/gui/CDX9KelGUIRadioList.h"
#include "engine2/ui/gui/CDX9KelGUIScrollBar.h"
#include "engine2/ui/gui/CDX9KelGUIStateBar.h"
#include "engine2/ui/gui/CDX9KelGUIText.h"
#include "engine2/ui/screens/CDX9KelCIIScreenManager.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

using namespace Vorna2;

namespace VornaCampaign {

namespace {

constexpr const char* kPrefix = "Error : CDX9KelGameMap::SetMapScreen : ";

const char* TypeText(int type) {
    switch (type) {
    case GUI_CONTROL_TYPE_SCROLLBAR: return " is not GUI_CONTROL_TYPE_SCROLLBAR\n";
    case GUI_CONTROL_TYPE_STATEBAR: return " is not GUI_CONTROL_TYPE_STATEBAR\n";
    case GUI_CONTROL_TYPE_BUTTON: return " is not GUI_CONTROL_TYPE_BUTTON\n";
    case GUI_CONTROL_TYPE_TEXT: return " is not GUI_CONTROL_TYPE_TEXT\n";
    case GUI_CONTROL_TYPE_RADIOLIST: return " is not GUI_CONTROL_TYPE_RADIOLIST\n";
    case GUI_CONTROL_TYPE_IMAGE: return " is not GUI_CONTROL_TYPE_IMAGE\n";
    case GUI_CONTROL_TYPE_LISTBOX: return " is not GUI_CONTROL_TYPE_LISTBOX\n";
    case GUI_CONTROL_TYPE_EDITBOX: return " is not GUI_CONTROL_TYPE_EDITBOX\n";
    default: return " is of another type\n";
    }
}

// Takes a dialog's controls in file order, skipping the parts of other
// controls, and checks each one's kind. The first fault is logged once.
class ControlWalk {
public:
    ControlWalk(CDX9KelGUIDialog* dialog, const char* endedText, const char* typeText)
        : m_pDialog(dialog), m_szEnded(endedText), m_szType(typeText) {}

    // Skips up to `count` leading images (backgrounds).
    void SkipImages(int count) {
        for (int i = 0; i < count; ++i) {
            const int next = m_pDialog->GetNextControl(m_iPos);
            if (next < 0 || Control(next)->m_iType != GUI_CONTROL_TYPE_IMAGE) return;
            m_iPos = next;
        }
    }

    template <class T>
    T* Take(int type, const char* typeText = nullptr) {
        if (!m_bOk) return nullptr;
        const int next = m_pDialog->GetNextControl(m_iPos);
        if (next < 0) {
            g_Log.Write(LOG_ERROR, "%s%s%i%s", kPrefix, m_szEnded, m_iTaken, "\n");
            m_bOk = false;
            return nullptr;
        }
        CDX9KelGUIControl* c = Control(next);
        const bool kindOk = c->m_iType == type || (type == GUI_CONTROL_TYPE_BUTTON &&
                                                   c->m_iType == GUI_CONTROL_TYPE_CHECKBUTTON);
        if (!kindOk) {
            g_Log.Write(LOG_ERROR, "%s%s%i%s", kPrefix, typeText ? typeText : m_szType, m_iTaken, TypeText(type));
            m_bOk = false;
            return nullptr;
        }
        m_iPos = next;
        ++m_iTaken;
        return static_cast<T*>(c);
    }

    // Counts the controls left without taking them.
    int CountLeft() const {
        int n = 0;
        for (int i = m_pDialog->GetNextControl(m_iPos); i >= 0; i = m_pDialog->GetNextControl(i)) ++n;
        return n;
    }
    bool Ok() const { return m_bOk; }

private:
    CDX9KelGUIControl* Control(int index) const { return m_pDialog->m_Controls[static_cast<std::size_t>(index)].get(); }

    CDX9KelGUIDialog* m_pDialog;
    const char* m_szEnded;
    const char* m_szType;
    int m_iPos = -1;
    int m_iTaken = 0;
    bool m_bOk = true;
};

struct DialogName {
    const char* name;
    MapScreenDialog CDX9KelMapScreen::*member;
    const char* nullText;
};

const DialogName kDialogs[] = {
    {"Movement", &CDX9KelMapScreen::m_Movement, "Map Screen Dialog Movement is not loaded\n"},
    {"MapControl", &CDX9KelMapScreen::m_MapControl, "Map Screen Control Dialog is not loaded\n"},
    {"Icons", &CDX9KelMapScreen::m_Icons, "Map Screen Icons Dialog is not loaded\n"},
    {"IconsFlags", &CDX9KelMapScreen::m_IconsFlags, "Map Screen Flags Icons Dialog is not loaded\n"},
    {"UnitDescription", &CDX9KelMapScreen::m_UnitDescription, "Map Screen Unit Description Dialog is not loaded\n"},
    {"ShipParamRadio", &CDX9KelMapScreen::m_ShipParamRadio, "Map Screen ShipParamRadio Dialog is not loaded\n"},
    {"ShipGuns", &CDX9KelMapScreen::m_ShipGuns, "Map Screen Guns Dialog is not loaded\n"},
    {"ShipParts", &CDX9KelMapScreen::m_ShipParts, "Map Screen ShipParts Dialog is not loaded\n"},
    {"ShipWater", &CDX9KelMapScreen::m_ShipWater, "Map Screen ShipWater Dialog is not loaded\n"},
    {"ShipFire", &CDX9KelMapScreen::m_ShipFire, "Map Screen ShipFire Dialog is not loaded\n"},
    {"MapEnd", &CDX9KelMapScreen::m_MapEnd, "Map Screen Borders Dialog is not loaded\n"},
    {"AIActionTime", &CDX9KelMapScreen::m_AIActionTime, "Map Screen AI Action Time Dialog is not loaded\n"},
    {"FinishMov", &CDX9KelMapScreen::m_FinishMov, "Map FinishMov Dialog is not loaded\n"},
    {"GlobalMap", &CDX9KelMapScreen::m_GlobalMap, "Map Screen Global Map Dialog is not loaded\n"},
    {"GlobalMapControls", &CDX9KelMapScreen::m_GlobalMapControls,
     "Map Screen Global Map Controls Dialog is not loaded\n"},
    {"MapMenu", &CDX9KelMapScreen::m_MapMenu, "Map Screen MapMenu Dialog is not loaded\n"},
    {"SaveMenu", &CDX9KelMapScreen::m_SaveMenu, "Map Screen SaveMenu Dialog is not loaded\n"},
    {"MissionEnd", &CDX9KelMapScreen::m_MissionEnd, "Map Screen Mission End Dialog is not loaded\n"},
    {"MissionFailed", &CDX9KelMapScreen::m_MissionFailed, "Map Screen Mission Failed Dialog is not loaded\n"},
};

int BarLength(const CDX9KelGUIScrollBar* bar) {
    return bar->m_bVertical ? bar->m_Rect.bottom - bar->m_Rect.top : bar->m_Rect.right - bar->m_Rect.left;
}

void SetText(CDX9KelGUIText* text, const std::string& value, bool visible = true) {
    if (!text) return;
    text->SetText(value);
    text->m_bVisible = visible;
}

void SetTextColour(CDX9KelGUIText* text, DWORD colour) {
    if (text) text->SetColor(colour);
}

void SetImageColour(CDX9KelGUIImage* image, DWORD colour) {
    if (!image) return;
    image->SetColor(colour);
    image->m_dwSavedColour = colour;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

// The percent of `value` in `whole`, 0 for a whole that is not positive.
int Percent(float value, float whole) {
    if (!(whole > 0.0f)) return 0;
    const float p = value / whole * 100.0f;
    if (!std::isfinite(p)) return 0;
    return static_cast<int>(std::trunc(p));
}

} // namespace

bool CDX9KelMapScreen::Bind(CDX9KelCIIScreen* screen, CDX9KelGUIManager* gui) {
    if (screen == nullptr) return false;
    g_Log.Write(LOG_INFO, "CDX9KelGameMap::SetMapScreen\n");
    Unbind();
    m_pScreen = screen;
    m_pGUI = gui;
    if (screen->GetEntries().empty() || gui == nullptr) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelGameMap::SetMapScreen : Map Screen is not loaded\n");
        return false;
    }
    for (const auto& entry : screen->GetEntries())
        if (!BindDialog(entry->name, entry->dialogId)) return false;
    return true;
}

void CDX9KelMapScreen::Unbind() {
    CDX9KelMapScreen fresh;
    for (int i = 0; i < 5; ++i) fresh.m_sDamage[i] = m_sDamage[i];
    fresh.m_sAccuracy = m_sAccuracy;
    fresh.m_sHandicap = m_sHandicap;
    fresh.m_sGlobalMapUnitDesc = m_sGlobalMapUnitDesc;
    *this = fresh;
}

bool CDX9KelMapScreen::BindDialog(const std::string& name, int id) {
    const DialogName* which = nullptr;
    for (const DialogName& d : kDialogs)
        if (name == d.name) which = &d;
    if (which == nullptr) return true;
    MapScreenDialog& slot = this->*(which->member);
    CDX9KelGUIDialog* dialog = m_pGUI->GetDialog(id);
    if (dialog == nullptr) {
        g_Log.Write(LOG_ERROR, "%s%s", kPrefix, which->nullText);
        return false;
    }
    slot.m_pDialog = dialog;
    slot.m_iId = id;
    bool ok = true;
    auto fail = [&] {
        slot = MapScreenDialog{};
        return false;
    };

    if (name == "Movement") {
        ControlWalk w(dialog, "Movement Dialog ended on Control :", "Movement Dialog Control ");
        w.SkipImages(1);
        m_pRudder = w.Take<CDX9KelGUIScrollBar>(GUI_CONTROL_TYPE_SCROLLBAR);
        m_pSpeedDisplay = w.Take<CDX9KelGUIStateBar>(GUI_CONTROL_TYPE_STATEBAR);
        m_pSpeed = w.Take<CDX9KelGUIScrollBar>(GUI_CONTROL_TYPE_SCROLLBAR);
        m_pGo = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        m_pStop = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        m_pDetach = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        m_pRudderCentre = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        if (!w.Ok()) return fail();
        const int rudderMax = RudderMaximum(BarLength(m_pRudder));
        m_pRudder->SetMaxPosition(rudderMax);
        // A bar too short for the maximum keeps an even one, so that its
        // middle is a straight course.
        if (m_pRudder->m_iMaximum % 2 != 0) m_pRudder->SetMaxPosition(m_pRudder->m_iMaximum - 1);
        // The middle of the maximum the bar took (a short track keeps less).
        m_pRudder->SetPosition(m_pRudder->m_iMaximum / 2, true);
        m_pSpeed->SetMaxPosition(std::max(0, BarLength(m_pSpeed) - 10));
        ShowButton(m_pStop, false);
    } else if (name == "MapControl") {
        ControlWalk w(dialog, "Map Control Dialog ended on Control :", "Map Control Dialog Control ");
        w.SkipImages(1);
        m_pTurnText = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT);
        m_pEndTurn = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        m_pGlobalMapButton = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        m_pMenuButton = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        ok = w.Ok();
    } else if (name == "Icons") {
        ControlWalk w(dialog, "Icons Dialog ended on Control :", "Icons Dialog Control ");
        w.SkipImages(1);
        m_pIconList = w.Take<CDX9KelGUIRadioList>(GUI_CONTROL_TYPE_RADIOLIST);
        ok = w.Ok();
    } else if (name == "IconsFlags") {
        ControlWalk w(dialog, "Flags Icons Dialog ended on Control :", "Flags Icons Dialog Control ");
        // Too few flags is refused without a message.
        if (w.CountLeft() < kIconFlags) return fail();
        for (int i = 0; i < kIconFlags && w.Ok(); ++i) m_pIconFlags[i] = w.Take<CDX9KelGUIImage>(GUI_CONTROL_TYPE_IMAGE);
        ok = w.Ok();
    } else if (name == "UnitDescription") {
        ControlWalk w(dialog, "Unit Description Dialog ended on Control :", "Unit Description Dialog Control ");
        w.SkipImages(1);
        m_pUnitName = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT, "Unit Description Dialog Control 1 ");
        m_pUnitCondition = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT);
        ok = w.Ok();
    } else if (name == "ShipGuns") {
        ControlWalk w(dialog, "Guns Dialog ended on Control :", "Guns Dialog Control ");
        w.SkipImages(2);
        m_pGunGroups = w.Take<CDX9KelGUIRadioList>(GUI_CONTROL_TYPE_RADIOLIST);
        for (auto& t : m_pTowerText) t = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT);
        for (auto& t : m_pHullGunText) t = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT);
        m_pGunpowderText = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT);
        ok = w.Ok();
        if (ok && m_pGunGroups->m_Buttons.size() != kGunGroups) {
            g_Log.Write(LOG_ERROR, "%s%s%i%s", kPrefix, "Guns Dialog ended on Control :",
                        static_cast<int>(m_pGunGroups->m_Buttons.size()), "\n");
            ok = false;
        }
    } else if (name == "ShipParts" || name == "ShipWater" || name == "ShipFire") {
        const std::string ended = name + " Dialog ended on Control :";
        const std::string type = name + " Dialog Control ";
        CDX9KelGUIImage** images = name == "ShipParts" ? m_pPartImages : name == "ShipWater" ? m_pWaterImages : m_pFireImages;
        CDX9KelGUIText** texts = name == "ShipParts" ? m_pPartTexts : name == "ShipWater" ? m_pWaterTexts : m_pFireTexts;
        ControlWalk w(dialog, ended.c_str(), type.c_str());
        w.SkipImages(1);
        for (int i = 0; i < kHullParts; ++i) images[i] = w.Take<CDX9KelGUIImage>(GUI_CONTROL_TYPE_IMAGE);
        for (int i = 0; i < kHullParts; ++i) texts[i] = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT);
        ok = w.Ok();
    } else if (name == "GlobalMapControls") {
        ControlWalk w(dialog, "Global Map Controls Dialog ended on Control :", "Global Map Controls Dialog Control ");
        w.SkipImages(1);
        // The dialog's own button is not bound.
        w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        for (auto& b : m_pPlayerMarkers) b = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        for (auto& b : m_pAIMarkers) b = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        ok = w.Ok();
    } else if (name == "SaveMenu") {
        ControlWalk w(dialog, "SaveMenu Dialog ended on Control :", "SaveMenu Dialog Control ");
        w.SkipImages(1);
        m_pSaveList = w.Take<CDX9KelGUIListBox>(GUI_CONTROL_TYPE_LISTBOX, "Map Screen SaveMenu Dialog Control ");
        m_pSaveName = w.Take<CDX9KelGUIEditBox>(GUI_CONTROL_TYPE_EDITBOX);
        m_pSaveButton = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        for (auto& t : m_pSaveInfo) t = w.Take<CDX9KelGUIText>(GUI_CONTROL_TYPE_TEXT);
        ok = w.Ok();
    } else if (name == "MissionEnd") {
        ControlWalk w(dialog, "End Dialog Dialog ended on Control :", "Map Screen Mission End Dialog Control ");
        w.SkipImages(1);
        m_pContinue = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        ok = w.Ok();
    } else if (name == "MissionFailed") {
        ControlWalk w(dialog, "Mission Failed Dialog Dialog ended on Control :",
                      "Map Screen Mission Failed Dialog Control ");
        w.SkipImages(1);
        m_pRetry = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        m_pClose = w.Take<CDX9KelGUIButton>(GUI_CONTROL_TYPE_BUTTON);
        ok = w.Ok();
    }
    return ok ? true : fail();
}

int CDX9KelMapScreen::RudderMaximum(int length) {
    int m = std::max(0, length - 10);
    if (m % 2 != 0) ++m;
    return m;
}

void CDX9KelMapScreen::Show(const MapScreenDialog& d) const {
    if (d.m_pDialog == nullptr || d.m_pDialog->m_bVisible) return;
    m_pGUI->SetDialogVisible(d.m_iId, true);
}

void CDX9KelMapScreen::Hide(const MapScreenDialog& d) const {
    if (d.m_pDialog == nullptr || !d.m_pDialog->m_bVisible) return;
    m_pGUI->SetDialogVisible(d.m_iId, false);
}

bool CDX9KelMapScreen::IsVisible(const MapScreenDialog& d) const {
    return d.m_pDialog != nullptr && d.m_pDialog->m_bVisible;
}

void CDX9KelMapScreen::ShowOnTop(const MapScreenDialog& d) const {
    if (d.m_pDialog == nullptr) return;
    Show(d);
    m_pGUI->SetActiveDialog(d.m_iId);
}

void CDX9KelMapScreen::SetProc(const MapScreenDialog& d, bool proc) const {
    if (d.m_pDialog != nullptr) m_pGUI->SetDialogProc(d.m_iId, proc);
}

bool CDX9KelMapScreen::IsPressed(const CDX9KelGUIButton* button) {
    return button != nullptr && button->m_bVisible && button->m_iState == ButtonPressed;
}

void CDX9KelMapScreen::ShowButton(CDX9KelGUIButton* button, bool visible) {
    if (button != nullptr) button->SetVisible(visible);
}

void CDX9KelMapScreen::SetButtonState(CDX9KelGUIButton* button, int state) {
    if (button == nullptr) return;
    button->MouseLeave();
    button->m_iState = state;
    button->m_iRequested = state;
    if (button->m_pMirror) *button->m_pMirror = state;
}

void CDX9KelMapScreen::SetButtonColour(CDX9KelGUIButton* button, DWORD colour) {
    if (button == nullptr) return;
    button->m_dwImageColour = colour;
    button->SetColor(colour);
    if (button->m_pImagePart) SetImageColour(button->m_pImagePart, colour);
}

DWORD CDX9KelMapScreen::GetButtonColour(const CDX9KelGUIButton* button) {
    return button != nullptr ? button->m_dwImageColour : 0;
}

void CDX9KelMapScreen::SetTurnText(unsigned round, unsigned roundsCount) {
    if (m_pTurnText) m_pTurnText->SetText(Format("%i/%i", static_cast<int>(round), static_cast<int>(roundsCount)));
}

void CDX9KelMapScreen::SetIconFlags(const std::vector<int>& flags) {
    if (m_IconsFlags.m_pDialog == nullptr) return;
    for (int i = 0; i < kIconFlags; ++i) {
        CDX9KelGUIImage* image = m_pIconFlags[i];
        if (image == nullptr) continue;
        const int flag = i < static_cast<int>(flags.size()) ? flags[static_cast<std::size_t>(i)] : ICON_FLAG_HIDDEN;
        image->m_bVisible = flag != ICON_FLAG_HIDDEN;
        if (flag == ICON_FLAG_STRANDED) SetImageColour(image, MapColour::kGrey);
        if (flag == ICON_FLAG_CAN_MOVE) SetImageColour(image, MapColour::kGreen);
        if (flag == ICON_FLAG_MOVED) SetImageColour(image, MapColour::kPink);
    }
}

int CDX9KelMapScreen::GetSelectedGunGroup() const { return m_pGunGroups != nullptr ? m_pGunGroups->m_iSelected : -1; }

void CDX9KelMapScreen::ClearGunSelection() {
    if (m_pGunGroups != nullptr) m_pGunGroups->SetSelection(-1);
}

void CDX9KelMapScreen::FillShipGuns(const BattleDataBlock* ship) {
    if (m_pGunGroups == nullptr || ship == nullptr) return;
    m_pGunGroups->SetSelection(-1);
    for (int g = 0; g < kGunGroups; ++g) {
        const PartRecord* part = nullptr;
        if (g < 2) {
            if (static_cast<std::size_t>(g) < ship->m_stdvMGTowers.size()) part = &ship->m_stdvMGTowers[static_cast<std::size_t>(g)];
        } else if (static_cast<std::size_t>(g - 2) < ship->m_stdvDesignParts.size()) {
            part = &ship->m_stdvDesignParts[static_cast<std::size_t>(g - 2)];
        }
        CDX9KelGUIButton* button = static_cast<std::size_t>(g) < m_pGunGroups->m_Buttons.size()
                                       ? m_pGunGroups->m_Buttons[static_cast<std::size_t>(g)]
                                       : nullptr;
        CDX9KelGUIText* text = g < 2 ? m_pTowerText[g] : m_pHullGunText[g - 2];
        if (part != nullptr && !part->m_stdvGuns.empty() && part->m_stdvGuns[0].m_bCanShoot != 0) {
            const GunRecord& gun = part->m_stdvGuns[0];
            const int count = static_cast<int>(part->m_stdvGuns.size());
            const std::string name = RecordText(gun.m_szName);
            if (gun.m_bReady != 0) {
                SetButtonState(button, ButtonNormal);
                SetButtonColour(button, MapColour::kGreen);
                SetText(text, Format("%s %i/%i", name.c_str(), count, count));
            } else {
                if (m_pGunGroups->m_iSelected == g) m_pGunGroups->SetSelection(-1);
                SetButtonState(button, ButtonDisabled);
                SetButtonColour(button, MapColour::kPink);
                SetText(text, Format("%s %i/%i", name.c_str(), 0, count));
            }
        } else {
            SetButtonState(button, ButtonDisabled);
            SetButtonColour(button, MapColour::kGrey);
            if (text) text->m_bVisible = false;
        }
    }
    SetText(m_pGunpowderText, Format("%i", static_cast<int>(ship->m_iGunpowder)));
}

DWORD PartConditionColour(int c) {
    if (c >= 90) return MapColour::kGreen;
    if (c >= 60) return MapColour::kYellow;
    if (c >= 30) return MapColour::kOrange;
    return MapColour::kRed;
}

DWORD PartWaterColour(int s) {
    if (s >= 100) return MapColour::kGrey;
    if (s >= 80) return 0xffaabeff;
    if (s >= 60) return 0xff82a0ff;
    if (s >= 40) return 0xff5a78ff;
    if (s >= 20) return 0xff325aff;
    return 0xff003cff;
}

DWORD PartFireColour(int s) {
    if (s >= 100) return MapColour::kGrey;
    if (s >= 80) return 0xffffc8b4;
    if (s >= 60) return 0xffffa587;
    if (s >= 40) return 0xffff825a;
    if (s >= 20) return 0xffff5f2d;
    return 0xffff3c00;
}

float PartWaterWeight(const PartRecord& part) { return part.m_fWaterWeight; }

bool CDX9KelMapScreen::FillShipParts(const BattleDataBlock* ship) {
    if (m_ShipParts.m_pDialog == nullptr || ship == nullptr || ship->m_stdvDesignParts.size() != kHullParts) return false;
    for (int i = 0; i < kHullParts; ++i) {
        const PartRecord& p = ship->m_stdvDesignParts[static_cast<std::size_t>(i)];
        const int damage = Percent(p.m_fDamage, p.m_fDurability);
        SetImageColour(m_pPartImages[i], PartConditionColour(100 - damage));
        SetText(m_pPartTexts[i], Format("%i%s", std::min(100, damage), "%"));
    }
    return true;
}

bool CDX9KelMapScreen::FillShipWater(const BattleDataBlock* ship) {
    if (m_ShipWater.m_pDialog == nullptr || ship == nullptr || ship->m_stdvDesignParts.size() != kHullParts) return false;
    for (int i = 0; i < kHullParts; ++i) {
        const PartRecord& p = ship->m_stdvDesignParts[static_cast<std::size_t>(i)];
        const int s = 100 - Percent(PartWaterWeight(p), p.m_fBuoyancy);
        SetImageColour(m_pWaterImages[i], PartWaterColour(s));
        SetText(m_pWaterTexts[i], Format("%i%s", 100 - s, "%"));
    }
    return true;
}

bool CDX9KelMapScreen::FillShipFire(const BattleDataBlock* ship) {
    if (m_ShipFire.m_pDialog == nullptr || ship == nullptr || ship->m_stdvDesignParts.size() != kHullParts) return false;
    for (int i = 0; i < kHullParts; ++i) {
        const PartRecord& p = ship->m_stdvDesignParts[static_cast<std::size_t>(i)];
        const int s = 100 - Percent(p.m_fFireStrength, p.m_fDurability);
        SetImageColour(m_pFireImages[i], PartFireColour(s));
        SetText(m_pFireTexts[i], Format("%i%s", 100 - s, "%"));
    }
    return true;
}

int CDX9KelMapScreen::DamageGrade(int c) {
    if (c >= 100) return 0;
    if (c >= 90) return 1;
    if (c >= 60) return 2;
    if (c >= 30) return 3;
    return 4;
}

DWORD CDX9KelMapScreen::DamageGradeColour(int grade) {
    switch (grade) {
    case 0:
    case 1: return MapColour::kGreen;
    case 2: return MapColour::kYellow;
    case 3: return MapColour::kOrange2;
    default: return MapColour::kRed;
    }
}

void CDX9KelMapScreen::PlaceHint(const POINT& cursor) const {
    CDX9KelGUIDialog* d = m_UnitDescription.m_pDialog;
    d->MoveTo(cursor.x, cursor.y + 32);
    ShowOnTop(m_UnitDescription);
}

bool CDX9KelMapScreen::ShowUnitHint(const POINT& cursor, const std::string& name, DWORD colour, int condition) {
    if (m_UnitDescription.m_pDialog == nullptr) return false;
    PlaceHint(cursor);
    SetTextColour(m_pUnitName, colour);
    SetText(m_pUnitName, name);
    const int grade = DamageGrade(condition);
    SetTextColour(m_pUnitCondition, DamageGradeColour(grade));
    SetText(m_pUnitCondition, m_sDamage[grade]);
    return true;
}

bool CDX9KelMapScreen::ShowTargetInfo(const POINT& cursor, const std::string& name, int hitChance) {
    if (m_UnitDescription.m_pDialog == nullptr || m_pGunGroups == nullptr) return false;
    PlaceHint(cursor);
    SetTextColour(m_pUnitName, MapColour::kRed);
    SetText(m_pUnitName, name);
    SetTextColour(m_pUnitCondition, MapColour::kAmber);
    SetText(m_pUnitCondition, Format("%s%s%i%s", m_sAccuracy.c_str(), ": ", hitChance, "%"));
    return true;
}

bool CDX9KelMapScreen::ShowBlockedHint(const POINT& cursor, const std::string& name) {
    if (m_UnitDescription.m_pDialog == nullptr) return false;
    PlaceHint(cursor);
    SetTextColour(m_pUnitName, MapColour::kRed);
    SetText(m_pUnitName, name);
    SetTextColour(m_pUnitCondition, MapColour::kRed);
    SetText(m_pUnitCondition, m_sHandicap);
    return true;
}

bool CDX9KelMapScreen::ShowGlobalMapHint(const POINT& cursor, const std::string& name, DWORD colour) {
    if (m_UnitDescription.m_pDialog == nullptr) return false;
    PlaceHint(cursor);
    SetTextColour(m_pUnitName, colour);
    SetText(m_pUnitName, name);
    SetTextColour(m_pUnitCondition, MapColour::kYellow);
    SetText(m_pUnitCondition, m_sGlobalMapUnitDesc);
    return true;
}

} // namespace VornaCampaign
