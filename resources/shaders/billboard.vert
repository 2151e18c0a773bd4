#version 120
// Passes each point, moved by the scene's transform, on to the geometry shader.
void main()
{
    gl_Position = gl_ModelViewMatrix * gl_Vertex;
    gl_FrontColor = gl_Color;
}
