#version 120
// Every point shows its colour at the opacity blink_alpha.
uniform float blink_alpha;

void main()
{
    gl_FragColor = vec4(gl_Color.rgb, gl_Color.a * blink_alpha);
}
