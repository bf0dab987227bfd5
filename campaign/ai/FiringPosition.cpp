#include "campaign/ai/FiringPosition.h"

#include <cmath>

namespace VornaCampaign {

namespace {

constexpr float kCandidateStep = 0.5236f;
constexpr int kCandidates = 12;

// The offset turned about the vertical axis by `angle`.
D3DXVECTOR3 Turn(const D3DXVECTOR3& offset, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    return D3DXVECTOR3(offset.x * c + offset.z * s, 0.0f, -offset.x * s + offset.z * c);
}

bool Free(ISeaObstacleQuery* query, const D3DXVECTOR3& p, float radius, const MapArea* area) {
    if (area != nullptr && !area->Contains(p.x, p.z)) return false;
    return !query->TestSphere(p.x, 0.0f, p.z, radius);
}

} // namespace

void CalcFiringPosition(const D3DXVECTOR3& enemyCentre, const D3DXVECTOR3& ownCentre, float distance,
                        ISeaObstacleQuery* query, float routeStep, const MapArea* area, D3DXVECTOR3* position,
                        D3DXVECTOR3* fallback) {
    D3DXVECTOR3 result(-100.0f, -100.0f, -100.0f);
    D3DXVECTOR3 back = ownCentre;
    if (position == nullptr || fallback == nullptr) return;
    if (distance > kMaxFiringDistance || query == nullptr) {
        *position = result;
        *fallback = back;
        return;
    }
    D3DXVECTOR3 dir(ownCentre.x - enemyCentre.x, 0.0f, ownCentre.z - enemyCentre.z);
    const float len = std::sqrt(dir.x * dir.x + dir.z * dir.z);
    dir = len > 0.0f ? D3DXVECTOR3(dir.x / len, 0.0f, dir.z / len) : D3DXVECTOR3(0.0f, 0.0f, 1.0f);
    const D3DXVECTOR3 centre(enemyCentre.x, 0.0f, enemyCentre.z);
    const float radius = routeStep * 0.5f;
    D3DXVECTOR3 offset = Turn(dir * distance, 3.14159265f / 2.0f);
    result.y = -1.0f;
    bool found = false;
    for (int i = 0; i < kCandidates; ++i, offset = Turn(offset, kCandidateStep)) {
        const D3DXVECTOR3 p = centre + offset;
        if (Free(query, p, radius, area)) {
            result = p;
            found = true;
            break;
        }
    }
    if (found) {
        for (int k = 1; k <= 3; ++k) {
            bool taken = false;
            for (float sign : {1.0f, -1.0f}) {
                const D3DXVECTOR3 p = centre + Turn(offset, sign * kCandidateStep * static_cast<float>(k));
                if (Free(query, p, radius, area)) {
                    back = p;
                    taken = true;
                    break;
                }
            }
            if (taken) break;
        }
    }
    *position = result;
    *fallback = back;
}

} // namespace VornaCampaign
