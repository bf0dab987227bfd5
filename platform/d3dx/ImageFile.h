#pragma once
// Image files read into memory: BMP, PNG, JPG and TGA through stb_image, and
// DDS files through our own reader (2D, cube and volume images in A8R8G8B8,
// X8R8G8B8, L8, DXT1, DXT3 and DXT5).
//
// Every size, mip count and face in a DDS header is checked against the
// file's length before anything is allocated; images are capped at 16384
// pixels a side (2048 deep) and 512 MB of pixel data.
#include <cstddef>
#include <string>
#include <vector>

#include "platform/d3dx/d3dx9.h"

namespace Platform {

struct ImageLevel {
    UINT width = 0, height = 0, depth = 1;
    UINT pitch = 0; // bytes per row (per row of 4x4 blocks for DXT)
    std::vector<BYTE> bytes;
};

struct Image {
    D3DXIMAGE_INFO info{};
    UINT faces = 1; // 6 for a cube
    // face-major: levels[face * info.MipLevels + level]
    std::vector<ImageLevel> levels;
};

constexpr UINT kMaxImageSide = 16384;
constexpr UINT kMaxImageDepth = 2048;
constexpr size_t kMaxImageBytes = size_t(512) << 20;

bool IsCompressedFormat(D3DFORMAT format);
// Bytes of one level; 0 for an unsupported format.
size_t LevelBytes(D3DFORMAT format, UINT width, UINT height, UINT depth, UINT* pitch = nullptr);
UINT FullMipCount(UINT width, UINT height, UINT depth = 1);

// With infoOnly only the header is checked and the levels stay empty.
bool ReadDds(const BYTE* data, size_t size, Image& out, std::string& error, bool infoOnly = false);
bool ReadImage(const BYTE* data, size_t size, Image& out, std::string& error, bool infoOnly = false);
bool ReadImageFile(const std::string& path, Image& out, std::string& error, bool infoOnly = false);

// Box-filters level 0 of each face down to `levels` levels (uncompressed
// formats only; compressed images keep what they have).
void BuildMips(Image& image, UINT levels);
// Pixels equal to key (A8R8G8B8 / X8R8G8B8 images, compared as ARGB with
// X read as 0xFF) become 0; X8R8G8B8 images become A8R8G8B8.
void ApplyColorKey(Image& image, D3DCOLOR key);

} // namespace Platform
