#pragma once
#include <GL/glew.h>

#include <string>

// A picture drawn into textures instead of the window: a colour texture (RGBA, 8 bits a
// channel) and/or a depth texture attached to one framebuffer object. Fused path only.
//
// State: bind leaves the target's framebuffer bound and the viewport set; the window is the
// framebuffer again only after bindWindow. Textures are created with linear filtering and
// clamp-to-edge wrapping; whoever samples them sets what it needs.
class RenderTarget {
public:
    enum Attachment : unsigned {
        Colour = 1u,
        Depth = 2u,
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
};
