#version 120
// Each billboard shows the whole texture, tinted by its point's colour.
uniform sampler2D texture;

void main()
{
    gl_FragColor = gl_Color * texture2D(texture, gl_TexCoord[0].xy);
}
