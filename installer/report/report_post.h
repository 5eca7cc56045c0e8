// One telemetry POST through a fresh WinINet client. The reporters ignore the outcome;
// it is returned for the log and the tests.
#pragma once

#include <string>

// Each phase of a telemetry request (connecting, sending, waiting for the answer) may
// take this long. Set explicitly: some WinINet implementations report a default but
// wait without limit for a server that accepts and never answers.
constexpr unsigned long kReportTimeoutMs = 5000;

struct ReportPostOutcome {
  bool client_created = false;
  int http_code = 0;  // status of the answer, 0 when there was none
  int error = 0;      // HttpInterfaceError of the client
};

// POSTs `body` to `url` with the extra header lines (none when null) and drops the answer.
ReportPostOutcome PostReport(const std::string& url, const std::string& body,
                             const char* extra_headers);
