#include "platform/d3d8/ReadBack.h"

#include "platform/d3d8/GLDevice.h"

bool ReadBack(IDirect3DDevice8* device, ReadBackSource source, ReadBackImage& image) {
    auto* gl = dynamic_cast<GLDevice*>(device);
    return gl != nullptr && gl->ReadBack(source == ReadBackSource::Presented, image);
}
