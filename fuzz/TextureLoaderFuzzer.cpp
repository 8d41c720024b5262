// Any byte string as a texture file, through the real texture-file loader (every format it
// sniffs: BMP, JPEG, PNG): it either refuses the file and makes no texture, or makes one
// texture of the asked size, opaque where the format says it has no alpha.

#include "FuzzInputFile.h"
#include "platform/d3d8/D3D8.h"
#include "support/RecordingDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const char* path = WriteFuzzInput(data, size);
    RecordingDevice device;
    IDirect3DTexture8* texture = nullptr;
    const HRESULT result =
        D3DXCreateTextureFromFileExA(&device, path, 64, 32, 1, 0, D3DFMT_UNKNOWN, D3DPOOL_MANAGED,
                                     D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
    if (FAILED(result)) {
        if (texture != nullptr || device.CountOf("CreateTexture") != 0)
            __builtin_trap();
        return 0;
    }
    auto* made = static_cast<RecordingTexture*>(texture);
    if (made == nullptr || made->width != 64 || made->height != 32 ||
        made->texels.size() != 64 * 32)
        __builtin_trap();
    if (made->format == D3DFMT_X8R8G8B8) {
        for (std::uint32_t texel : made->texels) {
            if (texel >> 24 != 0xFF)
                __builtin_trap();
        }
    }
    texture->Release();
    return 0;
}
