"""The X display seen from outside Wine, through libX11 and ctypes: the top-level
windows that are mapped, and pixels read straight from the screen."""

import ctypes
import ctypes.util
import hashlib
import os

_x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")

_Window = ctypes.c_ulong


class _XWindowAttributes(ctypes.Structure):
    _fields_ = [
        ("x", ctypes.c_int), ("y", ctypes.c_int),
        ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
        ("visual", ctypes.c_void_p), ("root", _Window),
        ("class_", ctypes.c_int), ("bit_gravity", ctypes.c_int),
        ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
        ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
        ("save_under", ctypes.c_int), ("colormap", ctypes.c_ulong),
        ("map_installed", ctypes.c_int), ("map_state", ctypes.c_int),
        ("all_event_masks", ctypes.c_long), ("your_event_mask", ctypes.c_long),
        ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
        ("screen", ctypes.c_void_p),
    ]


class _XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int), ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int), ("format", ctypes.c_int),
        ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
        ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
        ("blue_mask", ctypes.c_ulong), ("obdata", ctypes.c_void_p),
        ("create_image", ctypes.c_void_p),
        ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)),
    ]


_ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


@_ErrorHandler
def _ignore_errors(display, event):
    # A window can vanish between listing and reading it; that is not fatal here.
    return 0


_x.XOpenDisplay.restype = ctypes.c_void_p
_x.XOpenDisplay.argtypes = [ctypes.c_char_p]
_x.XDefaultRootWindow.restype = _Window
_x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
_x.XQueryTree.argtypes = [ctypes.c_void_p, _Window, ctypes.POINTER(_Window),
                          ctypes.POINTER(_Window), ctypes.POINTER(ctypes.POINTER(_Window)),
                          ctypes.POINTER(ctypes.c_uint)]
_x.XGetWindowAttributes.argtypes = [ctypes.c_void_p, _Window,
                                    ctypes.POINTER(_XWindowAttributes)]
_x.XFetchName.argtypes = [ctypes.c_void_p, _Window, ctypes.POINTER(ctypes.c_char_p)]
_x.XFree.argtypes = [ctypes.c_void_p]
_x.XGetImage.restype = ctypes.POINTER(_XImage)
_x.XGetImage.argtypes = [ctypes.c_void_p, _Window, ctypes.c_int, ctypes.c_int,
                         ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
_x.XSetErrorHandler.argtypes = [_ErrorHandler]
_x.XCloseDisplay.argtypes = [ctypes.c_void_p]

_ALL_PLANES = 0xFFFFFFFF
_Z_PIXMAP = 2
_IS_VIEWABLE = 2


class Display:
    def __init__(self, name=None):
        name = name or os.environ["DISPLAY"]
        self._d = _x.XOpenDisplay(name.encode())
        if not self._d:
            raise RuntimeError("cannot open display " + name)
        _x.XSetErrorHandler(_ignore_errors)
        self.root = _x.XDefaultRootWindow(self._d)
        attrs = self._attributes(self.root)
        self.width, self.height = attrs.width, attrs.height

    def close(self):
        _x.XCloseDisplay(self._d)

    def _attributes(self, window):
        attrs = _XWindowAttributes()
        if not _x.XGetWindowAttributes(self._d, window, ctypes.byref(attrs)):
            return None
        return attrs

    def name(self, window):
        out = ctypes.c_char_p()
        if not _x.XFetchName(self._d, window, ctypes.byref(out)) or not out.value:
            return ""
        text = out.value.decode("latin-1")  # WM_NAME is ISO 8859-1
        _x.XFree(out)
        return text

    def mapped_windows(self):
        """{window: (x, y, width, height)} of the mapped children of the root."""
        root, parent = _Window(), _Window()
        children = ctypes.POINTER(_Window)()
        count = ctypes.c_uint()
        if not _x.XQueryTree(self._d, self.root, ctypes.byref(root), ctypes.byref(parent),
                             ctypes.byref(children), ctypes.byref(count)):
            return {}
        found = {}
        for i in range(count.value):
            attrs = self._attributes(children[i])
            if attrs and attrs.map_state == _IS_VIEWABLE:
                found[children[i]] = (attrs.x, attrs.y, attrs.width, attrs.height)
        if children:
            _x.XFree(children)
        return found

    def window_rect(self, window):
        """(x, y, width, height) of a mapped top-level window, or None."""
        attrs = self._attributes(window)
        if not attrs or attrs.map_state != _IS_VIEWABLE:
            return None
        return attrs.x, attrs.y, attrs.width, attrs.height

    def find(self, title):
        """The rectangle of the mapped top-level window with this exact title, or None."""
        for window, rect in self.mapped_windows().items():
            if self.name(window) == title:
                return rect
        return None

    def grab(self, rect):
        """The screen's pixels in rect (x, y, w, h), clipped to the screen, as
        (width, height, bytes of 4 per pixel: blue, green, red, unused)."""
        x, y, w, h = rect
        x0, y0 = max(x, 0), max(y, 0)
        x1, y1 = min(x + w, self.width), min(y + h, self.height)
        if x1 <= x0 or y1 <= y0:
            return 0, 0, b""
        image = _x.XGetImage(self._d, self.root, x0, y0, x1 - x0, y1 - y0, _ALL_PLANES,
                             _Z_PIXMAP)
        if not image:
            return 0, 0, b""
        img = image.contents
        if img.bits_per_pixel != 32:
            img.destroy_image(image)
            raise RuntimeError("expected a 24-bit screen with 32 bits per pixel")
        if img.bytes_per_line == img.width * 4:
            data = ctypes.string_at(img.data, img.bytes_per_line * img.height)
        else:
            data = b"".join(ctypes.string_at(img.data + r * img.bytes_per_line, img.width * 4)
                            for r in range(img.height))
        width, height = img.width, img.height
        img.destroy_image(image)
        return width, height, data

    def fingerprint(self, rect):
        width, height, data = self.grab(rect)
        return (rect, hashlib.blake2b(data, digest_size=16).digest())


def pixel(grabbed, x, y):
    """(r, g, b) at (x, y) of a grab."""
    width, _, data = grabbed
    i = (y * width + x) * 4
    return data[i + 2], data[i + 1], data[i]


def find_colour(grabbed, colour):
    """Every (x, y) of a grab whose pixel is exactly colour (r, g, b)."""
    width, height, data = grabbed
    want = bytes((colour[2], colour[1], colour[0]))
    points = []
    start = 0
    while True:
        i = data.find(want, start)
        if i < 0:
            return points
        if i % 4 == 0:
            points.append(((i // 4) % width, (i // 4) // width))
            start = i + 4
        else:
            start = i + 1
