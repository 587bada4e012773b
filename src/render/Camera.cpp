#include "render/Camera.h"

#include <GL/glew.h>
#include <GL/glu.h>

#include <cmath>

Camera::Camera(const std::string& cameraName, float fovValue, float aspectValue,
               float nearValue, float farValue, float viewW, float viewH, float smallW,
               float smallH)
    : name(cameraName),
      viewWidth(viewW),
      viewHeight(viewH),
      smallWidth(smallW),
      smallHeight(smallH) {
    setFov(fovValue);
    setAspect(aspectValue);
    setClipPlanes(nearValue, farValue);
}

void Camera::setFov(float value) { fov = (value > 0.0f && value < 180.0f) ? value : 45.0f; }

void Camera::setAspect(float value) { aspect = value >= 0.0f ? value : 1.0f; }

void Camera::setClipPlanes(float nearValue, float farValue) {
    bool ordered = nearValue <= farValue;
    nearPlane = (nearValue >= 0.0f && ordered) ? nearValue : 0.1f;
    farPlane = (farValue >= 0.0f && ordered) ? farValue : 100.0f;
}

void Camera::pushView() {
    Vec3 target = position + direction;
    // Only the part of up across the view axis is handed on. A zero direction has no axis to
    // remove; up is then used as it is instead of dividing by zero.
    Vec3 correctedUp = up;
    if (direction.lengthSquared() > 0.0f) correctedUp = up - up.projectedOnto(direction);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPerspective(fov, aspect, nearPlane, farPlane);

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(position.x, position.y, position.z, target.x, target.y, target.z, correctedUp.x,
              correctedUp.y, correctedUp.z);
    glRotatef(roll, 0.0f, 0.0f, 1.0f);
}

void Camera::apply() {
    pushView();
    glGetFloatv(GL_PROJECTION_MATRIX, projectionMatrix);
    glGetFloatv(GL_MODELVIEW_MATRIX, modelviewMatrix);
    glViewport(0, 0, static_cast<GLsizei>(viewWidth), static_cast<GLsizei>(viewHeight));
}

void Camera::applySmall() {
    pushView();
    glViewport(0, 0, static_cast<GLsizei>(smallWidth), static_cast<GLsizei>(smallHeight));
}

void Camera::restore() {
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// ---------------------------------------------------------------------------------------------

void CameraPath::addPoint(const Vec3& p) {
    points.push_back(p);
    tangents.push_back(Vec3());
    ++count;
}

void CameraPath::evaluate(float t, Vec3& out) {
    if (count <= 0) {
        out = Vec3();
        return;
    }
    // Only the fractional part matters. A parameter that is not finite has none and starts the
    // path; a negative one counts back from the end.
    float f = std::isfinite(t) ? t - std::trunc(t) : 0.0f;
    if (f < 0.0f) f += 1.0f;

    float s;
    int i, j;
    if (closed) {
        s = f * count;
        i = static_cast<int>(std::trunc(s));
        if (i >= count) i = 0;
        j = i + 1;
        if (j >= count) j = 0;
    } else {
        s = f * (count - 1);
        i = static_cast<int>(std::trunc(s));
        if (i >= count) i = count - 1;
        j = i + 1;
        if (j >= count) j = count - 1;
    }
    float u = s - std::trunc(s);

    segmentStart = points[i];
    segmentControlA = segmentStart + tangents[i];
    segmentEnd = points[j];
    segmentControlB = segmentEnd - tangents[j];

    float v = 1.0f - u;
    float w0 = v * v * v;
    float w1 = 3.0f * u * v * v;
    float w2 = 3.0f * u * u * v;
    float w3 = u * u * u;
    for (int k = 0; k < 3; ++k)
        out[k] = w3 * segmentEnd[k] + w2 * segmentControlB[k] + w1 * segmentControlA[k] +
                 w0 * segmentStart[k];
}

void CameraPath::computeTangents(bool normalize, float scale) {
    normalizeTangents = normalize;
    tangentScale = scale;
    position = 0.0f;
    length = 0.0f;
    if (count < 2) {
        // A single point has no neighbours to take a tangent from.
        for (Vec3& t : tangents) t = Vec3();
        return;
    }

    const int last = count - 1;
    if (closed) {
        tangents[0] = points[1] - points[last];
        tangents[last] = points[0] - points[last - 1];
    } else {
        tangents[0] = points[1] - points[0];
        tangents[last] = points[last] - points[last - 1];
    }
    for (int i = 1; i < last; ++i) tangents[i] = points[i + 1] - points[i - 1];
    if (normalize)
        for (Vec3& t : tangents) t = t.normalized() * scale;

    // Arc length by chords short enough to follow the curve. The piece that ends at t = 1 is
    // left out: t = 1 evaluates to the first point.
    const float baseStep = 1.0f / std::trunc(count * 100.0f);
    float t = 0.0f;
    Vec3 previous;
    evaluate(0.0f, previous);
    while (t < 1.0f) {
        float step = baseStep;
        float next;
        float distanceSquared;
        Vec3 p;
        for (;;) {
            next = t + step;
            if (next > 1.0f) next = 1.0f;
            evaluate(next, p);
            distanceSquared = (p - previous).lengthSquared();
            if (distanceSquared <= 0.001f || next >= 1.0f) break;
            // Halving further would no longer move the parameter at float precision.
            if (t + step * 0.5f <= t) break;
            step *= 0.5f;
        }
        t = next;
        previous = p;
        if (next != 1.0f) length += std::sqrt(distanceSquared);
    }
}

float CameraPath::peek(float dt) const {
    // A path without measured length (never measured, or all points in one place) has nowhere
    // to move along.
    if (!(length > 0.0f)) return position;
    float p = position + dt / length;
    if (!looping && p > 1.0f) p = 1.0f;
    return p;
}

void CameraPath::advance(float dt, Vec3& out) {
    position = peek(dt);
    evaluate(position, out);
}

void CameraPath::resampleCount(int& n) {
    if (n != 0 || count < 2) return;
    float smallest = -1.0f;
    Vec3 previous;
    evaluate(0.0f, previous);
    for (int i = 1; i < count; ++i) {
        Vec3 p;
        evaluate(static_cast<float>(i) / (count - 1), p);
        float d = (p - previous).length();
        if (smallest < 0.0f || d < smallest) smallest = d;
        previous = p;
    }
    float root = static_cast<float>(std::pow(count * 256.0, 0.33333334));
    float estimate = smallest > 0.0f ? root * length / smallest : 0.0f;
    // Two coinciding samples give no spacing to scale by; fall back to one sample per point.
    n = std::isfinite(estimate) && estimate < 1e8f ? static_cast<int>(std::trunc(estimate)) : 0;
    n = n - (n % count) + count;
}

void CameraPath::resample(CameraPath& target, int n) {
    resampleCount(n);
    if (n <= 0) return;
    const float spacing = length / n;
    const float lower = spacing - 0.1f;
    const float upper = spacing + 0.1f;
    // The step search converges for any smooth path; the cap only guards against a step that
    // keeps jumping over a narrow band.
    const int maxTries = 10000;

    float current = 0.0f;
    Vec3 currentPoint;
    evaluate(0.0f, currentPoint);
    while (current < 1.0f) {
        Vec3 previous = currentPoint;
        float step = 1.0f / n;
        float p = current + step;
        Vec3 candidate;
        for (int tries = 0;; ++tries) {
            p = current + step;
            evaluate(p, candidate);
            float d = (candidate - previous).length();
            if (p >= 1.0f || tries >= maxTries) break;
            if (d > upper)
                step *= 0.95f;
            else if (d < lower)
                step *= 1.05f;
            else
                break;
        }
        if (p <= current) {
            p = current + 1.0f / n;
            evaluate(p, candidate);
        }
        current = p;
        currentPoint = candidate;
        target.addPoint(candidate);
    }
    target.computeTangents(normalizeTangents, count * tangentScale / n);
}
