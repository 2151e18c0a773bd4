"""Peak memory of voice_chat's server over a whole recording and its replay, against the size of
the recording: a client sends 3 and 12 minutes of audio as fast as TCP allows, the server plays it
(SDL's disk driver into /dev/null, as fast as it goes), replays it, and its peak resident size
(VmHWM) is read at the exit prompt. The cost of the recording is the difference from a run of a
few seconds. Goal: at most 1.2 x the recording.

usage: replay_memory.py <voice_chat binary>   (port 2435: run it in a private network namespace)
"""
import os
import socket
import struct
import subprocess
import sys
import threading
import time

program = sys.argv[1]
PORT = 2435
RATE = 44100
BATCH = 512


class Server:
    def __init__(self):
        env = dict(os.environ, SDL_AUDIODRIVER="disk", SDL_DISKAUDIOFILE="/dev/null", SDL_DISKAUDIODELAY="0")
        self.process = subprocess.Popen([program], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL, env=env)
        self.output = b""
        threading.Thread(target=self._read, daemon=True).start()
        self.write("s\n")

    def _read(self):
        while chunk := self.process.stdout.read1(65536):
            self.output += chunk

    def write(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def wait_for(self, text, timeout=600):
        deadline = time.monotonic() + timeout
        while text.encode() not in self.output:
            if time.monotonic() > deadline or self.process.poll() is not None:
                raise SystemExit("server: no %r in %r" % (text, self.output[-200:]))
            time.sleep(0.02)

    def peak_kib(self):
        with open("/proc/%d/status" % self.process.pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
        raise SystemExit("no VmHWM")


def run(minutes):
    server = Server()
    server.wait_for("waiting for connections")
    client = socket.create_connection(("127.0.0.1", PORT))
    batch = struct.pack("<%dh" % BATCH, *[1 + (i * 37) % 8000 for i in range(BATCH)])
    packet = struct.pack(">I", 1 + len(batch)) + b"\x01" + batch
    packets = int(minutes * 60 * RATE / BATCH)
    group = 256
    for _ in range(packets // group):
        client.sendall(packet * group)
    client.sendall(packet * (packets % group) + struct.pack(">I", 1) + b"\x02")
    server.wait_for("Press enter to replay the sound...")
    server.write("\n")
    server.wait_for("Press enter to exit...")
    peak = server.peak_kib()
    server.write("\n")
    server.process.wait(60)
    client.close()
    return peak, packets * BATCH * 2 / 1024


base, _ = run(0.05)
for minutes in (3, 12):
    peak, recording = run(minutes)
    extra = peak - base
    print("%2d min recording %7.1f MiB: peak resident %7.1f MiB, %7.1f MiB above a short run = %.2f x the recording"
          % (minutes, recording / 1024, peak / 1024, extra / 1024, extra / recording))
