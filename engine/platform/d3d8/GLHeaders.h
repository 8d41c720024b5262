#pragma once
// The OpenGL API the device uses: what OpenGL 3.3 core and OpenGL ES 3.0 (WebGL 2) share. A
// desktop build declares the core profile's entry points, linked straight from libGL; an ES or
// browser build (VELLOMIRE_GLES, or Emscripten) takes the ES 3.0 header instead. The few calls
// that differ between the two are wrapped here.

#if defined(__EMSCRIPTEN__) || defined(VELLOMIRE_GLES)
#include <GLES3/gl3.h>
inline constexpr bool kOpenGLES = true;
#else
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>
inline constexpr bool kOpenGLES = false;
#endif

inline void GLClearDepth(float depth) {
#if defined(__EMSCRIPTEN__) || defined(VELLOMIRE_GLES)
    glClearDepthf(depth);
#else
    glClearDepth(static_cast<double>(depth));
#endif
}

// Flat shading takes a triangle's colour from its first vertex, as Direct3D does. ES has no
// choice and takes the last.
inline void GLFirstVertexProvokes() {
#if !defined(__EMSCRIPTEN__) && !defined(VELLOMIRE_GLES)
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
#endif
}
