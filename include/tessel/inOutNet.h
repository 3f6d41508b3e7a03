#pragma once
// Two-way byte stream over a TCP connection to a host and port.
// The stream ends when the peer closes the connection, stops answering for the network
// timeout, or a read fails.

#include <tessel/inOut.h>
#include <tessel/nl/nlu.h>

class InOutNet : public InOut {
public:
  // host is a name or a dotted IPv4 address. Throws when the host is over 255
  // bytes, does not resolve or does not accept the connection.
  InOutNet(const char* host, unsigned port, bool useBuffer);
  ~InOutNet() override;

protected:
  bool endOfStream() override;
  unsigned readData(void* buffer, unsigned count) override;
  // Sends everything or throws: the count returned is always the count given.
  unsigned writeData(const void* buffer, unsigned count) override;

  NLsocket sock;
  NLaddress addr;
  bool endOfData;
};
