#pragma once
// The OpenGL implementation of the Direct3D object; Direct3DCreate8 hands it out.

#include "platform/d3d8/D3D8.h"

// Brings the host's video up (StartGLVideo); null when that fails.
IDirect3D8* CreateGLDirect3D();
