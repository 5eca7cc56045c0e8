#include "installer/report/xd_reporter.h"

#include <windows.h>

#include "installer/report/report_post.h"
#include "installer/report/report_request.h"
#include "installer/utils/process_util.h"
#include "installer/utils/string_util.h"

XdReporter::XdReporter() : url_("https://report.example.com") {}

void XdReporter::Init(const std::string& url, const std::string& device_id,
                      const std::string& product, const std::string& version,
                      const std::string& qd) {
  url_ = url;
  device_id_ = device_id;
  product_ = product;
  version_ = version;
  qd_ = qd;
}

bool XdReporter::Send(const std::string& action, const std::string& status) {
  // With no URL the request URL would be just the query, which the client would take
  // for a host name to look up.
  if (url_.empty()) return false;
  try {
    const std::string timestamp = StringPrintf("%lld", static_cast<long long>(GetUnixTime()));
    SYSTEMTIME now;
    GetLocalTime(&now);
    ReportFields fields;
    fields.action = action;
    fields.day = FormatReportDay(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                                 now.wSecond);
    fields.device_id = device_id_;
    fields.product = product_;
    fields.qd = qd_;
    fields.status = status;
    fields.version = version_;
    const std::string body = BuildReportBody(fields);
    const std::string url = BuildReportUrl(url_, SignReport(timestamp, body), timestamp);
    PostReport(url, body, "Content-Type: application/json");
    return true;
  } catch (...) {
    // Telemetry never takes the installer down: a failed report is dropped.
    return false;
  }
}
