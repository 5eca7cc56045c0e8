// The GA4 reporter against the local test server: real threads, real WinINet. Events
// arrive on their own threads, so the tests wait for the server's records.
#include "installer/report/ga_reporter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "tests/base/deadline.h"
#include "tests/installer/report/silent_endpoint.h"
#include "tests/support/test_server_client.h"

namespace {

const char kUserAgent[] =
    "Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/80.0.4044.92 Safari/537.36";
const char kDeviceId[] = "0f1e2d3c4b5a69788796a5b4c3d2e1f0";

class GaReporterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.valid()) << "QM_TEST_SERVER is not set";
    ASSERT_TRUE(server_.Reset());
  }

  GaReporter Reporter(const std::string& path = "/mp/collect") {
    GaReporter reporter;
    reporter.Init(server_.Url(path), "G-TEST1", "secret-1", "Installer", "Qiv_Moltrix",
                  kDeviceId);
    return reporter;
  }

  // The records for `path` once there are `count` of them; fails after 20 s.
  Json::Value WaitForRecords(const std::string& path, size_t count) {
    Json::Value records;
    const bool arrived = nbase_test::WaitUntil(
        [&] { return server_.Requests(&records, path) && records.size() >= count; }, 20);
    EXPECT_TRUE(arrived) << records.size() << " of " << count << " requests to " << path;
    return records;
  }

  // Sends "Install_End" to the collection path and, once it has arrived, returns every
  // record of the server.
  Json::Value EveryRecordAfterAWorkingEvent() {
    GaReporter reporter = Reporter();
    EXPECT_TRUE(reporter.Send("Install_End", ""));
    WaitForRecords("/mp/collect", 1);
    Json::Value records;
    EXPECT_TRUE(server_.Requests(&records));
    return records;
  }

  TestServerClient server_;
};

std::string ExpectedBody(const std::string& label) {
  return std::string("{\"client_id\":\"") + kDeviceId + "\",\"user_id\":\"" + kDeviceId +
         "\",\"events\":[{\"name\":\"Qiv_Moltrix\",\"params\":{\"event_category\":\"Installer\","
         "\"event_label\":\"" + label + "\"}}]}";
}

TEST_F(GaReporterTest, EventArrivesWithExactUrlHeadersAndBody) {
  nbase_test::Deadline deadline(120);
  const struct {
    const char* label;
    const char* suffix;
    const char* sent_label;
  } cases[] = {
      {"Install_Time", "0-15s", "Install_Time_0-15s"},
      {"Install_Start", "", "Install_Start"},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(server_.Reset());
    GaReporter reporter = Reporter();
    EXPECT_TRUE(reporter.Send(c.label, c.suffix));
    const Json::Value records = WaitForRecords("/mp/collect", 1);
    ASSERT_EQ(records.size(), 1u);
    const Json::Value& record = records[0];
    EXPECT_EQ(record["request_line"].asString(),
              "POST /mp/collect?measurement_id=G-TEST1&api_secret=secret-1 HTTP/1.1");
    const std::string body = ExpectedBody(c.sent_label);
    // The default fields, then what WinINet adds itself; no Content-Type.
    const std::string expected_head =
        "POST /mp/collect?measurement_id=G-TEST1&api_secret=secret-1 HTTP/1.1\r\n"
        "Accept: */*\r\n"
        "Accept-Language: zh-CN,zh;q=0.9\r\n"
        "Connection: Keep-Alive\r\n"
        "User-Agent: " + std::string(kUserAgent) + "\r\n"
        "Host: 127.0.0.1:" + std::to_string(server_.port()) + "\r\n"
        "Content-Length: " + std::to_string(body.size()) + "\r\n";
    EXPECT_EQ(record["head"].asString(), expected_head) << c.label;
    EXPECT_EQ(record["body"].asString(), body) << c.label;
  }
}

TEST_F(GaReporterTest, LabelWithAQuoteIsSentUnescaped) {
  nbase_test::Deadline deadline(60);
  GaReporter reporter = Reporter();
  EXPECT_TRUE(reporter.Send("say \"hi\"", ""));
  const Json::Value records = WaitForRecords("/mp/collect", 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]["body"].asString(), ExpectedBody("say \"hi\""));
}

TEST_F(GaReporterTest, EmptyUrlMeasurementIdOrSecretSendsNothing) {
  nbase_test::Deadline deadline(60);
  const std::string url = server_.Url("/mp/collect");
  const std::vector<std::vector<std::string>> settings = {
      {"", "G-TEST1", "secret-1"}, {url, "", "secret-1"}, {url, "G-TEST1", ""}};
  for (const auto& s : settings) {
    GaReporter reporter;
    reporter.Init(s[0], s[1], s[2], "Installer", "Qiv_Moltrix", kDeviceId);
    EXPECT_FALSE(reporter.Send("Install_Start", ""));
  }
  // A working event afterwards is the only one the server ever sees.
  const Json::Value all = EveryRecordAfterAWorkingEvent();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0]["body"].asString(), ExpectedBody("Install_End"));
}

TEST_F(GaReporterTest, EventsInFlightOutliveTheReporterAndAllArrive) {
  nbase_test::Deadline deadline(60);
  std::vector<std::string> sent;
  {
    GaReporter reporter = Reporter();
    for (int i = 0; i < 6; ++i) {
      sent.push_back("Event_" + std::to_string(i));
      EXPECT_TRUE(reporter.Send("Event", std::to_string(i)));
    }
    // Changing and then destroying the reporter must not touch the events in flight.
    reporter.Init("", "", "", "", "", "");
  }
  const Json::Value records = WaitForRecords("/mp/collect", sent.size());
  std::vector<std::string> bodies;
  for (const Json::Value& record : records) bodies.push_back(record["body"].asString());
  std::vector<std::string> expected;
  for (const std::string& label : sent) expected.push_back(ExpectedBody(label));
  std::sort(bodies.begin(), bodies.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(bodies, expected);
}

TEST_F(GaReporterTest, ClosedPortAndNotFoundDropTheEventWithoutRetry) {
  nbase_test::Deadline deadline(60);
  GaReporter unreachable;
  const std::string closed = ClosedPortUrl("/mp/collect");
  ASSERT_FALSE(closed.empty());
  unreachable.Init(closed, "G-TEST1", "secret-1", "Installer", "Qiv_Moltrix", kDeviceId);
  EXPECT_TRUE(unreachable.Send("Install_Start", ""));
  GaReporter missing = Reporter("/missing/mp/collect");
  EXPECT_TRUE(missing.Send("Install_Start", ""));
  WaitForRecords("/missing/mp/collect", 1);
  // Once a later event has arrived, a retry of the first would have come too.
  EXPECT_EQ(EveryRecordAfterAWorkingEvent().size(), 2u);
}

}  // namespace
