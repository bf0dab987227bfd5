// campaignsim inspect: reads a campaign map with everything its units name
// (descriptions, gun types, animated ship models, model and effect files)
// and prints a validation report.
//   campaignsim inspect <map> [--root FOLDER]
// <map> is a file path, or a name in FOLDER's "Maps" folder. FOLDER is the
// folder the campaign's data lie in (default: the driver's own folder).
// Exit code: 0 when nothing is wrong, 1 when the report lists problems,
// 2 for bad options.
#include "Registry.h"
#include "InspectReport.h"

#include "campaign/map/CDX9KelMapParameters.h"
#include "campaign/ai/CDX9KelAISystem.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/world/physics/CDX9KelPhysicalManager.h"
#include "platform/os/Paths.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

using namespace VornaCampaign;

namespace {

const char* KindOf(const GameObjectRecord& o) {
    if (o.m_pMovement) return "Ship";
    if (o.m_pTexts) return "Fort";
    if (o.m_pBattleData) return "Mine";
    return "none";
}

size_t GunCount(const BattleDataBlock& b) {
    size_t n = 0;
    for (const auto* list : {&b.m_stdvMGTowers, &b.m_stdvDesignParts, &b.m_stdvPipes})
        for (const PartRecord& p : *list) n += p.m_stdvGuns.size();
    return n;
}

// Open water a ship needs around its sphere at its start place.
constexpr float kSeaRoom = 2.0f;

} // namespace

CAMPAIGNSIM_COMMAND(inspect, "<map> [--root FOLDER]") {
    std::string root = args.Get("root", Platform::ProgramFolder());
    root = Platform::WithTrailingSeparator(root);
    const std::string map = args.Get("");
    if (map.empty()) {
        std::fprintf(stderr, "inspect: name a map file\n");
        return 2;
    }
    const std::string mapPath = Platform::FileExists(map) ? map : root + "Maps/" + map;
    // The readers' own lines go to the driver's log and are shown at the end.
    Vorna2::g_Log.SetCopyStream(nullptr);
    Vorna2::g_Log.Open();
    CampaignSim::InspectReport report(root);
    report.Line("inspect " + map);

    std::vector<GunType> artillery;
    if (!g_DataIO.LoadArtillery((root + "Data/Artillery/Artillery.xml").c_str(), &artillery))
        report.Problem("the artillery list does not load whole");
    std::string names;
    for (const GunType& t : artillery) names += std::string(" ") + t.m_szName;
    report.Line("artillery " + std::to_string(artillery.size()) + ":" + names);
    if (artillery.empty()) report.Problem("the artillery list has no gun types");

    MapDescriptionRecord desc;
    std::vector<D3DXMATRIX> statics, places;
    std::vector<MapUnitRecord> units;
    std::vector<MapColumnRecord> columns;
    if (!g_DataIO.ReadGameMap(mapPath.c_str(), &desc, &statics, &units, &places, &columns)) {
        report.Problem("the map file " + mapPath + " does not read");
        return report.Finish();
    }
    report.Line("map \"" + std::string(desc.m_szName) + "\" statics " + std::to_string(statics.size()) + " units " +
                std::to_string(units.size()) + " columns " + std::to_string(columns.size()));
    report.CheckFile("Textures/", desc.m_szSkyTexture, "sky texture");
    report.CheckFile("Textures/", desc.m_szWaterTexture, "water texture");

    // The scenery as the game places it, its last model being the one that
    // ships run aground on.
    std::vector<std::unique_ptr<Vorna2::CDX9KelSceneObject>> ground;
    std::vector<std::string> groundNames;
    for (size_t i = 0; i < desc.m_stdvStaticObjects.size(); ++i) {
        const MapStaticObjectRecord& s = desc.m_stdvStaticObjects[i];
        const Vorna2::CDX9KelModel* model = report.LoadModel("Models/Statics/", s.m_szModel1);
        report.Line(std::string("static ") + s.m_szName + " " + s.m_szModel1 + " faces " +
                    std::to_string(model ? model->m_dwFaces : 0));
        report.CheckModels("Models/Statics/", s, s.m_szName);
        const char* last = *s.m_szModel3 ? s.m_szModel3 : *s.m_szModel2 ? s.m_szModel2 : s.m_szModel1;
        Vorna2::CDX9KelModel* collision = model && i < statics.size() ? report.LoadModel("Models/Statics/", last) : nullptr;
        if (collision == nullptr) continue;
        auto object = std::make_unique<Vorna2::CDX9KelSceneObject>();
        object->AddModel(collision);
        object->m_mWorld = statics[i];
        ground.push_back(std::move(object));
        groundNames.push_back(s.m_szName);
    }

    std::map<std::string, std::pair<int, std::string>> unitInfo; // name -> side, kind
    for (size_t i = 0; i < units.size(); ++i) {
        const MapUnitRecord& u = units[i];
        const std::string name = u.m_szName;
        const int side = GetSide(u);
        const D3DXMATRIX& m = places[i];
        bool outside = false;
        if (m._41 < desc.m_vMapMin.x || m._41 > desc.m_vMapMax.x || m._43 < desc.m_vMapMin.z ||
            m._43 > desc.m_vMapMax.z)
            outside = true;

        GameObjectRecord object;
        object.m_Unit = u;
        if (!g_DataIO.LoadGameObjectXML((root + "Data/Parameters/" + u.m_szDescriptionFile).c_str(), &object,
                                        artillery)) {
            report.Line("unit " + name + " side " + std::to_string(side));
            report.Problem("unit " + name + ": description " + u.m_szDescriptionFile + " does not load");
            continue;
        }
        const std::string kind = KindOf(object);
        unitInfo[name] = {side, kind};
        std::string line = "unit " + name + " side " + std::to_string(side) + " " + kind;
        if (!object.m_pBattleData) {
            report.Problem("unit " + name + ": description " + u.m_szDescriptionFile + " gives no battle data");
        } else {
            const BattleDataBlock& b = *object.m_pBattleData;
            line += " parts " + std::to_string(b.m_stdvDesignParts.size()) + " towers " +
                    std::to_string(b.m_stdvMGTowers.size()) + " pipes " + std::to_string(b.m_stdvPipes.size()) +
                    " guns " + std::to_string(GunCount(b));
            if (kind == "Ship" && b.m_stdvDesignParts.size() != 6)
                report.Problem("ship " + name + " has " + std::to_string(b.m_stdvDesignParts.size()) +
                               " hull parts, not 6");
        }
        if (side == SIDE_UNSIDE && kind != "Mine") report.Problem("unit " + name + " of no side is no mine");
        if ((side == SIDE_1 || side == SIDE_2) && kind != "Ship" && kind != "Fort")
            report.Problem("unit " + name + " of side " + std::to_string(side) + " is neither ship nor fort");
        if (side == SIDE_1 || side == SIDE_2) line += report.CheckAnimatedModel(u, object);
        report.Line(line);
        if (outside) report.Problem("unit " + name + " stands outside the map area");
        // A ship whose sphere, grown by a little sea room, touches the
        // scenery runs aground on its first move.
        if (kind == "Ship")
            if (const Vorna2::CDX9KelModel* model = report.LoadModel("Models/Units/", u.m_szModel1)) {
                const D3DXVECTOR3 centre = D3DXVECTOR3(m._41, m._42, m._43) + model->m_vSphereCenter;
                for (size_t g = 0; g < ground.size(); ++g)
                    if (Vorna2::CDX9KelPhysicalManager::SphereTouchesTriangles(ground[g].get(), centre,
                                                                               model->m_fSphereRadius + kSeaRoom)) {
                        report.Problem("ship " + name + " stands on or against the ground of " +
                                       groundNames[g]);
                        break;
                    }
            }
        if (side == SIDE_NONE) report.Problem("unit " + name + " has no side (\"" + u.m_szSide + "\")");
        report.CheckModels("Models/Units/", u, u.m_szName);
    }

    std::set<std::string> placed;
    for (size_t c = 0; c < columns.size(); ++c) {
        const MapColumnRecord& column = columns[c];
        std::string line = "column " + std::to_string(c + 1) + " speed " + std::to_string(column.m_fSpeed) + " ships";
        std::set<int> sides;
        for (const std::string& ship : column.m_stdvShipNames) {
            line += " " + ship;
            const auto found = unitInfo.find(ship);
            if (found == unitInfo.end()) {
                report.Problem("column " + std::to_string(c + 1) + " names " + ship + ", which is no unit");
                continue;
            }
            sides.insert(found->second.first);
            if (found->second.second != "Ship") report.Problem("column ship " + ship + " is no ship");
            if (!placed.insert(ship).second) report.Problem("ship " + ship + " stands in two columns");
        }
        if (column.m_stdvShipNames.empty()) report.Problem("column " + std::to_string(c + 1) + " is empty");
        if (sides.size() > 1) report.Problem("column " + std::to_string(c + 1) + " mixes the sides");
        report.Line(line);
    }

    // The map's parameters name units to destroy and the computer's
    // purposes: each name must be a unit of the map.
    MapParameters params;
    const std::string paramsPath = root + "Data/Maps/" + MapParameterFileName(std::filesystem::path(mapPath).filename().string());
    if (!Platform::FileExists(paramsPath)) {
        report.Line("parameters none");
    } else if (!LoadMapParameters(paramsPath, &params)) {
        report.Problem("the map parameters " + paramsPath + " do not read");
    } else {
        auto named = [&](const std::string& what, const std::string& unit) {
            if (unitInfo.find(unit) == unitInfo.end()) report.Problem(what + " \"" + unit + "\" names no unit of the map");
        };
        for (const std::string& t : params.m_stdvSide1Targets) named("side 1 target", t);
        for (const std::string& t : params.m_stdvSide2Targets) named("side 2 target", t);
        CDX9KelAISystem ai;
        if (params.m_pTasks) ai.LoadTasks(params.m_pTasks.get());
        size_t purposes = 0;
        for (const AITask& task : ai.GetTasks())
            for (const AIPurpose& purpose : task.m_stdvPurposes) {
                ++purposes;
                named("purpose", purpose.m_szName);
                for (const std::string& t : purpose.m_stdvTargets) named("purpose target", t);
            }
        report.Line("parameters targets " + std::to_string(params.m_stdvSide1Targets.size()) + " " +
                    std::to_string(params.m_stdvSide2Targets.size()) + " purposes " + std::to_string(purposes));
    }
    return report.Finish();
}
