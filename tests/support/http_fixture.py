#!/usr/bin/env python3
"""A local HTTP server for the download tests.

Listens on 127.0.0.1 at an ephemeral port, prints the port on the first line of its
standard output and serves until its standard input closes (the test that started it
ends), or at most 10 minutes. Routes:
  /file       200, a 100,000-byte body with Content-Length
  /nolength   200, a 5,000-byte body without Content-Length (the connection closes)
  /empty      200, an empty body
  /missing    404 with a body
  /stall      200, Content-Length 1000, 10 bytes, then nothing for up to 30 s
  /short      200, Content-Length 1000, 500 bytes, then the connection closes
  /redirect   302 to /file
  /loop       302 to /loop
  /agent      200, the request's User-Agent as the body
"""
import http.server
import socketserver
import sys
import threading
import time

FILE_BODY = bytes((i * 7 + 3) % 256 for i in range(100000))
NOLENGTH_BODY = bytes((i * 13) % 251 for i in range(5000))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def send_body(self, status, body, length=None, close=False):
        self.send_response(status)
        if length is not None:
            self.send_header("Content-Length", str(length))
        if close:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        self.wfile.write(body)
        self.wfile.flush()

    def do_GET(self):
        path = self.path.split("?")[0]
        if path == "/file":
            self.send_body(200, FILE_BODY, len(FILE_BODY))
        elif path == "/nolength":
            self.send_body(200, NOLENGTH_BODY, None, close=True)
        elif path == "/empty":
            self.send_body(200, b"", 0)
        elif path == "/missing":
            self.send_body(404, b"not here", 8)
        elif path == "/stall":
            self.send_body(200, b"0123456789", 1000)
            deadline = time.time() + 30
            while time.time() < deadline and not stopping.is_set():
                time.sleep(0.05)
            self.close_connection = True
        elif path == "/short":
            self.send_body(200, b"x" * 500, 1000, close=True)
        elif path == "/redirect":
            self.send_response(302)
            self.send_header("Location", "/file")
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif path == "/loop":
            self.send_response(302)
            self.send_header("Location", "/loop")
            self.send_header("Content-Length", "0")
            self.end_headers()
        elif path == "/agent":
            agent = (self.headers.get("User-Agent") or "").encode("latin-1")
            self.send_body(200, agent, len(agent))
        else:
            self.send_body(404, b"", 0)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


stopping = threading.Event()


def main():
    server = Server(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(server.server_address[1], flush=True)
    reader = threading.Thread(target=sys.stdin.read, daemon=True)
    reader.start()
    reader.join(600)
    stopping.set()
    server.shutdown()


if __name__ == "__main__":
    main()
