#include "installer/HttpClient/wininet_http.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <cwchar>
#include <memory>
#include <utility>
#include <vector>

#include "installer/HttpClient/parse_url.h"
#include "installer/utils/path_util.h"

namespace {

// Unit of every read. Eight connections reading 4 KiB at a time cost enough processor time
// to fall behind the line on a busy machine; 64 KiB reads keep up.
constexpr DWORD kBlockSize = 65536;
constexpr size_t kMemoryLimit = 8388608;
constexpr DWORD kHeaderFlags = HTTP_ADDREQ_FLAG_ADD | HTTP_ADDREQ_FLAG_REPLACE;
constexpr DWORD kSecureFlags = INTERNET_FLAG_SECURE | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID;

struct FileClose {
  void operator()(FILE* file) const { std::fclose(file); }
};
using ScopedFile = std::unique_ptr<FILE, FileClose>;

struct MemoryFree {
  void operator()(char* block) const { std::free(block); }
};
using ScopedMemory = std::unique_ptr<char, MemoryFree>;

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  const int n = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

// Content-Length of the answer as text; false when the answer has none.
bool QueryContentLength(HINTERNET request, std::string& text) {
  char buffer[1024] = {};
  DWORD size = sizeof(buffer) - 1;
  if (!::HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, buffer, &size, nullptr)) {
    return false;
  }
  text.assign(buffer, size);
  return true;
}

}  // namespace

CWininetHttp::~CWininetHttp() { CloseHandles(); }

void CWininetHttp::SetCallback(IHttpCallback* callback, void* param) {
  callback_ = callback;
  callback_param_ = param;
}

int CWininetHttp::GetErrorCode() { return last_error_; }

int CWininetHttp::GetHttpCode() { return status_code_; }

void CWininetHttp::FreeInstance() { delete this; }

void CWininetHttp::AddHeader(const char* name, const char* value) {
  if (name && value) header_.AddField(name, value);
}

void CWininetHttp::SetTimeouts(DWORD connect_ms, DWORD send_ms, DWORD receive_ms) {
  connect_timeout_ms_ = connect_ms;
  send_timeout_ms_ = send_ms;
  receive_timeout_ms_ = receive_ms;
}

void CWininetHttp::CloseHandles() {
  request_.reset();
  connection_.reset();
  internet_.reset();
}

bool CWininetHttp::Fail(int error) {
  last_error_ = error;
  return false;
}

void CWininetHttp::ReportFailure() {
  if (callback_) callback_->OnProgress(callback_param_, HTTP_PROGRESS_FAILED, 0, 0);
}

bool CWininetHttp::OpenSession() {
  internet_.reset(::InternetOpenW(L"Http-connect", INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                  nullptr, 0));
  if (!internet_) return Fail(HTTP_ERROR_OPEN);
  ApplyTimeouts(internet_.get());
  return true;
}

void CWininetHttp::ApplyTimeouts(HINTERNET handle) {
  const std::pair<DWORD, DWORD> timeouts[] = {
      {INTERNET_OPTION_CONNECT_TIMEOUT, connect_timeout_ms_},
      {INTERNET_OPTION_SEND_TIMEOUT, send_timeout_ms_},
      {INTERNET_OPTION_RECEIVE_TIMEOUT, receive_timeout_ms_},
  };
  for (const auto& timeout : timeouts) {
    DWORD value = timeout.second;
    if (value) ::InternetSetOptionW(handle, timeout.first, &value, sizeof(value));
  }
}

bool CWininetHttp::OpenRequest(const std::string& url, const Outgoing& outgoing) {
  // The narrow entry points of WinINet convert with the ANSI code page as well.
  return OpenRequest(FromAnsi(url), outgoing);
}

bool CWininetHttp::OpenRequest(const std::wstring& url, const Outgoing& outgoing) {
  CloseHandles();
  if (!OpenSession()) return false;

  std::wstring host, path;
  int port = 0;
  const bool url_ok = ParseUrl(url, host, path, port);
  // An https URL on another port still needs TLS: never send it in the clear.
  if (port == 443 || IsHttpsUrl(url)) secure_ = true;
  if (!url_ok) return Fail(HTTP_ERROR_CONNECT);

  connection_.reset(::InternetConnectW(internet_.get(), host.c_str(),
                                       static_cast<INTERNET_PORT>(port), nullptr, nullptr,
                                       INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection_) return Fail(HTTP_ERROR_CONNECT);

  const DWORD flags = INTERNET_FLAG_RELOAD | (secure_ ? kSecureFlags : 0);
  request_.reset(::HttpOpenRequestW(connection_.get(), outgoing.is_post ? L"POST" : L"GET",
                                    path.c_str(), L"HTTP/1.1", nullptr, nullptr, flags, 0));
  if (!request_) return Fail(HTTP_ERROR_OPEN);
  // Not every WinINet passes the session's time limits on to its requests.
  ApplyTimeouts(request_.get());

  const std::string lines = header_.BuildHeaderLines();
  if (!::HttpAddRequestHeadersA(request_.get(), lines.c_str(), static_cast<DWORD>(lines.size()),
                                kHeaderFlags)) {
    return Fail(HTTP_ERROR_SEND);
  }

  void* body = const_cast<char*>(outgoing.body);
  const DWORD body_size = outgoing.body ? static_cast<DWORD>(std::strlen(outgoing.body)) : 0;
  BOOL sent;
  if (outgoing.narrow_headers) {
    sent = ::HttpSendRequestA(request_.get(), outgoing.narrow_headers,
                              static_cast<DWORD>(std::strlen(outgoing.narrow_headers)), body,
                              body_size);
  } else {
    const DWORD headers_size =
        outgoing.wide_headers ? static_cast<DWORD>(std::wcslen(outgoing.wide_headers)) : 0;
    sent = ::HttpSendRequestW(request_.get(), outgoing.wide_headers, headers_size, body,
                              body_size);
  }
  if (!sent) return Fail(HTTP_ERROR_SEND);

  wchar_t status[24] = {};
  DWORD status_size = sizeof(status) - sizeof(wchar_t);
  status_code_ = ::HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE, status, &status_size,
                                  nullptr)
                     ? static_cast<int>(std::wcstoul(status, nullptr, 10))
                     : 0;
  if (status_code_ == 404) return Fail(HTTP_ERROR_NOT_FOUND);
  return true;
}

double CWininetHttp::GetFileLength(const wchar_t* url) {
  last_error_ = HTTP_ERROR_NONE;
  if (!url || !*url) return Fail(HTTP_ERROR_EMPTY_URL), 0;
  if (!OpenRequest(std::wstring(url), Outgoing())) return 0;
  std::string length;
  if (!QueryContentLength(request_.get(), length)) return Fail(HTTP_ERROR_CONTENT_LENGTH), 0;
  return std::strtod(length.c_str(), nullptr);
}

bool CWininetHttp::DownloadFile(const wchar_t* url, const wchar_t* file_path) {
  last_error_ = HTTP_ERROR_NONE;
  const bool ok = [&] {
    if (!url || !*url || !file_path) return Fail(HTTP_ERROR_EMPTY_URL);
    if (!OpenRequest(std::wstring(url), Outgoing())) return false;
    std::string length;
    if (!QueryContentLength(request_.get(), length)) return Fail(HTTP_ERROR_CONTENT_LENGTH);
    const double total = std::strtod(length.c_str(), nullptr);

    CreateDirectories(FolderOfPath(file_path));
    ScopedFile file(_wfopen(file_path, L"wb+"));
    if (!file) return Fail(HTTP_ERROR_CREATE_FILE);

    std::vector<char> block(kBlockSize);
    double done = 0;
    for (;;) {
      DWORD read = 0;
      if (!::InternetReadFile(request_.get(), block.data(), kBlockSize, &read) || read == 0) {
        break;
      }
      if (std::fwrite(block.data(), 1, read, file.get()) != read) {
        return Fail(HTTP_ERROR_WRITE_FILE);
      }
      done += read;
      if (callback_) callback_->OnProgress(callback_param_, HTTP_PROGRESS, total, done);
    }
    // Closing flushes the last buffered bytes, so it can fail like a write.
    if (std::fclose(file.release()) != 0) return Fail(HTTP_ERROR_WRITE_FILE);
    if (done != total) return Fail(HTTP_ERROR_READ);
    if (callback_) callback_->OnProgress(callback_param_, HTTP_PROGRESS_FINISHED, total, done);
    return true;
  }();
  if (!ok) ReportFailure();
  return ok;
}

bool CWininetHttp::DownloadToMemory(const wchar_t* url, void** buffer, size_t* size) {
  last_error_ = HTTP_ERROR_NONE;
  if (!buffer || !size) return Fail(HTTP_ERROR_EMPTY_URL);
  *buffer = nullptr;
  *size = 0;
  if (!url || !*url) return Fail(HTTP_ERROR_EMPTY_URL);
  if (!OpenRequest(std::wstring(url), Outgoing())) return false;

  wchar_t length_text[512] = {};
  DWORD length_size = sizeof(length_text) - sizeof(wchar_t);
  size_t capacity = kMemoryLimit;
  const bool known = ::HttpQueryInfoW(request_.get(), HTTP_QUERY_CONTENT_LENGTH, length_text,
                                      &length_size, nullptr) != FALSE;
  if (!known && ::GetLastError() != ERROR_HTTP_HEADER_NOT_FOUND) {
    return Fail(HTTP_ERROR_CONTENT_LENGTH);
  }
  if (known) {
    const double length = std::wcstod(length_text, nullptr);
    if (length < 0 || length > kMemoryLimit) return Fail(HTTP_ERROR_TOO_LARGE);
    capacity = static_cast<size_t>(length);
  }

  ScopedMemory data(static_cast<char*>(std::malloc(capacity ? capacity : 1)));
  if (!data) return Fail(HTTP_ERROR_TOO_LARGE);
  size_t got = 0;
  while (got < capacity) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(kBlockSize, capacity - got));
    DWORD read = 0;
    if (!::InternetReadFile(request_.get(), data.get() + got, want, &read)) {
      return Fail(HTTP_ERROR_READ);
    }
    if (read == 0) break;
    got += read;
  }
  if (got == capacity) {
    // A full buffer must also be the end of the body: more is more than was announced,
    // or more than a memory download may hold.
    char extra = 0;
    DWORD read = 0;
    if (::InternetReadFile(request_.get(), &extra, 1, &read) && read > 0) {
      return Fail(known ? HTTP_ERROR_READ : HTTP_ERROR_TOO_LARGE);
    }
  }
  if (known && got != capacity) return Fail(HTTP_ERROR_READ);
  *buffer = data.release();
  *size = got;
  return true;
}

bool CWininetHttp::ReadAll(std::string& body) {
  std::vector<char> block(kBlockSize);
  for (;;) {
    DWORD read = 0;
    if (!::InternetReadFile(request_.get(), block.data(), kBlockSize, &read)) {
      body.clear();
      return Fail(HTTP_ERROR_READ);
    }
    if (read == 0) return true;
    body.append(block.data(), read);
  }
}

std::string CWininetHttp::Request(const wchar_t* url, bool is_post, const char* body,
                                  const wchar_t* extra_headers) {
  last_error_ = HTTP_ERROR_NONE;
  if (!url || !*url) return Fail(HTTP_ERROR_EMPTY_REQUEST_URL), std::string();
  Outgoing outgoing;
  outgoing.is_post = is_post;
  outgoing.body = body;
  outgoing.wide_headers = extra_headers;
  std::string response;
  if (!OpenRequest(std::wstring(url), outgoing) || !ReadAll(response)) return std::string();
  return response;
}

std::string CWininetHttp::Request(const char* url, bool is_post, const char* body,
                                  const char* extra_headers) {
  last_error_ = HTTP_ERROR_NONE;
  if (!url || !*url) return Fail(HTTP_ERROR_EMPTY_REQUEST_URL), std::string();
  Outgoing outgoing;
  outgoing.is_post = is_post;
  outgoing.body = body;
  outgoing.narrow_headers = extra_headers ? extra_headers : "";
  std::string response;
  if (!OpenRequest(std::string(url), outgoing) || !ReadAll(response)) return std::string();
  return response;
}

std::string CWininetHttp::GetResponseField(const char* name) {
  if (!request_ || !name || !*name) return std::string();
  std::vector<char> buffer(std::strlen(name) + 256);
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::memcpy(buffer.data(), name, std::strlen(name) + 1);
    DWORD size = static_cast<DWORD>(buffer.size() - 1);
    if (::HttpQueryInfoA(request_.get(), HTTP_QUERY_CUSTOM, buffer.data(), &size, nullptr)) {
      return std::string(buffer.data(), size);
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.resize(std::max<size_t>(buffer.size(), size) + 1);
  }
  return std::string();
}
