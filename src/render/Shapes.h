#pragma once
// Parameter records of the two shape builders (Mesh::buildBlob, Mesh::buildBox) and the
// spherical texture mapping they and the object renderer share.
//
// Blob and box parameters share one record: twenty floats followed by the winding flag. A
// scene keeps one block and hands it to either builder; the blob names and the box names are
// two views of the same twenty floats (shape.scaleX is shape.halfX, shape.bandAmp is
// shape.bulgeAmp, and so on). buildBlob reads floats 0 ... 14 and the flag, buildBox reads
// 0 ... 15, 18, 19 and the flag. A default-constructed block is all zero with the flag off.

#include "render/VectorMath.h"

#include <cstddef>

struct ShapeBlock {
    union {
        float values[20];

        // Blob view (Mesh::buildBlob).
        struct {
            float scaleX, scaleY, scaleZ;           // final per-axis scale
            float bandAmp, bandFreq, bandPhase;     // band wave
            float ringAmp, ringFreq, ringPhase;     // wave around the vertical axis
            float bendXAmp, bendXFreq, bendXPhase;  // sideways offset in x along the height
            float bendZAmp, bendZFreq, bendZPhase;  // sideways offset in z along the height
            float blobUnused15, blobUnused16, blobUnused17, blobUnused18, blobUnused19;
        };

        // Box view (Mesh::buildBox).
        struct {
            float halfX, halfY, halfZ;                 // half extents
            float bulgeAmp, bulgeFreq, bulgePhase;     // radial bulge along x
            float bulge2Amp, bulge2Freq, bulge2Phase;  // radial bulge along z
            float waveXAmp, waveXFreq, waveXPhase;     // x offset along the height
            float waveZAmp, waveZFreq, waveZPhase;     // z offset along the height
            float roundness;                           // 0 box ... 1 bulged ellipsoid
            float boxUnused16, boxUnused17;
            float twistRate, twistPhase;               // twist about the vertical axis
        };
    };
    bool flipWinding;  // build faces with the opposite winding

    ShapeBlock() : values{}, flipWinding(false) {}
};

static_assert(offsetof(ShapeBlock, bendZPhase) == 14 * sizeof(float), "blob view: floats 0 ... 14");
static_assert(offsetof(ShapeBlock, roundness) == 15 * sizeof(float), "box view: roundness is float 15");
static_assert(offsetof(ShapeBlock, twistRate) == 18 * sizeof(float), "box view: twist is floats 18, 19");
static_assert(offsetof(ShapeBlock, flipWinding) == 20 * sizeof(float), "the flag follows the floats");

// The two builders take the same block under these names.
using BlobShape = ShapeBlock;
using BoxShape = ShapeBlock;

// Spherical texture coordinates of point p for a sphere of radius r: v follows the height
// ((p.y / r + 1) / 2), u the angle about the vertical axis, pinched towards 0.5 near the axis.
// Returns (u * scaleU, v * scaleV, 0). r must not be 0.
Vec3 sphereTexCoords(const Vec3& p, float r, float scaleU, float scaleV);
