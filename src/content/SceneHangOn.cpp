#include "content/SceneHangOn.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "content/SceneKit.h"
#include "engine/Engine.h"
#include "engine/GlCaps.h"
#include "engine/StageTimer.h"
#include "render/BitmapFont.h"
#include "render/Camera.h"
#include "render/RenderTarget.h"
#include "render/ScreenEffects.h"

using namespace scenekit;

namespace {

const double kPi = 3.14159265358979;

// The shape every motion is built from: a smooth swing between -1 and 1 that lingers at its
// ends.
float wave(float x) { return static_cast<float>(std::sin(std::cos(x) * 6.283184)); }

std::string reversed(const std::string& s) { return std::string(s.rbegin(), s.rend()); }

// The texts as they read on screen. The credits and the greetings name invented people and
// groups.
const char* const kHangOn = "Hang on with us.";
// The trailing line break leaves an empty line under the five words, where the start column
// (which only applies to the first stored line) shows nothing.
const char* const kInTheHouse = "ORVEL\nIs\nIn\nThe\nHouse.\n";
const char* const kTasteTheBeat = "Can U Taste The Beat?";
// The trailing line break becomes the stored text's first character: the shifted start
// column then falls on an empty line, and every credit line stays centred.
const char* const kCredits =
    "VERDANTH\n"
    "a demo grown from\n"
    "light and noise by\n"
    "ORVEL\n"
    "\n"
    "CODE\n"
    "Hexwyn Ardel\n"
    "Pell Varro\n"
    "\n"
    "MUSIC\n"
    "Sundew Marshwick\n"
    "\n"
    "GRAPHICS\n"
    "Ivory Fen\n"
    "Tassel Oru\n";
const char* const kGreetingsHeader = "ORVEL sends regards to\n\n";
const char* const kGreetingsFirst =
    "Mossgrinders\n"
    "Tidal Foxes\n"
    "Quartz Owls\n"
    "Brass Lantern\n"
    "Nine Herons\n";
const char* const kGreetingsSecond =
    "Velvet Static\n"
    "Paper Comets\n"
    "Slow Glaciers\n"
    "Copper Moth\n"
    "Lichen Crew\n";
const char* const kGreetingsThird =
    "Dune Ferrets\n"
    "Hollow Bells\n"
    "Saltmarsh Choir\n"
    "Amber Drones\n"
    "Kiln Society\n"
    "Night Orchard\n";
const char* const kPills = "We swallowed lumerant pills";
const char* const kBeat =
    "Have a beat with the lumerant, Verdanth.    Fernhollow Gathering   Enjoy the party!";
const char* const kEnd =
    "And now Verdanth has to fade out too...         ORVEL thanks you for watching.";

}  // namespace

SceneHangOn::SceneHangOn(Engine* e, const std::string& title, int partNumber)
    : Scene(title), engine(e), part(partNumber), camera(nullptr), text(partText(partNumber)) {
    char cameraName[64];
    std::snprintf(cameraName, sizeof cameraName, "SceneHangOn%d.camera0", part);
    camera = sceneCamera(engine, cameraName);
    if (camera != nullptr) camera->position = Vec3(0.0f, 0.0f, -5.0f);
}

SceneHangOn::~SceneHangOn() = default;

std::string SceneHangOn::readingText(int part) {
    switch (part) {
    case 0: return kHangOn;
    case 1: return kInTheHouse;
    case 2: return kTasteTheBeat;
    case 3: return kCredits;
    case 4:
        return std::string(kGreetingsHeader) + kGreetingsFirst + kGreetingsSecond +
               kGreetingsThird;
    case 5: return std::string(kPills) + "\n";
    case 6: return std::string(kBeat) + "\n";
    case 7: return std::string(kEnd) + "\n";
    default: return std::string();
    }
}

std::string SceneHangOn::partText(int part) {
    // Parts 0 to 3 are printed with a negative advance (and, with several lines, a negative
    // line advance), which lays characters and lines out backwards: they are stored last
    // character first so that they read forwards.
    if (part >= 0 && part <= 3) return reversed(readingText(part)) + "\n";
    return readingText(part);
}

SceneHangOn::Placement SceneHangOn::placement(int part, float t) {
    const float d = t - 1.0f;
    const float x = 8.5f - 6.0f * d;
    Placement p;
    p.right = Vec3(1.0f, 0.25f, -0.1f);
    p.up = Vec3(0.25f, -0.8f, 0.0f);
    switch (part) {
    case 0:
        p.position = Vec3(x, d * 3.0f * 0.7f - 0.16000009f, 0.0f);
        p.right = Vec3(1.0f, -0.25f, -0.1f);
        p.up = Vec3(-0.25f, -0.8f, 0.0f);
        break;
    case 1: p.position = Vec3(x * 0.1f, d * 5.5f * 0.85f - 3.66f, 0.0f); break;
    case 2: p.position = Vec3(x, 6.84f - d * 3.0f * 0.85f, 0.0f); break;
    case 3: p.position = Vec3(x * 0.1f, d * 1.75f * 0.85f - 1.6600001f, 5.0f); break;
    case 4: p.position = Vec3(x * 0.13f, d * 3.5f * 0.85f - 3.66f, 0.0f); break;
    default: p.position = Vec3(x, 5.84f - d * 2.2f * 0.85f, 0.0f); break;
    }
    return p;
}

SceneHangOn::Metrics SceneHangOn::metrics(int part) {
    switch (part) {
    case 0: return Metrics{1.5f, -0.8f, 0.8f};
    case 1: return Metrics{1.5f, -0.8f, -1.5f};
    case 2: return Metrics{1.5f, -0.8f, 0.8f};
    case 3: return Metrics{1.0f, -0.6f, -2.2f};
    case 4: return Metrics{1.0f, 0.6f, 2.2f};
    default: return Metrics{1.5f, 0.8f, 1.5f};
    }
}

SceneHangOn::TextStack SceneHangOn::textStack(int part, float t, bool quarterSizePass) {
    // A running time below 0 (after seeking back past the part's start) must not reach the
    // fractional power: it would give NaN and lose every glyph.
    const float paced = 2.0f * static_cast<float>(std::pow(std::max(t, 0.0f), 1.1));
    switch (part) {
    case 0: return TextStack{40, -11, 5, false, Motion::Nod, paced, 0.07f, -10.0f, false};
    case 1: return TextStack{40, -11, -3, true, Motion::Rock, paced, 0.03f, -10.0f, true};
    case 2: return TextStack{40, -11, 5, false, Motion::Nod, paced, 0.07f, -10.0f, true};
    case 3: return TextStack{40, -11, -17, true, Motion::DeepRock, t, 0.03f, -10.0f, true};
    case 4:
        if (quarterSizePass)
            return TextStack{30, -3, 0, true, Motion::Drift, 2.0f * t, 0.05f, -10.2f, true};
        return TextStack{20, 0, 0, true, Motion::Drift, 2.0f * t, 0.03f, -10.0f, true};
    default: return TextStack{40, 11, 0, false, Motion::Nod, paced, 0.07f, -10.0f, true};
    }
}

SceneHangOn::CharacterPose SceneHangOn::characterPose(Motion motion, float u, float column,
                                                      float line) {
    const float w = std::sin(u + column);
    const float swing = wave(0.333f * u + 0.2f * column);
    CharacterPose pose;
    pose.colour = Vec3(0.65f + 0.05f * w, 0.65f + 0.05f * w, 0.652f + 0.15f * w);
    pose.angleDegrees = swing * 54.000004f;
    pose.axis = Vec3(0.13f, 1.0f, 0.0f);
    switch (motion) {
    case Motion::Rock:
        pose.translation = Vec3(0.0f, 0.0f, 4.0f * wave(0.333f * u + 0.2f * line));
        break;
    case Motion::Nod:
        pose.colour = Vec3(0.5f + 0.05f * w, 0.5f + 0.05f * w, 0.52f + 0.05f * w);
        pose.translation = Vec3(0.0f, 0.0f, 2.0f * swing);
        break;
    case Motion::DeepRock:
        pose.translation = Vec3(0.0f, 0.0f, -6.0f * wave(0.333f * u + 0.2f * line) - 5.0f);
        break;
    case Motion::Drift:
        pose.translation = Vec3(0.0f, 0.05f * wave(0.2f * u + 0.5f * column),
                                -5.0f * wave(0.333f * u + 0.2f * line) - 3.5f);
        pose.angleDegrees = wave(0.15f * u + 0.2f * column) * 51.600002f;
        pose.axis = Vec3(0.1f, 1.0f, 0.04f);
        break;
    }
    return pose;
}

void SceneHangOn::configureFont(BitmapFont& font, int part, float t) {
    const Placement p = placement(part, t);
    const Metrics m = metrics(part);
    font.setFrame(p.position, p.right, p.up);
    font.setColour(1.0f, 1.0f, 1.0f);
    font.setAlpha(1.0f);
    font.setMetrics(m.glyphSize, m.glyphSize, m.advance, m.lineAdvance);
}

SceneHangOn::SpriteRing SceneHangOn::spriteRing(int part, float t) {
    FadeCurve turn;
    turn.start = 0.5f;
    turn.length = 1.5f;
    const float k = turn.fadeIn(t, 1.0f, 1.0f);

    SpriteRing ring;
    Vec3 q;
    if (part == 4) {
        q = Vec3(2.5f - 0.5f * t, 0.0f, -1.5f - 0.5f * wave(0.333f * t));
        ring.angleX = wave(0.111f * t) * 10.0f;
        ring.angleZ = 120.0f - 15.0f * k;
    } else {
        q = Vec3(-0.4f * t, 0.0f, -1.5f);
        ring.angleX = 0.0f;
        ring.angleZ = -15.0f * k;
    }
    for (int i = 0; i < kRingSprites; ++i) {
        const double a = std::sin(std::cos(i * 42.3454));
        const double b = std::cos(std::sin(i / 20.0 * 3.3415));
        float hx, hy;
        if (part == 4) {
            hx = static_cast<float>(1.5 * b + 5.5);
            hy = static_cast<float>(2.0 - 0.4 * a);
        } else {
            hx = static_cast<float>(b + 2.2);
            hy = static_cast<float>(1.1 - 0.4 * a);
        }
        // Mirror the sprites in a repeating pattern so that neighbours never look alike.
        switch (i % 4) {
        case 1: hy = -hy; break;
        case 2: hx = -hx; break;
        case 3: hy = -hy; break;
        default: break;
        }
        q.z += 0.15f;
        ring.centres[i] = Vec3(q.x + 0.15f * hx, q.y, q.z);
        ring.halfSizes[i] = Vec3(hx, hy, 0.0f);
    }
    return ring;
}

SceneHangOn::RockingImage SceneHangOn::rockingImage(float t) {
    FadeCurve slide;
    slide.start = 0.0f;
    slide.length = 1.0f;
    slide.outStart = 22.0f;
    slide.outLength = 1.0f;
    const float k = slide.fadeInOut(t, 1.0f, 1.0f);
    const double g = 2.0 * t;
    RockingImage image;
    image.translation = Vec3((1.0f - k) * 2.75f + 1.62f * k, 0.375f, -2.0f);
    image.angleDegrees = static_cast<float>((std::sin(g * kPi * 0.05) * 0.25 + 0.25) * 30.0);
    image.glowAlpha = static_cast<float>(std::sin(g * kPi * 0.5) * 0.25 + 0.25);
    return image;
}

void SceneHangOn::drawTextStack(BitmapFont* font, const TextStack& stack) {
    if (font == nullptr) return;
    const Motion motion = stack.motion;
    const BitmapFont::PerCharacter move = [motion](float u, float column, float line) {
        const CharacterPose pose = characterPose(motion, u, column, line);
        GlyphPose glyph;
        glyph.setsColour = true;
        glyph.colour = pose.colour;
        glyph.translation = pose.translation;
        glyph.angleDegrees = pose.angleDegrees;
        glyph.axis = pose.axis;
        return glyph;
    };

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, stack.depth);
    if (stack.depthTest) {
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glDepthMask(GL_TRUE);
    } else {
        glDisable(GL_DEPTH_TEST);
    }
    // Every layer starts from the same cursor, so the copies lie exactly behind each other.
    font->setAlpha(1.0f);
    font->setCursor(stack.column, stack.line);
    font->printStack(text, stack.layers, Vec3(0.0f, 0.0f, stack.step), stack.centre, 1.25f, 2.0f,
                     move, stack.value);
    glDisable(GL_DEPTH_TEST);
    glPopMatrix();
}

void SceneHangOn::drawSpriteRing(float t) {
    ScreenEffects* fx = engine->screenEffects;
    if (fx == nullptr) return;
    const SpriteRing ring = spriteRing(part, t);
    const GLuint sprite = textureNamed(engine, "alkua");
    const Vec3 tint(0.0f, 0.0f, 0.03f);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(ring.angleX, 1.0f, 0.0f, 0.0f);
    glRotatef(ring.angleZ, 0.0f, 0.0f, 1.0f);
    for (int i = 0; i < kRingSprites; ++i) {
        glPushMatrix();
        glTranslatef(ring.centres[i].x, ring.centres[i].y, ring.centres[i].z);
        fx->drawTexturedQuad(sprite, Blend::Alpha, &tint, 0.5f, &ring.halfSizes[i], false);
        glPopMatrix();
    }
    glPopMatrix();
}

void SceneHangOn::drawSpriteRingAtHalfSize(float t) {
    ScreenEffects* fx = engine->screenEffects;
    if (fx == nullptr) return;
    const int width = std::max(1, fx->viewWidth / 2), height = std::max(1, fx->viewHeight / 2);
    if (!ringTarget) {
        ringTarget = std::make_unique<RenderTarget>();
        std::string error;
        if (!ringTarget->create(width, height, RenderTarget::Colour, &error))
            std::fprintf(stderr, "verdanth: the ring is drawn at full size: %s\n", error.c_str());
    }
    if (!ringTarget->valid()) {
        drawSpriteRing(t);
        return;
    }
    // The same projection, half the pixels.
    ringTarget->bind();
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    drawSpriteRing(t);
    fx->useSmallTextures = 0;
    fx->bindFrame();

    // The frame was cleared to transparent black, which is what the target started from, so
    // the target's picture replaces it. Clamped to the edge: the border colour would darken the
    // outer pixels.
    pushIdentity();
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_COLOR_MATERIAL);
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, ringTarget->colourTexture());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, -1.0f, -1.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(1.0f, -1.0f, -1.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(1.0f, 1.0f, -1.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-1.0f, 1.0f, -1.0f);
    glEnd();
    // What the ring's own quads leave.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (glCaps.supportsBlendFuncSeparate)
        glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE,
                               GL_ONE_MINUS_SRC_ALPHA);
    popIdentity();
}

void SceneHangOn::drawRockingImage(float t) {
    ScreenEffects* fx = engine->screenEffects;
    if (fx == nullptr) return;
    const RockingImage image = rockingImage(t);
    const GLuint plexi = textureNamed(engine, "plexi");
    const Vec3 black(0.0f, 0.0f, 0.0f);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslatef(image.translation.x, image.translation.y, image.translation.z);
    glRotatef(image.angleDegrees, 1.0f, 0.5f, 1.0f);
    fx->drawTexturedQuad(plexi, Blend::Alpha, nullptr, 1.0f, nullptr, false);
    // The same image again, added by its own alpha: a slow pulse of brightness.
    fx->drawTexturedQuad(plexi, Blend::AlphaAdditive, &black, image.glowAlpha, nullptr, false);
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void SceneHangOn::render(int /*timeMs*/, int frameDeltaMs) {
    localTime += frameDeltaMs;
    if (part < 0 || part >= kPartCount || camera == nullptr) return;
    const float t = static_cast<float>(localTime) / 1000.0f;

    // From the first text part on, the engine's font is the one without a baked shadow.
    engine->useNoShadowFont = true;
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    BitmapFont* font = engine->font();
    // Without its texture the font has nothing to draw: the part shows no text.
    if (font != nullptr && !font->canDraw()) font = nullptr;
    if (font != nullptr) configureFont(*font, part, t);

    const TextStack quarterStack = textStack(part, t, true);
    const TextStack fullStack = textStack(part, t, false);
    ScreenEffects* fx = engine->screenEffects;
    // The halo needs two private slots after those the frame has taken.
    const bool halo = haloSlotsFree(fx);

    if (halo) {
        // Quarter-size picture of the text.
        camera->applySmall();
        fx->useSmallTextures = 1;
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        if (part == 0) drawSpriteRing(t);
        drawTextStack(font, quarterStack);
        if (part == 4) drawSpriteRing(t);
        stagetimer::mark("halo text");
        camera->restore();
        blurHalo(*fx, camera, 0.5f, 5, 0.0f);
    }

    // The sharp picture at full size, under the camera's projection for every part (the
    // opening part included, so that it does not depend on the projection earlier drawing
    // left behind; its stack and ring load their own modelview anyway).
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    camera->apply();
    if (hasSpriteRing(part)) {
        if (fx != nullptr && fx->fused())
            drawSpriteRingAtHalfSize(t);
        else
            drawSpriteRing(t);
    }
    if (part == 3) drawRockingImage(t);
    drawTextStack(font, fullStack);
    stagetimer::mark("text");

    if (halo) addHalo(*fx);
    camera->restore();
}
