// Tests of the byte streams: in memory, files, TCP and HTTP against real peers on the loopback address.
#include <tessel/inHttp.h>
#include <tessel/inOutFile.h>
#include <tessel/inOutNet.h>

#include <platform/nl.h>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#define MSG_NOSIGNAL 0  // Winsock raises no signal
#define SOCK_CLOEXEC 0
static const bool winsock = [] {  // the peers' sockets are made before the streams start Winsock
  WSADATA data;
  return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}();
inline void closeSocket(int fd) { closesocket(fd); }
#else
#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>
inline void closeSocket(int fd) { close(fd); }
#endif

#include <atomic>
#include <csignal>
#include <cstring>
#include <thread>

#include "support/tempdir.h"

namespace {

struct MemIn : In {  // ends like a file: once a read came back short
  MemIn(std::string bytes, bool buffered) : In(buffered), bytes(std::move(bytes)) {}
  bool endOfStream() override { return shortRead; }
  unsigned readData(void* buffer, unsigned count) override {
    const unsigned n = unsigned(std::min<size_t>(count, bytes.size() - at));
    memcpy(buffer, bytes.data() + at, n);
    at += n;
    shortRead = n < count;
    reads.push_back(n);
    return n;
  }
  std::string bytes;
  size_t at = 0;
  bool shortRead = false;
  std::vector<unsigned> reads;
};

std::string readToEnd(In& in) {
  std::string all;
  char block[1000];
  while (!in.end()) all.append(block, in.read(block, sizeof block));
  return all;
}

void sendAll(int fd, const std::string& bytes) {
  for (ssize_t at = 0, n; at < ssize_t(bytes.size()); at += n)
    if ((n = send(fd, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL)) <= 0) return;
}

// Listens on 127.0.0.1 at a port the system picks and serves one connection in a thread.
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
    host = "127.0.0.1:" + std::to_string(port);
    worker = std::thread([this, serve] {
      if (const int fd = accept(listener, nullptr, nullptr); fd >= 0) serve(fd), closeSocket(fd);
    });
  }
  ~Peer() {
#ifdef _WIN32
    closesocket(listener);  // wakes an accept that never got its client; a shutdown does not there
    worker.join();
#else
    shutdown(listener, SHUT_RDWR);  // wakes an accept that never got its client
    worker.join();
    close(listener);
#endif
  }
  int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  unsigned short port = 0;
  std::string host;
  std::thread worker;
};

}  // namespace

// A word keeps the white space that ends it, a line its carriage return; an ended source gives nothing.
TEST(StreamsMem, RefillsWholeBlocksReadsWordsAndLinesAndEnds) {
  MemIn in(std::string(599, 'x') + 'y', true), text("ab cd\tef\r\ng", true), unbuffered("a", false);
  std::vector<char> got(1000);
  EXPECT_EQ(in.read(got.data(), 1000), 600u);
  EXPECT_EQ(got[599], 'y');
  EXPECT_EQ(in.reads, (std::vector<unsigned>{256, 256, 88}));
  EXPECT_TRUE(in.end());
  EXPECT_EQ(thrownMessage([&] { in.getc(); }), "error: read from closed stream");
  std::string a = ">", b;
  text >> a >> b;
  EXPECT_EQ(a + b, ">ab cd\t");
  EXPECT_EQ(text.getLine(), "ef\r");
  EXPECT_EQ(text.getLine(), "g");
  EXPECT_TRUE(text.end());
  EXPECT_EQ(unbuffered.getc(), 'a');
  EXPECT_EQ(thrownMessage([&] { unbuffered.getc(); }), "In read from closed source");
  EXPECT_EQ(thrownMessage([&] { unbuffered.read(got.data(), 4); }), "In read from closed source");
}

class Streams : public TempDirTest {};

// Values go as raw bytes; a file with nothing to read keeps its writing side usable.
TEST_F(Streams, FilesTakeRawValuesAndFailuresAreMessages) {
  InOutFile("values", "wb") << 1 << 2.5f << 'z' << "ab";
  EXPECT_EQ(readFile("values").substr(0, 4), std::string("\x01\x00\x00\x00", 4));
  InOutFile f("values", "rb");
  int i = 0;
  float x = 0;
  char c = 0;
  f >> i >> x >> c;
  EXPECT_TRUE(i == 1 && x == 2.5f && c == 'z' && f.getLine() == "ab");

  for (const char* unreadable : {"missing", "data"})
    EXPECT_EQ(thrownMessage([&] { InOutFile f(unreadable, "rb"); }), "can not open file");
  const char* bad[][2] = {{"", "rb"}, {nullptr, "rb"}, {"x", ""}};
  for (auto& c : bad) EXPECT_EQ(thrownMessage([&] { InOutFile f(c[0], c[1]); }), "InOutFile: empty file name or mode");
  writeFile("empty", "");
  EXPECT_TRUE(InOutFile("empty", "rb").end());
  {
    InOutFile w("w", "wb");
    EXPECT_TRUE(w.end());
    EXPECT_EQ(thrownMessage([&] { w.getc(); }), "error: read from closed stream");
    w << "still writable";
  }
  EXPECT_EQ(readFile("w"), "still writable");
#ifndef _WIN32  // Windows has no full device
  InOutFile full("/dev/full", "wb");
  EXPECT_EQ(thrownMessage([&] { full << std::string(1 << 16, 'x'); }), "write to out of stream\n");
#endif
}

// The payload's last byte goes alone, as a write of one byte is a case of its own.
TEST(InOutNet, EchoesLinesAndBytesAndEndsWhenThePeerCloses) {
  const std::string payload = randomBytes(100000, 1);
  for (bool buffered : {true, false}) {
    Peer peer([](int fd) {
      char block[4096];
      for (ssize_t n; (n = recv(fd, block, sizeof block, 0)) > 0;) sendAll(fd, std::string(block, size_t(n)));
    });
    InOutNet net("127.0.0.1", peer.port, buffered);
    net << "first line\n";
    EXPECT_EQ(net.getLine(), "first line");
    net.write(payload.data(), unsigned(payload.size() - 1));
    net.write(&payload.back(), 1);
    std::string back(payload.size(), '\0');
    for (size_t at = 0; at < back.size();) at += net.read(&back[at], unsigned(back.size() - at));
    EXPECT_TRUE(back == payload) << (buffered ? "buffered" : "unbuffered");  // no dump of 100 kB
  }
  Peer peer([](int fd) { sendAll(fd, "bye"); });
  InOutNet net("127.0.0.1", peer.port, true);
  EXPECT_EQ(readToEnd(net), "bye");
  EXPECT_EQ(thrownMessage([&] { net.getc(); }), "error: read from closed stream");
}

// A write to a peer that has gone throws, and must not raise SIGPIPE, which would end the process.
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
  EXPECT_EQ(message + "|" + thrownMessage(write),  // the second time a broken pipe
            "can not send requirest to server|can not send requirest to server");
}

// The last ones are not host names at all: refused before any resolver is asked.
TEST(InOutNet, RefusedAndBadTargetsThrowAndLeaveNoSocketOpen) {
  const std::string gone = Peer([](int) {}).host;  // nobody listens there any more
  const unsigned port = std::stoi(gone.substr(gone.find(':') + 1));
  const std::string longHost(256, 'a');
  const long before = openFds();
  const std::pair<std::function<void()>, const char*> cases[] = {
      {[&] { InOutNet("127.0.0.1", port, true); }, "can not connect"},
      {[&] { InHttp(("http://" + gone + "/").c_str()); }, "can not connect"},
      {[&] { InOutNet(longHost.c_str(), port, true); }, "host name too long"},
      {[&] { InHttp(("http://" + longHost + "/x").c_str()); }, "host name too long"},
      {[] { InOutNet("127.0.0.1", 70000, true); }, "InOutNet: port out of range"},
      {[] { InHttp(("127.0.0.1/" + std::string(4100, 'p')).c_str()); }, "InHttp: request too long"},
      {[] {
         Peer endless([](int fd) {  // header lines for as long as the client listens
           const std::string line = "X-Filler: 0123456789\r\n";
           while (send(fd, line.data(), line.size(), MSG_NOSIGNAL) > 0) {
           }
         });
         InHttp(endless.host.c_str());
       },
       "InHttp: response header too long"},
      {[&] { InOutNet("no such host!", port, true); }, "can not resolve host"},
      {[] { InHttp("http://a..b/"); }, "can not resolve host"},
      {[] { InHttp("http://127.0.0.1:99999/"); }, "can not resolve host"}};
  for (const auto& [body, message] : cases) EXPECT_EQ(thrownMessage(body), message);
  EXPECT_EQ(openFds(), before);
  NLaddress noPort;  // an address has no port until one is given
  noPort.host = 0x7F000001;
  noPort.valid = true;
  EXPECT_TRUE(!nlConnect(NL_INVALID, &noPort) && nlGetError() == NL_BAD_ADDR);
}

// A whole second: a timeout with no fraction of a second left over.
TEST(InOutNet, SilentPeerEndsTheStreamAfterTheTimeout) {
  const unsigned saved = nlGetTimeout();
  nlSetTimeout(1000);
  for (bool http : {false, true}) {
    std::atomic<bool> done{false};
    Peer peer([&done](int) {
      while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    });
    EXPECT_TRUE(http ? InHttp(peer.host.c_str()).end() : InOutNet("127.0.0.1", peer.port, true).end());
    done = true;
  }
  nlSetTimeout(saved);
}

// In a fresh process the HTTP stream sets the network up on its own.
TEST(InHttpDeathTest, SetsTheNetworkUp) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        const std::string gone = "http://" + Peer([](int) {}).host + "/";  // nobody listens there any more
        std::exit(thrownMessage([&] { InHttp(gone.c_str()); }) == "can not connect" ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

#ifndef _WIN32  // a Python server started through the shell
class PythonHttp : public TempDirTest {};

// http.server maps a target written in full onto folders named after its parts.
TEST_F(PythonHttp, ServesTheFileByteForByte) {
  FILE* server = popen(
      ("echo $$; exec python3 -u -m http.server --bind 127.0.0.1 -d " + dir.string() + " 0 2>/dev/null").c_str(), "r");
  int pid = 0, port = 0;
  ASSERT_EQ(fscanf(server, "%d Serving HTTP on 127.0.0.1 port %d", &pid, &port), 2) << "http.server did not start";
  const std::string host = "127.0.0.1:" + std::to_string(port), content = randomBytes(300000, 3) + "\r\n\r\n";
  for (std::filesystem::path folder : {dir / "http:" / host, dir / host}) {
    std::filesystem::create_directories(folder);
    writeFile((folder / "file.bin").string(), content);
  }
  for (std::string address : {"http://" + host + "/file.bin", host + "/file.bin"}) {
    InHttp http(address.c_str());
    const std::string got = readToEnd(http);
    EXPECT_TRUE(got == content) << address << ": " << got.size() << " bytes";
  }
  kill(pid, SIGTERM);
  pclose(server);
}
#endif
