#include "tests/support/test_server_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

constexpr DWORD kTimeoutMs = 10000;

class WinsockSession {
 public:
  WinsockSession() {
    WSADATA data;
    ok_ = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~WinsockSession() {
    if (ok_) ::WSACleanup();
  }
  WinsockSession(const WinsockSession&) = delete;
  WinsockSession& operator=(const WinsockSession&) = delete;
  bool ok() const { return ok_; }

 private:
  bool ok_ = false;
};

class ScopedSocket {
 public:
  explicit ScopedSocket(SOCKET s) : socket_(s) {}
  ~ScopedSocket() {
    if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
  }
  ScopedSocket(const ScopedSocket&) = delete;
  ScopedSocket& operator=(const ScopedSocket&) = delete;
  SOCKET get() const { return socket_; }
  bool valid() const { return socket_ != INVALID_SOCKET; }

 private:
  SOCKET socket_;
};

bool SendAll(SOCKET s, const std::string& data) {
  size_t sent = 0;
  while (sent < data.size()) {
    const int chunk = static_cast<int>(std::min<size_t>(data.size() - sent, 1 << 20));
    const int n = ::send(s, data.data() + sent, chunk, 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

TestServerClient::TestServerClient() {
  const char* address = std::getenv("QM_TEST_SERVER");
  if (!address) return;
  const std::string text = address;
  const size_t colon = text.rfind(':');
  if (colon == std::string::npos || text.substr(0, colon) != "127.0.0.1") return;
  const int port = std::atoi(text.c_str() + colon + 1);
  if (port > 0 && port < 65536) port_ = port;
}

std::string TestServerClient::Url(const std::string& path_and_query) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path_and_query;
}

std::wstring TestServerClient::WideUrl(const std::string& path_and_query) const {
  const std::string url = Url(path_and_query);
  return std::wstring(url.begin(), url.end());
}

TestServerClient::Reply TestServerClient::Exchange(const std::string& method,
                                                   const std::string& target,
                                                   const std::string& body) const {
  Reply reply;
  if (!valid()) return reply;
  WinsockSession winsock;
  if (!winsock.ok()) return reply;
  ScopedSocket s(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (!s.valid()) return reply;
  const DWORD timeout = kTimeoutMs;
  ::setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
  ::setsockopt(s.get(), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout),
               sizeof(timeout));
  sockaddr_in address = {};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port_));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) != 0) {
    return reply;
  }
  const std::string request = method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                              std::to_string(port_) + "\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" +
                              body;
  if (!SendAll(s.get(), request)) return reply;
  std::string answer;
  char block[65536];
  for (;;) {
    const int n = ::recv(s.get(), block, sizeof(block), 0);
    if (n < 0) return reply;
    if (n == 0) break;
    answer.append(block, static_cast<size_t>(n));
  }
  const size_t end = answer.find("\r\n\r\n");
  if (end == std::string::npos || answer.compare(0, 9, "HTTP/1.1 ") != 0) return reply;
  reply.head = answer.substr(0, end);
  reply.body = answer.substr(end + 4);
  reply.status = std::atoi(answer.c_str() + 9);
  return reply;
}

bool TestServerClient::PutFile(const std::string& name, const std::string& bytes) const {
  return Exchange("PUT", "/_test/files/" + name, bytes).status == 201;
}

bool TestServerClient::RemoveFile(const std::string& name) const {
  return Exchange("DELETE", "/_test/files/" + name).status == 204;
}

bool TestServerClient::AddFault(const std::string& query) const {
  return Exchange("POST", "/_test/faults?" + query).status == 201;
}

bool TestServerClient::ClearFaults() const {
  return Exchange("DELETE", "/_test/faults").status == 204;
}

bool TestServerClient::Reset(bool files) const {
  return Exchange("POST", files ? "/_test/reset?files=1" : "/_test/reset").status == 204;
}

bool TestServerClient::Requests(Json::Value* records, const std::string& path) const {
  const Reply reply =
      Exchange("GET", path.empty() ? "/_test/requests" : "/_test/requests?path=" + path);
  if (reply.status != 200) return false;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  return reader->parse(reply.body.data(), reply.body.data() + reply.body.size(), records,
                       &errors) &&
         records->isArray();
}
