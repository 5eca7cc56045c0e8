#include "installer/HttpClient/http_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Field names of rendered header lines, in order.
std::vector<std::string> Names(const std::string& lines) {
  std::vector<std::string> names;
  for (size_t start = 0; start < lines.size();) {
    const size_t end = lines.find("\r\n", start);
    if (end == std::string::npos) break;
    names.push_back(lines.substr(start, lines.find(':', start) - start));
    start = end + 2;
  }
  return names;
}

const std::string kDefaultLines =
    "Accept: */*\r\n"
    "Accept-Language: zh-CN,zh;q=0.9\r\n"
    "Connection: Keep-Alive\r\n"
    "User-Agent: Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like "
    "Gecko) Chrome/80.0.4044.92 Safari/537.36\r\n";

TEST(HttpHeaderTest, DefaultFieldsRenderInByteOrderOfTheirNames) {
  CHttpHeader header;
  EXPECT_EQ(header.BuildHeaderLines(), kDefaultLines);
}

TEST(HttpHeaderTest, AddedFieldsSortAmongTheDefaults) {
  CHttpHeader header;
  header.AddField("Range", "bytes=0-99");
  header.SetHost("example.test");
  header.AddField("Accept-Encoding", "identity");
  EXPECT_EQ(Names(header.BuildHeaderLines()),
            (std::vector<std::string>{"Accept", "Accept-Encoding", "Accept-Language",
                                      "Connection", "Host", "Range", "User-Agent"}));
}

TEST(HttpHeaderTest, FirstValueOfANameWinsAndEmptyPartsAreIgnored) {
  CHttpHeader header;
  header.AddField("Range", "bytes=0-9");
  header.AddField("Range", "bytes=10-19");
  header.AddField("User-Agent", "mine");
  header.AddField("", "x");
  header.AddField("X-Empty", "");
  header.SetHost("");
  EXPECT_EQ(header.GetField("Range"), "bytes=0-9");
  const std::string lines = header.BuildHeaderLines();
  EXPECT_NE(lines.find("User-Agent: mine\r\n"), std::string::npos);
  EXPECT_EQ(lines.find("Mozilla"), std::string::npos);
  EXPECT_EQ(lines.find("X-Empty"), std::string::npos);
  EXPECT_EQ(lines.find("Host"), std::string::npos);
  EXPECT_EQ(lines.find(": x"), std::string::npos);
}

TEST(HttpHeaderTest, NamesAreCaseSensitive) {
  CHttpHeader header;
  header.AddField("content-length", "1");
  header.AddField("Content-Length", "2");
  EXPECT_EQ(header.GetField("content-length"), "1");
  EXPECT_EQ(header.GetField("Content-Length"), "2");
  EXPECT_EQ(header.GetField("CONTENT-LENGTH"), "");
}

TEST(HttpHeaderTest, BuildRequestWritesRequestLineFieldsAndEndOfHead) {
  struct Case {
    int method;
    const char* verb;
  };
  for (const Case& c : {Case{1, "POST"}, Case{0, "GET"}, Case{2, "GET"}}) {
    CHttpHeader header;
    header.SetRequestPath("/a/b?c=1");
    const std::string head = header.BuildRequest(c.method);
    EXPECT_EQ(head, std::string(c.verb) + " /a/b?c=1 HTTP/1.1\r\n" + kDefaultLines + "\r\n");
    EXPECT_EQ(header.version(), "HTTP/1.1");
  }
}

TEST(HttpHeaderTest, ParsesStatusLineAndFieldsOfAResponse) {
  const CHttpHeader header(
      "HTTP/1.1 206 Partial Content\r\n"
      "Content-Length: 10\r\n"
      "Content-Range: bytes 0-9/100\r\n"
      "Content-Length: 99");
  EXPECT_EQ(header.version(), "HTTP/1.1");
  EXPECT_EQ(header.status_code(), 206);
  EXPECT_EQ(header.reason(), "Partial Content");
  EXPECT_EQ(header.GetField("Content-Length"), "10");
  EXPECT_EQ(header.GetField("Content-Range"), "bytes 0-9/100");
  EXPECT_EQ(header.GetField("content-length"), "");
}

TEST(HttpHeaderTest, OddResponseTextNeverBreaksTheParser) {
  struct Case {
    const char* text;
    int status;
    const char* version;
    const char* reason;
  };
  const Case cases[] = {
      {"", 0, "", ""},
      {"HTTP/1.0", 0, "HTTP/1.0", ""},
      {"HTTP/1.1 404", 404, "HTTP/1.1", ""},
      {"HTTP/1.1 abc Bad", 0, "HTTP/1.1", "Bad"},
      {"HTTP/1.1 99999999999 Big\r\n\r\nno colon\r\n: empty name\r\nX: y", 2147483647,
       "HTTP/1.1", "Big"},
  };
  for (const Case& c : cases) {
    const CHttpHeader header(c.text);
    EXPECT_EQ(header.status_code(), c.status) << c.text;
    EXPECT_EQ(header.version(), c.version) << c.text;
    EXPECT_EQ(header.reason(), c.reason) << c.text;
  }
  EXPECT_EQ(CHttpHeader(cases[4].text).GetField("X"), "y");
}

}  // namespace
