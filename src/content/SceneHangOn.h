#pragma once
#include <memory>
#include <string>

#include "engine/Scene.h"
#include "render/VectorMath.h"

class BitmapFont;
class Camera;
class Engine;
class RenderTarget;

// The production's text scene: one class for the eight text parts. Each part prints its text
// as a thick block of 3D letters (many copies of the text, each a little deeper), every
// character rocking on its own phase, once at quarter size for a blurred halo and once sharp
// at full size. Parts 0 and 4 add a ring of translucent sprites, part 3 a rocking image.
//
// The layout and timing of a part are exposed as plain functions of the part and of the
// scene's running time in seconds, so that they can be checked without drawing.
class SceneHangOn : public Scene {
public:
    static const int kPartCount = 8;
    static const int kRingSprites = 30;

    // How each character of a text stack moves (called inside the character's matrix).
    enum class Motion { Rock, Nod, DeepRock, Drift };

    // Where the text of a part stands: origin, the axis along a line and the axis across lines.
    struct Placement {
        Vec3 position;
        Vec3 right;
        Vec3 up;
    };

    // Glyph width and height (equal) and the spacing of characters and lines.
    struct Metrics {
        float glyphSize;
        float advance;
        float lineAdvance;
    };

    // One pile of identical text layers, each `step` further along z than the one before.
    struct TextStack {
        int layers;
        int column, line;  // the cursor every layer starts from
        bool centre;
        Motion motion;
        float value;  // handed to the motion as its time value
        float step;
        float depth;  // z of the first layer
        bool depthTest;
    };

    // What a motion does to one character: its colour and its local transform (translate,
    // then rotate by angleDegrees about axis).
    struct CharacterPose {
        Vec3 colour;
        Vec3 translation;
        float angleDegrees;
        Vec3 axis;
    };

    // The sprite ring: rotated about x, then about z, as a whole; each sprite is a quad
    // translated to its centre with signed half sizes (a negative one mirrors the image).
    struct SpriteRing {
        float angleX;
        float angleZ;
        Vec3 centres[kRingSprites];
        Vec3 halfSizes[kRingSprites];
    };

    // The image of the credits part: where it is, how far it is turned about (1, 0.5, 1), and
    // the alpha of the brightening copy drawn over it.
    struct RockingImage {
        Vec3 translation;
        float angleDegrees;
        float glowAlpha;
    };

    SceneHangOn(Engine* engine, const std::string& title, int part);
    ~SceneHangOn() override;

    void render(int timeMs, int frameDeltaMs) override;

    // The text a part prints, exactly as handed to the font (parts stored last character
    // first included); empty for a part number outside 0..7.
    static std::string partText(int part);
    // The same text in reading order: for the parts stored last character first, partText
    // turned around without the line break appended to it.
    static std::string readingText(int part);

    static Placement placement(int part, float t);
    static Metrics metrics(int part);
    // Part 4 draws a different stack in its quarter-size pass; the other parts draw the same
    // stack in both passes.
    static TextStack textStack(int part, float t, bool quarterSizePass);
    static CharacterPose characterPose(Motion motion, float u, float column, float line);
    // Frame, colour, alpha and metrics of the part on the font (no OpenGL call).
    static void configureFont(BitmapFont& font, int part, float t);
    // Only parts 0 and 4 have a ring.
    static bool hasSpriteRing(int part) { return part == 0 || part == 4; }
    static SpriteRing spriteRing(int part, float t);
    static RockingImage rockingImage(float t);

    Engine* engine;
    int part;
    Camera* camera;
    std::string text;  // partText(part), built once

private:
    void drawTextStack(BitmapFont* font, const TextStack& stack);
    void drawSpriteRing(float t);
    // The full-size picture's ring on the fused path: drawn at half the render size into its
    // own target, then stretched over the cleared frame. The ring is a soft, low-frequency
    // cloud, so the stretched picture stays within a rounding step or two of the full-size one,
    // at a quarter of the pixels.
    void drawSpriteRingAtHalfSize(float t);
    std::unique_ptr<RenderTarget> ringTarget;
    void drawRockingImage(float t);
};
