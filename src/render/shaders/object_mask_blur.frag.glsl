#version 120
// One pass of the softening of both lamps' shadow masks at once. Replaces the five-pass blur
// of each lamp's mask, pass for pass: the four offsets of the source, each weighted by its own
// lamp's alpha times the tap alpha, summed and rounded once, as the classic mask's blur sums
// them. Channels: red lamp 0's mask and green its alpha, blue lamp 1's mask and alpha its
// alpha, so that each lamp keeps the weights its own mask would have. The last pass of several
// adds onto the previous pass's picture, which is its source too, read at its own texel.
uniform sampler2D source;
uniform vec2 offsets[4];
uniform float tapAlpha;
uniform float addPrevious;
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
        vec2 weight = vec2(texel.g, texel.a) * tapAlpha;
        sum = clamp(sum + vec4(texel.r * weight.x, weight.x, texel.b * weight.y, weight.y),
                    0.0, 1.0);
    }
    gl_FragColor = to8(previous + to8(sum));
}
