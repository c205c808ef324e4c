"""The indi_stream row: a 752 x 480 raw 8-bit stream at 1 ms exposures from
the CCD simulator (its sensor 752 x 512, the smallest height it allows, the
stream cropped to the centre), recorded for 20 s by orbicap-record through
the INDI driver, against a bare client that only counts the stream frames in
the same run: what the INDI transport delivers here. For context it also
gives the rate of the server's own stream recorder on the same settings."""
import os
import re
import resource
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "indi"))
from indiserver_fixture import indi_available, indiserver  # noqa: E402

DEVICE = "CCD Simulator"
W, H = 752, 480
SECONDS = 20
TARGET = 0.95


def setprop(port, *settings):
    for setting in settings:
        subprocess.run(["indi_setprop", "-p", str(port), "-t", "10", f"{DEVICE}.{setting}"],
                       check=True, timeout=30, capture_output=True)


def getprop(port, name):
    out = subprocess.run(["indi_getprop", "-p", str(port), "-t", "2", f"{DEVICE}.{name}"],
                         capture_output=True, text=True, timeout=30).stdout
    return [line.split("=", 1)[1] for line in out.splitlines() if "=" in line]


def children_cpu():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def stream(port, on):
    setprop(port, f"CCD_VIDEO_STREAM.STREAM_ON;STREAM_OFF={'On;Off' if on else 'Off;On'}")


def ser_frames_whole(path, reported):
    """Every stored frame complete: the file as long as its header says, the
    count as reported, and no frame black or a copy of the one before (what a
    released exposure without a frame would leave)."""
    with open(path, "rb") as f:
        data = f.read()
    width, height, depth, count = struct.unpack_from("<iiii", data, 26)
    frame = width * height
    if (width, height, depth) != (W, H, 8) or count != reported or \
            len(data) != 178 + count * frame + 8 * count:
        return False
    previous = None
    for i in range(count):
        picture = data[178 + i * frame:178 + (i + 1) * frame]
        if picture == previous or not any(picture):
            return False
        previous = picture
    return True


def server_recorder_rate(port, folder):
    target = os.path.join(folder, "server")
    os.makedirs(target)
    setprop(port, f"RECORD_FILE.RECORD_FILE_DIR={target}", "RECORD_FILE.RECORD_FILE_NAME=stream",
            "CCD_STREAM_RECORDER.SER=On", f"RECORD_OPTIONS.RECORD_DURATION={SECONDS}")
    stream(port, True)
    setprop(port, "RECORD_STREAM.RECORD_DURATION_ON;RECORD_OFF=On;Off")
    time.sleep(SECONDS + 3)
    setprop(port, "RECORD_STREAM.RECORD_DURATION_ON;RECORD_OFF=Off;On")
    stream(port, False)
    time.sleep(1)
    files = [os.path.join(d, n) for d, _, names in os.walk(target) for n in names
             if n.lower().endswith(".ser")]
    if not files:
        return None
    size = os.path.getsize(files[0])
    return (size - 178) // (W * H) / SECONDS  # frames in the file (trailer ignored)


ATTEMPTS = 3
STALL_MS = 2000


def measure(build, folder):
    """Returns (ratio or None, note, skipped). The CCD simulator's stream at
    1 ms exposures stalls now and then on a loaded machine, for the bare
    client as for Orbicap; an attempt in which either side saw a stall says
    nothing about the transport, so up to ATTEMPTS are made."""
    counter = os.path.join(build, "bin", "indi_stream_counter")
    if not indi_available() or not os.path.exists(counter):
        return None, "no indiserver or no INDI driver build", True
    stalls = []
    for attempt in range(ATTEMPTS):
        result = measure_once(build, folder, counter)
        if isinstance(result, str):
            stalls.append(result)
            continue
        ratio, note = result
        if stalls:
            note += f"; {len(stalls)} attempt(s) before stalled: " + "; ".join(stalls)
        return ratio, note, False
    return 0.0, "the stream stalled in every attempt: " + "; ".join(stalls), False


def measure_once(build, folder, counter):
    """(ratio, note), or a text saying which side's stream stalled."""
    settings = [f"{DEVICE}.SIMULATOR_SETTINGS.SIM_XRES=752",
                f"{DEVICE}.SIMULATOR_SETTINGS.SIM_YRES=512",
                f"{DEVICE}.SIMULATOR_SETTINGS.SIM_NOISE=3000"]
    with indiserver(settings=settings) as server:
        port = server.port
        setprop(port, "CONNECTION.CONNECT;DISCONNECT=On;Off")
        deadline = time.time() + 20
        while not getprop(port, "CCD_STREAM_FRAME.WIDTH") and time.time() < deadline:
            time.sleep(0.5)
        setprop(port, "LIMITS.LIMITS_PREVIEW_FPS=120",
                f"CCD_STREAM_FRAME.X;Y;WIDTH;HEIGHT=0;16;{W};{H}",
                "STREAMING_EXPOSURE.STREAMING_EXPOSURE_VALUE=0.001")

        stream(port, True)
        cpu = children_cpu()
        bare = subprocess.run([counter, "localhost", str(port), DEVICE, str(SECONDS), str(W),
                               str(H)], capture_output=True, text=True, timeout=SECONDS + 60)
        stream(port, False)
        m = re.search(r"frames (\d+) seconds ([\d.]+) cpu ([\d.]+) gap (\d+)", bare.stdout)
        if not m or int(m.group(1)) == 0 or int(m.group(4)) > STALL_MS:
            return f"bare client: {bare.stdout.strip() or bare.stderr.strip()[-200:]}"
        bare_frames, bare_seconds, bare_cpu = int(m.group(1)), float(m.group(2)), float(m.group(3))
        bare_fps = bare_frames / bare_seconds

        cpu = children_cpu()
        ours = subprocess.run([os.path.join(build, "bin", "orbicap-record"), "--indi",
                               f"localhost:{port}", "--out", os.path.join(folder, "INDI"),
                               "--format", "ser", "--seconds", str(SECONDS), "--exposure", "1"],
                              capture_output=True, text=True, timeout=SECONDS + 120)
        ours_cpu = children_cpu() - cpu
        r = re.search(r"Duration: ([\d.]+) s FPS: ([\d.]+) Frames: (\d+)", ours.stdout)
        files = [line for line in ours.stdout.splitlines() if line.endswith(".SER")]
        if "stopped delivering frames" in ours.stderr or "delivers no frames" in ours.stderr:
            return "orbicap-record: " + ours.stderr.strip().splitlines()[-1]
        if ours.returncode != 0 or not r or not files:
            return 0.0, f"orbicap-record failed: {ours.stderr.strip()[-300:]}"
        our_fps, our_frames = float(r.group(2)), int(r.group(3))
        whole = ser_frames_whole(files[0], our_frames)
        for name in files:
            os.unlink(name)

        server_fps = server_recorder_rate(port, folder)
    ratio = our_fps / bare_fps if whole else 0.0
    server_text = "n/a" if server_fps is None else f"{server_fps:.1f}"
    note = (f"orbicap {our_fps:.1f} frames/s, {ours_cpu / max(1, our_frames) * 1000:.2f} ms CPU "
            f"per frame (whole process); bare client {bare_fps:.1f} frames/s, "
            f"{bare_cpu / max(1, bare_frames) * 1000:.2f} ms CPU per frame; server's own SER "
            f"recorder {server_text} frames/s")
    if not whole:
        note = "stored frames not whole; " + note
    return ratio, note
