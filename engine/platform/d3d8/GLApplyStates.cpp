// Applying the recorded states to GL at a draw, only the groups that changed since the last.

#include "platform/d3d8/GLDevice.h"

#include <algorithm>
#include <cstring>

namespace {

// Direct3D's camera space looks along +z, GL's eye space along -z. Mirroring z between the two
// (in the modelview and back in the projection) leaves the picture unchanged and makes GL's
// eye-space lighting, including the non-local viewer, see Direct3D's geometry.
constexpr D3DMATRIX kFlipZ{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, -1, 0}, {0, 0, 0, 1}}};

const GLfloat* Floats(const D3DMATRIX& matrix) {
    return &matrix.m[0][0];
}

GLenum BlendFactor(DWORD blend) {
    switch (blend) {
    case D3DBLEND_ZERO:
        return GL_ZERO;
    case D3DBLEND_ONE:
        return GL_ONE;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
        return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
        return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
        return GL_SRC_ALPHA_SATURATE;
    default:
        return GL_ONE;
    }
}

GLenum CompareFunction(DWORD compare) {
    // Both APIs list NEVER, LESS, EQUAL, LEQUAL, GREATER, NOTEQUAL, GEQUAL, ALWAYS in order.
    if (compare < D3DCMP_NEVER || compare > D3DCMP_ALWAYS) {
        return GL_ALWAYS;
    }
    return GL_NEVER + (compare - D3DCMP_NEVER);
}

GLint Filter(DWORD filter) {
    return filter <= D3DTEXF_POINT ? GL_NEAREST : GL_LINEAR;
}

GLint Wrap(DWORD address) {
    switch (address) {
    case D3DTADDRESS_MIRROR:
        return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
        return GL_CLAMP_TO_EDGE;
    default:
        return GL_REPEAT;
    }
}

void ColourOf(D3DCOLOR colour, GLfloat out[4]) {
    out[0] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(colour & 0xFF) / 255.0f;
    out[3] = static_cast<float>((colour >> 24) & 0xFF) / 255.0f;
}
} // namespace

void GLDevice::ApplyStates() {
    if (dirty_ == 0) {
        return;
    }
    if (dirty_ & kDirtyDepth) {
        ApplyDepth();
    }
    if (dirty_ & kDirtyBlend) {
        ApplyBlend();
    }
    if (dirty_ & kDirtyCull) {
        ApplyCull();
    }
    if (dirty_ & kDirtyShade) {
        glShadeModel(RenderState(D3DRS_SHADEMODE) == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
    }
    if (dirty_ & kDirtyProjection) {
        ApplyProjection();
    }
    if (dirty_ & (kDirtyWorld | kDirtyViewLights)) {
        ApplyModelView();
    }
    if (dirty_ & kDirtyLighting) {
        ApplyLighting();
    }
    if (dirty_ & kDirtyFog) {
        ApplyFog();
    }
    if (dirty_ & kDirtyCombine) {
        ApplyCombine();
    }
    if (dirty_ & kDirtyTexture) {
        ApplyTexture();
    }
    dirty_ = 0;
}

void GLDevice::ApplyDepth() {
    if (RenderState(D3DRS_ZENABLE) != D3DZB_FALSE) {
        glEnable(GL_DEPTH_TEST);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    glDepthFunc(CompareFunction(RenderState(D3DRS_ZFUNC)));
    glDepthMask(RenderState(D3DRS_ZWRITEENABLE) ? GL_TRUE : GL_FALSE);
}

void GLDevice::ApplyBlend() {
    if (RenderState(D3DRS_ALPHABLENDENABLE)) {
        glEnable(GL_BLEND);
    } else {
        glDisable(GL_BLEND);
    }
    glBlendFunc(BlendFactor(RenderState(D3DRS_SRCBLEND)),
                BlendFactor(RenderState(D3DRS_DESTBLEND)));
    if (RenderState(D3DRS_ALPHATESTENABLE)) {
        glEnable(GL_ALPHA_TEST);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
    glAlphaFunc(CompareFunction(RenderState(kAlphaFuncState)),
                static_cast<float>(RenderState(kAlphaRefState) & 0xFF) / 255.0f);
}

void GLDevice::ApplyCull() {
    switch (RenderState(D3DRS_CULLMODE)) {
    case D3DCULL_NONE:
        glDisable(GL_CULL_FACE);
        break;
    case D3DCULL_CW:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_FRONT);
        break;
    default:
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        break;
    }
}

void GLDevice::ApplyLighting() {
    const bool lighting = RenderState(D3DRS_LIGHTING) != FALSE;
    const bool specular = RenderState(D3DRS_SPECULARENABLE) != FALSE;
    if (lighting) {
        glEnable(GL_LIGHTING);
    } else {
        glDisable(GL_LIGHTING);
    }
    GLfloat ambient[4];
    ColourOf(RenderState(D3DRS_AMBIENT), ambient);
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, RenderState(D3DRS_LOCALVIEWER) ? GL_TRUE : GL_FALSE);
    if (RenderState(D3DRS_NORMALIZENORMALS)) {
        glEnable(GL_NORMALIZE);
    } else {
        glDisable(GL_NORMALIZE);
    }
    if (lighting && specular) {
        glEnable(GL_COLOR_SUM);
    } else {
        glDisable(GL_COLOR_SUM);
    }

    // Material first, with colour tracking off: GL leaves a formerly tracked property at the
    // last vertex colour when tracking stops.
    glDisable(GL_COLOR_MATERIAL);
    const GLfloat noSpecular[4] = {0, 0, 0, 0};
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, &material_.Diffuse.r);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, &material_.Ambient.r);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular ? &material_.Specular.r : noSpecular);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, &material_.Emissive.r);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(material_.Power, 0.0f, 128.0f));

    const bool vertexColour = RenderState(D3DRS_COLORVERTEX) && (fvf_ & D3DFVF_DIFFUSE) != 0;
    const auto fromColour = [&](D3DRENDERSTATETYPE source) {
        return vertexColour && RenderState(source) == D3DMCS_COLOR1;
    };
    const bool diffuse = fromColour(D3DRS_DIFFUSEMATERIALSOURCE);
    const bool ambientSource = fromColour(D3DRS_AMBIENTMATERIALSOURCE);
    GLenum tracked = 0;
    if (diffuse && ambientSource) {
        tracked = GL_AMBIENT_AND_DIFFUSE;
    } else if (diffuse) {
        tracked = GL_DIFFUSE;
    } else if (ambientSource) {
        tracked = GL_AMBIENT;
    } else if (fromColour(D3DRS_EMISSIVEMATERIALSOURCE)) {
        tracked = GL_EMISSION;
    }
    if (tracked != 0) {
        glColorMaterial(GL_FRONT_AND_BACK, tracked);
        glEnable(GL_COLOR_MATERIAL);
    }
}

void GLDevice::ApplyProjection() {
    // Maps Direct3D's clip space onto GL's: z to 2z - w (depth 0..1 becomes -1..1); y mirrored,
    // so the colour buffer holds the picture top row first and GL's fill rule, which favours
    // the edges nearest row 0, becomes Direct3D's top-left rule; and everything half a pixel
    // right and down, since Direct3D puts pixel centres at integer coordinates and GL at
    // half-integers.
    const float w = static_cast<float>(renderWidth_);
    const float h = static_cast<float>(renderHeight_);
    const D3DMATRIX fix{{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, 2, 0}, {1.0f / w, 1.0f / h, -1, 1}}};
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(Floats(fix));
    glMultMatrixf(Floats(projection_));
    glMultMatrixf(Floats(kFlipZ));
    glMatrixMode(GL_MODELVIEW);
    glViewport(0, 0, renderWidth_, renderHeight_);
}

void GLDevice::ApplyModelView() {
    // Row vectors: v x world x view is GL's (view^T)(world^T) v; memory order needs no transpose.
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(Floats(kFlipZ));
    glMultMatrixf(Floats(view_));
    if (dirty_ & kDirtyViewLights) {
        // GL transforms light positions by the modelview current when they are given.
        for (DWORD i = 0; i < kMaxLights; ++i) {
            const GLenum id = GL_LIGHT0 + i;
            const LightSlot& slot = lights_[i];
            if (!slot.enabled) {
                glDisable(id);
                continue;
            }
            const D3DLIGHT8& l = slot.light;
            glEnable(id);
            glLightfv(id, GL_DIFFUSE, &l.Diffuse.r);
            glLightfv(id, GL_SPECULAR, &l.Specular.r);
            glLightfv(id, GL_AMBIENT, &l.Ambient.r);
            if (l.Type == D3DLIGHT_DIRECTIONAL) {
                const GLfloat towards[4] = {-l.Direction.x, -l.Direction.y, -l.Direction.z, 0};
                glLightfv(id, GL_POSITION, towards);
                glLightf(id, GL_SPOT_CUTOFF, 180.0f);
                glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
                glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
                glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);
                continue;
            }
            const GLfloat position[4] = {l.Position.x, l.Position.y, l.Position.z, 1};
            glLightfv(id, GL_POSITION, position);
            const bool noAttenuation =
                l.Attenuation0 == 0 && l.Attenuation1 == 0 && l.Attenuation2 == 0;
            glLightf(id, GL_CONSTANT_ATTENUATION, noAttenuation ? 1.0f : l.Attenuation0);
            glLightf(id, GL_LINEAR_ATTENUATION, l.Attenuation1);
            glLightf(id, GL_QUADRATIC_ATTENUATION, l.Attenuation2);
            if (l.Type == D3DLIGHT_SPOT) {
                const GLfloat direction[3] = {l.Direction.x, l.Direction.y, l.Direction.z};
                glLightfv(id, GL_SPOT_DIRECTION, direction);
                const float halfAngle = l.Phi * 0.5f * 57.29578f;
                glLightf(id, GL_SPOT_CUTOFF, std::clamp(halfAngle, 0.0f, 90.0f));
                glLightf(id, GL_SPOT_EXPONENT, std::clamp(l.Falloff, 0.0f, 128.0f));
            } else {
                glLightf(id, GL_SPOT_CUTOFF, 180.0f);
            }
        }
    }
    glMultMatrixf(Floats(world_));
}

bool GLDevice::VertexFogActive() const {
    return RenderState(D3DRS_FOGENABLE) && RenderState(D3DRS_FOGTABLEMODE) == D3DFOG_NONE &&
           RenderState(D3DRS_FOGVERTEXMODE) == D3DFOG_LINEAR;
}

void GLDevice::ApplyFog() {
    const DWORD table = RenderState(D3DRS_FOGTABLEMODE);
    const DWORD vertex = RenderState(D3DRS_FOGVERTEXMODE);
    if (!RenderState(D3DRS_FOGENABLE) || (table == D3DFOG_NONE && vertex == D3DFOG_NONE)) {
        glDisable(GL_FOG);
        return;
    }
    glEnable(GL_FOG);
    GLfloat colour[4];
    ColourOf(RenderState(D3DRS_FOGCOLOR), colour);
    glFogfv(GL_FOG_COLOR, colour);
    if (VertexFogActive()) {
        // The draw computes f per vertex and passes 1 - f: GL's linear fog over 0..1 gives f.
        glFogi(GL_FOG_COORD_SRC, GL_FOG_COORD);
        glFogi(GL_FOG_MODE, GL_LINEAR);
        glFogf(GL_FOG_START, 0.0f);
        glFogf(GL_FOG_END, 1.0f);
        return;
    }
    const DWORD mode = table != D3DFOG_NONE ? table : vertex;
    glFogi(GL_FOG_COORD_SRC, GL_FRAGMENT_DEPTH);
    glFogi(GL_FOG_MODE, mode == D3DFOG_EXP ? GL_EXP : mode == D3DFOG_EXP2 ? GL_EXP2 : GL_LINEAR);
    glFogf(GL_FOG_START, RenderStateFloat(D3DRS_FOGSTART));
    glFogf(GL_FOG_END, RenderStateFloat(D3DRS_FOGEND));
    glFogf(GL_FOG_DENSITY, RenderStateFloat(D3DRS_FOGDENSITY));
    const bool radial = table == D3DFOG_NONE && RenderState(D3DRS_RANGEFOGENABLE);
    glFogi(GL_FOG_DISTANCE_MODE_NV, radial ? GL_EYE_RADIAL_NV : GL_EYE_PLANE_ABSOLUTE_NV);
}

void GLDevice::ApplyCombine() {
    const auto& ss = stageStates_[0];
    const auto source = [](DWORD argument) {
        return (argument & 0xF) == D3DTA_TEXTURE ? GL_TEXTURE : GL_PRIMARY_COLOR;
    };
    // Returns the GL combine function and its two sources for one Direct3D operation.
    const auto operation = [&](DWORD op, DWORD arg1, DWORD arg2, GLint& function, GLint& s0,
                               GLint& s1) {
        s0 = s1 = GL_PRIMARY_COLOR;
        switch (op) {
        case D3DTOP_SELECTARG1:
            function = GL_REPLACE;
            s0 = source(arg1);
            break;
        case D3DTOP_SELECTARG2:
            function = GL_REPLACE;
            s0 = source(arg2);
            break;
        case D3DTOP_MODULATE:
            function = GL_MODULATE;
            s0 = source(arg1);
            s1 = source(arg2);
            break;
        default:
            function = GL_REPLACE;
            break; // a disabled stage passes the diffuse colour
        }
    };
    const DWORD colourOp = ss[D3DTSS_COLOROP];
    GLint rgb = 0, rgb0 = 0, rgb1 = 0, alpha = 0, alpha0 = 0, alpha1 = 0;
    operation(colourOp, ss[D3DTSS_COLORARG1], ss[D3DTSS_COLORARG2], rgb, rgb0, rgb1);
    operation(colourOp == D3DTOP_DISABLE ? D3DTOP_DISABLE : ss[D3DTSS_ALPHAOP],
              ss[D3DTSS_ALPHAARG1], ss[D3DTSS_ALPHAARG2], alpha, alpha0, alpha1);
    glActiveTexture(GL_TEXTURE0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, rgb);
    glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_RGB, rgb0);
    glTexEnvi(GL_TEXTURE_ENV, GL_SRC1_RGB, rgb1);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, alpha);
    glTexEnvi(GL_TEXTURE_ENV, GL_SRC0_ALPHA, alpha0);
    glTexEnvi(GL_TEXTURE_ENV, GL_SRC1_ALPHA, alpha1);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
}

void GLDevice::ApplyTexture() {
    glActiveTexture(GL_TEXTURE0);
    if (texture_ == nullptr) {
        glBindTexture(GL_TEXTURE_2D, whiteTexture_);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, texture_->Name());
    // Filters and addressing are stage state in Direct3D and texture state in GL: give them
    // to whichever texture is bound. One level, so no mip-map filter.
    const auto& ss = stageStates_[0];
    GLSamplerState& applied = texture_->Sampler();
    const GLSamplerState wanted{Filter(ss[D3DTSS_MINFILTER]), Filter(ss[D3DTSS_MAGFILTER]),
                                Wrap(ss[D3DTSS_ADDRESSU]), Wrap(ss[D3DTSS_ADDRESSV])};
    if (applied.minFilter != wanted.minFilter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, wanted.minFilter);
    }
    if (applied.magFilter != wanted.magFilter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, wanted.magFilter);
    }
    if (applied.wrapS != wanted.wrapS) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wanted.wrapS);
    }
    if (applied.wrapT != wanted.wrapT) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wanted.wrapT);
    }
    applied = wanted;
}
