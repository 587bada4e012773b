#version 120
// Both lamps' shadow masks in one pass: white where the lamp's shadow falls, black where it
// reaches, over the white the target is cleared to. Replaces the depth pass and one black pass
// per lamp, blended by the depth comparison over white, of the classic masks.
//
// That blending leaves an alpha of 1 - c + c x c (c the comparison's result), below 1 where the
// comparison is partial at a shadow's edge, and the blur weighs every texel by its alpha; each
// lamp's alpha goes along with its mask: red lamp 0's mask, green its alpha, blue lamp 1's
// mask, alpha its alpha.
uniform sampler2DShadow shadowMap0;
uniform sampler2DShadow shadowMap1;
uniform int lampCount;
varying vec4 lampCoord[2];

void main() {
    float lit0 = shadow2DProj(shadowMap0, lampCoord[0]).r;
    float lit1 = lampCount > 1 ? shadow2DProj(shadowMap1, lampCoord[1]).r : 0.0;
    gl_FragColor = vec4(1.0 - lit0, 1.0 - lit0 + lit0 * lit0, 1.0 - lit1, 1.0 - lit1 + lit1 * lit1);
}
