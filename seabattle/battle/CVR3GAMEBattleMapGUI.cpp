// The human director's map GUI: the map GUI file (3D markers, cursors, hot
// keys), choosing the commanded ship by icon, by click or by hot key, the
// markers over the columns, the ship popups under the cursor and keeping a
// valid selection while ships sink or leave.
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"

#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/ui/gui3d/CVR3GUI3DManager.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlButtonCheck.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlImage.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlRadioList.h"
#include "engine3/ui/sgui/CDX9KelSGUIControlScrollCheckList.h"
#include "engine3/ui/sgui/CDX9KelSGUIDialog.h"
#include "engine3/ui/sgui/CDX9KelSGUIManager.h"
#include "platform/os/Clock.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEBattleLog.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBaseBehaviour.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdlib>

namespace SeaBattle {

using namespace Vorna3D;

namespace {

// Markers float this high over the ship they follow.
const D3DXVECTOR3 kMarkerOffset(0.0f, 8.0f, 0.0f);

void ShowMarker(CVR3GUI3DDialog* marker, CDX9KelSceneObject* object) {
    if (!marker) return;
    if (marker->m_pAttached != object) marker->Attach(object, GUI3D_ATTACH_FIXED_HEIGHT, kMarkerOffset);
    marker->m_bVisible = true;
    marker->m_bSavedVisible = true;
    marker->FollowAttached();
}

void HideMarker(CVR3GUI3DDialog* marker) {
    if (!marker) return;
    marker->m_bVisible = false;
    marker->m_bSavedVisible = false;
}

CVR3GUI3DDialog* At(const std::vector<CVR3GUI3DDialog*>& v, size_t i) { return i < v.size() ? v[i] : nullptr; }

void ShowLamp(const std::vector<CDX9KelSGUIControlImage*>& lamps, size_t i, bool visible) {
    if (i < lamps.size() && lamps[i]) lamps[i]->m_bVisible = visible;
}

int PositionInColumn(const CVR3GAMEBattleMapShipsColumn* column, const CVR3GAMEBattleMapShip* ship) {
    if (!column) return -1;
    const auto it = std::find(column->m_stdvBattleShips.begin(), column->m_stdvBattleShips.end(), ship);
    return it == column->m_stdvBattleShips.end() ? -1 : static_cast<int>(it - column->m_stdvBattleShips.begin());
}

} // namespace

CVR3GUI3DManager* CVR3GAMEBattleMapPlayerDirectorHuman::Get3DGUIManager() const {
    return m_pScene ? dynamic_cast<CVR3GUI3DManager*>(m_pScene->GetManager(KEL_SCENE_GUI3D_MANAGER)) : nullptr;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::CreateMapGUI(const std::string& path) {
    CVR3GUI3DManager* gui3d = Get3DGUIManager();
    if (gui3d) gui3d->Clear();
    m_stdvPlayerActiveMarkers.clear();
    m_stdvPlayerPassiveMarkers.clear();
    for (auto& v : m_stdvEnemyMarkers) v.clear();
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(LOG_ERROR, "%s%s%s", "CVR3GAMEBattleMapPlayerDirectorHuman::CreateMapGUI() : xml file not read : ",
                    path.c_str(), "\n");
        return false;
    }
    const TiXmlElement* root = doc.FirstChildElement("BattleMap");
    if (!root) return false;
    if (!Create3DGUIPlayer(root) || !Create3DGUIEnemy(root)) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirectorHuman::CreateMapGUI() : Create3DGUIPlayer() failed\n");
        return false;
    }
    const TiXmlElement* cursors = root->FirstChildElement("Cursors");
    if (!cursors) {
        g_Log.Write(LOG_ERROR, "CVR3GAMEBattleMapPlayerDirectorHuman::CreateMapGUI() : not found 'Cursors' node\n");
        return false;
    }
    const char* const kCursorNames[3] = {"Main", "Player", "Enemy"};
    int* const handles[3] = {&m_iCursorMain, &m_iCursorPlayer, &m_iCursorEnemy};
    for (int i = 0; i < 3; ++i) {
        const TiXmlElement* e = cursors->FirstChildElement(kCursorNames[i]);
        if (!e || !m_pScene) continue;
        std::string file;
        ReadXMLString(e, false, file);
        *handles[i] = m_pScene->AddCursorFromFile(g_Utils.GetExeFolderPathString(file.c_str()).c_str());
    }
    const TiXmlElement* keys = root->FirstChildElement("MapHotKeys");
    if (!keys) {
        g_Log.Write(LOG_WARNING, "CVR3GAMEBattleMapPlayerDirectorHuman::CreateMapGUI() : not found 'MapHotKeys' node\n");
        return true;
    }
    const char* const kGroups[kPages] = {"Group1", "Group2", "Group3"};
    for (int i = 0; i < kPages; ++i) {
        const TiXmlElement* e = keys->FirstChildElement(kGroups[i]);
        const char* text = e ? e->GetText() : nullptr;
        if (!text) continue;
        char* end = nullptr;
        const long code = std::strtol(text, &end, 0);
        m_iHotKeyGroup[i] = (end != text && code >= 0 && code <= 255) ? static_cast<int>(code) : -1;
    }
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::Create3DGUIPlayer(const TiXmlElement* root) {
    CVR3GUI3DManager* gui3d = Get3DGUIManager();
    const TiXmlElement* activeLider = root->FirstChildElement("PlayerActiveLider");
    const TiXmlElement* activeShip = root->FirstChildElement("PlayerActiveShip");
    const TiXmlElement* passiveLider = root->FirstChildElement("PlayerPassiveLider");
    const TiXmlElement* passiveShip = root->FirstChildElement("PlayerPassiveShip");
    if (!gui3d || !activeLider || !activeShip || !passiveLider || !passiveShip) return false;
    struct Kind {
        const TiXmlElement* lider;
        const TiXmlElement* ship;
        const char* liderName;
        const char* shipName;
        std::vector<CVR3GUI3DDialog*>* markers;
    };
    const Kind kinds[2] = {
        {activeLider, activeShip, "PlayerActiveLider", "PlayerActiveShip", &m_stdvPlayerActiveMarkers},
        {passiveLider, passiveShip, "PlayerPassiveLider", "PlayerPassiveShip", &m_stdvPlayerPassiveMarkers}};
    for (const Kind& k : kinds) {
        CVR3GUI3DDialog* lider = gui3d->CreateDialogFromXML(k.lider, k.liderName);
        if (!lider) {
            g_Log.Write(LOG_ERROR,
                        "CVR3GAMEBattleMapPlayerDirectorHuman::Create3DGUI() : player lider dialog not create\n");
            return false;
        }
        k.markers->push_back(lider);
        for (int i = 0; i < kMarkersPerColumn - 1; ++i) {
            const std::string name = std::string(k.shipName) + std::to_string(i);
            CVR3GUI3DDialog* ship = gui3d->CreateDialogFromXML(k.ship, name.c_str());
            if (!ship) {
                g_Log.Write(LOG_ERROR,
                            "CVR3GAMEBattleMapPlayerDirectorHuman::Create3DGUI() : player ship dialog not create\n");
                return false;
            }
            k.markers->push_back(ship);
        }
    }
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::Create3DGUIEnemy(const TiXmlElement* root) {
    CVR3GUI3DManager* gui3d = Get3DGUIManager();
    const TiXmlElement* liderElement = root->FirstChildElement("EnemyLider");
    const TiXmlElement* shipElement = root->FirstChildElement("EnemyShip");
    if (!gui3d || !liderElement || !shipElement) return false;
    for (int c = 0; c < kPages; ++c) {
        const std::string liderName = "EnemyLider" + std::to_string(c);
        CVR3GUI3DDialog* lider = gui3d->CreateDialogFromXML(liderElement, liderName.c_str());
        if (!lider) {
            g_Log.Write(LOG_ERROR,
                        "CVR3GAMEBattleMapPlayerDirectorHuman::Create3DGUI() : player lider dialog not create\n");
            return false;
        }
        m_stdvEnemyMarkers[c].push_back(lider);
        for (int i = 0; i < kMarkersPerColumn - 1; ++i) {
            const std::string name = "EnemyShip_" + std::to_string(c) + std::to_string(i);
            CVR3GUI3DDialog* ship = gui3d->CreateDialogFromXML(shipElement, name.c_str());
            if (!ship) {
                g_Log.Write(LOG_ERROR,
                            "CVR3GAMEBattleMapPlayerDirectorHuman::Create3DGUI() : player ship dialog not create\n");
                return false;
            }
            m_stdvEnemyMarkers[c].push_back(ship);
        }
    }
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::Set3DGUIInMapSceneTree() {
    CDXSceneTree* tree = m_pScene ? m_pScene->m_pActiveSceneTree : nullptr;
    if (!tree || !tree->m_pRoot) return false;
    // A marker that marks nothing waits in the tree's lowest corner, under the sea.
    const D3DXVECTOR3 hidden = tree->m_pRoot->m_vMin;
    std::vector<CVR3GUI3DDialog*> all = m_stdvPlayerActiveMarkers;
    all.insert(all.end(), m_stdvPlayerPassiveMarkers.begin(), m_stdvPlayerPassiveMarkers.end());
    for (const auto& v : m_stdvEnemyMarkers) all.insert(all.end(), v.begin(), v.end());
    for (CVR3GUI3DDialog* marker : all) {
        if (!marker) continue;
        marker->m_bNotOwned = true;
        marker->Attach(nullptr, GUI3D_ATTACH_FIXED_HEIGHT, kMarkerOffset);
        marker->SetPosition(&hidden);
        if (!tree->Holds(marker) && !tree->AddSceneObject(marker)) {
            g_Log.Write(LOG_ERROR, "%s%s%s",
                        "CVR3GAMEBattleMapPlayerDirectorHuman::Set3DGUIInMapSceneTree() : AddSceneObject() failed for :",
                        marker->m_strName.c_str(), "\n");
            continue;
        }
        HideMarker(marker);
        marker->m_iAttachMode = GUI3D_ATTACH_FIXED_HEIGHT;
    }
    return true;
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ReleaseMapGUI() {
    CDXSceneTree* tree = m_pScene ? m_pScene->m_pActiveSceneTree : nullptr;
    std::vector<CVR3GUI3DDialog*> all = m_stdvPlayerActiveMarkers;
    all.insert(all.end(), m_stdvPlayerPassiveMarkers.begin(), m_stdvPlayerPassiveMarkers.end());
    for (const auto& v : m_stdvEnemyMarkers) all.insert(all.end(), v.begin(), v.end());
    for (CVR3GUI3DDialog* marker : all) {
        if (!marker) continue;
        marker->Attach(nullptr, GUI3D_ATTACH_FIXED_HEIGHT, kMarkerOffset);
        HideMarker(marker);
        if (tree && tree->Holds(marker)) tree->RemoveSceneObject(marker);
    }
    // The markers belong to the 3D GUI manager, which deletes them at its next
    // clear: the director keeps no pointer to them past this point.
    m_stdvPlayerActiveMarkers.clear();
    m_stdvPlayerPassiveMarkers.clear();
    for (auto& v : m_stdvEnemyMarkers) v.clear();
    m_stdmIcons.clear();
    m_pPopUpShip = nullptr;
    m_pCentreObject = nullptr;
    m_iSelectedShip = m_iSelectedPage = m_iSelectedPosition = -1;
}

// ---- selection ----

void CVR3GAMEBattleMapPlayerDirectorHuman::SelectAndShow(int32_t index, CVR3GAMEBattleMapShip* ship) {
    m_iSelectedShip = index;
    SetShipParams();
    SetMovementPanel();
    SetArtilleryFire();
    if (ship) CentreCamera(ship->m_pSceneObject);
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::SelectShip(int32_t index, bool force) {
    if (!m_pPlayer || index < 0 || static_cast<size_t>(index) >= m_pPlayer->m_stdvBattleShips.size()) return false;
    CVR3GAMEBattleMapShip* ship = m_pPlayer->m_stdvBattleShips[static_cast<size_t>(index)];
    if (!ship) return false;
    if (!force && index == m_iSelectedShip) return true;
    const auto& columns = m_pPlayer->m_stdvColumns;
    const auto it = std::find(columns.begin(), columns.end(), ship->m_pColumn);
    if (!ship->m_pColumn || it == columns.end()) return false;
    const int page = static_cast<int>(it - columns.begin());
    if (page >= kPages) return false;
    const int position = PositionInColumn(ship->m_pColumn, ship);
    if (position < 0) return false;
    if (!force && page == m_iSelectedPage && position == m_iSelectedPosition) return true;
    if (!SetColumnSelection(ship, ship->m_pColumn, position)) return false;
    SelectAndShow(index, ship);
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::SelectByPage(int32_t page, int32_t position, bool force) {
    CVR3GAMEBattleMapShipsColumn* column = GetPageColumn(page);
    if (!column || position < 0 || static_cast<size_t>(position) >= column->m_stdvBattleShips.size()) return false;
    CVR3GAMEBattleMapShip* ship = column->m_stdvBattleShips[static_cast<size_t>(position)];
    const auto& ships = m_pPlayer->m_stdvBattleShips;
    const auto it = std::find(ships.begin(), ships.end(), ship);
    if (!ship || it == ships.end()) return false;
    return SelectShip(static_cast<int32_t>(it - ships.begin()), force);
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::SelectFirstShip() {
    if (!m_pPlayer) return false;
    for (size_t i = 0; i < m_pPlayer->m_stdvBattleShips.size(); ++i) {
        const CVR3GAMEBattleMapShip* ship = m_pPlayer->m_stdvBattleShips[i];
        if (!ship || !ship->m_pColumn || ship->m_bWithdrawn) continue;
        if (SelectShip(static_cast<int32_t>(i), true)) return true;
    }
    return false;
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ClearSelection() {
    m_iSelectedShip = -1;
    m_iSelectedPage = -1;
    m_iSelectedPosition = -1;
    m_pCentreObject = nullptr;
    m_bCentreCamera = false;
    if (m_pDialogMovement) SetScreenDialogVisible(m_pDialogMovement, false);
    if (m_pDialogMovementLock) SetScreenDialogVisible(m_pDialogMovementLock, true);
    for (CVR3GUI3DDialog* m : m_stdvPlayerActiveMarkers) HideMarker(m);
    for (CVR3GUI3DDialog* m : m_stdvPlayerPassiveMarkers) HideMarker(m);
    ClearShipParams();
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::SetColumnSelection(CVR3GAMEBattleMapShip* ship,
                                                              CVR3GAMEBattleMapShipsColumn* column, int32_t position) {
    if (!m_pPlayer || !ship || !column) return false;
    const auto& columns = m_pPlayer->m_stdvColumns;
    const auto it = std::find(columns.begin(), columns.end(), column);
    if (it == columns.end()) return false;
    const int page = static_cast<int>(it - columns.begin());
    if (page >= kPages) return false;
    SetIconsPage(page, position);
    UpdateShipsStates(column);
    SetColumnMarkers(column, position);
    m_iSelectedPage = page;
    m_iSelectedPosition = position;
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::SetIconsPage(int32_t page, int32_t position) {
    if (page < 0 || page >= kPages || position == -1 || !m_pIconsCheck) return false;
    for (int p = 0; p < kPages; ++p)
        if (!m_pIcons[p] || !m_pDialogIconsPage[p]) return false;
    m_pIconsCheck->SetSelected(page);
    for (int p = 0; p < kPages; ++p) {
        const bool shown = p == page;
        SetScreenDialogVisible(m_pDialogIconsPage[p], shown);
        m_pIcons[p]->m_bVisible = shown;
        m_pIcons[p]->SetSelected(shown ? position : -1);
    }
    return true;
}

bool CVR3GAMEBattleMapPlayerDirectorHuman::FillIconsList(CDX9KelSGUIControlScrollCheckList* list,
                                                         CVR3GAMEBattleMapShipsColumn* column) {
    if (!list || !column) return false;
    // Buttons of ships that left the column are hidden by the list as they go.
    list->Clear();
    for (const CVR3GAMEBattleMapShip* ship : column->m_stdvBattleShips) {
        const auto it = ship ? m_stdmIcons.find(ship) : m_stdmIcons.end();
        if (it == m_stdmIcons.end() || !it->second) return false;
        it->second->m_bVisible = true;
        if (!AddIcon(list, it->second, ship->m_strName)) return false;
    }
    return true;
}

void CVR3GAMEBattleMapPlayerDirectorHuman::CentreCamera(CDX9KelSceneObject* object) {
    m_pCentreObject = object;
    m_bCentreCamera = object != nullptr;
    if (!object || !m_pScene || !m_pScene->m_pCameraManager) return;
    auto* camera = dynamic_cast<CDX9KelGlobalCamera*>(m_pScene->m_pCameraManager->m_pActiveCamera);
    if (!camera || camera->m_iFreeMode != 0) return;
    camera->SetTarget(object->m_mWorld._41, object->m_mWorld._43);
}

// ---- markers and lamps ----

void CVR3GAMEBattleMapPlayerDirectorHuman::SetColumnMarkers(CVR3GAMEBattleMapShipsColumn* column, int32_t position) {
    for (int p = 0; p < kMarkersPerColumn; ++p) {
        CVR3GUI3DDialog* active = At(m_stdvPlayerActiveMarkers, static_cast<size_t>(p));
        CVR3GUI3DDialog* passive = At(m_stdvPlayerPassiveMarkers, static_cast<size_t>(p));
        const CVR3GAMEBattleMapShip* ship =
            column && static_cast<size_t>(p) < column->m_stdvBattleShips.size() ? column->m_stdvBattleShips[p] : nullptr;
        if (!ship || !ship->m_pSceneObject) {
            HideMarker(active);
            HideMarker(passive);
            continue;
        }
        if (p == position) {
            ShowMarker(active, ship->m_pSceneObject);
            HideMarker(passive);
        } else {
            ShowMarker(passive, ship->m_pSceneObject);
            HideMarker(active);
        }
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::UpdateEnemyMarkers() {
    if (m_stdvEnemies.size() != 1 || !m_stdvEnemies.front()) return;
    const CVR3GAMEBattleMapPlayer* enemy = m_stdvEnemies.front();
    for (int c = 0; c < kPages; ++c) {
        const CVR3GAMEBattleMapShipsColumn* column =
            static_cast<size_t>(c) < enemy->m_stdvColumns.size() ? enemy->m_stdvColumns[c] : nullptr;
        for (int p = 0; p < kMarkersPerColumn; ++p) {
            CVR3GUI3DDialog* marker = At(m_stdvEnemyMarkers[c], static_cast<size_t>(p));
            const CVR3GAMEBattleMapShip* ship = column && static_cast<size_t>(p) < column->m_stdvBattleShips.size()
                                                    ? column->m_stdvBattleShips[p]
                                                    : nullptr;
            if (ship && ship->m_pSceneObject) ShowMarker(marker, ship->m_pSceneObject);
            else HideMarker(marker);
        }
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::UpdateShipsStates(CVR3GAMEBattleMapShipsColumn* column) {
    const size_t lamps = std::max({m_stdvFloodLamps.size(), m_stdvFireLamps.size(), m_stdvLeavingLamps.size()});
    for (size_t p = 0; p < lamps; ++p) {
        const CVR3GAMEBattleMapShip* ship =
            column && p < column->m_stdvBattleShips.size() ? column->m_stdvBattleShips[p] : nullptr;
        const CVR3GAMEBattleSystemShip* d = ship ? ship->m_pBattleShip : nullptr;
        ShowLamp(m_stdvFloodLamps, p, d && d->WaterPercent > 0.0f);
        ShowLamp(m_stdvFireLamps, p, d && d->FirePercent > 0.0f);
        ShowLamp(m_stdvLeavingLamps, p, false);
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ClearShipsStates() { UpdateShipsStates(nullptr); }

void CVR3GAMEBattleMapPlayerDirectorHuman::UpdatePageStates() {
    CVR3GAMEBattleMapShipsColumn* column = m_pIconsCheck ? GetPageColumn(m_pIconsCheck->GetSelected()) : nullptr;
    if (column) UpdateShipsStates(column);
    else ClearShipsStates();
}

// ---- icons, hot keys, mouse ----

void CVR3GAMEBattleMapPlayerDirectorHuman::RefillPageLists() {
    for (int p = 0; p < kPages; ++p) {
        CVR3GAMEBattleMapShipsColumn* column = GetPageColumn(p);
        if (m_pIcons[p] && column && m_pIcons[p]->m_vItems.size() != column->m_stdvBattleShips.size())
            FillIconsList(m_pIcons[p], column);
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcIconsPages() {
    for (int p = 0; p < kPages; ++p)
        if (!m_pIcons[p]) return;
    if (!m_pIconsCheck) return;
    for (int p = 0; p < kPages; ++p) {
        const int item = m_pIcons[p]->GetSelected();
        if (item < 0) continue;
        if (p == m_iSelectedPage && item == m_iSelectedPosition) continue;
        CVR3GAMEBattleMapShipsColumn* column = GetPageColumn(p);
        if (!column) continue;
        if (static_cast<size_t>(item) >= column->m_stdvBattleShips.size()) {
            // The list still shows a ship that has left the column.
            FillIconsList(m_pIcons[p], column);
            if (p == m_iSelectedPage) m_pIcons[p]->SetSelected(m_iSelectedPosition);
            else m_pIcons[p]->SetSelected(-1);
            continue;
        }
        CVR3GAMEBattleMapShip* ship = column->m_stdvBattleShips[static_cast<size_t>(item)];
        if (!ship || !ship->m_pColumn) continue;
        const auto& ships = m_pPlayer->m_stdvBattleShips;
        const auto it = std::find(ships.begin(), ships.end(), ship);
        if (it == ships.end() || !SetColumnSelection(ship, column, item)) continue;
        SelectAndShow(static_cast<int32_t>(it - ships.begin()), ship);
        break;
    }
    if (m_iSelectedPage >= 0 && m_iSelectedPage < kPages) {
        CDX9KelSGUIControlScrollCheckList* list = m_pIcons[m_iSelectedPage];
        if (list->GetSelected() == m_iSelectedPosition && list->m_iHovered == m_iSelectedPosition &&
            g_Input.m_bLeftDown && HUDGate(kIconPressGate)) {
            if (CVR3GAMEBattleMapShip* ship = GetSelectedShip()) CentreCamera(ship->m_pSceneObject);
        }
    }
    const int page = m_pIconsCheck->GetSelected();
    if (page != m_iLastIconsPage) {
        m_iLastIconsPage = page;
        CVR3GAMEBattleMapShipsColumn* column = GetPageColumn(page);
        if (column) UpdateShipsStates(column);
        else ClearShipsStates();
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcHotKeys() {
    for (int p = 0; p < kPages; ++p)
        if (!m_pIcons[p]) return;
    if (!m_pIconsCheck || !m_pPlayer) return;
    for (int g = 0; g < kPages; ++g) {
        const int key = m_iHotKeyGroup[g];
        if (key < 0 || key > 255 || !(g_Input.m_KeyboardState[key] & 0x80)) continue;
        if (!g_Input.CheckRepeatDelay1(kHotKeyRepeat)) return;
        CVR3GAMEBattleMapShipsColumn* column = GetPageColumn(g);
        if (!column || column->m_stdvBattleShips.empty()) return;
        CVR3GAMEBattleMapShip* leader = column->m_stdvBattleShips.front();
        if (!leader || !leader->m_pColumn) return;
        if (m_iSelectedPage == g && m_iSelectedPosition == 0) return;
        const auto& ships = m_pPlayer->m_stdvBattleShips;
        const auto it = std::find(ships.begin(), ships.end(), leader);
        if (it == ships.end() || !SetColumnSelection(leader, column, 0)) return;
        SelectAndShow(static_cast<int32_t>(it - ships.begin()), leader);
        return;
    }
}

POINT CVR3GAMEBattleMapPlayerDirectorHuman::PlacePopup(LONG x, LONG y, LONG w, LONG h, LONG screenW, LONG screenH) {
    POINT p;
    p.x = x + w + 34 < screenW ? x + 34 : x - w - 2;
    p.y = y + h >= screenH ? y - h : y;
    return p;
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcMousePick() {
    if (!m_pDialogPlayerPopUp || !m_pDialogEnemyPopUp || m_stdvEnemies.empty() || !m_pScene || !m_pPlayer) return;
    if (!m_pScene->m_pActiveSceneTree || !m_pScene->m_pCameraManager) return;
    SetScreenDialogVisible(m_pDialogPlayerPopUp, false);
    SetScreenDialogVisible(m_pDialogEnemyPopUp, false);
    const CDX9KelSGUIManager* gui = m_pDialogPlayerPopUp->GetManager();
    const bool overDialog = gui && gui->m_iHoverDialog != -1;
    if (overDialog || !m_pScene->PickSceneObjects() || m_pScene->m_vPickList.empty()) {
        m_pScene->SetCurrentCursor(m_iCursorMain);
        m_iHoverPlayerShip = -1;
        m_iHoverEnemyShip = -1;
        return;
    }
    int own = -1;
    CVR3GAMEBattleMapShip* enemyShip = nullptr;
    int enemyIndex = -1;
    for (const CDX9KelSceneObject* object : m_pScene->m_vPickList) {
        const auto& ships = m_pPlayer->m_stdvBattleShips;
        for (size_t i = 0; i < ships.size() && own < 0; ++i)
            if (ships[i] && ships[i]->m_pSceneObject == object) own = static_cast<int>(i);
        if (own >= 0) break;
    }
    if (own < 0) {
        for (const CDX9KelSceneObject* object : m_pScene->m_vPickList) {
            for (const CVR3GAMEBattleMapPlayer* enemy : m_stdvEnemies) {
                if (!enemy) continue;
                for (size_t i = 0; i < enemy->m_stdvBattleShips.size(); ++i)
                    if (enemy->m_stdvBattleShips[i] && enemy->m_stdvBattleShips[i]->m_pSceneObject == object) {
                        enemyShip = enemy->m_stdvBattleShips[i];
                        enemyIndex = static_cast<int>(i);
                        break;
                    }
                if (enemyShip) break;
            }
            if (enemyShip) break;
        }
    }
    CDX9KelSGUIDialog* popup = nullptr;
    int cursor = m_iCursorMain;
    if (own >= 0) {
        CVR3GAMEBattleMapShip* ship = m_pPlayer->m_stdvBattleShips[static_cast<size_t>(own)];
        m_iHoverEnemyShip = -1;
        m_iHoverPlayerShip = own;
        if (!ship || ship->m_bWithdrawn || ship->m_bSunk) return;
        m_pPopUpShip = ship;
        FillPlayerPopup(ship);
        popup = m_pDialogPlayerPopUp;
        cursor = m_iCursorPlayer;
    } else if (enemyShip) {
        m_iHoverPlayerShip = -1;
        m_iHoverEnemyShip = enemyIndex;
        if (enemyShip->m_bWithdrawn || enemyShip->m_bSunk) return;
        m_pPopUpShip = enemyShip;
        FillEnemyPopup(enemyShip);
        popup = m_pDialogEnemyPopUp;
        cursor = m_iCursorEnemy;
    } else {
        m_pScene->SetCurrentCursor(m_iCursorMain);
        m_iHoverPlayerShip = -1;
        m_iHoverEnemyShip = -1;
        return;
    }
    if (gui) const_cast<CDX9KelSGUIManager*>(gui)->BringToFront(popup);
    const RECT r = popup->GetRect();
    const POINT at = PlacePopup(g_Input.m_iCursorX, g_Input.m_iCursorY, r.right - r.left, r.bottom - r.top,
                                m_pScene->GetWidth(), m_pScene->GetHeight());
    popup->MoveTo(at.x, at.y);
    m_pScene->SetCurrentCursor(cursor);
    SetScreenDialogVisible(popup, true);
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcClick() {
    const DWORD now = timeGetTime();
    if (m_dwClickStamp != 0) {
        if (now > m_dwClickStamp + kClickHold) m_dwClickStamp = 0;
        return;
    }
    if (!g_Input.m_bLeftDown) return;
    m_dwClickStamp = now == 0 ? 1 : now;
    if (m_iHoverPlayerShip < 0) return;
    if (m_iHoverPlayerShip == m_iSelectedShip) {
        if (CVR3GAMEBattleMapShip* ship = GetSelectedShip()) CentreCamera(ship->m_pSceneObject);
    } else {
        SelectShip(m_iHoverPlayerShip, false);
    }
}

// ---- selection upkeep ----

void CVR3GAMEBattleMapPlayerDirectorHuman::ReselectAfterLoss(bool& none) {
    none = false;
    CVR3GAMEBattleMapShipsColumn* column = GetPageColumn(m_iSelectedPage);
    if (column && m_iSelectedPage >= 0) FillIconsList(m_pIcons[m_iSelectedPage], column);
    bool selected = false;
    if (column && !column->m_stdvBattleShips.empty()) selected = SelectByPage(m_iSelectedPage, 0, true);
    if (!selected) selected = SelectFirstShip();
    if (!selected) {
        ClearSelection();
        none = true;
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::KeepSelectionPlace(const CVR3GAMEBattleMapShip* ship) {
    // A loss ahead of the selected ship moves it up its column: its page and
    // place are read from the ship, not from what was stored at selection.
    CVR3GAMEBattleMapShipsColumn* column = ship ? ship->m_pColumn : nullptr;
    const int position = PositionInColumn(column, ship);
    if (position >= 0 && SetColumnSelection(const_cast<CVR3GAMEBattleMapShip*>(ship), column, position)) return;
    SetColumnMarkers(GetPageColumn(m_iSelectedPage), m_iSelectedPosition);
}

void CVR3GAMEBattleMapPlayerDirectorHuman::UpdateSelection() {
    for (int p = 0; p < kPages; ++p)
        if (!m_pIcons[p]) return;
    if (!m_pCurrentBehaviour) return;
    BattleProcessingState& state = BattleProcessingState::Get();
    if (state.m_dwLostShips > 0) {
        UpdateEnemyMarkers();
        UpdatePageStates();
        --state.m_dwLostShips;
        if (m_iSelectedShip >= 0) {
            const CVR3GAMEBattleMapShip* ship =
                static_cast<size_t>(m_iSelectedShip) < m_pPlayer->m_stdvBattleShips.size()
                    ? m_pPlayer->m_stdvBattleShips[static_cast<size_t>(m_iSelectedShip)]
                    : nullptr;
            if (ship && ship->m_pColumn) {
                RefillPageLists();
                KeepSelectionPlace(ship);
            } else {
                bool none = false;
                ReselectAfterLoss(none);
            }
        }
    }
    if (m_pCurrentBehaviour->m_iWithdrawnCount > 0) {
        UpdatePageStates();
        --m_pCurrentBehaviour->m_iWithdrawnCount;
        const CVR3GAMEBattleMapShip* ship =
            m_iSelectedShip >= 0 && static_cast<size_t>(m_iSelectedShip) < m_pPlayer->m_stdvBattleShips.size()
                ? m_pPlayer->m_stdvBattleShips[static_cast<size_t>(m_iSelectedShip)]
                : nullptr;
        if (!ship || ship->m_bWithdrawn || !ship->m_pColumn) {
            bool none = false;
            ReselectAfterLoss(none);
            if (none && m_pBattleMap)
                m_pBattleMap->AddBattleLogEntry(m_pPlayer->m_strPlayerName.c_str(), BATTLE_LOG_SIDE_LOST, nullptr,
                                                nullptr);
        } else {
            RefillPageLists();
            KeepSelectionPlace(ship);
        }
    }
}

void CVR3GAMEBattleMapPlayerDirectorHuman::ProcHUD() {
    if (!m_pPlayer || m_bLeaveBattle) return;
    const DWORD now = timeGetTime();
    if (m_dwLastMousePick == 0 || now - m_dwLastMousePick >= m_dwMousePickInterval) {
        m_dwLastMousePick = now == 0 ? 1 : now;
        ProcMousePick();
    }
    ProcClick();
    RefreshHUD();
    UpdateSelection();
    if (m_bCentreCamera && m_pCentreObject && m_pScene && m_pScene->m_pCameraManager) {
        auto* camera = dynamic_cast<CDX9KelGlobalCamera*>(m_pScene->m_pCameraManager->m_pActiveCamera);
        if (camera && camera->m_iFreeMode == 0) {
            camera->SetTarget(m_pCentreObject->m_mWorld._41, m_pCentreObject->m_mWorld._43);
            if (camera->m_bArrived) m_bCentreCamera = false;
        }
    }
}

} // namespace SeaBattle
