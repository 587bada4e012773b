#include "render/Mesh.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {
const Vec3 kWhite(1, 1, 1);
const Vec3 kNoTex(0, 0, 0);

int vertexAt(Mesh& m, float x, float y, float z) { return m.addVertex(Vec3(x, y, z), kNoTex, kWhite); }

// Two triangles sharing the edge v0-v2: (v0, v1, v2) and (v0, v2, v3), a unit square in z = 0.
struct Square {
    Mesh mesh;
    int v[4];
    int f[2];
    Square() {
        v[0] = vertexAt(mesh, 0, 0, 0);
        v[1] = vertexAt(mesh, 1, 0, 0);
        v[2] = vertexAt(mesh, 1, 1, 0);
        v[3] = vertexAt(mesh, 0, 1, 0);
        f[0] = mesh.addFace(v[0], v[1], v[2]);
        f[1] = mesh.addFace(v[0], v[2], v[3]);
    }
};

std::vector<int> asVector(const std::deque<int>& d) { return std::vector<int>(d.begin(), d.end()); }
}  // namespace

// --- Slot recycling --------------------------------------------------------------------------

TEST(MeshSlots, RemovingOnlyFaceFreesItsVerticesAndAddsReuseThemInFreedOrder) {
    Mesh m;
    int a = vertexAt(m, 0, 0, 0), b = vertexAt(m, 1, 0, 0), c = vertexAt(m, 0, 1, 0);
    int f = m.addFace(b, c, a);  // freed in corner order: b, c, a
    m.vertices[b].alpha = 0.25f;
    m.vertices[b].normal = Vec3(0, 0, 7);

    m.removeFace(f);
    EXPECT_EQ(m.faceCount, 0);
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_TRUE(m.vertices[a].deleted && m.vertices[b].deleted && m.vertices[c].deleted);
    EXPECT_EQ(asVector(m.freeVertices), (std::vector<int>{b, c, a}));
    EXPECT_EQ(asVector(m.freeFaces), (std::vector<int>{f}));
    EXPECT_TRUE(m.faceOrder.empty());

    EXPECT_EQ(m.addVertex(Vec3(5, 5, 5), Vec3(0.5f, 0.5f, 0), Vec3(0, 1, 0)), b);
    EXPECT_EQ(m.addVertex(Vec3(), kNoTex, kWhite), c);
    EXPECT_EQ(m.addVertex(Vec3(), kNoTex, kWhite), a);
    EXPECT_EQ(m.vertices.size(), 3u);
    EXPECT_EQ(m.vertexCount, 3);

    // A reused slot takes the new position, colour and texture coordinate but keeps its old
    // normal and alpha.
    const MeshVertex& rb = m.vertices[b];
    EXPECT_FALSE(rb.deleted);
    EXPECT_EQ(rb.position.x, 5.0f);
    EXPECT_EQ(rb.colour.y, 1.0f);
    EXPECT_EQ(rb.colour.x, 0.0f);
    EXPECT_EQ(rb.texCoord.x, 0.5f);
    EXPECT_EQ(rb.alpha, 0.25f);
    EXPECT_EQ(rb.normal.z, 7.0f);
    EXPECT_TRUE(rb.faces.empty());

    // The face slot comes back too, at the end of faceOrder.
    EXPECT_EQ(m.addFace(a, b, c), f);
    EXPECT_EQ(m.faces.size(), 1u);
    EXPECT_EQ(asVector(m.faceOrder), (std::vector<int>{f}));
}

TEST(MeshSlots, FaceSlotsAreReusedFirstFreedFirst) {
    Mesh m;
    int v[3] = {vertexAt(m, 0, 0, 0), vertexAt(m, 1, 0, 0), vertexAt(m, 0, 1, 0)};
    int f[4];
    for (int& i : f) i = m.addFace(v[0], v[1], v[2]);
    m.removeFace(f[2]);
    m.removeFace(f[0]);
    EXPECT_EQ(m.vertexCount, 3);  // still used by f[1] and f[3]
    EXPECT_EQ(m.addFace(v[0], v[1], v[2]), f[2]);
    EXPECT_EQ(m.addFace(v[0], v[1], v[2]), f[0]);
    EXPECT_EQ(m.faces.size(), 4u);
    // Creation order, not slot order.
    EXPECT_EQ(asVector(m.faceOrder), (std::vector<int>{f[1], f[3], f[2], f[0]}));
}

TEST(MeshSlots, SharedVertexSurvivesRemovalOfOneFace) {
    Square s;
    s.mesh.removeFace(s.f[1]);
    EXPECT_EQ(s.mesh.faceCount, 1);
    EXPECT_EQ(s.mesh.vertexCount, 3);
    EXPECT_TRUE(s.mesh.vertices[s.v[3]].deleted);
    EXPECT_FALSE(s.mesh.vertices[s.v[0]].deleted);
    EXPECT_FALSE(s.mesh.vertices[s.v[2]].deleted);
    EXPECT_EQ(s.mesh.vertices[s.v[0]].faces, (std::vector<int>{s.f[0]}));
    EXPECT_EQ(s.mesh.vertices[s.v[2]].faces, (std::vector<int>{s.f[0]}));
    EXPECT_EQ(asVector(s.mesh.freeVertices), (std::vector<int>{s.v[3]}));
}

TEST(MeshSlots, AdjacencyListsFollowAttachOrder) {
    Square s;
    EXPECT_EQ(s.mesh.vertices[s.v[0]].faces, (std::vector<int>{s.f[0], s.f[1]}));
    EXPECT_EQ(s.mesh.vertices[s.v[1]].faces, (std::vector<int>{s.f[0]}));
    EXPECT_EQ(s.mesh.vertices[s.v[3]].faces, (std::vector<int>{s.f[1]}));
}

TEST(MeshSlots, RemoveFaceOnFreeOrOutOfRangeSlotChangesNothing) {
    Square s;
    s.mesh.removeFace(s.f[1]);
    const std::vector<int> order = asVector(s.mesh.faceOrder);
    const std::vector<int> freeF = asVector(s.mesh.freeFaces);
    const std::vector<int> freeV = asVector(s.mesh.freeVertices);
    for (int index : {s.f[1], -1, 2, 1000}) {
        s.mesh.removeFace(index);
        EXPECT_EQ(s.mesh.faceCount, 1);
        EXPECT_EQ(s.mesh.vertexCount, 3);
        EXPECT_EQ(asVector(s.mesh.faceOrder), order);
        EXPECT_EQ(asVector(s.mesh.freeFaces), freeF);
        EXPECT_EQ(asVector(s.mesh.freeVertices), freeV);
    }
}

TEST(MeshSlots, OldestAndNewestFollowCreationOrderAcrossReusedSlots) {
    Square s;
    Mesh& m = s.mesh;
    m.removeFace(s.f[0]);                             // slot f0 free; v1 freed
    int again = m.addFace(s.v[0], s.v[2], s.v[3]);    // reuses slot f0, now the newest
    ASSERT_EQ(again, s.f[0]);

    m.removeOldestFace();                             // f1 was created before the reuse
    EXPECT_TRUE(m.faces[s.f[1]].deleted);
    EXPECT_FALSE(m.faces[again].deleted);
    EXPECT_EQ(m.vertexCount, 3);

    m.removeNewestFace();
    EXPECT_EQ(m.faceCount, 0);
    EXPECT_EQ(m.vertexCount, 0);
    m.removeOldestFace();                             // empty: nothing happens
    m.removeNewestFace();
    EXPECT_EQ(m.faceCount, 0);
    EXPECT_EQ(m.freeFaces.size(), 2u);
}

TEST(MeshSlots, FacesOnMissingOrFreeVerticesAreRefused) {
    Square s;
    Mesh& m = s.mesh;
    m.removeFace(s.f[1]);  // frees v3
    const size_t slots = m.faces.size();
    EXPECT_EQ(m.addFace(s.v[0], s.v[1], 4), -1);
    EXPECT_EQ(m.addFace(-1, s.v[1], s.v[2]), -1);
    EXPECT_EQ(m.addFace(s.v[0], s.v[3], s.v[2]), -1);  // v3 is a free slot
    EXPECT_EQ(m.faceCount, 1);
    EXPECT_EQ(m.faces.size(), slots);
    EXPECT_EQ(m.freeFaces.size(), 1u);
    EXPECT_TRUE(m.vertices[s.v[0]].faces.size() == 1 && m.vertices[s.v[3]].faces.empty());
}

TEST(MeshSlots, FaceUsingOneVertexTwiceFreesItOnce) {
    Mesh m;
    int a = vertexAt(m, 0, 0, 0), b = vertexAt(m, 1, 0, 0);
    int f = m.addFace(a, b, b);
    m.removeFace(f);
    EXPECT_EQ(asVector(m.freeVertices), (std::vector<int>{a, b}));
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_NE(m.addVertex(Vec3(), kNoTex, kWhite), m.addVertex(Vec3(), kNoTex, kWhite));
}

TEST(MeshSlots, RemoveAllFacesEmptiesTheMeshButKeepsSlots) {
    Square s;
    s.mesh.removeAllFaces();
    EXPECT_EQ(s.mesh.faceCount, 0);
    EXPECT_EQ(s.mesh.vertexCount, 0);
    EXPECT_EQ(s.mesh.vertices.size(), 4u);
    EXPECT_EQ(s.mesh.faces.size(), 2u);
    // Oldest face first: f0 frees v1 (v0 and v2 are still on f1), then f1 frees v0, v2, v3.
    EXPECT_EQ(asVector(s.mesh.freeVertices), (std::vector<int>{s.v[1], s.v[0], s.v[2], s.v[3]}));
    EXPECT_EQ(asVector(s.mesh.freeFaces), (std::vector<int>{s.f[0], s.f[1]}));
}

TEST(MeshSlots, NewMeshIsEmptyAndChanged) {
    Mesh m;
    EXPECT_TRUE(m.changed);
    EXPECT_EQ(m.faceCount + m.vertexCount, 0);
    EXPECT_GE(m.vertices.capacity(), 100u);
    EXPECT_GE(m.faces.capacity(), 100u);
}

// --- Normals -------------------------------------------------------------------------------

TEST(MeshNormals, FaceNormalIsUnnormalisedCrossProductOfEdges) {
    Mesh m;
    int a = vertexAt(m, 1, 1, 1), b = vertexAt(m, 3, 1, 1), c = vertexAt(m, 1, 4, 1);
    int f = m.addFace(a, b, c);
    m.computeFaceNormals();
    // Counter-clockwise seen from +z; length is twice the area (2 * 3).
    EXPECT_FLOAT_EQ(m.faces[f].normal.x, 0.0f);
    EXPECT_FLOAT_EQ(m.faces[f].normal.y, 0.0f);
    EXPECT_FLOAT_EQ(m.faces[f].normal.z, 6.0f);
}

TEST(MeshNormals, VertexNormalSumsItsFacesAndNormalisesOnRequest) {
    Mesh m;
    // A fold along the x axis: one face in z = 0 facing +z, one in y = 0 facing -y.
    int o = vertexAt(m, 0, 0, 0), x = vertexAt(m, 1, 0, 0), y = vertexAt(m, 0, 1, 0), z = vertexAt(m, 0, 0, 1);
    m.addFace(o, x, y);
    m.addFace(o, x, z);
    m.computeFaceNormals();
    m.computeVertexNormals(false);
    EXPECT_FLOAT_EQ(m.vertices[o].normal.z, 1.0f);
    EXPECT_FLOAT_EQ(m.vertices[o].normal.y, -1.0f);
    EXPECT_FLOAT_EQ(m.vertices[y].normal.y, 0.0f);
    m.normalizeVertexNormals();
    EXPECT_NEAR(m.vertices[o].normal.length(), 1.0f, 1e-6f);
    EXPECT_NEAR(m.vertices[o].normal.z, std::sqrt(0.5f), 1e-6f);
    m.computeVertexNormals(true);
    EXPECT_NEAR(m.vertices[x].normal.length(), 1.0f, 1e-6f);
}

TEST(MeshNormals, ListFormsTouchOnlyListedLiveEntries) {
    Square s;
    Mesh& m = s.mesh;
    m.removeFace(s.f[1]);
    m.computeFaceNormals(std::vector<int>{s.f[1], -3, 99});  // free and out of range: skipped
    EXPECT_EQ(m.faces[s.f[0]].normal.z, 0.0f);
    m.computeFaceNormals(std::vector<int>{s.f[0]});
    EXPECT_GT(m.faces[s.f[0]].normal.z, 0.0f);

    m.vertices[s.v[3]].normal = Vec3(0, 9, 0);  // free slot
    m.computeVertexNormals(true, std::vector<int>{s.v[1], s.v[3], 42});
    EXPECT_NEAR(m.vertices[s.v[1]].normal.z, 1.0f, 1e-6f);
    EXPECT_EQ(m.vertices[s.v[0]].normal.z, 0.0f);
    EXPECT_EQ(m.vertices[s.v[3]].normal.y, 9.0f);
    m.vertices[s.v[0]].normal = Vec3(3, 0, 4);
    m.normalizeVertexNormals(std::vector<int>{s.v[0], s.v[3]});
    EXPECT_NEAR(m.vertices[s.v[0]].normal.x, 0.6f, 1e-6f);
    EXPECT_EQ(m.vertices[s.v[3]].normal.y, 9.0f);
}

// --- Selection and displacement ------------------------------------------------------------

TEST(MeshSelect, RimVertexIsSelectedWithWeightOneAndFacesNeedAllCorners) {
    Square s;
    std::vector<int> faces{-7}, verts{-7};
    std::vector<float> weights{-7.0f};
    // Centre on v0, radius 1: v1 and v3 lie exactly on the rim, v2 (distance sqrt 2) outside.
    s.mesh.selectSphere(faces, verts, weights, Vec3(0, 0, 0), 1.0f);
    EXPECT_EQ(verts, (std::vector<int>{-7, s.v[0], s.v[1], s.v[3]}));  // appended, index order
    ASSERT_EQ(weights.size(), 4u);
    EXPECT_EQ(weights[1], 0.0f);
    EXPECT_EQ(weights[2], 1.0f);
    EXPECT_EQ(weights[3], 1.0f);
    EXPECT_EQ(faces, (std::vector<int>{-7}));  // no face has all three corners inside

    faces.clear();
    verts.clear();
    weights.clear();
    s.mesh.selectSphere(faces, verts, weights, Vec3(0.5f, 0.5f, 0), 0.75f);
    EXPECT_EQ(verts.size(), 4u);
    EXPECT_EQ(faces, (std::vector<int>{s.f[0], s.f[1]}));
}

TEST(MeshSelect, SkipsFreeSlotsAndStaysFiniteForZeroRadius) {
    Square s;
    s.mesh.removeFace(s.f[1]);  // frees v3
    std::vector<int> faces, verts;
    std::vector<float> weights;
    s.mesh.selectSphere(faces, verts, weights, Vec3(0, 1, 0), 0.0f);  // v3's position
    EXPECT_TRUE(verts.empty());
    s.mesh.selectSphere(faces, verts, weights, Vec3(1, 0, 0), 0.0f);
    ASSERT_EQ(verts, (std::vector<int>{s.v[1]}));
    EXPECT_EQ(weights[0], 0.0f);
    s.mesh.selectSphere(faces, verts, weights, Vec3(1, 0, 0), -1.0f);
    EXPECT_EQ(verts.size(), 1u);
}

TEST(MeshDisplace, UnweightedMovesListedVerticesAndScalesCallersDirection) {
    Square s;
    s.mesh.changed = false;
    Vec3 dir(0, 0, 2);
    s.mesh.displaceVertices(std::vector<int>{s.v[1], s.v[2], 77, -1}, 0.5f, dir, false, std::vector<float>());
    EXPECT_EQ(dir.z, 1.0f);
    EXPECT_TRUE(s.mesh.changed);
    EXPECT_EQ(s.mesh.vertices[s.v[1]].position.z, 1.0f);
    EXPECT_EQ(s.mesh.vertices[s.v[2]].position.z, 1.0f);
    EXPECT_EQ(s.mesh.vertices[s.v[0]].position.z, 0.0f);
}

namespace {
float squared(float x) { return x * x; }
}  // namespace

TEST(MeshDisplace, WeightedTapersToNothingOnTheRimAndAppliesTheCurve) {
    Square s;
    std::vector<int> faces, verts;
    std::vector<float> weights;
    s.mesh.selectSphere(faces, verts, weights, Vec3(0, 0, 0), 2.0f);  // v1, v3 at 0.5
    Vec3 dir(0, 0, 1);
    s.mesh.displaceVertices(verts, 4.0f, dir, true, weights);
    EXPECT_FLOAT_EQ(s.mesh.vertices[s.v[0]].position.z, 4.0f);
    EXPECT_FLOAT_EQ(s.mesh.vertices[s.v[1]].position.z, 2.0f);

    Square rim;
    verts.clear();
    weights.clear();
    rim.mesh.selectSphere(faces, verts, weights, Vec3(0, 0, 0), 1.0f);  // v1, v3 on the rim
    Vec3 up(0, 0, 1);
    rim.mesh.displaceVertices(verts, 3.0f, up, true, weights, squared);
    EXPECT_FLOAT_EQ(rim.mesh.vertices[rim.v[0]].position.z, 3.0f);
    EXPECT_EQ(rim.mesh.vertices[rim.v[1]].position.z, 0.0f);
    EXPECT_EQ(rim.mesh.vertices[rim.v[3]].position.z, 0.0f);

    // Fewer weights than vertices: the unweighted rest stays put.
    Vec3 more(0, 0, 1);
    rim.mesh.displaceVertices(std::vector<int>{rim.v[2], rim.v[1]}, 1.0f, more, true, std::vector<float>{0.5f});
    EXPECT_FLOAT_EQ(rim.mesh.vertices[rim.v[2]].position.z, 0.5f);
    EXPECT_EQ(rim.mesh.vertices[rim.v[1]].position.z, 0.0f);
}
