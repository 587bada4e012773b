#include "render/Mesh.h"
#include "render/Shapes.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {
const double kPi = 3.14159265358979;
const float kPiF = static_cast<float>(kPi);
const double kTwoPi = 6.28318530717958;

// Face on three vertices, with the last two exchanged for the opposite winding.
void addWoundFace(Mesh& mesh, bool flip, int a, int b, int c) {
    if (flip)
        mesh.addFace(a, c, b);
    else
        mesh.addFace(a, b, c);
}
}  // namespace

Vec3 sphereTexCoords(const Vec3& p, float r, float scaleU, float scaleV) {
    float v = (p.y / r + 1.0f) * 0.5f;
    float u0 = static_cast<float>(angleOf(p.x, p.z) / kTwoPi - 0.25);
    double rho = std::sqrt(static_cast<double>(p.x) * p.x + static_cast<double>(p.z) * p.z);
    float u = (static_cast<float>(rho * kPi) / r) * (std::fabs(u0) * 0.5f) + 0.5f;
    return Vec3(u * scaleU, v * scaleV, 0.0f);
}

// --- Blob ----------------------------------------------------------------------------------

namespace {
struct BlobBuilder {
    Mesh& mesh;
    float radius;
    int segments, rings;
    const BlobShape& s;
    bool texFromDirection;
    MeshColourCallback callback;
    float argument;
    Vec3 colour{1.0f, 1.0f, 1.0f};  // running colour, carried from vertex to vertex

    int vertexAt(int ring, int segment) {
        const float t = static_cast<float>(ring) / static_cast<float>(rings);
        const float sv = static_cast<float>(segment) / static_cast<float>(segments);
        const float theta = t * kPiF;
        const float phi = sv * 2.0f * kPiF;
        const float sinT = std::sin(theta), cosT = std::cos(theta);
        const float sinP = std::sin(phi), cosP = std::cos(phi);
        const Vec3 direction(sinP * sinT, cosT, cosP * sinT);

        float y = (std::cos((s.bandFreq * sv + s.bandPhase) * kPiF) * s.bandAmp + 1.0f) * cosT;
        float g = 1.0f, h = 1.0f;
        if (s.ringAmp != 0.0f) {
            const float a = (sv * s.ringFreq + s.ringPhase) * kPiF;
            g = std::cos(a) * s.ringAmp + 1.0f;
            h = std::sin(a) * s.ringAmp + 1.0f;
        }
        if (s.bandAmp != 0.0f) {
            const float band = std::cos((t * s.bandFreq + s.bandPhase) * kPiF) * s.bandAmp;
            g += band;
            h += band;
        }
        float x = sinP * sinT * h;
        float z = cosP * sinT * g;
        const float q = x * x + y * y + z * z;  // shape value before the bends
        if (s.bendXAmp != 0.0f)
            x += std::sin((t * s.bendXFreq + s.bendXPhase) * kPiF) * s.bendXAmp * s.scaleX;
        if (s.bendZAmp != 0.0f)
            z += std::cos((t * s.bendZFreq + s.bendZPhase) * kPiF) * s.bendZAmp * s.scaleZ;

        const Vec3 position(x * radius * s.scaleX, y * radius * s.scaleY, z * radius * s.scaleZ);
        const Vec3 tex = sphereTexCoords(texFromDirection ? direction : position, radius, 1.0f, 1.0f);
        if (callback) callback(colour, position, q, argument);
        return mesh.addVertex(position, tex, colour);
    }

    void face(int a, int b, int c) { addWoundFace(mesh, s.flipWinding, a, b, c); }

    void build() {
        const int S = segments;
        std::vector<int> prev(S), cur(S);

        const int north = vertexAt(0, 0);
        for (int j = 0; j < S; ++j) cur[j] = vertexAt(1, j);
        for (int j = 0; j < S; ++j) face(north, cur[j], cur[(j + 1) % S]);

        for (int i = 2; i < rings; ++i) {
            prev.swap(cur);
            for (int j = 0; j < S; ++j) cur[j] = vertexAt(i, j);
            for (int j = 0; j < S; ++j) {
                const int k = (j + 1) % S;
                face(prev[j], cur[j], cur[k]);
                face(prev[j], cur[k], prev[k]);
            }
        }

        const int south = vertexAt(rings, 0);
        for (int j = 0; j < S; ++j) face(south, cur[(j + 1) % S], cur[j]);
    }
};
}  // namespace

void Mesh::buildBlob(float radius, int segments, int rings, const BlobShape& shape,
                     bool texFromDirection, MeshColourCallback colourCallback,
                     float callbackArgument) {
    removeAllFaces();
    changed = true;
    // Without segments or rings the grid steps would divide by zero: the mesh stays empty.
    if (segments < 1 || rings < 1) return;
    BlobBuilder builder{*this, radius, segments, rings, shape, texFromDirection, colourCallback,
                        callbackArgument};
    builder.build();
}

// --- Box -----------------------------------------------------------------------------------

namespace {
struct BoxLattice {
    Mesh& mesh;
    int n;
    const BoxShape& s;
    std::vector<std::pair<int, int>> border;  // (i, j) grid positions in border order

    float gridX(int j) const {
        return s.halfX * 2.0f * (static_cast<float>(j) - static_cast<float>(n) / 2.0f) / static_cast<float>(n);
    }
    float gridY(int i) const {
        return (static_cast<float>(i) - static_cast<float>(n) / 2.0f) * 2.0f * s.halfY / static_cast<float>(n);
    }

    // Bottom edge with x rising, up the right edge, back along the top, down the left:
    // 4n - 4 positions.
    void makeBorder() {
        border.clear();
        for (int j = 0; j <= n - 2; ++j) border.emplace_back(0, j);
        for (int i = 0; i <= n - 2; ++i) border.emplace_back(i, n - 1);
        for (int j = n - 1; j >= 1; --j) border.emplace_back(n - 1, j);
        for (int i = n - 1; i >= 1; --i) border.emplace_back(i, 0);
    }

    int latticeVertex(int i, int j, float z) {
        return mesh.addVertex(Vec3(gridX(j), gridY(i), z), Vec3(0.0f, 0.0f, 0.0f), Vec3(1.0f, 1.0f, 1.0f));
    }

    // Cap grid at depth z: vertices row by row (g[i * n + j] is vertex (j, i)), then its cells.
    // Returns the cap's border ring.
    std::vector<int> cap(float z, bool frontPattern) {
        std::vector<int> g(static_cast<size_t>(n) * n);
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j) g[i * n + j] = latticeVertex(i, j, z);
        for (int i = 0; i < n - 1; ++i)
            for (int j = 0; j < n - 1; ++j) {
                const int k = i * n + j;
                if (frontPattern) {
                    mesh.addFace(g[k], g[k + n + 1], g[k + 1]);
                    mesh.addFace(g[k], g[k + n], g[k + n + 1]);
                } else {
                    mesh.addFace(g[k], g[k + 1], g[k + n + 1]);
                    mesh.addFace(g[k], g[k + n + 1], g[k + n]);
                }
            }
        std::vector<int> ring;
        ring.reserve(border.size());
        for (const std::pair<int, int>& b : border) ring.push_back(g[b.first * n + b.second]);
        return ring;
    }

    std::vector<int> middleRing(float z) {
        std::vector<int> ring;
        ring.reserve(border.size());
        for (const std::pair<int, int>& b : border) ring.push_back(latticeVertex(b.first, b.second, z));
        return ring;
    }

    // Joins ring r to the later ring q, closing from the last border position back to 0.
    void join(const std::vector<int>& r, const std::vector<int>& q) {
        const size_t count = r.size();
        for (size_t j = 0; j < count; ++j) {
            const size_t k = (j + 1) % count;
            addWoundFace(mesh, s.flipWinding, q[j], r[j], r[k]);
            addWoundFace(mesh, s.flipWinding, q[j], r[k], q[k]);
        }
    }

    void build(int slices) {
        makeBorder();
        const std::vector<int> front = cap(-s.halfZ, !s.flipWinding);
        const std::vector<int> back = cap(s.halfZ, s.flipWinding);
        std::vector<int> previous = front;
        for (int m = 1; m <= slices - 2; ++m) {
            const float z = s.halfZ * 2.0f * (static_cast<float>(m) - static_cast<float>(slices) / 2.0f) /
                            static_cast<float>(slices);
            std::vector<int> ring = middleRing(z);
            join(previous, ring);
            previous.swap(ring);
        }
        join(previous, back);
    }
};

void deformBox(Mesh& mesh, const BoxShape& s) {
    const int count = std::min(mesh.vertexCount, static_cast<int>(mesh.vertices.size()));
    const float ro = s.roundness;
    for (int k = 0; k < count; ++k) {
        Vec3& p = mesh.vertices[k].position;
        const float x = p.x, y = p.y, z = p.z;
        const float len = p.length();
        float r = (std::sin((x * s.bulgeFreq + s.bulgePhase) * kPiF) * s.bulgeAmp + 1.0f +
                   std::cos((z * s.bulge2Freq + s.bulge2Phase) * kPiF) * s.bulge2Amp) *
                  len;
        if (r == 0.0f) r = 1e-7f;

        const float a = (s.twistPhase - y * s.twistRate) * kPiF;
        const float ca = std::cos(a), sa = std::sin(a);
        const float x1 = ca * x + sa * z;
        const float z1 = ca * z - sa * x;

        p.x = (1.0f - ro) * x1 + ro * x1 * s.halfX / r +
              std::cos((y * s.waveXFreq + s.waveXPhase) * kPiF) * s.halfX * s.waveXAmp;
        p.z = (1.0f - ro) * z1 + ro * z1 * s.halfZ / r +
              std::sin((y * s.waveZFreq + s.waveZPhase) * kPiF) * s.halfZ * s.waveZAmp;
        p.y = (1.0f - ro) * y + ro * y * s.halfY / r;
    }
}
}  // namespace

void Mesh::buildBox(int n, int slices, const BoxShape& shape, bool rebuild) {
    changed = true;
    if (rebuild) {
        removeAllFaces();
        // A grid needs two points a side: n = 1 would add two vertices without faces on every
        // rebuild (never freed again), n = 0 would divide by zero.
        if (n >= 2) {
            BoxLattice lattice{*this, n, shape, {}};
            lattice.build(slices);
        }
    }
    deformBox(*this, shape);
}
