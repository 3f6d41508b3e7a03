// Fuzz target: arbitrary bytes as an HTTP server's response.
//
// Arbitrary bytes as the response of a server: written into one end of a
// socket pair that is then closed, read through the HTTP stream on the other.
// The stream must deliver exactly the bytes after the first blank line
// ("\r\n\r\n", not counting the very first byte, which opens the status line),
// nothing when there is none, and then report its end; never a crash or a hang.
#include <tessel/inHttp.h>

#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The stream over a socket somebody else connected.
class Response : public InHttp {
public:
  explicit Response(NLsocket connected) : InHttp(connected) {}
};

std::string expectedBody(const std::string& response) {
  if (response.empty()) return "";
  const size_t end = response.find("\r\n\r\n", 1);
  return end == std::string::npos ? "" : response.substr(end + 4);
}

// Reads the body in pieces of varying size, picked from the input itself so
// that a crash replays the same way.
std::string readBody(In& in, const std::string& response) {
  std::string body;
  char piece[300];
  for (size_t k = 0; !in.end(); ++k) {
    const unsigned want = response.empty() ? 1u : 1u + static_cast<unsigned char>(response[k % response.size()]);
    const unsigned got = in.read(piece, want);
    if (got > want) std::abort();
    body.append(piece, got);
  }
  return body;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A pair's buffers hold some hundred kilobytes: more would block the writer.
  if (size > 65536) return 0;
  int ends[2];
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) std::abort();
  size_t written = 0;
  while (written < size) {
    const ssize_t sent = send(ends[1], data + written, size - written, MSG_NOSIGNAL);
    if (sent <= 0) std::abort();
    written += size_t(sent);
  }
  close(ends[1]);  // the server hangs up after its response

  const std::string response(reinterpret_cast<const char*>(data), size);
  Response in(ends[0]);
  if (readBody(in, response) != expectedBody(response)) std::abort();
  try {
    in.getc();
  } catch (const char* message) {
    if (std::strcmp(message, "error: read from closed stream") != 0) std::abort();
    return 0;
  }
  std::abort();  // a stream at its end has nothing more to give
}
