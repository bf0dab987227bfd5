#pragma once
// Reader of ".x" mesh files in each of their forms: text ("txt "), binary
// tokens ("bin ", floats of 32 or 64 bits) and both of these compressed
// ("tzip", "bzip"). It reads frames with their transforms, meshes with
// normals, texture coordinates, materials, texture file names and skin
// weights, and animation sets with rotation, scale, position and matrix
// keys. Templates are passed over: the data objects are read by their type
// names.
//
// The file is untrusted: every count is checked against the values that are
// actually present, nesting is capped, and a bad file gives false with a
// one-line reason in `error`. Faces with more than three corners are split
// into triangle fans. Values are kept in the file's conventions (row-vector
// matrices, left-handed positions, rotation keys as w, x, y, z).
#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/math/d3dx9math.h"

namespace XFile {

struct Material {
    D3DCOLORVALUE diffuse{1, 1, 1, 1};
    float power = 0;
    D3DCOLORVALUE specular{0, 0, 0, 1};
    D3DCOLORVALUE emissive{0, 0, 0, 1};
    std::string textureFile; // empty without a TextureFilename
};

struct SkinWeights {
    std::string bone;
    std::vector<DWORD> vertices;
    std::vector<float> weights;
    D3DXMATRIX offset;
};

struct Mesh {
    std::string name;
    std::vector<D3DXVECTOR3> positions;
    std::vector<std::array<DWORD, 3>> triangles;
    // Per vertex, empty without MeshNormals. A position whose face corners
    // carry different normals is split into one vertex per normal; the
    // copies come after the file's vertices.
    std::vector<D3DXVECTOR3> normals;
    std::vector<D3DXVECTOR2> texCoords; // per vertex, empty without MeshTextureCoords
    std::vector<DWORD> attributes;      // per triangle (material index), all 0 without a list
    std::vector<Material> materials;
    bool hasSkinHeader = false;
    WORD maxSkinWeightsPerVertex = 0;
    WORD maxSkinWeightsPerFace = 0;
    WORD bones = 0;
    std::vector<SkinWeights> skin;
};

struct Frame {
    std::string name;
    D3DXMATRIX transform; // identity without a FrameTransformMatrix
    std::vector<Mesh> meshes;
    std::vector<Frame> children;
};

struct RotationKey {
    float time;
    D3DXQUATERNION value; // read as w, x, y, z
};
struct VectorKey {
    float time;
    D3DXVECTOR3 value;
};
struct MatrixKey {
    float time;
    D3DXMATRIX value;
};

struct Animation {
    std::string frame; // the animated frame's name
    std::vector<RotationKey> rotation;
    std::vector<VectorKey> scale;
    std::vector<VectorKey> position;
    std::vector<MatrixKey> matrix;
};

struct AnimationSet {
    std::string name;
    std::vector<Animation> animations;
};

struct Scene {
    std::vector<Frame> frames; // top-level frames (siblings)
    std::vector<AnimationSet> animationSets;
    DWORD ticksPerSecond = 4800;
};

// Upper bounds that keep a hostile file from asking for huge allocations or
// deep recursion.
constexpr size_t kMaxFileBytes = 32u << 20;
constexpr int kMaxNesting = 64;
constexpr size_t kMaxCornersPerFace = 64;

bool Parse(const char* data, size_t size, Scene& out, std::string& error);
bool ParseFile(const std::string& path, Scene& out, std::string& error);

} // namespace XFile
