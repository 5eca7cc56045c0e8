// Sends one GA4 Measurement Protocol event per Send, each on its own short-lived
// thread, so the caller never waits and never learns the outcome.
//
// Threads: Init and Send are called on the owner's thread (the UI thread). Send copies
// the finished URL and body into its task, so a running task never touches the
// reporter: the reporter may be re-initialised or destroyed while events are in flight.
#pragma once

#include <string>

class GaReporter {
 public:
  GaReporter();

  // Replaces all six values, empty ones included; an empty URL, measurement id or
  // secret turns sending off.
  void Init(const std::string& collect_url, const std::string& measurement_id,
            const std::string& api_secret, const std::string& event_category,
            const std::string& event_name, const std::string& client_id);

  // Starts a detached thread that posts the event labelled `label` (or label_suffix).
  // Returns whether a thread was started: false when sending is off or no thread could
  // be started, and the event is then dropped.
  bool Send(const std::string& label, const std::string& suffix);

 private:
  std::string event_category_;
  std::string event_name_;
  std::string collect_url_;
  std::string measurement_id_;
  std::string api_secret_;
  std::string client_id_;
};
