#include "content/LoadingScreen.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>

#include "engine/Engine.h"
#include "render/BitmapFont.h"
#include "resources/ImageFiles.h"
#include "resources/TextureManager.h"

// Letters a column apart: the glyphs are three columns wide, and closer letters would hide
// each other.
const char* const LoadingScreen::kCaption = "G R O W S.";

float LoadingScreen::phase = 0.0f;

namespace {

const std::string kFontFile = std::string(imagefiles::kFolder) + imagefiles::kShadowFont;
const char* const kFontName = "basicOutputFont";

float wave(float x) { return static_cast<float>(std::sin(std::cos(x) * 6.283184)); }

}  // namespace

LoadingScreen::LoadingScreen(Engine* e, const std::string& sceneName)
    : Scene(sceneName), engine(e), textures(new TextureManager()), font(nullptr) {
    textures->load(kFontFile, kFontName);
    // Without the image the font has no size to scale its grid by; it then draws nothing.
    font = new BitmapFont(textures, kFontName, basicOutputFontLayout());
}

LoadingScreen::~LoadingScreen() {
    delete font;
    // Deletes the font texture; the loading thread's context is still current here.
    delete textures;
}

std::string LoadingScreen::printedText() {
    const std::string caption(kCaption);
    return std::string(caption.rbegin(), caption.rend()) + "\n";
}

float LoadingScreen::userValue(float t) {
    return 2.0f * static_cast<float>(std::pow(t > 0.0f ? t : 0.0f, 1.1));
}

double LoadingScreen::viewAspect(int windowWidth, int windowHeight) {
    const double window = windowHeight > 0 ? static_cast<double>(windowWidth) / windowHeight : 0.0;
    return window > 1.333 ? window : 1.333;
}

float LoadingScreen::swayDepth(float swayPhase) { return std::sin(swayPhase) * 2.3f - 12.0f; }

LoadingScreen::CharacterPose LoadingScreen::characterPose(float u, float column) {
    const float c = column * 0.2f + u * 0.5f;
    CharacterPose pose;
    pose.grey = 0.75f - wave(c) * 0.25f;
    pose.depth = wave(c);
    pose.angleDegrees = wave(u * 0.25f + column) * 12.0f;
    return pose;
}

void LoadingScreen::configureFont(BitmapFont& target) {
    // The right axis leans into the screen, so the line turns about the vertical; the up axis
    // points down the screen, which keeps the glyphs upright.
    target.setFrame(Vec3(-2.0f, 3.84f, 0.0f), Vec3(1.0f, 0.0f, -0.5f), Vec3(0.0f, -1.0f, 0.0f));
    target.setColour(1.0f, 1.0f, 1.0f);
    target.setAlpha(1.0f);
    target.setMetrics(1.2f, 0.6f, -0.4f, 0.6f);
    target.setCursor(1, 6);
}

void LoadingScreen::render(int timeMs, int /*frameDeltaMs*/) {
    const float t = static_cast<float>(timeMs) / 1000.0f;
    phase += kPhaseStep;

    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    glCullFace(GL_BACK);
    glEnable(GL_CULL_FACE);

    // A 4:3 view; a wider window widens it, so that the caption keeps its proportions.
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    // (The window's size is fixed before the loading thread starts; reading it is safe here.)
    gluPerspective(45.0, engine != nullptr ? viewAspect(engine->windowWidth, engine->windowHeight)
                                           : viewAspect(4, 3),
                   0.1, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, swayDepth(phase));

    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);

    if (font->canDraw()) {
        configureFont(*font);
        const BitmapFont::PerCharacter wobble = [](float u, float column, float /*line*/) {
            const CharacterPose pose = characterPose(u, column);
            GlyphPose glyph;
            glyph.setsColour = true;
            glyph.colour = Vec3(pose.grey, pose.grey, pose.grey);
            glyph.translation = Vec3(0.0f, 0.0f, pose.depth);
            glyph.angleDegrees = pose.angleDegrees;
            glyph.axis = Vec3(0.13f, 1.0f, 0.0f);
            return glyph;
        };
        font->print(printedText(), true, 0.0f, 0.0f, 1.25f, 2.0f, wobble, userValue(t), 0);
    }
    glMatrixMode(GL_MODELVIEW);
}

Scene* makeLoadingScreen(Engine* engine) { return new LoadingScreen(engine, "Loading"); }
