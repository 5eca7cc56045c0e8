// The WinINet client: every installer request goes through it (type code 1).
//
// Threads: one object is used by one thread at a time; the callback is called on that
// thread. Handles of the last request stay open until the next request or destruction,
// so its response fields can still be read.
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "installer/HttpClient/http_base.h"
#include "installer/HttpClient/http_header.h"
#include "installer/HttpClient/scoped_internet_handle.h"

class IWininetHttp : public IHttpBase {
 public:
  // Sends GET or POST with an optional body and extra header lines; returns the response
  // body, or "" on failure (GetErrorCode tells why).
  virtual std::string Request(const wchar_t* url, bool is_post, const char* body,
                              const wchar_t* extra_headers) = 0;
  virtual std::string Request(const char* url, bool is_post, const char* body,
                              const char* extra_headers) = 0;
  // Time limits of the next requests in milliseconds; 0 keeps WinINet's own.
  virtual void SetTimeouts(DWORD connect_ms, DWORD send_ms, DWORD receive_ms) = 0;
  // A field of the last response ("Content-Range"), or "" when it has none.
  virtual std::string GetResponseField(const char* name) = 0;
  virtual ~IWininetHttp() = default;
};

class CWininetHttp : public IWininetHttp {
 public:
  CWininetHttp() = default;
  ~CWininetHttp() override;
  CWininetHttp(const CWininetHttp&) = delete;
  CWininetHttp& operator=(const CWininetHttp&) = delete;

  void SetCallback(IHttpCallback* callback, void* param) override;
  double GetFileLength(const wchar_t* url) override;
  bool DownloadFile(const wchar_t* url, const wchar_t* file_path) override;
  bool DownloadToMemory(const wchar_t* url, void** buffer, size_t* size) override;
  void FreeInstance() override;
  int GetErrorCode() override;
  void AddHeader(const char* name, const char* value) override;
  int GetHttpCode() override;

  std::string Request(const wchar_t* url, bool is_post, const char* body,
                      const wchar_t* extra_headers) override;
  std::string Request(const char* url, bool is_post, const char* body,
                      const char* extra_headers) override;
  void SetTimeouts(DWORD connect_ms, DWORD send_ms, DWORD receive_ms) override;
  std::string GetResponseField(const char* name) override;

 private:
  // What one request sends besides the URL.
  struct Outgoing {
    bool is_post = false;
    const char* body = nullptr;
    const wchar_t* wide_headers = nullptr;
    const char* narrow_headers = nullptr;
  };

  // Opens session, connection and request, sends and reads the status. Records the
  // error and returns false on failure.
  bool OpenRequest(const std::wstring& url, const Outgoing& outgoing);
  bool OpenRequest(const std::string& url, const Outgoing& outgoing);
  bool OpenSession();
  void ApplyTimeouts(HINTERNET handle);
  bool SendAndReadStatus(const Outgoing& outgoing, bool narrow);
  void CloseHandles();
  bool Fail(int error);
  void ReportFailure();
  // Reads the rest of the body; "" and an error on failure.
  bool ReadAll(std::string& body);

  int status_code_ = 0;
  bool secure_ = false;
  ScopedInternetHandle internet_;
  ScopedInternetHandle connection_;
  ScopedInternetHandle request_;
  CHttpHeader header_;
  void* callback_param_ = nullptr;
  IHttpCallback* callback_ = nullptr;
  int last_error_ = HTTP_ERROR_NONE;
  DWORD connect_timeout_ms_ = 0;
  DWORD send_timeout_ms_ = 0;
  DWORD receive_timeout_ms_ = 0;
};
