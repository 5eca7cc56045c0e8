// One telemetry POST against the local test server and against endpoints that fail:
// real WinINet, real sockets. Elapsed times are printed, never asserted.
#include "installer/report/report_post.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "installer/HttpClient/http_base.h"
#include "tests/base/deadline.h"
#include "tests/installer/report/silent_endpoint.h"
#include "tests/support/test_server_client.h"

namespace {

class ReportPostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.valid()) << "QM_TEST_SERVER is not set";
    ASSERT_TRUE(server_.Reset());
  }

  size_t RecordCount(const std::string& path) {
    Json::Value records;
    EXPECT_TRUE(server_.Requests(&records, path));
    return records.size();
  }

  TestServerClient server_;
};

// Runs `post` and prints how long it took.
template <typename Post>
ReportPostOutcome Timed(const char* what, Post post) {
  const ULONGLONG start = GetTickCount64();
  const ReportPostOutcome outcome = post();
  std::printf("%s: %llu ms (status %d, error %d)\n", what, GetTickCount64() - start,
              outcome.http_code, outcome.error);
  return outcome;
}

TEST_F(ReportPostTest, PostReachesTheServerOnceWithItsBody) {
  const ReportPostOutcome outcome = PostReport(server_.Url("/mp/collect?a=1"), "{\"x\":1}", nullptr);
  EXPECT_TRUE(outcome.client_created);
  EXPECT_EQ(outcome.http_code, 204);
  EXPECT_EQ(outcome.error, HTTP_ERROR_NONE);
  Json::Value records;
  ASSERT_TRUE(server_.Requests(&records, "/mp/collect"));
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0]["body"].asString(), "{\"x\":1}");
}

TEST_F(ReportPostTest, NotFoundEndsAtOnceAndIsNotRetried) {
  nbase_test::Deadline deadline(60);
  const ReportPostOutcome outcome =
      Timed("404", [&] { return PostReport(server_.Url("/nowhere"), "{}", nullptr); });
  EXPECT_EQ(outcome.http_code, 404);
  EXPECT_EQ(outcome.error, HTTP_ERROR_NOT_FOUND);
  EXPECT_EQ(RecordCount("/nowhere"), 1u);
}

TEST_F(ReportPostTest, ClosedPortEndsAtOnceWithoutAnAnswer) {
  nbase_test::Deadline deadline(60);
  const std::string url = ClosedPortUrl("/mp/collect");
  ASSERT_FALSE(url.empty());
  const ReportPostOutcome outcome =
      Timed("closed port", [&] { return PostReport(url, "{}", nullptr); });
  EXPECT_TRUE(outcome.client_created);
  EXPECT_EQ(outcome.http_code, 0);
  EXPECT_NE(outcome.error, HTTP_ERROR_NONE);
}

TEST_F(ReportPostTest, EndpointThatNeverAnswersEndsAtTheTimeLimit) {
  // Far above the time limits: only a request that waits without limit trips it.
  nbase_test::Deadline deadline(90);
  SilentEndpoint silent;
  ASSERT_TRUE(silent.valid());
  const ReportPostOutcome outcome =
      Timed("endpoint that never answers", [&] { return PostReport(silent.Url("/x"), "{}", nullptr); });
  EXPECT_EQ(outcome.http_code, 0);
  EXPECT_NE(outcome.error, HTTP_ERROR_NONE);
}

}  // namespace
