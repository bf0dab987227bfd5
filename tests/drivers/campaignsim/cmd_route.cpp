// campaignsim route: plans a sea route on a campaign map and prints it.
//
//   campaignsim route <map> --from X,Z --to X,Z [--heading DEG] [--speed V]
//                     [--time T] [--used U] [--root FOLDER] [--svg FILE]
//
// The map's statics become boxes (their models' bounds on the map plane) and
// its units circles; the mover starts at --from heading --heading degrees
// (0: towards -z) at speed --speed (route units per time unit, default 10)
// with --time time units available (default 300). Prints the result code,
// the planned legs, the detour points and the way points of the route fitted
// to the time; --svg draws the plan over the obstacles.
#include "InspectReport.h"
#include "Registry.h"
#include "campaign/routes/CDX9KelSeaPath.h"
#include "campaign/data/CDX9KelDataIO.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "platform/os/Paths.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace VornaCampaign;

namespace {

bool ParsePoint(const std::string& text, float* x, float* z) {
    char extra = 0;
    return std::sscanf(text.c_str(), "%f,%f%c", x, z, &extra) == 2 && std::isfinite(*x) && std::isfinite(*z);
}

bool ParseFloat(const std::string& text, float* out) {
    char extra = 0;
    return std::sscanf(text.c_str(), "%f%c", out, &extra) == 1 && std::isfinite(*out);
}

const char* ResultName(int code) {
    switch (code) {
    case SEA_PATH_RESULT_ERROR: return "error";
    case SEA_PATH_RESULT_NOT_TIME: return "not enough time";
    case SEA_PATH_RESULT_TAGRET_OCCUPED: return "target occupied";
    case SEA_PATH_RESULT_NOT_FOUND: return "not found";
    default: return "found";
    }
}

// The model's bounds moved by the matrix, on the map plane.
void WorldBox(const D3DXVECTOR3& mn, const D3DXVECTOR3& mx, const D3DXMATRIX& m, float* minX, float* minZ, float* maxX,
              float* maxZ) {
    *minX = *minZ = 1e30f;
    *maxX = *maxZ = -1e30f;
    for (int i = 0; i < 8; ++i) {
        const D3DXVECTOR3 c((i & 1) ? mx.x : mn.x, (i & 2) ? mx.y : mn.y, (i & 4) ? mx.z : mn.z);
        const float x = c.x * m._11 + c.y * m._21 + c.z * m._31 + m._41;
        const float z = c.x * m._13 + c.y * m._23 + c.z * m._33 + m._43;
        *minX = std::min(*minX, x);
        *maxX = std::max(*maxX, x);
        *minZ = std::min(*minZ, z);
        *maxZ = std::max(*maxZ, z);
    }
}

struct Named {
    std::string name;
    const void* id;
};

} // namespace

CAMPAIGNSIM_COMMAND(route, "<map> --from X,Z --to X,Z [--heading DEG] [--speed V] [--time T] [--used U] "
                           "[--root FOLDER] [--svg FILE]") {
    std::string root = Platform::WithTrailingSeparator(args.Get("root", Platform::ProgramFolder()));
    const std::string map = args.Get("");
    float fx = 0, fz = 0, tx = 0, tz = 0, heading = 0, speed = 10, time = 300, used = 0;
    if (map.empty() || !ParsePoint(args.Get("from"), &fx, &fz) || !ParsePoint(args.Get("to"), &tx, &tz) ||
        !ParseFloat(args.Get("heading", "0"), &heading) || !ParseFloat(args.Get("speed", "10"), &speed) ||
        !ParseFloat(args.Get("time", "300"), &time) || !ParseFloat(args.Get("used", "0"), &used)) {
        std::fprintf(stderr, "route: name a map, --from X,Z and --to X,Z (numbers)\n");
        return 2;
    }
    const std::string mapPath = Platform::FileExists(map) ? map : root + "Maps/" + map;
    Vorna2::g_Log.SetCopyStream(nullptr);
    Vorna2::g_Log.Open();

    MapDescriptionRecord desc;
    std::vector<D3DXMATRIX> statics, places;
    std::vector<MapUnitRecord> units;
    std::vector<MapColumnRecord> columns;
    if (!g_DataIO.ReadGameMap(mapPath.c_str(), &desc, &statics, &units, &places, &columns)) {
        std::fprintf(stderr, "route: the map file %s does not read\n", mapPath.c_str());
        return 1;
    }

    // The obstacles: models' bounds where a model loads, else nothing.
    CampaignSim::InspectReport models(root);
    CKelSeaObstacleField field;
    std::vector<Named> names;
    for (size_t i = 0; i < desc.m_stdvStaticObjects.size() && i < statics.size(); ++i) {
        const MapStaticObjectRecord& s = desc.m_stdvStaticObjects[i];
        Vorna2::CDX9KelModel* model = models.LoadModel("Models/Statics/", s.m_szModel1);
        D3DXVECTOR3 mn, mx;
        if (!model || !Vorna2::CDX9KelModel::GetModelBoundingBox(&mn, &mx, model)) {
            std::printf("static %s: no model bounds, left out\n", s.m_szName);
            continue;
        }
        float a, b, c, d;
        WorldBox(mn, mx, statics[i], &a, &b, &c, &d);
        names.push_back({s.m_szName, field.AddBox(a, b, c, d, static_cast<int>(i))});
    }
    for (size_t i = 0; i < units.size() && i < places.size(); ++i) {
        Vorna2::CDX9KelModel* model = models.LoadModel("Models/Units/", units[i].m_szModel1);
        D3DXVECTOR3 mn, mx;
        if (!model || !Vorna2::CDX9KelModel::GetModelBoundingBox(&mn, &mx, model)) {
            std::printf("unit %s: no model bounds, left out\n", units[i].m_szName);
            continue;
        }
        float a, b, c, d;
        WorldBox(mn, mx, places[i], &a, &b, &c, &d);
        const float r = std::max(c - a, d - b) / 2.0f;
        names.push_back({units[i].m_szName,
                         field.AddCircle((a + c) / 2.0f, (b + d) / 2.0f, r, 1000 + static_cast<int>(i))});
    }
    auto nameOf = [&](const void* id) {
        for (const Named& n : names)
            if (n.id == id) return n.name;
        return std::string("?");
    };

    CDX9KelSeaPathGenerator generator;
    CDX9KelSeaPathFinder finder(&generator);
    finder.SetObstacleQuery(&field);
    SeaMover mover;
    D3DXMatrixRotationY(&mover.m_mWorld, heading * 3.14159265f / 180.0f);
    mover.m_mWorld._41 = fx;
    mover.m_mWorld._43 = fz;
    mover.m_fRadius = 5.0f;
    SeaMoveParams params;
    params.m_fMaxSpeed = speed;
    params.m_fMaxTurnRate = 0.05f;
    params.m_fAcceleration = 0.05f;
    params.m_fStartSpeed = speed;

    const int code = finder.FindPath(&mover, &params, used, time, tx, 0.0f, tz);
    std::printf("map \"%s\" obstacles %zu\n", desc.m_szName, field.m_Obstacles.size());
    std::printf("route from %.2f,%.2f to %.2f,%.2f: result %d (%s)\n", fx, fz, tx, tz, code, ResultName(code));
    if (code == SEA_PATH_RESULT_TAGRET_OCCUPED)
        for (const void* hit : field.Hits()) std::printf("target taken by %s\n", nameOf(hit).c_str());
    std::printf("detours %u\n", finder.m_uDetours);
    for (const D3DXVECTOR3& d : finder.m_Detours) std::printf("detour %.2f,%.2f\n", d.x, d.z);
    if (const SeaPathHandle route = generator.Get(finder.m_iRoutePath)) {
        int leg = 0;
        for (const SeaPathSegment& s : route->m_Segments)
            if (s.m_fTime > 0.0f)
                std::printf("leg %d time %.3f speed %.3f turn %.4f\n", leg++, s.m_fTime, s.m_fSpeed, s.m_fTurnRate);
    }
    const SeaPathHandle fitted = code >= SEA_PATH_RESULT_FOUND ? generator.Get(finder.m_iFittedPath) : nullptr;
    if (fitted) {
        std::printf("fitted time %.3f length %.3f segments %zu way points %zu\n", fitted->m_fTime, fitted->m_fLength,
                    fitted->m_Segments.size(), fitted->m_WayPoints.size());
        for (const SeaWayPoint& wp : fitted->m_WayPoints)
            std::printf("way point %.2f,%.2f segment %d\n", wp.m_mPlacement._41, wp.m_mPlacement._43, wp.m_iSegment);
    }

    const std::string svg = args.Get("svg");
    if (!svg.empty()) {
        std::ofstream out(svg);
        if (!out) {
            std::fprintf(stderr, "route: cannot write %s\n", svg.c_str());
            return 1;
        }
        const float x0 = desc.m_vSceneMin.x, z0 = desc.m_vSceneMin.z;
        const float w = std::max(1.0f, desc.m_vSceneMax.x - x0), h = std::max(1.0f, desc.m_vSceneMax.z - z0);
        // North (+z) at the top.
        auto X = [&](float x) { return x - x0; };
        auto Y = [&](float z) { return desc.m_vSceneMax.z - z; };
        out << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << w << "\" height=\"" << h << "\">\n"
            << "<rect width=\"100%\" height=\"100%\" fill=\"#1f4e6e\"/>\n";
        for (const auto& o : field.m_Obstacles) {
            if (o->radius > 0.0f)
                out << "<circle cx=\"" << X(o->cx) << "\" cy=\"" << Y(o->cz) << "\" r=\"" << o->radius
                    << "\" fill=\"#c0c0c0\"/>\n";
            else
                out << "<rect x=\"" << X(o->minX) << "\" y=\"" << Y(o->maxZ) << "\" width=\"" << o->maxX - o->minX
                    << "\" height=\"" << o->maxZ - o->minZ << "\" fill=\"#7a6a3a\"/>\n";
        }
        if (fitted) {
            out << "<polyline fill=\"none\" stroke=\"#ffff40\" stroke-width=\"1.5\" points=\"" << X(fx) << ","
                << Y(fz);
            for (const SeaWayPoint& wp : fitted->m_WayPoints)
                out << " " << X(wp.m_mPlacement._41) << "," << Y(wp.m_mPlacement._43);
            out << "\"/>\n";
        }
        for (const D3DXVECTOR3& d : finder.m_Detours)
            out << "<circle cx=\"" << X(d.x) << "\" cy=\"" << Y(d.z) << "\" r=\"3\" fill=\"#ff8000\"/>\n";
        out << "<circle cx=\"" << X(fx) << "\" cy=\"" << Y(fz) << "\" r=\"4\" fill=\"#40ff40\"/>\n"
            << "<circle cx=\"" << X(tx) << "\" cy=\"" << Y(tz) << "\" r=\"4\" fill=\"#ff4040\"/>\n</svg>\n";
    }
    return code >= SEA_PATH_RESULT_FOUND || code == SEA_PATH_RESULT_NOT_FOUND || code == SEA_PATH_RESULT_TAGRET_OCCUPED ||
                   code == SEA_PATH_RESULT_NOT_TIME
               ? 0
               : 1;
}
