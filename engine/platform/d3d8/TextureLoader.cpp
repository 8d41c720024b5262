// The texture-file loader: file bytes through the Windows-services file calls (so paths in the
// system's own form work), decoded by SDL2_image, converted to 32-bit, resampled to the asked
// size with an area-weighted filter, then CreateTexture and LockRect on the given device.

#include "platform/d3d8/D3D8.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <stb_image_resize.h>

#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

// Larger files are not pictures this loader is meant for.
constexpr std::size_t kLargestFile = 64u << 20;

struct SurfaceDeleter {
    void operator()(SDL_Surface* surface) const { SDL_FreeSurface(surface); }
};
using Surface = std::unique_ptr<SDL_Surface, SurfaceDeleter>;

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
    constexpr DWORD kChunk = 1u << 16;
    for (;;) {
        const std::size_t size = bytes.size();
        if (size >= kLargestFile) {
            return false;
        }
        bytes.resize(size + kChunk);
        DWORD got = 0;
        const BOOL full = ReadFile(file.get(), bytes.data() + size, kChunk, &got, nullptr);
        bytes.resize(size + got);
        if (!full) {
            return true; // a short read is the end of the file
        }
    }
}

Surface Decode(const std::vector<unsigned char>& bytes) {
    if (bytes.empty()) {
        return nullptr;
    }
    static const bool initialised = (IMG_Init(IMG_INIT_JPG | IMG_INIT_PNG), true);
    (void)initialised;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (stream == nullptr) {
        return nullptr;
    }
    return Surface(IMG_Load_RW(stream, 1));
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
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(fileName, bytes)) {
        return D3DERR_NOTAVAILABLE;
    }
    Surface decoded = Decode(bytes);
    if (!decoded || decoded->w <= 0 || decoded->h <= 0) {
        return D3DXERR_INVALIDDATA;
    }
    const bool hasAlpha =
        SDL_ISPIXELFORMAT_ALPHA(decoded->format->format) ||
        (decoded->format->palette != nullptr && SDL_HasColorKey(decoded.get()) == SDL_TRUE);
    // 0xAARRGGBB words, alpha 0xFF where the picture has none.
    Surface argb(SDL_ConvertSurfaceFormat(decoded.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    decoded.reset();
    if (!argb) {
        return E_OUTOFMEMORY;
    }
    if (format == D3DFMT_UNKNOWN) {
        format = hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
    }
    if (width == 0 || width == D3DX_DEFAULT) {
        width = static_cast<UINT>(argb->w);
    }
    if (height == 0 || height == D3DX_DEFAULT) {
        height = static_cast<UINT>(argb->h);
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
    const auto* source = static_cast<const unsigned char*>(argb->pixels);
    bool resampled = true;
    if (static_cast<UINT>(argb->w) == width && static_cast<UINT>(argb->h) == height) {
        for (UINT y = 0; y < height; ++y) {
            std::memcpy(target + static_cast<std::size_t>(y) * locked.Pitch,
                        source + static_cast<std::size_t>(y) * argb->pitch,
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
        resampled = stbir_resize(source, argb->w, argb->h, argb->pitch, target,
                                 static_cast<int>(width), static_cast<int>(height), locked.Pitch,
                                 STBIR_TYPE_UINT8, 4, STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP,
                                 STBIR_EDGE_CLAMP, pick(argb->w, width), pick(argb->h, height),
                                 STBIR_COLORSPACE_LINEAR, nullptr) != 0;
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
