#include "installer/report/ga_reporter.h"

#include <windows.h>

#include <memory>

#include "base/win/scoped_handle.h"
#include "installer/report/ga_event.h"
#include "installer/report/report_post.h"

namespace {

struct GaTask {
  std::string url;
  std::string body;
};

DWORD WINAPI RunGaTask(void* param) {
  std::unique_ptr<GaTask> task(static_cast<GaTask*>(param));
  try {
    PostReport(task->url, task->body, nullptr);
  } catch (...) {
    // A lost event is all that may come of a failure here.
  }
  return 0;
}

}  // namespace

GaReporter::GaReporter()
    : collect_url_("https://www.google-analytics.com/mp/collect"),
      measurement_id_("G-Q7RM2XKD4B"),
      api_secret_("Rb4uTq8ZwL-nC2pXhV7sKa"),
      client_id_("4934") {}

void GaReporter::Init(const std::string& collect_url, const std::string& measurement_id,
                      const std::string& api_secret, const std::string& event_category,
                      const std::string& event_name, const std::string& client_id) {
  collect_url_ = collect_url;
  measurement_id_ = measurement_id;
  api_secret_ = api_secret;
  event_category_ = event_category;
  event_name_ = event_name;
  client_id_ = client_id;
}

bool GaReporter::Send(const std::string& label, const std::string& suffix) {
  if (collect_url_.empty() || measurement_id_.empty() || api_secret_.empty()) return false;
  try {
    auto task = std::make_unique<GaTask>();
    task->url = BuildGaCollectUrl(collect_url_, measurement_id_, api_secret_);
    task->body = BuildGaEventBody(client_id_, event_name_, event_category_,
                                  BuildGaEventLabel(label, suffix));
    // The handle is closed at once: the thread runs detached.
    const nbase::win::ScopedHandle thread(
        CreateThread(nullptr, 0, RunGaTask, task.get(), 0, nullptr));
    if (!thread) return false;
    task.release();  // the thread owns it now
    return true;
  } catch (...) {
    return false;
  }
}
