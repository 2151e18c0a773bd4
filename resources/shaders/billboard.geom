#version 150 compatibility
// Turns each point into a textured square of `size` pixels facing the viewer; `resolution` is the
// target's size in pixels, to turn pixel sizes into clip-space offsets.
layout(points) in;
layout(triangle_strip, max_vertices = 4) out;

uniform vec2 resolution;
uniform vec2 size;

void corner(vec4 centre, vec2 offset, vec2 coord)
{
    gl_Position = centre + vec4(offset * centre.w, 0.0, 0.0);
    gl_TexCoord[0] = vec4(coord, 0.0, 1.0);
    gl_FrontColor = gl_in[0].gl_FrontColor;
    EmitVertex();
}

void main()
{
    vec4 centre = gl_ProjectionMatrix * gl_in[0].gl_Position;
    vec2 halfSize = size / resolution; // half the size in pixels, as clip-space units (2 per width)
    corner(centre, vec2(-halfSize.x, halfSize.y), vec2(0.0, 0.0));
    corner(centre, vec2(-halfSize.x, -halfSize.y), vec2(0.0, 1.0));
    corner(centre, vec2(halfSize.x, halfSize.y), vec2(1.0, 0.0));
    corner(centre, vec2(halfSize.x, -halfSize.y), vec2(1.0, 1.0));
    EndPrimitive();
}
