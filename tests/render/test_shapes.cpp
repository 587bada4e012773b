#include "render/Mesh.h"
#include "render/Shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {
const float kPi = 3.14159265358979f;

BlobShape unitShape() {
    BlobShape s;
    s.scaleX = s.scaleY = s.scaleZ = 1.0f;
    return s;
}

// Every directed edge of a live face appears once, and so does its reverse: the surface is
// closed and consistently wound.
bool closedAndConsistent(const Mesh& m) {
    std::map<std::pair<int, int>, int> edges;
    for (const MeshFace& f : m.faces) {
        if (f.deleted) continue;
        for (int c = 0; c < 3; ++c) ++edges[std::make_pair(f.vertex[c], f.vertex[(c + 1) % 3])];
    }
    for (const auto& e : edges) {
        if (e.second != 1) return false;
        auto rev = edges.find(std::make_pair(e.first.second, e.first.first));
        if (rev == edges.end() || rev->second != 1) return false;
    }
    return !edges.empty();
}

// Enclosed volume by the divergence theorem: positive when the faces point outwards.
double signedVolume(const Mesh& m) {
    double v = 0.0;
    for (const MeshFace& f : m.faces) {
        if (f.deleted) continue;
        const Vec3& a = m.vertices[f.vertex[0]].position;
        const Vec3& b = m.vertices[f.vertex[1]].position;
        const Vec3& c = m.vertices[f.vertex[2]].position;
        v += dot(a, cross(b, c)) / 6.0;
    }
    return v;
}

std::vector<Vec3> positions(const Mesh& m) {
    std::vector<Vec3> p;
    for (const MeshVertex& v : m.vertices) p.push_back(v.position);
    return p;
}

void expectSamePositions(const std::vector<Vec3>& a, const std::vector<Vec3>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].x, b[i].x) << "vertex " << i;
        EXPECT_EQ(a[i].y, b[i].y) << "vertex " << i;
        EXPECT_EQ(a[i].z, b[i].z) << "vertex " << i;
    }
}

// Callback that records what it was given and paints the first vertex only.
struct CallbackLog {
    std::vector<Vec3> positions;
    std::vector<float> weights;
    std::vector<float> arguments;
};
CallbackLog* activeLog = nullptr;
void recordingCallback(Vec3& colour, const Vec3& position, float weight, float argument) {
    if (activeLog->positions.empty()) colour = Vec3(0.25f, 0.5f, 0.75f);
    activeLog->positions.push_back(position);
    activeLog->weights.push_back(weight);
    activeLog->arguments.push_back(argument);
}
}  // namespace

// --- Texture mapping -------------------------------------------------------------------------

TEST(SphereTexCoords, HeightGivesVAndTheAxisMapsToTheMiddleOfU) {
    EXPECT_FLOAT_EQ(sphereTexCoords(Vec3(0, 2, 0), 2.0f, 1, 1).y, 1.0f);
    EXPECT_FLOAT_EQ(sphereTexCoords(Vec3(0, -2, 0), 2.0f, 1, 1).y, 0.0f);
    EXPECT_FLOAT_EQ(sphereTexCoords(Vec3(1, 0, 1), 2.0f, 1, 1).y, 0.5f);
    EXPECT_FLOAT_EQ(sphereTexCoords(Vec3(0, 1, 0), 2.0f, 1, 1).x, 0.5f);
    const Vec3 plain = sphereTexCoords(Vec3(0.3f, 0.4f, -0.8f), 1.0f, 1, 1);
    const Vec3 scaled = sphereTexCoords(Vec3(0.3f, 0.4f, -0.8f), 1.0f, 3, 0.5f);
    EXPECT_FLOAT_EQ(scaled.x, plain.x * 3);
    EXPECT_FLOAT_EQ(scaled.y, plain.y * 0.5f);
    EXPECT_EQ(plain.z, 0.0f);
}

// --- Blob ----------------------------------------------------------------------------------

TEST(BuildBlob, CountsForSeveralSizes) {
    const int sizes[][2] = {{3, 2}, {4, 3}, {6, 14}, {8, 8}, {10, 10}, {45, 45}};
    for (const auto& sr : sizes) {
        Mesh m;
        m.buildBlob(1.0f, sr[0], sr[1], unitShape(), true);
        const int s = sr[0], r = sr[1];
        EXPECT_EQ(m.vertexCount, s * (r - 1) + 2) << s << " x " << r;
        EXPECT_EQ(m.faceCount, 2 * s * (r - 1)) << s << " x " << r;
        EXPECT_EQ(static_cast<int>(m.vertices.size()), m.vertexCount);
        EXPECT_TRUE(closedAndConsistent(m)) << s << " x " << r;
    }
}

TEST(BuildBlob, UnitShapeIsAnOutwardSphereWithPolesFirstAndLast) {
    Mesh m;
    const float r = 2.5f;
    m.changed = false;
    m.buildBlob(r, 12, 9, unitShape(), true);
    EXPECT_TRUE(m.changed);
    for (const MeshVertex& v : m.vertices) EXPECT_NEAR(v.position.length(), r, 1e-5f);
    EXPECT_NEAR(m.vertices.front().position.y, r, 1e-6f);
    EXPECT_NEAR(m.vertices.back().position.y, -r, 1e-6f);
    // Vertices 1 ... 12 make the first ring below the north pole.
    for (int j = 1; j <= 12; ++j) EXPECT_NEAR(m.vertices[j].position.y, r * std::cos(kPi / 9), 1e-5f);
    const double sphere = 4.0 / 3.0 * kPi * r * r * r;
    const double v = signedVolume(m);
    EXPECT_GT(v, 0.8 * sphere);
    EXPECT_LT(v, sphere);
}

TEST(BuildBlob, FlipWindingExchangesTheLastTwoCornersOfEveryFace) {
    Mesh plain, flipped;
    BlobShape s = unitShape();
    s.bandAmp = 0.3f;
    s.bandFreq = 2.0f;
    plain.buildBlob(1.0f, 7, 5, s, false);
    s.flipWinding = true;
    flipped.buildBlob(1.0f, 7, 5, s, false);
    expectSamePositions(positions(plain), positions(flipped));
    ASSERT_EQ(plain.faces.size(), flipped.faces.size());
    for (size_t i = 0; i < plain.faces.size(); ++i) {
        EXPECT_EQ(flipped.faces[i].vertex[0], plain.faces[i].vertex[0]);
        EXPECT_EQ(flipped.faces[i].vertex[1], plain.faces[i].vertex[2]);
        EXPECT_EQ(flipped.faces[i].vertex[2], plain.faces[i].vertex[1]);
    }
    EXPECT_NEAR(signedVolume(flipped), -signedVolume(plain), 1e-5);
}

TEST(BuildBlob, ScalesStretchAndEmptySizesLeaveNothing) {
    Mesh m;
    BlobShape s = unitShape();
    s.scaleY = 2.0f;
    m.buildBlob(1.0f, 8, 8, s, true);
    EXPECT_NEAR(m.vertices.front().position.y, 2.0f, 1e-6f);
    m.buildBlob(1.0f, 0, 8, s, true);
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_EQ(m.faceCount, 0);
    m.buildBlob(1.0f, 8, 0, s, true);
    EXPECT_EQ(m.faceCount, 0);
}

TEST(BuildBlob, TextureCoordinatesComeFromDirectionOrPosition) {
    Mesh fromDir, fromPos;
    const float r = 3.0f;
    fromDir.buildBlob(r, 6, 5, unitShape(), true);
    fromPos.buildBlob(r, 6, 5, unitShape(), false);
    for (size_t i = 0; i < fromDir.vertices.size(); ++i) {
        const Vec3 p = fromPos.vertices[i].position;
        const Vec3 expectPos = sphereTexCoords(p, r, 1, 1);
        const Vec3 expectDir = sphereTexCoords(p / r, r, 1, 1);
        EXPECT_NEAR(fromPos.vertices[i].texCoord.x, expectPos.x, 1e-5f);
        EXPECT_NEAR(fromPos.vertices[i].texCoord.y, expectPos.y, 1e-5f);
        EXPECT_NEAR(fromDir.vertices[i].texCoord.x, expectDir.x, 1e-5f);
        EXPECT_NEAR(fromDir.vertices[i].texCoord.y, expectDir.y, 1e-5f);
    }
}

TEST(BuildBlob, ColourCallbackSeesEveryVertexInOrderAndItsColourCarriesOn) {
    CallbackLog log;
    activeLog = &log;
    Mesh m;
    BlobShape s = unitShape();
    s.bendXAmp = 0.5f;  // bends move the vertices but not the weight value
    s.bendXFreq = 1.0f;
    m.buildBlob(1.0f, 5, 4, s, true, recordingCallback, 0.75f);
    activeLog = nullptr;

    ASSERT_EQ(log.positions.size(), m.vertices.size());
    bool someBent = false;
    for (size_t i = 0; i < m.vertices.size(); ++i) {
        EXPECT_EQ(log.positions[i].x, m.vertices[i].position.x);
        EXPECT_EQ(log.positions[i].y, m.vertices[i].position.y);
        EXPECT_NEAR(log.weights[i], 1.0f, 1e-5f);
        EXPECT_EQ(log.arguments[i], 0.75f);
        EXPECT_EQ(m.vertices[i].colour.x, 0.25f);  // painted on the first call only
        EXPECT_EQ(m.vertices[i].colour.z, 0.75f);
        if (std::fabs(m.vertices[i].position.length() - 1.0f) > 1e-3f) someBent = true;
    }
    EXPECT_TRUE(someBent);

    Mesh white;
    white.buildBlob(1.0f, 5, 4, s, true);
    for (const MeshVertex& v : white.vertices) EXPECT_EQ(v.colour.x + v.colour.y + v.colour.z, 3.0f);
}

TEST(BuildBlob, RebuildingReusesTheSameSlotsWithoutGrowth) {
    Mesh m;
    BlobShape s = unitShape();
    m.buildBlob(1.0f, 20, 20, s, false);
    const size_t vSlots = m.vertices.size(), fSlots = m.faces.size();
    const size_t vCap = m.vertices.capacity(), fCap = m.faces.capacity();
    for (int frame = 0; frame < 300; ++frame) {
        s.bandAmp = 0.4f * std::sin(0.1f * frame);
        s.bandPhase = 0.01f * frame;
        s.ringAmp = 0.05f;
        m.buildBlob(1.0f, 20, 20, s, false);
    }
    EXPECT_EQ(m.vertices.size(), vSlots);
    EXPECT_EQ(m.faces.size(), fSlots);
    EXPECT_EQ(m.vertices.capacity(), vCap);
    EXPECT_EQ(m.faces.capacity(), fCap);
    EXPECT_TRUE(m.freeVertices.empty());
    EXPECT_TRUE(m.freeFaces.empty());
    EXPECT_EQ(m.faceOrder.size(), static_cast<size_t>(m.faceCount));
    EXPECT_TRUE(closedAndConsistent(m));

    // A smaller blob leaves the surplus slots free; growing back takes them again first.
    m.buildBlob(1.0f, 10, 10, s, false);
    EXPECT_EQ(m.vertices.size(), vSlots);
    EXPECT_EQ(m.freeVertices.size(), vSlots - static_cast<size_t>(m.vertexCount));
    m.buildBlob(1.0f, 20, 20, s, false);
    EXPECT_EQ(m.vertices.size(), vSlots);
    EXPECT_EQ(m.faces.size(), fSlots);
}

// --- Box -----------------------------------------------------------------------------------

namespace {
int boxVertices(int n, int slices) { return 2 * n * n + (slices > 2 ? slices - 2 : 0) * (4 * n - 4); }
int boxFaces(int n, int slices) {
    return 4 * (n - 1) * (n - 1) + ((slices > 2 ? slices - 2 : 0) + 1) * 2 * (4 * n - 4);
}
BoxShape box(float hx, float hy, float hz) {
    BoxShape s;
    s.halfX = hx;
    s.halfY = hy;
    s.halfZ = hz;
    return s;
}
}  // namespace

TEST(BuildBox, LatticeCountsForSmallSizesAndSlices) {
    const int sizes[][2] = {{2, 0}, {2, 1}, {2, 2}, {2, 3}, {3, 4}, {4, 1}, {5, 6}, {12, 12}, {30, 4}};
    for (const auto& ns : sizes) {
        Mesh m;
        m.buildBox(ns[0], ns[1], box(1, 1, 1), true);
        EXPECT_EQ(m.vertexCount, boxVertices(ns[0], ns[1])) << ns[0] << ", " << ns[1];
        EXPECT_EQ(m.faceCount, boxFaces(ns[0], ns[1])) << ns[0] << ", " << ns[1];
        EXPECT_TRUE(closedAndConsistent(m)) << ns[0] << ", " << ns[1];
    }
}

TEST(BuildBox, CapsAreRowMajorGridsSpanningMinusHalfToJustShortOfHalf) {
    const int n = 4;
    const float hx = 1.0f, hy = 2.0f, hz = 3.0f;
    Mesh m;
    m.buildBox(n, 5, box(hx, hy, hz), true);
    const float dx = 2 * hx / n, dy = 2 * hy / n;
    for (int cap = 0; cap < 2; ++cap) {
        for (int k = 0; k < n * n; ++k) {
            const Vec3& p = m.vertices[cap * n * n + k].position;
            EXPECT_FLOAT_EQ(p.z, cap == 0 ? -hz : hz);
            EXPECT_NEAR(p.x, -hx + dx * (k % n), 1e-6f) << k;
            EXPECT_NEAR(p.y, -hy + dy * (k / n), 1e-6f) << k;
        }
    }
    EXPECT_NEAR(m.vertices[n * n - 1].position.x, hx * (1 - 2.0f / n), 1e-6f);
    // Cap faces come first, each cap's faces on its own vertices.
    const int capFaces = 2 * (n - 1) * (n - 1);
    for (int f = 0; f < 2 * capFaces; ++f)
        for (int c = 0; c < 3; ++c) {
            const int v = m.faces[f].vertex[c];
            EXPECT_EQ(v / (n * n), f / capFaces) << "face " << f;
        }
}

TEST(BuildBox, MiddleRingsRunAlongTheBorderAtEvenDepths) {
    const int n = 3, slices = 5;
    const float hx = 1.0f, hy = 1.5f, hz = 2.0f;
    Mesh m;
    m.buildBox(n, slices, box(hx, hy, hz), true);
    const int ring = 4 * n - 4;
    const float dx = 2 * hx / n, dy = 2 * hy / n;
    for (int r = 0; r < slices - 2; ++r) {
        const int base = 2 * n * n + r * ring;
        const float z = -hz + (r + 1) * 2 * hz / slices;
        // Starts at the bottom-left corner and walks bottom, right, top, left one grid step at
        // a time, n - 1 steps per side, and closes back to the start.
        const Vec3 steps[4] = {Vec3(dx, 0, 0), Vec3(0, dy, 0), Vec3(-dx, 0, 0), Vec3(0, -dy, 0)};
        EXPECT_NEAR(m.vertices[base].position.x, -hx, 1e-6f);
        EXPECT_NEAR(m.vertices[base].position.y, -hy, 1e-6f);
        for (int b = 0; b < ring; ++b) {
            const Vec3& p = m.vertices[base + b].position;
            const Vec3& q = m.vertices[base + (b + 1) % ring].position;
            EXPECT_NEAR(p.z, z, 1e-6f);
            const Vec3 step = steps[b / (n - 1)];
            EXPECT_NEAR(q.x - p.x, step.x, 1e-5f) << "ring " << r << " step " << b;
            EXPECT_NEAR(q.y - p.y, step.y, 1e-5f) << "ring " << r << " step " << b;
        }
    }
    EXPECT_EQ(m.vertexCount, 2 * n * n + (slices - 2) * ring);
}

TEST(BuildBox, FacesPointOutwardsAndEncloseTheLattice) {
    const int n = 6;
    const float hx = 1.0f, hy = 2.0f, hz = 0.5f;
    Mesh m;
    m.buildBox(n, 3, box(hx, hy, hz), true);
    const double expected = (2 * hx * (1 - 1.0 / n)) * (2 * hy * (1 - 1.0 / n)) * (2 * hz);
    EXPECT_NEAR(signedVolume(m), expected, 1e-4);
}

TEST(BuildBox, FlipWindingExchangesTheLastTwoCornersOfEveryFace) {
    Mesh plain, flipped;
    BoxShape s = box(1, 1, 1);
    plain.buildBox(4, 4, s, true);
    s.flipWinding = true;
    flipped.buildBox(4, 4, s, true);
    expectSamePositions(positions(plain), positions(flipped));
    ASSERT_EQ(plain.faces.size(), flipped.faces.size());
    for (size_t i = 0; i < plain.faces.size(); ++i) {
        EXPECT_EQ(flipped.faces[i].vertex[0], plain.faces[i].vertex[0]) << i;
        EXPECT_EQ(flipped.faces[i].vertex[1], plain.faces[i].vertex[2]) << i;
        EXPECT_EQ(flipped.faces[i].vertex[2], plain.faces[i].vertex[1]) << i;
    }
    EXPECT_LT(signedVolume(flipped), 0.0);
    EXPECT_TRUE(closedAndConsistent(flipped));
}

TEST(BuildBox, ZeroRoundnessAndNoWavesLeaveTheLatticeUnchanged) {
    Mesh m;
    BoxShape s = box(2, 1, 3);
    m.buildBox(5, 4, s, true);
    const std::vector<Vec3> lattice = positions(m);
    // The bulge only acts through roundness, the wave frequencies and phases only through
    // their amplitudes.
    s.bulgeAmp = 0.7f;
    s.bulgeFreq = 3.0f;
    s.bulge2Amp = 0.2f;
    s.waveXFreq = 2.0f;
    s.waveXPhase = 0.3f;
    s.waveZPhase = 0.9f;
    m.buildBox(5, 4, s, false);
    expectSamePositions(positions(m), lattice);

    // A rebuild places the lattice into the freed slots in the order they were freed, so it
    // is compared in creation order on a fresh mesh.
    Mesh fresh;
    fresh.buildBox(5, 4, s, true);
    expectSamePositions(positions(fresh), lattice);
}

TEST(BuildBox, FullRoundnessPullsEveryVertexOntoTheEllipsoid) {
    Mesh m;
    BoxShape s = box(1, 2, 3);
    s.roundness = 1.0f;
    m.buildBox(6, 6, s, true);
    for (const MeshVertex& v : m.vertices) {
        const Vec3& p = v.position;
        EXPECT_NEAR(p.x * p.x + p.y * p.y / 4 + p.z * p.z / 9, 1.0f, 1e-4f);
    }
}

TEST(BuildBox, TwistTurnsAboutTheVerticalAxisAndAccumulatesWithoutRebuild) {
    Mesh once, twice;
    BoxShape s = box(1, 1, 1);
    once.buildBox(4, 4, s, true);
    twice.buildBox(4, 4, s, true);
    const std::vector<Vec3> rest = positions(once);

    s.twistPhase = 0.5f;  // a quarter turn: (x, z) -> (z, -x)
    once.buildBox(4, 4, s, false);
    for (size_t i = 0; i < rest.size(); ++i) {
        EXPECT_NEAR(once.vertices[i].position.x, rest[i].z, 1e-5f);
        EXPECT_NEAR(once.vertices[i].position.z, -rest[i].x, 1e-5f);
        EXPECT_EQ(once.vertices[i].position.y, rest[i].y);
    }
    s.twistPhase = 0.25f;
    twice.buildBox(4, 4, s, false);
    twice.buildBox(4, 4, s, false);
    for (size_t i = 0; i < rest.size(); ++i) {
        EXPECT_NEAR(twice.vertices[i].position.x, rest[i].z, 1e-5f);
        EXPECT_NEAR(twice.vertices[i].position.z, -rest[i].x, 1e-5f);
    }

    // A height-dependent twist keeps every vertex at its height and distance from the axis.
    Mesh m;
    s.twistPhase = 0.1f;
    s.twistRate = 0.7f;
    m.buildBox(4, 4, s, true);
    for (size_t i = 0; i < rest.size(); ++i) {
        const Vec3& p = m.vertices[i].position;
        EXPECT_EQ(p.y, rest[i].y);
        EXPECT_NEAR(p.x * p.x + p.z * p.z, rest[i].x * rest[i].x + rest[i].z * rest[i].z, 1e-5f);
    }
}

TEST(BuildBox, DeformingAVertexAtTheOriginStaysFinite) {
    Mesh m;
    int a = m.addVertex(Vec3(0, 0, 0), Vec3(), Vec3(1, 1, 1));
    int b = m.addVertex(Vec3(1, 0, 0), Vec3(), Vec3(1, 1, 1));
    m.addFace(a, b, b);
    BoxShape s = box(1, 1, 1);
    s.roundness = 1.0f;
    m.buildBox(12, 12, s, false);  // deforms what is there
    EXPECT_EQ(m.vertices[a].position.x, 0.0f);
    EXPECT_EQ(m.vertices[a].position.y, 0.0f);
    EXPECT_EQ(m.vertices[a].position.z, 0.0f);
    EXPECT_NEAR(m.vertices[b].position.x, 1.0f, 1e-6f);
}

TEST(BuildBox, DeformsOnlyTheFirstVertexCountSlots) {
    Mesh m;
    m.buildBox(4, 4, box(1, 1, 1), true);
    const int used = m.vertexCount;
    m.buildBlob(1.0f, 4, 3, unitShape(), true);  // fewer vertices: surplus slots are free
    const int live = m.vertexCount;
    ASSERT_LT(live, used);
    const std::vector<Vec3> before = positions(m);
    BoxShape s = box(1, 1, 1);
    s.waveXAmp = 1.0f;
    m.buildBox(4, 4, s, false);
    for (int i = 0; i < used; ++i) {
        const float shift = m.vertices[i].position.x - before[i].x;
        if (i < live)
            EXPECT_NEAR(shift, 1.0f, 1e-5f) << i;
        else
            EXPECT_EQ(shift, 0.0f) << i;
    }
}

TEST(BuildBox, RebuildingManyTimesKeepsTheSlotArrays) {
    Mesh m;
    BoxShape s = box(1, 1, 1);
    m.buildBox(12, 12, s, true);
    const size_t vSlots = m.vertices.size(), fSlots = m.faces.size();
    for (int frame = 0; frame < 200; ++frame) {
        s.bulgeAmp = 0.3f;
        s.roundness = 0.002f * frame;
        s.twistPhase = 0.01f * frame;
        m.buildBox(12, 12, s, true);
    }
    EXPECT_EQ(m.vertices.size(), vSlots);
    EXPECT_EQ(m.faces.size(), fSlots);
    EXPECT_EQ(m.vertexCount, boxVertices(12, 12));
    EXPECT_TRUE(m.freeVertices.empty() && m.freeFaces.empty());
}

TEST(BuildBox, GridsWithoutTwoPointsASideBuildNothingAndDoNotGrow) {
    Mesh m;
    for (int k = 0; k < 10; ++k) {
        m.buildBox(1, 4, box(1, 1, 1), true);
        m.buildBox(0, 4, box(1, 1, 1), true);
    }
    EXPECT_EQ(m.vertexCount, 0);
    EXPECT_EQ(m.faceCount, 0);
    EXPECT_TRUE(m.vertices.empty());
}

TEST(ShapeBlock, BlobAndBoxNamesShareTheTwentyFloats) {
    ShapeBlock s;
    for (float v : s.values) EXPECT_EQ(v, 0.0f);
    EXPECT_FALSE(s.flipWinding);
    s.scaleX = 15.0f;
    s.bendZPhase = 2.0f;
    s.values[15] = 0.5f;
    s.values[19] = 0.25f;
    EXPECT_EQ(s.halfX, 15.0f);
    EXPECT_EQ(s.waveZPhase, 2.0f);
    EXPECT_EQ(s.roundness, 0.5f);
    EXPECT_EQ(s.twistPhase, 0.25f);
}
