// The signed request of the report API, apart from sending it: the styled JSON body,
// its MD5 signature over the built-in key, the time and the exact body bytes, and the
// request URL that carries signature and time. Needs no OS facility.
#pragma once

#include <string>

struct ReportFields {
  std::string action;
  std::string day;  // local time, "YYYY-MM-DD hh:mm:ss"
  std::string device_id;
  std::string product;
  std::string qd;
  std::string status;
  std::string version;
};

// The JSON object of the eight string members ("os" is always "windows"), written by
// the styled writer: members in key order, one per line, tab-indented, final line break.
std::string BuildReportBody(const ReportFields& fields);

// MD5 hex of key + "timestamp" + timestamp + body + key.
std::string SignReport(const std::string& timestamp, const std::string& body);

// url + "?sign=" + sign + "&timestamp=" + timestamp.
std::string BuildReportUrl(const std::string& url, const std::string& sign,
                           const std::string& timestamp);

// The local time in the form of the body's "day" member.
std::string FormatReportDay(int year, int month, int day, int hour, int minute, int second);
