// Byte streams over TCP connections.
#include <tessel/inOutNet.h>

#include <climits>

InOutNet::InOutNet(const char* host, unsigned port, bool useBuffer)
    : InOut(useBuffer), sock(NL_INVALID), endOfData(false) {
  nluInit();
  if (port == 0 || port > 65535) throw "InOutNet: port out of range";
  addr = nluResolve(host);
  nlSetAddrPort(&addr, static_cast<std::uint16_t>(port));
  sock = nluConnect(addr);
}

InOutNet::~InOutNet() { nlClose(sock); }

bool InOutNet::endOfStream() { return endOfData; }

unsigned InOutNet::readData(void* buffer, unsigned count) {
  const int got = nlRead(sock, buffer, count > INT_MAX ? INT_MAX : int(count));
  if (got < 0) {
    endOfData = true;
    return 0;
  }
  return unsigned(got);
}

unsigned InOutNet::writeData(const void* buffer, unsigned count) {
  const char* from = static_cast<const char*>(buffer);
  for (unsigned left = count; left > 0;) {
    const unsigned part = left > INT_MAX ? unsigned(INT_MAX) : left;
    nluSend(sock, from, int(part));
    from += part;
    left -= part;
  }
  return count;
}
