#pragma once
// One entry of the object renderer: a mesh with a transform, four alternative surfaces and
// light parameters, plus the OpenGL set-ups for lighting, reflection cube maps, shadow maps and
// texture projection, and the drawing of the mesh in the renderer's pass types.
#include <GL/glew.h>

#include <vector>

#include "render/Mesh.h"
#include "render/VectorMath.h"

class Camera;

// Pass types of SceneObject::draw.
enum ObjectPass {
    kPassLit = 0,          // lit, additive (shadow maps, lights without shadows)
    kPassLitProjected = 2, // lit, additive (lights with shadow or texture projection)
    kPassAmbient = 3,      // ambient, alpha blended, only texture unit 0
    kPassBlack = 4,        // opaque black (shadow masks)
};

// Texture unit modes of a surface.
enum SurfaceUnitMode {
    kUnitOff = 0,
    kUnitModulate = 1,
    kUnitAdd = 2,
    kUnitModulateAndAdd = 3,  // modulate, then a second, additive draw
    kUnitBlend = 4,
};

// How an object looks. Scenes fill one and hand it to SceneObject::setSurface.
struct Surface {
    static const int kMaxUnits = 3;

    Vec3 colourBias;                          // added to the scaled vertex colour
    float alphaBias = 1.0f;
    Vec3 colourScale{0.5f, 0.5f, 0.5f};       // multiplies the vertex colour
    float alphaScale = 1.0f;
    Vec3 specular;                            // material specular colour
    float specularAlpha = 1.0f;
    float shininess = 0.0f;
    int unitMode[kMaxUnits] = {kUnitOff, kUnitOff, kUnitOff};
    int unitCount = 0;                        // units used, 0 ... 3
    GLuint unitTexture[kMaxUnits] = {0, 0, 0};  // 2D texture, or cube map with unitCubeMap
    bool unitCubeMap[kMaxUnits] = {false, false, false};
    float texScaleU[kMaxUnits] = {1.0f, 1.0f, 1.0f};  // only unit 0's scale and offset apply
    float texScaleV[kMaxUnits] = {1.0f, 1.0f, 1.0f};
    float texOffsetU[kMaxUnits] = {0.0f, 0.0f, 0.0f};
    float texOffsetV[kMaxUnits] = {0.0f, 0.0f, 0.0f};
    bool castsShadow = true;                  // drawn into shadow maps
};

// What a scene hands over when it creates a light.
struct LightSettings {
    bool isLight = true;
    float lightAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float lightSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    // Carried for callers; the toolkit reads none of these three.
    float extraColour[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    bool extraFlagA = false;
    bool extraFlagB = false;
    bool positional = true;
    Vec3 lightOffset;
    Vec3 spotDirection{0.0f, 0.0f, 1.0f};
    float spotExponent = 100.0f;
    float spotCutoff = 90.0f;
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
    bool castsShadows = false;
    int shadowMapSize = 256;
    // Not copied into the object, which keeps its own values.
    float shadowNear = 0.1f;
    float shadowFar = 100.0f;
    float shadowFov = 60.0f;
    GLuint texture = 0;
};

// A mesh in the form the vertex arrays take it: vertices with what a pass gives them, and
// three indices per triangle.
struct DrawVertex {
    float position[3];
    float normal[3];
    float texCoord[2];
    float colour[4];
};
struct TriangleArrays {
    std::vector<DrawVertex> vertices;
    std::vector<GLuint> indices;
};

// The same for the fused lit passes, which light up to two lamps in one draw: each vertex also
// says, per lamp, whether its face is turned away from that lamp (and is drawn black in its
// light).
struct FusedVertex {
    DrawVertex drawn;
    float darkness[2];
};
struct FusedTriangleArrays {
    std::vector<FusedVertex> vertices;
    std::vector<GLuint> indices;
};

// What a fused draw needs to know of its lamps: how many (0 to 2) and where each stands and
// points (the object's passLightPosition and passLightDirection of that lamp's pass).
struct FusedLamps {
    static const int kMax = 2;
    int count = 0;
    Vec3 position[kMax];
    Vec3 direction[kMax];
};

class SceneObject : public Mesh {
public:
    static const int kSurfaceSlots = 4;

    SceneObject() = default;
    ~SceneObject();
    SceneObject(const SceneObject&) = delete;
    SceneObject& operator=(const SceneObject&) = delete;

    // The surface in slot currentSurface (an index outside 0 ... 3 is taken as the nearest
    // slot).
    Surface& surface();
    const Surface& surface() const;
    // Copies description into slot currentSurface; of the per-unit arrays only the first
    // unitCount entries.
    void setSurface(const Surface& description);
    void setLightSettings(const LightSettings& settings);

    // Creates the depth texture and computes lightProjection and lightView. Without depth
    // textures in the driver no texture is made and the light draws without shadows.
    void createShadowMap();
    // Whether this light renders and projects a shadow map.
    bool hasShadowMap() const;

    // Translate, rotate about x, y, z, scale; the resulting modelview matrix is kept in
    // worldMatrix. Without keepMatrix the modelview matrix is left as it was.
    void updateTransform(bool keepMatrix);
    // Configures OpenGL light counter (0 ... 7; 0 also switches lights 1 ... 7 off) from this
    // object and counts up. Nothing unless isLight.
    void setupLight(int& counter);

    // clearDepth false leaves out the depth clears, for a caller who knows the whole depth
    // buffer already holds the clear value 1 (cleared, nothing drawn since).
    void beginShadowMapRender(bool clearDepth = true);
    // copyDepth false keeps the map as it is (it was drawn earlier and is still current).
    void endShadowMapRender(bool copyDepth = true, bool clearDepth = true);
    // On the active texture unit, with the camera's view on the modelview stack.
    void beginShadowProjection();
    void endShadowProjection();
    void beginTextureProjection();
    void endTextureProjection();
    // The eye planes of that projection on the active texture unit, generation left as it is
    // (the fused passes' shaders read them from there).
    void loadProjectionPlanes() const;
    static void enableReflectionCubeMap(GLuint texture);
    static void disableReflectionCubeMap();

    // Draws the mesh in one pass type; see ObjectPass. alternateUnits moves surface units 1
    // and 2 to texture units 2 and 3, keeping unit 1 for the shadow comparison.
    void draw(int passType, bool useWorldMatrix, bool alternateUnits);

    // Fused path. The faces that can reach the screen with the current matrices, positions
    // only, in the modelview stack's frame times worldMatrix (shadow maps and masks: the caller
    // sets everything else). Nothing unless visible.
    void drawPositions();
    // The faces that can reach the screen in the vertex arrays the fused lit passes read: the
    // current surface's colour terms, unit 0's coordinates and each lamp's darkness on the
    // generic attribute darknessAttribute. The caller has set the program, its uniforms and the
    // textures. Nothing unless visible.
    void drawFused(const FusedLamps& lamps, GLint darknessAttribute);
    // The fused passes stand in for the surface's texture units: 2D textures on its first two
    // units and a cube map on its third, none modulating and adding.
    bool fusedUnitsFit() const;
    // The texture matrix of the third unit for a lamp at lampPosition: the reflection turned
    // with the direction from the lamp to the object, as the camera sees it (upper-left 3 x 3,
    // column-major).
    void thirdUnitTurn(const Vec3& lampPosition, float* matrix3) const;

    Surface surfaces[kSurfaceSlots];
    int currentSurface = 0;
    Vec3 passLightPosition;   // the light being drawn, written by the renderer
    Vec3 passLightDirection;
    Camera* camera = nullptr; // camera of the current frame, written by the renderer

    Vec3 position;
    Vec3 rotation;            // radians about x, y, z
    Vec3 scale{1.0f, 1.0f, 1.0f};
    bool visible = true;
    float worldMatrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    bool isLight = false;
    float lightAmbient[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float lightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float lightSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    bool positional = true;
    Vec3 lightOffset;
    Vec3 spotDirection{0.0f, 0.0f, 1.0f};
    float spotExponent = 100.0f;
    float spotCutoff = 90.0f;
    float constantAttenuation = 1.0f;
    float linearAttenuation = 0.0f;
    float quadraticAttenuation = 0.0f;
    bool castsShadows = false;
    int shadowMapSize = 256;
    float shadowNear = 0.1f;
    float shadowFar = 100.0f;
    float shadowFov = 60.0f;
    GLuint shadowTexture = 0;
    GLuint projectedTexture = 0;  // projected from the light in the texture-projection passes
    float lightProjection[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    float lightView[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

private:
    // Shared scratch: valid until the next call on any object.
    // With clipMatrix (projection x modelview), faces wholly outside the view volume are left
    // out: they could not put a fragment on the screen.
    const TriangleArrays& triangleVertices(const Surface& s, int passType,
                                           const Vec3& lightPosition, const Vec3& lightDirection,
                                           const float* clipMatrix = nullptr) const;
    bool bindSurfaceUnits(const Surface& s, int passType, bool alternateUnits);
    void resetUnits(const Surface& s, bool alternateUnits);
    void beginProjection(GLuint texture, bool compareDepth);
    void setThirdUnitTextureMatrix();
};

// Whether the driver can render and compare shadow maps. The first time it cannot, one line
// saying what is missing goes to standard output.
bool shadowMapsSupported();

// Selects texture unit `unit` when the driver has it; false (and nothing selected) otherwise.
bool selectTextureUnit(int unit);

// Largest power of two not above either limit, used when a shadow map does not fit.
int fittedShadowMapSize(int maxWidth, int maxHeight);
