"""A pyftpdlib FTP server for the network tests.

Serves --root on 127.0.0.1 (port 0 picks a free one), for one user with full rights and for
anonymous users (read-only), prints "PORT <n>" on standard output once it listens, and exits when its
standard input closes (so it never outlives the test that started it).
"""
import argparse
import logging
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    args = parser.parse_args()

    logging.basicConfig(level=logging.CRITICAL)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    authorizer.add_anonymous(args.root)

    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "Mivra test server ready."
    server = FTPServer((args.address, args.port), handler)
    print("PORT", server.socket.getsockname()[1], flush=True)

    def watch_stdin():
        sys.stdin.buffer.read()
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
