#!/usr/bin/python3
"""orbicap --indi in a real X server against our own indiserver: the caption
names the INDI camera and its server, the live image moves, and closing the
window leaves nothing running on the server.

Usage: window_indi_under_xvfb.py ORBICAP. Exit 77: skipped.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "app"))
from indiserver_fixture import indi_available, indiserver  # noqa: E402

try:
    import numpy
    from Xlib import X, display, protocol
    import window_under_xvfb as xvfb
except ImportError:
    print("python3-xlib is not installed")
    sys.exit(77)


def run(binary, server, name, failures):
    home = tempfile.mkdtemp(prefix="orbicap-xvfb-indi-")
    env = dict(os.environ, DISPLAY=name, XDG_CONFIG_HOME=os.path.join(home, "config"),
               XDG_RUNTIME_DIR=os.path.join(home, "run"), QT_QPA_PLATFORM="xcb")
    os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
    expected = f"Orbicap/32 1.3 [QHY5V Camera (INDI: CCD Simulator at localhost:{server.port})]"
    program = subprocess.Popen([binary, "--indi", f"localhost:{server.port}"], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        dpy = display.Display(name)
        window, caption = xvfb.find_window(dpy, expected, 40)
        if window is None:
            failures.append("the main window did not appear")
            return
        if caption != expected:
            failures.append(f"caption {caption!r}, expected {expected!r}")
        # Until the stream runs, the view is black.
        deadline = time.time() + 30
        first = xvfb.live_image(dpy, window)
        while (first is None or len(numpy.unique(first)) < 3) and time.time() < deadline:
            time.sleep(0.5)
            first = xvfb.live_image(dpy, window)
        if first is None or len(numpy.unique(first)) < 3:
            failures.append("the live image stays blank" + ("" if first is None else f": values {numpy.unique(first)[:10]}"))
        else:
            time.sleep(1.5)
            second = xvfb.live_image(dpy, window)
            if second is None or numpy.array_equal(second, first):
                failures.append("the live image does not move")
        close = protocol.event.ClientMessage(
            window=window, client_type=dpy.intern_atom("WM_PROTOCOLS"),
            data=(32, [dpy.intern_atom("WM_DELETE_WINDOW"), X.CurrentTime, 0, 0, 0]))
        window.send_event(close)
        dpy.flush()
        try:
            program.wait(timeout=15)
        except subprocess.TimeoutExpired:
            failures.append("the program did not end within 15 s of closing its window")
            return
        if program.returncode != 0:
            failures.append(f"exit status {program.returncode}")
        state = subprocess.run(["indi_getprop", "-p", str(server.port), "-t", "5",
                                "CCD Simulator.CCD_VIDEO_STREAM.STREAM_ON"],
                               capture_output=True, text=True, timeout=30).stdout
        if "STREAM_ON=On" in state:
            failures.append("the stream was left running on the server")
    finally:
        if program.poll() is None:
            program.kill()
        output = program.communicate()[0]
        if failures:
            print(output.decode(errors="replace")[-2000:])
        shutil.rmtree(home, ignore_errors=True)


def main():
    binary = sys.argv[1]
    if not indi_available():
        print("indiserver or indi_simulator_ccd is not installed")
        return 77
    if not shutil.which("Xvfb"):
        print("Xvfb is not installed")
        return 77
    failures = []
    xserver, name = xvfb.start_xvfb()
    try:
        # Noise: the simulator's sky without a telescope is black.
        with indiserver(settings=["CCD Simulator.SIMULATOR_SETTINGS.SIM_NOISE=3000"]) as server:
            run(binary, server, name, failures)
    finally:
        xserver.terminate()
        xserver.wait()
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
