// The process-wide device identifier: the MD5 hex text of the hardware fingerprint,
// computed on first use and kept.
//
// Threads: any thread may ask; the first caller computes while later ones wait, so the
// probes never run twice at once. An empty result is not kept, so it is tried again.
#pragma once

#include <functional>
#include <mutex>
#include <string>

class DeviceIdCache {
 public:
  std::string Get(const std::function<std::string()>& fingerprint);

 private:
  std::mutex lock_;
  std::string device_id_;
};
