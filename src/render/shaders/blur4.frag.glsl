#version 120
// One pass of the blur: the four offsets of the source in one draw. Replaces the four
// blended quads of each blur pass (and, for the shadow masks, the one draw that summed the
// four offsets through texture combiners). Each offset's texel gets the added colour (the
// texture environment's GL_ADD) and is weighted by its alpha times the tap alpha. Blended
// passes round every product and every partial sum to 8 bits, and so does this sum, to stay
// within a rounding step of them; with sumOnce = 1 it is rounded once, as the combiners did.
// The last pass of several adds onto the previous pass's picture, which is its source too,
// read at its own texel (addPrevious = 1).
uniform sampler2D source;
uniform vec2 offsets[4];
uniform vec3 addedColour;
uniform float tapAlpha;
uniform float addPrevious;
uniform float sumOnce;
// Where the source keeps picture row v: at rowAt.x + rowAt.y * v (upside down in a texture
// drawn like the window, whose rows go on past the picture's top). Past the top the picture
// is read at its edge, as a texture of its own height clamps it.
uniform vec2 rowAt;
varying vec2 texCoord;

vec2 at(vec2 p) { return vec2(p.x, rowAt.x + rowAt.y * min(p.y, 1.0)); }

vec4 to8(vec4 v) { return floor(clamp(v, 0.0, 1.0) * 255.0 + 0.5) / 255.0; }

void main() {
    vec4 previous = addPrevious * texture2D(source, at(texCoord));
    vec4 sum = vec4(0.0);
    for (int k = 0; k < 4; ++k) {
        vec4 texel = texture2D(source, at(texCoord + offsets[k]));
        if (sumOnce > 0.5) {
            float weight = texel.a * tapAlpha;
            sum = clamp(sum + vec4(texel.rgb * weight, weight), 0.0, 1.0);
        } else {
            vec4 fragment = to8(vec4(texel.rgb + addedColour, texel.a * tapAlpha));
            sum = to8(sum + vec4(to8(vec4(fragment.rgb * fragment.a, 0.0)).rgb, fragment.a));
        }
    }
    gl_FragColor = to8(previous + to8(sum));
}
