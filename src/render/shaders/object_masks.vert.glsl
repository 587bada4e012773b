#version 120
// The vertex stage of the shadow masks: where each lamp's shadow map is read for the vertex,
// from the eye planes the renderer loads on units 5 and 6 as the classic coordinate generation
// does. Replaces the black passes of one mask per lamp (the surfaces are not lit there).
varying vec4 lampCoord[2];

vec4 projected(int unit, vec4 eye) {
    return vec4(dot(eye, gl_EyePlaneS[unit]), dot(eye, gl_EyePlaneT[unit]),
                dot(eye, gl_EyePlaneR[unit]), dot(eye, gl_EyePlaneQ[unit]));
}

void main() {
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    lampCoord[0] = projected(5, eye);
    lampCoord[1] = projected(6, eye);
    gl_Position = ftransform();
}
