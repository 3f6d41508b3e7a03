#pragma once
// Network set-up shared by the TCP and HTTP streams. Failures are thrown as messages.

#include <platform/nl.h>

// Initialises the network layer on the first call: blocking TCP over IP.
void nluInit();

// The address of host ("name" or "name:port"; the port is 0 when none is written).
// Throws when the name is over 255 bytes or does not resolve.
NLaddress nluResolve(const char* host);

// A socket connected to address. A socket whose connection fails is closed before
// the throw.
NLsocket nluConnect(const NLaddress& address);

// Sends all count bytes, waiting while the connection is still being made.
void nluSend(NLsocket socket, const void* buffer, int count);
