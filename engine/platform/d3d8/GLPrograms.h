#pragma once
// The device's GLSL programs: one per shader key, compiled and linked the first time the key is
// drawn with, then kept until the device goes. Needs the device's context to be current.

#include "platform/d3d8/GLHeaders.h"
#include "platform/d3d8/GLShaderKey.h"
#include "platform/d3d8/GLShaderSource.h"

#include <cstdint>
#include <unordered_map>

class GLPrograms {
  public:
    GLPrograms() = default;
    GLPrograms(const GLPrograms&) = delete;
    GLPrograms& operator=(const GLPrograms&) = delete;
    ~GLPrograms() = default; // Release needs the context: the device calls it

    void SetDialect(GLSLDialect dialect) { dialect_ = dialect; }
    // The program of the key, or 0 when it failed to build (logged once per key).
    GLuint Get(const GLShaderKey& key);
    void Release();
    // Drops the programs of a context that lost them.
    void Forget() { programs_.clear(); }
    std::size_t Count() const { return programs_.size(); }

  private:
    GLuint Build(const GLShaderKey& key) const;

    GLSLDialect dialect_ = GLSLDialect::Core330;
    std::unordered_map<std::uint64_t, GLuint> programs_;
};
