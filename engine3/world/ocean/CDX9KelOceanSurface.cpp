#include "engine3/world/ocean/CDX9KelOceanSurface.h"

#include "platform/os/Clock.h"
#include "platform/os/Crt.h"

#include <cmath>
#include <cstring>

namespace Vorna3D {

double CDX9KelOceanSurface::s_dClockStep = 0.0;

namespace {
constexpr float kBlendAngle = 1.0471975803375244f; // pi / 3 in single precision
constexpr double kInvFixedOne = 6.103515625e-05;  // 1 / 16384
constexpr int kTableMask = CDX9KelOceanSurface::kTableSide - 1;
constexpr int kFrameMask = CDX9KelOceanSurface::kFrameSide - 1;
} // namespace

std::int32_t TruncToInt32(double value) {
    if (!std::isfinite(value)) return 0;
    const double t = std::trunc(value);
    if (t >= -2147483648.0 && t <= 2147483647.0) return static_cast<std::int32_t>(t);
    // Far outside: keep the value modulo 2^32. Doubles this large are integers
    // already, so fmod is exact.
    double m = std::fmod(t, 4294967296.0);
    if (m < 0.0) m += 4294967296.0;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(m));
}

CDX9KelOceanSurface::CDX9KelOceanSurface() {
    std::memset(m_aiBaseNoise, 0, sizeof(m_aiBaseNoise));
    std::memset(m_aiOctaves, 0, sizeof(m_aiOctaves));
    std::memset(m_aiHeightTable1, 0, sizeof(m_aiHeightTable1));
    std::memset(m_aiHeightTable2, 0, sizeof(m_aiHeightTable2));
    std::memset(m_auTexelStep, 0, sizeof(m_auTexelStep));
    for (WORD& w : m_awTextureCopy) w = 32768;
    for (float& w : m_afOctaveWeights) w = 0.0f;
    UpdatePlanes();
}

void CDX9KelOceanSurface::InitNoise() {
    // Raw values uniform in [-2, 2), then a 3 x 3 smoothing inside each frame.
    static_assert(kNoiseValues == 65536);
    float* raw = new float[kNoiseValues];
    for (int i = 0; i < kNoiseValues; ++i) {
        unsigned int r = 0;
        rand_s(&r);
        const double u = static_cast<double>(r) / 4294967296.0;
        raw[i] = static_cast<float>((u - 0.5) * 4.0);
    }
    for (int f = 0; f < kNoiseFrames; ++f) {
        const float* fr = raw + f * kFrameCells;
        std::int32_t* out = m_aiBaseNoise + f * kFrameCells;
        for (int j = 0; j < kFrameSide; ++j) {
            const int jm = (j - 1) & kFrameMask, jp = (j + 1) & kFrameMask;
            for (int i = 0; i < kFrameSide; ++i) {
                const int im = (i - 1) & kFrameMask, ip = (i + 1) & kFrameMask;
                const float s = 0.071f * (6.0f * fr[j * kFrameSide + i] + fr[jm * kFrameSide + im] +
                                          fr[jm * kFrameSide + i] + fr[jm * kFrameSide + ip] +
                                          fr[j * kFrameSide + im] + fr[j * kFrameSide + ip] +
                                          fr[jp * kFrameSide + im] + fr[jp * kFrameSide + i] +
                                          fr[jp * kFrameSide + ip]);
                out[j * kFrameSide + i] = TruncToInt32(s * 16384.0f);
            }
        }
    }
    delete[] raw;

    float sum = 0.0f;
    float w = 1.0f;
    for (int k = 0; k < kOctaves; ++k) {
        m_afOctaveWeights[k] = w;
        sum += w;
        w *= m_fOctaveFalloff;
    }
    for (float& weight : m_afOctaveWeights) weight /= sum;
}

void CDX9KelOceanSurface::AdvanceTime() {
    const DWORD now = timeGetTime();
    if (!m_bPaused) {
        if (static_cast<DWORD>(now - m_dwLastTick) > kClockRestartMs) m_dwLastTick = 0;
        if (m_dwLastTick == 0) m_dwLastTick = now;
        s_dClockStep = static_cast<double>(now - m_dwLastTick) * m_fTimeSpeed + s_dClockStep * 0.99;
        m_dTime += s_dClockStep;
    }
    m_dwLastTick = now;
}

std::int32_t CDX9KelOceanSurface::Bilerp(const std::int32_t* o, int shift, int x, int y) const {
    const int s = 1 << shift;
    const int cx = (x >> shift) & kFrameMask, cx1 = (cx + 1) & kFrameMask, fx = x & (s - 1);
    const int cy = (y >> shift) & kFrameMask, cy1 = (cy + 1) & kFrameMask, fy = y & (s - 1);
    const std::int32_t row0 = o[cy * kFrameSide + cx] * (s - fx) + o[cy * kFrameSide + cx1] * fx;
    const std::int32_t row1 = o[cy1 * kFrameSide + cx] * (s - fx) + o[cy1 * kFrameSide + cx1] * fx;
    return (row0 * (s - fy) + row1 * fy) >> (2 * shift);
}

void CDX9KelOceanSurface::AnimateNoise() {
    if (m_bPaused) return;
    float factor = 1.0f;
    for (int k = 0; k < kOctaves; ++k) {
        const double t = m_dTime * factor;
        factor *= m_fOctaveTimeRatio;
        const double whole = std::floor(t);
        const std::int32_t n = TruncToInt32(whole);
        const float f = static_cast<float>(t - whole);
        const float a = m_afOctaveWeights[k] * 16384.0f;
        const float s0 = std::sin((f + 2.0f) * kBlendAngle);
        const float s1 = std::sin((f + 1.0f) * kBlendAngle);
        const float s2 = std::sin(f * kBlendAngle);
        const std::int32_t w0 = TruncToInt32(s0 * s0 / 1.5f * a);
        const std::int32_t w1 = TruncToInt32(s1 * s1 / 1.5f * a);
        const std::int32_t w2 = TruncToInt32(s2 * s2 / 1.5f * a);
        const std::int32_t* f0 = m_aiBaseNoise + (n & 255) * kFrameCells;
        const std::int32_t* f1 = m_aiBaseNoise + ((n + 1) & 255) * kFrameCells;
        const std::int32_t* f2 = m_aiBaseNoise + ((n + 2) & 255) * kFrameCells;
        std::int32_t* out = m_aiOctaves[k];
        for (int c = 0; c < kFrameCells; ++c)
            out[c] = ((f0[c] * w0) >> 15) + ((f1[c] * w1) >> 15) + ((f2[c] * w2) >> 15);
    }
    // The tables now lag the octaves; a new step number retires the texels
    // made alone for the last one.
    m_bTablesBuilt = false;
    if (++m_uStep == 0) {
        std::memset(m_auTexelStep, 0, sizeof(m_auTexelStep));
        m_uStep = 1;
    }
}

std::int32_t CDX9KelOceanSurface::TableTexel(int t, int index) const {
    const int x = index & kTableMask, y = index >> 7;
    return m_aiOctaves[t * 4 + 3][(y & kFrameMask) * kFrameSide + (x & kFrameMask)] +
           Bilerp(m_aiOctaves[t * 4 + 0], 3, x, y) + Bilerp(m_aiOctaves[t * 4 + 1], 2, x, y) +
           Bilerp(m_aiOctaves[t * 4 + 2], 1, x, y);
}

void CDX9KelOceanSurface::BuildTables() const {
    if (m_bTablesBuilt)
        return;
    m_bTablesBuilt = true;

    // Each table texel adds the finest octave and the three coarser ones
    // spread bilinearly over 8, 4 and 2 texels. A coarser octave repeats
    // every 16 << shift texels, so only that many rows of it are spread,
    // each row to the whole table width, and the table rows add them up.
    // The integer sums are those of Bilerp texel by texel.
    static thread_local std::int32_t spread[2][3][kTableCells];
    for (int t = 0; t < 2; ++t)
        for (int k = 0; k < 3; ++k)
            SpreadOctave(m_aiOctaves[t * 4 + k], 3 - k, spread[t][k]);
    for (int y = 0; y < kTableSide; ++y) {
        const std::int32_t* fine1 = m_aiOctaves[3] + (y & kFrameMask) * kFrameSide;
        const std::int32_t* fine2 = m_aiOctaves[7] + (y & kFrameMask) * kFrameSide;
        const std::int32_t* a1 = spread[0][0] + (y & (kTableSide - 1)) * kTableSide;
        const std::int32_t* b1 = spread[0][1] + (y & (kTableSide / 2 - 1)) * kTableSide;
        const std::int32_t* c1 = spread[0][2] + (y & (kTableSide / 4 - 1)) * kTableSide;
        const std::int32_t* a2 = spread[1][0] + (y & (kTableSide - 1)) * kTableSide;
        const std::int32_t* b2 = spread[1][1] + (y & (kTableSide / 2 - 1)) * kTableSide;
        const std::int32_t* c2 = spread[1][2] + (y & (kTableSide / 4 - 1)) * kTableSide;
        std::int32_t* out1 = m_aiHeightTable1 + y * kTableSide;
        std::int32_t* out2 = m_aiHeightTable2 + y * kTableSide;
        WORD* copy1 = m_awTextureCopy + y * kTableSide;
        WORD* copy2 = m_awTextureCopy + kTableCells + y * kTableSide;
        for (int x = 0; x < kTableSide; ++x) {
            const std::int32_t h1 = fine1[x & kFrameMask] + a1[x] + b1[x] + c1[x];
            const std::int32_t h2 = fine2[x & kFrameMask] + a2[x] + b2[x] + c2[x];
            out1[x] = h1;
            out2[x] = h2;
            copy1[x] = static_cast<WORD>(h1 + 32768);
            copy2[x] = static_cast<WORD>(h2 + 32768);
        }
    }
}

void CDX9KelOceanSurface::SpreadOctave(const std::int32_t* o, int shift, std::int32_t* out) {
    // Rows 0 .. (16 << shift) - 1, each kTableSide wide: Bilerp(o, shift, x, y).
    const int s = 1 << shift;
    const int rows = kFrameSide << shift;
    std::int32_t lerp[kFrameSide][kTableSide];
    for (int cy = 0; cy < kFrameSide; ++cy) {
        const std::int32_t* row = o + cy * kFrameSide;
        for (int x = 0; x < kTableSide; ++x) {
            const int cx = (x >> shift) & kFrameMask, cx1 = (cx + 1) & kFrameMask, fx = x & (s - 1);
            lerp[cy][x] = row[cx] * (s - fx) + row[cx1] * fx;
        }
    }
    for (int y = 0; y < rows; ++y) {
        const int cy = (y >> shift) & kFrameMask, cy1 = (cy + 1) & kFrameMask, fy = y & (s - 1);
        const std::int32_t* r0 = lerp[cy];
        const std::int32_t* r1 = lerp[cy1];
        std::int32_t* o2 = out + y * kTableSide;
        for (int x = 0; x < kTableSide; ++x)
            o2[x] = (r0[x] * (s - fy) + r1[x] * fy) >> (2 * shift);
    }
}

namespace {
inline std::int32_t ShiftLeft4(std::int32_t v) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) << 4);
}
} // namespace

std::int32_t CDX9KelOceanSurface::SampleTableAt(int t, std::int32_t a, std::int32_t b) const {
    // Bilinear read of one 128 x 128 table at 20.12 coordinates.
    const int r0 = (a >> 12) & kTableMask, r1 = (r0 + 1) & kTableMask, fa = a & 4095;
    const int c0 = (b >> 12) & kTableMask, c1 = (c0 + 1) & kTableMask, fb = b & 4095;
    std::int32_t* table = t == 0 ? m_aiHeightTable1 : m_aiHeightTable2;
    if (!m_bTablesBuilt) {
        std::uint32_t* step = m_auTexelStep[t];
        for (const int i : {r0 * kTableSide + c0, r0 * kTableSide + c1, r1 * kTableSide + c0, r1 * kTableSide + c1}) {
            if (step[i] == m_uStep)
                continue;
            step[i] = m_uStep;
            table[i] = TableTexel(t, i);
        }
    }
    const std::int32_t l0 = (table[r0 * kTableSide + c0] * (4096 - fb) + table[r0 * kTableSide + c1] * fb) >> 12;
    const std::int32_t l1 = (table[r1 * kTableSide + c0] * (4096 - fb) + table[r1 * kTableSide + c1] * fb) >> 12;
    return (l0 * (4096 - fa) + l1 * fa) >> 12;
}

float CDX9KelOceanSurface::SampleHeight(std::int32_t a, std::int32_t b) const {
    const std::int32_t h1 = SampleTableAt(0, a, b);
    const std::int32_t h2 = SampleTableAt(1, ShiftLeft4(a), ShiftLeft4(b));
    return static_cast<float>(static_cast<double>(m_fAmplitude) * static_cast<double>(h1 + h2) * kInvFixedOne);
}

void CDX9KelOceanSurface::UpdatePlanes() {
    const D3DXVECTOR3 up = m_vBasePoint + m_vNormal * m_fAmplitude;
    const D3DXVECTOR3 down = m_vBasePoint - m_vNormal * m_fAmplitude;
    D3DXPlaneFromPointNormal(&m_UpperPlane, &up, &m_vNormal);
    D3DXPlaneFromPointNormal(&m_LowerPlane, &down, &m_vNormal);
}

bool CDX9KelOceanSurface::SetAmplitude(float amplitude) {
    if (!(amplitude > 0.0f && amplitude <= kMaxAmplitude)) return false;
    m_fAmplitude = amplitude;
    UpdatePlanes();
    return true;
}

D3DXVECTOR4 CDX9KelOceanSurface::GridCorner(float x, float y, const D3DXMATRIX& m) const {
    const D3DXVECTOR4 a(x, y, -1.0f, 1.0f), b(x, y, 1.0f, 1.0f);
    D3DXVECTOR4 p0, p1;
    D3DXVec4Transform(&p0, &a, &m);
    D3DXVec4Transform(&p1, &b, &m);
    const float dy = p1.y - p0.y;
    // A ray parallel to the plane never meets it; keep the near point.
    const float t = dy != 0.0f ? -p0.y / dy : 0.0f;
    return p0 + (p1 - p0) * t;
}

bool CDX9KelOceanSurface::FillGridVertices(OCEANVERTEX* v, UINT vertexCount, UINT columns, UINT rows,
                                           bool smoothing) const {
    if (!v || columns < 2 || rows < 2) return false;
    if (static_cast<std::uint64_t>(columns) * rows > vertexCount) return false;
    // Every vertex reads the tables: whole tables cost less than texels one by one.
    BuildTables();
    const D3DXVECTOR4& c00 = m_avGridCorners[0];
    const D3DXVECTOR4& c01 = m_avGridCorners[1];
    const D3DXVECTOR4& c10 = m_avGridCorners[2];
    const D3DXVECTOR4& c11 = m_avGridCorners[3];
    const float du = 1.0f / static_cast<float>(columns - 1);
    const float dv = 1.0f / static_cast<float>(rows - 1);
    float fv = 0.0f;
    for (UINT j = 0; j < rows; ++j, fv += dv) {
        float fu = 0.0f;
        for (UINT i = 0; i < columns; ++i, fu += du) {
            const float px = (c11.x * fu + c10.x * (1 - fu)) * fv + (c01.x * fu + c00.x * (1 - fu)) * (1 - fv);
            const float pz = (c11.z * fu + c10.z * (1 - fu)) * fv + (c01.z * fu + c00.z * (1 - fu)) * (1 - fv);
            const float pw = (c11.w * fu + c10.w * (1 - fu)) * fv + (c01.w * fu + c00.w * (1 - fu)) * (1 - fv);
            OCEANVERTEX& out = v[j * columns + i];
            out.x = pw != 0.0f ? px / pw : 0.0f;
            out.z = pw != 0.0f ? pz / pw : 0.0f;
            out.y = SampleHeight(WorldToTable(out.z), WorldToTable(out.x));
        }
    }
    if (smoothing && rows - 1 >= 2) {
        for (UINT j = 1; j + 1 < rows; ++j) {
            for (UINT i = 1; i + 1 < columns; ++i) {
                OCEANVERTEX& p = v[j * columns + i];
                p.y = 0.1f * (p.y + v[j * columns + i - 1].y + v[j * columns + i + 1].y + v[(j - 1) * columns + i].y +
                              v[(j + 1) * columns + i].y);
            }
        }
    }
    return true;
}

bool CDX9KelOceanSurface::ComputeGridNormals(OCEANVERTEX* v, UINT vertexCount, UINT columns, UINT rows) const {
    if (!v || static_cast<std::uint64_t>(columns) * rows > vertexCount) return false;
    for (UINT j = 1; j + 1 < rows; ++j) {
        for (UINT i = 1; i + 1 < columns; ++i) {
            const OCEANVERTEX& l = v[j * columns + i - 1];
            const OCEANVERTEX& r = v[j * columns + i + 1];
            const OCEANVERTEX& u = v[(j - 1) * columns + i];
            const OCEANVERTEX& d = v[(j + 1) * columns + i];
            const D3DXVECTOR3 a(r.x - l.x, r.y - l.y, r.z - l.z);
            const D3DXVECTOR3 b(d.x - u.x, d.y - u.y, d.z - u.z);
            D3DXVECTOR3 n;
            D3DXVec3Cross(&n, &b, &a);
            OCEANVERTEX& p = v[j * columns + i];
            p.nx = n.x;
            p.ny = n.y;
            p.nz = n.z;
        }
    }
    return true;
}

void CDX9KelOceanSurface::MapSizeForClientWidth(int clientWidth, UINT* pWidth, UINT* pHeight) {
    UINT w = kMapWidth, h = kMapHeight;
    if (clientWidth > 0 && static_cast<UINT>(clientWidth) > h) {
        w *= 2;
        h *= 2;
    }
    if (pWidth) *pWidth = w;
    if (pHeight) *pHeight = h;
}

} // namespace Vorna3D
