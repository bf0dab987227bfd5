#pragma once
// The duel: one battle between the human and the computer player in which
// each side first buys ships from the ship types the duel file offers, with
// a sum of money, and orders them into up to three columns. The duel holds
// its texts from the duel file, its players and one director per player;
// a director keeps its shop, its money and its three column choices.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/os/WinTypes.h"

namespace Vorna3D {
class CDX9KelScene;
class CVR3CIIScreen;
class CDX9KelSGUIDialog;
class CDX9KelSGUIText;
class CDX9KelSGUIControlButton;
class CDX9KelSGUIControlButtonCheck;
class CDX9KelSGUIControlScrollCheckList;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEInformationShip;
class CVR3GAMEBattleMap;
class CVR3GAMEDuel;
class CVR3GAMEDuelPlayerDirector;

// A ship type on offer, or a bought ship (a copy of its type): the
// information record and the file names of the ship's other objects.
struct CVR3GAMEDuelShipType {
    enum EFile { FILE_INFO = 0, FILE_SCENE, FILE_MOVEMENT, FILE_ANIMATED, FILE_BATTLE, FILE_ARTILLERY, FILE_COUNT };

    CVR3GAMEDuelShipType() = default;
    CVR3GAMEDuelShipType(const CVR3GAMEDuelShipType& other);
    CVR3GAMEDuelShipType& operator=(const CVR3GAMEDuelShipType&) = delete;
    ~CVR3GAMEDuelShipType();

    // Displacement (the record's text read as an integer) times the unit
    // cost; 0 without a record, clamped into the unsigned 32-bit range.
    uint32_t GetPrice() const;

    CVR3GAMEInformationShip* m_pInfo = nullptr; // owned
    std::string m_strFiles[FILE_COUNT];
};

class CVR3GAMEDuelPlayer {
public:
    std::string m_strName;
    CVR3GAMEDuelPlayerDirector* m_pDirector = nullptr;
};

class CVR3GAMEDuelPlayerDirector {
public:
    static constexpr size_t kColumns = 3;
    static constexpr size_t kMaxColumnShips = 5;

    CVR3GAMEDuelPlayerDirector() = default;
    CVR3GAMEDuelPlayerDirector(const CVR3GAMEDuelPlayerDirector&) = delete;
    CVR3GAMEDuelPlayerDirector& operator=(const CVR3GAMEDuelPlayerDirector&) = delete;
    virtual ~CVR3GAMEDuelPlayerDirector();

    // The per-frame step of the director's screen, while it is shown: a
    // click on a shop icon or a column ship selects it and shows its card;
    // Add buys the selected type into that column and Erase gives the
    // selected column ship back (each button once per 500 ms).
    virtual void Proc();
    // Called by the duel before it releases the director.
    virtual void OnRelease();

    // Loads the localised unit texts.
    void LoadUnitTexts();
    // The director's screen must exist; the selection is cleared.
    bool Prepare();

    // Buys a copy of the selected shop type into the end of column `column`
    // when the column has room and the price does not exceed the current
    // money, and selects it; otherwise the whole selection is cleared.
    bool AddShip(int column);
    // Gives back the price of the selected column ship and removes it.
    bool EraseShip();
    void ClearSelection();
    // True when some column holds a ship.
    bool HasShips() const;
    // The money spent: starting money less current money (0 when the
    // current money is not below the start).
    uint32_t GetSpent() const;

    // ---- the director's screen ----
    static constexpr DWORD kButtonGate = 500;
    // Binds the dialogs of the table by name; false (logged) for a screen
    // without dialogs or a missing dialog or control.
    bool LoadUIFromScreen(Vorna3D::CVR3CIIScreen* pScreen);
    // One icon per ship type, captioned with the duel's money text and the
    // price.
    bool CreateSGUIShopShipsIcons();
    // The column's icons, one per bought ship.
    bool FillColumnIcons(int column);
    // The card of a type in the information panel; null empties it.
    void ShowShipInfo(const CVR3GAMEDuelShipType* type);
    void ShowMoney();
    // Add enabled for columns with room when a shop type is selected and
    // affordable; Erase only for the column of a selected ship.
    void UpdateButtons();

    Vorna3D::CVR3CIIScreen* m_pUIScreen = nullptr;
    std::map<std::string, Vorna3D::CDX9KelSGUIText*> m_stdmInfoTexts;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogShips = nullptr;
    Vorna3D::CDX9KelSGUIControlScrollCheckList* m_pShopIcons = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogColumns[kColumns] = {};
    Vorna3D::CDX9KelSGUIControlScrollCheckList* m_pColumnIcons[kColumns] = {};
    Vorna3D::CDX9KelSGUIControlButton* m_pAdd[kColumns] = {};
    Vorna3D::CDX9KelSGUIControlButton* m_pErase[kColumns] = {};
    std::vector<Vorna3D::CDX9KelSGUIControlButtonCheck*> m_stdvColumnIconPool[kColumns];
    DWORD m_dwLastButton = 0;

    CVR3GAMEDuel* m_pDuel = nullptr;
    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    CVR3GAMEDuelPlayer* m_pPlayer = nullptr;
    std::string m_strScreen;

    uint32_t m_dwStartMoney = 0;
    uint32_t m_dwMoney = 0;
    // The price of the ships lost in the battle; the score reads it.
    uint32_t m_dwLostMoney = 0;

    std::vector<CVR3GAMEDuelShipType*> m_stdvShipTypes;       // owned
    std::vector<CVR3GAMEDuelShipType*> m_stdvColumns[kColumns]; // owned

    int m_iSelectedShop = -1;
    int m_iSelectedColumn = -1;
    int m_iSelectedIndex = -1;

    std::string m_strTon, m_strKnot, m_strDegree, m_strInch;
};

class CVR3GAMEDuel {
public:
    CVR3GAMEDuel() = default;
    ~CVR3GAMEDuel();
    CVR3GAMEDuel(const CVR3GAMEDuel&) = delete;
    CVR3GAMEDuel& operator=(const CVR3GAMEDuel&) = delete;

    // A new player of a name no player has yet; null otherwise.
    CVR3GAMEDuelPlayer* CreatePlayer(const char* name);
    // A director for the named player, linked both ways; null when there is
    // no such player or it has a director already.
    CVR3GAMEDuelPlayerDirector* CreateDirector(const char* playerName, Vorna3D::CDX9KelScene* pScene);
    // The director of the named player, or null.
    CVR3GAMEDuelPlayerDirector* GetPlayer(const char* name) const;

    // The duel screen and every director's screen must exist.
    bool Prepare();
    // Binds the menu's dialogs on the duel screen and every director's
    // dialogs on its screen, then fills the shops. Run when the duel's menu
    // is first shown; false (logged) when a dialog or control is missing.
    bool LoadUIFromScreen();
    // The duel menu's step while its screen is shown: the warning's Ok hides
    // it; a difficulty button shows the warning or the check; the check's Ok
    // begins the battle and Cancel hides it (each button once per second).
    void ProcMenu();
    // The per-frame step of every director.
    void Proc();
    // Deletes every player and director and empties the duel's texts.
    void Clear();
    // The duel score: at most 100, below 0 when the human lost more than it
    // spent; -1 with fewer than two directors.
    int GetScore() const;
    // A difficulty button of the duel menu (0 arcade, 1 normal, 2
    // realistic): refused with the warning flag set when some director has
    // no ship in any column; refused quietly with fewer than three
    // artillery lists; otherwise list `level` becomes the duel's artillery
    // list.
    bool ChooseDifficulty(int level, bool* pWarn);
    // The confirmed choice: the game manager builds the battle.
    bool BeginBattle();
    // At the battle's end: each director's lost money becomes the value its
    // battle player lost.
    void RecordBattleLosses(const CVR3GAMEBattleMap& map);

    // The screen of the given name from the scene's screen manager, or null.
    Vorna3D::CVR3CIIScreen* FindScreen(const std::string& name) const;

    Vorna3D::CDX9KelScene* m_pScene = nullptr;
    Vorna3D::CVR3CIIScreen* m_pScreen = nullptr;

    std::vector<CVR3GAMEDuelPlayer*> m_stdvPlayers;
    std::vector<CVR3GAMEDuelPlayerDirector*> m_stdvDirectors;

    std::string m_strFileName;
    std::string m_strDuelName;
    std::string m_strHumanName;
    std::string m_strComputerName;
    std::string m_strScreenLoad;
    std::string m_strScreenDuel;
    std::string m_strScreenDuelEnd;
    std::string m_strScreenBattle;
    std::string m_strScreenBattleEnd;
    std::string m_strBattleMap;
    std::string m_strArtilleryList;
    std::string m_strMoney;
    std::vector<std::string> m_stdvArtilleryLists;
    int m_iShipsTypesCount = 0;

    static constexpr DWORD kMenuGate = 1000;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogMenu = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogWarning = nullptr;
    Vorna3D::CDX9KelSGUIDialog* m_pDialogCheck = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pLevelButtons[3] = {};
    Vorna3D::CDX9KelSGUIControlButton* m_pWarningOk = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pCheckOk = nullptr;
    Vorna3D::CDX9KelSGUIControlButton* m_pCheckCancel = nullptr;
    DWORD m_dwLastMenuButton = 0;
};

} // namespace SeaBattle
