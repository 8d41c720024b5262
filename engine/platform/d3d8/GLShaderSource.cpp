// Writes the GLSL of one key. Each `if` below is one state of GLShaderKey choosing lines of the
// shader; the formulas are those of the Direct3D 8/9 documentation (lighting mathematics,
// attenuation and spotlight factor, fog formulas), in Direct3D's left-handed camera space.

#include "platform/d3d8/GLShaderSource.h"

#include <cstddef>
#include <initializer_list>
#include <string_view>
#include <type_traits>

// Never defined: a pattern whose holes and arguments differ in number calls it at compile time,
// which is not a constant expression, so the build fails there.
void HolesAndArgumentsDiffer();

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

// A line or an expression of GLSL with "{}" holes, their number checked when it is compiled.
template <std::size_t Arguments> struct Pattern {
    consteval Pattern(const char* pattern) : text(pattern) {
        std::size_t holes = 0;
        for (std::size_t at = text.find("{}"); at != std::string_view::npos;
             at = text.find("{}", at + 2)) {
            ++holes;
        }
        if (holes != Arguments) {
            HolesAndArgumentsDiffer();
        }
    }
    std::string_view text;
};

std::string Piece(std::string_view text) {
    return std::string(text);
}
std::string Piece(int number) {
    return std::to_string(number);
}

std::string Fill(std::string_view pattern, std::initializer_list<std::string> pieces) {
    std::string text;
    auto piece = pieces.begin();
    std::size_t from = 0;
    for (std::size_t hole = pattern.find("{}"); hole != std::string_view::npos;
         hole = pattern.find("{}", from)) {
        text.append(pattern.substr(from, hole - from));
        text += *piece++;
        from = hole + 2;
    }
    text.append(pattern.substr(from));
    return text;
}

// The pattern with each "{}" replaced by the next argument, a string or a number.
template <class... Args>
std::string Format(std::type_identity_t<Pattern<sizeof...(Args)>> pattern, const Args&... args) {
    return Fill(pattern.text, {Piece(args)...});
}

// Appends one line of GLSL, written as Format takes it.
template <class... Args>
void Line(std::string& s, std::type_identity_t<Pattern<sizeof...(Args)>> pattern,
          const Args&... args) {
    s += Fill(pattern.text, {Piece(args)...});
    s += '\n';
}

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

std::string_view ColourOf(GLColourSource source, const char* material) {
    const char* vertex = Source(source);
    return vertex != nullptr ? vertex : material;
}

void LightLines(std::string& s, int index, GLLightKind kind) {
    const std::string light = Format("lights[{}]", index);
    switch (kind) {
    case GLLightKind::Directional:
        Line(s, "    AddLight({}, normal, -{}.direction.xyz, towardsEye, 1.0);", light, light);
        break;
    case GLLightKind::Point:
    case GLLightKind::Spot:
        Line(s, "    {");
        Line(s, "        vec3 toLight = {}.position.xyz - eye.xyz;", light);
        Line(s, "        float d = length(toLight);");
        Line(s, "        vec3 towardsLight = d > 0.0 ? toLight / d : vec3(0.0);");
        Line(s, "        float factor = Attenuation({}, d);", light);
        if (kind == GLLightKind::Spot) {
            Line(s, "        factor *= SpotFactor({}, towardsLight);", light);
        }
        Line(s, "        AddLight({}, normal, towardsLight, towardsEye, factor);", light);
        Line(s, "    }");
        break;
    default:
        break;
    }
}

// f from a distance d (vertex fog) or depth (table fog).
std::string FogFactor(GLFogFormula formula, std::string_view d) {
    switch (formula) {
    case GLFogFormula::Exp:
        return Format("exp(-fog.z * {})", d);
    case GLFogFormula::Exp2:
        return Format("exp(-(fog.z * {}) * (fog.z * {}))", d, d);
    default:
        return Format("clamp((fog.x - {}) * fog.y, 0.0, 1.0)", d);
    }
}

void LitColours(std::string& s, const GLShaderKey& key) {
    Line(s, "    vec3 normal = mat3(normalMatrix) * inNormal;");
    if (key.normalizeNormals) {
        // A zero normal (none in the vertex, or flattened by the matrix) stays zero: it meets
        // every light at a dot product of 0, where normalize() would give NaN.
        Line(s, "    normal = dot(normal, normal) > 0.0 ? normalize(normal) : normal;");
    }
    // The viewer at infinity looks along +z: towards it is -z.
    if (key.localViewer) {
        Line(s, "    vec3 towardsEye = normalize(-eye.xyz);");
    } else {
        Line(s, "    vec3 towardsEye = vec3(0.0, 0.0, -1.0);");
    }
    Line(s, "    diffuseSum = vec3(0.0);");
    Line(s, "    ambientSum = vec3(0.0);");
    Line(s, "    specularSum = vec3(0.0);");
    for (int i = 0; i < GLShaderKey::kLights; ++i) {
        LightLines(s, i, key.lights[static_cast<std::size_t>(i)]);
    }
    Line(s, "    vec4 diffuseReflect = {};", ColourOf(key.diffuseSource, "materialDiffuse"));
    Line(s, "    vec3 ambientReflect = {}.rgb;", ColourOf(key.ambientSource, "materialAmbient"));
    Line(s, "    vec3 emissive = {}.rgb;", ColourOf(key.emissiveSource, "materialEmissive"));
    Line(s, "    vec3 lit = emissive + ambientReflect * (ambient.rgb + ambientSum);");
    Line(s, "    lit += diffuseReflect.rgb * diffuseSum;");
    Line(s, "    diffuseColour = vec4(clamp(lit, 0.0, 1.0), diffuseReflect.a);");
    if (key.specular) {
        Line(s, "    vec3 specularLit = {}.rgb * specularSum;",
             ColourOf(key.specularSource, "materialSpecular"));
        Line(s, "    specularColour = vec4(clamp(specularLit, 0.0, 1.0), vertexSpecular.a);");
    } else {
        Line(s, "    specularColour = vec4(0.0, 0.0, 0.0, vertexSpecular.a);");
    }
}

// Vertex fog and the specular alpha give f per vertex. It is interpolated even under flat
// shading, as Direct3D does: only the colours are the first vertex's.
bool FogFactorPerVertex(GLFogKind fog) {
    return fog == GLFogKind::Vertex || fog == GLFogKind::SpecularAlpha;
}

std::string VertexShader(const GLShaderKey& key, const std::string& header) {
    const char* interpolation = key.flat ? "flat out" : "out";
    std::string s = header;
    s += kUniformBlock;
    Line(s, "layout(location = 0) in vec3 inPosition;");
    Line(s, "layout(location = 1) in vec3 inNormal;");
    Line(s, "layout(location = 2) in vec4 inDiffuse;");
    Line(s, "layout(location = 3) in vec4 inSpecular;");
    Line(s, "layout(location = 4) in vec2 inTexCoord;");
    Line(s, "{} vec4 diffuseColour;", interpolation);
    Line(s, "{} vec4 specularColour;", interpolation);
    Line(s, "out vec2 texCoord;");
    if (FogFactorPerVertex(key.fog)) {
        Line(s, "out float fogFactor;");
    }
    if (key.lighting) {
        if (key.specular) {
            Line(s, "#define SPECULAR 1");
        }
        s += kLightFunctions;
    }
    Line(s, "void main() {");
    Line(s, "    vec4 eye = worldView * vec4(inPosition, 1.0);");
    Line(s, "    gl_Position = projection * eye;");
    Line(s, "    texCoord = inTexCoord;");
    // Colours arrive as stored, B, G, R, A.
    Line(s, "    vec4 vertexDiffuse = inDiffuse.bgra;");
    Line(s, "    vec4 vertexSpecular = inSpecular.bgra;");
    if (key.lighting) {
        LitColours(s, key);
    } else {
        Line(s, "    diffuseColour = vertexDiffuse;");
        Line(s, "    specularColour = vertexSpecular;");
    }
    if (key.fog == GLFogKind::Vertex) {
        if (key.rangeFog) {
            Line(s, "    float distance = length(eye.xyz);");
        } else {
            Line(s, "    float distance = abs(eye.z);");
        }
        Line(s, "    fogFactor = {};", FogFactor(key.fogFormula, "distance"));
    } else if (key.fog == GLFogKind::SpecularAlpha) {
        Line(s, "    fogFactor = vertexSpecular.a;");
    }
    Line(s, "}");
    return s;
}

std::string StageArgument(GLStageArg argument, const char* channels) {
    return Format("{}.{}", argument == GLStageArg::Texture ? "texel" : "diffuseColour", channels);
}

std::string StageOperation(GLStageOp op, GLStageArg arg1, GLStageArg arg2, const char* channels) {
    switch (op) {
    case GLStageOp::SelectArg1:
        return StageArgument(arg1, channels);
    case GLStageOp::SelectArg2:
        return StageArgument(arg2, channels);
    case GLStageOp::Modulate:
        return Format("{} * {}", StageArgument(arg1, channels), StageArgument(arg2, channels));
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
    Line(s, "{} vec4 diffuseColour;", interpolation);
    Line(s, "{} vec4 specularColour;", interpolation);
    Line(s, "in vec2 texCoord;");
    if (FogFactorPerVertex(key.fog)) {
        Line(s, "in float fogFactor;");
    }
    Line(s, "uniform sampler2D stageTexture;");
    Line(s, "out vec4 pixel;");
    Line(s, "void main() {");
    // A disabled colour operation disables the alpha operation too.
    const GLStageOp alphaOp = key.colourOp == GLStageOp::Disable ? GLStageOp::Disable : key.alphaOp;
    if (UsesTexture(key.colourOp, key.colourArg1, key.colourArg2) ||
        UsesTexture(alphaOp, key.alphaArg1, key.alphaArg2)) {
        // Texels are stored B, G, R, A; a texture without alpha reads alpha 1.
        Line(s, "    vec4 texel = texture(stageTexture, texCoord).bgra;");
        Line(s, "    texel.a = max(texel.a, opaqueTexture);");
    }
    Line(s, "    vec3 colour = {};",
         StageOperation(key.colourOp, key.colourArg1, key.colourArg2, "rgb"));
    Line(s, "    float alpha = {};", StageOperation(alphaOp, key.alphaArg1, key.alphaArg2, "a"));
    if (key.specular) {
        // The colour sum is clamped before fog.
        Line(s, "    colour = clamp(colour + specularColour.rgb, 0.0, 1.0);");
    }
    if (key.alphaFunc == 1) { // NEVER
        Line(s, "    discard;");
    } else if (key.alphaFunc >= 2 && key.alphaFunc <= 7) {
        Line(s, "    if (!(floor(alpha * 255.0 + 0.5) {} alphaReference)) {",
             kAlphaCompare[key.alphaFunc - 2]);
        Line(s, "        discard;");
        Line(s, "    }");
    }
    switch (key.fog) {
    case GLFogKind::Vertex:
    case GLFogKind::SpecularAlpha:
        Line(s, "    float f = fogFactor;");
        break;
    case GLFogKind::Table:
        Line(s, "    float f = {};", FogFactor(key.fogFormula, "gl_FragCoord.z"));
        break;
    default:
        break;
    }
    if (key.fog != GLFogKind::None) {
        Line(s, "    colour = mix(fogColour.rgb, colour, f);");
    }
    Line(s, "    pixel = vec4(colour, alpha);");
    Line(s, "}");
    return s;
}

} // namespace

GLShaderSources GenerateShaders(const GLShaderKey& key, GLSLDialect dialect) {
    std::string header =
        dialect == GLSLDialect::Es300 ? "#version 300 es\n" : "#version 330 core\n";
    header += "precision highp float;\nprecision highp int;\n";
    return {VertexShader(key, header), FragmentShader(key, header)};
}
