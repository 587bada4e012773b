#include "engine/GlCaps.h"

#include <GL/glew.h>

#include <cstdio>

GlCaps glCaps;

namespace {
PathRequest pathRequest = PathRequest::Classic;
}

bool glslVersionAtLeast120(const char* text) {
    int major = 0, minor = 0;
    if (text == nullptr || std::sscanf(text, "%d.%d", &major, &minor) != 2) return false;
    return major > 1 || (major == 1 && minor >= 20);
}

void probeGlCaps() {
    glCaps.supportsDepthTexture = GLEW_ARB_depth_texture != 0;
    glCaps.supportsShadow = GLEW_ARB_shadow != 0;
    glCaps.useTextureRectangle = false;
    glCaps.useFramebufferObject = false;
    glCaps.supportsBlendFuncSeparate = GLEW_EXT_blend_func_separate != 0;
    glCaps.supportsVertexProgram = GLEW_ARB_vertex_program != 0;
    glCaps.supportsFragmentProgram = GLEW_ARB_fragment_program != 0;
    glCaps.supportsTextureEnvCombine = GLEW_EXT_texture_env_combine != 0;
    glCaps.supportsTextureEnvCombine4 =
        GLEW_NV_texture_env_combine4 != 0 && GLEW_ARB_texture_env_crossbar != 0;
    glCaps.supportsMultitexture = GLEW_ARB_multitexture != 0;
    glCaps.maxTextureUnits = 1;
    if (glCaps.supportsMultitexture) {
        GLint units = 1;
        glGetIntegerv(GL_MAX_TEXTURE_UNITS_ARB, &units);
        glCaps.maxTextureUnits = units;
    }
    // The fused path calls the core entry points of both, so the EXT-only framebuffer
    // extension does not count.
    glCaps.hasFramebufferObjects = GLEW_VERSION_3_0 != 0 || GLEW_ARB_framebuffer_object != 0;
    glCaps.hasGlsl120 =
        GLEW_VERSION_2_1 != 0 ||
        (GLEW_VERSION_2_0 != 0 &&
         glslVersionAtLeast120(
             reinterpret_cast<const char*>(glGetString(GL_SHADING_LANGUAGE_VERSION))));
}

bool fusedPathChosen(const GlCaps& caps, PathRequest request) {
    return request == PathRequest::Auto && caps.hasFramebufferObjects && caps.hasGlsl120;
}

void requestRenderPath(PathRequest request) { pathRequest = request; }

PathRequest requestedRenderPath() { return pathRequest; }

void chooseRenderPath() {
    if (!fusedPathChosen(glCaps, pathRequest)) return;
    glCaps.useFramebufferObject = true;
    glCaps.supportsFragmentProgram = true;
    glCaps.supportsVertexProgram = true;
}

const char* renderPathName() { return glCaps.useFramebufferObject ? "fused" : "classic"; }
