#version 120
// The vertex stage of the shadow masks: where each lamp's shadow map is read for the vertex.
// Replaces the black passes of one mask per lamp (the surfaces themselves are not lit there).
uniform mat4 lampProjection[2];      // object space to each lamp's shadow-map coordinates
varying vec4 lampCoord[2];

void main() {
    lampCoord[0] = lampProjection[0] * gl_Vertex;
    lampCoord[1] = lampProjection[1] * gl_Vertex;
    gl_Position = ftransform();
}
