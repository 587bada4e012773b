#pragma once
#include <GL/glew.h>

#include "render/VectorMath.h"

// The bank of screen-sized capture slots and the full-screen operations on them. Pictures are
// rendered into the frame buffer and copied into slot textures; slots are drawn back alone,
// faded, cross-faded, combined or blurred.
class ScreenEffects {
public:
    static const int kMaxSlots = 10;

    ScreenEffects(int grabWidth, int grabHeight, int smallGrabWidth, int smallGrabHeight,
                  int viewWidth, int viewHeight, int smallViewWidth, int smallViewHeight,
                  int slotCount);
    ~ScreenEffects();
    ScreenEffects(const ScreenEffects&) = delete;
    ScreenEffects& operator=(const ScreenEffects&) = delete;

    // Copies the frame buffer into a slot (small slot while useSmallTextures is set).
    void grab(int slot);
    // Draws a slot over the whole screen with blend mode 0 (off), 1 (alpha) or 2 (additive).
    void drawGrab(int slot, int blendMode);
    // What drawGrab(slot, 1) over a cleared frame buffer draws when the frame buffer already
    // holds the slot's picture: every colour times its alpha, the alpha kept, done in place
    // (no copy to read back). Leaves the state drawGrab leaves. Needs separate blend functions.
    bool canPremultiplyInPlace() const;
    void premultiplyInPlace(int slot);
    // The slot with its alpha scaled by alpha; blend mode 0 adds colours, 1 replaces.
    void fadeGrab(int slot, float alpha, int blendMode);
    // From slot A (progress 0) to slot B (progress 1).
    void crossFade(float progress, int slotA, int slotB);
    void blur(int slot, float progress, int passes, float spreadX, float spreadY, float brightness,
              float red, float green, float blue, float fadeOut);
    // Texel A x texel B (or (1 - B) x A with invert), optionally added to the frame buffer.
    void combineGrabs(int slotB, int slotA, bool invert, bool additive);
    // Any texture as a rectangle in the current matrices (blend modes 0 to 4).
    void drawTexturedQuad(GLuint textureId, int blendMode, const Vec3* colour, float alpha,
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
    GLuint slotTexture(int slot) const;
    // Whether a full-screen quad of a slot (small or full size) puts exactly one texel on each
    // pixel in the current viewport.
    bool texelPerPixel(bool small) const;
    void fullScreenQuad(float du = 0.0f, float dv = 0.0f) const;
    void applyBlendMode(int blendMode, int highestMode) const;
};
