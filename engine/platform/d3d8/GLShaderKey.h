#pragma once
// The recorded states that change the maths of the device's shaders, resolved and packed into
// one 64-bit number: one GLSL program per distinct key (GLShaderSource.cpp writes it,
// GLPrograms.cpp compiles and caches it). Every other state reaches the shaders as a uniform
// (GLDeviceUniforms) and never recompiles anything.

#include <array>
#include <cstdint>

enum class GLLightKind : std::uint8_t { Off, Point, Spot, Directional };

// Where a lighting term takes its colour: the material, or the vertex's diffuse or specular
// colour. A vertex colour the vertex format lacks has already been resolved to Material.
enum class GLColourSource : std::uint8_t { Material, VertexDiffuse, VertexSpecular };

enum class GLFogKind : std::uint8_t {
    None,
    Vertex,        // f per vertex from the camera-space distance, interpolated
    Table,         // f per pixel from the projected depth (0..1)
    SpecularAlpha, // fog on with both modes NONE: f is the specular colour's alpha
};
enum class GLFogFormula : std::uint8_t { Linear, Exp, Exp2 };

// Texture stage 0. CURRENT is the diffuse colour at stage 0, so an argument is one of two.
enum class GLStageOp : std::uint8_t { Disable, SelectArg1, SelectArg2, Modulate };
enum class GLStageArg : std::uint8_t { Diffuse, Texture };

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

    std::uint64_t Packed() const {
        std::uint64_t bits = 0;
        int at = 0;
        const auto put = [&](unsigned value, int width) {
            bits |= static_cast<std::uint64_t>(value) << at;
            at += width;
        };
        put(lighting, 1);
        for (GLLightKind light : lights) {
            put(static_cast<unsigned>(light), 2);
        }
        put(localViewer, 1);
        put(normalizeNormals, 1);
        put(static_cast<unsigned>(diffuseSource), 2);
        put(static_cast<unsigned>(ambientSource), 2);
        put(static_cast<unsigned>(specularSource), 2);
        put(static_cast<unsigned>(emissiveSource), 2);
        put(specular, 1);
        put(static_cast<unsigned>(fog), 2);
        put(static_cast<unsigned>(fogFormula), 2);
        put(rangeFog, 1);
        put(static_cast<unsigned>(colourOp), 2);
        put(static_cast<unsigned>(colourArg1), 1);
        put(static_cast<unsigned>(colourArg2), 1);
        put(static_cast<unsigned>(alphaOp), 2);
        put(static_cast<unsigned>(alphaArg1), 1);
        put(static_cast<unsigned>(alphaArg2), 1);
        put(alphaFunc, 4);
        put(flat, 1);
        return bits; // 50 bits
    }
};
