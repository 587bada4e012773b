#version 120
// A slot's texel as it is. Replaces drawGrab's GL_REPLACE draw of a slot (the upscale of the
// finished frame to the window among them).
uniform sampler2D picture;
varying vec2 texCoord;

void main() {
    gl_FragColor = texture2D(picture, texCoord);
}
