// Splits a URL into host, path (with query) and port, in a UTF-16 and a narrow variant
// with the same rules:
//   - port 80, or 443 after an "https://" prefix; the scheme prefix ("http://" or
//     "https://", any letter case) is recognised only at the start, so a URL held in
//     the query of another one cannot take over the host;
//   - host := text before the first '/', path := the rest ("/" when there is none);
//   - "host:port" gives the port from the digits after the first ':'.
// Returns false (outputs still filled) when the host is empty or the port is not a
// number from 1 to 65535, so that a client never connects to a port it was not given.
#pragma once

#include <string>

bool ParseUrl(const std::wstring& url, std::wstring& host, std::wstring& path, int& port);
bool ParseUrl(const std::string& url, std::string& host, std::string& path, int& port);

// True when the URL starts with "https://" (any letter case).
bool IsHttpsUrl(const std::wstring& url);
bool IsHttpsUrl(const std::string& url);
