#pragma once
#include <string>
#include <vector>

#include "render/VectorMath.h"

// A named perspective view. Scenes write position, direction, up and roll directly each frame
// and bracket their drawing with apply (or applySmall) and restore.
class Camera {
public:
    Camera(const std::string& name, float fov, float aspect, float nearPlane, float farPlane,
           float viewWidth, float viewHeight, float smallWidth, float smallHeight);

    // Pushes both matrix stacks, sets the full-size view and viewport and keeps copies of
    // the two matrices in projectionMatrix and modelviewMatrix.
    void apply();
    // The same view at the small viewport; the stored matrices are left as they were.
    void applySmall();
    // Pops what apply or applySmall pushed; the modelview stack is selected afterwards.
    void restore();

    void lookAt(const Vec3& point) { direction = point - position; }
    void setFov(float value);
    void setAspect(float value);
    void setClipPlanes(float nearValue, float farValue);

    std::string name;
    Vec3 position;
    Vec3 direction{0.0f, 0.0f, 1.0f};  // eye to look-at point, any length
    Vec3 up{0.0f, 1.0f, 0.0f};          // hint; the part along direction is removed
    float roll = 0.0f;                  // degrees about the view axis
    float fov = 45.0f;                  // vertical, degrees
    float aspect = 1.0f;
    float nearPlane = 0.1f;
    float farPlane = 100.0f;
    float viewWidth, viewHeight;
    float smallWidth, smallHeight;
    float projectionMatrix[16] = {0};
    float modelviewMatrix[16] = {0};

private:
    void pushView();
};

// A closed or open cubic curve through a list of points, with arc-length bookkeeping and even
// resampling.
class CameraPath {
public:
    // closedLoop sets both closed and looping.
    explicit CameraPath(bool closedLoop = false) : closed(closedLoop), looping(closedLoop) {}

    void addPoint(float x, float y, float z) { addPoint(Vec3(x, y, z)); }
    void addPoint(const Vec3& p);
    // Tangents from the neighbouring points, optionally unit length times scale, and the arc
    // length; the parameter goes back to 0.
    void computeTangents(bool normalize, float scale);
    void evaluate(float t, Vec3& out);
    // Moves the parameter by dt along the arc length (stopping at 1 unless looping) and
    // writes the point there.
    void advance(float dt, Vec3& out);
    // The parameter advance would reach, without moving.
    float peek(float dt) const;
    // Replaces a zero n by a sample count for even resampling (a multiple of count).
    void resampleCount(int& n);
    // Appends to target points spaced evenly along this path.
    void resample(CameraPath& target, int n);

    std::vector<Vec3> points;
    std::vector<Vec3> tangents;
    bool closed = false;
    int count = 0;
    // Control points of the segment evaluated last.
    Vec3 segmentStart, segmentControlA, segmentControlB, segmentEnd;
    float position = 0.0f;
    float length = 0.0f;
    float tangentScale = 0.0f;
    bool normalizeTangents = false;
    bool looping = false;
};
