#version 120
// A directional light from the upper left. Flat ground keeps its colour; slopes facing the light
// brighten and slopes facing away darken. lightFactor sets how strongly the slope counts:
// 0 shows the plain colours, 1 lights by the slope alone.
uniform float lightFactor;
varying vec3 surfaceNormal;

const vec3 lightDirection = vec3(-0.5, -0.5, 0.70710678);

void main()
{
    vec3 normal = normalize(surfaceNormal);
    float slopeLight = max(dot(normal, lightDirection), 0.0) / lightDirection.z;
    float brightness = (1.0 - lightFactor) + lightFactor * slopeLight;
    gl_FragColor = vec4(clamp(gl_Color.rgb * brightness, 0.0, 1.0), gl_Color.a);
}
