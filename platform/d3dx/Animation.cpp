// ID3DXAnimationController: key-framed animation sets read from ".x" files,
// evaluated at the track's time and written into the frames' matrices.
//
// Each animated frame gets scale x rotation x translation (row vectors) from
// its keys, interpolated linearly (slerp for rotations); a frame with matrix
// keys takes the interpolated matrix instead. A missing kind of key stands
// for no scale, no rotation or no translation. Sets loop over their period,
// the time of their last key.
#include <algorithm>
#include <cmath>

#include "platform/d3dx/AnimationData.h"

namespace {

template <class Key>
void Bracket(const std::vector<Key>& keys, float t, size_t& a, size_t& b, float& s) {
    a = b = 0;
    s = 0;
    if (keys.size() < 2 || t <= keys.front().time) {
        return;
    }
    if (t >= keys.back().time) {
        a = b = keys.size() - 1;
        return;
    }
    auto it = std::upper_bound(keys.begin(), keys.end(), t, [](float v, const Key& k) { return v < k.time; });
    b = static_cast<size_t>(it - keys.begin());
    a = b - 1;
    float span = keys[b].time - keys[a].time;
    s = span > 0 ? (t - keys[a].time) / span : 0;
}

D3DXMATRIX Evaluate(const XFile::Animation& an, float ticks) {
    D3DXMATRIX out;
    size_t a, b;
    float s;
    if (!an.matrix.empty()) {
        Bracket(an.matrix, ticks, a, b, s);
        for (int i = 0; i < 16; ++i)
            (&out._11)[i] = (&an.matrix[a].value._11)[i] * (1 - s) + (&an.matrix[b].value._11)[i] * s;
        return out;
    }
    D3DXVECTOR3 scale(1, 1, 1), pos(0, 0, 0);
    D3DXQUATERNION rot(0, 0, 0, 1);
    if (!an.scale.empty()) {
        Bracket(an.scale, ticks, a, b, s);
        D3DXVec3Lerp(&scale, &an.scale[a].value, &an.scale[b].value, s);
    }
    if (!an.position.empty()) {
        Bracket(an.position, ticks, a, b, s);
        D3DXVec3Lerp(&pos, &an.position[a].value, &an.position[b].value, s);
    }
    if (!an.rotation.empty()) {
        Bracket(an.rotation, ticks, a, b, s);
        D3DXQuaternionSlerp(&rot, &an.rotation[a].value, &an.rotation[b].value, s);
        D3DXQuaternionNormalize(&rot, &rot);
    }
    D3DXMATRIX ms, mr, mt;
    D3DXMatrixScaling(&ms, scale.x, scale.y, scale.z);
    D3DXMatrixRotationQuaternion(&mr, &rot);
    D3DXMatrixTranslation(&mt, pos.x, pos.y, pos.z);
    out = ms * mr * mt;
    return out;
}

} // namespace

HRESULT ID3DXAnimationController::Create(const std::shared_ptr<const Data>& data,
                                         const std::vector<D3DXMATRIX*>& outputs, UINT maxOutputs, UINT maxSets,
                                         UINT maxTracks, UINT maxEvents, ID3DXAnimationController** controller) {
    if (!controller || !data)
        return D3DERR_INVALIDCALL;
    *controller = nullptr;
    if (maxTracks == 0 || maxTracks > 64)
        return D3DERR_INVALIDCALL;
    auto* c = new ID3DXAnimationController();
    c->m_data = data;
    c->m_outputs = outputs;
    c->m_maxOutputs = maxOutputs;
    c->m_maxSets = maxSets;
    c->m_maxTracks = maxTracks;
    c->m_maxEvents = maxEvents;
    c->m_tracks.resize(maxTracks);
    for (UINT t = 1; t < maxTracks; ++t)
        c->m_tracks[t].enabled = false;
    *controller = c;
    return D3D_OK;
}

UINT ID3DXAnimationController::GetNumAnimationSets() const {
    return static_cast<UINT>(std::min<size_t>(m_data->scene.animationSets.size(), m_maxSets));
}

double ID3DXAnimationController::GetSetPeriod(UINT set) const {
    if (set >= m_data->scene.animationSets.size())
        return 0;
    float last = 0;
    for (const auto& an : m_data->scene.animationSets[set].animations) {
        if (!an.rotation.empty())
            last = std::max(last, an.rotation.back().time);
        if (!an.scale.empty())
            last = std::max(last, an.scale.back().time);
        if (!an.position.empty())
            last = std::max(last, an.position.back().time);
        if (!an.matrix.empty())
            last = std::max(last, an.matrix.back().time);
    }
    return last / static_cast<double>(m_data->scene.ticksPerSecond);
}

HRESULT ID3DXAnimationController::AdvanceTime(double timeDelta, void*) {
    if (!std::isfinite(timeDelta))
        return D3DERR_INVALIDCALL;
    m_time += timeDelta;
    for (auto& track : m_tracks) {
        if (!track.enabled)
            continue;
        track.position += timeDelta * track.speed;
        if (track.set >= GetNumAnimationSets())
            continue;
        double period = GetSetPeriod(track.set);
        double local = period > 0 ? std::fmod(track.position, period) : 0;
        if (local < 0)
            local += period;
        float ticks = static_cast<float>(local * m_data->scene.ticksPerSecond);
        const auto& set = m_data->scene.animationSets[track.set];
        const auto& outIndex = m_data->outputOf[track.set];
        for (size_t i = 0; i < set.animations.size(); ++i) {
            int o = outIndex[i];
            if (o < 0 || static_cast<size_t>(o) >= m_outputs.size() || !m_outputs[o])
                continue;
            *m_outputs[o] = Evaluate(set.animations[i], ticks);
        }
        break; // one track drives the frames; blending of tracks is not used
    }
    return D3D_OK;
}

HRESULT ID3DXAnimationController::ResetTime() {
    m_time = 0;
    for (auto& t : m_tracks)
        t.position = 0;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::SetTrackAnimationSetIndex(UINT track, UINT set) {
    if (track >= m_tracks.size() || set >= GetNumAnimationSets())
        return D3DERR_INVALIDCALL;
    m_tracks[track].set = set;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::SetTrackPosition(UINT track, double position) {
    if (track >= m_tracks.size() || !std::isfinite(position))
        return D3DERR_INVALIDCALL;
    m_tracks[track].position = position;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::SetTrackSpeed(UINT track, FLOAT speed) {
    if (track >= m_tracks.size())
        return D3DERR_INVALIDCALL;
    m_tracks[track].speed = speed;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::SetTrackEnable(UINT track, BOOL enable) {
    if (track >= m_tracks.size())
        return D3DERR_INVALIDCALL;
    m_tracks[track].enabled = enable != FALSE;
    return D3D_OK;
}

HRESULT ID3DXAnimationController::CloneAnimationController(UINT maxNumAnimationOutputs, UINT maxNumAnimationSets,
                                                           UINT maxNumTracks, UINT maxNumEvents,
                                                           ID3DXAnimationController** cloneController) {
    return Create(m_data, m_outputs, maxNumAnimationOutputs, maxNumAnimationSets, maxNumTracks, maxNumEvents,
                  cloneController);
}
