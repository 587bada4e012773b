#version 120
// A frame whose only layer is one slot, stretched to the window in one draw. Replaces the
// layers pass (the slot over transparent black: each colour times its alpha, stored in the
// finished frame's slot) and the upscale's stretch of that slot. Each of the four texels a
// pixel filters is premultiplied and rounded as the layers pass stored it, then weighted as
// linear filtering with GL_CLAMP weights it: transparent black beyond the edge.
uniform sampler2D picture;
uniform vec2 size;  // in texels
// Where the texture keeps picture row v (0 to 1): at rowAt.x + rowAt.y * v (upside down in a
// texture drawn like the window).
uniform vec2 rowAt;
varying vec2 texCoord;

vec4 stored(vec2 index) {
    if (index.x < 0.0 || index.y < 0.0 || index.x > size.x - 1.0 || index.y > size.y - 1.0)
        return vec4(0.0);
    vec2 at = (index + 0.5) / size;
    vec4 texel = texture2D(picture, vec2(at.x, rowAt.x + rowAt.y * at.y));
    return floor(vec4(texel.rgb * texel.a, texel.a) * 255.0 + 0.5) / 255.0;
}

void main() {
    vec2 position = clamp(texCoord, 0.0, 1.0) * size - 0.5;
    vec2 index = floor(position);
    vec2 f = position - index;
    vec4 bottom = mix(stored(index), stored(index + vec2(1.0, 0.0)), f.x);
    vec4 top = mix(stored(index + vec2(0.0, 1.0)), stored(index + vec2(1.0, 1.0)), f.x);
    gl_FragColor = mix(bottom, top, f.y);
}
