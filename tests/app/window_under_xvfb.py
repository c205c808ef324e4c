#!/usr/bin/python3
"""The real program in a real X server: caption, a moving live image, a left
press on it that opens the focus aid where it belongs with a live preview, and
a close of the window that ends the process quickly with the settings written.

Exit code 77 means skipped (no Xvfb or no python3-xlib on this machine).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

try:
    import numpy
    from Xlib import X, Xatom, display, protocol
    from Xlib.ext import xtest
except ImportError as missing:
    print(f"{missing.name} is not installed")
    sys.exit(77)

EXPECTED_CAPTION = "Orbicap/32 1.3 [QHY5V Camera (simulated camera)]"
SCREEN_WIDTH, SCREEN_HEIGHT = 1280, 900


def start_xvfb():
    if not shutil.which("Xvfb"):
        print("Xvfb is not installed")
        sys.exit(77)
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{SCREEN_WIDTH}x{SCREEN_HEIGHT}x24",
                               "-nolisten", "tcp"], pass_fds=(write_fd,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    number = b""
    while not number.endswith(b"\n"):
        chunk = os.read(read_fd, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_fd)
    return server, ":" + number.decode().strip()


def find_window(dpy, caption, timeout, prefix="Orbicap/32"):
    deadline = time.time() + timeout
    while time.time() < deadline:
        stack = [dpy.screen().root]
        while stack:
            w = stack.pop()
            try:
                name = w.get_full_text_property(dpy.intern_atom("_NET_WM_NAME")) or w.get_wm_name()
                # A window gets its caption before it is mapped, and its
                # pixels cannot be read until then.
                if (name and name.startswith(prefix)
                        and w.get_attributes().map_state == X.IsViewable):
                    return w, name
                stack.extend(w.query_tree().children)
            except Exception:
                pass
        time.sleep(0.2)
    return None, None


def grab_window(dpy, window):
    """The window's pixels as a height x width x 4 array (blue, green, red, pad)."""
    geometry = window.get_geometry()
    image = window.get_image(0, 0, geometry.width, geometry.height, X.ZPixmap, 0xFFFFFFFF)
    return numpy.frombuffer(image.data, dtype=numpy.uint8).reshape(
        geometry.height, geometry.width, 4)


def image_widget_box(pixels):
    """Where the live image lies in the window: the live view of a night sky
    is the one large dark area of the window, whatever the fonts and the
    window manager make of the layout around it."""
    dark = (pixels[:, :, :3] < 100).all(axis=2)
    rows = numpy.flatnonzero(dark.sum(axis=1) > 500)
    cols = numpy.flatnonzero(dark.sum(axis=0) > 300)
    if len(rows) == 0 or len(cols) == 0:
        return None
    return rows[0], rows[-1] + 1, cols[0], cols[-1] + 1


def position_on_screen(dpy, window):
    at = dpy.screen().root.translate_coords(window, 0, 0)
    return at.x, at.y


def click(dpy, x, y):
    xtest.fake_input(dpy, X.MotionNotify, x=x, y=y)
    xtest.fake_input(dpy, X.ButtonPress, 1)
    xtest.fake_input(dpy, X.ButtonRelease, 1)
    dpy.sync()


def check_focus_aid(dpy, window, box, failures):
    """A left press on the live image opens "FOCUS AID" at the left edge of
    the screen, 30 pixels above its bottom, with a preview that follows the
    frames."""
    top, bottom, left, right = box
    wx, wy = position_on_screen(dpy, window)
    click(dpy, wx + (left + right) // 2, wy + (top + bottom) // 2)
    focus, _ = find_window(dpy, "FOCUS AID", 10, prefix="FOCUS AID")
    if focus is None:
        failures.append("a left press on the live image opened no FOCUS AID window")
        return
    time.sleep(1.0)
    geometry = focus.get_geometry()
    fx, fy = position_on_screen(dpy, focus)
    print(f"FOCUS AID at {fx}, {fy}, {geometry.width} x {geometry.height}")
    if fx != 0 or fy + geometry.height != SCREEN_HEIGHT - 30:
        failures.append(f"FOCUS AID at {fx}, {fy} ({geometry.width} x {geometry.height}), "
                        f"not at the left edge 30 px above the bottom")
    first = grab_window(dpy, focus)
    time.sleep(1.0)
    second = grab_window(dpy, focus)
    preview = (slice(8, 8 + 268), slice(8, 8 + 272))
    if numpy.array_equal(first[preview], second[preview]):
        failures.append("the focus preview does not change from frame to frame")
    if first[preview][:, :, :3].max() < 100:
        failures.append("the focus preview shows nothing bright")


def live_image(dpy, window):
    """The pixels of the live image alone (height x width x 3), or None when
    the window shows no image-sized dark area."""
    pixels = grab_window(dpy, window)
    box = image_widget_box(pixels)
    if box is None:
        return None
    top, bottom, left, right = box
    return pixels[top:bottom, left:right, :3]


def main():
    binary = sys.argv[1]
    server, name = start_xvfb()
    home = tempfile.mkdtemp(prefix="orbicap-xvfb-")
    env = dict(os.environ, DISPLAY=name, XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_RUNTIME_DIR=os.path.join(home, "run"), QT_QPA_PLATFORM="xcb")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    env.pop("ORBICAP_SIM_NO_CAMERA", None)
    failures = []
    program = subprocess.Popen([binary], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        dpy = display.Display(name)
        window, caption = find_window(dpy, EXPECTED_CAPTION, 30)
        if window is None:
            failures.append("the main window did not appear")
            return failures
        if caption != EXPECTED_CAPTION:
            failures.append(f"caption {caption!r}")
        # The first frame of the scene is drawn before it shows, which takes
        # seconds under a sanitizer on a busy machine: wait for the picture.
        deadline = time.time() + 60
        while True:
            time.sleep(0.5)
            first = grab_window(dpy, window)
            box = image_widget_box(first)
            if box is not None:
                top, bottom, left, right = box
                if first[top:bottom, left:right, :3].max() >= 100 or time.time() > deadline:
                    break
            elif time.time() > deadline:
                break
        if box is None:
            failures.append("no live image in the window")
            return failures
        top, bottom, left, right = box
        print(f"live image at x {left}..{right}, y {top}..{bottom}")
        if (right - left, bottom - top) != (752, 480):
            failures.append(f"the live image is {right - left} x {bottom - top}, not 752 x 480")
        time.sleep(1.0)
        second = grab_window(dpy, window)
        image_before = first[top:bottom, left:right, :3]
        image_after = second[top:bottom, left:right, :3]
        if numpy.array_equal(image_before, image_after):
            failures.append("the live image does not move")
        if image_before.max() < 100:
            failures.append("the live image shows nothing bright")
        check_focus_aid(dpy, window, box, failures)

        close = protocol.event.ClientMessage(
            window=window, client_type=dpy.intern_atom("WM_PROTOCOLS"),
            data=(32, [dpy.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        window.send_event(close)
        dpy.flush()
        closed_at = time.time()
        try:
            program.wait(timeout=3)
        except subprocess.TimeoutExpired:
            failures.append("the program did not end within 3 s of closing its window")
            return failures
        print(f"ended {time.time() - closed_at:.2f} s after the close, status {program.returncode}")
        if program.returncode != 0:
            failures.append(f"exit status {program.returncode}")
        conf = os.path.join(env["XDG_CONFIG_HOME"], "Pellix_32.conf")
        text = open(conf).read() if os.path.exists(conf) else ""
        for key in ("EXPOLENGTH=100", "EXPOCOUNT=1", "FILENAME=", "GAIN=10"):
            if key not in text:
                failures.append(f"{key} not written to {conf}: {text!r}")
        return failures
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()
        server.terminate()
        server.wait()
        shutil.rmtree(home, ignore_errors=True)


if __name__ == "__main__":
    problems = main()
    for p in problems:
        print("FAIL:", p)
    sys.exit(1 if problems else 0)
