#pragma once
// The socket calls the network streams are written against, over POSIX TCP/IPv4.
// Names and the values the streams pass (network type, option, connection type,
// the pending-connection error) are those of the network library the streams
// were first written for; everything else is ours.
//
// Only blocking sockets exist here, so NL_BLOCKING_IO must be enabled before
// nlOpen. A read or write that waits longer than the timeout fails, so a peer
// that stops answering ends a stream instead of hanging it.

#include <cstdint>

using NLboolean = bool;
using NLenum = int;
using NLsocket = int;

// An IPv4 address and port, both in host byte order.
struct NLaddress {
  std::uint32_t host = 0;
  std::uint16_t port = 0;
  bool valid = false;
};

const NLsocket NL_INVALID = -1;

const NLenum NL_IP = 0x0003;           // nlSelectNetwork
const NLenum NL_RELIABLE = 0x0010;     // nlOpen: a TCP stream
const NLenum NL_BLOCKING_IO = 0x0041;  // nlEnable

// nlGetError
const NLenum NL_NO_ERROR = 0x0000;
const NLenum NL_NO_NETWORK = 0x0100;       // nlInit / nlSelectNetwork not called
const NLenum NL_INVALID_ENUM = 0x0101;     // an unknown type or option
const NLenum NL_SYSTEM_ERROR = 0x0102;     // the system refused; errno tells why
const NLenum NL_BAD_ADDR = 0x0103;         // the name does not resolve to an IPv4 address
const NLenum NL_STRING_OVER_RUN = 0x0104;  // a host name over 255 bytes
const NLenum NL_MESSAGE_END = 0x0105;      // the peer closed the connection
const NLenum NL_TIMED_OUT = 0x0106;        // the peer did not answer in time
const NLenum NL_UNSUPPORTED = 0x0107;      // non-blocking sockets
const NLenum NL_CON_PENDING = 0x0114;      // the connection is not complete yet: try again

NLboolean nlInit();
NLboolean nlSelectNetwork(NLenum network);
NLboolean nlEnable(NLenum option);

// "name" or "name:port"; the port is 0 when the name carries none.
NLboolean nlGetAddrFromName(const char* name, NLaddress* address);
NLboolean nlSetAddrPort(NLaddress* address, std::uint16_t port);
std::uint16_t nlGetPortFromAddr(const NLaddress* address);

// A TCP socket, bound to the local port unless it is 0.
NLsocket nlOpen(std::uint16_t port, NLenum type);
NLboolean nlConnect(NLsocket socket, const NLaddress* address);
// Bytes read (at least one when count > 0), or NL_INVALID when the peer has closed,
// timed out or failed.
int nlRead(NLsocket socket, void* buffer, int count);
// All count bytes, or NL_INVALID.
int nlWrite(NLsocket socket, const void* buffer, int count);
NLboolean nlClose(NLsocket socket);
// The error of the calling thread's last failed call.
NLenum nlGetError();
void nlThreadYield();

// Read and write timeout of the sockets opened afterwards; 30 s at start, 0 waits forever.
void nlSetTimeout(unsigned milliseconds);
unsigned nlGetTimeout();
