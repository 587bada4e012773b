#include "render/ObjectRenderer.h"

#include <GL/glew.h>

#include "engine/StageTimer.h"
#include "render/Camera.h"
#include "render/ScreenEffects.h"
#include "render/Shapes.h"

namespace {

void clearTo(float r, float g, float b, float a, GLbitfield buffers) {
    glClearColor(r, g, b, a);
    glClear(buffers);
}

// The camera's view at the small viewport or at full size.
void applyCamera(Camera* camera, bool small) {
    if (small)
        camera->applySmall();
    else
        camera->apply();
}

// A pass draws one light at a time: it becomes OpenGL light 0, the others are switched off.
void setupAsOnlyLight(SceneObject& light) {
    int counter = 0;
    light.setupLight(counter);
}

// The shadow masks' softening.
constexpr int kMaskBlurPasses = 5;

GLint integerState(GLenum what) {
    GLint value = 0;
    glGetIntegerv(what, &value);
    return value;
}

}  // namespace

int ObjectRenderer::appendObject() {
    objects.push_back(std::make_unique<SceneObject>());
    childLists.emplace_back();
    rootFlags.push_back(true);
    return objectCount() - 1;
}

SceneObject* ObjectRenderer::object(int index) {
    return validIndex(index) ? objects[index].get() : nullptr;
}

int ObjectRenderer::addLight(LightSettings& settings, int maxWidth, int maxHeight) {
    const int index = appendObject();
    if (settings.castsShadows && (settings.shadowMapSize > maxWidth ||
                                  settings.shadowMapSize > maxHeight || settings.shadowMapSize < 1))
        settings.shadowMapSize = fittedShadowMapSize(maxWidth, maxHeight);
    SceneObject& light = *objects[index];
    light.setLightSettings(settings);
    if (light.castsShadows) {
        selectTextureUnit(1);
        glEnable(GL_TEXTURE_2D);
        light.createShadowMap();
        glDisable(GL_TEXTURE_2D);
        selectTextureUnit(0);
    }
    return index;
}

int ObjectRenderer::addBlob(float radius, int segments, int rings, const Surface& surface,
                            bool flipWinding) {
    const int index = appendObject();
    SceneObject& o = *objects[index];
    o.setSurface(surface);
    BlobShape shape;
    shape.scaleX = shape.scaleY = shape.scaleZ = 1.0f;
    shape.flipWinding = flipWinding;
    o.buildBlob(radius, segments, rings, shape, true);
    return index;
}

int ObjectRenderer::addBox(int n, int slices, const Surface& surface, bool flipWinding) {
    const int index = appendObject();
    SceneObject& o = *objects[index];
    o.setSurface(surface);
    BoxShape shape;
    shape.halfX = shape.halfY = shape.halfZ = 1.0f;
    shape.flipWinding = flipWinding;
    o.buildBox(n, slices, shape, true);
    return index;
}

void ObjectRenderer::attachChild(int parent, int child) {
    if (validIndex(parent) && validIndex(child)) childLists[parent].push_back(child);
}

void ObjectRenderer::copyVertexPositions(int from, int to) {
    if (!validIndex(from) || !validIndex(to)) return;
    const SceneObject& source = *objects[from];
    SceneObject& target = *objects[to];
    if (source.vertexCount == 0 || source.vertexCount != target.vertexCount) return;
    const size_t n = static_cast<size_t>(source.vertexCount);
    for (size_t i = 0; i < n && i < source.vertices.size() && i < target.vertices.size(); ++i)
        target.vertices[i].position = source.vertices[i].position;
    drawnShadowMaps.current = false;
}

void ObjectRenderer::retexture(int objectIndex, float radius) {
    if (!validIndex(objectIndex)) return;
    SceneObject& o = *objects[objectIndex];
    const size_t n = static_cast<size_t>(o.vertexCount);
    for (size_t i = 0; i < n && i < o.vertices.size(); ++i) {
        const Vec3 uv = sphereTexCoords(o.vertices[i].position, radius, 1.0f, 1.0f);
        o.vertices[i].texCoord.x = uv.x;
        o.vertices[i].texCoord.y = uv.y;
    }
}

// --- Transform update --------------------------------------------------------------------------

void ObjectRenderer::updateTree(int index, int depth, std::vector<bool>& onPath, int maxDepth) {
    objects[index]->updateTransform(true);
    onPath[index] = true;
    // A child already on the way down from the root would close a cycle of links, and the
    // matrix stack has a fixed depth; such links are not followed.
    if (depth + 1 < maxDepth) {
        for (int child : childLists[index]) {
            if (onPath[child]) continue;
            glPushMatrix();
            updateTree(child, depth + 1, onPath, maxDepth);
            glPopMatrix();
        }
    }
    onPath[index] = false;
}

void ObjectRenderer::updateTransforms(Camera* camera, bool skipObjects) {
    drawnShadowMaps.current = false;
    lights.clear();
    for (auto& o : objects)
        if (o->isLight) lights.push_back(o.get());

    // Every object reached below another one is somebody's child, and those are exactly the
    // objects named in a child list.
    for (size_t i = 0; i < objects.size(); ++i) {
        rootFlags[i] = true;
        objects[i]->camera = camera;
    }
    for (const std::vector<int>& children : childLists)
        for (int child : children) rootFlags[child] = false;

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    if (!skipObjects) {
        // Free entries of the modelview stack: each level of the hierarchy takes one.
        const int maxDepth =
            integerState(GL_MAX_MODELVIEW_STACK_DEPTH) - integerState(GL_MODELVIEW_STACK_DEPTH);
        std::vector<bool> onPath(objects.size(), false);
        for (int i = 0; i < objectCount(); ++i) {
            if (!rootFlags[i]) continue;
            glPushMatrix();
            updateTree(i, 0, onPath, maxDepth);
            glPopMatrix();
        }
    }
    glPopMatrix();

    if (skipObjects) return;
    for (auto& o : objects) {
        if (!o->changed) continue;
        o->computeFaceNormals();
        o->computeVertexNormals(true);
        o->changed = false;
    }
}

// --- Passes ------------------------------------------------------------------------------------

void ObjectRenderer::drawAll(int passType, bool alternateUnits, bool onlyShadowCasters) {
    for (auto& o : objects) {
        if (onlyShadowCasters && !o->surface().castsShadow) continue;
        o->draw(passType, true, alternateUnits);
    }
}

void ObjectRenderer::setPassLight(const SceneObject& light) {
    for (auto& o : objects) {
        o->passLightPosition = light.position;
        o->passLightDirection = light.spotDirection;
    }
}

ObjectRenderer::ShadowMapSource ObjectRenderer::shadowMapSource() const {
    ShadowMapSource source;
    source.current = true;
    for (const auto& o : objects)
        source.casters.push_back(o->visible && !o->faces.empty() && o->surface().castsShadow);
    for (const SceneObject* light : lights)
        for (const Vec3& v : {light->position, light->lightOffset, light->spotDirection})
            source.lightPoses.insert(source.lightPoses.end(), {v.x, v.y, v.z});
    return source;
}

void ObjectRenderer::shadowMapPass(bool skipObjects) {
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    selectTextureUnit(0);
    // Depth alone makes a map: the same casters seen from the same light poses give the same
    // maps, so the second draw of a frame keeps those of the first. (A pass with the alpha test
    // on would let the surfaces' alpha into the depth; none has it.)
    const ShadowMapSource source = shadowMapSource();
    bool anyChanged = false;
    for (const auto& o : objects) anyChanged = anyChanged || o->changed;
    const bool keepMaps = !skipObjects && drawnShadowMaps.current && source == drawnShadowMaps &&
                          !anyChanged && !glIsEnabled(GL_ALPHA_TEST);
    // Each map is drawn (and copied) from a cleared depth buffer, and the buffer is left
    // cleared after it. Clearing a buffer nothing has been drawn into since its last clear
    // changes nothing, so only the clears that follow drawing, or come first, are made: a clear
    // costs about as much as a small pass.
    const bool drawMaps = !skipObjects && !keepMaps;
    bool depthCleared = false;
    // The maps are drawn in a corner of the window, or on the fused path of a target drawn like
    // it, and copied from there into the maps' 24-bit textures: the masks compare surfaces with
    // their own maps at almost equal depths, where a last bit of depth turns whole patches of a
    // mask over (Verdanth at 100 s), and only that way do the maps hold to the bit what the
    // classic ones hold (drawn straight into a 24-bit target, a depth rounds differently from
    // the window's 32 bits copied into 24). The frame being drawn may be smaller than a map.
    const GLuint target = RenderTarget::boundFramebuffer();
    int mapSize = 0;
    for (const SceneObject* light : lights)
        if (light->hasShadowMap() && light->shadowMapSize > mapSize) mapSize = light->shadowMapSize;
    const bool onCanvas = mapCanvas != nullptr && mapCanvas->width() >= mapSize &&
                          mapCanvas->height() >= mapSize;
    const GLuint mapFrame = onCanvas ? mapCanvas->framebuffer() : 0;
    if (target != mapFrame) glBindFramebuffer(GL_FRAMEBUFFER, mapFrame);
    for (SceneObject* light : lights) {
        if (!light->hasShadowMap()) continue;
        setupAsOnlyLight(*light);
        const bool clearFirst = !keepMaps && !depthCleared;
        light->beginShadowMapRender(clearFirst);
        depthCleared = depthCleared || clearFirst;
        if (drawMaps) {
            drawAll(kPassLit, true, true);
            depthCleared = false;
        }
        light->endShadowMapRender(!keepMaps, !depthCleared);
        depthCleared = true;
    }
    if (target != mapFrame) glBindFramebuffer(GL_FRAMEBUFFER, target);
    if (!skipObjects) drawnShadowMaps = source;
    glDepthFunc(GL_LESS);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
}

void ObjectRenderer::ambientPass(bool skipObjects) {
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    // Light 0 adds nothing: objects show the light model's global ambient times their colour.
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float origin[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, origin);
    glLightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 0.25f);
    glLightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 0.0f);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.0f);
    glLightfv(GL_LIGHT0, GL_AMBIENT, black);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, black);
    glLightfv(GL_LIGHT0, GL_SPECULAR, black);
    glDepthFunc(GL_LEQUAL);
    if (!skipObjects) drawAll(kPassAmbient, true, false);
    glDisable(GL_LIGHTING);
}

void ObjectRenderer::directLitPass(bool skipObjects) {
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_COLOR_MATERIAL);
    for (SceneObject* light : lights) {
        if (light->hasShadowMap()) {
            if (selectTextureUnit(1)) {
                glEnable(GL_TEXTURE_2D);
                light->beginShadowProjection();
            }
            if (selectTextureUnit(2)) light->beginTextureProjection();
            selectTextureUnit(0);
            setupAsOnlyLight(*light);
            if (!skipObjects) {
                setPassLight(*light);
                drawAll(kPassLitProjected, true, false);
            }
            if (selectTextureUnit(1)) {
                light->endShadowProjection();
                glDisable(GL_TEXTURE_2D);
            }
            if (selectTextureUnit(2)) {
                light->endTextureProjection();
                glDisable(GL_TEXTURE_2D);
            }
            selectTextureUnit(0);
        } else {
            setupAsOnlyLight(*light);
            if (!skipObjects && !objects.empty()) {
                setPassLight(*light);
                drawAll(kPassLit, true, false);
            }
        }
        glEnable(GL_BLEND);
    }
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glDisable(GL_LIGHTING);
}

void ObjectRenderer::projectedLitPass(bool skipObjects) {
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_COLOR_MATERIAL);
    selectTextureUnit(0);
    glEnable(GL_TEXTURE_2D);
    // The first light replaces what is there (the cleared buffer); the others are added.
    for (SceneObject* light : lights) {
        if (selectTextureUnit(1)) {
            glEnable(GL_TEXTURE_2D);
            light->beginTextureProjection();
        }
        selectTextureUnit(0);
        setupAsOnlyLight(*light);
        if (!skipObjects) {
            setPassLight(*light);
            drawAll(kPassLitProjected, false, false);
        }
        if (selectTextureUnit(1)) {
            light->endTextureProjection();
            glDisable(GL_TEXTURE_2D);
        }
        selectTextureUnit(0);
        glEnable(GL_BLEND);
    }
    for (int unit : {3, 2}) {
        if (!selectTextureUnit(unit)) continue;
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_TEXTURE_CUBE_MAP);
    }
    selectTextureUnit(0);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    glDisable(GL_LIGHTING);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// One softened mask per light, in slot base + k + 1 for light k: white where the light's
// shadow falls, black where it reaches. A light without a shadow map gets an all-black mask,
// so every light has its slot and is added unshadowed. Returns the number of masks.
int ObjectRenderer::shadowMaskPasses(bool skipObjects, ScreenEffects& effects) {
    shadowMapPass(skipObjects);
    stagetimer::mark("shadow maps");
    glDisable(GL_LIGHTING);
    glDisable(GL_COLOR_MATERIAL);
    selectTextureUnit(0);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    const int base = effects.workSlotBase;
    int count = 0;
    // Every mask sees the same surfaces from the same camera, and nothing between the masks
    // writes depth (the black pass writes back the values already there), so the depth laid
    // down for the first mask serves the others.
    bool depthLaid = false;
    for (SceneObject* light : lights) {
        if (light->hasShadowMap()) {
            // Depth of the visible surfaces first, then black wherever the light reaches.
            clearTo(1.0f, 1.0f, 1.0f, 1.0f,
                    depthLaid ? GL_COLOR_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            glEnable(GL_DEPTH_TEST);
            if (!depthLaid) {
                glDepthFunc(GL_LESS);
                glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
                if (!skipObjects) drawAll(kPassBlack, true, false);
                glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
                depthLaid = true;
            }
            glDepthFunc(GL_LEQUAL);

            selectTextureUnit(0);
            light->beginShadowProjection();
            if (!skipObjects) drawAll(kPassBlack, true, false);
            light->endShadowProjection();
            effects.grab(base + count + 2);

            const bool blurred = effects.validSlot(base + count + 2);
            if (blurred)
                effects.clearForBlur(kMaskBlurPasses);
            else
                clearTo(0.0f, 0.0f, 0.0f, 0.0f, GL_COLOR_BUFFER_BIT);
            glDisable(GL_DEPTH_TEST);
            glDepthMask(GL_FALSE);
            if (blurred)
                effects.blurOpaque(base + count + 2, 0.3f, kMaskBlurPasses, 0.1f, 0.1f, 1.5f);
            effects.grab(base + count + 1);
            glDepthMask(GL_TRUE);
        } else {
            clearTo(0.0f, 0.0f, 0.0f, 0.0f, GL_COLOR_BUFFER_BIT);
            effects.grab(base + count + 1);
        }
        ++count;
    }
    return count;
}

// --- Frame ---------------------------------------------------------------------------------------

void ObjectRenderer::draw(Camera* camera, bool skipObjects, bool updateTransformsFlag,
                          int surfaceIndex, bool composited, ScreenEffects* effects,
                          bool smallShadowPass, bool smallLitPass, bool smallAmbientPass) {
    if (!camera) return;
    mapCanvas = effects != nullptr ? effects->mapCanvas() : nullptr;
    if (updateTransformsFlag) updateTransforms(camera, skipObjects);
    if (!skipObjects)
        for (auto& o : objects) o->currentSurface = surfaceIndex;

    if (composited && effects) {
        if (!smallLitPass && !smallAmbientPass && fusedFrameFits(skipObjects, false) &&
            fusedMasksFit(*effects, smallShadowPass || smallLitPass))
            fusedCompositedFrame(camera, *effects, smallShadowPass);
        else
            compositedFrame(camera, skipObjects, *effects, smallShadowPass, smallLitPass,
                            smallAmbientPass);
    } else if (fusedHaloSource && fusedFrameFits(skipObjects, true)) {
        fusedDirectFrame(camera, smallLitPass);
    } else {
        directFrame(camera, skipObjects, smallLitPass);
    }
}

void ObjectRenderer::directFrame(Camera* camera, bool skipObjects, bool small) {
    applyCamera(camera, small);
    shadowMapPass(skipObjects);
    stagetimer::mark("direct shadow maps");
    ambientPass(skipObjects);
    stagetimer::mark("direct ambient");
    directLitPass(skipObjects);
    stagetimer::mark("direct lit");
    camera->restore();
}

void ObjectRenderer::compositedFrame(Camera* camera, bool skipObjects, ScreenEffects& fx,
                                     bool smallShadowPass, bool smallLitPass,
                                     bool smallAmbientPass) {
    const int base = fx.workSlotBase;
    const bool smallMasks = smallShadowPass || smallLitPass;

    fx.useSmallTextures = smallMasks ? 1 : 0;
    applyCamera(camera, smallMasks);
    const int masks = shadowMaskPasses(skipObjects, fx);
    stagetimer::mark("shadow masks");
    camera->restore();

    const int ambientSlot = base + masks + 1;
    const int litSlot = ambientSlot + 1;

    fx.useSmallTextures = smallAmbientPass ? 1 : 0;
    applyCamera(camera, smallAmbientPass);
    clearTo(0.0f, 0.0f, 0.0f, 0.0f, GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    ambientPass(skipObjects);
    fx.grab(ambientSlot);
    stagetimer::mark("ambient");
    camera->restore();

    // Drawn at the same size, the lit pass sees the surfaces the ambient pass has just laid
    // down, from the same camera: the depth there is already the nearest surface. Equal depths
    // pass, so the first light's last fragment at that depth still wins and leaves the same
    // depth, and only the colour needs clearing. An alpha test, dropping other fragments in
    // each pass, would tell the two apart.
    const bool ambientDepthServes =
        smallAmbientPass == smallLitPass && !glIsEnabled(GL_ALPHA_TEST);
    fx.useSmallTextures = smallLitPass ? 1 : 0;
    applyCamera(camera, smallLitPass);
    clearTo(0.0f, 0.0f, 0.0f, 0.0f,
            ambientDepthServes ? GL_COLOR_BUFFER_BIT : GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    projectedLitPass(skipObjects);
    fx.grab(litSlot);
    stagetimer::mark("lit");

    // Ambient image over the lit one, then the lit image added once per light, held back by
    // that light's mask.
    ShadowedPicture picture;
    picture.ambientSlot = ambientSlot;
    picture.smallAmbient = smallAmbientPass;
    picture.litSlot = litSlot;
    picture.smallLit = smallLitPass;
    picture.firstMask = base + 1;
    picture.maskCount = static_cast<int>(lights.size());
    picture.smallMasks = smallMasks;
    picture.addedSlot = composedHaloSlot;
    picture.smallAdded = true;
    glDisable(GL_DEPTH_TEST);
    fx.composeShadowedPicture(picture);
    camera->restore();
    stagetimer::mark("composition");
}
