// The report-API client against the local test server, which verifies each request's
// signature itself; and against endpoints that fail. Send is synchronous, so what the
// server received is there when it returns.
#include "installer/report/xd_reporter.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

#include "installer/HttpClient/http_base.h"
#include "installer/report/report_post.h"
#include "installer/report/report_request.h"
#include "installer/utils/process_util.h"
#include "tests/base/deadline.h"
#include "tests/installer/report/silent_endpoint.h"
#include "tests/support/test_server_client.h"

namespace {

const char kReportPath[] = "/log/v1/api/report";
const char kDeviceId[] = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";
const char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/80.0.4044.92 Safari/537.36";

class XdReporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.valid()) << "QM_TEST_SERVER is not set";
    ASSERT_TRUE(server_.Reset());
  }

  XdReporter Reporter(const std::string& url) {
    XdReporter reporter;
    reporter.Init(url, kDeviceId, "1007", "1.2.3.4", "home");
    return reporter;
  }

  Json::Value Records(const std::string& path = std::string()) {
    Json::Value records;
    EXPECT_TRUE(server_.Requests(&records, path));
    return records;
  }

  TestServerClient server_;
};

// How long `send` held the calling thread, printed.
template <typename Send>
void Timed(const char* what, Send send) {
  const ULONGLONG start = GetTickCount64();
  send();
  std::printf("XdReporter::Send, %s: held the caller %llu ms\n", what, GetTickCount64() - start);
}

TEST_F(XdReporterTest, ServerVerifiesTheSignatureOfEachReport) {
  nbase_test::Deadline deadline(60);
  XdReporter reporter = Reporter(server_.Url(kReportPath));
  for (const char* status : {"start", "end"}) {
    ASSERT_TRUE(server_.Reset());
    const long long before = GetUnixTime();
    EXPECT_TRUE(reporter.Send("install", status));
    const long long after = GetUnixTime();

    const Json::Value records = Records(kReportPath);
    ASSERT_EQ(records.size(), 1u);
    const Json::Value& record = records[0];
    EXPECT_TRUE(record["signature_ok"].asBool()) << record["target"].asString();

    // The query's timestamp is the one that was signed, and the time of the send.
    std::smatch query;
    const std::string target = record["target"].asString();
    ASSERT_TRUE(std::regex_match(target, query,
                                 std::regex("/log/v1/api/report\\?sign=([0-9a-f]{32})&timestamp=(\\d+)")))
        << target;
    const std::string timestamp = query[2];
    EXPECT_GE(std::stoll(timestamp), before);
    EXPECT_LE(std::stoll(timestamp), after);
    const std::string body = record["body"].asString();
    EXPECT_EQ(query[1], SignReport(timestamp, body));

    // The body is the styled object with the reporter's values and the local day.
    Json::Value parsed;
    ASSERT_TRUE(Json::Reader().parse(body, parsed)) << body;
    const std::string day = parsed["day"].asString();
    EXPECT_TRUE(std::regex_match(day, std::regex("\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d"))) << day;
    ReportFields fields;
    fields.action = "install";
    fields.day = day;
    fields.device_id = kDeviceId;
    fields.product = "1007";
    fields.qd = "home";
    fields.status = status;
    fields.version = "1.2.3.4";
    EXPECT_EQ(body, BuildReportBody(fields));

    const std::string expected_head =
        "POST " + target + " HTTP/1.1\r\n"
        "Accept: */*\r\n"
        "Accept-Language: zh-CN,zh;q=0.9\r\n"
        "Connection: Keep-Alive\r\n"
        "User-Agent: " + std::string(kUserAgent) + "\r\n"
        "Host: 127.0.0.1:" + std::to_string(server_.port()) + "\r\n"
        "Content-Length: " + std::to_string(body.size()) + "\r\n"
        "Content-Type: application/json\r\n";
    EXPECT_EQ(record["head"].asString(), expected_head);
  }
}

TEST_F(XdReporterTest, ServerRejectsABodyChangedByOneByte) {
  nbase_test::Deadline deadline(60);
  ReportFields fields;
  fields.action = "install";
  fields.day = "2026-12-11 06:02:38";
  fields.device_id = kDeviceId;
  fields.status = "start";
  const std::string timestamp = std::to_string(GetUnixTime());
  const std::string body = BuildReportBody(fields);
  const std::string url =
      BuildReportUrl(server_.Url(kReportPath), SignReport(timestamp, body), timestamp);

  std::string changed = body;
  changed[changed.find("start")] = 'S';
  const ReportPostOutcome rejected = PostReport(url, changed, "Content-Type: application/json");
  EXPECT_EQ(rejected.http_code, 403);
  const ReportPostOutcome accepted = PostReport(url, body, "Content-Type: application/json");
  EXPECT_EQ(accepted.http_code, 200);

  const Json::Value records = Records(kReportPath);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0]["body"].asString(), changed);
  EXPECT_FALSE(records[0]["signature_ok"].asBool());
  EXPECT_EQ(records[1]["body"].asString(), body);
  EXPECT_TRUE(records[1]["signature_ok"].asBool());
}

TEST_F(XdReporterTest, EmptyUrlSendsNothing) {
  XdReporter reporter = Reporter("");
  EXPECT_FALSE(reporter.Send("install", "start"));
  EXPECT_EQ(Records().size(), 0u);
}

TEST_F(XdReporterTest, NotFoundAndClosedPortEndSilentlyWithoutRetry) {
  nbase_test::Deadline deadline(60);
  XdReporter missing = Reporter(server_.Url("/missing/report"));
  Timed("404", [&] { EXPECT_TRUE(missing.Send("install", "start")); });
  EXPECT_EQ(Records("/missing/report").size(), 1u);

  const std::string closed = ClosedPortUrl(kReportPath);
  ASSERT_FALSE(closed.empty());
  XdReporter unreachable = Reporter(closed);
  Timed("closed port", [&] { EXPECT_TRUE(unreachable.Send("install", "start")); });
  EXPECT_EQ(Records().size(), 1u);
}

TEST_F(XdReporterTest, EndpointThatNeverAnswersHoldsTheCallerOnlyUntilTheTimeLimit) {
  // Far above the time limits: only a request that waits without limit trips it.
  nbase_test::Deadline deadline(90);
  SilentEndpoint silent;
  ASSERT_TRUE(silent.valid());
  XdReporter reporter = Reporter(silent.Url(kReportPath));
  Timed("endpoint that never answers", [&] { EXPECT_TRUE(reporter.Send("install", "end")); });
}

}  // namespace
