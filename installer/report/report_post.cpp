#include "installer/report/report_post.h"

#include "installer/HttpClient/http_base.h"
#include "installer/HttpClient/wininet_http.h"

namespace {

constexpr int kWininetClient = 1;

}  // namespace

ReportPostOutcome PostReport(const std::string& url, const std::string& body,
                             const char* extra_headers) {
  ReportPostOutcome outcome;
  IHttpBase* instance = nullptr;
  if (!CreateHttpInstance(&instance, kWininetClient)) return outcome;
  ScopedHttpInstance owner(instance);
  // Type 1 is always the WinINet client.
  auto* client = static_cast<IWininetHttp*>(instance);
  outcome.client_created = true;
  client->SetTimeouts(kReportTimeoutMs, kReportTimeoutMs, kReportTimeoutMs);
  client->Request(url.c_str(), true, body.c_str(), extra_headers);
  outcome.http_code = client->GetHttpCode();
  outcome.error = client->GetErrorCode();
  return outcome;
}
