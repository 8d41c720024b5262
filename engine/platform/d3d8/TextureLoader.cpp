// The texture-file loader: file bytes through the Windows-services file calls (so paths in the
// system's own form work), decoded by the BMP, JPEG and PNG decoders (ImageDecoder.h), then
// resampled to the asked size with an area-weighted filter into a texture made with
// CreateTexture and filled through LockRect on the given device.

#include "platform/d3d8/D3D8.h"
#include "platform/d3d8/ImageDecoder.h"

#include <stb_image_resize.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// Larger files are not pictures this loader is meant for.
constexpr std::int64_t kLargestFile = 64 << 20;

struct FileCloser {
    void operator()(void* file) const { CloseHandle(file); }
};

bool ReadWholeFile(LPCSTR fileName, std::vector<unsigned char>& bytes) {
    HANDLE opened = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE || opened == nullptr) {
        return false;
    }
    std::unique_ptr<void, FileCloser> file(opened);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > kLargestFile) {
        return false;
    }
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        return false;
    }
    DWORD got = 0;
    return ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) != 0;
}

} // namespace

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice8* device, LPCSTR fileName, UINT width,
                                     UINT height, UINT, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                     DWORD filter, DWORD, D3DCOLOR, D3DXIMAGE_INFO*, PALETTEENTRY*,
                                     IDirect3DTexture8** texture) {
    if (texture == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    *texture = nullptr;
    if (device == nullptr || fileName == nullptr) {
        return D3DERR_INVALIDCALL;
    }
    DecodedImage image;
    {
        std::vector<unsigned char> bytes;
        if (!ReadWholeFile(fileName, bytes)) {
            return D3DERR_NOTAVAILABLE;
        }
        if (!DecodeImage(bytes, image)) {
            return D3DXERR_INVALIDDATA;
        }
    }
    if (format == D3DFMT_UNKNOWN) {
        format = image.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
    if (width == 0 || width == D3DX_DEFAULT) {
        width = static_cast<UINT>(image.width);
    }
    if (height == 0 || height == D3DX_DEFAULT) {
        height = static_cast<UINT>(image.height);
    }
    // The texture is bounded like the picture, so resampling costs are too.
    if (!ImageSizeAllowed(width, height)) {
        return D3DERR_INVALIDCALL;
    }

    IDirect3DTexture8* created = nullptr;
    HRESULT result = device->CreateTexture(width, height, 1, usage, format, pool, &created);
    if (FAILED(result) || created == nullptr) {
        return FAILED(result) ? result : E_FAIL;
    }
    D3DLOCKED_RECT locked{};
    result = created->LockRect(0, &locked, nullptr, 0);
    if (FAILED(result) || locked.pBits == nullptr) {
        created->Release();
        return FAILED(result) ? result : E_FAIL;
    }
    auto* target = static_cast<unsigned char*>(locked.pBits);
    const auto* source = reinterpret_cast<const unsigned char*>(image.pixels.data());
    const int sourcePitch = image.width * 4;
    bool resampled = true;
    if (static_cast<UINT>(image.width) == width && static_cast<UINT>(image.height) == height) {
        for (UINT y = 0; y < height; ++y) {
            std::memcpy(target + static_cast<std::size_t>(y) * locked.Pitch,
                        source + static_cast<std::size_t>(y) * sourcePitch,
                        static_cast<std::size_t>(width) * 4);
        }
    } else {
        // Area-weighted: a box over the source pixels when shrinking, a tent when enlarging.
        // The four channels are filtered alike (no premultiplication by alpha).
        const auto pick = [filter](int from, UINT to) {
            if ((filter & 0xFF) == D3DX_FILTER_POINT) {
                return STBIR_FILTER_BOX;
            }
            return static_cast<UINT>(from) > to ? STBIR_FILTER_BOX : STBIR_FILTER_TRIANGLE;
        };
        resampled = stbir_resize(source, image.width, image.height, sourcePitch, target,
                                 static_cast<int>(width), static_cast<int>(height), locked.Pitch,
                                 STBIR_TYPE_UINT8, 4, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                 STBIR_EDGE_CLAMP, pick(image.width, width),
                                 pick(image.height, height), STBIR_COLORSPACE_LINEAR, nullptr) != 0;
    }
    if (resampled && format == D3DFMT_X8R8G8B8) {
        for (UINT y = 0; y < height; ++y) {
            auto* row = target + static_cast<std::size_t>(y) * locked.Pitch;
            for (UINT x = 0; x < width; ++x) {
                row[x * 4 + 3] = 0xFF;
            }
        }
    }
    created->UnlockRect(0);
    if (!resampled) {
        created->Release();
        return E_OUTOFMEMORY;
    }
    *texture = created;
    return D3D_OK;
}
