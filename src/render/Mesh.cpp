#include "render/Mesh.h"

#include <algorithm>

namespace {
const int kReservedSlots = 100;

// Takes the first occurrence of value out of list; false when it was not there.
bool eraseFirst(std::vector<int>& list, int value) {
    std::vector<int>::iterator it = std::find(list.begin(), list.end(), value);
    if (it == list.end()) return false;
    list.erase(it);
    return true;
}
}  // namespace

Mesh::Mesh() {
    faces.reserve(kReservedSlots);
    vertices.reserve(kReservedSlots);
}

bool Mesh::isLiveVertex(int index) const {
    return index >= 0 && index < static_cast<int>(vertices.size()) && !vertices[index].deleted;
}

bool Mesh::isLiveFace(int index) const {
    return index >= 0 && index < static_cast<int>(faces.size()) && !faces[index].deleted;
}

int Mesh::addVertex(const Vec3& position, const Vec3& texCoord, const Vec3& colour) {
    ++vertexCount;
    if (freeVertices.empty()) {
        MeshVertex v;
        v.position = position;
        v.colour = colour;
        v.texCoord = texCoord;
        vertices.push_back(v);
        return static_cast<int>(vertices.size()) - 1;
    }
    int index = freeVertices.front();
    freeVertices.pop_front();
    MeshVertex& v = vertices[index];
    v.deleted = false;
    v.position = position;
    v.colour = colour;
    v.texCoord = texCoord;
    return index;
}

int Mesh::addFace(int v0, int v1, int v2) {
    // A face on a free slot would make that slot look used (and be freed a second time when
    // the face goes), so such faces are refused along with out-of-range indices.
    if (!isLiveVertex(v0) || !isLiveVertex(v1) || !isLiveVertex(v2)) return -1;

    ++faceCount;
    int index;
    if (freeFaces.empty()) {
        faces.push_back(MeshFace());
        index = static_cast<int>(faces.size()) - 1;
    } else {
        index = freeFaces.front();
        freeFaces.pop_front();
    }
    MeshFace& f = faces[index];
    f.deleted = false;
    f.vertex[0] = v0;
    f.vertex[1] = v1;
    f.vertex[2] = v2;

    vertices[v0].faces.push_back(index);
    vertices[v1].faces.push_back(index);
    vertices[v2].faces.push_back(index);
    faceOrder.push_back(index);
    return index;
}

void Mesh::detachFace(int index) {
    MeshFace& f = faces[index];
    if (faceCount > 0) --faceCount;
    for (int c = 0; c < 3; ++c) {
        MeshVertex& v = vertices[f.vertex[c]];
        // Only the removal that empties the list frees the vertex: a face using one vertex
        // twice takes out one entry per corner and frees it once.
        if (eraseFirst(v.faces, index) && v.faces.empty()) {
            v.deleted = true;
            if (vertexCount > 0) --vertexCount;
            freeVertices.push_back(f.vertex[c]);
        }
    }
    f.deleted = true;
    freeFaces.push_back(index);
}

void Mesh::removeOldestFace() {
    if (faceOrder.empty()) return;
    int index = faceOrder.front();
    faceOrder.pop_front();
    if (isLiveFace(index)) detachFace(index);
}

void Mesh::removeNewestFace() {
    if (faceOrder.empty()) return;
    int index = faceOrder.back();
    faceOrder.pop_back();
    if (isLiveFace(index)) detachFace(index);
}

void Mesh::removeFace(int index) {
    if (!isLiveFace(index)) return;
    std::deque<int>::iterator it = std::find(faceOrder.begin(), faceOrder.end(), index);
    if (it != faceOrder.end()) faceOrder.erase(it);
    detachFace(index);
}

void Mesh::removeAllFaces() {
    // faceOrder holds exactly the live faces, so it empties as faceCount reaches 0.
    while (faceCount > 0 && !faceOrder.empty()) removeOldestFace();
}

// --- Normals -------------------------------------------------------------------------------

void Mesh::computeFaceNormals() {
    for (MeshFace& f : faces) {
        if (f.deleted) continue;
        const Vec3& p0 = vertices[f.vertex[0]].position;
        f.normal = cross(vertices[f.vertex[1]].position - p0, vertices[f.vertex[2]].position - p0);
    }
}

void Mesh::computeFaceNormals(const std::vector<int>& faceList) {
    for (int index : faceList) {
        if (!isLiveFace(index)) continue;
        MeshFace& f = faces[index];
        const Vec3& p0 = vertices[f.vertex[0]].position;
        f.normal = cross(vertices[f.vertex[1]].position - p0, vertices[f.vertex[2]].position - p0);
    }
}

namespace {
void sumFaceNormals(MeshVertex& v, const std::vector<MeshFace>& faces, bool normalize) {
    Vec3 sum;
    for (int f : v.faces) sum += faces[f].normal;
    v.normal = sum;
    if (normalize) v.normal.setLength(1.0f);
}
}  // namespace

void Mesh::computeVertexNormals(bool normalize) {
    for (MeshVertex& v : vertices)
        if (!v.deleted) sumFaceNormals(v, faces, normalize);
}

void Mesh::computeVertexNormals(bool normalize, const std::vector<int>& vertexList) {
    for (int index : vertexList)
        if (isLiveVertex(index)) sumFaceNormals(vertices[index], faces, normalize);
}

void Mesh::normalizeVertexNormals() {
    for (MeshVertex& v : vertices)
        if (!v.deleted) v.normal.setLength(1.0f);
}

void Mesh::normalizeVertexNormals(const std::vector<int>& vertexList) {
    for (int index : vertexList)
        if (isLiveVertex(index)) vertices[index].normal.setLength(1.0f);
}

// --- Editing -------------------------------------------------------------------------------

void Mesh::selectSphere(std::vector<int>& outFaces, std::vector<int>& outVertices,
                        std::vector<float>& outWeights, const Vec3& centre, float radius) {
    for (MeshFace& f : faces)
        if (!f.deleted) f.selectedCorners = 0;

    const int slotCount = static_cast<int>(vertices.size());
    for (int i = 0; i < slotCount; ++i) {
        MeshVertex& v = vertices[i];
        if (v.deleted) continue;
        float d = (v.position - centre).length();
        if (d > radius) continue;
        outVertices.push_back(i);
        // A zero radius can only catch vertices exactly at the centre: weight 0, not 0 / 0.
        outWeights.push_back(radius > 0.0f ? d / radius : 0.0f);
        for (int f : v.faces) ++faces[f].selectedCorners;
    }

    const int faceSlots = static_cast<int>(faces.size());
    for (int i = 0; i < faceSlots; ++i)
        if (!faces[i].deleted && faces[i].selectedCorners == faces[i].cornerCount) outFaces.push_back(i);
}

void Mesh::displaceVertices(const std::vector<int>& vertexList, float amount, Vec3& direction,
                            bool weighted, const std::vector<float>& weightList,
                            MeshDisplaceCurve curve) {
    direction *= amount;
    changed = true;
    const int slotCount = static_cast<int>(vertices.size());
    if (!weighted) {
        for (int index : vertexList)
            if (index >= 0 && index < slotCount) vertices[index].position += direction;
        return;
    }
    // The lists are walked together; a vertex without a weight is left alone.
    const size_t n = std::min(vertexList.size(), weightList.size());
    for (size_t k = 0; k < n; ++k) {
        int index = vertexList[k];
        if (index < 0 || index >= slotCount) continue;
        float x = 1.0f - weightList[k];
        vertices[index].position += direction * (curve ? curve(x) : x);
    }
}
