#pragma once
// The numerical heart of the battle ocean: a bank of random noise frames,
// eight animated noise octaves blended from it, two tiling 128 x 128 integer
// height tables built from the octaves, and SampleHeight, the one height
// function of the sea. The drawn water (CDX9KelOceanWater) derives from this
// class, and the ship bodies read the same field, so a ship rides on the
// water that is drawn.
//
// Fixed point: noise and heights are i32 with 16384 = 1.0; table coordinates
// are 20.12 (integer part = texel, low 12 bits = fraction); every index wraps
// by a mask, so the surface tiles seamlessly and negative coordinates wrap.
#include "platform/math/d3dx9math.h"
#include "platform/os/WinTypes.h"

#include <cstdint>

namespace Vorna3D {

// The one float -> i32 conversion of the sea: truncates toward zero; a value
// beyond the i32 range wraps modulo 2^32 (so a far table coordinate keeps its
// place in the tiling) and NaN or an infinity gives 0. A plain cast would be
// undefined for such values.
std::int32_t TruncToInt32(double value);

class CDX9KelOceanSurface {
public:
    static constexpr int kNoiseFrames = 256;
    static constexpr int kFrameSide = 16;
    static constexpr int kFrameCells = kFrameSide * kFrameSide;
    static constexpr int kNoiseValues = kNoiseFrames * kFrameCells;
    static constexpr int kOctaves = 8;
    static constexpr int kTableSide = 128;
    static constexpr int kTableCells = kTableSide * kTableSide;
    static constexpr float kMaxAmplitude = 5.0f;
    // A clock gap longer than this restarts the tick instead of jumping.
    static constexpr DWORD kClockRestartMs = 10000;
    // The render-target size of the height and normal maps before doubling.
    static constexpr UINT kMapWidth = 512;
    static constexpr UINT kMapHeight = 1024;

    // One vertex of the water mesh (36 bytes).
    struct OCEANVERTEX {
        float x, y, z;
        float nx, ny, nz;
        DWORD diffuse;
        float u, v;
    };
    static_assert(sizeof(OCEANVERTEX) == 36, "the water vertex is 36 bytes");

    CDX9KelOceanSurface();
    virtual ~CDX9KelOceanSurface() = default;
    CDX9KelOceanSurface(const CDX9KelOceanSurface&) = delete;
    CDX9KelOceanSurface& operator=(const CDX9KelOceanSurface&) = delete;

    // Fills the base noise (from rand_s) and the octave weights.
    void InitNoise();
    // Advances the animation clock from timeGetTime; a gap over 10 s adds no
    // jump; while paused only the tick follows the timer.
    void AdvanceTime();
    // Rebuilds the octaves for the current clock; does nothing while
    // paused. The height tables and the texture copy follow from the
    // octaves: whole at the first read of a table or of the copy (or a
    // grid fill), texel by texel as SampleHeight reads them until then.
    // A headless step that only samples under the ships builds a few
    // texels instead of both tables.
    void AnimateNoise();
    // Height of the surface at table coordinates a (row, from world z) and
    // b (column, from world x), in world units with the amplitude applied.
    float SampleHeight(std::int32_t a, std::int32_t b) const;
    // A world coordinate as a table coordinate with this surface's scale.
    std::int32_t WorldToTable(float world) const { return TruncToInt32(world * m_fScale); }
    // The upper and lower wave planes from normal, base point and amplitude.
    void UpdatePlanes();
    // False (nothing changes) unless 0 < a <= 5; else stores a and the planes.
    // The drawn water adds its effect parameter on top of this.
    bool SetAmplitude(float amplitude);
    // Writes the projected grid's positions (and the CPU heights) into a
    // locked vertex array of at least columns x rows vertices. False, with
    // nothing written, for a null array, too small a count, or a grid of fewer
    // than two columns or rows.
    bool FillGridVertices(OCEANVERTEX* pVertices, UINT vertexCount, UINT columns, UINT rows, bool smoothing) const;
    // Normals of the interior grid vertices (software path); borders untouched.
    bool ComputeGridNormals(OCEANVERTEX* pVertices, UINT vertexCount, UINT columns, UINT rows) const;
    // The homogeneous point where the projector ray through (x, y) meets y = 0.
    D3DXVECTOR4 GridCorner(float x, float y, const D3DXMATRIX& m) const;
    // Size of the height and normal render targets for a window of this
    // client width: the base size, doubled once when the window is wider
    // than the base height. Depends on nothing else, so every map gets the
    // same size.
    static void MapSizeForClientWidth(int clientWidth, UINT* pWidth, UINT* pHeight);

    // The pause flag; the physical manager sets it while its time scale is 0.
    void SetPaused(bool paused) { m_bPaused = paused; }
    bool IsPaused() const { return m_bPaused; }
    float GetScale() const { return m_fScale; }
    float GetAmplitude() const { return m_fAmplitude; }
    double GetTime() const { return m_dTime; }
    DWORD GetLastTick() const { return m_dwLastTick; }
    // Forgets the last tick (the clock restarts on the next advance).
    void ClearLastTick() { m_dwLastTick = 0; }
    const D3DXPLANE& GetUpperPlane() const { return m_UpperPlane; }
    const D3DXPLANE& GetLowerPlane() const { return m_LowerPlane; }
    const float* GetOctaveWeights() const { return m_afOctaveWeights; }
    const std::int32_t* GetBaseNoise() const { return m_aiBaseNoise; }
    const std::int32_t* GetOctave(int k) const { return m_aiOctaves[k]; }
    const std::int32_t* GetHeightTable1() const {
        BuildTables();
        return m_aiHeightTable1;
    }
    const std::int32_t* GetHeightTable2() const {
        BuildTables();
        return m_aiHeightTable2;
    }
    // Table 1 then table 2, each value + 32768: the noise textures' source.
    const WORD* GetTextureCopy() const {
        BuildTables();
        return m_awTextureCopy;
    }
    // Writable tables, for loading a known field (kept until the next
    // AnimateNoise).
    std::int32_t* HeightTable1() {
        BuildTables();
        return m_aiHeightTable1;
    }
    std::int32_t* HeightTable2() {
        BuildTables();
        return m_aiHeightTable2;
    }
    // True while both tables and the copy are whole for the current octaves.
    bool TablesBuilt() const { return m_bTablesBuilt; }
    std::int32_t* BaseNoise() { return m_aiBaseNoise; }
    void SetTime(double t) { m_dTime = t; }
    // The grid corners (u, v) = (0, 0), (1, 0), (0, 1), (1, 1) of the projected grid.
    void SetGridCorners(const D3DXVECTOR4 corners[4]) {
        for (int i = 0; i < 4; ++i) m_avGridCorners[i] = corners[i];
    }
    const D3DXVECTOR4* GetGridCorners() const { return m_avGridCorners; }
    // The clock step is smoothed over frames and shared by every surface.
    static double GetClockStep() { return s_dClockStep; }
    static void SetClockStep(double step) { s_dClockStep = step; }

protected:
    // One octave read bilinearly at table texel (x, y), `shift` bits of
    // texels per octave cell.
    std::int32_t Bilerp(const std::int32_t* pOctave, int shift, int x, int y) const;
    // Bilerp of one octave for rows 0 .. (16 << shift) - 1 of the table, each
    // a whole table row: the octave repeats after that many rows.
    static void SpreadOctave(const std::int32_t* pOctave, int shift, std::int32_t* pOut);
    // Both whole tables and the texture copy from the octaves, unless whole
    // already.
    void BuildTables() const;
    // Texel `index` of table t (0 or 1) from the octaves: the finest octave
    // plus the three coarser ones read bilinearly, the sum BuildTables
    // writes there.
    std::int32_t TableTexel(int t, int index) const;
    // Bilinear read of table t at 20.12 coordinates: from the whole table,
    // or texel by texel from the octaves with each texel kept for the step.
    std::int32_t SampleTableAt(int t, std::int32_t a, std::int32_t b) const;

    std::int32_t m_aiBaseNoise[kNoiseValues];
    std::int32_t m_aiOctaves[kOctaves][kFrameCells];
    // The tables and the copy are caches of the octaves (see AnimateNoise).
    mutable std::int32_t m_aiHeightTable1[kTableCells];
    mutable std::int32_t m_aiHeightTable2[kTableCells];
    mutable WORD m_awTextureCopy[2 * kTableCells];
    // Step number of each texel made alone since the last whole build.
    mutable std::uint32_t m_auTexelStep[2][kTableCells];
    std::uint32_t m_uStep = 1;
    mutable bool m_bTablesBuilt = true;
    float m_afOctaveWeights[kOctaves];
    float m_fAmplitude = 2.0f;
    float m_fOctaveFalloff = 0.6f;
    float m_fTimeSpeed = 6.0e-6f;
    float m_fOctaveTimeRatio = 1.27f;
    double m_dTime = 0.0;
    DWORD m_dwLastTick = 0;
    float m_fScale = 2457.6f;
    D3DXVECTOR3 m_vNormal{0.0f, 1.0f, 0.0f};
    D3DXVECTOR3 m_vBasePoint{0.0f, 0.0f, 0.0f};
    D3DXPLANE m_UpperPlane{0.0f, 1.0f, 0.0f, -2.0f};
    D3DXPLANE m_LowerPlane{0.0f, 1.0f, 0.0f, 2.0f};
    D3DXVECTOR4 m_avGridCorners[4] = {};
    UINT m_uGridColumns = 30;
    UINT m_uGridRows = 50;
    bool m_bSmoothing = true;
    bool m_bSoftware = false;
    bool m_bPaused = false;

    static double s_dClockStep;
};

} // namespace Vorna3D
