#include "support/GlTestWindow.h"

#include "frame/Window.h"

#include <SDL/SDL.h>

#include <cstdlib>

namespace gltest {

namespace {
int gWidth = 0;
int gHeight = 0;
}  // namespace

bool ensureWindow(int width, int height) {
    // An engine made by a test closes SDL (and the context) when it goes.
    const bool open = SDL_WasInit(SDL_INIT_VIDEO) != 0;
    if (open && gWidth == width && gHeight == height) return true;
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (open && gWidth != 0) SDL_Quit();
    if (createWindow("gltest", width, height, width, height, 32, false, false) != kWindowOk)
        return false;
    if (glewInit() != GLEW_OK) return false;
    gWidth = width;
    gHeight = height;
    glReadBuffer(GL_BACK);
    return true;
}

Rgba readPixel(int x, int y) {
    unsigned char p[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p);
    return Rgba{p[0], p[1], p[2], p[3]};
}

std::vector<float> leftState() {
    std::vector<float> state;
    for (GLenum cap : {GL_CULL_FACE, GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_COLOR_MATERIAL,
                       GL_ALPHA_TEST, GL_TEXTURE_2D})
        state.push_back(glIsEnabled(cap) ? 1.0f : 0.0f);
    GLint blend[2];
    glGetIntegerv(GL_BLEND_SRC_RGB, &blend[0]);
    glGetIntegerv(GL_BLEND_DST_RGB, &blend[1]);
    state.insert(state.end(), {static_cast<float>(blend[0]), static_cast<float>(blend[1])});
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    state.insert(state.end(), colour, colour + 4);
    GLint more[6];
    glGetIntegerv(GL_DEPTH_FUNC, &more[0]);
    glGetIntegerv(GL_DEPTH_WRITEMASK, &more[1]);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &more[2]);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &more[3]);
    glGetIntegerv(GL_SHADE_MODEL, &more[4]);
    glGetIntegerv(GL_CULL_FACE_MODE, &more[5]);
    for (GLint v : more) state.push_back(static_cast<float>(v));
    // The other units' modes are set by whoever enables them; left on, they would texture.
    for (int u = 1; u < 4; ++u) {
        glActiveTexture(GL_TEXTURE0 + u);
        state.insert(state.end(), {glIsEnabled(GL_TEXTURE_2D) ? 1.0f : 0.0f,
                                   glIsEnabled(GL_TEXTURE_CUBE_MAP) ? 1.0f : 0.0f});
    }
    glActiveTexture(static_cast<GLenum>(more[2]));
    return state;
}

}  // namespace gltest
