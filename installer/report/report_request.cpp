#include "installer/report/report_request.h"

#include <json/json.h>

#include "installer/report/md5.h"
#include "installer/utils/string_util.h"

namespace {

const char kSigningKey[] = "Kp3vN8qLt2WzR7mYc4HbX9fJd6GsQ1uE";

}  // namespace

std::string BuildReportBody(const ReportFields& fields) {
  Json::Value report(Json::objectValue);
  report["action"] = fields.action;
  report["day"] = fields.day;
  report["device_id"] = fields.device_id;
  report["os"] = "windows";
  report["product"] = fields.product;
  report["qd"] = fields.qd;
  report["status"] = fields.status;
  report["version"] = fields.version;
  return report.toStyledString();
}

std::string SignReport(const std::string& timestamp, const std::string& body) {
  return Md5Hex(kSigningKey + std::string("timestamp") + timestamp + body + kSigningKey);
}

std::string BuildReportUrl(const std::string& url, const std::string& sign,
                           const std::string& timestamp) {
  return url + "?sign=" + sign + "&timestamp=" + timestamp;
}

std::string FormatReportDay(int year, int month, int day, int hour, int minute, int second) {
  return StringPrintf("%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute, second);
}
