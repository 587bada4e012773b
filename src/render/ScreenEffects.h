#pragma once
#include <GL/glew.h>

#include <memory>
#include <vector>

#include "render/RenderTarget.h"
#include "render/Shader.h"
#include "render/VectorMath.h"

// How a full-screen layer or a textured quad goes onto the frame buffer.
enum class Blend {
    Off = 0,             // replaces what is there
    Alpha = 1,           // over it by the source alpha (the destination alpha stays meaningful)
    Additive = 2,        // colours added
    AlphaDestAlpha = 3,  // source colour by its alpha, the destination by its own alpha
    AlphaAdditive = 4,   // added, weighted by the source alpha
};

// How fadeGrab puts its faded slot down.
enum class FadeBlend {
    Add = 0,      // onto what is there
    Replace = 1,  // instead of it
};

// One argument of a texture combiner: where it comes from and which part of it.
struct CombinerArg {
    GLenum source;
    GLenum operand;
};

// A four-argument combiner: RGB = rgb[0] x rgb[1] + rgb[2] x rgb[3], likewise for the alpha.
struct Combiner4 {
    CombinerArg rgb[4];
    CombinerArg alpha[4];
};

// The slots a scene lit through shadow masks is put together from, and whether each was grabbed
// at the small size.
struct ShadowedPicture {
    int ambientSlot = -1;
    bool smallAmbient = false;
    int litSlot = -1;
    bool smallLit = false;
    int firstMask = -1;
    int maskCount = 0;
    bool smallMasks = false;
    // A slot added over the whole picture (a halo), or none.
    int addedSlot = -1;
    bool smallAdded = false;
};

// Identity projection and modelview, both pushed, for a full-screen quad in -1..1; popIdentity
// undoes it and leaves the modelview stack selected.
void pushIdentity();
void popIdentity();

// The bank of screen-sized capture slots and the full-screen operations on them. Pictures are
// rendered into the frame buffer and copied into slot textures; slots are drawn back alone,
// faded, cross-faded, combined or blurred.
//
// On the fused path (glCaps.useFramebufferObject when it is made) every slot texture is also
// a render target: "the frame buffer" is then the target the dispatch gave (drawInto, or the
// window), a grab into the slot being drawn into is already done, any other grab copies from
// the bound target, and blurs draw each pass into a target in one shader draw.
class ScreenEffects {
public:
    static const int kMaxSlots = 10;

    ScreenEffects(int grabWidth, int grabHeight, int smallGrabWidth, int smallGrabHeight,
                  int viewWidth, int viewHeight, int smallViewWidth, int smallViewHeight,
                  int slotCount);
    ~ScreenEffects();
    ScreenEffects(const ScreenEffects&) = delete;
    ScreenEffects& operator=(const ScreenEffects&) = delete;

    // Copies the frame buffer into a slot (small slot while useSmallTextures is set). On the
    // fused path nothing is copied when the slot's own target is the one bound.
    void grab(int slot);

    // --- Fused path ---
    bool fused() const { return fused_; }
    // Draws go into the slot's texture from now on (its small texture while useSmallTextures
    // is set), in the render viewport (the small one); this is the frame until the next
    // drawInto. Slot -1: the window, in the render viewport.
    void drawInto(int slot);
    // The same into the scratch target of the full size (a picture whose slot is read by the
    // same draw); a grab copies it into its slot.
    void drawIntoCanvas();
    // The frame given by the last drawInto bound again, in the render viewport (the small one
    // while useSmallTextures is set): for passes that drew into targets of their own.
    void bindFrame();
    // The finished frame whose only layer is a full-size slot, stretched straight from that slot
    // to the window (viewport windowWidth x windowHeight): what drawLayers({slot}) and the
    // upscale of its result draw, in one draw, within a rounding step. Leaves the window bound
    // and the state drawGrab leaves.
    void upscaleLayer(int slot, int windowWidth, int windowHeight);
    // A slot's render target, full size or small; null off the fused path or out of range.
    RenderTarget* slotTarget(int slot, bool small);
    // How the slots of that size keep their rows (RenderTarget::textureV): every row where it
    // is, or upside down on the fused path where the slots are drawn like the window.
    const RenderTarget& slotRows(bool small) const;
    // The target shadow maps are drawn in on the fused path (a full-size target drawn like the
    // window, for the copies into the maps to hold what the window would), or null.
    const RenderTarget* mapCanvas() const;
    // Draws a slot over the whole screen; Off, Alpha or Additive (another blend leaves the
    // blend function as it was).
    void drawGrab(int slot, Blend blend);
    // What drawGrab(slot, Blend::Alpha) over a cleared frame buffer draws when it already
    // holds the slot's picture: every colour times its alpha, the alpha kept, done in place
    // (no copy to read back). Leaves the state drawGrab leaves. Needs separate blend functions.
    bool canPremultiplyInPlace() const;
    void premultiplyInPlace(int slot);
    // The slot with its alpha scaled by alpha.
    void fadeGrab(int slot, float alpha, FadeBlend blend);
    // From slot A (progress 0) to slot B (progress 1).
    void crossFade(float progress, int slotA, int slotB);
    void blur(int slot, float progress, int passes, float spreadX, float spreadY, float brightness,
              float red, float green, float blue, float fadeOut);
    // The same blur, uncoloured and unfaded, of a slot whose texels are all opaque (a shadow
    // mask). Where the driver can, each pass samples its four offsets in one draw instead of
    // blending four: the sum is rounded once instead of four times, so a value may differ from
    // blur's by a rounding step or two.
    void blurOpaque(int slot, float progress, int passes, float spreadX, float spreadY,
                    float brightness);
    // The frame cleared to black before a blur of that many passes, unless the blur replaces
    // everything it later copies in the current viewport anyway.
    void clearForBlur(int passes) const;
    // Texel A x texel B (or (1 - B) x A with invert), optionally added to the frame buffer.
    void combineGrabs(int slotB, int slotA, bool invert, bool additive);
    // Adds (1 - mask) x A to the frame buffer once for each of count mask slots from firstMask
    // on, as combineGrabs(mask, slotA, true, true) does. Where the driver can, two masks go in
    // one draw: their two terms are rounded once, as a sum, instead of one by one.
    void addThroughMasks(int firstMask, int count, int slotA);
    // A scene lit through its shadow masks, put together where the frame buffer holds the lit
    // slot's picture in the current viewport: the ambient slot over it by its alpha, then the lit
    // slot added through each mask, and last the added slot. Where the driver can (up to two
    // masks, the lit slot one texel per pixel), one draw over the slots replaces the frame
    // buffer with the whole sum: it is rounded once instead of once per step, so a value may
    // differ by a rounding step.
    void composeShadowedPicture(const ShadowedPicture& picture);
    // The full-size slots over each other, bottom first, onto a cleared frame buffer: what
    // clearing to transparent black and drawGrab(slot, Blend::Alpha) for each slot draw. Where
    // the driver can (up to five slots, each texel on its own pixel), one draw replaces the
    // frame buffer in the viewport with the whole stack: it is rounded once instead of once per
    // slot, so a value may differ by a rounding step. Leaves the state drawGrab leaves.
    void drawLayers(const std::vector<int>& slots);
    // Any texture as a rectangle in the current matrices.
    void drawTexturedQuad(GLuint textureId, Blend blend, const Vec3* colour, float alpha,
                          const Vec3* halfSize, bool repeat);

    int grabWidth, grabHeight, smallGrabWidth, smallGrabHeight;
    int viewWidth, viewHeight, smallViewWidth, smallViewHeight;
    float uMax, vMax, smallUMax, smallVMax;
    float pixelU, pixelV, smallPixelU, smallPixelV;
    int slotCount;

    GLuint grabTextures[kMaxSlots] = {0};
    GLuint blurTextures[kMaxSlots] = {0};
    GLuint smallGrabTextures[kMaxSlots] = {0};
    GLuint smallBlurTextures[kMaxSlots] = {0};
    GLuint grabTexturesCopy[kMaxSlots] = {0};
    GLuint blurTexturesCopy[kMaxSlots] = {0};
    GLuint smallGrabTexturesCopy[kMaxSlots] = {0};
    GLuint smallBlurTexturesCopy[kMaxSlots] = {0};

    int useSmallTextures = 0;
    int smallSlotA = 0;
    int workSlotBase = 0;

    bool validSlot(int slot) const { return slot >= 0 && slot < slotCount; }

private:
    bool fused_ = false;
    RenderTarget slotTargets_[kMaxSlots];
    RenderTarget smallSlotTargets_[kMaxSlots];
    // A blur's passes go back and forth between two targets of its size, whatever its slot:
    // they hold a picture only while one blur runs. Then the scratch target of drawIntoCanvas.
    RenderTarget blurA_, blurB_, smallBlurA_, smallBlurB_, canvas_;
    GLuint frame_ = 0;  // the framebuffer bindFrame binds
    Shader blurShader_;
    Shader upscaleShader_;
    void createTargets();
    void blurFused(int slot, float progress, int passes, float spreadX, float spreadY,
                   float brightness, float red, float green, float blue, float fadeOut,
                   bool keepTextureState);

    GLuint slotTexture(int slot) const;
    // Whether a full-screen quad of a slot (small or full size) puts exactly one texel on each
    // pixel in the current viewport.
    bool texelPerPixel(bool small) const;
    // Whether the viewport is the whole area a grab of the current size copies.
    bool viewportIsSlotArea() const;
    // Whether a blur of that many passes in the current viewport replaces everything it later
    // copies, so that nothing needs clearing before it.
    bool blurStartsFromBlack(int passes) const;
    void fullScreenQuad(float du = 0.0f, float dv = 0.0f) const;
    // The same quad reading a slot's texture of that size (moved by du, dv in the picture), at
    // the rows where the slot's target keeps the picture.
    void slotQuad(bool small, float du = 0.0f, float dv = 0.0f) const;
    // The texture coordinate at which a slot of that size keeps picture coordinate v.
    float slotV(bool small, float v) const;
    // The quad with its coordinates from (du, bottomV) to (uMax + du, topV).
    void quadReading(float du, float bottomV, float topV) const;
    // The same quad with its coordinates on units 0 to units - 1, each unit's moved by its own
    // offset (du, dv) where given, and read as a slot of the size small[unit] says where given.
    void fullScreenQuadOnUnits(int units, const float* du = nullptr, const float* dv = nullptr,
                               const bool* small = nullptr) const;
    void blurPasses(int slot, float progress, int passes, float spreadX, float spreadY,
                    float brightness, float red, float green, float blue, float fadeOut,
                    bool oneDrawPerPass);
    // Whether the driver has the units and combiners to sum four offsets in one draw.
    static bool canSumOffsetsInOneDraw();
    // composeShadowedPicture's one draw.
    void composeShadowedInOneDraw(const ShadowedPicture& picture);
    // drawLayers' one draw.
    void drawLayersInOneDraw(const std::vector<int>& slots);
    // The full-screen quad over units 0 to units - 1, unit k reading textures[k] (a slot's, of
    // the small size where small[k]) through combiners[k], or as it is where that is null; the
    // units' texture state is given back afterwards. Blending is the caller's.
    static const int kMaxQuadUnits = 5;
    void quadOverUnits(int units, const GLuint* textures, const bool* small,
                       const Combiner4* const* combiners);
    // (1 - mask1) x A + (1 - mask2) x A added to the frame buffer in one draw.
    void addThroughTwoMasks(int mask1, int mask2, int slotA);
    // One blur pass over the bound slot: its four offsets (du, dv), each times its alpha and
    // weight, added to what is there, or the first (all, for sumOffsets) replacing it.
    void blendOffsets(const float du[4], const float dv[4], float red, float green, float blue,
                      float weight, bool replace) const;
    // The same in one draw (canSumOffsetsInOneDraw, uncoloured, source bound to every unit of
    // the sum), set up by beginOffsetSum.
    void sumOffsets(GLuint source, const float du[4], const float dv[4], float weight,
                    bool replace) const;
    static void applyBlend(Blend blend);
};
