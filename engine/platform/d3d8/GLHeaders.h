#pragma once
// Legacy OpenGL with the entry points of later versions declared; the device needs a
// compatibility-profile context (framebuffer objects, fog coordinates, combine, BGRA arrays).

#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/gl.h>
#include <GL/glext.h>
