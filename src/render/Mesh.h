#pragma once
// Editable triangle mesh with recycled, index-addressed vertex and face slots.
//
// Vertices and faces live in slots that are never released while the mesh exists: a freed
// slot keeps its record and the next add takes it again, oldest freed first. Indices therefore
// stay valid for the mesh's whole life, and a mesh that is rebuilt every frame with the same
// shape reuses exactly the slots it freed, so its arrays do not grow. Each vertex keeps the
// list of live faces that use it; removing a face takes it out of those lists and frees every
// vertex left without faces.
//
// The record is plain: callers (object renderer, scenes) read the slot arrays directly.
// Iterate `faces` / `vertices` and skip entries whose `deleted` flag is set.
//
// No OpenGL in here; drawing a mesh belongs to the scene object that owns it.

#include "render/Shapes.h"
#include "render/VectorMath.h"

#include <deque>
#include <vector>

struct MeshVertex {
    bool deleted = false;            // slot is free
    Vec3 position;                   // object space
    Vec3 normal;                     // computed by computeVertexNormals
    Vec3 colour;                     // RGB
    float alpha = 1.0f;
    Vec3 texCoord;                   // (u, v, 0)
    std::vector<int> faces;          // live faces using this vertex, in attach order
};

struct MeshFace {
    bool deleted = false;            // slot is free
    Vec3 normal;                     // (p1 - p0) x (p2 - p0), not normalised
    int cornerCount = 3;
    int selectedCorners = 0;         // working counter of selectSphere
    int vertex[3] = {0, 0, 0};       // v0, v1, v2 in winding order
};

// Called once per generated vertex by buildBlob, in creation order: it may change colour (the
// running colour, carried on to the following vertices); position is the vertex position,
// weight the shape value q of the vertex (squared length before the bends), argument the
// caller's value.
typedef void (*MeshColourCallback)(Vec3& colour, const Vec3& position, float weight, float argument);

// Falloff curve of displaceVertices: maps 1 - weight (1 at the centre, 0 on the rim).
typedef float (*MeshDisplaceCurve)(float x);

class Mesh {
public:
    std::vector<MeshFace> faces;       // all face slots, live and free
    std::vector<MeshVertex> vertices;  // all vertex slots, live and free
    int faceCount = 0;                 // live faces
    int vertexCount = 0;               // live vertices
    bool changed = true;               // normals must be recomputed before the next draw
    std::deque<int> faceOrder;         // live faces, oldest first
    std::deque<int> freeFaces;         // free face slots, reused first-in first-out
    std::deque<int> freeVertices;      // free vertex slots, reused first-in first-out

    Mesh();  // empty, `changed` set, room for 100 faces and 100 vertices

    // --- Slots -----------------------------------------------------------------------------

    // New live vertex. Reuses the oldest free slot when there is one: its position, colour
    // and texCoord are overwritten; its normal and alpha stay as they were.
    int addVertex(const Vec3& position, const Vec3& texCoord, const Vec3& colour);

    // New live face on three live vertices (reusing the oldest free face slot when there is
    // one); attached to the face lists of v0, v1, v2 and appended to faceOrder. Returns -1 and
    // changes nothing when a vertex index is out of range or names a free slot.
    int addFace(int v0, int v1, int v2);

    void removeOldestFace();           // first of faceOrder; nothing when empty
    void removeNewestFace();           // last of faceOrder; nothing when empty
    void removeFace(int index);        // nothing unless index is a live face
    void removeAllFaces();             // oldest first until no face is left; frees every
                                       // vertex that had a face

    // --- Normals ---------------------------------------------------------------------------
    // The list forms take face or vertex indices (as selectSphere produces them); free or
    // out-of-range entries are skipped.

    void computeFaceNormals();
    void computeFaceNormals(const std::vector<int>& faceList);
    // normal = sum of the normals of the vertex's faces; brought to length 1 if normalize.
    void computeVertexNormals(bool normalize);
    void computeVertexNormals(bool normalize, const std::vector<int>& vertexList);
    void normalizeVertexNormals();
    void normalizeVertexNormals(const std::vector<int>& vertexList);

    // --- Editing ---------------------------------------------------------------------------

    // Appends to the three lists (they are not cleared): every live vertex within radius of
    // centre (distance <= radius), in index order, with weight distance / radius (0 at the
    // centre, 1 on the rim); then every live face whose three corners were all selected.
    void selectSphere(std::vector<int>& outFaces, std::vector<int>& outVertices,
                      std::vector<float>& outWeights, const Vec3& centre, float radius);

    // direction *= amount (the caller's vector is changed) and sets `changed`. Unweighted:
    // every listed vertex moves by direction. Weighted: vertexList and weightList are walked
    // together; a vertex with weight w moves by direction * (1 - w), or by
    // direction * curve(1 - w) when a curve is given.
    void displaceVertices(const std::vector<int>& vertexList, float amount, Vec3& direction,
                          bool weighted, const std::vector<float>& weightList,
                          MeshDisplaceCurve curve = nullptr);

    // --- Shape builders (Shapes.cpp) -------------------------------------------------------

    // Replaces the mesh by a deformed sphere of `segments` around and `rings` from pole to
    // pole: segments * (rings - 1) + 2 vertices and 2 * segments * (rings - 1) faces for
    // rings >= 2. Texture coordinates from the unit direction (texFromDirection) or from the
    // position. Vertex colours start white; a colour callback may change them.
    void buildBlob(float radius, int segments, int rings, const BlobShape& shape,
                   bool texFromDirection, MeshColourCallback colourCallback = nullptr,
                   float callbackArgument = 0.0f);

    // With rebuild: replaces the mesh by an n x n x slices box lattice (front cap grid, middle
    // rings of the grid border, back cap grid). Then, rebuilt or not, applies the box
    // deformation (bulge, twist, waves, roundness) to the positions of the first vertexCount
    // vertex slots.
    void buildBox(int n, int slices, const BoxShape& shape, bool rebuild);

private:
    void detachFace(int index);        // frees the face and its orphaned vertices
    bool isLiveVertex(int index) const;
    bool isLiveFace(int index) const;
};
