#include "ui/core/image_cache.h"

namespace ui {

ImageCache::ImageCache() : entries_(std::make_shared<Entries>()) {}

std::shared_ptr<ImageInfo> ImageCache::Acquire(const std::wstring& key, const Loader& load) {
  if (key.empty()) return nullptr;
  if (std::shared_ptr<ImageInfo> image = Find(key)) return image;
  std::unique_ptr<ImageInfo> loaded = load ? load() : nullptr;
  if (!loaded) return nullptr;
  loaded->path = key;
  loaded->cached = true;
  std::weak_ptr<Entries> weak_entries = entries_;
  std::shared_ptr<ImageInfo> image(loaded.release(), [weak_entries, key](ImageInfo* info) {
    // Only an expired entry is removed: the key may hold a newer image by now.
    if (std::shared_ptr<Entries> entries = weak_entries.lock()) {
      auto it = entries->find(key);
      if (it != entries->end() && it->second.expired()) entries->erase(it);
    }
    delete info;
  });
  (*entries_)[key] = image;
  return image;
}

std::shared_ptr<ImageInfo> ImageCache::Find(const std::wstring& key) const {
  auto it = entries_->find(key);
  if (it == entries_->end()) return nullptr;
  return it->second.lock();
}

}  // namespace ui
