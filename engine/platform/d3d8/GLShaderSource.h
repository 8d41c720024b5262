#pragma once
// GLSL for one shader key: Direct3D 8's fixed-function vertex processing (transform, per-vertex
// lighting, vertex fog) and pixel processing (texture stage 0, specular sum, alpha test, fog).
// The same text compiles as GLSL 3.30 core and as GLSL ES 3.00 (WebGL 2); only the first lines
// differ. No GL calls here, so tests can generate and validate every variant without a context.

#include "platform/d3d8/GLShaderKey.h"

#include <string>

enum class GLSLDialect { Core330, Es300 };

struct GLShaderSources {
    std::string vertex;
    std::string fragment;
};

GLShaderSources GenerateShaders(const GLShaderKey& key, GLSLDialect dialect);

// Vertex attribute locations the generated shaders declare.
enum GLAttribute : unsigned {
    kAttributePosition = 0,
    kAttributeNormal = 1,
    kAttributeDiffuse = 2,  // four bytes as stored (B, G, R, A), normalised
    kAttributeSpecular = 3, // likewise
    kAttributeTexCoord = 4,
};

// The uniform block "Device" (std140, binding point 0) as C++ sees it: every member a vec4 or
// a mat4, so std140 adds no padding. Matrices are Direct3D's row-vector matrices in memory
// order; GLSL's M * v with such a matrix is Direct3D's v x M.
struct GLLightUniforms {
    float diffuse[4];
    float specular[4];
    float ambient[4];
    float position[4];    // camera space; w = range
    float direction[4];   // camera space, normalised, the way the light shines; w = falloff
    float attenuation[4]; // a0, a1, a2
    float cone[4];        // cos(theta / 2), cos(phi / 2)
};

struct GLDeviceUniforms {
    float worldView[16];
    float projection[16];   // Direct3D's projection followed by the GL clip-space fix-up
    float normalMatrix[16]; // inverse transpose of world x view (3 x 3 used)
    float materialDiffuse[4];
    float materialAmbient[4];
    float materialSpecular[4];
    float materialEmissive[4];
    float ambient[4]; // the AMBIENT state
    float fogColour[4];
    float fog[4]; // end, scale, density: linear f = clamp((end - d) * scale, 0, 1)
    float specularPower;
    float alphaReference; // 0..255
    float opaqueTexture;  // 1 if the texture has no alpha: its texels read alpha 1
    float unused;         // keeps the lights on a 16-byte boundary
    GLLightUniforms lights[GLShaderKey::kLights];
};
static_assert(sizeof(GLDeviceUniforms) == (3 * 16 + 8 * 4 + 8 * 7 * 4) * sizeof(float));
