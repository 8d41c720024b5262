// Writes the GLSL of one key. Each `if` below is one state of GLShaderKey choosing lines of the
// shader; the formulas are those of the Direct3D 8/9 documentation (lighting mathematics,
// attenuation and spotlight factor, fog formulas), in Direct3D's left-handed camera space.

#include "platform/d3d8/GLShaderSource.h"

namespace {

const char* const kUniformBlock = R"(
struct Light {
    vec4 diffuse;
    vec4 specular;
    vec4 ambient;
    vec4 position;
    vec4 direction;
    vec4 attenuation;
    vec4 cone;
};
layout(std140) uniform Device {
    mat4 worldView;
    mat4 projection;
    mat4 normalMatrix;
    vec4 materialDiffuse;
    vec4 materialAmbient;
    vec4 materialSpecular;
    vec4 materialEmissive;
    vec4 ambient;
    vec4 fogColour;
    vec4 fog;
    float specularPower;
    float alphaReference;
    float opaqueTexture;
    float unused;
    Light lights[8];
};
)";

// Light functions: the sums they add to, and the attenuation and spot factors.
const char* const kLightFunctions = R"(
vec3 diffuseSum;
vec3 ambientSum;
vec3 specularSum;

// 1 / (a0 + a1 d + a2 d^2); all three zero is a division by zero, taken as a very large
// number so the light saturates what it reaches instead of giving NaN.
float Attenuation(Light light, float d) {
    if (d > light.position.w) {
        return 0.0;
    }
    float divisor = light.attenuation.x + light.attenuation.y * d + light.attenuation.z * d * d;
    return 1.0 / max(divisor, 1e-30);
}

// Full inside theta, nothing outside phi, ((rho - cos(phi/2)) / (cos(theta/2) - cos(phi/2)))
// to the power falloff between.
float SpotFactor(Light light, vec3 towardsLight) {
    float rho = dot(-towardsLight, light.direction.xyz);
    if (rho > light.cone.x) {
        return 1.0;
    }
    if (rho <= light.cone.y) {
        return 0.0;
    }
    return pow((rho - light.cone.y) / (light.cone.x - light.cone.y), light.direction.w);
}

void AddLight(Light light, vec3 normal, vec3 towardsLight, vec3 towardsEye, float factor) {
    ambientSum += light.ambient.rgb * factor;
    float nDotL = dot(normal, towardsLight);
    if (nDotL <= 0.0) {
        return;
    }
    diffuseSum += light.diffuse.rgb * nDotL * factor;
#ifdef SPECULAR
    float nDotH = dot(normal, normalize(towardsEye + towardsLight));
    if (nDotH > 0.0) {
        specularSum += light.specular.rgb * pow(nDotH, specularPower) * factor;
    }
#endif
}
)";

const char* Source(GLColourSource source) {
    switch (source) {
    case GLColourSource::VertexDiffuse:
        return "vertexDiffuse";
    case GLColourSource::VertexSpecular:
        return "vertexSpecular";
    default:
        return nullptr;
    }
}

std::string ColourOf(GLColourSource source, const char* material) {
    const char* vertex = Source(source);
    return vertex != nullptr ? vertex : material;
}

std::string LightLines(int index, GLLightKind kind) {
    const std::string light = "lights[" + std::to_string(index) + "]";
    switch (kind) {
    case GLLightKind::Directional:
        return "    AddLight(" + light + ", normal, -" + light +
               ".direction.xyz, towardsEye, 1.0);\n";
    case GLLightKind::Point:
    case GLLightKind::Spot: {
        std::string text = "    {\n"
                           "        vec3 toLight = " +
                           light +
                           ".position.xyz - eye.xyz;\n"
                           "        float d = length(toLight);\n"
                           "        vec3 towardsLight = d > 0.0 ? toLight / d : vec3(0.0);\n"
                           "        float factor = Attenuation(" +
                           light + ", d);\n";
        if (kind == GLLightKind::Spot) {
            text += "        factor *= SpotFactor(" + light + ", towardsLight);\n";
        }
        text +=
            "        AddLight(" + light + ", normal, towardsLight, towardsEye, factor);\n    }\n";
        return text;
    }
    default:
        return {};
    }
}

// f from a distance d (vertex fog) or depth (table fog).
std::string FogFactor(GLFogFormula formula, const char* d) {
    const std::string distance = d;
    switch (formula) {
    case GLFogFormula::Exp:
        return "exp(-fog.z * " + distance + ")";
    case GLFogFormula::Exp2:
        return "exp(-(fog.z * " + distance + ") * (fog.z * " + distance + "))";
    default:
        return "clamp((fog.x - " + distance + ") * fog.y, 0.0, 1.0)";
    }
}

std::string VertexShader(const GLShaderKey& key, const std::string& header) {
    const char* interpolation = key.flat ? "flat out" : "out";
    std::string s = header;
    s += kUniformBlock;
    s += "layout(location = 0) in vec3 inPosition;\n"
         "layout(location = 1) in vec3 inNormal;\n"
         "layout(location = 2) in vec4 inDiffuse;\n"
         "layout(location = 3) in vec4 inSpecular;\n"
         "layout(location = 4) in vec2 inTexCoord;\n";
    s += std::string(interpolation) + " vec4 diffuseColour;\n";
    s += std::string(interpolation) + " vec4 specularColour;\n";
    s += "out vec2 texCoord;\n";
    if (key.fog == GLFogKind::Vertex) {
        s += "out float fogFactor;\n";
    }
    if (key.lighting) {
        if (key.specular) {
            s += "#define SPECULAR 1\n";
        }
        s += kLightFunctions;
    }
    s += "void main() {\n"
         "    vec4 eye = worldView * vec4(inPosition, 1.0);\n"
         "    gl_Position = projection * eye;\n"
         "    texCoord = inTexCoord;\n"
         // Colours arrive as stored, B, G, R, A.
         "    vec4 vertexDiffuse = inDiffuse.bgra;\n"
         "    vec4 vertexSpecular = inSpecular.bgra;\n";
    if (!key.lighting) {
        s += "    diffuseColour = vertexDiffuse;\n"
             "    specularColour = vertexSpecular;\n";
    } else {
        s += "    vec3 normal = mat3(normalMatrix) * inNormal;\n";
        if (key.normalizeNormals) {
            s += "    normal = normalize(normal);\n";
        }
        // The viewer at infinity looks along +z: towards it is -z.
        s += key.localViewer ? "    vec3 towardsEye = normalize(-eye.xyz);\n"
                             : "    vec3 towardsEye = vec3(0.0, 0.0, -1.0);\n";
        s += "    diffuseSum = vec3(0.0);\n"
             "    ambientSum = vec3(0.0);\n"
             "    specularSum = vec3(0.0);\n";
        for (int i = 0; i < GLShaderKey::kLights; ++i) {
            s += LightLines(i, key.lights[static_cast<std::size_t>(i)]);
        }
        s += "    vec4 diffuseReflect = " + ColourOf(key.diffuseSource, "materialDiffuse") + ";\n";
        s += "    vec3 ambientReflect = " + ColourOf(key.ambientSource, "materialAmbient") +
             ".rgb;\n";
        s += "    vec3 emissive = " + ColourOf(key.emissiveSource, "materialEmissive") + ".rgb;\n";
        s += "    diffuseColour = vec4(clamp(emissive + ambientReflect * (ambient.rgb + "
             "ambientSum) + diffuseReflect.rgb * diffuseSum, 0.0, 1.0), diffuseReflect.a);\n";
        if (key.specular) {
            s += "    vec3 specularReflect = " + ColourOf(key.specularSource, "materialSpecular") +
                 ".rgb;\n";
            s += "    specularColour = vec4(clamp(specularReflect * specularSum, 0.0, 1.0), "
                 "vertexSpecular.a);\n";
        } else {
            s += "    specularColour = vec4(0.0, 0.0, 0.0, vertexSpecular.a);\n";
        }
    }
    if (key.fog == GLFogKind::Vertex) {
        s += key.rangeFog ? "    float distance = length(eye.xyz);\n"
                          : "    float distance = abs(eye.z);\n";
        s += "    fogFactor = " + FogFactor(key.fogFormula, "distance") + ";\n";
    }
    s += "}\n";
    return s;
}

std::string StageArgument(GLStageArg argument, const char* channels) {
    return std::string(argument == GLStageArg::Texture ? "texel." : "diffuseColour.") + channels;
}

std::string StageOperation(GLStageOp op, GLStageArg arg1, GLStageArg arg2, const char* channels) {
    switch (op) {
    case GLStageOp::SelectArg1:
        return StageArgument(arg1, channels);
    case GLStageOp::SelectArg2:
        return StageArgument(arg2, channels);
    case GLStageOp::Modulate:
        return StageArgument(arg1, channels) + " * " + StageArgument(arg2, channels);
    default:
        return StageArgument(GLStageArg::Diffuse, channels);
    }
}

bool UsesTexture(GLStageOp op, GLStageArg arg1, GLStageArg arg2) {
    switch (op) {
    case GLStageOp::SelectArg1:
        return arg1 == GLStageArg::Texture;
    case GLStageOp::SelectArg2:
        return arg2 == GLStageArg::Texture;
    case GLStageOp::Modulate:
        return arg1 == GLStageArg::Texture || arg2 == GLStageArg::Texture;
    default:
        return false;
    }
}

// The alpha test passes when "alpha <op> reference" holds, on 8-bit values as Direct3D
// compares them. Index: D3DCMPFUNC from LESS (2) to GREATEREQUAL (7).
const char* const kAlphaCompare[] = {"<", "==", "<=", ">", "!=", ">="};

std::string FragmentShader(const GLShaderKey& key, const std::string& header) {
    const char* interpolation = key.flat ? "flat in" : "in";
    std::string s = header;
    s += kUniformBlock;
    s += std::string(interpolation) + " vec4 diffuseColour;\n";
    s += std::string(interpolation) + " vec4 specularColour;\n";
    s += "in vec2 texCoord;\n";
    if (key.fog == GLFogKind::Vertex) {
        s += "in float fogFactor;\n";
    }
    s += "uniform sampler2D stageTexture;\n"
         "out vec4 pixel;\n"
         "void main() {\n";
    // A disabled colour operation disables the alpha operation too.
    const GLStageOp alphaOp = key.colourOp == GLStageOp::Disable ? GLStageOp::Disable : key.alphaOp;
    if (UsesTexture(key.colourOp, key.colourArg1, key.colourArg2) ||
        UsesTexture(alphaOp, key.alphaArg1, key.alphaArg2)) {
        // Texels are stored B, G, R, A; a texture without alpha reads alpha 1.
        s += "    vec4 texel = texture(stageTexture, texCoord).bgra;\n"
             "    texel.a = max(texel.a, opaqueTexture);\n";
    }
    s +=
        "    vec3 colour = " + StageOperation(key.colourOp, key.colourArg1, key.colourArg2, "rgb") +
        ";\n";
    s += "    float alpha = " + StageOperation(alphaOp, key.alphaArg1, key.alphaArg2, "a") + ";\n";
    if (key.specular) {
        // The colour sum is clamped before fog.
        s += "    colour = clamp(colour + specularColour.rgb, 0.0, 1.0);\n";
    }
    if (key.alphaFunc == 1) { // NEVER
        s += "    discard;\n";
    } else if (key.alphaFunc >= 2 && key.alphaFunc <= 7) {
        s += "    if (!(floor(alpha * 255.0 + 0.5) " +
             std::string(kAlphaCompare[key.alphaFunc - 2]) +
             " alphaReference)) {\n        discard;\n    }\n";
    }
    switch (key.fog) {
    case GLFogKind::Vertex:
        s += "    float f = fogFactor;\n";
        break;
    case GLFogKind::Table:
        s += "    float f = " + FogFactor(key.fogFormula, "gl_FragCoord.z") + ";\n";
        break;
    case GLFogKind::SpecularAlpha:
        s += "    float f = specularColour.a;\n";
        break;
    default:
        break;
    }
    if (key.fog != GLFogKind::None) {
        s += "    colour = mix(fogColour.rgb, colour, f);\n";
    }
    s += "    pixel = vec4(colour, alpha);\n"
         "}\n";
    return s;
}

} // namespace

GLShaderSources GenerateShaders(const GLShaderKey& key, GLSLDialect dialect) {
    std::string header =
        dialect == GLSLDialect::Es300 ? "#version 300 es\n" : "#version 330 core\n";
    header += "precision highp float;\nprecision highp int;\n";
    return {VertexShader(key, header), FragmentShader(key, header)};
}
