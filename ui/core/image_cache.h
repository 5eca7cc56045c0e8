// Decoded images shared by key. The cache holds each image weakly: an image lives while
// some user holds it, and the last user letting go removes its entry, so the next
// request decodes the file again.
//
// UI thread only; no locking. Images may outlive the cache (its entries are then simply
// gone).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "ui/core/image_info.h"

namespace ui {

class ImageCache {
 public:
  using Loader = std::function<std::unique_ptr<ImageInfo>()>;

  ImageCache();

  // The live image under `key`, or a new one from `load` stored under `key`. An empty key
  // or a loader that gives nothing yields nothing and stores nothing.
  std::shared_ptr<ImageInfo> Acquire(const std::wstring& key, const Loader& load);

  // The live image under `key`, or nothing; never loads.
  std::shared_ptr<ImageInfo> Find(const std::wstring& key) const;

 private:
  using Entries = std::map<std::wstring, std::weak_ptr<ImageInfo>>;

  // Shared with the release of every image, which may run after the cache is gone.
  std::shared_ptr<Entries> entries_;
};

}  // namespace ui
