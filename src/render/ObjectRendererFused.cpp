// The object renderer's fused passes: shadow maps drawn straight into their depth textures,
// both lamps' shadow masks in one geometry pass, and the lit picture (ambient, every lamp and
// the composition through the masks, halo included) in one geometry pass whose vertex stage
// lights each vertex as the fixed-function stage does. The halo source is drawn the same way,
// its lamps held back by their shadow maps. Used on the fused path only; frames these passes
// cannot draw go the classic way (ObjectRenderer.cpp).
#include <GL/glew.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "engine/StageTimer.h"
#include "render/Camera.h"
#include "render/ObjectRenderer.h"
#include "render/ScreenEffects.h"
#include "render/Shader.h"

namespace {

// Texture units the lit and mask programs read.
enum FusedUnit {
    kUnitBase = 0,
    kUnitProjected = 1,
    kUnitReflected = 2,
    kUnitMasks = 3,
    kUnitHalo = 4,
    kUnitShadowMap0 = 5,
    kUnitShadowMap1 = 6,
    kUnitLampBase = 7,
};

constexpr int kMaskBlurPasses = 5;

// What a lit program is built for: the pass, the number of lamps, each surface unit's mode
// and whether the lamps read the base texture apart.
struct LitKind {
    bool haloSource = false;
    int lamps = 0;
    int modes[3] = {kUnitOff, kUnitOff, kUnitOff};
    bool lampBaseApart = false;

    unsigned key() const {
        return (haloSource ? 1u : 0u) | static_cast<unsigned>(lamps) << 1 |
               static_cast<unsigned>(modes[0]) << 3 | static_cast<unsigned>(modes[1]) << 6 |
               static_cast<unsigned>(modes[2]) << 9 | (lampBaseApart ? 1u : 0u) << 12;
    }
    std::string definitions() const {
        std::string text = haloSource ? "#define HALO_SOURCE\n" : "";
        text += "#define LAMPS " + std::to_string(lamps) + "\n";
        text += "#define BASE_MODE " + std::to_string(modes[0]) + "\n";
        text += "#define PROJECTED_MODE " + std::to_string(modes[1]) + "\n";
        text += "#define REFLECTED_MODE " + std::to_string(modes[2]) + "\n";
        text += std::string("#define LAMP_BASE_APART ") + (lampBaseApart ? "1" : "0") + "\n";
        return text;
    }
};

// A lit program with the places of what changes from object to object.
struct LitProgram {
    Shader shader;
    GLint reflectionTurn = -1, darkness = -1;
};

// The masks' own targets, drawn like the window: the geometry pass draws into raw (with its
// depth), the blur's passes go back and forth between the other two.
struct MaskTargets {
    RenderTarget raw, ping, pong;
    int width = 0, height = 0;
    bool usable = false;
};

struct ObjectPrograms {
    Shader masks, maskBlur;
    MaskTargets maskTargets;
    bool usable = false;
    // One lit program for each kind of surface drawn so far, by LitKind::key; null for a kind
    // whose program the driver refused.
    std::map<unsigned, std::unique_ptr<LitProgram>> lit;
    // Linear filtering with a clear border, for a texture read both ways in one draw (0 where
    // the driver has no sampler objects).
    GLuint borderSampler = 0;
};

// The source with definitions added after its #version line.
std::string withDefinitions(const char* source, const std::string& definitions) {
    std::string text(source ? source : "");
    const size_t lineEnd = text.find('\n');
    if (lineEnd == std::string::npos) return text;
    return text.substr(0, lineEnd + 1) + definitions + text.substr(lineEnd + 1);
}

void assignSamplers(const Shader& shader) {
    shader.use();
    shader.set("baseTexture", static_cast<int>(kUnitBase));
    shader.set("projectedTexture", static_cast<int>(kUnitProjected));
    shader.set("reflectedCube", static_cast<int>(kUnitReflected));
    shader.set("masks", static_cast<int>(kUnitMasks));
    shader.set("halo", static_cast<int>(kUnitHalo));
    shader.set("shadowMap0", static_cast<int>(kUnitShadowMap0));
    shader.set("shadowMap1", static_cast<int>(kUnitShadowMap1));
    shader.set("lampBaseTexture", static_cast<int>(kUnitLampBase));
}

void reportClassic(const std::string& error) {
    std::printf("%s: the objects are drawn the classic way.\n", error.c_str());
    std::fflush(stdout);
}

// Built on first use, in the one context the program draws with; kept for the process (its
// programs go with the context).
ObjectPrograms& objectPrograms() {
    static ObjectPrograms* programs = nullptr;
    if (programs != nullptr) return *programs;
    programs = new ObjectPrograms;
    std::string error;
    programs->usable =
        programs->masks.buildFromFiles("object_masks.vert.glsl", "object_masks.frag.glsl",
                                       &error) &&
        programs->maskBlur.buildFromFiles("screen_quad.vert.glsl", "object_mask_blur.frag.glsl",
                                          &error);
    if (!programs->usable) {
        reportClassic(error);
        return *programs;
    }
    assignSamplers(programs->masks);
    programs->maskBlur.use();
    programs->maskBlur.set("source", 0);
    Shader::useNone();
    if (GLEW_VERSION_3_3 || GLEW_ARB_sampler_objects) {
        GLuint& sampler = programs->borderSampler;
        glGenSamplers(1, &sampler);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
        glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
        glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
    return *programs;
}

// The lit program of a kind, built the first time it is asked for; null where the driver
// refuses it (said once).
LitProgram* litProgram(const LitKind& kind) {
    ObjectPrograms& programs = objectPrograms();
    auto found = programs.lit.find(kind.key());
    if (found != programs.lit.end()) return found->second.get();
    auto program = std::make_unique<LitProgram>();
    const std::string definitions = kind.definitions();
    const std::string vertex = withDefinitions(shaderSource("object_lit.vert.glsl"), definitions);
    const std::string fragment =
        withDefinitions(shaderSource("object_lit.frag.glsl"), definitions);
    std::string error;
    if (!program->shader.build(kind.haloSource ? "object halo source" : "object composed",
                               vertex.c_str(), fragment.c_str(), &error)) {
        reportClassic(error);
        program.reset();
    } else {
        assignSamplers(program->shader);
        Shader::useNone();
        program->reflectionTurn = program->shader.uniform("reflectionTurn");
        program->darkness = glGetAttribLocation(program->shader.program(), "darkness");
    }
    LitProgram* result = program.get();
    programs.lit[kind.key()] = std::move(program);
    return result;
}

// A shadow map on a unit for the programs' comparison, as the classic projection sets it.
void bindShadowMap(int unit, GLuint texture) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_COMPARE_R_TO_TEXTURE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_INTENSITY);
}

// The texture environment a surface unit's classic draw gives: off where nothing is bound too
// (an incomplete unit passes the colour on).
int effectiveMode(const Surface& s, int i) {
    if (i >= s.unitCount || s.unitMode[i] == kUnitOff || s.unitTexture[i] == 0) return kUnitOff;
    return s.unitMode[i];
}

// A surface unit's texture with the wrapping and filtering its classic draw gives it: repeat
// on the first unit, a clear border on the second, clamped edges on the reflected cube map.
void bindSurfaceUnit(const Surface& s, int i) {
    if (effectiveMode(s, i) == kUnitOff) return;
    glActiveTexture(GL_TEXTURE0 + i);
    if (i == 2) {
        glBindTexture(GL_TEXTURE_CUBE_MAP, s.unitTexture[i]);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    } else {
        glBindTexture(GL_TEXTURE_2D, s.unitTexture[i]);
        const GLint wrap = i == 0 ? GL_REPEAT : GL_CLAMP_TO_BORDER;
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    }
}

// Whether the second unit reads the base texture too: the lamps' passes then see it with the
// second unit's wrapping.
bool sharesBaseTexture(const Surface& s) {
    return s.unitCount >= 2 && s.unitMode[0] != kUnitOff && s.unitMode[1] != kUnitOff &&
           s.unitTexture[0] != 0 && s.unitTexture[0] == s.unitTexture[1];
}

LitKind kindOf(const Surface& s, int lamps, bool haloSource) {
    LitKind kind;
    kind.haloSource = haloSource;
    kind.lamps = lamps;
    for (int i = 0; i < 3; ++i) kind.modes[i] = effectiveMode(s, i);
    kind.lampBaseApart = sharesBaseTexture(s);
    return kind;
}

void applyCamera(Camera* camera, bool small) {
    if (small)
        camera->applySmall();
    else
        camera->apply();
}

// The masks' targets at the size of the slots they stand in for, made when that size is first
// (or newly) asked for.
bool maskTargetsOfSize(int width, int height) {
    MaskTargets& t = objectPrograms().maskTargets;
    if (t.width == width && t.height == height) return t.usable;
    t.width = width;
    t.height = height;
    std::string error;
    const unsigned colour = RenderTarget::Colour | RenderTarget::LikeWindow;
    t.usable = t.raw.create(width, height, colour | RenderTarget::Depth, &error) &&
               t.ping.create(width, height, colour, &error) &&
               t.pong.create(width, height, colour, &error);
    if (!t.usable) reportClassic(error);
    return t.usable;
}

// A texture read as the slots are by the blur: linear, its border beyond the edges.
void clampLinear(GLuint texture) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
}

// The masks' softening, the blur the classic masks get one by one (progress 0.3, spread 0.1
// both ways, brightness 1.5), pass for pass: each pass one draw into a target, the last one onto
// the picture of the pass before. Returns the texture that holds the result.
GLuint blurMasks(const ScreenEffects& fx, int width, int height) {
    ObjectPrograms& programs = objectPrograms();
    MaskTargets& t = programs.maskTargets;
    const float progress = 0.3f, spread = 0.1f, brightness = 1.5f;
    const float tap = ((1.0f - progress) + progress * brightness) * 1.015625f / 4.0f;
    const float clamped = tap > 1.0f ? 1.0f : tap;
    programs.maskBlur.use();
    programs.maskBlur.set("tapAlpha", std::floor(clamped * 255.0f + 0.5f) / 255.0f);
    programs.maskBlur.set("rowAt", t.raw.rowAt(), t.raw.rowStep());
    pushIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glActiveTexture(GL_TEXTURE0);
    RenderTarget* into[2] = {&t.ping, &t.pong};
    GLuint source = t.raw.colourTexture();
    for (int i = 1; i <= kMaskBlurPasses; ++i) {
        const float d = progress * spread * static_cast<float>(i) / kMaskBlurPasses;
        float offsets[8];
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k) {
                offsets[(j * 2 + k) * 2] = (static_cast<float>(k) * d - d / 2.0f) * fx.uMax;
                offsets[(j * 2 + k) * 2 + 1] = (static_cast<float>(j) * d - d / 2.0f) * fx.vMax;
            }
        programs.maskBlur.setVec2Array("offsets", offsets, 4);
        programs.maskBlur.set("addPrevious", i == kMaskBlurPasses ? 1.0f : 0.0f);
        clampLinear(source);
        RenderTarget& target = *into[(i - 1) % 2];
        target.bind(width, height);
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3f(-1.0f, -1.0f, -1.0f);
        glTexCoord2f(fx.uMax, 0.0f);
        glVertex3f(1.0f, -1.0f, -1.0f);
        glTexCoord2f(fx.uMax, fx.vMax);
        glVertex3f(1.0f, 1.0f, -1.0f);
        glTexCoord2f(0.0f, fx.vMax);
        glVertex3f(-1.0f, 1.0f, -1.0f);
        glEnd();
        target.clearRowAbove();
        source = target.colourTexture();
    }
    Shader::useNone();
    popIdentity();
    clampLinear(source);
    return source;
}

}  // namespace

bool ObjectRenderer::fusedFrameFits(bool skipObjects, bool haloSource) const {
    if (!fused || skipObjects || glIsEnabled(GL_ALPHA_TEST)) return false;
    if (lights.size() > static_cast<size_t>(FusedLamps::kMax)) return false;
    for (const SceneObject* light : lights)
        if (!light->hasShadowMap()) return false;
    const ObjectPrograms& programs = objectPrograms();
    if (!programs.usable) return false;
    const int lamps = static_cast<int>(lights.size());
    for (const auto& o : objects) {
        if (!o->visible || o->faces.empty()) continue;
        if (!o->fusedUnitsFit()) return false;
        if (sharesBaseTexture(o->surface()) && programs.borderSampler == 0) return false;
        if (litProgram(kindOf(o->surface(), lamps, haloSource)) == nullptr) return false;
    }
    return true;
}

void ObjectRenderer::bindLampProjections(bool withShadowMaps) const {
    for (size_t k = 0; k < lights.size() && k < static_cast<size_t>(FusedLamps::kMax); ++k) {
        const int unit = k == 0 ? kUnitShadowMap0 : kUnitShadowMap1;
        glActiveTexture(GL_TEXTURE0 + unit);
        lights[k]->loadProjectionPlanes();
        if (withShadowMaps) bindShadowMap(unit, lights[k]->shadowTexture);
    }
    glActiveTexture(GL_TEXTURE0);
}

void ObjectRenderer::fusedDirectFrame(Camera* camera, bool small) {
    applyCamera(camera, small);
    shadowMapPass(false);
    stagetimer::mark("direct shadow maps");
    fusedLitPass(nullptr);
    stagetimer::mark("direct lit");
    camera->restore();
}

bool ObjectRenderer::fusedMasksFit(const ScreenEffects& fx, bool small) const {
    return lights.empty() || (small ? maskTargetsOfSize(fx.smallGrabWidth, fx.smallGrabHeight)
                                    : maskTargetsOfSize(fx.grabWidth, fx.grabHeight));
}

GLuint ObjectRenderer::fusedMasks(const ScreenEffects& fx) {
    ObjectPrograms& programs = objectPrograms();
    MaskTargets& t = programs.maskTargets;
    const GLuint frame = RenderTarget::boundFramebuffer();
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Drawn like the window, where the classic masks are drawn: each compares its surfaces
    // with their own shadow maps at almost equal depths, where a last bit of rounding turns
    // whole patches over.
    t.raw.bind(viewport[2], viewport[3]);
    glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    // Back faces culled, as the shadow maps leave it for the classic passes.
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    bindLampProjections(true);
    programs.masks.use();
    programs.masks.set("lampCount", static_cast<int>(lights.size()));
    for (auto& o : objects) o->drawPositions();
    Shader::useNone();
    glActiveTexture(GL_TEXTURE0);
    t.raw.clearRowAbove();

    const GLuint masks = blurMasks(fx, viewport[2], viewport[3]);
    glBindFramebuffer(GL_FRAMEBUFFER, frame);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    return masks;
}

void ObjectRenderer::fusedLitPass(const ComposedInputs* composed) {
    ObjectPrograms& programs = objectPrograms();

    // The lamps become OpenGL lights 0 and 1, placed in the camera's view.
    FusedLamps lamps;
    int counter = 0;
    for (SceneObject* light : lights) {
        light->setupLight(counter);
        lamps.position[lamps.count] = light->position;
        lamps.direction[lamps.count] = light->spotDirection;
        ++lamps.count;
    }
    bindLampProjections(composed == nullptr);

    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    if (composed) {
        glActiveTexture(GL_TEXTURE0 + kUnitMasks);
        glBindTexture(GL_TEXTURE_2D, composed->masks);
        glActiveTexture(GL_TEXTURE0 + kUnitHalo);
        glBindTexture(GL_TEXTURE_2D, composed->halo);
    }
    const LitProgram* current = nullptr;
    bool sharedBefore = false;
    for (auto& o : objects) {
        if (!o->visible || o->faces.empty()) continue;
        const Surface& s = o->surface();
        const LitProgram* program = litProgram(kindOf(s, lamps.count, composed == nullptr));
        if (program == nullptr) continue;
        if (program != current) {
            current = program;
            program->shader.use();
            if (composed) {
                program->shader.set("maskAt", composed->maskAt[0], composed->maskAt[1]);
                program->shader.set("maskScale", composed->maskScale[0], composed->maskScale[1]);
                program->shader.set("haloAt", composed->haloAt[0], composed->haloAt[1]);
                program->shader.set("haloScale", composed->haloScale[0], composed->haloScale[1]);
                program->shader.set("haloOn", composed->halo != 0 ? 1.0f : 0.0f);
            }
        }
        for (int i = 0; i < 3; ++i) bindSurfaceUnit(s, i);
        // One texture on both units: repeated for the ambient picture on unit 0, with the
        // border through the sampler on units 1 and 7 (the texture keeps unit 0's wrapping).
        const bool shared = sharesBaseTexture(s);
        if (shared != sharedBefore) {
            const GLuint sampler = shared ? programs.borderSampler : 0;
            glBindSampler(kUnitProjected, sampler);
            glBindSampler(kUnitLampBase, sampler);
            sharedBefore = shared;
        }
        if (shared) {
            glActiveTexture(GL_TEXTURE0 + kUnitBase);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
            glActiveTexture(GL_TEXTURE0 + kUnitLampBase);
            glBindTexture(GL_TEXTURE_2D, s.unitTexture[0]);
        }
        float turn[FusedLamps::kMax][9] = {};
        for (int k = 0; k < lamps.count; ++k) o->thirdUnitTurn(lamps.position[k], turn[k]);
        glUniformMatrix3fv(program->reflectionTurn, FusedLamps::kMax, GL_FALSE, &turn[0][0]);
        o->drawFused(lamps, program->darkness);
    }
    Shader::useNone();
    if (programs.borderSampler != 0) {
        glBindSampler(kUnitProjected, 0);
        glBindSampler(kUnitLampBase, 0);
    }

    // What the classic passes leave behind: light 0 alone, lighting off, unit 0 active with 2D
    // texturing and modulation.
    for (int i = 1; i < 8; ++i) glDisable(GL_LIGHT0 + i);
    glEnable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDepthFunc(GL_LEQUAL);
}

void ObjectRenderer::fusedCompositedFrame(Camera* camera, ScreenEffects& fx, bool smallMasks) {
    fx.useSmallTextures = smallMasks ? 1 : 0;
    applyCamera(camera, smallMasks);
    shadowMapPass(false);
    stagetimer::mark("shadow maps");
    const GLuint masks = lights.empty() ? 0 : fusedMasks(fx);
    stagetimer::mark("shadow masks");
    camera->restore();

    fx.useSmallTextures = 0;
    applyCamera(camera, false);
    ComposedInputs inputs;
    inputs.masks = masks;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const float scaleU = fx.uMax / static_cast<float>(viewport[2] > 0 ? viewport[2] : 1);
    const float scaleV = fx.vMax / static_cast<float>(viewport[3] > 0 ? viewport[3] : 1);
    // The masks' and the halo's textures may keep their rows upside down.
    const RenderTarget& maskTarget = objectPrograms().maskTargets.raw;
    inputs.maskAt[1] = maskTarget.rowAt();
    inputs.maskScale[0] = scaleU;
    inputs.maskScale[1] = scaleV * maskTarget.rowStep();
    const RenderTarget& haloTarget = fx.slotRows(true);
    inputs.haloAt[1] = haloTarget.rowAt();
    inputs.haloScale[0] = scaleU;
    inputs.haloScale[1] = scaleV * haloTarget.rowStep();
    // Where no surface lies the picture is the halo alone: it is put down first, and every
    // surface's fragment replaces it with the whole sum, halo included.
    glDisable(GL_DEPTH_TEST);
    if (fx.validSlot(composedHaloSlot)) {
        inputs.halo = fx.smallGrabTextures[composedHaloSlot];
        glClear(GL_DEPTH_BUFFER_BIT);
        fx.useSmallTextures = 1;
        fx.drawGrab(composedHaloSlot, Blend::Off);
        fx.useSmallTextures = 0;
    } else {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    fusedLitPass(&inputs);

    // What the classic composition leaves: the drawing after a scene inherits it, text glyphs
    // (which set no culling of their own) among them.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    camera->restore();
    stagetimer::mark("lit picture");
}
