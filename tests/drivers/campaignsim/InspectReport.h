#pragma once
// The validation report of "campaignsim inspect": report lines, problems,
// checks that files named by the map exist, and the animated-model check of
// a unit against its model's frames.
#include "campaign/data/CampaignRecords.h"

#include <map>
#include <memory>

#include <set>
#include <string>

namespace Vorna2 {
class CDX9KelModel;
}

namespace CampaignSim {

class InspectReport {
public:
    explicit InspectReport(std::string root);
    ~InspectReport();

    void Line(const std::string& text);
    void Problem(const std::string& text);
    // A problem unless folder + name is a file; an empty name is no problem.
    // Each file is checked once per report.
    void CheckFile(const std::string& folder, const char* name, const std::string& what);
    // The three models in `folder` (the first required) and their effects.
    template <class Record>
    void CheckModels(const std::string& folder, const Record& r, const std::string& owner) {
        if (!*r.m_szModel1) Problem(owner + " names no model");
        for (const char* m : {r.m_szModel1, r.m_szModel2, r.m_szModel3}) CheckFile(folder, m, owner + " model");
        for (const char* e : {r.m_szEffect1, r.m_szEffect2, r.m_szEffect3}) CheckFile("Effects/", e, owner + " effect");
    }
    // Loads the unit's ".amd" file for its first model and compares it with
    // the model's frames and the description's parts; returns the report
    // text for the unit's line.
    std::string CheckAnimatedModel(const VornaCampaign::MapUnitRecord& unit,
                                   const VornaCampaign::GameObjectRecord& object);
    // Loads a model file from folder; null (and a problem) when it does not
    // load or holds no triangles.
    Vorna2::CDX9KelModel* LoadModel(const std::string& folder, const char* file);
    // Prints "problems N"; the exit code.
    int Finish();

private:
    struct Models;
    bool DeviceReady();

    std::string m_root;
    // The device and resources that the models are loaded with, made on the
    // first use; each model's check is done once and its text reused.
    std::unique_ptr<Models> m_pModels;
    std::map<std::string, std::string> m_checkedModels;
    // Files already checked: each missing file is reported once.
    std::set<std::string> m_checked;
    int m_problems = 0;
};

} // namespace CampaignSim
