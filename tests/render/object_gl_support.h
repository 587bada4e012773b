#pragma once
// Shared set-up of the scene object and renderer GL tests: a 512 x 512 window in the default
// state, small solid textures, and reading back the picture.
#include <GL/glew.h>
#include <GL/glu.h>

#include <vector>

#include "engine/GlCaps.h"
#include "frame/Window.h"
#include "render/Camera.h"
#include "support/GlTestWindow.h"

namespace objtest {

const int kSize = 512;

// Opens the window and puts every texture unit and the fixed-function state back to what
// the program starts from, so tests do not see each other's leftovers.
inline bool openWindow() {
    if (!gltest::ensureWindow(kSize, kSize)) return false;
    probeGlCaps();
    const int units = glCaps.maxTextureUnits < 4 ? glCaps.maxTextureUnits : 4;
    for (int u = units - 1; u >= 0; --u) {
        glActiveTextureARB(GL_TEXTURE0_ARB + u);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
        glDisable(GL_TEXTURE_GEN_S);
        glDisable(GL_TEXTURE_GEN_T);
        glDisable(GL_TEXTURE_GEN_R);
        glDisable(GL_TEXTURE_GEN_Q);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
        glMatrixMode(GL_TEXTURE);
        glLoadIdentity();
    }
    glMatrixMode(GL_MODELVIEW);
    applyDefaultGlState(kSize, kSize);
    glDisable(GL_BLEND);
    glDisable(GL_ALPHA_TEST);
    glDepthMask(GL_TRUE);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glViewport(0, 0, kSize, kSize);
    for (int i = 1; i < 8; ++i) glDisable(GL_LIGHT0 + i);
    glEnable(GL_LIGHT0);
    return true;
}

inline GLuint solidTexture(unsigned char r, unsigned char g, unsigned char b, unsigned char a) {
    std::vector<unsigned char> texels(4 * 4 * 4);
    for (size_t i = 0; i < texels.size(); i += 4) {
        texels[i] = r;
        texels[i + 1] = g;
        texels[i + 2] = b;
        texels[i + 3] = a;
    }
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return id;
}

// Window position of a world point as the camera's last apply saw it.
inline bool project(const Camera& cam, const Vec3& p, int& x, int& y) {
    double mv[16], pr[16];
    for (int i = 0; i < 16; ++i) {
        mv[i] = cam.modelviewMatrix[i];
        pr[i] = cam.projectionMatrix[i];
    }
    const GLint viewport[4] = {0, 0, static_cast<GLint>(cam.viewWidth),
                               static_cast<GLint>(cam.viewHeight)};
    double wx, wy, wz;
    if (gluProject(p.x, p.y, p.z, mv, pr, viewport, &wx, &wy, &wz) != GL_TRUE) return false;
    x = static_cast<int>(wx);
    y = static_cast<int>(wy);
    return x >= 0 && y >= 0 && x < kSize && y < kSize;
}

inline int brightness(const gltest::Rgba& p) { return p.r + p.g + p.b; }

inline GLint integer(GLenum what) {
    GLint v = 0;
    glGetIntegerv(what, &v);
    return v;
}

inline bool enabled(GLenum what) { return glIsEnabled(what) == GL_TRUE; }

}  // namespace objtest
