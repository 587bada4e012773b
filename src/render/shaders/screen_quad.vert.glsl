#version 120
// Every full-screen pass of the fused path: the quad in the current matrices, unit 0's
// coordinates and the colour handed on. Replaces the fixed-function transform of the
// full-screen quads (the blurs and the upscale of a single layer).
varying vec2 texCoord;

void main() {
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    texCoord = gl_MultiTexCoord0.xy;
    gl_FrontColor = gl_Color;
}
