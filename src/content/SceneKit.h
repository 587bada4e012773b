#pragma once
// What the object scenes have in common: texture look-up by name, surface and light set-up,
// the scene camera, and the blurred quarter-size halo laid over the lit picture.
#include <GL/glew.h>

#include <string>

#include "engine/Scene.h"
#include "render/ObjectRenderer.h"
#include "render/SceneObject.h"
#include "render/VectorMath.h"

class Camera;
class Engine;
class ScreenEffects;

namespace scenekit {

// The texture registered under name; 0 (untextured) when the engine has no texture manager or
// none of that name, so that a scene still builds without its images.
GLuint textureNamed(Engine* engine, const char* name);

// The camera registered under name (near 0.1, far 100, 45 degrees, the window's aspect). A
// second scene of the same class finds the name taken and shares the first one's camera
// rather than having none.
Camera* sceneCamera(Engine* engine, const std::string& name);

// A surface with these colour terms and everything else as a Surface starts.
Surface makeSurface(const Vec3& colourBias, const Vec3& colourScale, bool castsShadow = true);
// Gives a texture unit its mode and texture; the surface's unit count grows to include it.
void setUnit(Surface& s, int unit, int mode, GLuint texture, bool cubeMap = false);
// The look most objects share: a base texture in unit 0, the environment picture modulated
// over it in unit 1 and a reflected cube map added in unit 2.
void setReflectiveUnits(Surface& s, int baseMode, GLuint base, GLuint environment,
                        GLuint cubeMap);
// A surface with no colour bias and reflective units: the base texture named base, the
// picture "billbig" as the environment and the cube map "cubemap.bill"; unit 0 is scaled by
// (texScaleU, texScaleV).
Surface reflectiveSurface(Engine* engine, const Vec3& colourScale, int baseMode, const char* base,
                          float texScaleU, float texScaleV);
// Texture scale of unit 0, the only unit whose scale applies.
void setTextureScale(Surface& s, float u, float v);
// Puts the description into the object's surface slot, leaving slot 0 current.
void setSurfaceSlot(SceneObject& o, int slot, const Surface& s);

// A positional, shadow-casting spot light aimed along +z, with no specular light, no constant
// or quadratic attenuation, a 90 degree cut-off and a 256 texel shadow map. The colours are
// opaque.
LightSettings shadowSpotLight(const Vec3& ambient, const Vec3& diffuse, float spotExponent,
                              float linearAttenuation);

// Whether the working slots of a halo (workSlotBase and the one after it) are in the bank.
bool haloSlotsFree(const ScreenEffects* effects);
// The halo from the quarter-size picture now in the frame buffer: grabbed into working slot
// base + 1, blurred at the small viewport (blur(progress, passes, spread 0.1 x 0.1, brightness
// 1, no tint, fadeOut)) and grabbed into slot base.
void blurHalo(ScreenEffects& effects, Camera* camera, float progress, int passes, float fadeOut);
// The blurred halo added over the full-size picture in the current viewport.
void addHalo(ScreenEffects& effects);

// The picture of a frame with a halo: surface slot 1 of every object drawn at quarter size,
// blurred (blur(progress, passes, spread 0.1 x 0.1, brightness 1, no tint, fadeOut)), then
// the lit, shadowed picture with surface slot 0 composited through the screen effects and the
// blurred copy added on top. The halo needs working slots workSlotBase and workSlotBase + 1;
// without them, or without screen effects, the picture is drawn without it.
void drawPictureWithHalo(ObjectRenderer& renderer, Camera* camera, ScreenEffects* effects,
                         float blurProgress, int blurPasses, float blurFadeOut);

}  // namespace scenekit

// The skeleton of every 3D scene. The constructor builds the objects, the lights and the
// camera; each frame, render moves the objects for the scene's running time (animate, which
// makes no OpenGL call) and draws them through the shared picture step, halo included, then
// lays over it whatever the scene adds (drawOver).
class ObjectScene : public Scene {
public:
    // The halo of a frame: how far its blur has come, the blur's passes and its fade-out.
    struct Halo {
        float progress;
        int passes;
        float fadeOut;
    };

    ObjectScene(Engine* engine, const std::string& title, const std::string& cameraName);

    void render(int timeMs, int frameDeltaMs) final;
    // Advances localTime by frameDeltaMs and moves the objects, camera and lights to the new
    // running time (timeMs: the frame's demo time); returns the frame's halo.
    virtual Halo animate(int timeMs, int frameDeltaMs) = 0;

    Engine* engine;
    ObjectRenderer renderer;
    Camera* camera;

protected:
    // Drawn over the picture, under the projection it leaves (nothing by default).
    virtual void drawOver() {}
    // The running time in seconds.
    float seconds() const { return static_cast<float>(localTime) / 1000.0f; }
};
