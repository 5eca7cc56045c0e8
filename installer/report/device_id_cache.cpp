#include "installer/report/device_id_cache.h"

#include "installer/report/md5.h"

std::string DeviceIdCache::Get(const std::function<std::string()>& fingerprint) {
  std::lock_guard<std::mutex> hold(lock_);
  if (device_id_.empty()) {
    const std::string text = fingerprint();
    if (!text.empty()) device_id_ = Md5Hex(text);
  }
  return device_id_;
}
