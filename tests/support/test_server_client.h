// Talks to the local test server (tools/testserver/server.py) on its control paths over
// plain Winsock, without going through the installer's HTTP code. The server's address
// comes from QM_TEST_SERVER ("127.0.0.1:<port>"), which tools/testserver/with_server.py
// exports to the test it runs.
//
//   TestServerClient server;
//   ASSERT_TRUE(server.valid());
//   ASSERT_TRUE(server.PutFile("setup.exe", bytes));
//   ASSERT_TRUE(server.AddFault("kind=short&path=/setup.exe&ranged=1&count=1"));
//   Json::Value records;
//   ASSERT_TRUE(server.Requests(&records, "/setup.exe"));
//
// Every exchange is one connection with a 10 s limit; failures answer status 0 / false.
#pragma once

#include <json/json.h>

#include <string>

class TestServerClient {
 public:
  struct Reply {
    int status = 0;  // 0: no answer
    std::string head;
    std::string body;
  };

  TestServerClient();

  bool valid() const { return port_ != 0; }
  int port() const { return port_; }
  // "http://127.0.0.1:<port>" + path_and_query, narrow and UTF-16.
  std::string Url(const std::string& path_and_query) const;
  std::wstring WideUrl(const std::string& path_and_query) const;

  Reply Exchange(const std::string& method, const std::string& target,
                 const std::string& body = std::string()) const;

  bool PutFile(const std::string& name, const std::string& bytes) const;
  bool RemoveFile(const std::string& name) const;
  // `query` as documented in server.py, e.g. "kind=404&path=/a.bin&count=1".
  bool AddFault(const std::string& query) const;
  bool ClearFaults() const;
  // Forgets records and faults and releases stalled connections; files too when asked.
  bool Reset(bool files = false) const;
  // The request records, oldest first; only those for `path` when it is not empty.
  bool Requests(Json::Value* records, const std::string& path = std::string()) const;

 private:
  int port_ = 0;
};
