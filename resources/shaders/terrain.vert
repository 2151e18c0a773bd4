#version 120
// Terrain vertices: position in pixels, the terrain colour, and the x and y of the surface normal
// (whose z is 1) in the first texture coordinates.
varying vec3 surfaceNormal;

void main()
{
    gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex;
    gl_FrontColor = gl_Color;
    surfaceNormal = vec3(gl_MultiTexCoord0.xy, 1.0);
}
