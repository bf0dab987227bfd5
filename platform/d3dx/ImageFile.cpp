#include "platform/d3dx/ImageFile.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstring>

#include "platform/os/Paths.h"

namespace Platform {
namespace {

constexpr DWORD kDdsMagic = 0x20534444u; // "DDS "
constexpr DWORD kDx10 = 0x30315844u;     // "DX10": a second header follows
constexpr size_t kDdsHeaderBytes = 4 + 124;

constexpr DWORD DDSD_MIPMAPCOUNT = 0x20000u;
constexpr DWORD DDSD_DEPTH = 0x800000u;
constexpr DWORD DDPF_ALPHAPIXELS = 0x1u;
constexpr DWORD DDPF_FOURCC = 0x4u;
constexpr DWORD DDPF_RGB = 0x40u;
constexpr DWORD DDPF_LUMINANCE = 0x20000u;
constexpr DWORD DDSCAPS2_CUBEMAP = 0x200u;
constexpr DWORD DDSCAPS2_CUBEMAP_ALLFACES = 0xFC00u;
constexpr DWORD DDSCAPS2_VOLUME = 0x200000u;

DWORD Read32(const BYTE* p) {
    return static_cast<DWORD>(p[0]) | (static_cast<DWORD>(p[1]) << 8) | (static_cast<DWORD>(p[2]) << 16) |
           (static_cast<DWORD>(p[3]) << 24);
}

} // namespace

bool IsCompressedFormat(D3DFORMAT format) {
    return format == D3DFMT_DXT1 || format == D3DFMT_DXT3 || format == D3DFMT_DXT5;
}

size_t LevelBytes(D3DFORMAT format, UINT width, UINT height, UINT depth, UINT* pitch) {
    size_t rowBytes = 0, rows = height;
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        rowBytes = size_t(width) * 4;
        break;
    case D3DFMT_L8:
        rowBytes = width;
        break;
    case D3DFMT_DXT1:
        rowBytes = size_t((width + 3) / 4) * 8;
        rows = (height + 3) / 4;
        break;
    case D3DFMT_DXT3:
    case D3DFMT_DXT5:
        rowBytes = size_t((width + 3) / 4) * 16;
        rows = (height + 3) / 4;
        break;
    default:
        return 0;
    }
    if (pitch)
        *pitch = static_cast<UINT>(rowBytes);
    return rowBytes * rows * depth;
}

UINT FullMipCount(UINT width, UINT height, UINT depth) {
    UINT m = std::max({width, height, depth, 1u});
    UINT n = 1;
    while (m > 1) {
        m >>= 1;
        ++n;
    }
    return n;
}

bool ReadDds(const BYTE* data, size_t size, Image& out, std::string& error, bool infoOnly) {
    out = Image{};
    if (size < kDdsHeaderBytes || Read32(data) != kDdsMagic) {
        error = "not a DDS file";
        return false;
    }
    const BYTE* h = data + 4;
    if (Read32(h) != 124 || Read32(h + 72) != 32) {
        error = "bad DDS header size";
        return false;
    }
    DWORD flags = Read32(h + 4);
    UINT height = Read32(h + 8);
    UINT width = Read32(h + 12);
    UINT depth = (flags & DDSD_DEPTH) ? Read32(h + 20) : 1;
    UINT mips = (flags & DDSD_MIPMAPCOUNT) ? Read32(h + 24) : 1;
    const BYTE* pf = h + 72;
    DWORD pfFlags = Read32(pf + 4);
    DWORD fourCC = Read32(pf + 8);
    DWORD bits = Read32(pf + 12);
    DWORD rMask = Read32(pf + 16), gMask = Read32(pf + 20), bMask = Read32(pf + 24), aMask = Read32(pf + 28);
    DWORD caps2 = Read32(h + 108);

    if (mips == 0)
        mips = 1;
    if (depth == 0)
        depth = 1;
    if (width == 0 || height == 0 || width > kMaxImageSide || height > kMaxImageSide || depth > kMaxImageDepth) {
        error = "DDS size out of range";
        return false;
    }

    D3DFORMAT format = D3DFMT_UNKNOWN;
    if ((pfFlags & DDPF_FOURCC) && fourCC == kDx10) {
        error = "DX10 header not supported";
        return false;
    }
    if (pfFlags & DDPF_FOURCC) {
        if (fourCC == D3DFMT_DXT1 || fourCC == D3DFMT_DXT3 || fourCC == D3DFMT_DXT5)
            format = static_cast<D3DFORMAT>(fourCC);
    } else if ((pfFlags & DDPF_RGB) && bits == 32 && rMask == 0xFF0000u && gMask == 0xFF00u && bMask == 0xFFu) {
        format = ((pfFlags & DDPF_ALPHAPIXELS) && aMask == 0xFF000000u) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    } else if ((pfFlags & DDPF_LUMINANCE) && bits == 8) {
        format = D3DFMT_L8;
    }
    if (format == D3DFMT_UNKNOWN) {
        error = "unsupported DDS pixel format";
        return false;
    }

    D3DRESOURCETYPE type = D3DRTYPE_TEXTURE;
    UINT faces = 1;
    if (caps2 & DDSCAPS2_CUBEMAP) {
        if ((caps2 & DDSCAPS2_CUBEMAP_ALLFACES) != DDSCAPS2_CUBEMAP_ALLFACES || width != height || depth != 1) {
            error = "DDS cube map without six square faces";
            return false;
        }
        type = D3DRTYPE_CUBETEXTURE;
        faces = 6;
    } else if ((caps2 & DDSCAPS2_VOLUME) || depth > 1) {
        if (IsCompressedFormat(format)) {
            error = "compressed DDS volumes are not supported";
            return false;
        }
        type = D3DRTYPE_VOLUMETEXTURE;
    }
    if (mips > FullMipCount(width, height, type == D3DRTYPE_VOLUMETEXTURE ? depth : 1)) {
        error = "DDS mip count larger than the image allows";
        return false;
    }

    // The whole payload must be present before anything is allocated.
    size_t need = 0;
    for (UINT f = 0; f < faces; ++f) {
        UINT w = width, hh = height, d = depth;
        for (UINT l = 0; l < mips; ++l) {
            need += LevelBytes(format, w, hh, d);
            w = std::max(1u, w / 2);
            hh = std::max(1u, hh / 2);
            d = std::max(1u, d / 2);
        }
    }
    if (need > kMaxImageBytes) {
        error = "DDS image too large";
        return false;
    }
    if (need > size - kDdsHeaderBytes) {
        error = "DDS file shorter than its header says";
        return false;
    }

    out.info.Width = width;
    out.info.Height = height;
    out.info.Depth = depth;
    out.info.MipLevels = mips;
    out.info.Format = format;
    out.info.ResourceType = type;
    out.info.ImageFileFormat = D3DXIFF_DDS;
    out.faces = faces;
    if (infoOnly)
        return true;

    const BYTE* p = data + kDdsHeaderBytes;
    out.levels.reserve(size_t(faces) * mips);
    for (UINT f = 0; f < faces; ++f) {
        UINT w = width, hh = height, d = depth;
        for (UINT l = 0; l < mips; ++l) {
            ImageLevel lv;
            lv.width = w;
            lv.height = hh;
            lv.depth = d;
            size_t n = LevelBytes(format, w, hh, d, &lv.pitch);
            lv.bytes.assign(p, p + n);
            p += n;
            out.levels.push_back(std::move(lv));
            w = std::max(1u, w / 2);
            hh = std::max(1u, hh / 2);
            d = std::max(1u, d / 2);
        }
    }
    return true;
}

namespace {

// The fewest bytes a BMP or TGA file of w x h pixels can hold. The decoder
// fills a short file's missing pixels instead of failing, so without this a
// header of a few bytes could stand for an image of hundreds of megabytes.
// Other formats fail on missing data by themselves; they get 0.
size_t LeastImageFileBytes(const BYTE* data, size_t size, int w, int h, D3DXIMAGE_FILEFORMAT ff) {
    const size_t pixels = size_t(w) * size_t(h);
    if (ff == D3DXIFF_TGA) {
        if (size < 18)
            return 18;
        const size_t pixelBytes = std::max<size_t>(1, (size_t(data[16]) + 7) / 8);
        const BYTE type = data[2];
        if (type >= 9 && type <= 11) // run-length packets of at most 128 pixels
            return 18 + (pixels + 127) / 128 * (1 + pixelBytes);
        return 18 + pixels * pixelBytes;
    }
    if (ff == D3DXIFF_BMP) {
        const size_t headerBytes = size < 18 ? 0 : Read32(data + 14);
        if (size < (headerBytes == 12 ? 26u : 30u))
            return 30;
        const BYTE* bits = data + (headerBytes == 12 ? 24 : 28);
        const size_t bpp = std::max<size_t>(1, size_t(bits[0]) | size_t(bits[1]) << 8);
        return 14 + headerBytes + size_t(w) * bpp / 8 * size_t(h);
    }
    return 0;
}

} // namespace

bool ReadImage(const BYTE* data, size_t size, Image& out, std::string& error, bool infoOnly) {
    out = Image{};
    if (size >= 4 && Read32(data) == kDdsMagic)
        return ReadDds(data, size, out, error, infoOnly);
    if (size == 0 || size > static_cast<size_t>(INT32_MAX)) {
        error = "empty or oversized image file";
        return false;
    }
    int w = 0, h = 0, comp = 0;
    const auto* bytes = reinterpret_cast<const stbi_uc*>(data);
    int len = static_cast<int>(size);
    if (!stbi_info_from_memory(bytes, len, &w, &h, &comp)) {
        error = std::string("unreadable image: ") + stbi_failure_reason();
        return false;
    }
    // A BMP with a negative height stores its rows top down; the decoder
    // reads it, but its header query passes the sign on.
    if (h < 0 && h > -static_cast<int>(kMaxImageSide) - 1 && size >= 2 && data[0] == 'B' && data[1] == 'M')
        h = -h;
    if (w <= 0 || h <= 0 || static_cast<UINT>(w) > kMaxImageSide || static_cast<UINT>(h) > kMaxImageSide ||
        size_t(w) * size_t(h) * 4 > kMaxImageBytes) {
        error = "image size out of range";
        return false;
    }
    D3DXIMAGE_FILEFORMAT ff = D3DXIFF_BMP;
    if (size >= 8 && std::memcmp(data, "\x89PNG", 4) == 0)
        ff = D3DXIFF_PNG;
    else if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8)
        ff = D3DXIFF_JPG;
    else if (size >= 2 && data[0] == 'B' && data[1] == 'M')
        ff = D3DXIFF_BMP;
    else
        ff = D3DXIFF_TGA;
    if (size < LeastImageFileBytes(data, size, w, h, ff)) {
        error = "image file too short for its size";
        return false;
    }
    out.info.Width = static_cast<UINT>(w);
    out.info.Height = static_cast<UINT>(h);
    out.info.Depth = 1;
    out.info.MipLevels = 1;
    out.info.Format = (comp == 4 || comp == 2) ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    out.info.ResourceType = D3DRTYPE_TEXTURE;
    out.info.ImageFileFormat = ff;
    if (infoOnly)
        return true;
    stbi_uc* px = stbi_load_from_memory(bytes, len, &w, &h, &comp, 4);
    if (!px) {
        error = std::string("unreadable image: ") + stbi_failure_reason();
        out = Image{};
        return false;
    }
    ImageLevel lv;
    lv.width = static_cast<UINT>(w);
    lv.height = static_cast<UINT>(h);
    lv.pitch = lv.width * 4;
    lv.bytes.resize(size_t(lv.pitch) * lv.height);
    // RGBA in memory becomes B, G, R, A (0xAARRGGBB).
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i) {
        lv.bytes[i * 4 + 0] = px[i * 4 + 2];
        lv.bytes[i * 4 + 1] = px[i * 4 + 1];
        lv.bytes[i * 4 + 2] = px[i * 4 + 0];
        lv.bytes[i * 4 + 3] = out.info.Format == D3DFMT_A8R8G8B8 ? px[i * 4 + 3] : 0xFF;
    }
    stbi_image_free(px);
    out.levels.push_back(std::move(lv));
    return true;
}

bool ReadImageFile(const std::string& path, Image& out, std::string& error, bool infoOnly) {
    std::string bytes;
    if (!ReadFile(path, bytes, kMaxImageBytes + 4096)) {
        error = "cannot read " + path;
        out = Image{};
        return false;
    }
    return ReadImage(reinterpret_cast<const BYTE*>(bytes.data()), bytes.size(), out, error, infoOnly);
}

void BuildMips(Image& image, UINT levels) {
    D3DFORMAT fmt = image.info.Format;
    if (IsCompressedFormat(fmt) || image.levels.empty())
        return;
    UINT have = image.info.MipLevels;
    UINT full = FullMipCount(image.info.Width, image.info.Height,
                             image.info.ResourceType == D3DRTYPE_VOLUMETEXTURE ? image.info.Depth : 1);
    levels = std::min(levels == 0 ? full : levels, full);
    if (levels == have)
        return;
    UINT bpp = fmt == D3DFMT_L8 ? 1 : 4;
    std::vector<ImageLevel> result;
    for (UINT f = 0; f < image.faces; ++f) {
        for (UINT l = 0; l < levels; ++l) {
            if (l < have) {
                result.push_back(std::move(image.levels[size_t(f) * have + l]));
                continue;
            }
            const ImageLevel& src = result.back();
            ImageLevel dst;
            dst.width = std::max(1u, src.width / 2);
            dst.height = std::max(1u, src.height / 2);
            dst.depth = std::max(1u, src.depth / 2);
            dst.pitch = dst.width * bpp;
            dst.bytes.resize(size_t(dst.pitch) * dst.height * dst.depth);
            for (UINT z = 0; z < dst.depth; ++z)
                for (UINT y = 0; y < dst.height; ++y)
                    for (UINT x = 0; x < dst.width; ++x)
                        for (UINT c = 0; c < bpp; ++c) {
                            unsigned sum = 0, n = 0;
                            for (UINT dz = 0; dz < 2; ++dz)
                                for (UINT dy = 0; dy < 2; ++dy)
                                    for (UINT dx = 0; dx < 2; ++dx) {
                                        UINT sx = std::min(src.width - 1, x * 2 + dx);
                                        UINT sy = std::min(src.height - 1, y * 2 + dy);
                                        UINT sz = std::min(src.depth - 1, z * 2 + dz);
                                        sum += src.bytes[(size_t(sz) * src.height + sy) * src.pitch + sx * bpp + c];
                                        ++n;
                                    }
                            dst.bytes[(size_t(z) * dst.height + y) * dst.pitch + x * bpp + c] =
                                static_cast<BYTE>((sum + n / 2) / n);
                        }
            result.push_back(std::move(dst));
        }
    }
    image.levels = std::move(result);
    image.info.MipLevels = levels;
}

void ApplyColorKey(Image& image, D3DCOLOR key) {
    D3DFORMAT fmt = image.info.Format;
    if (fmt != D3DFMT_A8R8G8B8 && fmt != D3DFMT_X8R8G8B8)
        return;
    for (auto& lv : image.levels) {
        for (size_t i = 0; i + 3 < lv.bytes.size(); i += 4) {
            BYTE a = fmt == D3DFMT_X8R8G8B8 ? 0xFF : lv.bytes[i + 3];
            D3DCOLOR c = (DWORD(a) << 24) | (DWORD(lv.bytes[i + 2]) << 16) | (DWORD(lv.bytes[i + 1]) << 8) |
                         lv.bytes[i];
            if (c == key)
                std::memset(&lv.bytes[i], 0, 4);
            else if (fmt == D3DFMT_X8R8G8B8)
                lv.bytes[i + 3] = 0xFF;
        }
    }
    image.info.Format = D3DFMT_A8R8G8B8;
}

} // namespace Platform
