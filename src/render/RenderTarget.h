#pragma once
#include <GL/glew.h>

#include <string>

// A picture drawn into textures instead of the window: a colour texture (RGBA, 8 bits a
// channel) and/or a depth texture attached to one framebuffer object. Fused path only.
//
// State: bind leaves the target's framebuffer bound and the viewport set; the window is the
// framebuffer again only after bindWindow. Textures are created with linear filtering and
// clamp-to-edge wrapping; whoever samples them sets what it needs.
//
// A target made LikeWindow is drawn as Mesa draws the window, where the driver can
// (GL_MESA_framebuffer_flip_y) and the window is at least as tall as the picture: its textures
// have the window's rows and are filled upside down, so a picture drawn in it (at the bottom,
// from row 0 up, as in the window's corner) is rasterized to the last bit as in the window. A
// target of another height, or the right way up, rounds interpolated depths and coordinates a
// last bit differently, and lit surfaces that meet their own shadows at almost equal depths turn
// whole patches over on such a bit. Reading such a texture: row y of the picture is texture
// row rows() - 1 - y (see textureV).
class RenderTarget {
public:
    enum Attachment : unsigned {
        Colour = 1u,
        Depth = 2u,
        LikeWindow = 4u,
    };

    RenderTarget() = default;
    ~RenderTarget();
    RenderTarget(const RenderTarget&) = delete;
    RenderTarget& operator=(const RenderTarget&) = delete;

    // Creates the textures it owns (a depth texture is GL_DEPTH_COMPONENT24, compared as a
    // shadow map where the caller turns the comparison on). An existing colour or depth texture
    // of the same size may be given instead of making one (it stays its owner's): slot targets
    // wrap the slots' textures and share one depth texture. False, with a message, when the
    // driver rejects the combination; the target is then empty.
    bool create(int width, int height, unsigned attachments, std::string* error = nullptr,
                GLuint sharedColour = 0, GLuint sharedDepth = 0);

    // The depth bits of the depth textures made from now on: 16, 32, or 24 for anything else.
    // Pictures drawn in a target meet the depth tests the window's depth buffer would give them
    // when the two have the same precision (equal depths in multi-pass lighting, shadow maps
    // copied from the depth buffer).
    static void setDepthBits(int bits);
    // The window's height, which LikeWindow targets take (0, the default: none is made so).
    static void setWindowRows(int rows);
    // The rows of a LikeWindow target of that height: the window's where it can be drawn like
    // the window, else the height itself (an ordinary target).
    static int rowsLikeWindow(int height);
    void destroy();
    bool valid() const { return framebuffer_ != 0; }

    // Draws go into this target from now on, in the viewport (0, 0, width, height), or the
    // given part of it.
    void bind() const;
    void bind(int viewportWidth, int viewportHeight) const;
    bool isBound() const;

    GLuint framebuffer() const { return framebuffer_; }
    GLuint colourTexture() const { return colour_; }
    GLuint depthTexture() const { return depth_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // The textures' rows, and whether they hold the picture upside down.
    int rows() const { return rows_; }
    bool flipped() const { return flipped_; }
    // The texture coordinate t at which a picture coordinate v (0 at the picture's bottom, 1 at
    // its top row's far edge, as in a texture of the picture's own height) is read.
    float textureV(float v) const {
        return flipped_ ? 1.0f - v * static_cast<float>(height_) / static_cast<float>(rows_) : v;
    }
    // The same as rowAt() + rowStep() x v, for shaders that map rows themselves.
    float rowAt() const { return textureV(0.0f); }
    float rowStep() const { return textureV(1.0f) - textureV(0.0f); }

    // Where the picture does not fill its upside-down texture, the row just past its top made
    // transparent black: linear reads at the picture's top edge then mix in what a texture of
    // the picture's own height mixes in there (GL_CLAMP's border), whatever a clear of the
    // whole target left. Draws into this target (bound, or as the draw framebuffer).
    void clearRowAbove() const;

    // The window's framebuffer again, with that viewport.
    static void bindWindow(int viewportWidth, int viewportHeight);
    // The framebuffer draws go to now (0: the window).
    static GLuint boundFramebuffer();

private:
    GLuint framebuffer_ = 0;
    GLuint colour_ = 0;
    GLuint depth_ = 0;
    bool ownsColour_ = false;
    bool ownsDepth_ = false;
    int width_ = 0;
    int height_ = 0;
    int rows_ = 0;
    bool flipped_ = false;
    // Whether a LikeWindow target of that height can be drawn like the window.
    static bool canDrawLikeWindow(int height);
};
