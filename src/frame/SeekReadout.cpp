#include "frame/SeekReadout.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdio>

#include "engine/Engine.h"
#include "render/BitmapFont.h"

namespace {

std::string minutesAndSeconds(int ms) {
    const int seconds = std::max(ms, 0) / 1000;
    char text[32];
    std::snprintf(text, sizeof text, "%d:%02d", seconds / 60, seconds % 60);
    return text;
}

void rectangle(float x0, float y0, float x1, float y1) {
    glBegin(GL_QUADS);
    glVertex2f(x0, y0);
    glVertex2f(x1, y0);
    glVertex2f(x1, y1);
    glVertex2f(x0, y1);
    glEnd();
}

}  // namespace

void SeekReadout::noteSeek(unsigned ticks) {
    seeked = true;
    lastSeekTicks = ticks;
}

bool SeekReadout::visible(unsigned ticks, bool paused) const {
    return paused || (seeked && ticks - lastSeekTicks < kShowMs);
}

std::string SeekReadout::timeText(int timeMs, int endMs) {
    return minutesAndSeconds(timeMs) + " / " + minutesAndSeconds(endMs);
}

float SeekReadout::barPosition(int timeMs, int endMs, float width) {
    if (endMs <= 0) return 0.0f;
    const float share = static_cast<float>(std::min(std::max(timeMs, 0), endMs)) /
                        static_cast<float>(endMs);
    return share * width;
}

namespace {

// Window pixels, y up, with no texture, lighting, depth or culling in the way; every state is
// saved first and given back by endOverlay.
void beginOverlay(int width, int height) {
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glPushClientAttrib(GL_CLIENT_ALL_ATTRIB_BITS);
    GLint units = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
    for (int unit = units - 1; unit >= 0; --unit) {
        glActiveTextureARB(GL_TEXTURE0_ARB + unit);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glDisable(GL_TEXTURE_GEN_R);
        glDisable(GL_TEXTURE_GEN_Q);
    }
    // Unit 0 is active from here on (the font draws with it).
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glViewport(0, 0, width, height);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_ALPHA_TEST);
    glDisable(GL_COLOR_MATERIAL);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void endOverlay() {
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glActiveTextureARB(GL_TEXTURE0_ARB);
    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopClientAttrib();
    glPopAttrib();
}

}  // namespace

void SeekReadout::draw(Engine& engine, int timeMs, int endMs) {
    const float w = static_cast<float>(engine.windowWidth);
    const float h = static_cast<float>(engine.windowHeight);
    // Sizes follow the window: readable on a small window, not shouting on a large one.
    const float margin = std::max(10.0f, h / 40.0f);
    const float textHeight = std::max(14.0f, h / 28.0f);
    const float barHeight = std::max(3.0f, h / 200.0f);
    const float barY = margin;
    const float barLength = w - 2.0f * margin;

    beginOverlay(engine.windowWidth, engine.windowHeight);
    // A dark band under the read-out keeps it legible on bright pictures.
    glColor4f(0.0f, 0.0f, 0.0f, 0.55f);
    rectangle(0.0f, 0.0f, w, barY + barHeight + textHeight + 1.5f * margin);
    // The score: the whole bar, the part played, and a mark where each scene starts or ends.
    glColor4f(0.45f, 0.45f, 0.45f, 1.0f);
    rectangle(margin, barY, margin + barLength, barY + barHeight);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    rectangle(margin, barY, margin + barPosition(timeMs, endMs, barLength), barY + barHeight);
    glColor4f(0.8f, 0.85f, 1.0f, 1.0f);
    for (int boundary : engine.sceneBoundaries()) {
        if (boundary <= 0 || boundary >= endMs) continue;
        const float x = margin + barPosition(boundary, endMs, barLength);
        rectangle(x - 1.0f, barY - barHeight, x + 1.0f, barY + 2.0f * barHeight);
    }
    const float textY = barY + barHeight + margin * 0.5f + textHeight * 0.5f;
    drawTexts(engine, timeMs, endMs, margin, textY, textHeight);
    endOverlay();
}

void SeekReadout::drawTexts(Engine& engine, int timeMs, int endMs, float margin, float y,
                            float textHeight) {
    BitmapFont* engineFont = engine.font();
    if (engineFont == nullptr || !engineFont->canDraw()) return;
    // A copy: the scenes' settings of the engine's font stay as they were.
    BitmapFont font = *engineFont;
    const float advance = textHeight * 0.5f;
    font.setMetrics(textHeight * 0.7f, textHeight, advance, textHeight);
    font.setColourAlpha(1.0f, 1.0f, 1.0f, 1.0f);
    // Lines run down the screen, which keeps the glyphs upright in these coordinates.
    const Vec3 right(1.0f, 0.0f, 0.0f), up(0.0f, -1.0f, 0.0f);
    font.setFrame(Vec3(margin + advance * 0.5f, y, 0.0f), right, up);
    font.setCursor(0, 0);
    font.print(engine.sceneOnTop(timeMs));
    const std::string time = timeText(timeMs, endMs);
    const float timeWidth = advance * static_cast<float>(time.size());
    const float w = static_cast<float>(engine.windowWidth);
    font.setFrame(Vec3(w - margin - timeWidth + advance * 0.5f, y, 0.0f), right, up);
    font.setCursor(0, 0);
    font.print(time);
}
