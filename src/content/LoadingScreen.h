#pragma once
#include <string>

#include "engine/Scene.h"
#include "render/VectorMath.h"

class BitmapFont;
class Engine;
class TextureManager;

// Shown by the loading thread while the main thread loads: one line of caption in 3D that
// sways towards and away from the viewer, each character wobbling and pulsing on its own
// phase. It runs in the loading thread's own OpenGL context, so it loads its own font texture
// into its own registry and never touches the engine's textures or OpenGL objects.
class LoadingScreen : public Scene {
public:
    // Ten characters, one line, as it reads on screen.
    static const char* const kCaption;

    // What the per-character function does to one character: a grey level, a push towards or
    // away from the viewer, and a turn about (0.13, 1, 0).
    struct CharacterPose {
        float grey;
        float depth;
        float angleDegrees;
    };

    LoadingScreen(Engine* engine, const std::string& name);
    ~LoadingScreen() override;
    LoadingScreen(const LoadingScreen&) = delete;
    LoadingScreen& operator=(const LoadingScreen&) = delete;

    // frameDeltaMs is not used: the animation follows timeMs and the number of frames drawn.
    void render(int timeMs, int frameDeltaMs) override;

    // The caption as handed to the font: stored last character first (it is printed with a
    // negative advance), followed by a line break.
    static std::string printedText();
    // The time value handed to the per-character function at t seconds.
    static float userValue(float t);
    // The aspect of the view: 4:3, or the window's when that is wider.
    static double viewAspect(int windowWidth, int windowHeight);
    // Distance of the caption from the viewer's plane for a sway phase.
    static float swayDepth(float phase);
    static CharacterPose characterPose(float userValue, float column);
    // Frame, colour, metrics and start cursor of the caption (no OpenGL call); set again on
    // every frame.
    static void configureFont(BitmapFont& font);

    // Advances by kPhaseStep on every render, for all loading screens of the process; never
    // reset.
    static float phase;
    static constexpr float kPhaseStep = 0.15f;

    Engine* engine;
    TextureManager* textures;
    BitmapFont* font;
};

// For the loading thread: the loading screen of the engine, named "Loading".
Scene* makeLoadingScreen(Engine* engine);
