#include "render/SceneObject.h"

#include <GL/glu.h>

#include <cmath>
#include <cstdio>

#include "engine/GlCaps.h"
#include "render/Camera.h"

namespace {

const float kPi = 3.14159265358979f;
const float kRadToDeg = 180.0f / kPi;

// Maps clip coordinates -1 ... 1 to texture coordinates 0 ... 1.
const float kBiasMatrix[16] = {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, 0.5f, 0, 0.5f, 0.5f, 0.5f, 1};

const GLenum kTexGenCoords[4] = {GL_S, GL_T, GL_R, GL_Q};
const GLenum kTexGenEnables[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R,
                                  GL_TEXTURE_GEN_Q};

// Upper-left 3 x 3 of a column-major matrix applied to v.
Vec3 rotatePart(const float* m, const Vec3& v) {
    return Vec3(v.x * m[0] + v.y * m[4] + v.z * m[8], v.x * m[1] + v.y * m[5] + v.z * m[9],
                v.x * m[2] + v.y * m[6] + v.z * m[10]);
}

void setMaterial(const Surface& s) {
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    const float specular[4] = {s.specular.x, s.specular.y, s.specular.z, s.specularAlpha};
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, black);
    glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, s.shininess);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
}

// Texture unit that carries surface unit i.
int textureUnitFor(int i, bool alternateUnits) {
    if (i == 0) return 0;
    return alternateUnits ? i + 1 : i;
}

int clampedSlot(int index) {
    if (index < 0) return 0;
    if (index >= SceneObject::kSurfaceSlots) return SceneObject::kSurfaceSlots - 1;
    return index;
}

int usedUnits(const Surface& s) {
    if (s.unitCount < 0) return 0;
    return s.unitCount > Surface::kMaxUnits ? Surface::kMaxUnits : s.unitCount;
}

}  // namespace

bool selectTextureUnit(int unit) {
    if (unit < 0 || unit >= glCaps.maxTextureUnits) return false;
    glActiveTextureARB(GL_TEXTURE0_ARB + unit);
    return true;
}

bool shadowMapsSupported() {
    static bool reported = false;
    bool supported = glCaps.supportsDepthTexture && glCaps.supportsShadow;
    if (!supported && !reported) {
        reported = true;
        std::printf("no %s%s%s: drawing without shadows.\n",
                    glCaps.supportsDepthTexture ? "" : "depth textures",
                    (!glCaps.supportsDepthTexture && !glCaps.supportsShadow) ? " and no " : "",
                    glCaps.supportsShadow ? "" : "shadow comparison");
        std::fflush(stdout);
    }
    return supported;
}

int fittedShadowMapSize(int maxWidth, int maxHeight) {
    long long value = 1;  // wide enough to pass any int limit without overflowing
    while (value <= maxWidth && value <= maxHeight) value *= 2;
    value /= 2;
    return value < 1 ? 1 : static_cast<int>(value);
}

// ---------------------------------------------------------------------------------------------

SceneObject::~SceneObject() {
    if (shadowTexture != 0) glDeleteTextures(1, &shadowTexture);
}

Surface& SceneObject::surface() { return surfaces[clampedSlot(currentSurface)]; }

const Surface& SceneObject::surface() const { return surfaces[clampedSlot(currentSurface)]; }

void SceneObject::setSurface(const Surface& d) {
    Surface& s = surface();
    s.colourBias = d.colourBias;
    s.alphaBias = d.alphaBias;
    s.colourScale = d.colourScale;
    s.alphaScale = d.alphaScale;
    s.specular = d.specular;
    s.specularAlpha = d.specularAlpha;
    s.shininess = d.shininess;
    s.unitCount = d.unitCount;
    s.castsShadow = d.castsShadow;
    for (int i = 0; i < usedUnits(d); ++i) {
        s.unitMode[i] = d.unitMode[i];
        s.unitTexture[i] = d.unitTexture[i];
        s.unitCubeMap[i] = d.unitCubeMap[i];
        s.texScaleU[i] = d.texScaleU[i];
        s.texScaleV[i] = d.texScaleV[i];
        s.texOffsetU[i] = d.texOffsetU[i];
        s.texOffsetV[i] = d.texOffsetV[i];
    }
}

void SceneObject::setLightSettings(const LightSettings& l) {
    isLight = l.isLight;
    for (int i = 0; i < 4; ++i) {
        lightAmbient[i] = l.lightAmbient[i];
        lightDiffuse[i] = l.lightDiffuse[i];
        lightSpecular[i] = l.lightSpecular[i];
    }
    positional = l.positional;
    lightOffset = l.lightOffset;
    spotDirection = l.spotDirection;
    spotExponent = l.spotExponent;
    spotCutoff = l.spotCutoff;
    constantAttenuation = l.constantAttenuation;
    linearAttenuation = l.linearAttenuation;
    quadraticAttenuation = l.quadraticAttenuation;
    castsShadows = l.castsShadows;
    shadowMapSize = l.shadowMapSize;
}

bool SceneObject::hasShadowMap() const {
    return castsShadows && shadowTexture != 0 && glCaps.supportsShadow;
}

void SceneObject::createShadowMap() {
    if (shadowMapsSupported() && shadowTexture == 0) {
        glGenTextures(1, &shadowTexture);
        glBindTexture(GL_TEXTURE_2D, shadowTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, shadowMapSize, shadowMapSize, 0,
                     GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    }

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(shadowFov, 1.0, shadowNear, shadowFar);
    glGetFloatv(GL_MODELVIEW_MATRIX, lightProjection);
    glLoadIdentity();
    Vec3 target = position + spotDirection;
    gluLookAt(position.x, position.y, position.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
    glGetFloatv(GL_MODELVIEW_MATRIX, lightView);
    glPopMatrix();
}

void SceneObject::updateTransform(bool keepMatrix) {
    glMatrixMode(GL_MODELVIEW);
    if (!keepMatrix) glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x * kRadToDeg, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.y * kRadToDeg, 0.0f, 1.0f, 0.0f);
    glRotatef(rotation.z * kRadToDeg, 0.0f, 0.0f, 1.0f);
    glScalef(scale.x, scale.y, scale.z);
    glGetFloatv(GL_MODELVIEW_MATRIX, worldMatrix);
    if (!keepMatrix) glPopMatrix();
}

void SceneObject::setupLight(int& counter) {
    if (!isLight) return;
    GLenum light = GL_LIGHT0;
    if (counter >= 1 && counter <= 7) light = GL_LIGHT0 + counter;
    if (counter == 0) {
        glEnable(GL_LIGHT0);
        for (int i = 1; i < 8; ++i) glDisable(GL_LIGHT0 + i);
    }
    glEnable(GL_LIGHTING);
    glEnable(light);

    const Vec3 p = position + lightOffset;
    if (castsShadows) {
        const Vec3 target = p + spotDirection;
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        gluLookAt(p.x, p.y, p.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
        glGetFloatv(GL_MODELVIEW_MATRIX, lightView);
        glPopMatrix();
    }

    const float lightPosition[4] = {p.x, p.y, p.z, positional ? 1.0f : 0.0f};
    const float direction[3] = {spotDirection.x, spotDirection.y, spotDirection.z};
    glLightfv(light, GL_POSITION, lightPosition);
    glLightf(light, GL_CONSTANT_ATTENUATION, constantAttenuation);
    glLightf(light, GL_LINEAR_ATTENUATION, linearAttenuation);
    glLightf(light, GL_QUADRATIC_ATTENUATION, quadraticAttenuation);
    glLightfv(light, GL_AMBIENT, lightAmbient);
    glLightfv(light, GL_DIFFUSE, lightDiffuse);
    glLightfv(light, GL_SPECULAR, lightSpecular);
    glLightfv(light, GL_SPOT_DIRECTION, direction);
    glLightf(light, GL_SPOT_EXPONENT, spotExponent);
    glLightf(light, GL_SPOT_CUTOFF, spotCutoff);

    if (counter <= 7) ++counter;
}

void SceneObject::beginShadowMapRender(bool clearDepth) {
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadMatrixf(lightProjection);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(lightView);
    glViewport(0, 0, shadowMapSize, shadowMapSize);
    // The map must not pick up depth left from earlier drawing; the corner is cleared again
    // when the map has been copied, so nothing later depends on what was there.
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    if (clearDepth) glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_FRONT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glShadeModel(GL_FLAT);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.25f, 0.0f);
}

void SceneObject::endShadowMapRender(bool copyDepth, bool clearDepth) {
    if (shadowTexture != 0) {
        glBindTexture(GL_TEXTURE_2D, shadowTexture);
        if (copyDepth)
            glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, shadowMapSize, shadowMapSize);
    }
    glCullFace(GL_BACK);
    glShadeModel(GL_SMOOTH);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glDepthFunc(GL_LESS);
    glDisable(GL_POLYGON_OFFSET_FILL);
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    if (clearDepth) glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

void SceneObject::loadProjectionPlanes() const {
    float light[16], projection[16];
    multiplyMatrices(lightProjection, lightView, light);
    multiplyMatrices(kBiasMatrix, light, projection);
    for (int i = 0; i < 4; ++i) {
        float plane[4];
        matrixRow(projection, plane, i);
        glTexGeni(kTexGenCoords[i], GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
        glTexGenfv(kTexGenCoords[i], GL_EYE_PLANE, plane);
    }
}

void SceneObject::beginProjection(GLuint texture, bool compareDepth) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The projected value modulates the fragment: a shadow comparison result of 0 or 1, or
    // the projected texture's colour.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    loadProjectionPlanes();
    for (int i = 0; i < 4; ++i) glEnable(kTexGenEnables[i]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_BORDER);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_BORDER);
    if (compareDepth) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, GL_COMPARE_R_TO_TEXTURE_ARB);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_FUNC_ARB, GL_LEQUAL);
        glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE_ARB, GL_INTENSITY);
    }
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
}

void SceneObject::beginShadowProjection() { beginProjection(shadowTexture, true); }

void SceneObject::endShadowProjection() {
    for (int i = 0; i < 4; ++i) glDisable(kTexGenEnables[i]);
    glDisable(GL_ALPHA_TEST);
}

void SceneObject::beginTextureProjection() { beginProjection(projectedTexture, false); }

void SceneObject::endTextureProjection() {
    for (int i = 0; i < 4; ++i) glDisable(kTexGenEnables[i]);
}

void SceneObject::enableReflectionCubeMap(GLuint texture) {
    glEnable(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_CUBE_MAP, texture);
    for (int i = 0; i < 3; ++i) glTexGeni(kTexGenCoords[i], GL_TEXTURE_GEN_MODE, GL_REFLECTION_MAP);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    for (int i = 0; i < 3; ++i) glEnable(kTexGenEnables[i]);
}

void SceneObject::disableReflectionCubeMap() {
    glDisable(GL_TEXTURE_CUBE_MAP);
    for (int i = 0; i < 3; ++i) glDisable(kTexGenEnables[i]);
}

// The third surface unit's reflection turns with the direction from the light being drawn to
// the object, as the camera sees it.
void SceneObject::setThirdUnitTextureMatrix() {
    Vec3 d = position - passLightPosition;
    if (camera) d = rotatePart(camera->modelviewMatrix, d);
    const float rho = std::sqrt(d.x * d.x + d.z * d.z);
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glRotatef(-2.0f * angleOf(d.y, rho) * kRadToDeg, 1.0f, 0.0f, 0.0f);
    glRotatef(-(angleOf(d.x, d.z) - kPi) * kRadToDeg, 0.0f, 1.0f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

namespace {

// A mesh vertex as both paths send it: position, normal and the surface's first texture
// coordinates; the colour is each pass's own.
DrawVertex placedVertex(const MeshVertex& v, const Surface& s) {
    DrawVertex d;
    d.position[0] = v.position.x;
    d.position[1] = v.position.y;
    d.position[2] = v.position.z;
    d.normal[0] = v.normal.x;
    d.normal[1] = v.normal.y;
    d.normal[2] = v.normal.z;
    d.texCoord[0] = v.texCoord.x * s.texScaleU[0] + s.texOffsetU[0];
    d.texCoord[1] = v.texCoord.y * s.texScaleV[0] + s.texOffsetV[0];
    return d;
}

// Scratch of triangleVertices, reused by every draw.
TriangleArrays triangleScratch;
std::vector<int> litVertexIndex, darkVertexIndex;
std::vector<unsigned char> outsideCodes;

// For each vertex, one bit per plane of the view volume (-w <= x, y, z <= w in clip space) that
// it lies outside of. A vertex counts as outside only past a margin of a hundredth of its
// coordinates' size, far beyond any rounding of the driver's own transform, so that a face
// left out for lying wholly outside one plane is one the driver would clip away too.
void markOutsideVertices(const std::vector<MeshVertex>& vertices, const float* m,
                         std::vector<unsigned char>& codes) {
    codes.resize(vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i) {
        const Vec3& p = vertices[i].position;
        float c[4];
        for (int row = 0; row < 4; ++row)
            c[row] = m[row] * p.x + m[4 + row] * p.y + m[8 + row] * p.z + m[12 + row];
        const float w = c[3];
        unsigned char code = 0;
        for (int axis = 0; axis < 3; ++axis) {
            const float margin = 0.01f * (std::fabs(c[axis]) + std::fabs(w)) + 1e-6f;
            if (c[axis] > w + margin) code |= static_cast<unsigned char>(1u << (2 * axis));
            if (c[axis] < -w - margin) code |= static_cast<unsigned char>(2u << (2 * axis));
        }
        codes[i] = code;
    }
}

void drawTriangles(const TriangleArrays& arrays) {
    if (arrays.indices.empty()) return;
    const GLsizei stride = sizeof(DrawVertex);
    const DrawVertex& first = arrays.vertices.front();
    glClientActiveTextureARB(GL_TEXTURE0_ARB);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_NORMAL_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, stride, first.position);
    glNormalPointer(GL_FLOAT, stride, first.normal);
    glTexCoordPointer(2, GL_FLOAT, stride, first.texCoord);
    glColorPointer(4, GL_FLOAT, stride, first.colour);
    glDrawRangeElements(GL_TRIANGLES, 0, static_cast<GLuint>(arrays.vertices.size() - 1),
                        static_cast<GLsizei>(arrays.indices.size()), GL_UNSIGNED_INT,
                        arrays.indices.data());
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

}  // namespace

// Every live face whose vertex indices are in range, as indexed triangles. A face lies in the
// light (it keeps its colour) when a corner is in front of the plane 0.1 behind the light
// across its axis, lightPosition and lightDirection given in the object's frame; other faces are
// black. The ambient pass sees every face lit; the black pass makes every face opaque black.
// A mesh vertex is sent once for the lit faces that use it and once more if unlit faces use it
// too, so the driver shades each shared corner once.
const TriangleArrays& SceneObject::triangleVertices(const Surface& s, int passType,
                                                    const Vec3& lightPosition,
                                                    const Vec3& lightDirection,
                                                    const float* clipMatrix) const {
    Vec3 bias = s.colourBias, colourScale = s.colourScale;
    float alphaBias = s.alphaBias, alphaScale = s.alphaScale;
    if (passType == kPassBlack) {
        bias = Vec3();
        colourScale = Vec3();
        alphaBias = 1.0f;
        alphaScale = 0.0f;
    }
    const int vertexSlots = static_cast<int>(vertices.size());
    TriangleArrays& arrays = triangleScratch;
    arrays.vertices.clear();
    arrays.indices.clear();
    litVertexIndex.assign(vertices.size(), -1);
    darkVertexIndex.assign(vertices.size(), -1);
    if (clipMatrix) markOutsideVertices(vertices, clipMatrix, outsideCodes);
    for (const MeshFace& f : faces) {
        if (f.deleted) continue;
        bool inRange = true;
        for (int c = 0; c < 3; ++c)
            if (f.vertex[c] < 0 || f.vertex[c] >= vertexSlots) inRange = false;
        if (!inRange) continue;
        if (clipMatrix && (outsideCodes[f.vertex[0]] & outsideCodes[f.vertex[1]] &
                           outsideCodes[f.vertex[2]]) != 0)
            continue;
        bool lit = passType == kPassAmbient;
        for (int c = 0; c < 3 && !lit; ++c)
            if (dot(vertices[f.vertex[c]].position - lightPosition, lightDirection) > -0.1f)
                lit = true;
        for (int c = 0; c < 3; ++c) {
            int& index = (lit ? litVertexIndex : darkVertexIndex)[f.vertex[c]];
            if (index < 0) {
                const MeshVertex& v = vertices[f.vertex[c]];
                DrawVertex d = placedVertex(v, s);
                if (lit) {
                    d.colour[0] = bias.x + colourScale.x * v.colour.x;
                    d.colour[1] = bias.y + colourScale.y * v.colour.y;
                    d.colour[2] = bias.z + colourScale.z * v.colour.z;
                    d.colour[3] = alphaBias + alphaScale * v.alpha;
                } else {
                    d.colour[0] = d.colour[1] = d.colour[2] = 0.0f;
                    d.colour[3] = 1.0f;
                }
                index = static_cast<int>(arrays.vertices.size());
                arrays.vertices.push_back(d);
            }
            arrays.indices.push_back(static_cast<GLuint>(index));
        }
    }
    return arrays;
}

void SceneObject::draw(int passType, bool useWorldMatrix, bool alternateUnits) {
    if (faces.empty() || !visible) return;
    const Surface& s = surface();

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    if (useWorldMatrix) {
        glMultMatrixf(worldMatrix);
    } else {
        glTranslatef(position.x, position.y, position.z);
        glRotatef(rotation.x * kRadToDeg, 1.0f, 0.0f, 0.0f);
        glRotatef(rotation.y * kRadToDeg, 0.0f, 1.0f, 0.0f);
        glRotatef(rotation.z * kRadToDeg, 0.0f, 0.0f, 1.0f);
        glScalef(scale.x, scale.y, scale.z);
    }
    setMaterial(s);
    // A surface whose first unit modulates and adds is drawn twice in the additive passes.
    const bool twice = bindSurfaceUnits(s, passType, alternateUnits) && passType < kPassAmbient;
    glBlendFunc(GL_SRC_ALPHA, passType < kPassAmbient ? GL_ONE : GL_ONE_MINUS_SRC_ALPHA);

    // The light's position and axis brought into the object's frame for the facing test.
    float modelview[16], clipMatrix[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, clipMatrix);
    multiplyMatrices(clipMatrix, modelview, clipMatrix);
    const TriangleArrays& triangles =
        triangleVertices(s, passType, rotatePart(worldMatrix, passLightPosition),
                         rotatePart(worldMatrix, passLightDirection), clipMatrix);
    for (int k = 0; k < (twice ? 2 : 1); ++k) {
        if (s.unitMode[0] == kUnitModulateAndAdd) {
            if (k == 0) {
                glDisable(GL_TEXTURE_2D);
            } else {
                glEnable(GL_TEXTURE_2D);
                glBlendFunc(GL_SRC_ALPHA, GL_ONE);
            }
        }
        drawTriangles(triangles);
    }

    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    resetUnits(s, alternateUnits);
}

// Each texture unit the surface uses, set up for the pass: its texture (or reflected cube map)
// and environment, repeat on the first unit and a clear border on the others. The ambient and
// black passes leave the further units off; the black pass keeps unit 0's texture as the
// caller bound it. Returns whether a unit modulates and adds (a second, additive draw).
bool SceneObject::bindSurfaceUnits(const Surface& s, int passType, bool alternateUnits) {
    const int units = usedUnits(s);
    bool modulateAndAdd = false;
    if (units == 0) {
        selectTextureUnit(0);
        glDisable(GL_TEXTURE_2D);
    }
    for (int i = 0; i < units; ++i) {
        if (!selectTextureUnit(textureUnitFor(i, alternateUnits))) continue;
        if (i == 2) setThirdUnitTextureMatrix();
        if (s.unitMode[i] == kUnitOff) {
            glDisable(GL_TEXTURE_2D);
        } else if ((passType == kPassAmbient || passType == kPassBlack) && i > 0) {
            glDisable(GL_TEXTURE_2D);
        } else if (passType == kPassBlack) {
            glEnable(GL_TEXTURE_2D);
        } else {
            if (s.unitCubeMap[i]) {
                enableReflectionCubeMap(s.unitTexture[i]);
            } else {
                glEnable(GL_TEXTURE_2D);
                glBindTexture(GL_TEXTURE_2D, s.unitTexture[i]);
            }
            switch (s.unitMode[i]) {
            case kUnitModulate: glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE); break;
            case kUnitAdd: glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD); break;
            case kUnitModulateAndAdd:
                glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
                modulateAndAdd = true;
                break;
            case kUnitBlend: glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_BLEND); break;
            default: break;
            }
            const GLint wrap = i == 0 ? GL_REPEAT : GL_CLAMP_TO_BORDER;
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        }
    }
    if (units > 0) glEnable(GL_NORMALIZE);
    selectTextureUnit(0);
    return modulateAndAdd;
}

// The texture units back to what the next object and the passes start from: unit 0 with 2D
// texturing and modulation, the surface's further units (and unit 3) off and adding, the third
// unit's matrix back to identity.
void SceneObject::resetUnits(const Surface& s, bool alternateUnits) {
    for (int i = 0; i < usedUnits(s); ++i) {
        if (s.unitMode[i] != kUnitOff && s.unitCubeMap[i] &&
            selectTextureUnit(textureUnitFor(i, alternateUnits)))
            disableReflectionCubeMap();
    }
    selectTextureUnit(0);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, black);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    const int secondUnit = textureUnitFor(1, alternateUnits);
    const int thirdUnit = textureUnitFor(2, alternateUnits);
    for (int unit : {secondUnit, thirdUnit, 3}) {
        if (!selectTextureUnit(unit)) continue;
        if (unit == thirdUnit) {
            glMatrixMode(GL_TEXTURE);
            glLoadIdentity();
            glMatrixMode(GL_MODELVIEW);
        }
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_ADD);
        glDisable(GL_TEXTURE_CUBE_MAP);
        glDisable(GL_TEXTURE_2D);
    }
    selectTextureUnit(0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
}

// --- Fused path --------------------------------------------------------------------------------

namespace {

FusedTriangleArrays fusedScratch;
std::vector<GLuint> positionIndexScratch;
// Per mesh vertex, the index of its copy for each combination of the two lamps' darkness.
std::vector<int> fusedVertexIndex;

// projection x modelview, what the view-volume test of a draw needs.
void currentClipMatrix(float* clip) {
    float modelview[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
    glGetFloatv(GL_PROJECTION_MATRIX, clip);
    multiplyMatrices(clip, modelview, clip);
}

bool faceInRange(const MeshFace& f, int vertexSlots) {
    for (int c = 0; c < 3; ++c)
        if (f.vertex[c] < 0 || f.vertex[c] >= vertexSlots) return false;
    return true;
}

}  // namespace

bool SceneObject::fusedUnitsFit() const {
    const Surface& s = surface();
    for (int i = 0; i < usedUnits(s); ++i) {
        if (s.unitMode[i] == kUnitOff) continue;
        if (s.unitMode[i] == kUnitModulateAndAdd) return false;
        if (s.unitCubeMap[i] != (i == 2)) return false;
    }
    return true;
}

void SceneObject::thirdUnitTurn(const Vec3& lampPosition, float* m) const {
    Vec3 d = position - lampPosition;
    if (camera) d = rotatePart(camera->modelviewMatrix, d);
    const float rho = std::sqrt(d.x * d.x + d.z * d.z);
    // What setThirdUnitTextureMatrix makes of two rotations, about x and then about y.
    const float a = -2.0f * angleOf(d.y, rho);
    const float b = -(angleOf(d.x, d.z) - kPi);
    const float ca = std::cos(a), sa = std::sin(a), cb = std::cos(b), sb = std::sin(b);
    // Rx(a) x Ry(b), column by column.
    const float turn[9] = {cb, sa * sb, -ca * sb, 0.0f, ca, sa, sb, -sa * cb, ca * cb};
    for (int i = 0; i < 9; ++i) m[i] = turn[i];
}

void SceneObject::drawPositions() {
    if (faces.empty() || !visible) return;
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(worldMatrix);
    float clip[16];
    currentClipMatrix(clip);
    markOutsideVertices(vertices, clip, outsideCodes);
    const int vertexSlots = static_cast<int>(vertices.size());
    std::vector<GLuint>& indices = positionIndexScratch;
    indices.clear();
    for (const MeshFace& f : faces) {
        if (f.deleted || !faceInRange(f, vertexSlots)) continue;
        if ((outsideCodes[f.vertex[0]] & outsideCodes[f.vertex[1]] & outsideCodes[f.vertex[2]]) != 0)
            continue;
        for (int c = 0; c < 3; ++c) indices.push_back(static_cast<GLuint>(f.vertex[c]));
    }
    if (!indices.empty()) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, sizeof(MeshVertex), &vertices.front().position.x);
        glDrawRangeElements(GL_TRIANGLES, 0, static_cast<GLuint>(vertexSlots - 1),
                            static_cast<GLsizei>(indices.size()), GL_UNSIGNED_INT,
                            indices.data());
        glDisableClientState(GL_VERTEX_ARRAY);
    }
    glPopMatrix();
}

// As triangleVertices, with every lamp's facing test at once: a mesh vertex is sent once for
// each combination of darkness among the faces that use it.
void SceneObject::drawFused(const FusedLamps& lamps, GLint darknessAttribute) {
    if (faces.empty() || !visible) return;
    const Surface& s = surface();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glMultMatrixf(worldMatrix);
    setMaterial(s);
    float clip[16];
    currentClipMatrix(clip);
    markOutsideVertices(vertices, clip, outsideCodes);

    Vec3 lampPosition[FusedLamps::kMax], lampDirection[FusedLamps::kMax];
    for (int k = 0; k < lamps.count; ++k) {
        lampPosition[k] = rotatePart(worldMatrix, lamps.position[k]);
        lampDirection[k] = rotatePart(worldMatrix, lamps.direction[k]);
    }
    const int vertexSlots = static_cast<int>(vertices.size());
    FusedTriangleArrays& arrays = fusedScratch;
    arrays.vertices.clear();
    arrays.indices.clear();
    fusedVertexIndex.assign(vertices.size() * 4, -1);
    for (const MeshFace& f : faces) {
        if (f.deleted || !faceInRange(f, vertexSlots)) continue;
        if ((outsideCodes[f.vertex[0]] & outsideCodes[f.vertex[1]] & outsideCodes[f.vertex[2]]) != 0)
            continue;
        int dark = 0;
        for (int k = 0; k < lamps.count; ++k) {
            bool lit = false;
            for (int c = 0; c < 3 && !lit; ++c)
                if (dot(vertices[f.vertex[c]].position - lampPosition[k], lampDirection[k]) > -0.1f)
                    lit = true;
            if (!lit) dark |= 1 << k;
        }
        for (int c = 0; c < 3; ++c) {
            int& index = fusedVertexIndex[static_cast<size_t>(f.vertex[c]) * 4 + dark];
            if (index < 0) {
                const MeshVertex& v = vertices[f.vertex[c]];
                FusedVertex out;
                out.drawn = placedVertex(v, s);
                DrawVertex& d = out.drawn;
                d.colour[0] = s.colourBias.x + s.colourScale.x * v.colour.x;
                d.colour[1] = s.colourBias.y + s.colourScale.y * v.colour.y;
                d.colour[2] = s.colourBias.z + s.colourScale.z * v.colour.z;
                d.colour[3] = s.alphaBias + s.alphaScale * v.alpha;
                out.darkness[0] = (dark & 1) ? 1.0f : 0.0f;
                out.darkness[1] = (dark & 2) ? 1.0f : 0.0f;
                index = static_cast<int>(arrays.vertices.size());
                arrays.vertices.push_back(out);
            }
            arrays.indices.push_back(static_cast<GLuint>(index));
        }
    }

    if (!arrays.indices.empty()) {
        const GLsizei stride = sizeof(FusedVertex);
        const FusedVertex& first = arrays.vertices.front();
        glClientActiveTextureARB(GL_TEXTURE0_ARB);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glEnableClientState(GL_COLOR_ARRAY);
        glVertexPointer(3, GL_FLOAT, stride, first.drawn.position);
        glNormalPointer(GL_FLOAT, stride, first.drawn.normal);
        glTexCoordPointer(2, GL_FLOAT, stride, first.drawn.texCoord);
        glColorPointer(4, GL_FLOAT, stride, first.drawn.colour);
        if (darknessAttribute >= 0) {
            glEnableVertexAttribArray(static_cast<GLuint>(darknessAttribute));
            glVertexAttribPointer(static_cast<GLuint>(darknessAttribute), 2, GL_FLOAT, GL_FALSE,
                                  stride, first.darkness);
        }
        glDrawRangeElements(GL_TRIANGLES, 0, static_cast<GLuint>(arrays.vertices.size() - 1),
                            static_cast<GLsizei>(arrays.indices.size()), GL_UNSIGNED_INT,
                            arrays.indices.data());
        if (darknessAttribute >= 0)
            glDisableVertexAttribArray(static_cast<GLuint>(darknessAttribute));
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
    }
    glPopMatrix();
}

