#pragma once
// One call made on a test double of the Direct3D layer, in a form tests compare directly:
//
//   EXPECT_THAT(device.Calls(), Contains(Call("SetRenderState", D3DRS_LIGHTING, FALSE)));
//   EXPECT_EQ(device.CallsNamed("SetTexture")[0], CallOn(texture, "SetTexture", 0));
//
// Numeric arguments are kept as doubles, which hold every DWORD and every float exactly.
// Pointer arguments that name an object (texture, buffer) go to `object`; records passed by
// pointer (matrix, light, material, presentation parameters) are copied into the payload
// fields, which equality does not compare.

#include "platform/d3d8/D3D8.h"

#include <ostream>
#include <string>
#include <vector>

struct RecordedCall {
    std::string name;
    std::vector<double> args;
    const void* object = nullptr;

    D3DMATRIX matrix{};
    D3DLIGHT8 light{};
    D3DMATERIAL8 material{};
    D3DPRESENT_PARAMETERS parameters{};

    bool operator==(const RecordedCall& other) const {
        return name == other.name && args == other.args && object == other.object;
    }
};

// "SetRenderState(137, 0)", with "@object" when there is one.
std::string ToString(const RecordedCall& call);
void PrintTo(const RecordedCall& call, std::ostream* out);

template <class... Args> RecordedCall Call(std::string name, Args... args) {
    return RecordedCall{std::move(name), {static_cast<double>(args)...}};
}

template <class... Args> RecordedCall CallOn(const void* object, std::string name, Args... args) {
    RecordedCall call{std::move(name), {static_cast<double>(args)...}};
    call.object = object;
    return call;
}
