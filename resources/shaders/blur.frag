#version 120
// A 3 x 3 weighted blur whose reach is blur_radius texture units; 0 leaves the texture sharp.
uniform sampler2D texture;
uniform float blur_radius;

void main()
{
    vec2 coord = gl_TexCoord[0].xy;
    vec2 dx = vec2(blur_radius, 0.0);
    vec2 dy = vec2(0.0, blur_radius);
    vec4 sum = 4.0 * texture2D(texture, coord)
             + 2.0 * (texture2D(texture, coord - dx) + texture2D(texture, coord + dx)
                      + texture2D(texture, coord - dy) + texture2D(texture, coord + dy))
             + texture2D(texture, coord - dx - dy) + texture2D(texture, coord + dx - dy)
             + texture2D(texture, coord - dx + dy) + texture2D(texture, coord + dx + dy);
    gl_FragColor = gl_Color * (sum / 16.0);
}
