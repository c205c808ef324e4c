#!/usr/bin/python3
"""orbicap-record through the INDI driver against a real indiserver with the
CCD simulator: every format, both exposure paths, a server that dies
mid-recording and a server that is not there.

Usage: indi_recording_test.py ORBICAP_RECORD CASE. Exit 77: skipped.
"""
import glob
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from indiserver_fixture import free_port, indi_available, indiserver  # noqa: E402

SER_HEADER = 178


def read_ser(path):
    data = open(path, "rb").read()
    assert data[:14] == b"LUCAM-RECORDER", f"{path}: not a SER file"
    width, height, depth, count = struct.unpack_from("<iiii", data, 26)
    bytes_per_sample = 2 if depth == 16 else 1
    frame = width * height * bytes_per_sample
    expected = SER_HEADER + count * frame + 8 * count
    assert len(data) == expected, f"{path}: {len(data)} bytes, header says {expected}"
    frames = [data[SER_HEADER + i * frame:SER_HEADER + (i + 1) * frame] for i in range(count)]
    trailer = SER_HEADER + count * frame
    stamps = list(struct.unpack_from(f"<{count}q", data, trailer))
    return width, height, depth, frames, stamps


def record(binary, args, timeout=120):
    started = time.time()
    result = subprocess.run([binary] + args, capture_output=True, text=True, timeout=timeout)
    return result, time.time() - started


def check(condition, message, failures):
    if not condition:
        failures.append(message)


def ser_case(binary, port, out, extra, frames, width, height, depth, failures):
    result, seconds = record(binary, ["--indi", f"localhost:{port}", "--out", out, "--format",
                                      "ser", "--frames", str(frames), "--exposure", "10"] + extra)
    if result.returncode != 0:
        failures.append(f"exit {result.returncode}: {result.stderr}")
        return None
    files = glob.glob(out + "_*.SER")
    if len(files) != 1:
        failures.append(f"SER files written: {files}")
        return None
    w, h, d, pictures, stamps = read_ser(files[0])
    print(f"{' '.join(extra) or 'stream'}: {len(pictures)} frames of {w}x{h}x{d} "
          f"in {seconds:.1f} s")
    check((w, h, d) == (width, height, depth), f"geometry {w}x{h}x{d}", failures)
    check(len(pictures) == frames, f"{len(pictures)} frames, not {frames}", failures)
    check(all(b > a for a, b in zip(stamps, stamps[1:])), "UTC stamps do not rise", failures)
    check(len(set(pictures)) > 1, "every frame is the same", failures)
    return pictures


def device_state(port, *properties):
    result = subprocess.run(["indi_getprop", "-p", str(port), "-t", "5"] +
                            [f"CCD Simulator.{p}.*" for p in properties],
                            capture_output=True, text=True, timeout=30)
    return dict(line.split("=", 1) for line in result.stdout.splitlines() if "=" in line)


def check_left_clean(port, failures):
    """The program never closes the camera: unloading the driver must switch
    the stream off and restore the polling period; the device stays
    connected, for other clients of the server."""
    state = device_state(port, "CONNECTION", "POLLING_PERIOD", "CCD_VIDEO_STREAM")
    for key, wanted in (("CONNECTION.CONNECT", "On"), ("POLLING_PERIOD.PERIOD_MS", "1000"),
                        ("CCD_VIDEO_STREAM.STREAM_ON", "Off")):
        check(state.get(f"CCD Simulator.{key}") == wanted, f"left behind: {key} in {state}",
              failures)


def case_ser_stream(binary, port, out, failures):
    ser_case(binary, port, out, [], 200, 752, 480, 8, failures)
    check_left_clean(port, failures)


def case_ten_bit(binary, port, out, failures):
    pictures = ser_case(binary, port, out, ["--ten-bit"], 20, 752, 480, 16, failures)
    if pictures:
        values = set()
        for picture in pictures:
            values.update(struct.unpack(f"<{len(picture) // 2}H", picture))
        check(max(values) <= 1023, f"a sample of {max(values)} in 10-bit mode", failures)
        check(len(values) > 1, "every sample has the same value", failures)
    check_left_clean(port, failures)


def case_resolution(binary, port, out, failures):
    ser_case(binary, port, out, ["--resolution", "376x240"], 20, 376, 240, 8, failures)


def remove_recordings(out):
    for old in glob.glob(out + "_*.SER"):
        os.remove(old)


def case_second_start(binary, port, out, failures):
    # The second start on the same server, with a new window: what the first
    # one left behind must not get in the way.
    ser_case(binary, port, out, [], 10, 752, 480, 8, failures)
    remove_recordings(out)
    ser_case(binary, port, out, ["--resolution", "376x240"], 20, 376, 240, 8, failures)


def case_stream_after_single(binary, port, out, failures):
    # Single exposures leave the camera's frame set to the window; the stream
    # that follows on the same server must still deliver.
    ser_case(binary, port, out, ["--ten-bit"], 5, 752, 480, 16, failures)
    remove_recordings(out)
    ser_case(binary, port, out, [], 20, 752, 480, 8, failures)
    check_left_clean(port, failures)


def case_fit(binary, port, out, failures):
    result, _ = record(binary, ["--indi", f"localhost:{port}", "--out", out, "--format", "fit",
                                "--frames", "5", "--exposure", "10"])
    if result.returncode != 0:
        failures.append(f"exit {result.returncode}: {result.stderr}")
        return
    files = sorted(glob.glob(out + "_*.FIT"))
    check(len(files) == 5, f"FITS files written: {files}", failures)
    try:
        from astropy.io import fits
    except ImportError:
        fits = None
    for path in files:
        if shutil.which("fitsverify"):
            verify = subprocess.run(["fitsverify", "-q", path], capture_output=True, text=True)
            check(verify.returncode == 0, f"fitsverify {path}: {verify.stdout}", failures)
        if fits:
            with fits.open(path) as hdus:
                check(hdus[0].data.shape == (480, 752), f"{path}: {hdus[0].data.shape}", failures)


def case_avi(binary, port, out, failures):
    result, _ = record(binary, ["--indi", f"localhost:{port}", "--out", out, "--format", "avi",
                                "--frames", "20", "--exposure", "10"])
    if result.returncode != 0:
        failures.append(f"exit {result.returncode}: {result.stderr}")
        return
    parts = glob.glob(out + "_*-PART1.AVI")
    check(len(parts) == 1, f"AVI parts: {parts}", failures)
    if parts and shutil.which("ffprobe"):
        probe = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_entries",
                                "stream=width,height,nb_read_frames", "-of", "csv=p=0", parts[0]],
                               capture_output=True, text=True)
        check(probe.stdout.strip() == "752,480,20", f"ffprobe: {probe.stdout}{probe.stderr}",
              failures)


def case_server_killed(binary, port, out, failures, server):
    program = subprocess.Popen([binary, "--indi", f"localhost:{port}", "--out", out, "--format",
                                "ser", "--frames", "0", "--exposure", "10"],
                               stderr=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    try:
        # Wait until frames are being stored, then take the server away.
        deadline = time.time() + 60
        seen = ""
        while time.time() < deadline:
            line = program.stderr.readline()
            if not line:
                break
            seen += line
            if "frames stored" in line and not line.startswith("0 "):
                break
        if "frames stored" not in seen:
            failures.append(f"the recording did not start: {seen}")
            return
        server.kill()
        killed = time.time()
        try:
            printed, complaints = program.communicate(timeout=30)
        except subprocess.TimeoutExpired:
            failures.append("the recording did not end within 30 s of the server's death")
            return
        print(f"ended {time.time() - killed:.1f} s after the server died, exit {program.returncode}")
        seen += printed + complaints
        check(program.returncode == 1, f"exit {program.returncode}", failures)
        check("camera stopped delivering frames" in seen, f"no stall message: {seen[-500:]}",
              failures)
        files = glob.glob(out + "_*.SER")
        check(len(files) == 1, f"SER files: {files}", failures)
        if files:
            _, _, _, pictures, _ = read_ser(files[0])  # asserts the file is well-formed
            check(len(pictures) > 0, "no frames in the file", failures)
    finally:
        if program.poll() is None:
            program.kill()
            program.wait()


def case_no_server(binary, out, failures):
    port = free_port()
    result, seconds = record(binary, ["--indi", f"localhost:{port}", "--out", out, "--frames",
                                      "5"], timeout=60)
    print(f"no server: exit {result.returncode} after {seconds:.1f} s")
    check(result.returncode == 1, f"exit {result.returncode}", failures)
    check(seconds < 15, f"took {seconds:.1f} s", failures)
    expected = f"Cannot reach the INDI server at localhost:{port}: Connection refused"
    check(expected in result.stderr, f"stderr: {result.stderr}", failures)


CASES = {
    "ser_stream": case_ser_stream,
    "ten_bit": case_ten_bit,
    "resolution": case_resolution,
    "second_start": case_second_start,
    "stream_after_single": case_stream_after_single,
    "fit": case_fit,
    "avi": case_avi,
}


def main():
    binary, case = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="orbicap-indi-rec-")
    out = os.path.join(work, "CAPTURE")
    failures = []
    try:
        if case == "no_server":
            case_no_server(binary, out, failures)
        else:
            if not indi_available():
                print("indiserver or indi_simulator_ccd is not installed")
                return 77
            # Without a telescope the simulated sky is black at these
            # exposures; noise gives every frame a picture of its own.
            with indiserver(settings=["CCD Simulator.SIMULATOR_SETTINGS.SIM_NOISE=3000"]) as server:
                if case == "server_killed":
                    case_server_killed(binary, server.port, out, failures, server)
                else:
                    CASES[case](binary, server.port, out, failures)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for failure in failures:
        print("FAILED:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
