#include "render/BitmapFont.h"

#include "engine/GlCaps.h"
#include "resources/TextureManager.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <vector>

FontPixelLayout basicOutputFontLayout() {
    return FontPixelLayout{32, 16, 9, 38.0f, 55.0f, 43.0f, 37.0f, 62.4f, 57.0f};
}

FontPixelLayout basicOutputFontNoShadowLayout() {
    return FontPixelLayout{32, 16, 9, 76.0f, 110.0f, 86.0f, 74.0f, 124.8f, 114.0f};
}

FontLayout FontLayout::fromPixels(const FontPixelLayout& pixels, const std::string& textureName,
                                  int textureWidth, int textureHeight) {
    const float w = static_cast<float>(textureWidth);
    const float h = static_cast<float>(textureHeight);
    FontLayout layout;
    layout.textureName = textureName;
    layout.firstChar = pixels.firstChar;
    layout.columns = pixels.columns;
    layout.rows = pixels.rows;
    layout.glyphU = pixels.glyphWidth / w;
    layout.glyphV = pixels.glyphHeight / h;
    layout.originU = pixels.originX / w;
    layout.originV = pixels.originY / h;
    layout.pitchU = pixels.pitchX / w;
    layout.pitchV = pixels.pitchY / h;
    return layout;
}

BitmapFont::BitmapFont(TextureManager* textureRegistry, const FontLayout& layout)
    : textures(textureRegistry),
      textureName(layout.textureName),
      firstChar(layout.firstChar),
      columns(layout.columns),
      rows(layout.rows),
      glyphU(layout.glyphU),
      glyphV(layout.glyphV),
      originU(layout.originU),
      originV(layout.originV),
      pitchU(layout.pitchU),
      pitchV(layout.pitchV) {}

namespace {
// The font texture's record, when it has a size to scale the pixel layout by.
const TextureRecord* fontTexture(TextureManager* textures, const std::string& textureName) {
    const TextureRecord* record = textures != nullptr ? textures->find(textureName) : nullptr;
    return record != nullptr && record->width > 0 && record->height > 0 ? record : nullptr;
}

// Without the texture there is nothing to scale by; a zero-sized layout stands in and the font
// draws nothing.
FontLayout layoutForTexture(TextureManager* textures, const std::string& textureName,
                            const FontPixelLayout& pixels) {
    if (const TextureRecord* record = fontTexture(textures, textureName))
        return FontLayout::fromPixels(pixels, textureName, record->width, record->height);
    FontLayout empty;
    empty.textureName = textureName;
    empty.firstChar = pixels.firstChar;
    empty.columns = pixels.columns;
    empty.rows = pixels.rows;
    return empty;
}
}  // namespace

BitmapFont::BitmapFont(TextureManager* textureRegistry, const std::string& fontTextureName,
                       const FontPixelLayout& layout)
    : BitmapFont(textureRegistry, layoutForTexture(textureRegistry, fontTextureName, layout)) {
    hasLayout = fontTexture(textureRegistry, fontTextureName) != nullptr;
}

void BitmapFont::setFrame(const Vec3& newPosition, const Vec3& newRight, const Vec3& newUp) {
    position = newPosition;
    right = newRight;
    up = newUp;
}

void BitmapFont::setMetrics(float newGlyphWidth, float newGlyphHeight, float newAdvance,
                            float newLineAdvance) {
    glyphWidth = newGlyphWidth;
    glyphHeight = newGlyphHeight;
    advance = newAdvance;
    lineAdvance = newLineAdvance;
}

void BitmapFont::setColour(float r, float g, float b) { colour = Vec3(r, g, b); }

void BitmapFont::setColour(const Vec3& c) { colour = c; }

void BitmapFont::setColourAlpha(float r, float g, float b, float newAlpha) {
    colour = Vec3(r, g, b);
    alpha = newAlpha;
}

void BitmapFont::setAlpha(float newAlpha) { alpha = newAlpha; }

void BitmapFont::setCursor(int newColumn, int newLine) {
    column = newColumn;
    line = newLine;
}

void BitmapFont::setColumn(int newColumn) { column = newColumn; }

void BitmapFont::setLine(int newLine) { line = newLine; }

bool BitmapFont::inGrid(int ch) const {
    if (columns <= 0 || rows <= 0 || ch < firstChar) return false;
    return ch - firstChar < columns * rows;
}

std::vector<GlyphQuad> BitmapFont::layout(const std::string& text, bool centre,
                                          float columnShift, float advanceOverride,
                                          float scaleX, float scaleY) {
    // Characters per line, '\n' excluded; a text ending in '\n' has an empty last line.
    std::vector<int> lineLengths(1, 0);
    for (char c : text) {
        if (c == '\n')
            lineLengths.push_back(0);
        else
            ++lineLengths.back();
    }

    std::size_t lineIndex = 0;
    float lineLength = centre ? static_cast<float>(lineLengths[0]) : 0.0f;
    const float step = advanceOverride != 0.0f ? advanceOverride : advance;
    const Vec3 halfWidth = right * (glyphWidth * 0.5f * scaleX);
    const Vec3 halfHeight = up * (glyphHeight * 0.5f * scaleY);
    const float halfU = glyphU * 0.5f;
    const float halfV = glyphV * 0.5f;

    std::vector<GlyphQuad> quads;
    quads.reserve(text.size());
    for (char c : text) {
        const int ch = static_cast<signed char>(c);
        if (ch == ' ') {
            ++column;
            continue;
        }
        if (ch == '\n') {
            ++line;
            column = 0;
            ++lineIndex;
            lineLength = centre ? static_cast<float>(lineLengths[lineIndex]) : 0.0f;
            continue;
        }
        if (!inGrid(ch)) {
            ++column;
            continue;
        }
        const int cell = ch - firstChar;
        const float cu = static_cast<float>(cell % columns) * pitchU + originU;
        const float cv = static_cast<float>(cell / columns) * pitchV + originV;

        const float x = (static_cast<float>(column) - (lineLength - 1.0f) * 0.5f + columnShift) *
                        step * scaleX;
        const float y = static_cast<float>(line) * lineAdvance;

        GlyphQuad quad;
        quad.origin = position + right * x + up * y;
        quad.corners[0] = halfWidth * -1.0f - halfHeight;
        quad.corners[1] = halfHeight - halfWidth;
        quad.corners[2] = halfWidth + halfHeight;
        quad.corners[3] = halfWidth - halfHeight;
        quad.s[0] = cu - halfU;
        quad.t[0] = cv - halfV;
        quad.s[1] = cu - halfU;
        quad.t[1] = cv + halfV;
        quad.s[2] = cu + halfU;
        quad.t[2] = cv + halfV;
        quad.s[3] = cu + halfU;
        quad.t[3] = cv - halfV;
        quad.character = ch;
        quad.column = column;
        quad.line = line;
        quads.push_back(quad);
        ++column;
    }
    return quads;
}

namespace {

// The rotation glRotatef(angleDegrees, axis) makes, applied to v; no turn about a zero axis.
Vec3 rotated(const Vec3& v, float angleDegrees, const Vec3& axis) {
    const float length = axis.length();
    if (length == 0.0f || angleDegrees == 0.0f) return v;
    const Vec3 a = axis / length;
    const float radians = angleDegrees * 3.14159265358979f / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians), k = 1.0f - c;
    return Vec3((a.x * a.x * k + c) * v.x + (a.x * a.y * k - a.z * s) * v.y +
                    (a.x * a.z * k + a.y * s) * v.z,
                (a.y * a.x * k + a.z * s) * v.x + (a.y * a.y * k + c) * v.y +
                    (a.y * a.z * k - a.x * s) * v.z,
                (a.z * a.x * k - a.y * s) * v.x + (a.z * a.y * k + a.x * s) * v.y +
                    (a.z * a.z * k + c) * v.z);
}

// One glyph's corners and texture coordinates, cut to its ink box and turned by its pose.
struct PosedGlyph {
    Vec3 corners[4];
    float s[4], t[4];
};

std::vector<GlyphVertex> vertexScratch;
std::vector<GlyphPose> poseScratch;
std::vector<PosedGlyph> posedScratch;

float clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }

}  // namespace

std::vector<InkBox> glyphInkBoxes(const std::vector<unsigned char>& alpha, int width, int height,
                                  const FontLayout& layout) {
    std::vector<InkBox> boxes(static_cast<std::size_t>(std::max(0, layout.columns * layout.rows)));
    const float boxWidth = layout.glyphU * static_cast<float>(width);
    const float boxHeight = layout.glyphV * static_cast<float>(height);
    if (width <= 0 || height <= 0 || boxWidth <= 0.0f || boxHeight <= 0.0f ||
        alpha.size() < static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return boxes;
    for (std::size_t cell = 0; cell < boxes.size(); ++cell) {
        const int col = static_cast<int>(cell) % layout.columns;
        const int row = static_cast<int>(cell) / layout.columns;
        // The box in texel units: texel i covers [i, i + 1).
        const float left = (static_cast<float>(col) * layout.pitchU + layout.originU) *
                               static_cast<float>(width) - boxWidth * 0.5f;
        const float bottom = (static_cast<float>(row) * layout.pitchV + layout.originV) *
                                 static_cast<float>(height) - boxHeight * 0.5f;
        // Linear sampling at x reads texels floor(x - 0.5) and the one after it.
        const int i0 = static_cast<int>(std::floor(left - 0.5f));
        const int i1 = static_cast<int>(std::floor(left + boxWidth - 0.5f)) + 1;
        const int j0 = static_cast<int>(std::floor(bottom - 0.5f));
        const int j1 = static_cast<int>(std::floor(bottom + boxHeight - 0.5f)) + 1;
        if (i0 < 0 || j0 < 0 || i1 >= width || j1 >= height) continue;
        int inkLeft = i1 + 1, inkRight = i0 - 1, inkBottom = j1 + 1, inkTop = j0 - 1;
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i) {
                if (alpha[static_cast<std::size_t>(j) * width + i] == 0) continue;
                inkLeft = std::min(inkLeft, i);
                inkRight = std::max(inkRight, i);
                inkBottom = std::min(inkBottom, j);
                inkTop = std::max(inkTop, j);
            }
        InkBox& box = boxes[cell];
        if (inkRight < inkLeft) {
            box = InkBox{0.5f, 0.5f, 0.5f, 0.5f};
            continue;
        }
        // Texels a to b reach the samples in [a - 0.5, b + 1.5).
        box.s0 = clamp01((static_cast<float>(inkLeft) - 1.0f - left) / boxWidth);
        box.s1 = clamp01((static_cast<float>(inkRight) + 2.0f - left) / boxWidth);
        box.t0 = clamp01((static_cast<float>(inkBottom) - 1.0f - bottom) / boxHeight);
        box.t1 = clamp01((static_cast<float>(inkTop) + 2.0f - bottom) / boxHeight);
    }
    return boxes;
}

void BitmapFont::readInkBoxes() const {
    inkBoxesRead = true;
    const TextureRecord* record = textures != nullptr ? textures->find(textureName) : nullptr;
    if (record == nullptr) return;
    const bool noMipmaps = record->minFilter == GL_LINEAR || record->minFilter == GL_NEAREST;
    if (!noMipmaps) return;
    int width = 0, height = 0;
    const std::vector<unsigned char> alpha = textures->readAlpha(textureName, &width, &height);
    FontLayout layout;
    layout.firstChar = firstChar;
    layout.columns = columns;
    layout.rows = rows;
    layout.glyphU = glyphU;
    layout.glyphV = glyphV;
    layout.originU = originU;
    layout.originV = originV;
    layout.pitchU = pitchU;
    layout.pitchV = pitchV;
    inkBoxes = glyphInkBoxes(alpha, width, height, layout);
}

void BitmapFont::draw(const std::vector<GlyphQuad>& quads, int copies, const Vec3& step,
                      const PerCharacter& perCharacter, float userValue, int blendMode) const {
    const bool separateBlend =
        glCaps.supportsBlendFuncSeparate && glBlendFuncSeparateEXT != nullptr;
    if (!inkBoxesRead) readInkBoxes();
    setDrawingState(blendMode, separateBlend);
    const std::vector<GlyphVertex>& vertices =
        glyphVertices(quads, copies, step, perCharacter, userValue);
    if (!vertices.empty()) {
        drawGlyphs(vertices, blendMode, separateBlend);
        // The colour the last character left current, as drawing it one by one would.
        const GlyphVertex& last = vertices.back();
        glColor4f(last.colour[0], last.colour[1], last.colour[2], last.colour[3]);
    }
    glDisable(GL_ALPHA_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void BitmapFont::setDrawingState(int blendMode, bool separateBlend) const {
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    if (blendMode == 0) {
        // Colour blends by the glyph's alpha; destination alpha accumulates coverage, so the
        // captured picture keeps the text's alpha for later compositing.
        if (separateBlend)
            glBlendFuncSeparateEXT(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE,
                                   GL_ONE_MINUS_SRC_ALPHA);
        else
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else if (blendMode == 1) {
        glBlendFunc(GL_SRC_COLOR, GL_DST_ALPHA);
    }
    if (glActiveTextureARB != nullptr) glActiveTextureARB(GL_TEXTURE0_ARB);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    textures->bind(textureName);
    glColor4f(colour.x, colour.y, colour.z, alpha);
    glEnable(GL_COLOR_MATERIAL);
}

// Four corners per character, copy after copy: each corner placed in the character's pose and
// coloured as the characters before it left the colour.
const std::vector<GlyphVertex>& BitmapFont::glyphVertices(const std::vector<GlyphQuad>& quads,
                                                          int copies, const Vec3& step,
                                                          const PerCharacter& perCharacter,
                                                          float userValue) const {
    // Every copy shows the same characters in the same poses.
    std::vector<GlyphPose>& poses = poseScratch;
    poses.assign(quads.size(), GlyphPose());
    if (perCharacter)
        for (size_t i = 0; i < quads.size(); ++i)
            poses[i] = perCharacter(userValue, static_cast<float>(quads[i].column),
                                    static_cast<float>(quads[i].line));

    // Each quad cut to the ink box of its character: the corners at fractions (a, b) of the way
    // along s (corner 0 to 3) and t (corner 0 to 1), in the same order as the whole quad's.
    std::vector<PosedGlyph>& posed = posedScratch;
    posed.resize(quads.size());
    for (size_t i = 0; i < quads.size(); ++i) {
        const GlyphQuad& quad = quads[i];
        const int cell = quad.character - firstChar;
        const InkBox box = cutGlyphsToInk && cell >= 0 &&
                                   static_cast<size_t>(cell) < inkBoxes.size()
                               ? inkBoxes[static_cast<size_t>(cell)]
                               : InkBox();
        const float a[4] = {box.s0, box.s0, box.s1, box.s1};
        const float b[4] = {box.t0, box.t1, box.t1, box.t0};
        const bool whole = box.s0 == 0.0f && box.s1 == 1.0f && box.t0 == 0.0f && box.t1 == 1.0f;
        for (int c = 0; c < 4; ++c) {
            Vec3 corner = quad.corners[c];
            posed[i].s[c] = quad.s[c];
            posed[i].t[c] = quad.t[c];
            if (!whole) {
                corner = quad.corners[0] + (quad.corners[3] - quad.corners[0]) * a[c] +
                         (quad.corners[1] - quad.corners[0]) * b[c];
                posed[i].s[c] = quad.s[0] + (quad.s[3] - quad.s[0]) * a[c];
                posed[i].t[c] = quad.t[0] + (quad.t[1] - quad.t[0]) * b[c];
            }
            posed[i].corners[c] = rotated(corner, poses[i].angleDegrees, poses[i].axis);
        }
    }

    std::vector<GlyphVertex>& vertices = vertexScratch;
    vertices.clear();
    for (int copy = 0; copy < copies; ++copy) {
        const Vec3 offset = step * static_cast<float>(copy);
        float current[4] = {colour.x, colour.y, colour.z, alpha};
        for (size_t i = 0; i < quads.size(); ++i) {
            const GlyphPose& pose = poses[i];
            if (pose.setsColour) {
                current[0] = pose.colour.x;
                current[1] = pose.colour.y;
                current[2] = pose.colour.z;
                current[3] = 1.0f;
            }
            const Vec3 centre = offset + quads[i].origin + pose.translation;
            for (int c = 0; c < 4; ++c) {
                const Vec3 p = centre + posed[i].corners[c];
                vertices.push_back(GlyphVertex{{p.x, p.y, p.z},
                                               {posed[i].s[c], posed[i].t[c]},
                                               {current[0], current[1], current[2], current[3]}});
            }
        }
    }
    return vertices;
}

void BitmapFont::drawGlyphs(const std::vector<GlyphVertex>& vertices, int blendMode,
                            bool separateBlend) const {
    const GLsizei stride = sizeof(GlyphVertex);
    if (glClientActiveTextureARB != nullptr) glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, vertices[0].position);
    glTexCoordPointer(2, GL_FLOAT, stride, vertices[0].texCoord);
    glColorPointer(4, GL_FLOAT, stride, vertices[0].colour);
    const GLsizei count = static_cast<GLsizei>(vertices.size());
    if (separateBlend) {
        glDrawArrays(GL_QUADS, 0, count);
    } else {
        // Colour and alpha of each character in two draws with their own blend functions,
        // giving the result of the separate blend function above.
        for (GLsizei first = 0; first < count; first += 4) {
            glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
            if (blendMode == 0) glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
            glDrawArrays(GL_QUADS, first, 4);
            glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
            if (blendMode == 0) glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
            glDrawArrays(GL_QUADS, first, 4);
        }
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

void BitmapFont::print(const std::string& text, bool centre, float columnShift,
                       float advanceOverride, float scaleX, float scaleY,
                       const PerCharacter& perCharacter, float userValue, int blendMode) {
    const std::vector<GlyphQuad> quads =
        layout(text, centre, columnShift, advanceOverride, scaleX, scaleY);
    // Without its texture the font would draw whatever texture happens to be bound.
    if (!hasLayout || textures == nullptr || textures->find(textureName) == nullptr) return;
    draw(quads, 1, Vec3(), perCharacter, userValue, blendMode);
}

void BitmapFont::printStack(const std::string& text, int copies, const Vec3& step, bool centre,
                            float scaleX, float scaleY, const PerCharacter& perCharacter,
                            float userValue) {
    const int startColumn = column, startLine = line;
    const std::vector<GlyphQuad> quads = layout(text, centre, 0.0f, 0.0f, scaleX, scaleY);
    if (copies <= 0) {
        column = startColumn;
        line = startLine;
        return;
    }
    if (!hasLayout || textures == nullptr || textures->find(textureName) == nullptr) return;
    draw(quads, copies, step, perCharacter, userValue, 0);
}
