#include "tests/installer/report/silent_endpoint.h"

#include <ws2tcpip.h>

namespace {

// Binds a TCP socket to a free port of 127.0.0.1; the port, or 0.
int BindLoopback(SOCKET s) {
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return 0;
  int length = sizeof(address);
  if (::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
  return ntohs(address.sin_port);
}

std::string LoopbackUrl(int port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

}  // namespace

SilentEndpoint::SilentEndpoint() {
  WSADATA data;
  winsock_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  if (!winsock_) return;
  listener_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (listener_ == INVALID_SOCKET) return;
  const int port = BindLoopback(listener_);
  if (port != 0 && ::listen(listener_, SOMAXCONN) == 0) port_ = port;
}

SilentEndpoint::~SilentEndpoint() {
  if (listener_ != INVALID_SOCKET) ::closesocket(listener_);
  if (winsock_) ::WSACleanup();
}

std::string SilentEndpoint::Url(const std::string& path) const { return LoopbackUrl(port_, path); }

std::string ClosedPortUrl(const std::string& path) {
  WSADATA data;
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return std::string();
  int port = 0;
  const SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s != INVALID_SOCKET) {
    port = BindLoopback(s);
    ::closesocket(s);
  }
  ::WSACleanup();
  return port != 0 ? LoopbackUrl(port, path) : std::string();
}
