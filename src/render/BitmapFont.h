#pragma once
// Text in 3D space: one textured quad per character, each glyph taken from a grid of cells in
// one font texture. Lines run along a caller-given right axis, successive lines along an up
// axis, starting from a position in the current modelview space.
#include "render/VectorMath.h"

#include <functional>
#include <string>
#include <vector>

class TextureManager;

// A glyph grid in pixels of its font image.
struct FontPixelLayout {
    int firstChar;   // character code of cell 0
    int columns;     // cells per grid row
    int rows;        // grid rows
    float glyphWidth, glyphHeight;  // the part of a cell that is drawn
    float originX, originY;         // centre of cell 0
    float pitchX, pitchY;           // distance between the centres of neighbouring cells
};

// The grids of the two engine fonts (imagefiles::kShadowFont and kPlainFont).
FontPixelLayout basicOutputFontLayout();
FontPixelLayout basicOutputFontNoShadowLayout();

// A glyph grid in texture coordinates (fractions of the font texture's width and height).
struct FontLayout {
    std::string textureName;
    int firstChar = 32;
    int columns = 16;
    int rows = 1;
    float glyphU = 0.0f, glyphV = 0.0f;
    float originU = 0.0f, originV = 0.0f;
    float pitchU = 0.0f, pitchV = 0.0f;

    // Horizontal measures divided by textureWidth, vertical ones by textureHeight.
    static FontLayout fromPixels(const FontPixelLayout& pixels, const std::string& textureName,
                                 int textureWidth, int textureHeight);
};

// One character's quad: the point its matrix is translated to, and the corners relative to it
// in drawing order (-right-up, +up-right, +right+up, +right-up, by the half extents) with
// their texture coordinates.
struct GlyphQuad {
    Vec3 origin;
    Vec3 corners[4];
    float s[4];
    float t[4];
    int character;  // the byte drawn
    int column;     // cursor of the character, as handed to the per-character function
    int line;
};

// What a character does with itself, in its own frame at its origin: it may take a colour
// (opaque, and kept for the characters after it in the same print), then it is moved by
// translation and turned by angleDegrees about axis (as glTranslatef then glRotatef would).
struct GlyphPose {
    bool setsColour = false;
    Vec3 colour;
    Vec3 translation;
    float angleDegrees = 0.0f;
    Vec3 axis{0.0f, 0.0f, 1.0f};
};

// The part of a glyph's box that is drawn, as fractions of the box along s (its right axis)
// and along t (its up axis). The whole box by default.
struct InkBox {
    float s0 = 0.0f, s1 = 1.0f;
    float t0 = 0.0f, t1 = 1.0f;
};

// For each cell of a grid, the part of its glyph box where linear sampling can meet a texel
// whose alpha is above zero, with half a texel to spare on every side: the only part that
// passes the alpha test the font draws with. A cell without such texels gets an empty box, and
// one whose samples would reach past the texture's edge keeps its whole box. alpha holds the
// texture's alpha, width x height, the row at t = 0 first.
std::vector<InkBox> glyphInkBoxes(const std::vector<unsigned char>& alpha, int width, int height,
                                  const FontLayout& layout);

// One corner of a drawn glyph, as the vertex arrays take it.
struct GlyphVertex {
    float position[3];
    float texCoord[2];
    float colour[4];
};

class BitmapFont {
public:
    // Asked once per drawn character: (userValue, column, line).
    using PerCharacter = std::function<GlyphPose(float userValue, float column, float line)>;

    // A layout already in texture coordinates.
    BitmapFont(TextureManager* textures, const FontLayout& layout);
    // A pixel grid for the texture registered as textureName, scaled by that texture's size.
    // Without such a texture the font keeps its cursor and metrics but draws nothing.
    BitmapFont(TextureManager* textures, const std::string& textureName,
               const FontPixelLayout& layout);

    void setFrame(const Vec3& position, const Vec3& right, const Vec3& up);
    void setMetrics(float glyphWidth, float glyphHeight, float advance, float lineAdvance);
    void setColour(float r, float g, float b);
    void setColour(const Vec3& c);
    void setColourAlpha(float r, float g, float b, float alpha);
    void setAlpha(float alpha);
    void setCursor(int column, int line);
    void setColumn(int column);
    void setLine(int line);

    // Lays out text from the cursor and leaves the cursor after its last character; '\n' starts
    // a new line at column 0. centre: each line's middle sits on the position. columnShift is
    // added to every column; advance 0 means the font's advance; scaleX scales spacing and
    // glyph width, scaleY glyph height. Spaces, and characters outside the glyph grid, only
    // advance the column. Makes no OpenGL call.
    std::vector<GlyphQuad> layout(const std::string& text, bool centre = false,
                                  float columnShift = 0.0f, float advance = 0.0f,
                                  float scaleX = 1.0f, float scaleY = 1.0f);

    // Lays out text as layout does and draws it with the font texture in the current modelview
    // space, all characters in one draw. blendMode 0: alpha blending; 1: colour-keyed
    // (GL_SRC_COLOR, GL_DST_ALPHA); other: the caller's blend function. Leaves blending,
    // texturing and colour material enabled, the alpha test disabled and the colour mask open.
    void print(const std::string& text, bool centre = false, float columnShift = 0.0f,
               float advance = 0.0f, float scaleX = 1.0f, float scaleY = 1.0f,
               const PerCharacter& perCharacter = nullptr, float userValue = 0.0f,
               int blendMode = 0);
    // A thick block of text in one draw: `copies` prints of the same text with alpha blending,
    // each from the cursor as it is now and each `step` further in the current modelview space
    // than the one before. The cursor is left after the last character, as print leaves it.
    void printStack(const std::string& text, int copies, const Vec3& step, bool centre,
                    float scaleX, float scaleY, const PerCharacter& perCharacter,
                    float userValue);

    // False when the font texture was missing at construction; print then draws nothing.
    bool canDraw() const { return hasLayout; }

    TextureManager* textures;
    std::string textureName;
    int firstChar;
    int columns;
    int rows;
    float glyphU, glyphV;
    float originU, originV;
    float pitchU, pitchV;
    float glyphWidth = 0.1f;
    float glyphHeight = 0.05f;
    float advance = 0.11f;  // may be negative: the text then runs against the right axis
    float lineAdvance = 0.06f;
    Vec3 right{1.0f, 0.0f, 0.0f};
    Vec3 up{0.0f, 1.0f, 0.0f};
    Vec3 position{0.0f, 0.0f, 0.0f};
    Vec3 colour{1.0f, 1.0f, 1.0f};
    float alpha = 1.0f;
    int line = 0;
    int column = 0;
    bool hasLayout = true;
    // Whether each glyph's quad is cut down to its ink box (see glyphInkBoxes): the same
    // picture with far fewer fragments to shade and throw away. Off draws the whole boxes.
    bool cutGlyphsToInk = true;

private:
    bool inGrid(int ch) const;
    void draw(const std::vector<GlyphQuad>& quads, int copies, const Vec3& step,
              const PerCharacter& perCharacter, float userValue, int blendMode) const;
    void setDrawingState(int blendMode, bool separateBlend) const;
    // Valid until the next drawing of any font.
    const std::vector<GlyphVertex>& glyphVertices(const std::vector<GlyphQuad>& quads, int copies,
                                                  const Vec3& step,
                                                  const PerCharacter& perCharacter,
                                                  float userValue) const;
    void drawGlyphs(const std::vector<GlyphVertex>& vertices, int blendMode,
                    bool separateBlend) const;
    // The ink boxes of the font texture's cells, read back from the texture on the first draw;
    // none (whole boxes) where the texture is not sampled linearly or nearest without mipmaps.
    void readInkBoxes() const;
    mutable std::vector<InkBox> inkBoxes;
    mutable bool inkBoxesRead = false;
};
