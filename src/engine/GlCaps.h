#pragma once
// OpenGL capabilities, probed once when the engine opens its window and read by every part
// of the renderer.
struct GlCaps {
    bool supportsTextureEnvCombine = false;
    // Four-argument combiners that may read any unit's texture.
    bool supportsTextureEnvCombine4 = false;
    bool supportsMultitexture = false;
    bool supportsFragmentProgram = false;
    bool supportsVertexProgram = false;
    bool supportsBlendFuncSeparate = false;
    bool supportsShadow = false;
    bool supportsDepthTexture = false;
    bool useTextureRectangle = false;
    bool useFramebufferObject = false;
    int maxTextureUnits = 1;
};

extern GlCaps glCaps;

// Fills glCaps from the current context (GLEW must be initialised).
void probeGlCaps();
