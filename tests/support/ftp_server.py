#!/usr/bin/python3
"""A plain FTP server on 127.0.0.1 for the upload tests.

Prints "port N" once it listens, then "received PATH" for every file that
arrived whole and "login failed USER" for every refused login.
"""
import argparse
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def say(text):
    print(text, flush=True)


class Handler(FTPHandler):
    stor_delay = 0.0

    def ftp_STOR(self, file, mode="w"):
        # A slow server: every upload is taken only after the delay, and the
        # server goes on serving meanwhile.
        if self.stor_delay:
            self.ioloop.call_later(self.stor_delay, FTPHandler.ftp_STOR, self, file, mode)
            return None
        return FTPHandler.ftp_STOR(self, file, mode)

    def on_file_received(self, file):
        say("received " + file)

    def on_login_failed(self, username, password):
        say("login failed " + username)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--stor-delay", type=float, default=0, help="seconds before each upload")
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmw")
    Handler.authorizer = authorizer
    Handler.passive_ports = None
    Handler.auth_failed_timeout = 0.1  # a refused login answers at once
    Handler.stor_delay = args.stor_delay
    server = FTPServer(("127.0.0.1", args.port), Handler)
    say("port %d" % server.socket.getsockname()[1])
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    sys.exit(main())
