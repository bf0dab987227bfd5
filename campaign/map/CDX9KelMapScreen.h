#pragma once
// The map screen of the campaign: the dialogs and controls of the screen
// file "map.xml" that the game map plays through. Binding finds every dialog
// by its exact name and takes its controls in file order, each of a fixed
// kind; a dialog the screen does not have stays unbound, and every operation
// on it does nothing. The fill operations here show unit values in the
// panels of the active ship; what the buttons do belongs to the game map.
#include "campaign/data/CampaignRecords.h"
#include "platform/os/WinTypes.h"

#include <string>
#include <vector>

namespace Vorna2 {
class CDX9KelCIIScreen;
class CDX9KelGUIButton;
class CDX9KelGUIControl;
class CDX9KelGUIDialog;
class CDX9KelGUIEditBox;
class CDX9KelGUIImage;
class CDX9KelGUIListBox;
class CDX9KelGUIManager;
class CDX9KelGUIRadioList;
class CDX9KelGUIScrollBar;
class CDX9KelGUIStateBar;
class CDX9KelGUIText;
} // namespace Vorna2

namespace VornaCampaign {

// Colours of the map screen (ARGB).
namespace MapColour {
constexpr DWORD kGreen = 0xff50dc78;
constexpr DWORD kBrightGreen = 0xff64ff00;
constexpr DWORD kGrey = 0xff969696;
constexpr DWORD kRed = 0xfffa1414;
constexpr DWORD kOrange = 0xfffa3c14;
constexpr DWORD kOrange2 = 0xfffa3214;
constexpr DWORD kYellow = 0xfffaf014;
constexpr DWORD kPink = 0xffff3c5a;
constexpr DWORD kAmber = 0xfff0be1e;
} // namespace MapColour

// The movement flag of one unit icon.
enum EIconFlag {
    ICON_FLAG_HIDDEN = 0,   // no unit, or a unit without a column
    ICON_FLAG_STRANDED,     // grey
    ICON_FLAG_CAN_MOVE,     // green: movement time left this turn
    ICON_FLAG_MOVED,        // pink: the turn's movement is used
};

struct MapScreenDialog {
    Vorna2::CDX9KelGUIDialog* m_pDialog = nullptr;
    int m_iId = -1;
};

class CDX9KelMapScreen {
public:
    static constexpr int kIconFlags = 10;
    static constexpr int kGunGroups = 8;
    static constexpr int kHullParts = 6;
    static constexpr int kPlayerMarkers = 20;
    static constexpr int kAIMarkers = 30;

    // Binds the dialogs of the screen; false at the first fault (logged),
    // leaving the dialogs not yet bound unbound.
    bool Bind(Vorna2::CDX9KelCIIScreen* screen, Vorna2::CDX9KelGUIManager* gui);
    // Forgets every dialog and control.
    void Unbind();
    Vorna2::CDX9KelCIIScreen* GetScreen() const { return m_pScreen; }
    Vorna2::CDX9KelGUIManager* GetGUI() const { return m_pGUI; }

    // ---- dialogs by name ----
    MapScreenDialog m_Movement, m_MapControl, m_Icons, m_IconsFlags, m_UnitDescription, m_ShipParamRadio,
        m_ShipGuns, m_ShipParts, m_ShipWater, m_ShipFire, m_MapEnd, m_AIActionTime, m_FinishMov, m_GlobalMap,
        m_GlobalMapControls, m_MapMenu, m_SaveMenu, m_MissionEnd, m_MissionFailed;

    // Movement
    Vorna2::CDX9KelGUIScrollBar* m_pRudder = nullptr;
    Vorna2::CDX9KelGUIStateBar* m_pSpeedDisplay = nullptr;
    Vorna2::CDX9KelGUIScrollBar* m_pSpeed = nullptr;
    Vorna2::CDX9KelGUIButton* m_pGo = nullptr;
    Vorna2::CDX9KelGUIButton* m_pStop = nullptr;
    Vorna2::CDX9KelGUIButton* m_pDetach = nullptr;
    Vorna2::CDX9KelGUIButton* m_pRudderCentre = nullptr;
    // MapControl
    Vorna2::CDX9KelGUIText* m_pTurnText = nullptr;
    Vorna2::CDX9KelGUIButton* m_pEndTurn = nullptr;
    Vorna2::CDX9KelGUIButton* m_pGlobalMapButton = nullptr;
    Vorna2::CDX9KelGUIButton* m_pMenuButton = nullptr;
    // Icons
    Vorna2::CDX9KelGUIRadioList* m_pIconList = nullptr;
    // IconsFlags
    Vorna2::CDX9KelGUIImage* m_pIconFlags[kIconFlags] = {};
    // UnitDescription
    Vorna2::CDX9KelGUIText* m_pUnitName = nullptr;
    Vorna2::CDX9KelGUIText* m_pUnitCondition = nullptr;
    // ShipGuns
    Vorna2::CDX9KelGUIRadioList* m_pGunGroups = nullptr;
    Vorna2::CDX9KelGUIText* m_pTowerText[2] = {};
    Vorna2::CDX9KelGUIText* m_pHullGunText[kHullParts] = {};
    Vorna2::CDX9KelGUIText* m_pGunpowderText = nullptr;
    // ShipParts, ShipWater, ShipFire
    Vorna2::CDX9KelGUIImage* m_pPartImages[kHullParts] = {};
    Vorna2::CDX9KelGUIText* m_pPartTexts[kHullParts] = {};
    Vorna2::CDX9KelGUIImage* m_pWaterImages[kHullParts] = {};
    Vorna2::CDX9KelGUIText* m_pWaterTexts[kHullParts] = {};
    Vorna2::CDX9KelGUIImage* m_pFireImages[kHullParts] = {};
    Vorna2::CDX9KelGUIText* m_pFireTexts[kHullParts] = {};
    // GlobalMapControls
    Vorna2::CDX9KelGUIButton* m_pPlayerMarkers[kPlayerMarkers] = {};
    Vorna2::CDX9KelGUIButton* m_pAIMarkers[kAIMarkers] = {};
    // SaveMenu
    Vorna2::CDX9KelGUIListBox* m_pSaveList = nullptr;
    Vorna2::CDX9KelGUIEditBox* m_pSaveName = nullptr;
    Vorna2::CDX9KelGUIButton* m_pSaveButton = nullptr;
    Vorna2::CDX9KelGUIText* m_pSaveInfo[4] = {};
    // MissionEnd, MissionFailed
    Vorna2::CDX9KelGUIButton* m_pContinue = nullptr;
    Vorna2::CDX9KelGUIButton* m_pRetry = nullptr;
    Vorna2::CDX9KelGUIButton* m_pClose = nullptr;

    // ---- showing and hiding ----
    // Visible with its reset pending cleared, when it is not already.
    void Show(const MapScreenDialog& d) const;
    void Hide(const MapScreenDialog& d) const;
    bool IsVisible(const MapScreenDialog& d) const;
    // Shown and brought to the front.
    void ShowOnTop(const MapScreenDialog& d) const;
    // Lets the dialog take input or not.
    void SetProc(const MapScreenDialog& d, bool proc) const;
    // True while the button is pressed (state 2).
    static bool IsPressed(const Vorna2::CDX9KelGUIButton* button);
    static void ShowButton(Vorna2::CDX9KelGUIButton* button, bool visible);
    // MouseLeave, then the state (0 enabled, 3 disabled).
    static void SetButtonState(Vorna2::CDX9KelGUIButton* button, int state);
    // The colour of a button and its image part.
    static void SetButtonColour(Vorna2::CDX9KelGUIButton* button, DWORD colour);
    static DWORD GetButtonColour(const Vorna2::CDX9KelGUIButton* button);

    // ---- fill operations ----
    // "%i/%i" turn counter.
    void SetTurnText(unsigned round, unsigned roundsCount);
    // One flag per icon; flags beyond the list are hidden.
    void SetIconFlags(const std::vector<int>& flags);
    // The gun groups of the active ship; the selection is cleared.
    void FillShipGuns(const BattleDataBlock* ship);
    // Condition, flooding and fire of the six hull parts (false without the
    // dialog or unless the ship has exactly six hull parts).
    bool FillShipParts(const BattleDataBlock* ship);
    bool FillShipWater(const BattleDataBlock* ship);
    bool FillShipFire(const BattleDataBlock* ship);
    // The selected gun group, -1 when none (or no gun dialog).
    int GetSelectedGunGroup() const;
    void ClearGunSelection();
    // The rudder bar's maximum and position at binding.
    static int RudderMaximum(int length);

    // Texts of the unit hints ("Damage1" to "Damage5", "Accuracy",
    // "Handicap", "GlobalMapUnitDesc").
    std::string m_sDamage[5] = {"Not damaged", "Light damaged", "Damaged", "Hard damaged", "Almost destroyed"};
    std::string m_sAccuracy = "Accuracy";
    std::string m_sHandicap = "Handicap";
    std::string m_sGlobalMapUnitDesc = "Press for description";
    // The condition grade (0 to 4) and its colour for a condition percent.
    static int DamageGrade(int condition);
    static DWORD DamageGradeColour(int grade);
    // The hint under the cursor: name in `colour`, the damage grade of
    // `condition` below it. The dialog goes 32 pixels under the cursor.
    bool ShowUnitHint(const POINT& cursor, const std::string& name, DWORD colour, int condition);
    // The hint with the hit chance of the selected gun group.
    bool ShowTargetInfo(const POINT& cursor, const std::string& name, int hitChance);
    // The hint of a target behind an obstacle.
    bool ShowBlockedHint(const POINT& cursor, const std::string& name);
    bool ShowGlobalMapHint(const POINT& cursor, const std::string& name, DWORD colour);

private:
    bool BindDialog(const std::string& name, int id);
    void PlaceHint(const POINT& cursor) const;

    Vorna2::CDX9KelCIIScreen* m_pScreen = nullptr;
    Vorna2::CDX9KelGUIManager* m_pGUI = nullptr;
};

// Colours of the condition, water and fire scales for a percent s.
DWORD PartConditionColour(int condition);
DWORD PartWaterColour(int s);
DWORD PartFireColour(int s);
// The water a hull part holds (the round result keeps it with the part).
float PartWaterWeight(const PartRecord& part);

} // namespace VornaCampaign
