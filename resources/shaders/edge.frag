#version 120
// Edge detection as a post-effect: where the picture's colour changes sharply (a Sobel gradient
// above edge_threshold) the pixel turns dark; elsewhere the picture shows unchanged. Threshold 1
// keeps only the strongest edges, 0 outlines every change.
uniform sampler2D texture;
uniform float edge_threshold;

const vec2 texel = vec2(1.0 / 800.0, 1.0 / 600.0);

vec3 at(vec2 coord, float x, float y)
{
    return texture2D(texture, coord + vec2(x, y) * texel).rgb;
}

void main()
{
    vec2 coord = gl_TexCoord[0].xy;
    vec3 horizontal = at(coord, 1.0, -1.0) + 2.0 * at(coord, 1.0, 0.0) + at(coord, 1.0, 1.0)
                    - at(coord, -1.0, -1.0) - 2.0 * at(coord, -1.0, 0.0) - at(coord, -1.0, 1.0);
    vec3 vertical = at(coord, -1.0, 1.0) + 2.0 * at(coord, 0.0, 1.0) + at(coord, 1.0, 1.0)
                  - at(coord, -1.0, -1.0) - 2.0 * at(coord, 0.0, -1.0) - at(coord, 1.0, -1.0);
    float strength = length(sqrt(horizontal * horizontal + vertical * vertical));
    float edge = smoothstep(edge_threshold, edge_threshold + 0.05, strength);
    vec4 colour = texture2D(texture, coord);
    gl_FragColor = gl_Color * vec4(colour.rgb * (1.0 - edge), 1.0);
}
