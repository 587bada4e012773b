#include "render/RenderTarget.h"

namespace {

GLint depthFormat = GL_DEPTH_COMPONENT24;
int windowRows = 0;

GLuint makeTexture(GLint internalFormat, GLenum format, GLenum type, int width, int height) {
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, width, height, 0, format, type, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    return name;
}

const char* statusText(GLenum status) {
    switch (status) {
    case GL_FRAMEBUFFER_INCOMPLETE_ATTACHMENT: return "an attachment is incomplete";
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT: return "nothing is attached";
    case GL_FRAMEBUFFER_UNSUPPORTED: return "the driver does not support this combination";
    default: return "the framebuffer is incomplete";
    }
}

}  // namespace

RenderTarget::~RenderTarget() { destroy(); }

void RenderTarget::setDepthBits(int bits) {
    depthFormat = bits == 16   ? GL_DEPTH_COMPONENT16
                  : bits == 32 ? GL_DEPTH_COMPONENT32
                               : GL_DEPTH_COMPONENT24;
}

void RenderTarget::setWindowRows(int rows) { windowRows = rows; }

bool RenderTarget::canDrawLikeWindow(int height) {
    return GLEW_MESA_framebuffer_flip_y && windowRows >= height;
}

int RenderTarget::rowsLikeWindow(int height) {
    return canDrawLikeWindow(height) ? windowRows : height;
}

bool RenderTarget::create(int width, int height, unsigned attachments, std::string* error,
                          GLuint sharedColour, GLuint sharedDepth) {
    destroy();
    if (width <= 0 || height <= 0 || (attachments & (Colour | Depth)) == 0) {
        if (error) *error = "a render target needs a size and something to draw into";
        return false;
    }
    width_ = width;
    height_ = height;
    flipped_ = (attachments & LikeWindow) && canDrawLikeWindow(height);
    rows_ = flipped_ ? windowRows : height;
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    if (attachments & Colour) {
        ownsColour_ = sharedColour == 0;
        colour_ = ownsColour_ ? makeTexture(GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, width, rows_)
                              : sharedColour;
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
    } else {
        // A depth-only target (a shadow map) writes and reads no colour.
        glDrawBuffer(GL_NONE);
        glReadBuffer(GL_NONE);
    }
    if (attachments & Depth) {
        ownsDepth_ = sharedDepth == 0;
        depth_ = ownsDepth_ ? makeTexture(depthFormat, GL_DEPTH_COMPONENT, GL_UNSIGNED_INT,
                                          width, rows_)
                            : sharedDepth;
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depth_, 0);
    }
    if (flipped_) glFramebufferParameteri(GL_FRAMEBUFFER, GL_FRAMEBUFFER_FLIP_Y_MESA, 1);
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previous));
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        if (error) *error = std::string("render target ") + std::to_string(width) + "x" +
                            std::to_string(height) + ": " + statusText(status);
        destroy();
        return false;
    }
    return true;
}

void RenderTarget::destroy() {
    if (framebuffer_ != 0) glDeleteFramebuffers(1, &framebuffer_);
    if (ownsColour_ && colour_ != 0) glDeleteTextures(1, &colour_);
    if (ownsDepth_ && depth_ != 0) glDeleteTextures(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
    ownsColour_ = ownsDepth_ = false;
    width_ = height_ = rows_ = 0;
    flipped_ = false;
}

void RenderTarget::clearRowAbove() const {
    if (!flipped_ || rows_ <= height_) return;
    glPushAttrib(GL_SCISSOR_BIT | GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, height_, width_, 1);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glPopAttrib();
}

void RenderTarget::bind() const { bind(width_, height_); }

void RenderTarget::bind(int viewportWidth, int viewportHeight) const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, viewportWidth, viewportHeight);
}

bool RenderTarget::isBound() const {
    return framebuffer_ != 0 && boundFramebuffer() == framebuffer_;
}

void RenderTarget::bindWindow(int viewportWidth, int viewportHeight) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, viewportWidth, viewportHeight);
}

GLuint RenderTarget::boundFramebuffer() {
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    return static_cast<GLuint>(bound);
}
