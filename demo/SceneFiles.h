#pragma once
// The files a scene loads in Init. Each file is named once, as a `DataFile` whose failure
// caption ("<Name> (Scene): Tried to load <kind>: <path>") is composed at compile time, so
// the caption stays a static text; the loaders release the whole scene when a load fails.

#include "demo/Scene.h"
#include "platform/win32/Windows.h"

#include <array>
#include <cstddef>

class Mesh;
class Texture;

// A file under the working directory and the caption its failure is shown with.
struct DataFile {
    const char* path;
    const char* caption;
};

// A string literal that can be a template argument.
template <std::size_t N> struct FixedText {
    char text[N]{};

    consteval FixedText(const char (&literal)[N]) {
        for (std::size_t i = 0; i < N; ++i) {
            text[i] = literal[i];
        }
    }
};

// The parts joined into one static, null-terminated text.
template <FixedText... Parts> struct JoinedText {
    static constexpr auto value = [] {
        std::array<char, (sizeof(Parts.text) + ...) - sizeof...(Parts) + 1> joined{};
        std::size_t at = 0;
        for (const char* part : {Parts.text...}) {
            for (; *part != '\0'; ++part) {
                joined[at++] = *part;
            }
        }
        return joined;
    }();
};

// The texts of the scene called `Name`.
template <FixedText Name> struct SceneFiles {
    // "<Name> (Scene)", the caption of the scene's own refusals.
    static constexpr const char* shortCaption = JoinedText<Name, " (Scene)">::value.data();

    template <FixedText Kind, FixedText Path>
    static constexpr DataFile file{
        Path.text, JoinedText<Name, " (Scene): Tried to load ", Kind, ": ", Path>::value.data()};

    template <FixedText Path> static constexpr DataFile mesh = file<"mesh", Path>;
    template <FixedText Path> static constexpr DataFile texture = file<"texture", Path>;
    template <FixedText Path> static constexpr DataFile heightmap = file<"heightmap", Path>;
};

// Each loads `file` into an object the scene has made; a failure releases `scene` and
// answers with the loader's description under the file's caption, success with `sceneOk`.
SceneResult LoadMesh(Scene& scene, Mesh& mesh, const DataFile& file, float scale);
SceneResult LoadHeightmap(Scene& scene, Mesh& mesh, const DataFile& file, float divisor, int width,
                          int depth);
SceneResult LoadTexture(Scene& scene, Texture& texture, const DataFile& file, UINT width,
                        UINT height);
