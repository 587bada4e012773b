#pragma once
// The small scene graph of the 3D scenes: objects addressed by index (meshes and lights),
// optional parent/child links, and the per-frame drawing in two modes. The direct mode renders
// shadow maps, an ambient pass and one additive lit pass per light with hardware shadow
// comparison; the composited mode renders a blurred screen-space shadow mask per light, an
// ambient image and a lit image through the screen effects, and composes them.
#include <memory>
#include <vector>

#include "engine/GlCaps.h"
#include "render/SceneObject.h"

class Camera;
class RenderTarget;
class ScreenEffects;

class ObjectRenderer {
public:
    ObjectRenderer() = default;
    ObjectRenderer(const ObjectRenderer&) = delete;
    ObjectRenderer& operator=(const ObjectRenderer&) = delete;

    // A light object from settings. A shadow map larger than the limits is shrunk to the
    // largest power of two that fits both (written back into settings), because it is
    // rendered in the corner of the frame buffer.
    int addLight(LightSettings& settings, int maxWidth, int maxHeight);
    // A unit sphere (scaled by radius) or a box of half extent 1, with surface in slot 0.
    int addBlob(float radius, int segments, int rings, const Surface& surface, bool flipWinding);
    int addBox(int n, int slices, const Surface& surface, bool flipWinding);
    // The child is then drawn in the parent's frame. Indices that name no object are ignored.
    void attachChild(int parent, int child);
    // Only between objects with the same non-zero vertexCount.
    void copyVertexPositions(int from, int to);
    // Spherical texture coordinates from the vertex positions.
    void retexture(int objectIndex, float radius);
    // nullptr for an index that names no object.
    SceneObject* object(int index);

    // The two draws of a scene's frame, in this order:
    // the objects with their halo surfaces (slot 1), lit directly at the small viewport, after
    // the transform update of the frame;
    void drawHaloSource(Camera* camera, ScreenEffects* effects) {
        draw(camera, false, true, 1, false, effects, true, true, true);
    }
    // then with their own surfaces (slot 0) at full size, the shadows soft through masks that
    // the screen effects compose (the transforms of the first draw kept), with the small slot
    // haloSlot, where given, added over the composed picture.
    void drawComposited(Camera* camera, ScreenEffects* effects, int haloSlot = -1) {
        composedHaloSlot = haloSlot;
        draw(camera, false, false, 0, true, effects, true, false, false);
        composedHaloSlot = -1;
    }

    // One frame of the objects, what the two draws above are made of. skipObjects runs every
    // pass's state changes (and in composited mode the grabs and the composition) without
    // drawing or updating objects. Without a camera nothing happens; without an effects object
    // the composited mode falls back to the direct one.
    void draw(Camera* camera, bool skipObjects, bool updateTransforms, int surfaceIndex,
              bool composited, ScreenEffects* effects, bool smallShadowPass, bool smallLitPass,
              bool smallAmbientPass);

    int objectCount() const { return static_cast<int>(objects.size()); }

    // Whether frames are drawn with the fused passes (framebuffer objects and shaders) where
    // they can be: the program's path, read when the renderer is made; a test may switch it.
    // Frames the fused passes cannot draw (more than two lamps, a lamp without a shadow map,
    // surfaces whose units they do not stand in for, an alpha test, skipObjects) are drawn the
    // classic way.
    bool fused = glCaps.useFramebufferObject;
    // Whether the halo source (the direct mode) takes the fused lit pass too. Its source picture
    // is within 1 of the classic one, but the halo's blur adds such a value up into a soft spot:
    // a few late frames of Cancerous stay at 99.87 % of values within 2 instead of 100 %. Kept
    // on for what it saves: up to a tenth of a 3D scene's frame. A test may switch it off.
    bool fusedHaloSource = true;

    std::vector<std::vector<int>> childLists;
    std::vector<std::unique_ptr<SceneObject>> objects;
    std::vector<SceneObject*> lights;  // objects with isLight, rebuilt by each transform update
    std::vector<bool> rootFlags;       // not anybody's child

private:
    int appendObject();
    bool validIndex(int index) const { return index >= 0 && index < objectCount(); }
    void updateTransforms(Camera* camera, bool skipObjects);
    void markChildren(int index, int depth);
    void updateTree(int index, int depth, std::vector<bool>& onPath, int maxDepth);
    void drawAll(int passType, bool alternateUnits, bool onlyShadowCasters);
    void setPassLight(const SceneObject& light);

    // What the shadow maps were drawn from: the shadow casters and the light poses. The maps
    // drawn by a frame's first draw serve its second one when nothing of this has changed; a
    // transform update, a mesh change or copied vertex positions make them stale.
    struct ShadowMapSource {
        bool current = false;
        std::vector<bool> casters;
        std::vector<float> lightPoses;  // position, offset and spot direction of every light
        bool operator==(const ShadowMapSource& o) const {
            return casters == o.casters && lightPoses == o.lightPoses;
        }
    };
    ShadowMapSource shadowMapSource() const;
    void directFrame(Camera* camera, bool skipObjects, bool small);
    void compositedFrame(Camera* camera, bool skipObjects, ScreenEffects& fx, bool smallShadowPass,
                         bool smallLitPass, bool smallAmbientPass);
    void shadowMapPass(bool skipObjects);
    void ambientPass(bool skipObjects);
    void directLitPass(bool skipObjects);
    void projectedLitPass(bool skipObjects);
    int shadowMaskPasses(bool skipObjects, ScreenEffects& effects);

    // Fused path (ObjectRendererFused.cpp).
    bool fusedFrameFits(bool skipObjects, bool haloSource) const;
    void fusedDirectFrame(Camera* camera, bool small);
    void fusedCompositedFrame(Camera* camera, ScreenEffects& fx, bool smallMasks);
    // Both lamps' masks in one pass at the current viewport and one blur, in targets of their
    // own (drawn like the window) of the size of the slots they stand in for (small or not);
    // returns the texture of the blurred masks. fusedMasksFit makes the targets, false where
    // the driver refuses them.
    bool fusedMasksFit(const ScreenEffects& fx, bool small) const;
    GLuint fusedMasks(const ScreenEffects& fx);
    // One geometry pass of every object through the lit program: the halo source (masks
    // null) or the composited picture.
    struct ComposedInputs {
        GLuint masks = 0;
        GLuint halo = 0;
        // Window position to each texture's coordinates: at + position x scale.
        float maskAt[2] = {0.0f, 0.0f}, maskScale[2] = {1.0f, 1.0f};
        float haloAt[2] = {0.0f, 0.0f}, haloScale[2] = {1.0f, 1.0f};
    };
    void fusedLitPass(const ComposedInputs* composed);
    // Lamp k's projection of its textures as eye planes on unit 5 + k, where the programs read
    // them, with its shadow map bound there for the comparison where asked.
    void bindLampProjections(bool withShadowMaps) const;

    ShadowMapSource drawnShadowMaps;
    // The small slot the composition adds over the picture, or none.
    int composedHaloSlot = -1;
    // Where the shadow maps are drawn on the fused path (see ScreenEffects::mapCanvas); null:
    // in the window. Set by draw from its effects.
    const RenderTarget* mapCanvas = nullptr;
};
