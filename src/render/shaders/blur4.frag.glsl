#version 120
// One pass of the blur: the four offsets of the source in one draw. Replaces the four
// blended quads of each blur pass. Each offset's texel gets the added colour (the texture
// environment's GL_ADD), is weighted by its alpha times the tap alpha and summed as blending
// sums it: every product and every partial sum rounded to 8 bits, so that the picture stays
// within a rounding step of the blended one. The last pass of several adds onto the previous
// pass's picture, which is its source too, read at its own texel (addPrevious = 1).
uniform sampler2D source;
uniform vec2 offsets[4];
uniform vec3 addedColour;
uniform float tapAlpha;
uniform float addPrevious;
varying vec2 texCoord;

vec4 to8(vec4 v) { return floor(clamp(v, 0.0, 1.0) * 255.0 + 0.5) / 255.0; }

void main() {
    vec4 sum = addPrevious * texture2D(source, texCoord);
    for (int k = 0; k < 4; ++k) {
        vec4 texel = texture2D(source, texCoord + offsets[k]);
        vec4 fragment = to8(vec4(texel.rgb + addedColour, texel.a * tapAlpha));
        sum = to8(sum + vec4(to8(vec4(fragment.rgb * fragment.a, 0.0)).rgb, fragment.a));
    }
    gl_FragColor = sum;
}
