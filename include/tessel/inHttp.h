#pragma once
// The body of one document fetched with an HTTP/1.0 GET request, as a buffered input stream.
// The response header is consumed by the constructor; the status is not looked at.

#include <tessel/in.h>
#include <tessel/nl/nlu.h>

class InHttp : public In {
public:
  // address: "http://host[:port]/path" or the same without "http://". The
  // request goes to port 80 unless the address names another. Throws when the
  // host is over 255 bytes, does not resolve or does not accept the connection,
  // when the request would exceed 4095 bytes, when it can not be sent, or when
  // the response header runs past HEADER_MOST bytes.
  explicit InHttp(const char* address);
  ~InHttp() override;

protected:
  // The response on a socket already connected, its request sent: the header is
  // skipped and the stream owns the socket from here on. For streams fed by
  // other means than a request of ours.
  explicit InHttp(NLsocket connected);

  bool endOfStream() override;
  unsigned readData(void* buffer, unsigned count) override;

  NLsocket sock;
  NLaddress addr;
  bool endOfData;

private:
  static const unsigned HOST_SIZE = 256;
  static const unsigned REQUEST_SIZE = 4096;
  // A peer that keeps sending without the blank line would otherwise hold the
  // constructor for ever: the receive timeout fires only on silence.
  static const unsigned HEADER_MOST = 64 * 1024;

  // Reads up to and including the blank line that ends the header.
  void skipHeader();
  // skipHeader for a constructor: the socket is closed when it throws, since the
  // destructor of a stream that was never made does not run.
  void skipHeaderOrClose();
  // The part of address between "http://" and the first '/'; false when it does
  // not fit in HOST_SIZE bytes with its terminator.
  static bool getAddresFromFullAress(const char* address, char* host);
};
