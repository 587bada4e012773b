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
    // The fused path is in use: pictures are drawn into textures attached to framebuffer
    // objects and the full-screen passes are GLSL programs. False on the classic path, where
    // pictures are drawn into the window and copied out.
    bool useFramebufferObject = false;
    int maxTextureUnits = 1;

    // What the fused path needs, as the driver has it: framebuffer objects (OpenGL 3.0 or
    // GL_ARB_framebuffer_object) and GLSL 1.20 (OpenGL 2.1, or 2.0 with a shading language
    // of at least 1.20).
    bool hasFramebufferObjects = false;
    bool hasGlsl120 = false;
};

extern GlCaps glCaps;

// Fills glCaps from the current context (GLEW must be initialised). The path flags stay off
// until chooseRenderPath.
void probeGlCaps();

// Which way of drawing the program asks for.
enum class PathRequest {
    Classic,  // the window and copies, fixed function, whatever the driver has
    Auto,     // the fused path where the driver has what it needs
};

// Whether a driver with these capabilities draws the fused way for this request.
bool fusedPathChosen(const GlCaps& caps, PathRequest request);

// The request the next chooseRenderPath follows. The program sets it from its command line;
// without it (tests, tools) the classic path is drawn.
void requestRenderPath(PathRequest request);
PathRequest requestedRenderPath();

// Made once, after probeGlCaps: on the fused path useFramebufferObject,
// supportsFragmentProgram and supportsVertexProgram become true.
void chooseRenderPath();

// Short name of the path in use, "fused" or "classic".
const char* renderPathName();

// Whether a GL_SHADING_LANGUAGE_VERSION text names 1.20 or later.
bool glslVersionAtLeast120(const char* versionText);
