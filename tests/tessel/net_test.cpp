// Tests of the TCP and HTTP streams against real peers on the loopback address.
//
// The TCP and HTTP streams against real peers on the loopback address only: TCP
// peers run in a thread of the test, Python's http.server serves files.
#include <tessel/inHttp.h>
#include <tessel/inOutNet.h>

#include <platform/nl.h>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>

#include "support/tempdir.h"

namespace {

long openFds() {
  using It = std::filesystem::directory_iterator;
  return std::distance(It("/proc/self/fd"), It());
}

std::string randomBytes(std::size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (char& c : s) c = char(rng());
  return s;
}

void sendAll(int fd, const std::string& bytes) {
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t n = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (n <= 0) return;
    at += std::size_t(n);
  }
}

// Listens on 127.0.0.1 at a port the system picks and serves one connection in
// a thread with `serve`.
struct Peer {
  explicit Peer(std::function<void(int)> serve) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&a), &len) != 0)
      throw "test: can not listen on the loopback address";
    port = ntohs(a.sin_port);
    worker = std::thread([this, serve] {
      if (const int fd = accept(listener, nullptr, nullptr); fd >= 0) serve(fd), close(fd);
    });
  }
  ~Peer() {
    shutdown(listener, SHUT_RDWR);  // wakes an accept that never got its client
    worker.join();
    close(listener);
  }
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unsigned short port = 0;
  std::thread worker;
};

void echo(int fd) {
  char block[4096];
  for (ssize_t n; (n = recv(fd, block, sizeof block, 0)) > 0;) sendAll(fd, std::string(block, std::size_t(n)));
}

// Reads a request up to its blank line into *request, answers with response, closes.
std::function<void(int)> answer(std::string response, std::string* request) {
  return [response, request](int fd) {
    char c;
    while (request->find("\r\n\r\n") == std::string::npos && recv(fd, &c, 1, 0) == 1) *request += c;
    sendAll(fd, response);
  };
}

std::string readToEnd(In& in) {
  std::string all;
  char block[1000];
  while (!in.end()) all.append(block, in.read(block, sizeof block));
  return all;
}

}  // namespace

TEST(InOutNet, EchoesLinesAndBytesBufferedOrNot) {
  const std::string payload = randomBytes(100000, 1);
  for (bool buffered : {true, false}) {
    Peer peer(echo);
    InOutNet net("127.0.0.1", peer.port, buffered);
    net << "first line\n";
    EXPECT_EQ(net.getLine(), "first line");
    net.write(payload.data(), unsigned(payload.size()));
    std::string back(payload.size(), '\0');
    for (std::size_t at = 0; at < back.size();) at += net.read(&back[at], unsigned(back.size() - at));
    EXPECT_TRUE(back == payload) << (buffered ? "buffered" : "unbuffered");  // no dump of 100 kB
  }
}

TEST(InOutNet, PeerClosingEndsTheStream) {
  Peer peer([](int fd) { sendAll(fd, "bye"); });
  InOutNet net("127.0.0.1", peer.port, true);
  EXPECT_EQ(readToEnd(net), "bye");
  EXPECT_EQ(thrownMessage([&] { net.getc(); }), "error: read from closed stream");
}

// A write to a peer that has gone is reported; it must not raise SIGPIPE, which
// would end the whole process.
TEST(InOutNet, WritingToAPeerThatHasGoneThrows) {
  Peer peer([](int) {});
  InOutNet net("127.0.0.1", peer.port, true);
  const std::string block(65536, 'x');
  auto write = [&] { net.write(block.data(), 65536); };
  std::string message;
  for (int i = 0; i < 100 && message.empty(); ++i) {
    message = thrownMessage(write);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(message, "can not send requirest to server");
  EXPECT_EQ(thrownMessage(write), "can not send requirest to server");  // now a broken pipe
}

TEST(InOutNet, RefusedAndBadTargetsThrowAndLeaveNoSocketOpen) {
  unsigned short port;
  {
    Peer gone([](int) {});
    port = gone.port;
  }
  const std::string longHost(256, 'a');
  const long before = openFds();
  EXPECT_EQ(thrownMessage([&] { InOutNet("127.0.0.1", port, true); }), "can not connect");
  EXPECT_EQ(thrownMessage([&] { InHttp(("http://127.0.0.1:" + std::to_string(port) + "/").c_str()); }),
            "can not connect");
  EXPECT_EQ(thrownMessage([&] { InOutNet(longHost.c_str(), port, true); }), "host name too long");
  EXPECT_EQ(thrownMessage([&] { InHttp(("http://" + longHost + "/x").c_str()); }), "host name too long");
  // Not host names at all: refused before any resolver is asked.
  EXPECT_EQ(thrownMessage([&] { InOutNet("no such host!", port, true); }), "can not resolve host");
  EXPECT_EQ(thrownMessage([&] { InHttp("http://a..b/"); }), "can not resolve host");
  EXPECT_EQ(thrownMessage([&] { InHttp("http://127.0.0.1:99999/"); }), "can not resolve host");
  EXPECT_EQ(thrownMessage([&] { InOutNet("127.0.0.1", 70000, true); }), "InOutNet: port out of range");
  EXPECT_EQ(thrownMessage([&] { InHttp(("127.0.0.1/" + std::string(4100, 'p')).c_str()); }),
            "InHttp: request too long");
  {
    Peer endless([](int fd) {  // header lines for as long as the client listens
      const std::string line = "X-Filler: 0123456789\r\n";
      while (send(fd, line.data(), line.size(), MSG_NOSIGNAL) > 0) {
      }
    });
    EXPECT_EQ(thrownMessage([&] { InHttp(("127.0.0.1:" + std::to_string(endless.port)).c_str()); }),
              "InHttp: response header too long");
  }
  EXPECT_EQ(openFds(), before);
}

TEST(InOutNet, SilentPeerEndsTheStreamAfterTheTimeout) {
  const unsigned saved = nlGetTimeout();
  nlSetTimeout(300);
  for (bool http : {false, true}) {
    std::atomic<bool> done{false};
    Peer peer([&done](int) {
      while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    if (http)  // the header never comes
      EXPECT_TRUE(InHttp(("127.0.0.1:" + std::to_string(peer.port)).c_str()).end());
    else
      EXPECT_TRUE(InOutNet("127.0.0.1", peer.port, true).end());
    done = true;
  }
  nlSetTimeout(saved);
}

// The request goes out byte for byte as formatted (a bare line feed after the
// host); the body starts right after the header's blank line, blank lines of its
// own included.
TEST(InHttp, SendsTheRequestAndSkipsTheHeader) {
  const std::string body = "\r\n\r\nbody\r\n\r\n" + randomBytes(5000, 2);
  for (std::string prefix : {"http://", ""}) {
    std::string request;
    Peer peer(answer("HTTP/1.0 200 OK\r\nContent-Type: x\r\n\r\n" + body, &request));
    const std::string host = "127.0.0.1:" + std::to_string(peer.port);
    const std::string address = prefix + host + "/doc/a.txt?q=1";
    InHttp http(address.c_str());
    EXPECT_TRUE(readToEnd(http) == body);
    EXPECT_EQ(request, "GET " + address + " HTTP/1.0\r\nHost:" + host + "\nAccept: */*\r\nUser-Agent: C++\r\n\r\n");
  }
}

class PythonHttp : public TempDirTest {};

TEST_F(PythonHttp, ServesTheFileByteForByte) {
  // The server reports its port, serves two requests (or waits 20 s) and exits.
  FILE* server = popen(("exec python3 -c '"
                        "import functools, http.server, sys\n"
                        "h = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])\n"
                        "s = http.server.HTTPServer((\"127.0.0.1\", 0), h)\n"
                        "s.timeout = 20\n"
                        "print(s.server_address[1], flush=True)\n"
                        "for _ in range(2): s.handle_request()\n"
                        "' " +
                        dir.string() + " 2>/dev/null")
                           .c_str(),
                       "r");
  ASSERT_NE(server, nullptr);
  char line[16] = {};
  ASSERT_NE(fgets(line, sizeof line, server), nullptr) << "http.server did not start";
  const std::string host = "127.0.0.1:" + std::to_string(std::atoi(line));

  // http.server maps a request target written in full onto folders named after its parts.
  const std::string content = randomBytes(300000, 3) + "\r\n\r\n";
  for (std::filesystem::path folder : {dir / "http:" / host, dir / host}) {
    std::filesystem::create_directories(folder);
    writeFile((folder / "file.bin").string(), content);
  }
  for (std::string address : {"http://" + host + "/file.bin", host + "/file.bin"}) {
    InHttp http(address.c_str());
    const std::string got = readToEnd(http);
    EXPECT_TRUE(got == content) << address << ": " << got.size() << " bytes";
  }
  pclose(server);
}
