#pragma once
// The recorded states that change the maths of the device's shaders, resolved and packed into
// one 64-bit number: one GLSL program per distinct key (GLShaderSource.cpp writes it,
// GLPrograms.cpp compiles and caches it). Every other state reaches the shaders as a uniform
// (GLDeviceUniforms) and never recompiles anything.

#include <array>
#include <bit>
#include <cstdint>
#include <tuple>
#include <type_traits>

// Each enumeration names its largest value `Last`, from which the key takes its width.
enum class GLLightKind : std::uint8_t { Off, Point, Spot, Directional, Last = Directional };

// Where a lighting term takes its colour: the material, or the vertex's diffuse or specular
// colour. A vertex colour the vertex format lacks has already been resolved to Material.
enum class GLColourSource : std::uint8_t {
    Material,
    VertexDiffuse,
    VertexSpecular,
    Last = VertexSpecular
};

enum class GLFogKind : std::uint8_t {
    None,
    Vertex,        // f per vertex from the camera-space distance, interpolated
    Table,         // f per pixel from the projected depth (0..1)
    SpecularAlpha, // fog on with both modes NONE: f is the vertex's specular alpha, interpolated
    Last = SpecularAlpha
};
enum class GLFogFormula : std::uint8_t { Linear, Exp, Exp2, Last = Exp2 };

// Texture stage 0. CURRENT is the diffuse colour at stage 0, so an argument is one of two.
enum class GLStageOp : std::uint8_t { Disable, SelectArg1, SelectArg2, Modulate, Last = Modulate };
enum class GLStageArg : std::uint8_t { Diffuse, Texture, Last = Texture };

struct GLShaderKey {
    static constexpr int kLights = 8;

    bool lighting = false;
    std::array<GLLightKind, kLights> lights{}; // Off unless lighting is on
    bool localViewer = false;
    bool normalizeNormals = false;
    GLColourSource diffuseSource = GLColourSource::Material;
    GLColourSource ambientSource = GLColourSource::Material;
    GLColourSource specularSource = GLColourSource::Material;
    GLColourSource emissiveSource = GLColourSource::Material;
    bool specular = false; // SPECULARENABLE: the specular colour is added after texturing

    GLFogKind fog = GLFogKind::None;
    GLFogFormula fogFormula = GLFogFormula::Linear;
    bool rangeFog = false; // vertex fog: eye distance instead of |z|

    GLStageOp colourOp = GLStageOp::Modulate;
    GLStageArg colourArg1 = GLStageArg::Texture;
    GLStageArg colourArg2 = GLStageArg::Diffuse;
    GLStageOp alphaOp = GLStageOp::SelectArg1;
    GLStageArg alphaArg1 = GLStageArg::Texture;
    GLStageArg alphaArg2 = GLStageArg::Diffuse;

    std::uint8_t alphaFunc = 0; // D3DCMPFUNC of the alpha test; 0 when off or ALWAYS
    bool flat = false;          // flat shading: colours from the first vertex of a triangle

    std::uint64_t Packed() const;
};

// The bits a member of the key takes: one for a flag, enough for an enumeration's `Last`,
// four for the alpha test's D3DCMPFUNC (0 to 8).
template <class Field>
constexpr int kShaderKeyBits = [] {
    if constexpr (std::is_same_v<Field, bool>) {
        return 1;
    } else if constexpr (std::is_same_v<Field, std::uint8_t>) {
        return 4;
    } else if constexpr (std::is_enum_v<Field>) {
        return static_cast<int>(std::bit_width(static_cast<unsigned>(Field::Last)));
    } else { // an array of them
        return static_cast<int>(std::tuple_size_v<Field>) *
               kShaderKeyBits<typename Field::value_type>;
    }
}();

// Every member of the key, in the order Packed() lays them out from bit 0.
inline constexpr auto kShaderKeyFields = std::make_tuple(
    &GLShaderKey::lighting, &GLShaderKey::lights, &GLShaderKey::localViewer,
    &GLShaderKey::normalizeNormals, &GLShaderKey::diffuseSource, &GLShaderKey::ambientSource,
    &GLShaderKey::specularSource, &GLShaderKey::emissiveSource, &GLShaderKey::specular,
    &GLShaderKey::fog, &GLShaderKey::fogFormula, &GLShaderKey::rangeFog, &GLShaderKey::colourOp,
    &GLShaderKey::colourArg1, &GLShaderKey::colourArg2, &GLShaderKey::alphaOp,
    &GLShaderKey::alphaArg1, &GLShaderKey::alphaArg2, &GLShaderKey::alphaFunc, &GLShaderKey::flat);

template <class Member> struct ShaderKeyMember;
template <class Field> struct ShaderKeyMember<Field GLShaderKey::*> { using Type = Field; };

// The sums over the table of the members' bits and of their bytes.
inline constexpr int kShaderKeyBitCount = std::apply(
    [](auto... member) {
        return (kShaderKeyBits<typename ShaderKeyMember<decltype(member)>::Type> + ...);
    },
    kShaderKeyFields);
inline constexpr std::size_t kShaderKeyFieldBytes = std::apply(
    [](auto... member) { return (sizeof(typename ShaderKeyMember<decltype(member)>::Type) + ...); },
    kShaderKeyFields);

// All members are bytes or arrays of bytes, so the key has no padding and a member left out
// of the table shows as bytes missing.
static_assert(kShaderKeyFieldBytes == sizeof(GLShaderKey), "a member is missing from the table");
static_assert(kShaderKeyBitCount <= 64, "the key no longer fits its 64 bits");

namespace shader_key_detail {

template <class Field> void Put(std::uint64_t& bits, int& at, const Field& value) {
    if constexpr (std::is_enum_v<Field> || std::is_integral_v<Field>) {
        bits |= static_cast<std::uint64_t>(value) << at;
        at += kShaderKeyBits<Field>;
    } else {
        for (const auto& element : value) {
            Put(bits, at, element);
        }
    }
}

} // namespace shader_key_detail

inline std::uint64_t GLShaderKey::Packed() const {
    std::uint64_t bits = 0;
    int at = 0;
    std::apply([&](auto... member) { (shader_key_detail::Put(bits, at, this->*member), ...); },
               kShaderKeyFields);
    return bits;
}
