#version 120
// Samples the picture on a coarse grid: each block of pixel_threshold (in texture units) shows the
// colour at its centre. 0 leaves the picture as it is.
uniform sampler2D texture;
uniform float pixel_threshold;

void main()
{
    vec2 coord = gl_TexCoord[0].xy;
    if (pixel_threshold > 0.0)
        coord = (floor(coord / pixel_threshold) + 0.5) * pixel_threshold;
    gl_FragColor = gl_Color * texture2D(texture, coord);
}
