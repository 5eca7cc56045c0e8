#include "installer/report/report_request.h"

#include <gtest/gtest.h>

namespace {

ReportFields StartReport() {
  ReportFields fields;
  fields.action = "install";
  fields.day = "2026-12-11 06:02:38";
  fields.device_id = "9e107d9d372bb6826bd81d3542a419d6";
  fields.product = "qivmoltrix";
  fields.qd = "home";
  fields.status = "start";
  fields.version = "1.2.3.4";
  return fields;
}

const char kStartBody[] =
    "{\n"
    "\t\"action\" : \"install\",\n"
    "\t\"day\" : \"2026-12-11 06:02:38\",\n"
    "\t\"device_id\" : \"9e107d9d372bb6826bd81d3542a419d6\",\n"
    "\t\"os\" : \"windows\",\n"
    "\t\"product\" : \"qivmoltrix\",\n"
    "\t\"qd\" : \"home\",\n"
    "\t\"status\" : \"start\",\n"
    "\t\"version\" : \"1.2.3.4\"\n"
    "}\n";

TEST(ReportRequestTest, BodyIsTheStyledObjectInKeyOrderWithAFinalLineBreak) {
  EXPECT_EQ(BuildReportBody(StartReport()), kStartBody);
}

TEST(ReportRequestTest, EmptyValuesStayMembersAndSpecialCharactersAreEscaped) {
  ReportFields fields;
  fields.action = "say \"hi\"\\";
  const std::string body = BuildReportBody(fields);
  EXPECT_EQ(body,
            "{\n"
            "\t\"action\" : \"say \\\"hi\\\"\\\\\",\n"
            "\t\"day\" : \"\",\n"
            "\t\"device_id\" : \"\",\n"
            "\t\"os\" : \"windows\",\n"
            "\t\"product\" : \"\",\n"
            "\t\"qd\" : \"\",\n"
            "\t\"status\" : \"\",\n"
            "\t\"version\" : \"\"\n"
            "}\n");
}

TEST(ReportRequestTest, SignatureCoversKeyTimeAndEveryBodyByte) {
  // Digests computed apart, with Python's hashlib over the same bytes.
  EXPECT_EQ(SignReport("1796968958", kStartBody), "49d18a78117f731d83b83ad939ac3c86");
  std::string changed = kStartBody;
  changed[5] = 'I';  // "action" -> "Iction"
  EXPECT_EQ(SignReport("1796968958", changed), "8d04a09758539f0a77511990dfe46956");
  EXPECT_EQ(SignReport("1796968959", kStartBody), "b602a3cd5e7a57322cb337f4a5781282");
}

TEST(ReportRequestTest, SameArgumentsWithinOneSecondGiveTheSameBodyAndSignature) {
  const std::string first = BuildReportBody(StartReport());
  const std::string second = BuildReportBody(StartReport());
  EXPECT_EQ(first, second);
  EXPECT_EQ(SignReport("1796968958", first), SignReport("1796968958", second));
}

TEST(ReportRequestTest, UrlCarriesSignatureThenTimestamp) {
  EXPECT_EQ(BuildReportUrl("http://127.0.0.1:8080/log/v1/api/report",
                           "49d18a78117f731d83b83ad939ac3c86", "1796968958"),
            "http://127.0.0.1:8080/log/v1/api/report?sign=49d18a78117f731d83b83ad939ac3c86"
            "&timestamp=1796968958");
}

TEST(ReportRequestTest, DayIsZeroPadded) {
  EXPECT_EQ(FormatReportDay(2026, 1, 2, 3, 4, 5), "2026-01-02 03:04:05");
  EXPECT_EQ(FormatReportDay(2026, 12, 31, 23, 59, 59), "2026-12-31 23:59:59");
}

}  // namespace
