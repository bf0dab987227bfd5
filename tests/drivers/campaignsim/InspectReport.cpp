#include "InspectReport.h"

#include "campaign/data/CDX9KelAnimatedModel.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "platform/os/Paths.h"
#include "tests/common/OffscreenDevice.h"

#include <cstdio>

namespace CampaignSim {

using namespace VornaCampaign;

struct InspectReport::Models {
    ~Models() {
        resources.DeleteAllModels();
        resources.ReleaseAllTextures();
        resources.ReleaseAllXFiles();
    }
    VornaTest::OffscreenDevice device;
    Vorna2::CDX9KelGraphicsResManager resources;
    bool ready = false;
};

InspectReport::InspectReport(std::string root) : m_root(std::move(root)) {}

InspectReport::~InspectReport() = default;

void InspectReport::Line(const std::string& text) { std::printf("%s\n", text.c_str()); }

void InspectReport::Problem(const std::string& text) {
    ++m_problems;
    std::printf("problem %s\n", text.c_str());
}

void InspectReport::CheckFile(const std::string& folder, const char* name, const std::string& what) {
    if (!name || !*name || !m_checked.insert(folder + name).second) return;
    if (!Platform::FileExists(m_root + folder + name)) Problem(what + " " + folder + name + " is missing");
}

std::string InspectReport::CheckAnimatedModel(const MapUnitRecord& unit, const GameObjectRecord& object) {
    const std::string modelFile = unit.m_szModel1;
    const std::string key = modelFile + "|" + unit.m_szDescriptionFile;
    const auto done = m_checkedModels.find(key);
    if (done != m_checkedModels.end()) return done->second;
    std::string& text = m_checkedModels[key];

    Vorna2::CDX9KelModel* model = LoadModel("Models/Units/", modelFile.c_str());
    if (!model) return text;
    const std::string amd = CDX9KelAnimatedModel::FileNameFor(modelFile.c_str());
    CDX9KelAnimatedModel animated;
    if (!CDX9KelAnimatedModel::CreateAnimatedModel(model, &animated, (m_root + "Data/AnimatedModels/" + amd).c_str())) {
        Problem("animated model " + amd + " of " + modelFile + " does not load");
        return text;
    }
    text = " amd towers " + std::to_string(animated.m_stdvTowers.size()) + " design " +
           std::to_string(animated.m_stdvDesign.size());
    if (!object.m_pBattleData) return text;
    const BattleDataBlock& b = *object.m_pBattleData;
    // Every weapon group of the unit needs its entry in the animated model,
    // with a frame for the part and for each of its guns.
    const struct {
        const char* what;
        const std::vector<PartRecord>& parts;
        const std::vector<AnimatedFrame>& frames;
    } lists[] = {{"towers", b.m_stdvMGTowers, animated.m_stdvTowers},
                 {"hull parts", b.m_stdvDesignParts, animated.m_stdvDesign}};
    for (const auto& l : lists) {
        if (l.parts.size() != l.frames.size()) {
            Problem(amd + " has " + std::to_string(l.frames.size()) + " " + l.what + ", " + unit.m_szDescriptionFile +
                    " " + std::to_string(l.parts.size()));
            continue;
        }
        for (size_t i = 0; i < l.frames.size(); ++i) {
            if (!l.frames[i].m_pFrame)
                Problem(amd + ": " + l.what + " entry " + std::to_string(i) + " names no frame of " + modelFile);
            if (l.frames[i].m_stdvGuns.size() != l.parts[i].m_stdvGuns.size())
                Problem(amd + ": " + l.what + " entry " + std::to_string(i) + " has " +
                        std::to_string(l.frames[i].m_stdvGuns.size()) + " gun frames for " +
                        std::to_string(l.parts[i].m_stdvGuns.size()) + " guns");
        }
    }
    return text;
}

bool InspectReport::DeviceReady() {
    if (!m_pModels) {
        m_pModels = std::make_unique<Models>();
        m_pModels->ready = m_pModels->device.Create(64, 64);
        if (!m_pModels->ready) Problem("no device to load the models with");
    }
    return m_pModels->ready;
}

Vorna2::CDX9KelModel* InspectReport::LoadModel(const std::string& folder, const char* file) {
    if (!file || !*file || !DeviceReady()) return nullptr;
    Vorna2::CDX9KelModel* model =
        m_pModels->resources.CreateModel(m_pModels->device.m_pDevice, (m_root + folder).c_str(), file);
    if (!model) {
        Problem(std::string("model ") + folder + file + " does not load");
        return nullptr;
    }
    if (model->m_dwFaces == 0) {
        Problem(std::string("model ") + folder + file + " holds no triangles");
        return nullptr;
    }
    return model;
}

int InspectReport::Finish() {
    std::string log;
    Platform::ReadTextFile(Vorna2::g_Log.GetPath(), log);
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos) end = log.size();
        const std::string line = log.substr(start, end - start);
        if (line.find("Error : ") != std::string::npos || line.find("Warning : ") != std::string::npos)
            std::printf("log %s\n", line.c_str());
        start = end + 1;
    }
    std::printf("problems %d\n", m_problems);
    std::fflush(stdout);
    return m_problems == 0 ? 0 : 1;
}

} // namespace CampaignSim
