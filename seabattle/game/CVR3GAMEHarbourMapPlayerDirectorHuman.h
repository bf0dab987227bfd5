#pragma once
// The human side's harbour director: its money, the ship types on sale, the
// reserve and the three columns it sends to the next battle. The harbour
// screens fill the columns; the hand-over turns them into the player's
// battle columns.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/math/d3dx9math.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourShop.h"

namespace Vorna3D {
class CDX9KelSGUIDialog;
class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlButtonCheck;
class CDX9KelSGUIControlImage;
class CDX9KelSGUIControlScrollCheckList;
class CDX9KelSGUIText;
} // namespace Vorna3D

namespace SeaBattle {

struct CVR3GAMEShipType;
class CVR3GAMEScenario;

class CVR3GAMEHarbourMapPlayerDirectorHuman : public CVR3GAMEHarbourMapPlayerDirector {
public:
    CVR3GAMEHarbourMapPlayerDirectorHuman();
    ~CVR3GAMEHarbourMapPlayerDirectorHuman() override;

    // Stores the map, reads the panel's words and builds the shop's icons.
    bool AttachHarbourMap(CVR3GAMEHarbourMap* pMap) override;
    // Starts a harbour step: the step must have an entry in the ships-for-
    // sale list; the step's money is granted, the reserve rejoins the
    // player, the own ships are moored and listed, the shop is locked to
    // the step's types and its first item shown.
    bool InitHarbourMap(int32_t step) override;
    // The three columns become the player's battle columns; ships in no
    // column stay in the reserve. Every ship leaves the harbour scene.
    bool PrepareDataForBattleMap() override;
    // Per frame while a harbour screen is shown: the gratuity box, the two
    // lists' selections, buying, selling, repairing, the harbour menu, then
    // the columns screen's lists, adding, erasing and its menu.
    void ProcGUI() override;
    // Frees the ship types (the ships leave the harbour scene first).
    void Release() override;
    // The own ships leave the harbour scene, the own-ship and available
    // lists are emptied and every berth is free again.
    void ReleaseMapGUI() override;

    // Binds the harbour screens' dialogs by unique name and their controls
    // by name and kind. A null screen fails silently, a screen without
    // dialogs fails with a line; a missing dialog is logged and a missing
    // control stays null (the feature it serves is absent).
    bool SetMapScreen(Vorna3D::CVR3CIIScreen* pScreen);
    bool SetColumnsScreen(Vorna3D::CVR3CIIScreen* pScreen);

    // At a later step of a running scenario: the added money and the bonus
    // for the enemy's losses of the last battle, shown in the gratuity box.
    // Money stays within its integer; a negative added money counts as none.
    void GrantStepMoney();
    // The bonus for the enemy's losses: the losses times the factor, cut
    // toward zero; 0 for a factor that is not above 0 (an empty one reads
    // -1), at most the largest sum money holds.
    static int32_t Gratuity(uint32_t battleResult, float factor);
    bool ReserveShipsAttachToAll();

    // ---- the shop (own ships, berths, buying, selling, repairing) ----
    // The own-ship list: the player's ships not sold, highest level first.
    bool CreatePlayerShips();
    // Moors the own ships at the berths read with the harbour map: the free
    // list is rebuilt from those positions first. Ships beyond the berths
    // stay unmoored (a warning each); the step goes on.
    bool SetPlayerShipsOnHarbourMap();
    bool SetPlayerShipOnHarbourMap(CVR3GAMEBattleMapShip* pShip);
    bool FreeShipBerth(CVR3GAMEBattleMapShip* pShip);
    // The confirmed purchase of ship type `type`: the ship is built, named,
    // listed and moored before the money is taken; any failure keeps the
    // money and logs why. Refused when the type is not on sale at this step,
    // has no name left or costs more than the money.
    bool BuyShipType(int32_t type);
    // The confirmed sale of an own ship: the sale value is paid, the ship is
    // marked sold, hidden, its body switched off and its berth freed.
    bool SellShip(CVR3GAMEBattleMapShip* pShip);
    // Repairs `percent` (1 or 5) of the ship's damage for the repair cost;
    // refused when the money does not reach the cost.
    bool RepairShip(CVR3GAMEBattleMapShip* pShip, int32_t percent);
    // Whether type `type` can be bought at this step (on sale, a name left).
    bool IsShipTypeOnSale(int32_t type) const;

    // ---- the columns screen ----
    // Sorts the own ships into available (fit for battle, highest level
    // first) and the reserve; the columns are emptied.
    void PrepareColumns();
    bool CanColumnAdd(size_t column) const;
    // Available ship `index` to the end of `column` (at most five ships).
    bool ColumnAdd(size_t column, size_t index);
    // Ship `index` of `column` back to available, sorted again.
    bool ColumnErase(size_t column, size_t index);
    bool ColumnsEmpty() const;

    // ---- the screens ----
    // One icon per ship type in the shop list, captioned with its price.
    bool CreateSGUIShopShipsIcons();
    // One icon per own ship in the own-ship list.
    bool CreateSGUIPlayerShips();
    // Locks the shop items not on sale at this step or without a name left;
    // false when the list does not hold one item per type.
    bool SetSGUIShipsShop();
    // Shows a ship type's panel (the own-ship list loses its selection).
    bool SelectShopShip(int32_t item);
    // Shows an own ship's panel (the shop list loses its selection).
    bool SelectOwnShip(int32_t item);
    // Fills the panel's texts, crew marks and button states.
    void ShowPanel(const CVR3GAMEHarbourPanel& panel);
    void ClearShipInfo();
    void SetMoneyTexts();
    // The available list and the three column lists with their icons.
    bool CreateSGUIColumnsShips();
    // Selects available ship `index`, unlocks the add buttons of columns
    // with room and locks every erase button.
    bool SelectAvailableShip(int32_t index);
    CVR3GAMEHarbourPanelWords Words() const;
    // The own ship shown in the panel, or null.
    CVR3GAMEBattleMapShip* SelectedOwnShip() const;

    void ProcGratuity();
    void ProcSelection();
    void ProcSGUIShipBuy();
    void ProcSGUIShipSell();
    void ProcSGUIShipRepair();
    void ProcMapMenu();
    void ProcColumnsLists();
    void ProcColumnAdd();
    void ProcColumnErase();
    void ProcColumnsMenu();

    bool LoadDialogMapMenu(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogPlayerShips(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogProperties(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogShipsTypes(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogBuy(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogSell(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogGraduity(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogLetMission(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogColumnsMenu(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogColumnsShips(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogColumnsWork(Vorna3D::CDX9KelSGUIDialog* d);
    bool LoadDialogBeginBattle(Vorna3D::CDX9KelSGUIDialog* d);

    // The texts of the properties dialog, in the panel's names.
    static constexpr int kPanelTexts = 19;
    static const char* const kPanelTextNames[kPanelTexts];

    static constexpr size_t COLUMN_SHIPS_MAX = 5;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvOwnShips;
    CVR3GAMEHarbourBerths m_Berths;

    CVR3GAMEHarbourMap* m_pHarbourMap = nullptr;
    std::vector<CVR3GAMEShipType*> m_stdvShipsTypes; // owned
    std::vector<int32_t> m_stdviShipsToBuy;
    int32_t m_iStep = -1;
    int32_t m_iMoney = 0;
    int32_t m_iAddMoney = 0;
    int32_t m_iLastPrice = 0;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvAvailable;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvReserve;
    std::vector<CVR3GAMEBattleMapShip*> m_stdvColumns[3];
    // Where the own ships lie in the harbour scene, from the harbour map.
    std::vector<D3DXMATRIX> m_stdvShipsPositions;
    Vorna3D::CVR3CIIScreen* m_pMapScreen = nullptr;
    Vorna3D::CVR3CIIScreen* m_pColumnsScreen = nullptr;

    // Selections (-1 none): shop item, own ship, available ship, current
    // column and the index in it.
    int32_t m_iSelectedShop = -1;
    int32_t m_iSelectedOwn = -1;
    int32_t m_iSelectedAvailable = -1;
    int32_t m_iSelectedColumn = -1;
    int32_t m_iSelectedColumnIndex = -1;

    // Localised words.
    std::string m_strTon, m_strKnot, m_strDegree, m_strInch, m_strMoney, m_strSeaYes, m_strSeaNo;

    // The harbour screen's dialogs and controls (not owned; null = absent).
    Vorna3D::CDX9KelSGUIDialog* m_pDialogMapMenu = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pMenu = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pHelp = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pNext = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogPlayerShips = nullptr;
    Vorna3D::CDX9KelSGUIControlScrollCheckList* m_pPlayerShipsIcons = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogProperties = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pBuy = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pSell = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pRepair1 = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pRepair2 = nullptr;
    Vorna3D::CDX9KelSGUIControlImage* m_pCrew[3] = {nullptr, nullptr, nullptr};
    Vorna3D::CDX9KelSGUIText* m_pPanelTexts[kPanelTexts] = {};
    Vorna3D::CDX9KelSGUIDialog* m_pDialogShop = nullptr;
    Vorna3D::CDX9KelSGUIControlScrollCheckList* m_pShopIcons = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogBuy = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pBuyOk = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pBuyCancel = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogSell = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pSellOk = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pSellCancel = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogGratuity = nullptr;
    Vorna3D::CDX9KelSGUIText* m_pGratuitySum = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pGratuityOk = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogLetMission = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pLetMissionOk = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pLetMissionCancel = nullptr;
    // The columns screen's.
    Vorna3D::CDX9KelSGUIDialog* m_pDialogColumnsMenu = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pColumnsHelp = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pColumnsPrev = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pColumnsNext = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogColumnsShips = nullptr;
    Vorna3D::CDX9KelSGUIControlScrollCheckList* m_pAvailableIcons = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogColumnsWork = nullptr;
    Vorna3D::CDX9KelSGUIControlScrollCheckList* m_pColumnIcons[3] = {nullptr, nullptr, nullptr};
    Vorna3D::CDX9KelSGUIControlButton* m_pColumnAdd[3] = {nullptr, nullptr, nullptr};
    Vorna3D::CDX9KelSGUIControlButton* m_pColumnErase[3] = {nullptr, nullptr, nullptr};
    Vorna3D::CDX9KelSGUIDialog* m_pDialogFight = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pFightOk = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pFightCancel = nullptr;

    // Click gates: buy and sell dialogs share one, the repairs another, the
    // column adds a third, the columns menu a fourth; each small dialog's
    // own buttons have theirs.
    CVR3GAMEHarbourClickGate m_ShopGate{200};
    CVR3GAMEHarbourClickGate m_RepairGate{300};
    CVR3GAMEHarbourClickGate m_ColumnAddGate{500};
    CVR3GAMEHarbourClickGate m_ColumnsMenuGate{800};
    CVR3GAMEHarbourClickGate m_GratuityGate{200};
    CVR3GAMEHarbourClickGate m_LetMissionGate{200};
    CVR3GAMEHarbourClickGate m_FightGate{200};

private:
    // Icon buttons stay with their dialog once made (a dialog cannot give a
    // control back while its frame may still draw it): a list rebuilt takes
    // the hidden icons of the same look first.
    struct PooledIcon {
        Vorna3D::CDX9KelSGUIDialog* dialog = nullptr;
        Vorna3D::CDX9KelSGUIControlScrollCheckList* list = nullptr;
        std::string key;
        Vorna3D::CDX9KelSGUIControlButtonCheck* button = nullptr;
        bool used = false;
    };
    // Fills `list` with one icon per entry: the card it is drawn from, the
    // control name and its caption. False with the failure lines of `who`.
    struct IconEntry {
        const CVR3GAMEInformationShip* info = nullptr;
        std::string name;
        std::string caption;
    };
    bool FillIconList(Vorna3D::CDX9KelSGUIDialog* dialog, Vorna3D::CDX9KelSGUIControlScrollCheckList* list,
                      const std::vector<IconEntry>& entries, const char* who);
    void ShowDialogInFront(Vorna3D::CDX9KelSGUIDialog* d);
    void HideDialog(Vorna3D::CDX9KelSGUIDialog* d);
    // The own ships leave the harbour scene's tree.
    void TakeShipsOutOfHarbourScene();
    std::vector<PooledIcon> m_stdvIconPool;
};

} // namespace SeaBattle
