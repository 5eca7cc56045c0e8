// Endpoints on 127.0.0.1 that a telemetry request cannot complete against, for the
// tests of the reporters' failure paths.
#pragma once

#include <winsock2.h>

#include <string>

// A listening socket that is never accepted from: the system completes the connection
// and takes the request, and no answer ever comes.
class SilentEndpoint {
 public:
  SilentEndpoint();
  ~SilentEndpoint();
  SilentEndpoint(const SilentEndpoint&) = delete;
  SilentEndpoint& operator=(const SilentEndpoint&) = delete;

  bool valid() const { return port_ != 0; }
  // "http://127.0.0.1:<port>" + path.
  std::string Url(const std::string& path) const;

 private:
  bool winsock_ = false;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
};

// "http://127.0.0.1:<port>" + path for a port nothing listens on (bound and released
// just before), or "" when no port could be had.
std::string ClosedPortUrl(const std::string& path);
