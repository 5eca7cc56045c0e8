#include "installer/HttpClient/parse_url.h"

namespace {

template <typename Str>
bool StartsWithNoCase(const Str& text, const char* prefix) {
  size_t i = 0;
  for (; prefix[i] != '\0'; ++i) {
    if (i >= text.size()) return false;
    auto c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<decltype(c)>(c - 'A' + 'a');
    if (c != static_cast<decltype(c)>(prefix[i])) return false;
  }
  return true;
}

template <typename Str>
bool ParseUrlImpl(const Str& url, Str& host, Str& path, int& port) {
  static const char kHttp[] = "http://";
  static const char kHttps[] = "https://";
  port = 80;
  Str rest = url;
  if (StartsWithNoCase(url, kHttp)) {
    rest = url.substr(sizeof(kHttp) - 1);
  } else if (StartsWithNoCase(url, kHttps)) {
    port = 443;
    rest = url.substr(sizeof(kHttps) - 1);
  }

  const size_t slash = rest.find('/');
  if (slash == Str::npos) {
    host = rest;
    path = Str(1, '/');
  } else {
    host = rest.substr(0, slash);
    path = rest.substr(slash);
  }

  bool port_ok = true;
  const size_t colon = host.find(':');
  if (colon != Str::npos) {
    long value = 0;
    size_t i = colon + 1;
    for (; i < host.size() && host[i] >= '0' && host[i] <= '9' && value <= 65535; ++i) {
      value = value * 10 + (host[i] - '0');
    }
    port_ok = i > colon + 1 && value >= 1 && value <= 65535;
    port = port_ok ? static_cast<int>(value) : 0;
    host.resize(colon);
  }
  return port_ok && !host.empty();
}

}  // namespace

bool ParseUrl(const std::wstring& url, std::wstring& host, std::wstring& path, int& port) {
  return ParseUrlImpl(url, host, path, port);
}

bool ParseUrl(const std::string& url, std::string& host, std::string& path, int& port) {
  return ParseUrlImpl(url, host, path, port);
}

bool IsHttpsUrl(const std::wstring& url) { return StartsWithNoCase(url, "https://"); }

bool IsHttpsUrl(const std::string& url) { return StartsWithNoCase(url, "https://"); }
