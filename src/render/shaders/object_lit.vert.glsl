#version 120
// The vertex stage of the lit object passes, for the composited picture and for the halo
// source alike, built with the definitions of its fragment stage (LAMPS, REFLECTED_MODE). Replaces the vertex work of the ambient pass and of one lit pass per lamp: the
// fixed-function lighting (the light model's ambient alone, and each lamp as OpenGL light i
// set up by the renderer, with the material and colour-material state each object sets), per
// vertex and clamped as the fixed-function stage clamps it, so the Gouraud picture is the
// same; the coordinates each lamp projects its textures with, from the eye planes the renderer
// loads on units 5 and 6 as the classic coordinate generation does (the same arithmetic, so
// the shadow comparisons come out the same), and the reflection vector turned by each lamp's
// texture matrix.
uniform mat3 reflectionTurn[2];      // each lamp's texture matrix of the reflected cube map
attribute vec2 darkness;             // per lamp: 1 where the face is turned away (drawn black)

varying vec4 ambientColour;
varying vec4 lampColour[2];
varying vec4 lampCoord[2];
varying vec3 reflection[2];
varying vec2 baseCoord;

// Emission plus the light model's ambient times the colour (colour material tracks ambient
// and diffuse).
vec3 sceneColour(vec4 colour) {
    return gl_FrontMaterial.emission.rgb + gl_LightModel.ambient.rgb * colour.rgb;
}

vec4 lit(int i, vec3 eye, vec3 normal, vec4 colour) {
    vec4 position = gl_LightSource[i].position;
    vec3 toLamp = position.xyz - eye * position.w;
    float distance = length(toLamp);
    vec3 l = distance > 0.0 ? toLamp / distance : vec3(0.0, 0.0, 1.0);
    float attenuation = 1.0;
    if (position.w != 0.0) {
        attenuation = 1.0 / (gl_LightSource[i].constantAttenuation +
                             gl_LightSource[i].linearAttenuation * distance +
                             gl_LightSource[i].quadraticAttenuation * distance * distance);
    }
    if (gl_LightSource[i].spotCutoff != 180.0) {
        float axis = dot(-l, normalize(gl_LightSource[i].spotDirection));
        attenuation *= axis >= gl_LightSource[i].spotCosCutoff
                           ? pow(max(axis, 0.0), gl_LightSource[i].spotExponent)
                           : 0.0;
    }
    float facing = dot(normal, l);
    vec3 sum = gl_LightSource[i].ambient.rgb * colour.rgb +
               max(facing, 0.0) * gl_LightSource[i].diffuse.rgb * colour.rgb;
    if (facing > 0.0) {
        float highlight = max(dot(normal, normalize(l + vec3(0.0, 0.0, 1.0))), 0.0);
        float shine = gl_FrontMaterial.shininess > 0.0
                          ? pow(highlight, gl_FrontMaterial.shininess)
                          : 1.0;
        sum += shine * gl_LightSource[i].specular.rgb * gl_FrontMaterial.specular.rgb;
    }
    return clamp(vec4(sceneColour(colour) + attenuation * sum, colour.a), 0.0, 1.0);
}

vec4 projected(int unit, vec4 eye) {
    return vec4(dot(eye, gl_EyePlaneS[unit]), dot(eye, gl_EyePlaneT[unit]),
                dot(eye, gl_EyePlaneR[unit]), dot(eye, gl_EyePlaneQ[unit]));
}

void main() {
    vec4 eye = gl_ModelViewMatrix * gl_Vertex;
    vec3 normal = normalize(gl_NormalMatrix * gl_Normal);
    ambientColour = clamp(vec4(sceneColour(gl_Color), gl_Color.a), 0.0, 1.0);
#if REFLECTED_MODE != 0
    // Reflection-map coordinates, as the fixed-function coordinate generation makes them.
    vec3 u = normalize(eye.xyz);
    vec3 r = u - 2.0 * normal * dot(normal, u);
#endif
    for (int i = 0; i < LAMPS; ++i) {
        vec4 colour = darkness[i] > 0.5 ? vec4(0.0, 0.0, 0.0, 1.0) : gl_Color;
        lampColour[i] = lit(i, eye.xyz, normal, colour);
#if REFLECTED_MODE != 0
        reflection[i] = reflectionTurn[i] * r;
#endif
    }
#if LAMPS > 0
    lampCoord[0] = projected(5, eye);
#endif
#if LAMPS > 1
    lampCoord[1] = projected(6, eye);
#endif
    baseCoord = gl_MultiTexCoord0.xy;
    gl_Position = ftransform();
}
