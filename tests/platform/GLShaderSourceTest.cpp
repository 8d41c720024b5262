// The generated shaders of every kind of key compile as GLSL 3.30 core and as GLSL ES 3.00
// (what WebGL 2 takes), checked by the reference compiler, glslangValidator; and every member
// of the key has bits of its own in the packed key.

#include "platform/d3d8/GLShaderSource.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

std::vector<GLShaderKey> KeysOfEveryKind() {
    std::vector<GLShaderKey> keys(1); // the device's defaults
    GLShaderKey lit;
    lit.lighting = true;
    lit.lights = {GLLightKind::Directional, GLLightKind::Point, GLLightKind::Spot,
                  GLLightKind::Off,         GLLightKind::Off,   GLLightKind::Off,
                  GLLightKind::Off,         GLLightKind::Spot};
    lit.specular = true;
    lit.localViewer = true;
    lit.normalizeNormals = true;
    lit.diffuseSource = GLColourSource::VertexDiffuse;
    lit.ambientSource = GLColourSource::VertexSpecular;
    keys.push_back(lit);
    lit.specular = false;
    lit.localViewer = false;
    lit.specularSource = GLColourSource::VertexSpecular;
    lit.emissiveSource = GLColourSource::VertexDiffuse;
    lit.flat = true;
    keys.push_back(lit);
    for (GLFogKind fog : {GLFogKind::Vertex, GLFogKind::Table, GLFogKind::SpecularAlpha}) {
        for (GLFogFormula formula : {GLFogFormula::Linear, GLFogFormula::Exp, GLFogFormula::Exp2}) {
            GLShaderKey key;
            key.fog = fog;
            key.fogFormula = formula;
            key.rangeFog = formula == GLFogFormula::Linear;
            key.specular = fog == GLFogKind::Table;
            key.flat = fog == GLFogKind::SpecularAlpha;
            keys.push_back(key);
        }
    }
    for (GLStageOp op :
         {GLStageOp::Disable, GLStageOp::SelectArg1, GLStageOp::SelectArg2, GLStageOp::Modulate}) {
        GLShaderKey key;
        key.colourOp = key.alphaOp = op;
        key.colourArg1 = key.alphaArg2 = GLStageArg::Diffuse;
        key.colourArg2 = key.alphaArg1 = GLStageArg::Texture;
        keys.push_back(key);
    }
    for (std::uint8_t function = 1; function <= 7; ++function) {
        GLShaderKey key;
        key.alphaFunc = function;
        keys.push_back(key);
    }
    return keys;
}

TEST(GLShaderSource, EveryKindOfKeyCompilesAsCoreAndAsES) {
    if (std::system("glslangValidator --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "glslangValidator is not installed (Debian: glslang-tools)";
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vellomire-glsl-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::string command = "glslangValidator";
    int index = 0;
    for (const GLShaderKey& key : KeysOfEveryKind()) {
        for (GLSLDialect dialect : {GLSLDialect::Core330, GLSLDialect::Es300}) {
            const GLShaderSources sources = GenerateShaders(key, dialect);
            const std::string stem = (folder / std::to_string(index++)).string();
            std::ofstream(stem + ".vert") << sources.vertex;
            std::ofstream(stem + ".frag") << sources.fragment;
            command += " " + stem + ".vert " + stem + ".frag";
        }
    }
    const std::string log = (folder / "log").string();
    const int status = std::system((command + " >" + log + " 2>&1").c_str());
    std::ifstream in(log);
    const std::string output((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    std::filesystem::remove_all(folder);
    EXPECT_EQ(status, 0) << output; // names the file and the line of each error
}

} // namespace

namespace {

// Each member (each light of the array) at its largest value alone: the packed key changes,
// in bits no other member touches.
template <class Field> Field Largest() {
    if constexpr (std::is_same_v<Field, bool>) {
        return true;
    } else if constexpr (std::is_enum_v<Field>) {
        return Field::Last;
    } else {
        return 8; // D3DCMP_ALWAYS, the largest alpha function
    }
}

template <class Field>
void ExpectOwnBits(Field& field, std::uint64_t& taken, GLShaderKey& key, int& index) {
    if constexpr (std::is_class_v<Field>) {
        for (auto& element : field) {
            ExpectOwnBits(element, taken, key, index);
        }
    } else {
        const std::uint64_t before = key.Packed();
        const Field saved = field;
        field = field == Largest<Field>() ? Field{} : Largest<Field>();
        const std::uint64_t changed = key.Packed() ^ before;
        field = saved;
        EXPECT_NE(changed, 0u) << "member " << index;
        EXPECT_EQ(changed & taken, 0u) << "member " << index;
        taken |= changed;
        ++index;
    }
}

} // namespace

TEST(GLShaderKey, EveryMemberHasBitsOfItsOwn) {
    GLShaderKey key;
    std::uint64_t taken = 0;
    int index = 0;
    std::apply([&](auto... member) { (ExpectOwnBits(key.*member, taken, key, index), ...); },
               kShaderKeyFields);
    EXPECT_EQ(index, 19 + GLShaderKey::kLights);
}
