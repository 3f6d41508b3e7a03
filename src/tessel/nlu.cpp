// Network set-up shared by the TCP and HTTP streams.
#include <tessel/nl/nlu.h>

#include <cstring>

namespace {

bool initialised = false;

}  // namespace

void nluInit() {
  if (initialised) return;
  if (!nlInit()) throw "can not nlInit()";
  if (!nlSelectNetwork(NL_IP)) throw "can not select network";
  nlEnable(NL_BLOCKING_IO);
  initialised = true;
}

NLaddress nluResolve(const char* host) {
  if (!host) throw "can not resolve host";
  if (std::strlen(host) > 255) throw "host name too long";
  NLaddress address;
  // Connecting to an address that was never found would reach nobody, or the wrong one.
  if (!nlGetAddrFromName(host, &address)) throw "can not resolve host";
  return address;
}

NLsocket nluConnect(const NLaddress& address) {
  const NLsocket socket = nlOpen(0, NL_RELIABLE);
  if (socket == NL_INVALID) throw "can not open sock";
  if (!nlConnect(socket, &address)) {
    nlClose(socket);
    throw "can not connect";
  }
  return socket;
}

void nluSend(NLsocket socket, const void* buffer, int count) {
  while (nlWrite(socket, buffer, count) < 0) {
    if (nlGetError() != NL_CON_PENDING) throw "can not send requirest to server";
    nlThreadYield();
  }
}
