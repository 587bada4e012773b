#include "engine/GlCaps.h"

#include <GL/glew.h>

GlCaps glCaps;

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
}
