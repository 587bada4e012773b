#version 120
// Both lamps' shadow masks in one pass, one channel each (red: lamp 0, green: lamp 1): white
// where the lamp's shadow falls, black where it reaches, over the white the target is cleared
// to. Replaces the depth pass and one black pass per lamp, blended by the depth comparison
// over white, of the classic masks.
uniform sampler2DShadow shadowMap0;
uniform sampler2DShadow shadowMap1;
uniform int lampCount;
varying vec4 lampCoord[2];

void main() {
    float first = 1.0 - shadow2DProj(shadowMap0, lampCoord[0]).r;
    float second = lampCount > 1 ? 1.0 - shadow2DProj(shadowMap1, lampCoord[1]).r : 1.0;
    gl_FragColor = vec4(first, second, 1.0, 1.0);
}
