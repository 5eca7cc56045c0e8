#include "installer/HttpClient/parse_url.h"

#include <gtest/gtest.h>

namespace {

struct UrlCase {
  const char* url;
  bool ok;
  const char* host;
  const char* path;
  int port;
};

const UrlCase kCases[] = {
    {"http://example.test/setup.exe", true, "example.test", "/setup.exe", 80},
    {"https://example.test:8443/a?b=1", true, "example.test", "/a?b=1", 8443},
    {"https://example.test/x", true, "example.test", "/x", 443},
    {"example.test", true, "example.test", "/", 80},
    {"HTTP://Example.test:81", true, "Example.test", "/", 81},
    {"127.0.0.1:8080/a/b/c?d=/e&f", true, "127.0.0.1", "/a/b/c?d=/e&f", 8080},
    // A URL in the query does not take over the host.
    {"https://a.test/r?u=http://b.test/", true, "a.test", "/r?u=http://b.test/", 443},
    {"http://h:8080abc/p", true, "h", "/p", 8080},
    {"http://h:/p", false, "h", "/p", 0},
    {"http://h:x/p", false, "h", "/p", 0},
    {"http://h:0/p", false, "h", "/p", 0},
    {"http://h:65536/p", false, "h", "/p", 0},
    {"http://h:99999999999999999999/p", false, "h", "/p", 0},
    {"http://h:65535/p", true, "h", "/p", 65535},
    {"http:///p", false, "", "/p", 80},
    {"", false, "", "/", 80},
};

TEST(ParseUrlTest, NarrowVariant) {
  for (const UrlCase& c : kCases) {
    std::string host, path;
    int port = -1;
    EXPECT_EQ(ParseUrl(std::string(c.url), host, path, port), c.ok) << c.url;
    EXPECT_EQ(host, c.host) << c.url;
    EXPECT_EQ(path, c.path) << c.url;
    EXPECT_EQ(port, c.port) << c.url;
  }
}

std::wstring Widen(const char* text) {
  const std::string narrow = text;
  return std::wstring(narrow.begin(), narrow.end());
}

TEST(ParseUrlTest, WideVariantFollowsTheSameRules) {
  for (const UrlCase& c : kCases) {
    std::wstring host, path;
    int port = -1;
    EXPECT_EQ(ParseUrl(Widen(c.url), host, path, port), c.ok) << c.url;
    EXPECT_EQ(host, Widen(c.host)) << c.url;
    EXPECT_EQ(path, Widen(c.path)) << c.url;
    EXPECT_EQ(port, c.port) << c.url;
  }
}

TEST(ParseUrlTest, HttpsIsRecognisedOnlyAsThePrefix) {
  EXPECT_TRUE(IsHttpsUrl(std::string("https://a.test:8443/")));
  EXPECT_TRUE(IsHttpsUrl(std::wstring(L"HTTPS://a.test/")));
  EXPECT_FALSE(IsHttpsUrl(std::string("http://a.test/?https://b")));
  EXPECT_FALSE(IsHttpsUrl(std::string("https:/")));
}

}  // namespace
