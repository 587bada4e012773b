#include "render/ScreenEffects.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "engine/GlCaps.h"

namespace {

// Sampling of the bound 2D texture.
void setFilter(GLint filter) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

void setWrap(GLint wrap) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
}

void setClampLinear() {
    setWrap(GL_CLAMP);
    setFilter(GL_LINEAR);
}

void createSlotTextures(GLuint* names, int count, int width, int height) {
    if (count <= 0) return;
    glGenTextures(count, names);
    for (int i = 0; i < count; ++i) {
        glBindTexture(GL_TEXTURE_2D, names[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     nullptr);
        setClampLinear();
    }
}

void copyNames(const GLuint* from, GLuint* to, int count) {
    for (int i = 0; i < count; ++i) to[i] = from[i];
}



// The full-screen operations draw one unlit 2D texture on unit 0, whatever the scene before
// them left enabled (lighting, another active unit, a cube map).
void plainTexturingOnUnitZero() {
    glDisable(GL_LIGHTING);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glEnable(GL_TEXTURE_2D);
}

// --- Draws that combine several texture units with four-argument combiners ---

constexpr CombinerArg kZero{GL_ZERO, GL_SRC_COLOR};
constexpr CombinerArg kOne{GL_ZERO, GL_ONE_MINUS_SRC_COLOR};
constexpr CombinerArg kPrevious{GL_PREVIOUS, GL_SRC_COLOR};
constexpr CombinerArg kPreviousAlphaAsRgb{GL_PREVIOUS, GL_SRC_ALPHA};
constexpr CombinerArg kZeroAlpha{GL_ZERO, GL_SRC_ALPHA};
constexpr CombinerArg kOneAlpha{GL_ZERO, GL_ONE_MINUS_SRC_ALPHA};
constexpr CombinerArg kPreviousAlpha{GL_PREVIOUS, GL_SRC_ALPHA};
constexpr CombinerArg kWeight{GL_PRIMARY_COLOR, GL_SRC_ALPHA};
constexpr CombinerArg sample(GLenum k) { return {GL_TEXTURE0_ARB + k, GL_SRC_COLOR}; }
constexpr CombinerArg sampleAlpha(GLenum k) { return {GL_TEXTURE0_ARB + k, GL_SRC_ALPHA}; }
constexpr CombinerArg inverse(GLenum k) { return {GL_TEXTURE0_ARB + k, GL_ONE_MINUS_SRC_COLOR}; }
constexpr CombinerArg inverseAlpha(GLenum k) {
    return {GL_TEXTURE0_ARB + k, GL_ONE_MINUS_SRC_ALPHA};
}

// Unit k's sample put over what the units below made, as Blend::Alpha puts a picture over the
// frame buffer: S x alpha(S) + P x (1 - alpha(S)), the alpha alpha(S) + alpha(P) x
// (1 - alpha(S)). (In an RGB lane, sampleAlpha and inverseAlpha give the alpha on all three
// channels.)
Combiner4 overPrevious(GLenum k) {
    return {{sample(k), sampleAlpha(k), kPrevious, inverseAlpha(k)},
            {sampleAlpha(k), kOneAlpha, kPreviousAlpha, inverseAlpha(k)}};
}

// Unit k < 4 samples offset k. Blending adds, per offset, colour x alpha x weight to the colour
// and alpha x weight to the alpha. A combiner multiplies only two factors, so the alpha lane of
// units 0 to 3 works out its own sample's alpha x weight, and the next unit's RGB lane adds that
// sample times it to the running sum. Units 4 to 6 add the four alpha x weight up as the alpha.
constexpr Combiner4 kSumUnits[] = {
    {{kZero, kZero, kZero, kZero}, {sampleAlpha(0), kWeight, kZeroAlpha, kZeroAlpha}},
    {{sample(0), kPreviousAlphaAsRgb, kZero, kZero},
     {sampleAlpha(1), kWeight, kZeroAlpha, kZeroAlpha}},
    {{sample(1), kPreviousAlphaAsRgb, kPrevious, kOne},
     {sampleAlpha(2), kWeight, kZeroAlpha, kZeroAlpha}},
    {{sample(2), kPreviousAlphaAsRgb, kPrevious, kOne},
     {sampleAlpha(3), kWeight, kZeroAlpha, kZeroAlpha}},
    {{sample(3), kPreviousAlphaAsRgb, kPrevious, kOne},
     {sampleAlpha(0), kWeight, sampleAlpha(1), kWeight}},
    {{kPrevious, kOne, kZero, kZero}, {kPreviousAlpha, kOneAlpha, sampleAlpha(2), kWeight}},
    {{kPrevious, kOne, kZero, kZero}, {kPreviousAlpha, kOneAlpha, sampleAlpha(3), kWeight}},
};
constexpr int kSumUnitCount = static_cast<int>(sizeof(kSumUnits) / sizeof(kSumUnits[0]));

// The active unit's environment becomes the combiner.
void setCombiner4(const Combiner4& c) {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE4_NV);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_ADD);
    glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_ADD);
    // The names of the four arguments' sources and operands follow each other.
    for (int n = 0; n < 4; ++n) {
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_RGB + n, c.rgb[n].source);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB + n, c.rgb[n].operand);
        glTexEnvi(GL_TEXTURE_ENV, GL_SOURCE0_ALPHA + n, c.alpha[n].source);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA + n, c.alpha[n].operand);
    }
}

// For a draw over several units, after glPushAttrib(GL_TEXTURE_BIT): the active unit reads a
// 2D texture through an identity texture matrix (the old one pushed) and no generated
// coordinates, whatever the scene left there.
void takeUnitForScreenQuad() {
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_TEXTURE_CUBE_MAP);
    for (GLenum coordinate : {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R,
                              GL_TEXTURE_GEN_Q})
        glDisable(coordinate);
    glEnable(GL_TEXTURE_2D);
}

// Gives back units 0 to count - 1 taken with takeUnitForScreenQuad: their texture matrices,
// then the texture attributes; unit 0 is active again.
void giveBackUnits(int count) {
    glMatrixMode(GL_TEXTURE);
    for (int unit = count - 1; unit >= 0; --unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glPopMatrix();
    }
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

// Saves every unit's texture state and sets the sum's units up.
void beginOffsetSum() {
    glPushAttrib(GL_TEXTURE_BIT);
    for (int unit = 0; unit < kSumUnitCount; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        takeUnitForScreenQuad();
        setCombiner4(kSumUnits[unit]);
    }
    glActiveTextureARB(GL_TEXTURE0_ARB);
}

// The fused path was chosen but the driver refuses a target or a shader: nothing can be drawn.
[[noreturn]] void fusedPathFailed(const std::string& error) {
    std::fprintf(stderr, "verdanth: the fused drawing path cannot start: %s (--classic draws "
                         "without it)\n", error.c_str());
    std::exit(1);
}

}  // namespace

void pushIdentity() {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
}

void popIdentity() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

ScreenEffects::ScreenEffects(int gw, int gh, int sgw, int sgh, int vw, int vh, int svw, int svh,
                             int count)
    : grabWidth(gw), grabHeight(gh), smallGrabWidth(sgw), smallGrabHeight(sgh), viewWidth(vw),
      viewHeight(vh), smallViewWidth(svw), smallViewHeight(svh) {
    slotCount = count > kMaxSlots ? kMaxSlots : count;
    if (slotCount < 0) slotCount = 0;
    fused_ = glCaps.useFramebufferObject && slotCount > 0;
    // The fused blur keeps no picture per slot (its passes share two targets), so the slots'
    // blur textures are only made for the classic one: at 1920 x 1080 they take 55 MiB.
    // On the fused path the slots are drawn into like the window, with its rows.
    createSlotTextures(grabTextures, slotCount, grabWidth,
                       fused_ ? RenderTarget::rowsLikeWindow(grabHeight) : grabHeight);
    if (!fused_) createSlotTextures(blurTextures, slotCount, grabWidth, grabHeight);
    createSlotTextures(smallGrabTextures, slotCount, smallGrabWidth,
                       fused_ ? RenderTarget::rowsLikeWindow(smallGrabHeight) : smallGrabHeight);
    if (!fused_) createSlotTextures(smallBlurTextures, slotCount, smallGrabWidth, smallGrabHeight);
    copyNames(grabTextures, grabTexturesCopy, slotCount);
    copyNames(blurTextures, blurTexturesCopy, slotCount);
    copyNames(smallGrabTextures, smallGrabTexturesCopy, slotCount);
    copyNames(smallBlurTextures, smallBlurTexturesCopy, slotCount);

    uMax = static_cast<float>(viewWidth) / static_cast<float>(grabWidth);
    vMax = static_cast<float>(viewHeight) / static_cast<float>(grabHeight);
    smallUMax = static_cast<float>(smallViewWidth) / static_cast<float>(smallGrabWidth);
    smallVMax = static_cast<float>(smallViewHeight) / static_cast<float>(smallGrabHeight);
    pixelU = 1.0f / static_cast<float>(viewWidth);
    pixelV = 1.0f / static_cast<float>(viewHeight);
    smallPixelU = 1.0f / static_cast<float>(smallViewWidth);
    smallPixelV = 1.0f / static_cast<float>(smallViewHeight);
    if (fused_) createTargets();
}

void ScreenEffects::createTargets() {
    std::string error;
    // Every target is drawn into as the window is, so that what the fused path draws rounds
    // as the classic path's drawing in the window does.
    const unsigned colour = RenderTarget::Colour | RenderTarget::LikeWindow;
    const unsigned colourAndDepth = colour | RenderTarget::Depth;
    // The slots are drawn into one at a time, so the targets of a size share one depth texture,
    // the one the first of them makes.
    for (int i = 0; i < slotCount; ++i) {
        if (!slotTargets_[i].create(grabWidth, grabHeight, colourAndDepth, &error,
                                    grabTextures[i], slotTargets_[0].depthTexture()) ||
            !smallSlotTargets_[i].create(smallGrabWidth, smallGrabHeight, colourAndDepth, &error,
                                         smallGrabTextures[i],
                                         smallSlotTargets_[0].depthTexture()))
            fusedPathFailed(error);
    }
    if (!blurA_.create(grabWidth, grabHeight, colour, &error) ||
        !blurB_.create(grabWidth, grabHeight, colour, &error) ||
        !smallBlurA_.create(smallGrabWidth, smallGrabHeight, colour, &error) ||
        !smallBlurB_.create(smallGrabWidth, smallGrabHeight, colour, &error) ||
        !canvas_.create(grabWidth, grabHeight, colourAndDepth, &error, 0,
                        slotTargets_[0].depthTexture()) ||
        !blurShader_.buildFromFiles("screen_quad.vert.glsl", "blur4.frag.glsl", &error) ||
        !upscaleShader_.buildFromFiles("screen_quad.vert.glsl", "upscale_layer.frag.glsl",
                                       &error))
        fusedPathFailed(error);
    // Sampled as the slots are.
    for (RenderTarget* target : {&blurA_, &blurB_, &smallBlurA_, &smallBlurB_, &canvas_}) {
        glBindTexture(GL_TEXTURE_2D, target->colourTexture());
        setClampLinear();
    }
}

void ScreenEffects::drawInto(int slot) {
    if (!fused_) return;
    if (!validSlot(slot))
        frame_ = 0;
    else
        frame_ = (useSmallTextures ? smallSlotTargets_ : slotTargets_)[slot].framebuffer();
    bindFrame();
}

void ScreenEffects::drawIntoCanvas() {
    if (!fused_) return;
    frame_ = canvas_.framebuffer();
    bindFrame();
}

void ScreenEffects::bindFrame() {
    if (!fused_) return;
    glBindFramebuffer(GL_FRAMEBUFFER, frame_);
    if (useSmallTextures)
        glViewport(0, 0, smallViewWidth, smallViewHeight);
    else
        glViewport(0, 0, viewWidth, viewHeight);
}

void ScreenEffects::upscaleLayer(int slot, int windowWidth, int windowHeight) {
    if (!fused_ || !validSlot(slot)) return;
    frame_ = 0;
    RenderTarget::bindWindow(windowWidth, windowHeight);
    glDisable(GL_LIGHTING);
    pushIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    plainTexturingOnUnitZero();
    glBindTexture(GL_TEXTURE_2D, grabTextures[slot]);
    // The shader reads texel centres and filters them itself: nearest sampling gives the same
    // texels for a fraction of the cost of linear sampling, four times a window pixel.
    setWrap(GL_CLAMP);
    setFilter(GL_NEAREST);
    upscaleShader_.use();
    upscaleShader_.set("picture", 0);
    upscaleShader_.set("size", static_cast<float>(grabWidth), static_cast<float>(grabHeight));
    const RenderTarget& target = slotTargets_[slot];
    upscaleShader_.set("rowAt", target.rowAt(), target.rowStep());
    fullScreenQuad();
    Shader::useNone();
    setFilter(GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    // What the classic layer and stretch leave: the next frame's first scene starts from it.
    applyBlend(Blend::Alpha);
    glDisable(GL_BLEND);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    popIdentity();
}

const RenderTarget* ScreenEffects::mapCanvas() const { return fused_ ? &canvas_ : nullptr; }

RenderTarget* ScreenEffects::slotTarget(int slot, bool small) {
    if (!fused_ || !validSlot(slot)) return nullptr;
    return small ? &smallSlotTargets_[slot] : &slotTargets_[slot];
}

ScreenEffects::~ScreenEffects() {
    if (slotCount <= 0) return;
    glDeleteTextures(slotCount, grabTextures);
    glDeleteTextures(slotCount, blurTextures);
    glDeleteTextures(slotCount, smallGrabTextures);
    glDeleteTextures(slotCount, smallBlurTextures);
}

GLuint ScreenEffects::slotTexture(int slot) const {
    return useSmallTextures ? smallGrabTextures[slot] : grabTextures[slot];
}

bool ScreenEffects::texelPerPixel(bool small) const {
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    return viewport[0] == 0 && viewport[1] == 0 &&
           viewport[2] == (small ? smallViewWidth : viewWidth) &&
           viewport[3] == (small ? smallViewHeight : viewHeight);
}

bool ScreenEffects::viewportIsSlotArea() const {
    const bool small = useSmallTextures != 0;
    return texelPerPixel(small) && (small ? smallViewWidth == smallGrabWidth &&
                                                smallViewHeight == smallGrabHeight
                                          : viewWidth == grabWidth && viewHeight == grabHeight);
}

bool ScreenEffects::blurStartsFromBlack(int passes) const {
    // The fused blur draws its passes into targets of its own and its last one replaces the
    // frame, so it never needs a clear either.
    return passes >= 2 && (glCaps.supportsBlendFuncSeparate || fused_) && viewportIsSlotArea();
}

void ScreenEffects::clearForBlur(int passes) const {
    if (blurStartsFromBlack(passes)) return;
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

void ScreenEffects::fullScreenQuad(float du, float dv) const {
    quadReading(du, dv, vMax + dv);
}

void ScreenEffects::slotQuad(bool small, float du, float dv) const {
    quadReading(du, slotV(small, dv), slotV(small, vMax + dv));
}

void ScreenEffects::quadReading(float du, float bottomV, float topV) const {
    glBegin(GL_QUADS);
    glTexCoord2f(du, bottomV);
    glVertex3f(-1.0f, -1.0f, -1.0f);
    glTexCoord2f(uMax + du, bottomV);
    glVertex3f(1.0f, -1.0f, -1.0f);
    glTexCoord2f(uMax + du, topV);
    glVertex3f(1.0f, 1.0f, -1.0f);
    glTexCoord2f(du, topV);
    glVertex3f(-1.0f, 1.0f, -1.0f);
    glEnd();
}

float ScreenEffects::slotV(bool small, float v) const { return slotRows(small).textureV(v); }

const RenderTarget& ScreenEffects::slotRows(bool small) const {
    // Every slot target of a size keeps its rows alike; off the fused path none is made, and an
    // empty target reads every row where it is.
    return small ? smallSlotTargets_[0] : slotTargets_[0];
}

void ScreenEffects::fullScreenQuadOnUnits(int units, const float* du, const float* dv,
                                          const bool* small) const {
    const float u[4] = {0.0f, uMax, uMax, 0.0f};
    const float v[4] = {0.0f, 0.0f, vMax, vMax};
    const float x[4] = {-1.0f, 1.0f, 1.0f, -1.0f};
    const float y[4] = {-1.0f, -1.0f, 1.0f, 1.0f};
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; ++i) {
        for (int unit = 0; unit < units; ++unit) {
            const float at = dv ? v[i] + dv[unit] : v[i];
            glMultiTexCoord2fARB(GL_TEXTURE0_ARB + unit, du ? u[i] + du[unit] : u[i],
                                 small ? slotV(small[unit], at) : at);
        }
        glVertex3f(x[i], y[i], -1.0f);
    }
    glEnd();
}

void ScreenEffects::applyBlend(Blend blend) {
    switch (blend) {
    case Blend::Off:
        glDisable(GL_BLEND);
        break;
    case Blend::Alpha:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        // Keep the destination alpha meaningful for later compositions.
        if (glCaps.supportsBlendFuncSeparate)
            glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE,
                                   GL_ONE_MINUS_SRC_ALPHA);
        break;
    case Blend::Additive:
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        break;
    case Blend::AlphaDestAlpha:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
        break;
    case Blend::AlphaAdditive:
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
        break;
    }
}

void ScreenEffects::grab(int slot) {
    // Slots outside the bank would write past the texture arrays.
    if (!validSlot(slot)) return;
    if (fused_) {
        if (!useSmallTextures) glEnable(GL_BLEND);
        const RenderTarget& target = (useSmallTextures ? smallSlotTargets_ : slotTargets_)[slot];
        if (target.isBound()) {  // drawn straight into the slot
            target.clearRowAbove();
            return;
        }
        // The slot's texture holds its picture as its target draws it (upside down where the
        // target is drawn like the window); a blit puts it there whatever it is read from.
        const GLuint from = RenderTarget::boundFramebuffer();
        const int w = useSmallTextures ? smallGrabWidth : grabWidth;
        const int h = useSmallTextures ? smallGrabHeight : grabHeight;
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, target.framebuffer());
        target.clearRowAbove();
        glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        glBindFramebuffer(GL_FRAMEBUFFER, from);
        return;
    }
    if (useSmallTextures) {
        glBindTexture(GL_TEXTURE_2D, smallGrabTextures[slot]);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, smallGrabWidth, smallGrabHeight);
    } else {
        glEnable(GL_BLEND);
        glBindTexture(GL_TEXTURE_2D, grabTextures[slot]);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, grabWidth, grabHeight);
    }
}

void ScreenEffects::drawGrab(int slot, Blend blend) {
    if (!validSlot(slot)) return;
    glDisable(GL_LIGHTING);
    pushIdentity();
    if (blend == Blend::Off || blend == Blend::Alpha || blend == Blend::Additive) applyBlend(blend);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, slotTexture(slot));
    setClampLinear();
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    // Adding black is the texture itself; where every pixel falls on one texel's centre, the
    // nearest texel is what linear filtering gives too, and the driver finds it for less.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const bool oneToOne = texelPerPixel(useSmallTextures != 0);
    if (oneToOne) setFilter(GL_NEAREST);
    slotQuad(useSmallTextures != 0);
    if (oneToOne) setFilter(GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    popIdentity();
}

bool ScreenEffects::canPremultiplyInPlace() const { return glCaps.supportsBlendFuncSeparate; }

void ScreenEffects::premultiplyInPlace(int slot) {
    if (!validSlot(slot)) return;
    glDisable(GL_LIGHTING);
    pushIdentity();
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    // Alpha blending over black multiplies each colour by its alpha once: here the colour is
    // already in place and multiplied by its own alpha.
    glEnable(GL_BLEND);
    glBlendFuncSeparateEXT(GL_ZERO, GL_DST_ALPHA, GL_ZERO, GL_ONE);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    fullScreenQuad();
    applyBlend(Blend::Alpha);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, slotTexture(slot));
    setClampLinear();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    popIdentity();
}

void ScreenEffects::fadeGrab(int slot, float alpha, FadeBlend blend) {
    if (!validSlot(slot)) return;
    pushIdentity();
    if (blend == FadeBlend::Add)
        glBlendFunc(GL_ONE, GL_ONE);
    else if (blend == FadeBlend::Replace)
        glBlendFunc(GL_ONE, GL_ZERO);
    glDisable(GL_COLOR_MATERIAL);
    plainTexturingOnUnitZero();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, slotTexture(slot));
    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    slotQuad(useSmallTextures != 0);
    popIdentity();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void ScreenEffects::crossFade(float progress, int slotA, int slotB) {
    if (!validSlot(slotA) || !validSlot(slotB)) return;
    pushIdentity();
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_CULL_FACE);
    plainTexturingOnUnitZero();
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_BLEND);
    glBindTexture(GL_TEXTURE_2D, grabTextures[slotB]);
    glColor4f(1.0f, 1.0f, 1.0f, progress);
    slotQuad(false);
    glBindTexture(GL_TEXTURE_2D, grabTextures[slotA]);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f - progress);
    slotQuad(false);
    popIdentity();
}

void ScreenEffects::blur(int slot, float p, int passes, float spreadX, float spreadY,
                         float brightness, float red, float green, float blue, float fadeOut) {
    if (fused_) {
        blurFused(slot, p, passes, spreadX, spreadY, brightness, red, green, blue, fadeOut,
                  false);
        return;
    }
    blurPasses(slot, p, passes, spreadX, spreadY, brightness, red, green, blue, fadeOut, false);
}

void ScreenEffects::blurOpaque(int slot, float p, int passes, float spreadX, float spreadY,
                               float brightness) {
    if (fused_) {
        blurFused(slot, p, passes, spreadX, spreadY, brightness, 0.0f, 0.0f, 0.0f, 0.0f,
                  canSumOffsetsInOneDraw());
        return;
    }
    blurPasses(slot, p, passes, spreadX, spreadY, brightness, 0.0f, 0.0f, 0.0f, 0.0f,
               canSumOffsetsInOneDraw());
}

bool ScreenEffects::canSumOffsetsInOneDraw() {
    return glCaps.supportsBlendFuncSeparate && glCaps.supportsTextureEnvCombine4 &&
           glCaps.maxTextureUnits >= kSumUnitCount;
}

void ScreenEffects::blendOffsets(const float du[4], const float dv[4], float red, float green,
                                 float blue, float weight, bool replace) const {
    if (!glCaps.supportsBlendFuncSeparate) {
        // Colour and alpha each in their own draw.
        for (int k = 0; k < 4; ++k) {
            glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
            glColor4f(red, green, blue, weight * 0.333333f);
            fullScreenQuad(du[k], dv[k]);
            glBlendFunc(GL_ONE, GL_ONE);
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
            glColor4f(0.0f, 0.0f, 0.0f, weight);
            fullScreenQuad(du[k], dv[k]);
        }
        return;
    }
    glColor4f(red, green, blue, weight);
    for (int k = 0; k < 4; ++k) {
        const bool replaceHere = replace && k == 0;
        if (replaceHere) glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ZERO, GL_ONE, GL_ZERO);
        fullScreenQuad(du[k], dv[k]);
        if (replaceHere) glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE, GL_ONE, GL_ONE);
    }
}

void ScreenEffects::sumOffsets(GLuint source, const float du[4], const float dv[4],
                               float weight, bool replace) const {
    // Blending takes each offset's weight as an 8-bit alpha; the sum uses that same value, so
    // that only the rounding of the products differs.
    const float clamped = weight < 0.0f ? 0.0f : weight > 1.0f ? 1.0f : weight;
    const float weight8 = std::floor(clamped * 255.0f + 0.5f) / 255.0f;
    // Units past the fourth read the samples of the first four, but a unit only combines while
    // it has a complete texture of its own.
    for (int unit = kSumUnitCount - 1; unit >= 0; --unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glBindTexture(GL_TEXTURE_2D, source);
    }
    if (replace) {
        glDisable(GL_BLEND);
    } else {
        glEnable(GL_BLEND);
        glBlendFuncSeparateEXT(GL_ONE, GL_ONE, GL_ONE, GL_ONE);
    }
    glColor4f(weight8, weight8, weight8, weight8);
    fullScreenQuadOnUnits(4, du, dv);
    glEnable(GL_BLEND);
}

// What both ways of blurring draw with: identity matrices, no alpha or depth test, no colour
// material, plain texturing on unit zero, no depth writes.
static void beginBlurState() {
    pushIdentity();
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_COLOR_MATERIAL);
    plainTexturingOnUnitZero();
    glDepthMask(GL_FALSE);
}

void ScreenEffects::blurPasses(int slot, float p, int passes, float spreadX, float spreadY,
                               float brightness, float red, float green, float blue,
                               float fadeOut, bool oneDrawPerPass) {
    if (!validSlot(slot)) return;
    beginBlurState();

    const float a = (1.0f - p * fadeOut) * ((1.0f - p) + p * brightness) * 1.015625f / 4.0f;
    const float cr = p * red, cg = p * green, cb = p * blue;
    const bool separate = glCaps.supportsBlendFuncSeparate;
    if (separate)
        glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE, GL_ONE, GL_ONE);
    else
        glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    glBindTexture(GL_TEXTURE_2D, slotTexture(slot));
    setWrap(GL_CLAMP);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);

    // A pass that starts from black may let its first offset replace what is there instead of
    // clearing: adding to zero and replacing give the same values. That holds where the
    // viewport is exactly the area copied afterwards; a clear reaches the whole window, so
    // skipping it spares the driver every tile outside the viewport.
    const bool replaceFirst = blurStartsFromBlack(passes);

    GLuint source = slotTexture(slot);
    if (oneDrawPerPass) beginOffsetSum();

    for (int i = 1; i <= passes; ++i) {
        const float dx = p * spreadX * static_cast<float>(i) / static_cast<float>(passes);
        const float dy = p * spreadY * static_cast<float>(i) / static_cast<float>(passes);
        const bool fromBlack = i < passes;
        if (fromBlack && !replaceFirst) {
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        float du[4], dv[4];
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k) {
                du[j * 2 + k] = (static_cast<float>(k) * dx - dx / 2.0f) * uMax;
                dv[j * 2 + k] = (static_cast<float>(j) * dy - dy / 2.0f) * vMax;
            }
        if (oneDrawPerPass)
            sumOffsets(source, du, dv, a, fromBlack && replaceFirst);
        else
            blendOffsets(du, dv, cr, cg, cb, a, fromBlack && replaceFirst);
        if (i < passes) {
            if (i == 1) {
                source = useSmallTextures ? smallBlurTextures[slot] : blurTextures[slot];
                glBindTexture(GL_TEXTURE_2D, source);
                setWrap(GL_CLAMP);
            }
            if (useSmallTextures)
                glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, smallGrabWidth, smallGrabHeight);
            else
                glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, grabWidth, grabHeight);
        }
    }

    if (oneDrawPerPass) giveBackUnits(kSumUnitCount);

    copyNames(grabTexturesCopy, grabTextures, slotCount);
    copyNames(blurTexturesCopy, blurTextures, slotCount);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    popIdentity();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void ScreenEffects::blurFused(int slot, float p, int passes, float spreadX, float spreadY,
                              float brightness, float red, float green, float blue,
                              float fadeOut, bool keepTextureState) {
    if (!validSlot(slot)) return;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const GLuint frame = RenderTarget::boundFramebuffer();
    beginBlurState();
    // Where the classic blur sums in one draw (keepTextureState), it gives the units' texture
    // state back after it, and what follows finds it as it was.
    if (keepTextureState) glPushAttrib(GL_TEXTURE_BIT);

    const float a = (1.0f - p * fadeOut) * ((1.0f - p) + p * brightness) * 1.015625f / 4.0f;
    blurShader_.use();
    blurShader_.set("source", 0);
    blurShader_.set("addedColour", p * red, p * green, p * blue);
    // The combiners took the tap alpha as an 8-bit value.
    const float clamped = a < 0.0f ? 0.0f : a > 1.0f ? 1.0f : a;
    blurShader_.set("tapAlpha",
                    keepTextureState ? std::floor(clamped * 255.0f + 0.5f) / 255.0f : a);
    blurShader_.set("sumOnce", keepTextureState ? 1.0f : 0.0f);
    // Every source of the blur (the slot, then the blur targets) is of the slot's size.
    const RenderTarget& rows = slotRows(useSmallTextures != 0);
    blurShader_.set("rowAt", rows.rowAt(), rows.rowStep());

    const bool small = useSmallTextures != 0;
    // Passes before the last go back and forth between the two blur targets of the size.
    RenderTarget* pingPong[2] = {small ? &smallBlurA_ : &blurA_, small ? &smallBlurB_ : &blurB_};
    GLuint source = slotTexture(slot);
    for (int i = 1; i <= passes; ++i) {
        const float dx = p * spreadX * static_cast<float>(i) / static_cast<float>(passes);
        const float dy = p * spreadY * static_cast<float>(i) / static_cast<float>(passes);
        float offsets[8];
        for (int j = 0; j < 2; ++j)
            for (int k = 0; k < 2; ++k) {
                offsets[(j * 2 + k) * 2] = (static_cast<float>(k) * dx - dx / 2.0f) * uMax;
                offsets[(j * 2 + k) * 2 + 1] = (static_cast<float>(j) * dy - dy / 2.0f) * vMax;
            }
        blurShader_.setVec2Array("offsets", offsets, 4);
        glBindTexture(GL_TEXTURE_2D, source);
        setWrap(GL_CLAMP);
        RenderTarget* into = i < passes ? pingPong[(i - 1) % 2] : nullptr;
        if (into != nullptr) {
            into->bind(viewport[2], viewport[3]);
            glDisable(GL_BLEND);
            blurShader_.set("addPrevious", 0.0f);
        } else {
            glBindFramebuffer(GL_FRAMEBUFFER, frame);
            glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
            // The last pass goes onto the previous pass's picture; a single pass onto whatever
            // the frame holds.
            if (passes == 1) {
                glEnable(GL_BLEND);
                glBlendFunc(GL_ONE, GL_ONE);
            } else {
                glDisable(GL_BLEND);
            }
            blurShader_.set("addPrevious", passes == 1 ? 0.0f : 1.0f);
        }
        fullScreenQuad();
        if (into != nullptr) {
            into->clearRowAbove();
            source = into->colourTexture();
        }
    }
    Shader::useNone();
    if (keepTextureState) glPopAttrib();

    // What the blended passes leave.
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    popIdentity();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void ScreenEffects::combineGrabs(int slotB, int slotA, bool invert, bool additive) {
    const bool inRange = validSlot(slotA) && validSlot(slotB);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    if (validSlot(slotA))
        glBindTexture(GL_TEXTURE_2D, smallSlotA ? smallGrabTextures[slotA] : grabTextures[slotA]);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    glActiveTextureARB(GL_TEXTURE1_ARB);
    glEnable(GL_TEXTURE_2D);
    if (validSlot(slotB)) glBindTexture(GL_TEXTURE_2D, slotTexture(slotB));
    if (!invert) {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    } else {
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_RGB, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_COMBINE_ALPHA, GL_MODULATE);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND1_RGB, GL_SRC_COLOR);
        glTexEnvi(GL_TEXTURE_ENV, GL_OPERAND0_RGB, GL_ONE_MINUS_SRC_COLOR);
    }
    if (!inRange) return;

    pushIdentity();
    if (additive) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
    } else {
        glDisable(GL_BLEND);
    }
    glDisable(GL_CULL_FACE);
    // As in drawGrab: a slot whose texels fall one per pixel is read from its nearest texel.
    const bool oneToOneA = texelPerPixel(smallSlotA != 0);
    const bool oneToOneB = texelPerPixel(useSmallTextures != 0);
    if (oneToOneB) setFilter(GL_NEAREST);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    if (oneToOneA) setFilter(GL_NEAREST);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    const bool small[2] = {smallSlotA != 0, useSmallTextures != 0};
    fullScreenQuadOnUnits(2, nullptr, nullptr, small);
    if (oneToOneA) setFilter(GL_LINEAR);
    popIdentity();
    glActiveTextureARB(GL_TEXTURE1_ARB);
    if (oneToOneB) setFilter(GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDisable(GL_TEXTURE_2D);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void ScreenEffects::addThroughMasks(int firstMask, int count, int slotA) {
    int k = 0;
    if (glCaps.supportsTextureEnvCombine4 && glCaps.maxTextureUnits >= 3)
        for (; k + 1 < count; k += 2) addThroughTwoMasks(firstMask + k, firstMask + k + 1, slotA);
    for (; k < count; ++k) combineGrabs(firstMask + k, slotA, true, true);
}

void ScreenEffects::addThroughTwoMasks(int mask1, int mask2, int slotA) {
    if (!validSlot(slotA) || !validSlot(mask1) || !validSlot(mask2)) return;
    // Unit 0 holds A, units 1 and 2 the masks; unit 2 combines all three:
    // A x (1 - mask1) + A x (1 - mask2), for the colour and for the alpha.
    const GLuint textures[3] = {smallSlotA ? smallGrabTextures[slotA] : grabTextures[slotA],
                                slotTexture(mask1), slotTexture(mask2)};
    const bool small[3] = {smallSlotA != 0, useSmallTextures != 0, useSmallTextures != 0};
    const Combiner4 sum{{sample(0), inverse(1), sample(0), inverse(2)},
                        {sampleAlpha(0), inverseAlpha(1), sampleAlpha(0), inverseAlpha(2)}};
    const Combiner4* combiners[3] = {nullptr, nullptr, &sum};
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    quadOverUnits(3, textures, small, combiners);
    // What combineGrabs leaves.
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void ScreenEffects::quadOverUnits(int units, const GLuint* textures, const bool* small,
                                  const Combiner4* const* combiners) {
    bool oneToOne[kMaxQuadUnits] = {};
    glPushAttrib(GL_TEXTURE_BIT);
    for (int unit = 0; unit < units; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        takeUnitForScreenQuad();
        glBindTexture(GL_TEXTURE_2D, textures[unit]);
        setClampLinear();
        // As in drawGrab: a slot whose texels fall one per pixel is read from its nearest texel.
        oneToOne[unit] = texelPerPixel(small[unit]);
        if (oneToOne[unit]) setFilter(GL_NEAREST);
        if (combiners[unit] != nullptr)
            setCombiner4(*combiners[unit]);
        else
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }

    pushIdentity();
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
    fullScreenQuadOnUnits(units, nullptr, nullptr, small);
    popIdentity();

    for (int unit = 0; unit < units; ++unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        if (oneToOne[unit]) setFilter(GL_LINEAR);
    }
    giveBackUnits(units);
}

void ScreenEffects::composeShadowedPicture(const ShadowedPicture& p) {
    const bool added = validSlot(p.addedSlot);
    const int units = 2 + p.maskCount + (added ? 1 : 0);
    bool slotsValid = validSlot(p.ambientSlot) && validSlot(p.litSlot);
    for (int k = 0; k < p.maskCount; ++k) slotsValid = slotsValid && validSlot(p.firstMask + k);
    // The one draw reads the lit picture from its slot instead of from the frame buffer, which
    // is the same only where each of its texels falls on its own pixel.
    if (glCaps.supportsTextureEnvCombine4 && glCaps.supportsBlendFuncSeparate &&
        p.maskCount >= 1 && p.maskCount <= 2 && glCaps.maxTextureUnits >= units && slotsValid &&
        texelPerPixel(p.smallLit)) {
        composeShadowedInOneDraw(p);
        return;
    }
    useSmallTextures = p.smallAmbient ? 1 : 0;
    drawGrab(p.ambientSlot, Blend::Alpha);
    if (p.maskCount > 0) {
        smallSlotA = p.smallLit ? 1 : 0;
        useSmallTextures = p.smallMasks ? 1 : 0;
        addThroughMasks(p.firstMask, p.maskCount, p.litSlot);
    }
    smallSlotA = 0;
    if (added) {
        useSmallTextures = p.smallAdded ? 1 : 0;
        drawGrab(p.addedSlot, Blend::Additive);
    }
    useSmallTextures = 0;
}

void ScreenEffects::composeShadowedInOneDraw(const ShadowedPicture& p) {
    // Unit 0 samples the lit picture L, unit 1 the ambient one A, the next ones the masks M and
    // the last one the added slot H. Unit 1: A x alpha(A) + L x (1 - alpha(A)), what blending A
    // over L makes (its alpha alpha(A) + alpha(L) x (1 - alpha(A)), as Blend::Alpha keeps it).
    // Each mask's unit then adds L x (1 - M), colour and alpha alike, and the last unit H.
    const bool added = validSlot(p.addedSlot);
    const int units = 2 + p.maskCount + (added ? 1 : 0);
    bool small[kMaxQuadUnits] = {p.smallLit, p.smallAmbient, p.smallMasks, p.smallMasks};
    int slotOf[kMaxQuadUnits] = {p.litSlot, p.ambientSlot, p.firstMask, p.firstMask + 1};
    if (added) {
        slotOf[units - 1] = p.addedSlot;
        small[units - 1] = p.smallAdded;
    }
    const Combiner4 ambientOverLit = overPrevious(1);
    Combiner4 steps[kMaxQuadUnits];
    const Combiner4* combiners[kMaxQuadUnits] = {nullptr, &ambientOverLit};
    GLuint textures[kMaxQuadUnits] = {};
    for (int unit = 0; unit < units; ++unit) {
        textures[unit] = small[unit] ? smallGrabTextures[slotOf[unit]] : grabTextures[slotOf[unit]];
        if (unit < 2) continue;
        if (added && unit == units - 1)
            steps[unit] = {{kPrevious, kOne, sample(unit), kOne},
                           {kPreviousAlpha, kOneAlpha, sampleAlpha(unit), kOneAlpha}};
        else
            steps[unit] = {{kPrevious, kOne, sample(0), inverse(unit)},
                           {kPreviousAlpha, kOneAlpha, sampleAlpha(0), inverseAlpha(unit)}};
        combiners[unit] = &steps[unit];
    }
    glDisable(GL_BLEND);
    quadOverUnits(units, textures, small, combiners);
    // What the step-by-step composition leaves.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void ScreenEffects::drawLayers(const std::vector<int>& slots) {
    useSmallTextures = 0;
    const int units = static_cast<int>(slots.size());
    bool slotsValid = true;
    for (int slot : slots) slotsValid = slotsValid && validSlot(slot);
    // The quad replaces every pixel a grab later copies, so nothing needs clearing first.
    if (glCaps.supportsTextureEnvCombine4 && glCaps.supportsBlendFuncSeparate && units >= 1 &&
        units <= kMaxQuadUnits && glCaps.maxTextureUnits >= units && slotsValid &&
        viewportIsSlotArea()) {
        drawLayersInOneDraw(slots);
        return;
    }
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    for (int slot : slots) drawGrab(slot, Blend::Alpha);
}

void ScreenEffects::drawLayersInOneDraw(const std::vector<int>& slots) {
    // Unit 0: the bottom slot over transparent black, its colour times its alpha and its alpha
    // as it is. Each unit after it: its slot over what the units below made.
    const int units = static_cast<int>(slots.size());
    GLuint textures[kMaxQuadUnits] = {};
    const bool small[kMaxQuadUnits] = {};
    Combiner4 steps[kMaxQuadUnits];
    const Combiner4* combiners[kMaxQuadUnits] = {};
    for (int unit = 0; unit < units; ++unit) {
        textures[unit] = grabTextures[slots[unit]];
        if (unit == 0)
            steps[unit] = {{sample(0), sampleAlpha(0), kZero, kZero},
                           {sampleAlpha(0), kOneAlpha, kZeroAlpha, kZeroAlpha}};
        else
            steps[unit] = overPrevious(unit);
        combiners[unit] = &steps[unit];
    }
    glDisable(GL_BLEND);
    quadOverUnits(units, textures, small, combiners);
    applyBlend(Blend::Alpha);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
}

void ScreenEffects::drawTexturedQuad(GLuint textureId, Blend blend, const Vec3* colour,
                                     float alpha, const Vec3* halfSize, bool repeat) {
    applyBlend(blend);
    glBindTexture(GL_TEXTURE_2D, textureId);
    glDisable(GL_COLOR_MATERIAL);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    setWrap(repeat ? GL_REPEAT : GL_CLAMP);
    setFilter(GL_LINEAR);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    if (colour != nullptr)
        glColor4f(colour->x, colour->y, colour->z, alpha);
    else
        glColor4f(0.0f, 0.0f, 0.0f, alpha);
    const float w = halfSize != nullptr ? halfSize->x : 1.0f;
    const float h = halfSize != nullptr ? halfSize->y : 1.0f;
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-w, -h, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(w, -h, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(w, h, -1.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-w, h, -1.0f);
    glEnd();
}
