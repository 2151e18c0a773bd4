"""voice_chat through SDL's disk audio driver, inside a private network namespace (port 2435 is
fixed): a client and a server as two processes, and each role against a scripted peer.

usage: test_voice_chat.py <voice_chat binary> stream|client_packets|server_gone|stalled_server|malformed|no_server|port_in_use
"""
import os
import re
import socket
import struct
import sys
import tempfile
import time

import mivra_console as console

program, case = sys.argv[1], sys.argv[2]
PORT = 2435
check, nonzero_samples = console.check, console.nonzero_samples


class Program(console.Run):
    """A voice_chat process on SDL's disk audio driver, capturing the given samples."""

    def __init__(self, tmp, name, input_samples=(), delay="2", stderr_lines=(), stderr_tolerated=()):
        self.out_file = os.path.join(tmp, name + "-out.raw")
        in_file = os.path.join(tmp, name + "-in.raw")
        with open(in_file, "wb") as f:
            f.write(struct.pack("<%dh" % len(input_samples), *input_samples))
        super().__init__([program], cwd=tmp, env=console.disk_audio(self.out_file, in_file, delay),
                         stderr_lines=stderr_lines, stderr_tolerated=stderr_tolerated)

    wait_for = console.Run.wait_for_output
    send = console.Run.write

    def finish(self, timeout=60):
        self.close_input()
        status, _ = super().finish(timeout)
        self.stderr = self.errors.decode()
        return status

    def output_samples(self):
        with open(self.out_file, "rb") as f:
            raw = f.read()
        return struct.unpack("<%dh" % (len(raw) // 2), raw[:len(raw) // 2 * 2])


def wait_for_port():
    deadline = time.time() + 20
    while time.time() < deadline:
        probe = socket.socket()
        try:
            probe.connect(("127.0.0.1", PORT))
            return probe
        except OSError:
            time.sleep(0.02)
        finally:
            pass
    return None


def wait_until(condition, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return True
        time.sleep(0.02)
    return False


def sample_bytes(data):
    """Sample bytes in the whole packets at the start of data."""
    total = 0
    while len(data) >= 4:
        (size,) = struct.unpack(">I", data[:4])
        if len(data) < 4 + size:
            break
        total += max(size - 1, 0)
        data = data[4 + size:]
    return total


def send_queue(local_port):
    """Bytes queued for sending on this namespace's TCP socket bound to the local port (0 if none)."""
    with open("/proc/net/tcp") as table:
        for line in table.readlines()[1:]:
            fields = line.split()
            if int(fields[1].split(":")[1], 16) == local_port:
                return int(fields[4].split(":")[0], 16)
    return 0


def audible_left(samples):
    return [s for s in samples[0::2] if s != 0]


ROLE = "Do you want to be a server ('s') or a client ('c')? "
LISTENING = "Server is listening to port 2435, waiting for connections... \n"
REPLAY = "Press enter to replay the sound...\n"
EXIT = "Press enter to exit...\n"


def server_transcript(tail):
    return ROLE + LISTENING + "Client connected: 127.0.0.1\n" + tail + REPLAY + EXIT


def frame(payload):
    return struct.pack(">I", len(payload)) + payload


with tempfile.TemporaryDirectory() as tmp:
    if case == "stream":
        # The client captures a second of known samples; the server plays them as they come and
        # replays them: both times every sample, in order.
        samples = nonzero_samples(44100, 1)
        server = Program(tmp, "server", delay="5")
        server.send("s\n")
        check(server.wait_for(LISTENING), "server not listening: %r" % server.text)
        client = Program(tmp, "client", samples)
        client.send(" x127.0.0.1\n")  # any answer but s is the client; the rest of the word is the address
        check(client.wait_for("Press enter to start recording audio"), "client: %r" % client.text)
        client.send("\n")
        check(client.wait_for("Recording... press enter to stop"), "client: %r" % client.text)
        # Every captured sample has crossed once the server has played them all.
        check(wait_until(lambda: len(audible_left(server.output_samples())) >= len(samples)),
              "the server never played the whole input")
        client.send("\n")
        check(client.wait_for(EXIT), "client: %r" % client.text)
        client.send("\n")
        check(client.finish() == 0, "client exit status")
        check(client.text == ROLE + "Type address or name of the server to connect to: Press enter to start recording audio"
              "Connected to server 127.0.0.1\nRecording... press enter to stop" + EXIT, "client transcript %r" % client.text)

        check(server.wait_for(REPLAY), "server never offered the replay: %r" % server.text)
        first = audible_left(server.output_samples())
        server.send("\n")
        check(server.wait_for(EXIT), "server: %r" % server.text)
        server.send("\n")
        check(server.finish() == 0, "server exit status")
        check(server.text == server_transcript("Audio data has been 100% received!\n"),
              "server transcript %r" % server.text)
        check(first[:len(samples)] == samples and len(first) == len(samples),
              "the first playback is not the captured samples (%d audible)" % len(first))
        output = server.output_samples()
        check(output[0::2] == output[1::2], "the channels differ")
        check(audible_left(output) == samples + samples, "the replay is not the captured samples again")

    elif case == "client_packets":
        # A scripted server reads the real client's packets.
        samples = nonzero_samples(22050, 2)
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", PORT))
        listener.listen(1)
        client = Program(tmp, "client", samples)
        client.send("c\nno-such-host.invalid\n127.0.0.1\n\n")
        connection, _ = listener.accept()
        check(client.wait_for("Recording... press enter to stop"), "client: %r" % client.text)
        data = b""
        connection.settimeout(30)
        # Enter once the whole input has arrived.
        pressed = False
        while True:
            if not pressed and sample_bytes(data) >= 2 * len(samples):
                client.send("\n\n")
                pressed = True
            chunk = connection.recv(65536)
            if not chunk:
                break
            data += chunk
        check(pressed, "the connection closed before the input had arrived")
        packets = []
        while len(data) >= 4:
            (size,) = struct.unpack(">I", data[:4])
            packets.append(data[4:4 + size])
            data = data[4 + size:]
        check(data == b"", "trailing bytes after the last packet")
        check(len(packets) >= 3, "%d packets" % len(packets))
        check(packets and packets[-1] == b"\x02", "the last packet is not end-of-stream")
        audio = packets[:-1]
        check(all(p[0] == 1 and len(p) % 2 == 1 for p in audio), "a samples packet is malformed")
        received = b"".join(p[1:] for p in audio)
        expected = struct.pack("<%dh" % len(samples), *samples)
        check(received[:len(expected)] == expected, "the samples bytes differ from the captured ones")
        check(set(received[len(expected):]) <= {0}, "more than the input and silence was sent")
        check(client.finish() == 0, "client exit status")
        check(client.text.count("Type address or name of the server to connect to: ") == 2,
              "the address prompt was not shown again for a name that does not resolve: %r" % client.text)

    elif case == "server_gone":
        # The server goes away during the recording: the client's capture ends on the failed send,
        # the end-of-stream packet cannot go out, and the client still ends normally.
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", PORT))
        listener.listen(1)
        client = Program(tmp, "client", nonzero_samples(44100, 6), delay="20",
                         stderr_lines=["Failed to send end-of-stream packet"])
        client.send("c\n127.0.0.1\n\n")
        connection, _ = listener.accept()
        connection.recv(1000)
        connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        connection.close()  # a reset: the client's next sends fail
        listener.close()
        check(client.wait_for("Recording... press enter to stop"), "client: %r" % client.text)
        # Whether the capture ended on a failed send already or ends now, nothing more goes out.
        client.send("\n\n")
        status = client.finish()
        check(status == 0, "exit status %d" % status)
        check(client.text.endswith("Recording... press enter to stop" + EXIT), "transcript %r" % client.text)

    elif case == "stalled_server":
        # A server that takes the connection and never reads it. Capturing faster than real time,
        # the client fills the kernel's buffers in seconds; then a send times out, the capture ends,
        # and Enter brings the exit prompt at once instead of never.
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", PORT))
        listener.listen(1)
        timed_out = "mivra: cannot send to the TCP peer 127.0.0.1:2435: timed out after 500 ms; connection closed"
        # Besides those two, only lines saying that captured audio was dropped while a send waited.
        client = Program(tmp, "client", nonzero_samples(44100, 7), delay="1",
                         stderr_lines=[timed_out, "Failed to send end-of-stream packet"],
                         stderr_tolerated=[re.compile(r"mivra: captured audio dropped: .*")])
        client.send("c\n127.0.0.1\n\n")
        connection, _ = listener.accept()
        check(client.wait_for("Recording... press enter to stop"), "client: %r" % client.text)
        # Stalled: the client's send queue, full behind the server's, has stopped growing.
        client_port = connection.getpeername()[1]
        last, since = -1, time.monotonic()
        deadline = since + 60
        while time.monotonic() < deadline:
            waiting = send_queue(client_port)
            if waiting != last:
                last, since = waiting, time.monotonic()
            elif waiting > 0 and time.monotonic() - since > 0.3:
                break
            time.sleep(0.02)
        check(last > 0, "nothing arrived")
        pressed = time.monotonic()
        client.send("\n")
        ended = client.wait_for(EXIT, timeout=20)
        took = time.monotonic() - pressed
        print("Enter to the exit prompt: %.2f s" % took)
        check(ended, "Enter did not end the recording: %r" % client.text)
        check(took < 2, "Enter took %.2f s to end the recording" % took)
        client.send("\n")
        status = client.finish()
        check(status == 0, "exit status %s" % status)
        check(client.text.endswith("Recording... press enter to stop" + EXIT), "transcript %r" % client.text)
        connection.close()
        listener.close()

    elif case == "malformed":
        good = nonzero_samples(3000, 3)
        good_bytes = struct.pack("<%dh" % len(good), *good)
        cases = [
            ("type 0", [b"\x01" + good_bytes, b"\x00"], True, True),
            ("type 3", [b"\x01" + good_bytes, b"\x03\x01\x02"], True, True),
            ("type 255", [b"\x01" + good_bytes, b"\xff"], True, True),
            ("empty packet", [b"\x01" + good_bytes, b""], True, True),
            ("odd length", [b"\x01" + good_bytes + b"\x7f", b"\x01", b"\x02"], False, True),
            ("over the cap", [b"\x01" + good_bytes, None], False, False),
            ("disconnect", [b"\x01" + good_bytes], False, False),
        ]
        for name, packets, invalid, complete in cases:
            refused = [re.compile(r"mivra: refused a packet of \d+ bytes from the TCP peer: .*")]
            server = Program(tmp, "server-" + name.replace(" ", "-"), delay="5",
                             stderr_lines=refused if name == "over the cap" else [])
            server.send("s\n")
            if not server.wait_for(LISTENING):
                check(False, "%s: server not listening" % name)
                server.process.kill()
                continue
            peer = wait_for_port()
            for payload in packets:
                if payload is None:
                    peer.sendall(struct.pack(">I", 0x7FFFFFF0) + b"\x01" * 64)
                else:
                    peer.sendall(frame(payload))
            # The server has read everything once it says how the data ended (silent cases: at once).
            if invalid:
                check(server.wait_for("Invalid packet received...\n"), "%s: %r" % (name, server.text))
            elif complete:
                check(server.wait_for("Audio data has been 100% received!\n"), "%s: %r" % (name, server.text))
            peer.close()
            ok = server.wait_for(REPLAY, timeout=30)
            check(ok, "%s: playback never ended: %r" % (name, server.text))
            server.send("\n\n")
            status = server.finish()
            check(status == 0, "%s: exit status %s" % (name, status))
            if invalid:
                tail = "Invalid packet received...\n"
            elif complete:
                tail = "Audio data has been 100% received!\n"
            else:
                tail = ""
            check(server.text == server_transcript(tail), "%s: transcript %r" % (name, server.text))
            audible = audible_left(server.output_samples())
            check(audible == good + good, "%s: played %d samples, expected the %d sent twice" %
                  (name, len(audible), len(good)))

    elif case == "no_server":
        client = Program(tmp, "client", nonzero_samples(1000, 4),
                         stderr_lines=[re.compile(r"mivra: cannot connect to 127\.0\.0\.1:2435: .*"),
                                       "Failed to start recorder"])
        # After the answer "client" the rest of the word, "lient", is the first (unresolvable) address.
        client.send("client 127.0.0.1\n\n\n")
        status = client.finish()
        check(status == 0, "exit status %d" % status)
        check(client.text == ROLE + "Type address or name of the server to connect to: " * 2 +
              "Press enter to start recording audio" + EXIT, "transcript %r" % client.text)
        # Standard input ending at the address prompt ends the client too.
        client = Program(tmp, "client2")
        client.send("c\n")
        status = client.finish()
        check(status == 0 and client.text.endswith(EXIT), "input ending: %d %r" % (status, client.text))

    elif case == "port_in_use":
        blocker = socket.socket()
        blocker.bind(("0.0.0.0", PORT))
        blocker.listen(1)
        server = Program(tmp, "server", stderr_lines=[re.compile(r"mivra: cannot listen on 0\.0\.0\.0:2435: .*")])
        server.send("s\n")
        check(server.wait_for(REPLAY, timeout=20), "no replay prompt: %r" % server.text)
        server.send("\n\n")
        status = server.finish()
        check(status == 0, "exit status %d" % status)
        check(server.text == ROLE + REPLAY + EXIT, "transcript %r" % server.text)

console.report()
