"""Reference images of the programs' fixed texts, drawn by FreeType alone (mivra-textref), against
which the library's own text path is checked: mivra-textshot, the tool the end-to-end tests draw
their expected texts with, must draw each case within a small tolerance of its committed PNG. A
fault anywhere in that path (glyph loading, the atlas, texture coordinates, kerning, line layout,
blending) moves or changes pixels and shows here, where a comparison of the programs' screenshots
with the same path's drawings could not see it.

Each case is also checked at scale 2 ("<name>-2x.png"): FreeType draws the text at twice the size
and position, the library draws it as a window on an output at scale 2 does (mivra-textshot
--scale=2, the logical layout), and the two must agree the same way.

usage: text_references.py BUILD_DIR                 check (what CTest runs)
       text_references.py --regenerate BUILD_DIR    redraw the PNGs with FreeType, to commit

Regenerate only when the font, FreeType or the cases change, never to make a failing comparison
pass; the check first redraws each reference with FreeType and says so when that no longer gives
the committed image, so that a change of FreeType is not taken for a fault of the library."""
import os
import subprocess
import sys
import tempfile

from PIL import Image, ImageChops

HERE = os.path.dirname(os.path.abspath(__file__))

# The largest difference of a channel the library may show: the GL driver rounds blending
# differently from the generator by a level or two. A glyph one pixel off differs by far more.
TOLERANCE = 4

# name: (width, height, background, [(size, style, fill, x, y, text)]), the programs' texts at their
# sizes, styles and colours, on their backgrounds.
CASES = {
    # The shader gallery's help line (regular, grey ink on the light caption bar).
    "shader-help": (580, 34, (230, 232, 236),
                    [(20, "regular", (80, 80, 80, 255), 4, 4,
                      "Press left and right arrows to change the current shader")]),
    # The event demo's instructions (bold: the library's emboldening of the regular face).
    "event-instructions": (440, 40, (0, 0, 0),
                           [(24, "bold", (255, 255, 255, 255), 4, 4, "Press Enter to change handler type")]),
    # The tennis banner: three lines, one empty, at the largest size a program uses.
    "tennis-banner": (600, 190, (50, 50, 50),
                      [(40, "regular", (255, 255, 255, 255), 4, 2,
                        "Welcome to Mivra Tennis!\n\nPress space to start the game.")]),
}


# The scales each case is checked at.
SCALES = (1, 2)


def arguments(case, font, out, enlarge=1):
    """The tools' arguments for the case, every size and position multiplied by enlarge."""
    width, height, background, texts = case
    args = [out, str(width * enlarge), str(height * enlarge), ",".join(map(str, background))]
    for size, style, fill, x, y, text in texts:
        args += [font, str(size * enlarge), style, ",".join(map(str, fill)), str(x * enlarge), str(y * enlarge), text]
    return args


def draw(tool, case, font, out, scale=1):
    """FreeType's drawing (mivra-textref) is enlarged to the scale; the library's (mivra-textshot)
    is asked for the scale and keeps the logical sizes."""
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen")
    if os.path.basename(tool) == "mivra-textref":
        command = [tool] + arguments(case, font, out, scale)
    else:
        command = [tool, f"--scale={scale}"] + arguments(case, font, out)
    subprocess.run(command, check=True, timeout=120, env=env, stdin=subprocess.DEVNULL)
    with Image.open(out) as image:
        return image.convert("RGB")


def difference(a, b):
    """(largest channel difference, pixels differing by more than the tolerance, their bounding box)."""
    if a.size != b.size:
        return 255, a.size[0] * a.size[1], (0, 0) + a.size
    diff = ImageChops.difference(a, b)
    largest = max(high for _, high in diff.getextrema())
    over = diff.point(lambda v: 255 if v > TOLERANCE else 0).convert("L").point(lambda v: 255 if v else 0)
    return largest, sum(1 for v in over.getdata() if v), over.getbbox()


def reference_path(name, scale=1):
    return os.path.join(HERE, f"{name}.png" if scale == 1 else f"{name}-{scale}x.png")


def regenerate(build_dir, font):
    tool = os.path.join(build_dir, "tools", "mivra-textref")
    for name, case in CASES.items():
        for scale in SCALES:
            draw(tool, case, font, reference_path(name, scale), scale)
            print(f"wrote {reference_path(name, scale)}")
    return 0


def check(build_dir, font):
    reference_tool = os.path.join(build_dir, "tools", "mivra-textref")
    library_tool = os.path.join(build_dir, "tools", "mivra-textshot")
    failures = []
    with tempfile.TemporaryDirectory() as scratch:
        for (base, case), scale in ((item, scale) for item in CASES.items() for scale in SCALES):
            name = base if scale == 1 else f"{base}-{scale}x"
            with Image.open(reference_path(base, scale)) as committed:
                reference = committed.convert("RGB")
            redrawn = draw(reference_tool, case, font, os.path.join(scratch, f"{name}-freetype.png"), scale)
            largest, count, box = difference(redrawn, reference)
            if count:
                failures.append(f"{name}: FreeType itself now draws it differently from the committed reference "
                                f"({count} pixels, up to {largest} levels, in {box}): the font or FreeType changed; "
                                "regenerate the references (--regenerate) and check them by eye")
                continue
            shot = os.path.join(scratch, f"{name}-library.png")
            drawn = draw(library_tool, case, font, shot, scale)
            largest, count, box = difference(drawn, reference)
            print(f"{name}: largest difference {largest} levels")
            if count:
                kept = os.path.join(build_dir, "screenshots", f"text-reference-{name}.png")
                os.makedirs(os.path.dirname(kept), exist_ok=True)
                drawn.save(kept)
                failures.append(f"{name}: the library's text differs from FreeType's by up to {largest} levels in "
                                f"{count} pixels, within {box} (tolerance {TOLERANCE}); its drawing: {kept}")
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    return 1 if failures else 0


def main(argv):
    regenerating = len(argv) == 2 and argv[0] == "--regenerate"
    if not regenerating and len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    build_dir = argv[-1]
    # The programs' font as the build stages it for installation (resources/CMakeLists.txt).
    font = os.path.join(build_dir, "resources", "tuffy.ttf")
    return regenerate(build_dir, font) if regenerating else check(build_dir, font)


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
