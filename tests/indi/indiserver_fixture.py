"""An indiserver of our own for one test: a free loopback port, the CCD
simulator, a home folder of its own (so no saved configuration leaks in), and
a stop that takes the server and its driver processes down on every path."""
import contextlib
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def port_accepts(port):
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.settimeout(0.5)
        return s.connect_ex(("127.0.0.1", port)) == 0


def indi_available():
    return shutil.which("indiserver") and shutil.which("indi_simulator_ccd")


class Server:
    def __init__(self, port, process, home):
        self.port = port
        self.process = process
        self.home = home

    def kill(self):
        """Ends the server and every driver it started, at once."""
        if self.process.poll() is None:
            with contextlib.suppress(ProcessLookupError):
                os.killpg(self.process.pid, signal.SIGKILL)
            self.process.wait()


@contextlib.contextmanager
def indiserver(drivers=("indi_simulator_ccd",), settings=(), startup_timeout=20):
    """settings: "DEVICE.PROPERTY.ELEMENT=VALUE" texts set before the test runs."""
    home = tempfile.mkdtemp(prefix="orbicap-indi-")
    server = None
    try:
        for _ in range(5):
            port = free_port()
            process = subprocess.Popen(
                # Each server has a local socket of its own; the default one is
                # shared by every indiserver on the machine and refuses a second.
                ["indiserver", "-p", str(port), "-u", os.path.join(home, "indiserver.sock")]
                + list(drivers),
                env=dict(os.environ, HOME=home), cwd=home, start_new_session=True,
                stdout=subprocess.DEVNULL, stderr=open(os.path.join(home, "server.log"), "w"))
            server = Server(port, process, home)
            deadline = time.time() + startup_timeout
            while time.time() < deadline and process.poll() is None and not port_accepts(port):
                time.sleep(0.1)
            if process.poll() is None and port_accepts(port):
                break
            server.kill()  # someone took the port in between: try another
            server = None
        if server is None:
            raise RuntimeError("indiserver did not start")
        for setting in settings:
            subprocess.run(["indi_setprop", "-p", str(server.port), "-t", "10", setting],
                           check=True, timeout=30)
        yield server
    finally:
        if server is not None:
            server.kill()
        shutil.rmtree(home, ignore_errors=True)
