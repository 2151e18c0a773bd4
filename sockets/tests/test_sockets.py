"""End-to-end tests of sockets: two instances (server and client) over TCP and over UDP, and
one instance against a peer written here, their whole output compared line by line.

Port 50001 is fixed in the program, so this runs inside a private network namespace (see
CMakeLists.txt), where the port is free. Usage: test_sockets.py <sockets> <case>
"""
import re
import socket
import sys
import threading

import mivra_console as console

PROGRAM, CASE = sys.argv[1], sys.argv[2]
PORT = 50001

QUESTIONS = "Do you want to use TCP (t) or UDP (u)? Do you want to be a server (s) or a client (c)? "
ADDRESS = "Type the address or name of the server to connect to: "
EXIT = "Press enter to exit...\n"
TCP_LISTENING = "Server is listening to port 50001, waiting for connections... \n"
UDP_LISTENING = "Server is listening to port 50001, waiting for a message... \n"

check, compare = console.check, console.compare


def Run(stdin_text, close_stdin=False, stderr_lines=()):
    return console.Run([PROGRAM], stdin_text, close_stdin, stderr_lines=stderr_lines)


def finish(run):
    run.close_input()
    return run.finish(20)


def waits_for_enter(name, run):
    """After the exit prompt the program must wait for Enter, and end with status 0 after it."""
    check(run.wait_for_output(EXIT), f"{name}: no exit prompt")
    check(console.waits_for_input(run.process), f"{name}: did not wait for Enter (no read of its input)")
    run.write("\n")
    status, output = finish(run)
    check(status == 0, f"{name}: exit status {status}")
    return output


def converse(name, server_input, listening, client_input):
    """A server and then a client started with the given answers; both outputs once they end."""
    server = Run(server_input)
    check(server.wait_for_output(listening), f"{name}: the server does not listen")
    client = Run(client_input)
    client_output = waits_for_enter(f"{name} client", client)
    server_output = waits_for_enter(f"{name} server", server)
    return server_output, client_output


def tcp():
    # "ts" on one line answers both questions.
    server_output, client_output = converse("tcp", "ts\n", TCP_LISTENING, "t\nc\n127.0.0.1\n")
    compare("tcp server", server_output,
            QUESTIONS + TCP_LISTENING + "Client connected: 127.0.0.1\n"
            + 'Message sent to the client: "Hi, I\'m the server"\n'
            + 'Answer received from the client: "Hi, I\'m a client"\n' + EXIT)
    compare("tcp client", client_output,
            QUESTIONS + ADDRESS + "Connected to server 127.0.0.1\n"
            + 'Message received from the server: "Hi, I\'m the server"\n'
            + 'Message sent to the server: "Hi, I\'m a client"\n' + EXIT)


def udp():
    # Any answer but t is UDP and any answer but s a client; unresolvable addresses are asked again.
    server_output, client_output = converse("udp", "u\ns\n", UDP_LISTENING, "x\nq\n1.2.3\n256.0.0.1\nlocalhost\n")
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
    client = Run("t\nc\n127.0.0.1\n", stderr_lines=[re.compile(r"mivra: cannot connect to 127\.0\.0\.1:50001: .*")])
    output = waits_for_enter("no server", client)
    compare("no server", output, QUESTIONS + ADDRESS + EXIT)


def port_in_use():
    """A server whose port is taken says so in one line and ends its routine; the exit prompt follows."""
    for kind, answers, failed in ((socket.SOCK_STREAM, "t\ns\n", "cannot listen on"),
                                  (socket.SOCK_DGRAM, "u\ns\n", "cannot bind a UDP socket to")):
        with socket.socket(socket.AF_INET, kind) as blocker:
            blocker.bind(("0.0.0.0", PORT))
            if kind == socket.SOCK_STREAM:
                blocker.listen(1)
            name = f"port in use ({answers[0]})"
            server = Run(answers, stderr_lines=[f"mivra: {failed} 0.0.0.0:50001: Address already in use"])
            compare(name, waits_for_enter(name, server), QUESTIONS + EXIT)


def input_ends():
    """Standard input ending at any question ends the program with status 0."""
    cases = [
        ("", QUESTIONS + ADDRESS + EXIT),
        ("t\n", QUESTIONS + ADDRESS + EXIT),
        ("t\nc\n", QUESTIONS + ADDRESS + EXIT),
        ("u\nc\nnot-an-address\n", QUESTIONS + ADDRESS * 2 + EXIT),
    ]
    for text, expected in cases:
        status, output = finish(Run(text, close_stdin=True))
        compare(f"input ends after {text!r}", output, expected)
        check(status == 0, f"input ends after {text!r}: exit status {status}")


CASES = {"tcp": tcp, "udp": udp, "tcp_peer_texts": tcp_peer_texts, "udp_peer_texts": udp_peer_texts,
         "no_server": no_server, "port_in_use": port_in_use, "input_ends": input_ends}

CASES[CASE]()
console.report()
