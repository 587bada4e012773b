#version 120
// The fragment stage of the lit object passes, built by the renderer for each kind of surface
// it draws, with these definitions: LAMPS (0, 1 or 2); BASE_MODE, PROJECTED_MODE and
// REFLECTED_MODE, the texture environment of each of the surface's units (0 off, 1 modulate,
// 2 add, 4 blend); LAMP_BASE_APART (0 or 1, see lampBaseTexture); and HALO_SOURCE where it
// draws the halo's source. What a surface does not use costs nothing.
//
// Without HALO_SOURCE: the composited picture. Replaces the ambient pass, the lit pass of every
// lamp, the copies of both and the composition: the ambient picture over the lit one, the lit
// picture added through each lamp's softened shadow mask (read at the fragment's place on the
// screen) and the halo added on top. Each picture is rounded to 8 bits where the passes it
// replaces kept it in a texture.
//
// With HALO_SOURCE: the halo's source picture, drawn directly. Replaces its ambient pass and its
// lit pass per lamp, each lamp held back by the depth comparison of its shadow map.
//
// Texture units: 0 the surface's base texture, 1 its second texture projected from the lamp,
// 2 its reflected cube map; 3 the masks (red: lamp 0, blue: lamp 1) and 4 the halo, or 5 and 6
// the two lamps' shadow maps; 7 the base texture as the lamps read it, where that differs.
uniform sampler2D baseTexture;
// Where the second unit's texture is the base texture itself, the lamps' passes read it with
// the second unit's clear border (wrapping is the texture's, and their last set-up wins) while
// the ambient pass reads it repeated: the lamps then read it on unit 7.
uniform sampler2D lampBaseTexture;
uniform sampler2D projectedTexture;
uniform samplerCube reflectedCube;
#ifdef HALO_SOURCE
uniform sampler2DShadow shadowMap0;
uniform sampler2DShadow shadowMap1;
#else
uniform sampler2D masks;
uniform sampler2D halo;
// Window position to mask and halo coordinates: at + position x scale (their rows may be kept
// upside down, as the window keeps them).
uniform vec2 maskAt;
uniform vec2 maskScale;
uniform vec2 haloAt;
uniform vec2 haloScale;
uniform float haloOn;
#endif

varying vec4 ambientColour;
varying vec4 lampColour[2];
varying vec4 lampCoord[2];
varying vec3 reflection[2];
varying vec2 baseCoord;

vec4 to8(vec4 v) { return floor(clamp(v, 0.0, 1.0) * 255.0 + 0.5) / 255.0; }

// What blending makes of a fragment weighted by its own alpha, in 8 bits a channel: the
// fragment and its alpha rounded, then their product.
vec4 byOwnAlpha(vec4 fragment) {
    vec4 f = to8(fragment);
    return to8(f * f.a);
}

// One texture unit of the fixed-function stage: the fragment so far and this unit's texel.
vec4 unit(vec4 previous, vec4 texel, int mode, vec4 envColour) {
    if (mode == 1) return previous * texel;
    if (mode == 2) return clamp(vec4(previous.rgb + texel.rgb, previous.a * texel.a), 0.0, 1.0);
    if (mode == 4)
        return vec4(mix(previous.rgb, envColour.rgb, texel.rgb), previous.a * texel.a);
    return previous;
}

// Lamp i's fragment after the three surface units, held back by the shadow term.
vec4 lampFragment(int i, vec4 base, float shadow) {
    vec4 c = unit(lampColour[i], base, BASE_MODE, gl_TextureEnvColor[0]) * shadow;
#if PROJECTED_MODE != 0
    c = unit(c, texture2DProj(projectedTexture, lampCoord[i]), PROJECTED_MODE,
             gl_TextureEnvColor[1]);
#endif
#if REFLECTED_MODE != 0
    c = unit(c, textureCube(reflectedCube, reflection[i]), REFLECTED_MODE,
             gl_TextureEnvColor[2]);
#endif
    return c;
}

void main() {
#if BASE_MODE != 0
    vec4 ambientBase = texture2D(baseTexture, baseCoord);
#else
    vec4 ambientBase = vec4(1.0);
#endif
#if LAMP_BASE_APART
    vec4 base = texture2D(lampBaseTexture, baseCoord);
#else
    vec4 base = ambientBase;
#endif
    vec4 ambient = unit(ambientColour, ambientBase, BASE_MODE, gl_TextureEnvColor[0]);
    // Blended by its alpha over transparent black.
    vec4 ambientOver = byOwnAlpha(ambient);
#ifdef HALO_SOURCE
    // Each lamp added by its alpha, its shadow map's comparison on the colour and alpha alike,
    // rounded as blending into the frame rounds each step.
    vec4 sum = ambientOver;
#if LAMPS > 0
    sum = to8(sum + byOwnAlpha(lampFragment(0, base, shadow2DProj(shadowMap0, lampCoord[0]).r)));
#endif
#if LAMPS > 1
    sum = to8(sum + byOwnAlpha(lampFragment(1, base, shadow2DProj(shadowMap1, lampCoord[1]).r)));
#endif
    gl_FragColor = sum;
#else
    // The lit picture: the first lamp as it is, the second added by its alpha.
    vec4 litPicture = vec4(0.0);
#if LAMPS > 0
    litPicture = to8(lampFragment(0, base, 1.0));
#endif
#if LAMPS > 1
    litPicture = to8(litPicture + byOwnAlpha(lampFragment(1, base, 1.0)));
#endif
    vec4 a = ambientOver;
    vec4 sum = vec4(a.rgb * a.a + litPicture.rgb * (1.0 - a.a),
                    a.a + litPicture.a * (1.0 - a.a));
#if LAMPS > 0
    vec4 mask = texture2D(masks, maskAt + gl_FragCoord.xy * maskScale);
    sum += litPicture * (1.0 - mask.r);
#endif
#if LAMPS > 1
    sum += litPicture * (1.0 - mask.b);
#endif
    sum += haloOn * texture2D(halo, haloAt + gl_FragCoord.xy * haloScale);
    gl_FragColor = clamp(sum, 0.0, 1.0);
#endif
}
