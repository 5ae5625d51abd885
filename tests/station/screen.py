"""The machine's screen as QMP's screendump gives it (PPM), and where the dialogs stand on it.

The panel's and the keyboard's places are found on the picture itself and mapped from their
templates' dialog units, each axis on its own: so the driver still finds a key when the panel is
scaled or moved, without knowing the font or the scale the panel chose.
"""
import struct
import zlib

# Dialog templates 102 (the panel) and 129 (the keyboard), in dialog units.
PANEL_SIZE = (423, 294)
KEYBOARD_SIZE = (371, 134)
PANEL = {
    "carton": (7, 93, 294, 18),
    "send carton": (309, 91, 105, 22),
    "leaflet": (7, 147, 294, 18),
    "send leaflet": (309, 145, 105, 22),
    "banner": (7, 7, 409, 58),
    "log": (7, 189, 409, 82),
    "exit": (308, 274, 50, 13),
    "power off": (366, 274, 50, 13),
}
_KEY_ROWS = [  # (y, [(label, x), ...]) of the character keys, all 28 x 17
    (23, [("1", 12), ("2", 44), ("3", 76), ("4", 108), ("5", 140), ("6", 172), ("7", 204),
          ("8", 236), ("9", 268), ("0", 300)]),
    (44, [(c, 17 + 32 * i) for i, c in enumerate("qwertyuiop")]),
    (66, [(c, 40 + 32 * i) for i, c in enumerate("asdfghjkl")]),
    (88, [(c, 49 + 32 * i) for i, c in enumerate("zxcvbnm")]),
]
KEYBOARD = {label: (x, y, 28, 17) for y, row in _KEY_ROWS for label, x in row}
KEYBOARD.update({"BACK": (60, 110, 40, 17), "ESC": (281, 110, 40, 17),
                 "ENTER": (324, 110, 40, 17), "text": (14, 7, 348, 11)})


class Picture:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    @staticmethod
    def from_ppm(data):
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos)
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        assert fields[0] == b"P6", fields[0]
        width, height = int(fields[1]), int(fields[2])
        return Picture(width, height, data[pos + 1:pos + 1 + width * height * 3])

    def pixel(self, x, y):
        i = (int(y) * self.width + int(x)) * 3
        return tuple(self.rgb[i:i + 3])

    def png(self):
        rows = b"".join(b"\0" + self.rgb[y * self.width * 3:(y + 1) * self.width * 3]
                        for y in range(self.height))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        return (b"\x89PNG\r\n\x1a\n" +
                chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)) +
                chunk(b"IDAT", zlib.compress(rows, 6)) + chunk(b"IEND", b""))

    def bounding_box(self, accept, step=2):
        """The box (x0, y0, x1, y1) around the pixels that accept(rgb) takes, sampled every
        `step` pixels; None when there are none."""
        xs, ys = [], []
        w = self.width
        for y in range(0, self.height, step):
            row = self.rgb[y * w * 3:(y + 1) * w * 3]
            first = last = None
            for x in range(0, w, step):
                if accept(row[x * 3], row[x * 3 + 1], row[x * 3 + 2]):
                    if first is None:
                        first = x
                    last = x
            if first is not None:
                xs += [first, last]
                ys.append(y)
        if not xs:
            return None
        return min(xs), min(ys), max(xs) + step - 1, max(ys) + step - 1

    def changed_box(self, other, region=None, step=2):
        """The box around the pixels that differ from `other` (inside `region` when given)."""
        x0, y0, x1, y1 = region or (0, 0, self.width - 1, self.height - 1)
        xs, ys = [], []
        for y in range(int(y0), int(y1) + 1, step):
            a = y * self.width * 3
            for x in range(int(x0), int(x1) + 1, step):
                i = a + x * 3
                if self.rgb[i:i + 3] != other.rgb[i:i + 3]:
                    xs.append(x)
                    ys.append(y)
        if not xs:
            return None
        return min(xs), min(ys), max(xs), max(ys)

    def differs(self, other, region):
        return self.changed_box(other, region) is not None


class Layout:
    """A dialog found on the screen: its box in pixels and its template's size in dialog units."""

    def __init__(self, box, size, controls):
        self.box, self.size, self.controls = box, size, controls

    def scale(self):
        x0, y0, x1, y1 = self.box
        return (x1 - x0 + 1) / self.size[0], (y1 - y0 + 1) / self.size[1]

    def rect(self, name):
        x, y, w, h = self.controls[name]
        sx, sy = self.scale()
        return (self.box[0] + x * sx, self.box[1] + y * sy, self.box[0] + (x + w) * sx,
                self.box[1] + (y + h) * sy)

    def centre(self, name):
        x0, y0, x1, y1 = self.rect(name)
        return (x0 + x1) / 2, (y0 + y1) / 2


def _light(r, g, b):
    return r >= 200 and g >= 200 and b >= 200


def find_panel(picture):
    """The panel's layout when the panel is on the screen: a light face at least a quarter of
    the screen wide, the banner's blue in its place and the log's white in its place."""
    box = picture.bounding_box(_light)
    if box is None or box[2] - box[0] < picture.width / 4 or box[3] - box[1] < picture.height / 4:
        return None
    layout = Layout(box, PANEL_SIZE, PANEL)
    r, g, b = picture.pixel(*layout.centre("banner"))
    if not (b > 80 and b > r + 30):
        return None
    bx0, by0, bx1, by1 = layout.rect("log")
    for fx, fy in [(0.3, 0.8), (0.5, 0.9), (0.7, 0.8)]:
        if picture.pixel(bx0 + (bx1 - bx0) * fx, by0 + (by1 - by0) * fy) != (255, 255, 255):
            return None
    return layout


def find_keyboard(before, after):
    """The keyboard's layout: the box of what changed when it opened, if it is of the
    keyboard's proportions within the panel's scale (the keyboard's font is a point larger)."""
    box = after.changed_box(before)
    if box is None:
        return None
    layout = Layout(box, KEYBOARD_SIZE, KEYBOARD)
    sx, sy = layout.scale()
    if sx < 0.8 or sy < 0.8 or not 0.6 < (sx / sy) < 1.6:
        return None
    # Its text strip is white across the top.
    x0, y0, x1, y1 = layout.rect("text")
    if after.pixel((x0 + x1) / 2, (y0 + y1) / 2) != (255, 255, 255):
        return None
    return layout
