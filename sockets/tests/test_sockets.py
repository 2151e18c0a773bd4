"""End-to-end tests of sockets: two instances (server and client) over TCP and over UDP, and
one instance against a peer written here, their whole output compared line by line.

Port 50001 is fixed in the program, so this runs inside a private network namespace (see
CMakeLists.txt), where the port is free. Usage: test_sockets.py <sockets> <case>
"""
import socket
import subprocess
import sys
import threading
import time

PROGRAM, CASE = sys.argv[1], sys.argv[2]
PORT = 50001

QUESTIONS = "Do you want to use TCP (t) or UDP (u)? Do you want to be a server (s) or a client (c)? "
ADDRESS = "Type the address or name of the server to connect to: "
EXIT = "Press enter to exit...\n"
TCP_LISTENING = "Server is listening to port 50001, waiting for connections... \n"
UDP_LISTENING = "Server is listening to port 50001, waiting for a message... \n"

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def compare(name, actual, expected):
    if actual == expected:
        return
    got, want = actual.split("\n"), expected.split("\n")
    for number, (a, b) in enumerate(zip(got, want), 1):
        if a != b:
            failures.append(f"{name}: line {number} is {a!r}, expected {b!r}")
            return
    failures.append(f"{name}: {len(got)} lines, expected {len(want)}: {got!r}")


class Run:
    def __init__(self, stdin_text, close_stdin=False):
        self.process = subprocess.Popen([PROGRAM], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.output = b""
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()
        self.write(stdin_text)
        if close_stdin:
            self.process.stdin.close()

    def _read(self):
        while chunk := self.process.stdout.read1(65536):
            self.output += chunk

    def write(self, text):
        self.process.stdin.write(text.encode())
        self.process.stdin.flush()

    def wait_for_output(self, text, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if text.encode() in self.output:
                return True
            time.sleep(0.02)
        return False

    def finish(self, timeout=20):
        if not self.process.stdin.closed:
            try:
                self.process.stdin.close()
            except BrokenPipeError:
                pass
        try:
            status = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
            status = "hung"
        self.reader.join(5)
        return status, self.output.decode(errors="replace")


def waits_for_enter(name, run):
    """After the exit prompt the program must wait for Enter, and end with status 0 after it."""
    check(run.wait_for_output(EXIT), f"{name}: no exit prompt")
    time.sleep(0.3)
    check(run.process.poll() is None, f"{name}: did not wait for Enter")
    run.write("\n")
    status, output = run.finish()
    check(status == 0, f"{name}: exit status {status}")
    return output


def tcp():
    # "ts" on one line answers both questions.
    server = Run("ts\n")
    check(server.wait_for_output(TCP_LISTENING), "tcp: the server does not listen")
    client = Run("t\nc\n127.0.0.1\n")
    client_output = waits_for_enter("tcp client", client)
    server_output = waits_for_enter("tcp server", server)
    compare("tcp server", server_output,
            QUESTIONS + TCP_LISTENING + "Client connected: 127.0.0.1\n"
            + 'Message sent to the client: "Hi, I\'m the server"\n'
            + 'Answer received from the client: "Hi, I\'m a client"\n' + EXIT)
    compare("tcp client", client_output,
            QUESTIONS + ADDRESS + "Connected to server 127.0.0.1\n"
            + 'Message received from the server: "Hi, I\'m the server"\n'
            + 'Message sent to the server: "Hi, I\'m a client"\n' + EXIT)


def udp():
    server = Run("u\ns\n")
    check(server.wait_for_output(UDP_LISTENING), "udp: the server does not listen")
    # Any answer but t is UDP and any answer but s a client; unresolvable addresses are asked again.
    client = Run("x\nq\n1.2.3\n256.0.0.1\nlocalhost\n")
    client_output = waits_for_enter("udp client", client)
    server_output = waits_for_enter("udp server", server)
    compare("udp server", server_output,
            QUESTIONS + UDP_LISTENING + 'Message received from client 127.0.0.1: "Hi, I\'m a client"\n'
            + 'Message sent to the client: "Hi, I\'m the server"\n' + EXIT)
    compare("udp client", client_output,
            QUESTIONS + ADDRESS * 3 + 'Message sent to the server: "Hi, I\'m a client"\n'
            + 'Message received from 127.0.0.1: "Hi, I\'m the server"\n' + EXIT)


def tcp_peer_texts():
    """What a TCP peer sends is shown quoted and escaped, cut at a zero byte or at 128 bytes."""
    cases = [
        (b'He said "hi" \\ bye', '"He said \\"hi\\" \\\\ bye"'),
        (b"abc\0def", '"abc"'),
        (b"A" * 200, '"' + "A" * 128 + '"'),
    ]
    for sent, shown in cases:
        listener = socket.create_server(("127.0.0.1", PORT))
        received = []

        def serve():
            connection, _ = listener.accept()
            with connection:
                connection.sendall(sent)
                received.append(connection.recv(1024))

        thread = threading.Thread(target=serve)
        thread.start()
        client = Run("t c 127.0.0.1\n")
        output = waits_for_enter("tcp peer text", client)
        thread.join(10)
        listener.close()
        compare(f"tcp peer text {sent[:20]!r}", output,
                QUESTIONS + ADDRESS + "Connected to server 127.0.0.1\n"
                + f"Message received from the server: {shown}\n"
                + 'Message sent to the server: "Hi, I\'m a client"\n' + EXIT)
        check(received == [b"Hi, I'm a client"], f"tcp peer text: the peer received {received!r}")


def udp_peer_texts():
    """The UDP server answers to the datagram's source and shows what came, escaped."""
    server = Run("u\ns\n")
    check(server.wait_for_output(UDP_LISTENING), "udp peer: the server does not listen")
    peer = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    peer.settimeout(10)
    peer.sendto(b'"quoted"\\', ("127.0.0.1", PORT))
    answer, source = peer.recvfrom(1024)
    peer.close()
    check(answer == b"Hi, I'm the server", f"udp peer: answer {answer!r}")
    check(source == ("127.0.0.1", PORT), f"udp peer: answer from {source!r}")
    output = waits_for_enter("udp peer", server)
    compare("udp peer", output,
            QUESTIONS + UDP_LISTENING + 'Message received from client 127.0.0.1: "\\"quoted\\"\\\\"\n'
            + 'Message sent to the client: "Hi, I\'m the server"\n' + EXIT)


def no_server():
    """A TCP client with no server ends its routine silently; only the exit prompt follows."""
    client = Run("t\nc\n127.0.0.1\n")
    output = waits_for_enter("no server", client)
    compare("no server", output, QUESTIONS + ADDRESS + EXIT)


def input_ends():
    """Standard input ending at any question ends the program with status 0."""
    cases = [
        ("", QUESTIONS + ADDRESS + EXIT),
        ("t\n", QUESTIONS + ADDRESS + EXIT),
        ("t\nc\n", QUESTIONS + ADDRESS + EXIT),
        ("u\nc\nnot-an-address\n", QUESTIONS + ADDRESS * 2 + EXIT),
    ]
    for text, expected in cases:
        status, output = Run(text, close_stdin=True).finish()
        compare(f"input ends after {text!r}", output, expected)
        check(status == 0, f"input ends after {text!r}: exit status {status}")


CASES = {"tcp": tcp, "udp": udp, "tcp_peer_texts": tcp_peer_texts, "udp_peer_texts": udp_peer_texts,
         "no_server": no_server, "input_ends": input_ends}

CASES[CASE]()
for failure in failures:
    print("FAIL:", failure)
sys.exit(1 if failures else 0)
