// Posts installation events to the report API as a styled JSON object signed with an
// MD5 digest over the built-in key, the request time and the exact body.
//
// Threads: Init and Send on the owner's thread. Send blocks for the whole exchange,
// bounded by the request time limits of PostReport.
#pragma once

#include <string>

class XdReporter {
 public:
  XdReporter();

  // Replaces all five values.
  void Init(const std::string& url, const std::string& device_id, const std::string& product,
            const std::string& version, const std::string& qd);

  // Builds, signs and posts one report; the answer is ignored. Returns whether a request
  // was made: false when the URL is empty (nothing is sent then).
  bool Send(const std::string& action, const std::string& status);

 private:
  std::string url_;
  std::string device_id_;
  std::string product_;
  std::string version_;
  std::string qd_;
};
