// The socket calls of the network streams, over POSIX TCP/IPv4 (Winsock 2 on Windows).
#include <platform/nl.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <string>
#include <thread>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

namespace {

// Started once, with the first nlInit, and stopped as the program ends.
bool startSockets() {
  static const struct Winsock {
    bool started;
    Winsock()
        : started([] {
            WSADATA data;
            return WSAStartup(MAKEWORD(2, 2), &data) == 0;
          }()) {}
    ~Winsock() {
      if (started) WSACleanup();
    }
  } winsock;
  return winsock.started;
}

// Winsock keeps its errors apart; errno is where the callers and their messages look.
int socketError() {
  switch (WSAGetLastError()) {
    case WSAEINTR: return errno = EINTR;
    case WSAEWOULDBLOCK: return errno = EWOULDBLOCK;
    case WSAETIMEDOUT: return errno = EAGAIN;
    case WSAEINPROGRESS: return errno = EINPROGRESS;
    case WSAEALREADY: return errno = EALREADY;
    case WSAECONNREFUSED: return errno = ECONNREFUSED;
    case WSAECONNRESET: return errno = ECONNRESET;
    case WSAENETUNREACH: return errno = ENETUNREACH;
    case WSAEHOSTUNREACH: return errno = EHOSTUNREACH;
    case WSAEADDRINUSE: return errno = EADDRINUSE;
    default: return errno = EIO;
  }
}

// Windows takes the timeout in milliseconds; sockets are never inherited by a child here.
void applyTimeout(SOCKET fd, unsigned ms) {
  const DWORD value = ms;
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value), sizeof value);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&value), sizeof value);
}

// Windows' connect heeds no timeout of the socket's (it gives up after about 21 s): it is made
// without blocking and waited for, up to the timeout; one still pending then is EINPROGRESS.
int connectWithin(int fd, const sockaddr_in& peer, unsigned ms) {
  const SOCKET s = SOCKET(fd);
  u_long nonBlocking = 1;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  int error = connect(s, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0 ? 0 : WSAGetLastError();
  if (error == WSAEWOULDBLOCK) {
    fd_set done, failed;
    FD_ZERO(&done);
    FD_ZERO(&failed);
    FD_SET(s, &done);
    FD_SET(s, &failed);
    timeval wait{long(ms / 1000), long(ms % 1000) * 1000};
    const int ready = select(0, nullptr, &done, &failed, &wait);
    int length = sizeof error;
    error = ready < 0 ? WSAGetLastError() : ready == 0 ? WSAEINPROGRESS : 0;
    if (ready > 0 && FD_ISSET(s, &failed))
      getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
  }
  nonBlocking = 0;
  ioctlsocket(s, FIONBIO, &nonBlocking);
  WSASetLastError(error);
  return error == 0 ? 0 : -1;
}

int newSocket() { return int(socket(AF_INET, SOCK_STREAM, 0)); }
int closeSocket(int fd) { return closesocket(SOCKET(fd)); }
const int NO_SIGNAL = 0;  // Windows raises no signal for a peer that has gone

}  // namespace
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

bool startSockets() { return true; }
int socketError() { return errno; }

void applyTimeout(int fd, unsigned ms) {
  timeval tv;
  tv.tv_sec = time_t(ms / 1000);
  tv.tv_usec = suseconds_t(ms % 1000) * 1000;
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
}

// The send timeout bounds connect here: one still pending then is EINPROGRESS.
int connectWithin(int fd, const sockaddr_in& peer, unsigned) {
  return connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer);
}

int newSocket() { return socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0); }
int closeSocket(int fd) { return close(fd); }
// No SIGPIPE: a peer that has gone is an error to report, not the end of the process.
const int NO_SIGNAL = MSG_NOSIGNAL;

}  // namespace
#endif

// ---- Types and constants ------------------------------------------------------------------------

namespace {

const std::size_t MAX_NAME = 255;

// ---- State --------------------------------------------------------------------------------------

std::atomic<bool> initialised{false};
std::atomic<bool> networkSelected{false};
std::atomic<bool> blockingIo{false};
std::atomic<unsigned> timeoutMs{30000};
thread_local NLenum lastError = NL_NO_ERROR;

// ---- Internal functions -------------------------------------------------------------------------

template <typename T> T fail(NLenum error, T result) {
  lastError = error;
  return result;
}

// Letters, digits, '-' and '_' in dot-separated labels of 1 to 63 bytes. Anything
// else can not be a host, and must not reach the resolver (nor the network).
bool wellFormedHost(const std::string& host) {
  if (host.empty() || host.size() > MAX_NAME) return false;
  std::size_t label = 0;
  for (std::size_t i = 0; i < host.size(); ++i) {
    const char c = host[i];
    if (c == '.') {
      if (label == 0) return false;  // an empty label; one trailing dot is fine
      label = 0;
      continue;
    }
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (!ok || ++label > 63) return false;
  }
  return true;
}

// "1" to "65535"; anything else is no port.
bool parsePort(const std::string& text, std::uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + unsigned(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = std::uint16_t(value);
  return true;
}

}  // namespace

// ---- Public operations --------------------------------------------------------------------------

NLboolean nlInit() {
  if (!startSockets()) return fail(NL_SYSTEM_ERROR, false);
  initialised = true;
  lastError = NL_NO_ERROR;
  return true;
}

NLboolean nlSelectNetwork(NLenum network) {
  if (!initialised) return fail(NL_NO_NETWORK, false);
  if (network != NL_IP) return fail(NL_INVALID_ENUM, false);
  networkSelected = true;
  return true;
}

NLboolean nlEnable(NLenum option) {
  if (option != NL_BLOCKING_IO) return fail(NL_INVALID_ENUM, false);
  blockingIo = true;
  return true;
}

NLboolean nlGetAddrFromName(const char* name, NLaddress* address) {
  if (!address) return fail(NL_BAD_ADDR, false);
  *address = NLaddress();
  if (!name) return fail(NL_BAD_ADDR, false);
  if (std::strlen(name) > MAX_NAME) return fail(NL_STRING_OVER_RUN, false);

  std::string host(name);
  std::uint16_t port = 0;
  const std::size_t colon = host.rfind(':');
  if (colon != std::string::npos) {
    if (!parsePort(host.substr(colon + 1), port)) return fail(NL_BAD_ADDR, false);
    host.erase(colon);
  }
  if (!wellFormedHost(host)) return fail(NL_BAD_ADDR, false);

  in_addr numeric;
  if (inet_pton(AF_INET, host.c_str(), &numeric) == 1) {
    address->host = ntohl(numeric.s_addr);
  } else {
    addrinfo hints;
    std::memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return fail(NL_BAD_ADDR, false);
    address->host = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
    freeaddrinfo(found);
  }
  address->port = port;
  address->valid = true;
  return true;
}

NLboolean nlSetAddrPort(NLaddress* address, std::uint16_t port) {
  if (!address) return fail(NL_BAD_ADDR, false);
  address->port = port;
  return true;
}

std::uint16_t nlGetPortFromAddr(const NLaddress* address) { return address ? address->port : 0; }

NLsocket nlOpen(std::uint16_t port, NLenum type) {
  if (!initialised || !networkSelected) return fail(NL_NO_NETWORK, NL_INVALID);
  if (type != NL_RELIABLE) return fail(NL_INVALID_ENUM, NL_INVALID);
  if (!blockingIo) return fail(NL_UNSUPPORTED, NL_INVALID);
  const int fd = newSocket();
  if (fd < 0) return fail(NL_SYSTEM_ERROR, NL_INVALID);
  applyTimeout(fd, timeoutMs);
  if (port != 0) {
    sockaddr_in local;
    std::memset(&local, 0, sizeof local);
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    local.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
      closeSocket(fd);
      return fail(NL_SYSTEM_ERROR, NL_INVALID);
    }
  }
  return fd;
}

NLboolean nlConnect(NLsocket socket, const NLaddress* address) {
  if (!address || !address->valid || address->port == 0) return fail(NL_BAD_ADDR, false);
  sockaddr_in peer;
  std::memset(&peer, 0, sizeof peer);
  peer.sin_family = AF_INET;
  peer.sin_port = htons(address->port);
  peer.sin_addr.s_addr = htonl(address->host);
  if (connectWithin(socket, peer, timeoutMs) != 0)
    return fail(socketError() == EINPROGRESS ? NL_TIMED_OUT : NL_SYSTEM_ERROR, false);
  return true;
}

int nlRead(NLsocket socket, void* buffer, int count) {
  if (count <= 0) return 0;
  for (;;) {
    const ssize_t got = recv(socket, static_cast<char*>(buffer), count, 0);
    if (got > 0) return int(got);
    if (got == 0) return fail(NL_MESSAGE_END, NL_INVALID);
    const int error = socketError();
    if (error == EINTR) continue;
    return fail(error == EAGAIN || error == EWOULDBLOCK ? NL_TIMED_OUT : NL_SYSTEM_ERROR, NL_INVALID);
  }
}

int nlWrite(NLsocket socket, const void* buffer, int count) {
  if (count <= 0) return 0;
  const char* from = static_cast<const char*>(buffer);
  std::size_t left = std::size_t(count);
  while (left > 0) {
    const ssize_t sent = send(socket, from, int(left), NO_SIGNAL);
    if (sent > 0) {
      from += sent;
      left -= std::size_t(sent);
      continue;
    }
    const int error = sent < 0 ? socketError() : 0;
    if (error == EINTR) continue;
    if (error == EAGAIN || error == EWOULDBLOCK) return fail(NL_TIMED_OUT, NL_INVALID);
    if (error == EINPROGRESS || error == EALREADY) return fail(NL_CON_PENDING, NL_INVALID);
    return fail(NL_SYSTEM_ERROR, NL_INVALID);
  }
  return count;
}

NLboolean nlClose(NLsocket socket) {
  if (socket == NL_INVALID || closeSocket(socket) != 0) return fail(NL_SYSTEM_ERROR, false);
  return true;
}

NLenum nlGetError() { return lastError; }

void nlThreadYield() { std::this_thread::yield(); }

void nlSetTimeout(unsigned milliseconds) { timeoutMs = milliseconds; }

unsigned nlGetTimeout() { return timeoutMs; }
