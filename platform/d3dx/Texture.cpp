// Textures from image files, image information, and surfaces saved to files.
#include <stb/stb_image_write.h>

#include <cstring>

#include "platform/d3dx/ImageFile.h"
#include "platform/gfx/GLResources.h"
#include "platform/os/Paths.h"

namespace {

thread_local std::string t_imageError;

HRESULT Fail(const std::string& why, HRESULT hr = D3DXERR_INVALIDDATA) {
    t_imageError = why;
    return hr;
}

HRESULT Load(LPCSTR srcFile, Platform::Image& image, bool infoOnly = false) {
    if (!srcFile)
        return Fail("no file name", D3DERR_INVALIDCALL);
    std::string error;
    if (!Platform::FileExists(srcFile))
        return Fail(std::string(srcFile) + ": file not found", D3DERR_NOTAVAILABLE);
    if (!Platform::ReadImageFile(srcFile, image, error, infoOnly))
        return Fail(std::string(srcFile) + ": " + error);
    t_imageError.clear();
    return D3D_OK;
}

void CopyRows(const Platform::ImageLevel& src, D3DLOCKED_RECT& dst, D3DFORMAT format) {
    UINT rows = Platform::IsCompressedFormat(format) ? (src.height + 3) / 4 : src.height;
    for (UINT r = 0; r < rows; ++r)
        std::memcpy(static_cast<BYTE*>(dst.pBits) + size_t(r) * dst.Pitch, src.bytes.data() + size_t(r) * src.pitch,
                    src.pitch);
}

} // namespace

const char* D3DXGetLastImageError() { return t_imageError.c_str(); }

HRESULT D3DXGetImageInfoFromFileA(LPCSTR srcFile, D3DXIMAGE_INFO* info) {
    if (!info)
        return D3DERR_INVALIDCALL;
    Platform::Image image;
    HRESULT hr = Load(srcFile, image, true);
    if (SUCCEEDED(hr))
        *info = image.info;
    return hr;
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* device, LPCSTR srcFile, UINT width, UINT height,
                                     UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool, DWORD, DWORD,
                                     D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo, PALETTEENTRY*,
                                     IDirect3DTexture9** texture) {
    if (!device || !texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    Platform::Image image;
    HRESULT hr = Load(srcFile, image);
    if (FAILED(hr))
        return hr;
    if (image.info.ResourceType != D3DRTYPE_TEXTURE)
        return Fail(std::string(srcFile) + ": not a 2D image");
    if ((width != 0 && width != D3DX_DEFAULT && width != image.info.Width) ||
        (height != 0 && height != D3DX_DEFAULT && height != image.info.Height))
        return Fail(std::string(srcFile) + ": resizing is not supported", D3DERR_INVALIDCALL);
    if (srcInfo)
        *srcInfo = image.info;
    if (colorKey)
        Platform::ApplyColorKey(image, colorKey);
    UINT levels = (mipLevels == D3DX_DEFAULT || mipLevels == 0) ? 0 : mipLevels;
    if (mipLevels == D3DX_FROM_FILE)
        levels = image.info.MipLevels;
    if (!Platform::IsCompressedFormat(image.info.Format))
        Platform::BuildMips(image, levels);
    else if (levels == 0 || levels > image.info.MipLevels)
        levels = image.info.MipLevels;
    levels = levels == 0 ? image.info.MipLevels : std::min(levels, image.info.MipLevels);
    D3DFORMAT fmt = image.info.Format;
    if (format != D3DFMT_UNKNOWN && format != D3DFMT_FROM_FILE && format != fmt)
        return Fail(std::string(srcFile) + ": format conversion is not supported", D3DERR_INVALIDCALL);
    IDirect3DTexture9* t = nullptr;
    hr = device->CreateTexture(image.info.Width, image.info.Height, levels, usage, fmt, pool, &t, nullptr);
    if (FAILED(hr))
        return Fail(std::string(srcFile) + ": the device refused the texture", hr);
    for (UINT l = 0; l < levels && l < t->GetLevelCount(); ++l) {
        D3DLOCKED_RECT r;
        if (FAILED(t->LockRect(l, &r, nullptr, 0)))
            continue;
        CopyRows(image.levels[l], r, fmt);
        t->UnlockRect(l);
    }
    *texture = t;
    return D3D_OK;
}

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, IDirect3DTexture9** texture) {
    return D3DXCreateTextureFromFileExA(device, srcFile, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                        D3DFMT_UNKNOWN, D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr,
                                        nullptr, texture);
}

HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, IDirect3DCubeTexture9** texture) {
    if (!device || !texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    Platform::Image image;
    HRESULT hr = Load(srcFile, image);
    if (FAILED(hr))
        return hr;
    if (image.info.ResourceType != D3DRTYPE_CUBETEXTURE)
        return Fail(std::string(srcFile) + ": not a cube map");
    IDirect3DCubeTexture9* t = nullptr;
    hr = device->CreateCubeTexture(image.info.Width, image.info.MipLevels, 0, image.info.Format, D3DPOOL_MANAGED, &t,
                                   nullptr);
    if (FAILED(hr))
        return Fail(std::string(srcFile) + ": the device refused the texture", hr);
    for (UINT f = 0; f < 6; ++f)
        for (UINT l = 0; l < image.info.MipLevels && l < t->GetLevelCount(); ++l) {
            D3DLOCKED_RECT r;
            auto face = static_cast<D3DCUBEMAP_FACES>(f);
            if (FAILED(t->LockRect(face, l, &r, nullptr, 0)))
                continue;
            CopyRows(image.levels[size_t(f) * image.info.MipLevels + l], r, image.info.Format);
            t->UnlockRect(face, l);
        }
    *texture = t;
    return D3D_OK;
}

HRESULT D3DXCreateVolumeTextureFromFileA(IDirect3DDevice9* device, LPCSTR srcFile,
                                         IDirect3DVolumeTexture9** texture) {
    if (!device || !texture)
        return D3DERR_INVALIDCALL;
    *texture = nullptr;
    Platform::Image image;
    HRESULT hr = Load(srcFile, image);
    if (FAILED(hr))
        return hr;
    if (image.info.ResourceType != D3DRTYPE_VOLUMETEXTURE)
        return Fail(std::string(srcFile) + ": not a volume");
    IDirect3DVolumeTexture9* t = nullptr;
    hr = device->CreateVolumeTexture(image.info.Width, image.info.Height, image.info.Depth, image.info.MipLevels, 0,
                                     image.info.Format, D3DPOOL_MANAGED, &t, nullptr);
    if (FAILED(hr))
        return Fail(std::string(srcFile) + ": the device refused the texture", hr);
    for (UINT l = 0; l < image.info.MipLevels && l < t->GetLevelCount(); ++l) {
        D3DLOCKED_BOX b;
        if (FAILED(t->LockBox(l, &b, nullptr, 0)))
            continue;
        const auto& src = image.levels[l];
        std::memcpy(b.pBits, src.bytes.data(), std::min<size_t>(src.bytes.size(), size_t(b.SlicePitch) * src.depth));
        t->UnlockBox(l);
    }
    *texture = t;
    return D3D_OK;
}

HRESULT D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT format, IDirect3DSurface9* srcSurface,
                               const PALETTEENTRY*, const RECT* srcRect) {
    if (!destFile || !srcSurface || srcRect)
        return D3DERR_INVALIDCALL;
    std::vector<DWORD> px;
    UINT w = 0, h = 0;
    if (!Platform::ReadSurfacePixels(srcSurface, px, w, h))
        return Fail("the surface cannot be read", D3DERR_INVALIDCALL);
    std::vector<BYTE> rgb(size_t(w) * h * 3);
    for (size_t i = 0; i < px.size(); ++i) {
        rgb[i * 3 + 0] = static_cast<BYTE>(px[i] >> 16);
        rgb[i * 3 + 1] = static_cast<BYTE>(px[i] >> 8);
        rgb[i * 3 + 2] = static_cast<BYTE>(px[i]);
    }
    std::string path = Platform::NativePath(destFile);
    int ok = 0;
    int iw = static_cast<int>(w), ih = static_cast<int>(h);
    switch (format) {
    case D3DXIFF_JPG: ok = stbi_write_jpg(path.c_str(), iw, ih, 3, rgb.data(), 90); break;
    case D3DXIFF_BMP: ok = stbi_write_bmp(path.c_str(), iw, ih, 3, rgb.data()); break;
    case D3DXIFF_PNG: ok = stbi_write_png(path.c_str(), iw, ih, 3, rgb.data(), iw * 3); break;
    case D3DXIFF_TGA: ok = stbi_write_tga(path.c_str(), iw, ih, 3, rgb.data()); break;
    default: return Fail("unsupported file format", D3DERR_INVALIDCALL);
    }
    if (!ok)
        return Fail(std::string("cannot write ") + destFile, E_FAIL);
    t_imageError.clear();
    return D3D_OK;
}
