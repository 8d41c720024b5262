// Applying the recorded states at a draw, only the groups that changed since the last: GL's
// own depth, blend and cull states, the texture binding, the program of the shader key and the
// uniform block.

#include "platform/d3d8/GLDevice.h"

#include <cmath>
#include <cstring>

namespace {

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX m{};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += a.m[r][k] * b.m[k][c];
            }
            m.m[r][c] = sum;
        }
    }
    return m;
}

// The determinant of m without row `row` and column `column`.
float Minor(const D3DMATRIX& m, int row, int column) {
    float s[3][3];
    for (int r = 0, i = 0; r < 4; ++r) {
        if (r == row) {
            continue;
        }
        for (int c = 0, j = 0; c < 4; ++c) {
            if (c != column) {
                s[i][j++] = m.m[r][c];
            }
        }
        ++i;
    }
    return s[0][0] * (s[1][1] * s[2][2] - s[1][2] * s[2][1]) -
           s[0][1] * (s[1][0] * s[2][2] - s[1][2] * s[2][0]) +
           s[0][2] * (s[1][0] * s[2][1] - s[1][1] * s[2][0]);
}

// What carries normals into camera space: the transpose of the inverse of the whole 4 x 4 m, as
// Direct3D computes it, of which the shader uses the upper 3 x 3. For an affine m that is the
// inverse transpose of m's own 3 x 3. A non-affine m (last column not 0, 0, 0, 1) turns normals
// otherwise: one that takes w from z flattens them to nothing, and Direct3D draws such a lit
// primitive black but for its emissive and ambient terms.
// A singular matrix has no inverse: Direct3D then leaves the normals untransformed.
D3DMATRIX NormalMatrix(const D3DMATRIX& m) {
    float det = 0;
    for (int c = 0; c < 4; ++c) {
        const float term = m.m[0][c] * Minor(m, 0, c);
        det = c % 2 == 0 ? det + term : det - term;
    }
    D3DMATRIX n{{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
    if (det == 0 || !std::isfinite(det)) {
        return n;
    }
    // The inverse's transpose is the matrix of cofactors divided by the determinant.
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            const float minor = Minor(m, r, c);
            n.m[r][c] = ((r + c) % 2 == 0 ? minor : -minor) / det;
        }
    }
    return n;
}

void Copy(const D3DMATRIX& matrix, float out[16]) {
    std::memcpy(out, &matrix.m[0][0], 16 * sizeof(float));
}

void Copy(const D3DCOLORVALUE& colour, float out[4]) {
    out[0] = colour.r;
    out[1] = colour.g;
    out[2] = colour.b;
    out[3] = colour.a;
}

void Copy(D3DCOLOR colour, float out[4]) {
    out[0] = static_cast<float>((colour >> 16) & 0xFF) / 255.0f;
    out[1] = static_cast<float>((colour >> 8) & 0xFF) / 255.0f;
    out[2] = static_cast<float>(colour & 0xFF) / 255.0f;
    out[3] = static_cast<float>((colour >> 24) & 0xFF) / 255.0f;
}

// The colour buffer has no alpha: destination alpha is 1, so DESTALPHA is ONE, INVDESTALPHA
// ZERO, and SRCALPHASAT's min(source alpha, 1 - destination alpha) is 0.
GLenum BlendFactor(DWORD blend) {
    switch (blend) {
    case D3DBLEND_ZERO:
    case D3DBLEND_INVDESTALPHA:
    case D3DBLEND_SRCALPHASAT:
        return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
        return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
        return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
        return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
        return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTCOLOR:
        return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
        return GL_ONE_MINUS_DST_COLOR;
    default:
        return GL_ONE; // ONE, DESTALPHA
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

GLStageOp StageOp(DWORD op) {
    switch (op) {
    case D3DTOP_SELECTARG1:
        return GLStageOp::SelectArg1;
    case D3DTOP_SELECTARG2:
        return GLStageOp::SelectArg2;
    case D3DTOP_MODULATE:
        return GLStageOp::Modulate;
    default:
        return GLStageOp::Disable; // passes the diffuse colour on
    }
}

GLStageArg StageArg(DWORD argument) {
    return (argument & 0xF) == D3DTA_TEXTURE ? GLStageArg::Texture : GLStageArg::Diffuse;
}

GLFogFormula FogFormula(DWORD mode) {
    return mode == D3DFOG_EXP    ? GLFogFormula::Exp
           : mode == D3DFOG_EXP2 ? GLFogFormula::Exp2
                                 : GLFogFormula::Linear;
}

} // namespace

bool GLDevice::ApplyStates() {
    if (dirty_ & kDirtyDepth) {
        ApplyDepth();
    }
    if (dirty_ & kDirtyBlend) {
        ApplyBlend();
    }
    if (dirty_ & kDirtyCull) {
        ApplyCull();
    }
    if (dirty_ & kDirtyTexture) {
        ApplyTexture();
    }
    if (dirty_ & kDirtyLayout) {
        ApplyVertexLayout();
    }
    if (dirty_ & kDirtyKey) {
        const GLuint program = programs_.Get(ShaderKey());
        if (program != program_) {
            program_ = program;
            glUseProgram(program);
        }
    }
    if (dirty_ & kDirtyUniforms) {
        FillUniforms();
        glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof uniforms_, &uniforms_);
    }
    dirty_ = 0;
    return program_ != 0;
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

GLShaderKey GLDevice::ShaderKey() const {
    GLShaderKey key;
    const bool hasDiffuse = (fvf_ & D3DFVF_DIFFUSE) != 0;
    const bool hasSpecular = (fvf_ & D3DFVF_SPECULAR) != 0;
    key.lighting = RenderState(D3DRS_LIGHTING) != FALSE;
    key.specular = RenderState(D3DRS_SPECULARENABLE) != FALSE;
    if (key.lighting) {
        for (DWORD i = 0; i < kMaxLights; ++i) {
            const LightSlot& slot = lights_[i];
            GLLightKind kind = GLLightKind::Off;
            if (slot.enabled) {
                kind = slot.light.Type == D3DLIGHT_POINT  ? GLLightKind::Point
                       : slot.light.Type == D3DLIGHT_SPOT ? GLLightKind::Spot
                                                          : GLLightKind::Directional;
            }
            key.lights[i] = kind;
        }
        key.localViewer = RenderState(D3DRS_LOCALVIEWER) != FALSE;
        key.normalizeNormals = RenderState(D3DRS_NORMALIZENORMALS) != FALSE;
        // With colour vertex on, a source names a vertex colour; one the vertex lacks, or any
        // with colour vertex off, is the material's.
        const bool colourVertex = RenderState(D3DRS_COLORVERTEX) != FALSE;
        const auto source = [&](D3DRENDERSTATETYPE state) {
            const DWORD value = RenderState(state);
            if (colourVertex && value == D3DMCS_COLOR1 && hasDiffuse) {
                return GLColourSource::VertexDiffuse;
            }
            if (colourVertex && value == D3DMCS_COLOR2 && hasSpecular) {
                return GLColourSource::VertexSpecular;
            }
            return GLColourSource::Material;
        };
        key.diffuseSource = source(D3DRS_DIFFUSEMATERIALSOURCE);
        key.ambientSource = source(D3DRS_AMBIENTMATERIALSOURCE);
        key.specularSource = source(D3DRS_SPECULARMATERIALSOURCE);
        key.emissiveSource = source(D3DRS_EMISSIVEMATERIALSOURCE);
    }

    if (RenderState(D3DRS_FOGENABLE)) {
        const DWORD table = RenderState(D3DRS_FOGTABLEMODE);
        const DWORD vertex = RenderState(D3DRS_FOGVERTEXMODE);
        if (table != D3DFOG_NONE) {
            key.fog = GLFogKind::Table;
            key.fogFormula = FogFormula(table);
        } else if (vertex != D3DFOG_NONE) {
            key.fog = GLFogKind::Vertex;
            key.fogFormula = FogFormula(vertex);
            key.rangeFog = RenderState(D3DRS_RANGEFOGENABLE) != FALSE;
        } else {
            key.fog = GLFogKind::SpecularAlpha;
        }
    }

    const auto& ss = stageStates_[0];
    key.colourOp = StageOp(ss[D3DTSS_COLOROP]);
    key.colourArg1 = StageArg(ss[D3DTSS_COLORARG1]);
    key.colourArg2 = StageArg(ss[D3DTSS_COLORARG2]);
    key.alphaOp = StageOp(ss[D3DTSS_ALPHAOP]);
    key.alphaArg1 = StageArg(ss[D3DTSS_ALPHAARG1]);
    key.alphaArg2 = StageArg(ss[D3DTSS_ALPHAARG2]);

    const DWORD alphaFunc = RenderState(kAlphaFuncState);
    if (RenderState(D3DRS_ALPHATESTENABLE) && alphaFunc >= D3DCMP_NEVER &&
        alphaFunc < D3DCMP_ALWAYS) {
        key.alphaFunc = static_cast<std::uint8_t>(alphaFunc);
    }
    key.flat = RenderState(D3DRS_SHADEMODE) == D3DSHADE_FLAT;
    return key;
}

void GLDevice::FillUniforms() {
    // Maps Direct3D's clip space onto GL's: z to 2z - w (depth 0..1 becomes -1..1); y mirrored,
    // so the colour buffer holds the picture top row first and GL's fill rule, which favours
    // the edges nearest row 0, becomes Direct3D's top-left rule; and everything half a pixel
    // right and down, since Direct3D puts pixel centres at integer coordinates and GL at
    // half-integers.
    // The half pixel is one of the picture's pixels: a supersampled colour buffer moves by
    // half a block, so the averaged picture lies where a plain one does.
    const float w = static_cast<float>(renderWidth_) / static_cast<float>(supersample_);
    const float h = static_cast<float>(renderHeight_) / static_cast<float>(supersample_);
    const D3DMATRIX fix{{{1, 0, 0, 0}, {0, -1, 0, 0}, {0, 0, 2, 0}, {1.0f / w, 1.0f / h, -1, 1}}};
    const D3DMATRIX worldView = Multiply(world_, view_);
    Copy(worldView, uniforms_.worldView);
    Copy(Multiply(projection_, fix), uniforms_.projection);
    Copy(NormalMatrix(worldView), uniforms_.normalMatrix);

    Copy(material_.Diffuse, uniforms_.materialDiffuse);
    Copy(material_.Ambient, uniforms_.materialAmbient);
    Copy(material_.Specular, uniforms_.materialSpecular);
    Copy(material_.Emissive, uniforms_.materialEmissive);
    Copy(RenderState(D3DRS_AMBIENT), uniforms_.ambient);

    Copy(RenderState(D3DRS_FOGCOLOR), uniforms_.fogColour);
    const float start = RenderStateFloat(D3DRS_FOGSTART);
    const float end = RenderStateFloat(D3DRS_FOGEND);
    // Start equal to end: vertex fog fogs everything (f = 0); table fog is a step at end.
    const bool table = RenderState(D3DRS_FOGTABLEMODE) != D3DFOG_NONE;
    const float scale = end != start ? 1.0f / (end - start) : table ? 1e30f : 0.0f;
    uniforms_.fog[0] = end;
    uniforms_.fog[1] = scale;
    uniforms_.fog[2] = RenderStateFloat(D3DRS_FOGDENSITY);

    uniforms_.specularPower = material_.Power;
    uniforms_.alphaReference = static_cast<float>(RenderState(kAlphaRefState) & 0xFF);
    uniforms_.opaqueTexture = texture_ == nullptr || !texture_->HasAlpha() ? 1.0f : 0.0f;
    FillLightUniforms();
}

void GLDevice::FillLightUniforms() {
    // Light positions and directions are world space; the view alone carries them to camera
    // space.
    const auto& v = view_.m;
    for (DWORD i = 0; i < kMaxLights; ++i) {
        const D3DLIGHT8& l = lights_[i].light;
        GLLightUniforms& out = uniforms_.lights[i];
        Copy(l.Diffuse, out.diffuse);
        Copy(l.Specular, out.specular);
        Copy(l.Ambient, out.ambient);
        const D3DVECTOR& p = l.Position;
        for (int c = 0; c < 3; ++c) {
            out.position[c] = p.x * v[0][c] + p.y * v[1][c] + p.z * v[2][c] + v[3][c];
        }
        out.position[3] = l.Range;
        const D3DVECTOR& d = l.Direction;
        float direction[3];
        for (int c = 0; c < 3; ++c) {
            direction[c] = d.x * v[0][c] + d.y * v[1][c] + d.z * v[2][c];
        }
        const float length = std::sqrt(direction[0] * direction[0] + direction[1] * direction[1] +
                                       direction[2] * direction[2]);
        for (int c = 0; c < 3; ++c) {
            out.direction[c] = length > 0 ? direction[c] / length : 0.0f;
        }
        out.direction[3] = l.Falloff;
        out.attenuation[0] = l.Attenuation0;
        out.attenuation[1] = l.Attenuation1;
        out.attenuation[2] = l.Attenuation2;
        out.attenuation[3] = 0;
        out.cone[0] = std::cos(l.Theta * 0.5f);
        out.cone[1] = std::cos(l.Phi * 0.5f);
        out.cone[2] = out.cone[3] = 0;
    }
}
