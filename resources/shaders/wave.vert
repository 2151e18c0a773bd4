#version 120
// Sways every vertex on two crossing waves: wave_amplitude is the largest shift in pixels along x
// and y, wave_phase the time in seconds.
uniform float wave_phase;
uniform vec2 wave_amplitude;

void main()
{
    vec4 vertex = gl_Vertex;
    vertex.x += (0.7 * cos(gl_Vertex.y * 0.021 + wave_phase * 3.1) + 0.3 * sin(gl_Vertex.y * 0.047 + wave_phase * 5.3)) * wave_amplitude.x;
    vertex.y += (0.7 * sin(gl_Vertex.x * 0.017 + wave_phase * 2.3) + 0.3 * cos(gl_Vertex.x * 0.039 + wave_phase * 4.1)) * wave_amplitude.y;
    gl_Position = gl_ModelViewProjectionMatrix * vertex;
    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;
}
