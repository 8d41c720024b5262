#include "platform/d3d8/GLPrograms.h"

#include <cstdio>

#include <string>

namespace {

// Whether a shader compiled or a program linked (GL asks both the same way); if not, its log
// goes to stderr and the object is deleted.
template <typename GetStatus, typename GetLog, typename Delete>
bool Built(GLuint object, GLenum status, GetStatus getStatus, GetLog getLog, Delete remove,
           const char* what) {
    GLint ok = GL_FALSE;
    getStatus(object, status, &ok);
    if (ok == GL_TRUE) {
        return true;
    }
    char log[1024] = {};
    getLog(object, sizeof log, nullptr, log);
    std::fprintf(stderr, "GLSL %s: %s\n", what, log);
    remove(object);
    return false;
}

GLuint Compile(GLenum stage, const std::string& source) {
    const GLuint shader = glCreateShader(stage);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    const bool built =
        Built(shader, GL_COMPILE_STATUS, glGetShaderiv, glGetShaderInfoLog, glDeleteShader,
              stage == GL_VERTEX_SHADER ? "vertex shader" : "fragment shader");
    return built ? shader : 0;
}

} // namespace

GLuint GLPrograms::Get(const GLShaderKey& key) {
    const std::uint64_t packed = key.Packed();
    const auto found = programs_.find(packed);
    if (found != programs_.end()) {
        return found->second;
    }
    const GLuint program = Build(key);
    programs_.emplace(packed, program); // a failure too, so it is not retried every draw
    return program;
}

GLuint GLPrograms::Build(const GLShaderKey& key) const {
    const GLShaderSources sources = GenerateShaders(key, dialect_);
    const GLuint vertex = Compile(GL_VERTEX_SHADER, sources.vertex);
    const GLuint fragment = Compile(GL_FRAGMENT_SHADER, sources.fragment);
    GLuint program = 0;
    if (vertex != 0 && fragment != 0) {
        program = glCreateProgram();
        glAttachShader(program, vertex);
        glAttachShader(program, fragment);
        glLinkProgram(program);
        if (!Built(program, GL_LINK_STATUS, glGetProgramiv, glGetProgramInfoLog, glDeleteProgram,
                   "program")) {
            program = 0;
        }
    }
    glDeleteShader(vertex);
    glDeleteShader(fragment);
    if (program != 0) {
        // Binding point 0 and texture unit 0, given here since GLSL ES 3.00 cannot say so.
        glUniformBlockBinding(program, glGetUniformBlockIndex(program, "Device"), 0);
        GLint current = 0;
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        glUseProgram(program);
        glUniform1i(glGetUniformLocation(program, "stageTexture"), 0);
        glUseProgram(static_cast<GLuint>(current));
    }
    return program;
}

void GLPrograms::Release() {
    for (const auto& [key, program] : programs_) {
        glDeleteProgram(program);
    }
    programs_.clear();
}
