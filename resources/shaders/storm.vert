#version 120
// A storm that clears a disc around storm_position: points closer than storm_total_radius are
// pushed outwards into the ring between storm_inner_radius and storm_total_radius, keeping their
// order from the centre.
uniform vec2 storm_position;
uniform float storm_inner_radius;
uniform float storm_total_radius;

void main()
{
    vec4 vertex = gl_ModelViewMatrix * gl_Vertex;
    vec2 offset = vertex.xy - storm_position;
    float reach = length(offset);
    if (reach < storm_total_radius && reach > 0.0)
    {
        float pushed = storm_inner_radius + (storm_total_radius - storm_inner_radius) * reach / storm_total_radius;
        vertex.xy = storm_position + offset / reach * pushed;
    }
    gl_Position = gl_ProjectionMatrix * vertex;
    gl_TexCoord[0] = gl_TextureMatrix[0] * gl_MultiTexCoord0;
    gl_FrontColor = gl_Color;
}
