#pragma once
// Which frames of a ship's model the battle turns and moves: its machine-gun
// towers and its hull (design) parts, each with its gun frames. Every entry
// keeps the frame's bounds record (through which the frame is moved), the
// frame's local matrix when the entry was made, and an orientation built
// from the ".amd" file's Right and Direction vectors.
#include "campaign/data/CampaignRecords.h"
#include "platform/math/d3dx9math.h"

#include <string>
#include <vector>

class TiXmlDocument;
class TiXmlElement;

namespace Vorna2 {
class CDX9KelModel;
struct CDX9KelBoundsRecord;
} // namespace Vorna2

namespace VornaCampaign {

struct AnimatedGunFrame {
    // Null when the model has no frame of the name.
    Vorna2::CDX9KelBoundsRecord* m_pFrame = nullptr;
    // The frame's local matrix at load; identity when there is no frame.
    D3DXMATRIX m_mInitial;
    // Rows: Right (w 0), (0, 1, 0, 0), Direction (w 0), (0, 0, 0, 1).
    D3DXMATRIX m_mOrientation;
};

struct AnimatedFrame {
    Vorna2::CDX9KelBoundsRecord* m_pFrame = nullptr;
    D3DXMATRIX m_mInitial;
    D3DXMATRIX m_mOrientation;
    std::vector<AnimatedGunFrame> m_stdvGuns;
};

class CDX9KelAnimatedModel {
public:
    // Upper limits of one file: towers or parts, and guns of one of them.
    static constexpr std::size_t kMaxFrames = 1000;
    static constexpr std::size_t kMaxGunsPerFrame = 1000;

    CDX9KelAnimatedModel() = default;

    // Fills `animated` from the ".amd" file at `path` for the loaded model
    // (its first level of detail). A tower or part that cannot be filled is
    // left out with a log line; the rest stay. False when the file cannot be
    // read or has no "Main" element; `animated` is then as it was.
    static bool CreateAnimatedModel(Vorna2::CDX9KelModel* model, CDX9KelAnimatedModel* animated, const char* path);
    // The same on a parsed document; `path` names the file in log lines.
    static bool CreateAnimatedModelFromDocument(Vorna2::CDX9KelModel* model, CDX9KelAnimatedModel* animated,
                                                const TiXmlDocument& doc, const char* path);

    // The ".amd" file name of a model file: "Gunboat.x" gives "Gunboat.amd".
    static std::string FileNameFor(const char* modelFile);

    std::vector<AnimatedFrame> m_stdvTowers;
    std::vector<AnimatedFrame> m_stdvDesign;
};

// The weapon group's part and model entry: groups 0 and 1 are the first and
// second tower, 2 to 7 the hull parts 0 to 5. Needs the unit's and the
// model's counts of that kind to agree and the index to exist; false (and
// both outputs null) otherwise.
bool GetGroupParts(const GameObjectRecord* object, int group, CDX9KelAnimatedModel* animated, PartRecord** part,
                   AnimatedFrame** frame);

} // namespace VornaCampaign
