// The HTTP/1.0 GET stream.
#include <tessel/inHttp.h>

#include <climits>
#include <cstdio>
#include <cstring>

InHttp::InHttp(const char* address) : In(true), sock(NL_INVALID), endOfData(false) {
  nluInit();
  if (!address) throw "InHttp: no address";
  char host[HOST_SIZE];
  if (!getAddresFromFullAress(address, host)) throw "host name too long";

  // Formatted before connecting, so that a request that does not fit opens nothing.
  char request[REQUEST_SIZE];
  const int length = std::snprintf(request, sizeof request,
                                   "GET %s HTTP/1.0\r\nHost:%s\nAccept: */*\r\nUser-Agent: C++\r\n\r\n", address, host);
  if (length < 0 || unsigned(length) >= sizeof request) throw "InHttp: request too long";

  addr = nluResolve(host);
  if (nlGetPortFromAddr(&addr) == 0) nlSetAddrPort(&addr, 80);
  sock = nluConnect(addr);
  try {
    nluSend(sock, request, length);
  } catch (...) {
    // The destructor does not run for a constructor that throws.
    nlClose(sock);
    throw;
  }
  skipHeaderOrClose();
}

InHttp::InHttp(NLsocket connected) : In(true), sock(connected), addr(), endOfData(false) { skipHeaderOrClose(); }

InHttp::~InHttp() { nlClose(sock); }

bool InHttp::endOfStream() { return endOfData; }

unsigned InHttp::readData(void* buffer, unsigned count) {
  const int got = nlRead(sock, buffer, count > INT_MAX ? INT_MAX : int(count));
  if (got < 0) {
    endOfData = true;
    return 0;
  }
  return unsigned(got);
}

void InHttp::skipHeaderOrClose() {
  try {
    skipHeader();
  } catch (...) {
    nlClose(sock);
    throw;
  }
}

void InHttp::skipHeader() {
  // The first byte starts the status line and never ends the header.
  char c;
  int got = nlRead(sock, &c, 1);
  unsigned length = got > 0 ? 1 : 0;
  unsigned window = 0;  // the last four bytes, the newest lowest
  bool headerEnd = false;
  while (got >= 0 && !headerEnd) {
    got = nlRead(sock, &c, 1);
    if (got > 0) {
      if (++length > HEADER_MOST) throw "InHttp: response header too long";
      window = window << 8 | static_cast<unsigned char>(c);
      headerEnd = window == 0x0D0A0D0Au;
    }
  }
  // A connection that ended inside the header has no body to wait for.
  if (got < 0) endOfData = true;
}

bool InHttp::getAddresFromFullAress(const char* address, char* host) {
  if (std::strncmp(address, "http://", 7) == 0) address += 7;
  const char* end = std::strchr(address, '/');
  const std::size_t length = end ? std::size_t(end - address) : std::strlen(address);
  if (length >= HOST_SIZE) return false;
  std::memcpy(host, address, length);
  host[length] = 0;
  return true;
}
