// The WinINet client against the local test server: real WinINet, real sockets. What the
// server received is read back from its request records.
#include "installer/HttpClient/wininet_http.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/scoped_temp_folder.h"
#include "tests/support/test_server_client.h"

namespace {

struct Progress {
  int state;
  double total;
  double current;
};

class RecordingCallback : public IHttpCallback {
 public:
  void OnProgress(void* param, int state, double total, double current) override {
    params.push_back(param);
    calls.push_back({state, total, current});
  }
  bool ShouldStop() override {
    ++should_stop_calls;
    return false;
  }
  std::vector<void*> params;
  std::vector<Progress> calls;
  int should_stop_calls = 0;
};

std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned x = seed * 2654435761u + 1;
  for (size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    bytes[i] = static_cast<char>(x >> 23);
  }
  return bytes;
}

std::vector<std::pair<std::string, std::string>> Headers(const Json::Value& record) {
  std::vector<std::pair<std::string, std::string>> headers;
  for (const Json::Value& field : record["headers"]) {
    headers.emplace_back(field[0].asString(), field[1].asString());
  }
  return headers;
}

class WininetHttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.valid()) << "QM_TEST_SERVER is not set";
    ASSERT_TRUE(server_.Reset());
    ASSERT_TRUE(folder_.valid());
  }

  // The only record for `path`.
  Json::Value OnlyRecord(const std::string& path) {
    Json::Value records;
    EXPECT_TRUE(server_.Requests(&records, path));
    EXPECT_EQ(records.size(), 1u);
    return records.size() == 1 ? records[0] : Json::Value();
  }

  TestServerClient server_;
  ScopedTempFolder folder_;
};

const char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/80.0.4044.92 Safari/537.36";

TEST_F(WininetHttpTest, RangeDownloadSendsTheRequestLineAndHeaderFieldsExactly) {
  const std::string bytes = Pattern(1000, 1);
  ASSERT_TRUE(server_.PutFile("fields.bin", bytes));
  CWininetHttp client;
  client.AddHeader("Range", "bytes=10-19");
  const std::wstring target = folder_.path() + L"fields.part";
  ASSERT_TRUE(client.DownloadFile(server_.WideUrl("/fields.bin").c_str(), target.c_str()));
  EXPECT_EQ(client.GetHttpCode(), 206);
  EXPECT_EQ(client.GetResponseField("Content-Range"), "bytes 10-19/1000");
  std::string got;
  ASSERT_TRUE(ReadWholeFile(target, &got));
  EXPECT_EQ(got, bytes.substr(10, 10));

  const Json::Value record = OnlyRecord("/fields.bin");
  EXPECT_EQ(record["request_line"].asString(), "GET /fields.bin HTTP/1.1");
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Accept", "*/*"},
      {"Accept-Language", "zh-CN,zh;q=0.9"},
      {"Connection", "Keep-Alive"},
      {"Range", "bytes=10-19"},
      {"User-Agent", kUserAgent},
      {"Host", "127.0.0.1:" + std::to_string(server_.port())},
  };
  EXPECT_EQ(Headers(record), expected) << record["head"].asString();
  EXPECT_EQ(record["body_length"].asInt(), 0);
}

TEST_F(WininetHttpTest, NarrowPostCarriesTheBodyBytesAndExtraHeaderUnchanged) {
  const std::string body = "{\n\t\"action\" : \"install\",\n\t\"os\" : \"windows\"\n}\n";
  CWininetHttp client;
  const std::string answer =
      client.Request(server_.Url("/mp/collect?measurement_id=G-1&api_secret=s").c_str(), true,
                     body.c_str(), "Content-Type: application/json\r\n");
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_NONE);
  EXPECT_EQ(client.GetHttpCode(), 204);
  EXPECT_EQ(answer, "");

  const Json::Value record = OnlyRecord("/mp/collect");
  EXPECT_EQ(record["request_line"].asString(),
            "POST /mp/collect?measurement_id=G-1&api_secret=s HTTP/1.1");
  EXPECT_EQ(record["body"].asString(), body);
  const auto headers = Headers(record);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"Accept", "*/*"},
      {"Accept-Language", "zh-CN,zh;q=0.9"},
      {"Connection", "Keep-Alive"},
      {"User-Agent", kUserAgent},
      {"Host", "127.0.0.1:" + std::to_string(server_.port())},
      {"Content-Length", std::to_string(body.size())},
      {"Content-Type", "application/json"},
  };
  EXPECT_EQ(headers, expected) << record["head"].asString();
}

TEST_F(WininetHttpTest, WideRequestReturnsTheResponseBody) {
  const std::string bytes = Pattern(10000, 2);
  ASSERT_TRUE(server_.PutFile("wide.bin", bytes));
  CWininetHttp client;
  EXPECT_EQ(client.Request(server_.WideUrl("/wide.bin").c_str(), false, nullptr, nullptr), bytes);
  EXPECT_EQ(client.GetHttpCode(), 200);
  EXPECT_EQ(OnlyRecord("/wide.bin")["method"].asString(), "GET");
}

TEST_F(WininetHttpTest, NotFoundFailsEveryOperationWithError5) {
  const std::wstring url = server_.WideUrl("/missing.bin");
  const std::string narrow_url = server_.Url("/missing.bin");
  const std::wstring file = folder_.path() + L"missing.bin";
  struct Case {
    const char* name;
    bool (*run)(CWininetHttp&, const std::wstring&, const std::string&, const std::wstring&);
  };
  const Case cases[] = {
      {"GetFileLength",
       [](CWininetHttp& c, const std::wstring& u, const std::string&, const std::wstring&) {
         return c.GetFileLength(u.c_str()) != 0;
       }},
      {"DownloadFile",
       [](CWininetHttp& c, const std::wstring& u, const std::string&, const std::wstring& f) {
         return c.DownloadFile(u.c_str(), f.c_str());
       }},
      {"DownloadToMemory",
       [](CWininetHttp& c, const std::wstring& u, const std::string&, const std::wstring&) {
         void* buffer = nullptr;
         size_t size = 0;
         const bool ok = c.DownloadToMemory(u.c_str(), &buffer, &size);
         std::free(buffer);
         return ok;
       }},
      {"Request wide",
       [](CWininetHttp& c, const std::wstring& u, const std::string&, const std::wstring&) {
         return !c.Request(u.c_str(), false, nullptr, nullptr).empty();
       }},
      {"Request narrow",
       [](CWininetHttp& c, const std::wstring&, const std::string& u, const std::wstring&) {
         return !c.Request(u.c_str(), true, "x", nullptr).empty();
       }},
  };
  for (const Case& c : cases) {
    CWininetHttp client;
    EXPECT_FALSE(c.run(client, url, narrow_url, file)) << c.name;
    EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_NOT_FOUND) << c.name;
    EXPECT_EQ(client.GetHttpCode(), 404) << c.name;
  }
}

TEST_F(WininetHttpTest, EmptyUrlFailsBeforeAnyRequest) {
  CWininetHttp client;
  const std::wstring file = folder_.path() + L"x.bin";
  EXPECT_EQ(client.GetFileLength(L""), 0);
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_EMPTY_URL);
  EXPECT_FALSE(client.DownloadFile(L"", file.c_str()));
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_EMPTY_URL);
  void* buffer = nullptr;
  size_t size = 0;
  EXPECT_FALSE(client.DownloadToMemory(L"", &buffer, &size));
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_EMPTY_URL);
  EXPECT_EQ(client.Request(L"", false, nullptr, nullptr), "");
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_EMPTY_REQUEST_URL);
  EXPECT_EQ(client.Request("", false, nullptr, nullptr), "");
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_EMPTY_REQUEST_URL);
  EXPECT_FALSE(FileExists(file));
  Json::Value records;
  ASSERT_TRUE(server_.Requests(&records));
  EXPECT_EQ(records.size(), 0u);
}

TEST_F(WininetHttpTest, GetFileLengthReadsContentLengthWithoutTheBody) {
  ASSERT_TRUE(server_.PutFile("length.bin", Pattern(123457, 3)));
  CWininetHttp client;
  EXPECT_EQ(client.GetFileLength(server_.WideUrl("/length.bin").c_str()), 123457.0);
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_NONE);
  EXPECT_EQ(client.GetHttpCode(), 200);
  EXPECT_EQ(OnlyRecord("/length.bin")["method"].asString(), "GET");
}

TEST_F(WininetHttpTest, DownloadFileReportsProgressThenFinishedAndCreatesFolders) {
  const std::string bytes = Pattern(10000, 4);
  ASSERT_TRUE(server_.PutFile("progress.bin", bytes));
  RecordingCallback callback;
  int marker = 0;
  CWininetHttp client;
  client.SetCallback(&callback, &marker);
  const std::wstring target = folder_.path() + L"a\\b\\progress.bin";
  ASSERT_TRUE(client.DownloadFile(server_.WideUrl("/progress.bin").c_str(), target.c_str()));
  std::string got;
  ASSERT_TRUE(ReadWholeFile(target, &got));
  EXPECT_EQ(got, bytes);
  ASSERT_GE(callback.calls.size(), 2u);
  double last = 0;
  for (size_t i = 0; i + 1 < callback.calls.size(); ++i) {
    EXPECT_EQ(callback.calls[i].state, HTTP_PROGRESS);
    EXPECT_EQ(callback.calls[i].total, 10000);
    EXPECT_GT(callback.calls[i].current, last);
    last = callback.calls[i].current;
  }
  EXPECT_EQ(callback.calls.back().state, HTTP_PROGRESS_FINISHED);
  EXPECT_EQ(callback.calls.back().current, 10000);
  for (void* param : callback.params) EXPECT_EQ(param, &marker);
  EXPECT_EQ(callback.should_stop_calls, 0);
}

TEST_F(WininetHttpTest, EmptyBodyWithContentLength0IsAnEmptyFile) {
  ASSERT_TRUE(server_.PutFile("empty.bin", ""));
  CWininetHttp client;
  const std::wstring target = folder_.path() + L"empty.bin";
  ASSERT_TRUE(client.DownloadFile(server_.WideUrl("/empty.bin").c_str(), target.c_str()));
  std::string got = "not empty";
  ASSERT_TRUE(ReadWholeFile(target, &got));
  EXPECT_EQ(got, "");
}

TEST_F(WininetHttpTest, ShortBodyFailsWithError8AfterWritingWhatArrived) {
  const std::string bytes = Pattern(50000, 5);
  ASSERT_TRUE(server_.PutFile("short.bin", bytes));
  RecordingCallback callback;
  CWininetHttp client;
  client.SetCallback(&callback, nullptr);
  const std::wstring target = folder_.path() + L"short.bin";
  EXPECT_FALSE(client.DownloadFile(server_.WideUrl("/short.bin?fault=short&bytes=20000").c_str(),
                                   target.c_str()));
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_READ);
  std::string got;
  ASSERT_TRUE(ReadWholeFile(target, &got));
  EXPECT_EQ(got, bytes.substr(0, 20000));
  ASSERT_FALSE(callback.calls.empty());
  EXPECT_EQ(callback.calls.back().state, HTTP_PROGRESS_FAILED);
  EXPECT_EQ(callback.calls.back().total, 0);
  EXPECT_EQ(callback.calls.back().current, 0);
}

TEST_F(WininetHttpTest, ResetMidBodyFailsWithError8) {
  ASSERT_TRUE(server_.PutFile("reset.bin", Pattern(200000, 6)));
  CWininetHttp client;
  const std::wstring target = folder_.path() + L"reset.bin";
  EXPECT_FALSE(client.DownloadFile(server_.WideUrl("/reset.bin?fault=reset&bytes=1000").c_str(),
                                   target.c_str()));
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_READ);
}

TEST_F(WininetHttpTest, StalledBodyEndsAtTheReceiveTimeout) {
  ASSERT_TRUE(server_.PutFile("stall.bin", Pattern(100000, 7)));
  CWininetHttp client;
  client.SetTimeouts(2000, 2000, 2000);
  const std::wstring target = folder_.path() + L"stall.bin";
  EXPECT_FALSE(client.DownloadFile(
      server_.WideUrl("/stall.bin?fault=stall&bytes=1000&seconds=120").c_str(), target.c_str()));
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_READ);
  EXPECT_TRUE(server_.Reset());
}

TEST_F(WininetHttpTest, UnwritableTargetFailsWithError7) {
  ASSERT_TRUE(server_.PutFile("target.bin", Pattern(100, 8)));
  CWininetHttp client;
  // A folder stands where the file should go.
  ASSERT_TRUE(::CreateDirectoryW((folder_.path() + L"taken").c_str(), nullptr));
  EXPECT_FALSE(client.DownloadFile(server_.WideUrl("/target.bin").c_str(),
                                   (folder_.path() + L"taken").c_str()));
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_CREATE_FILE);
}

TEST_F(WininetHttpTest, DownloadToMemoryHandsOverExactlyTheBody) {
  const std::string bytes = Pattern(70000, 9);
  ASSERT_TRUE(server_.PutFile("memory.bin", bytes));
  CWininetHttp client;
  void* buffer = nullptr;
  size_t size = 0;
  ASSERT_TRUE(client.DownloadToMemory(server_.WideUrl("/memory.bin").c_str(), &buffer, &size));
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(std::string(static_cast<char*>(buffer), size), bytes);
  std::free(buffer);
}

TEST_F(WininetHttpTest, DownloadToMemoryRefusesBadLengthsAndShortBodies) {
  ASSERT_TRUE(server_.PutFile("memory.bin", Pattern(70000, 10)));
  struct Case {
    const char* query;
    int error;
  };
  const Case cases[] = {
      {"?fault=length&length=8388609", HTTP_ERROR_TOO_LARGE},
      {"?fault=short&bytes=100", HTTP_ERROR_READ},
      {"?fault=reset&bytes=100", HTTP_ERROR_READ},
  };
  for (const Case& c : cases) {
    CWininetHttp client;
    void* buffer = reinterpret_cast<void*>(1);
    size_t size = 1;
    EXPECT_FALSE(client.DownloadToMemory(server_.WideUrl(std::string("/memory.bin") + c.query).c_str(),
                                         &buffer, &size))
        << c.query;
    EXPECT_EQ(client.GetErrorCode(), c.error) << c.query;
    EXPECT_EQ(buffer, nullptr) << c.query;
    EXPECT_EQ(size, 0u) << c.query;
  }
}

TEST_F(WininetHttpTest, HttpsUrlOnAnotherPortIsNeverSentInTheClear) {
  ASSERT_TRUE(server_.PutFile("secret.bin", "secret"));
  CWininetHttp client;
  client.SetTimeouts(5000, 5000, 5000);
  const std::string url = "https://127.0.0.1:" + std::to_string(server_.port()) + "/secret.bin";
  EXPECT_EQ(client.Request(url.c_str(), false, nullptr, nullptr), "");
  EXPECT_NE(client.GetErrorCode(), HTTP_ERROR_NONE);
  Json::Value records;
  ASSERT_TRUE(server_.Requests(&records, "/secret.bin"));
  EXPECT_EQ(records.size(), 0u);
}

TEST_F(WininetHttpTest, UnusablePortFailsWithoutConnecting) {
  CWininetHttp client;
  EXPECT_EQ(client.Request("http://127.0.0.1:65616/x", false, nullptr, nullptr), "");
  EXPECT_EQ(client.GetErrorCode(), HTTP_ERROR_CONNECT);
}

TEST_F(WininetHttpTest, HeadersAddedOnceStayForTheNextRequestOfTheSameObject) {
  ASSERT_TRUE(server_.PutFile("twice.bin", Pattern(100, 11)));
  CWininetHttp client;
  client.AddHeader("Range", "bytes=0-9");
  client.AddHeader("Range", "bytes=50-59");
  EXPECT_EQ(client.Request(server_.WideUrl("/twice.bin").c_str(), false, nullptr, nullptr).size(),
            10u);
  EXPECT_EQ(client.Request(server_.WideUrl("/twice.bin").c_str(), false, nullptr, nullptr).size(),
            10u);
  Json::Value records;
  ASSERT_TRUE(server_.Requests(&records, "/twice.bin"));
  ASSERT_EQ(records.size(), 2u);
  for (const Json::Value& record : records) {
    bool found = false;
    for (const auto& field : Headers(record)) {
      if (field.first == "Range") found = field.second == "bytes=0-9";
    }
    EXPECT_TRUE(found) << record["head"].asString();
  }
}

TEST(CreateHttpInstanceTest, OnlyTypeOneMakesAClient) {
  for (int type : {0, 2, 3, -1}) {
    IHttpBase* instance = reinterpret_cast<IHttpBase*>(1);
    EXPECT_FALSE(CreateHttpInstance(&instance, type)) << type;
    EXPECT_EQ(instance, nullptr) << type;
  }
  IHttpBase* instance = nullptr;
  ASSERT_TRUE(CreateHttpInstance(&instance, 1));
  ScopedHttpInstance owner(instance);
  EXPECT_NE(dynamic_cast<IWininetHttp*>(instance), nullptr);
  EXPECT_EQ(owner->GetErrorCode(), HTTP_ERROR_NONE);
  EXPECT_EQ(owner->GetHttpCode(), 0);
}

}  // namespace
