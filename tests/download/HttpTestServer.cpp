#include "download/HttpTestServer.h"

#include <charconv>
#include <chrono>
#include <sstream>
#include <thread>

#include "support/TempFolder.h"

namespace quelt::test {
namespace {

using namespace std::chrono_literals;

constexpr size_t kPatternPeriod = 251;  // prime, so that a shifted or repeated block shows

constexpr char kScript[] = R"(import http.server, os, sys, threading, time

PERIOD = 251
PATTERN = bytes(i % PERIOD for i in range(PERIOD * 4096))


def say(text):
    sys.stderr.write(text + '\n')
    sys.stderr.flush()


def pieces(size, piece=len(PATTERN) - PERIOD):
    sent = 0
    while sent < size:
        count = min(piece, size - sent)
        start = sent % PERIOD
        yield PATTERN[start:start + count]
        sent += count


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def do_GET(self):
        say('REQ %d %s' % ('Via' in self.headers, self.path))
        parts = self.path.split('/')
        serve = getattr(self, 'serve_' + parts[1], None) if len(parts) == 3 and parts[2].isdigit() else None
        try:
            if serve is None:
                self.head(404, 8)
                self.wfile.write(b'not here')
            else:
                serve(int(parts[2]))
        except (BrokenPipeError, ConnectionResetError):
            self.close_connection = True

    def head(self, status, length=None, headers=()):
        self.send_response(status)
        if length is not None:
            self.send_header('Content-Length', str(length))
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()

    def serve_file(self, size):
        self.head(200, size)
        for piece in pieces(size):
            self.wfile.write(piece)

    def serve_chunked(self, size, end=True):
        self.head(200, None, [('Transfer-Encoding', 'chunked')])
        for piece in pieces(size, 3000):
            self.wfile.write(b'%x\r\n' % len(piece) + piece + b'\r\n')
        if end:
            self.wfile.write(b'0\r\n\r\n')
        else:
            self.close_connection = True

    def serve_chunkcut(self, size):
        self.serve_chunked(size, False)

    def serve_proxied(self, size):
        if 'Via' in self.headers:
            self.serve_file(size)
        else:
            self.head(404, 0)

    def serve_redirect(self, size):
        self.head(302, 0, [('Location', '/file/%d' % size)])

    def serve_slow(self, size):
        self.head(200, size)
        for piece in pieces(size, 1000):
            self.wfile.write(piece)
            time.sleep(0.05)

    def serve_silent(self, size):
        if size:
            self.head(200, size)
        time.sleep(3600)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    request_queue_size = 64


def outlive_no_test(parent=os.getppid()):
    # A test that crashed cannot stop its server; nothing else would.
    while os.getppid() == parent:
        time.sleep(0.5)
    os._exit(0)


server = Server(('127.0.0.1', 0), Handler)
threading.Thread(target=outlive_no_test, daemon=True).start()
say('PORT %d' % server.server_address[1])
server.serve_forever()
)";

}  // namespace

std::unique_ptr<HttpTestServer> HttpTestServer::Start(const std::filesystem::path& folder, std::string& error) {
  const std::filesystem::path python = "/usr/bin/python3";
  if (!std::filesystem::exists(python)) {
    error = python.string() + " is missing: run tools/install-deps.sh";
    return nullptr;
  }
  const auto script = folder / "http_test_server.py";
  WriteFile(script, kScript);
  auto server = std::unique_ptr<HttpTestServer>(new HttpTestServer());
  server->process_ = ChildProcess::Start(python, {{"PYTHONDONTWRITEBYTECODE", "1"}}, {script.string()});
  if (!server->process_) {
    error = "cannot start " + python.string();
    return nullptr;
  }
  for (const auto deadline = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(10ms)) {
    const std::string output = server->process_->Stderr();
    const size_t at = output.find("PORT ");
    const size_t end = output.find('\n', at);
    if (at != std::string::npos && end != std::string::npos) {
      const auto [next, failure] = std::from_chars(output.data() + at + 5, output.data() + end, server->port_);
      if (failure != std::errc() || server->port_ == 0) break;
      return server;
    }
    if (server->process_->WaitForExit(0ms)) break;
  }
  error = "the test HTTP server did not come up:\n" + server->process_->Stderr();
  return nullptr;
}

std::string HttpTestServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<HttpTestServer::Request> HttpTestServer::Requests() const {
  std::vector<Request> requests;
  std::istringstream lines(process_->Stderr());
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("REQ ") && line.size() > 6) requests.push_back({line.substr(6), line[4] == '1'});
  }
  return requests;
}

std::vector<HttpTestServer::Request> HttpTestServer::Requests(size_t count) const {
  for (const auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;
       std::this_thread::sleep_for(5ms)) {
    if (Requests().size() >= count) break;
  }
  return Requests();
}

std::string HttpTestBody(size_t size) {
  std::string body(size, '\0');
  for (size_t i = 0; i < size; ++i) body[i] = static_cast<char>(i % kPatternPeriod);
  return body;
}

}  // namespace quelt::test
