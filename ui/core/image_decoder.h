// Turns image files into ImageInfo for the image cache of GlobalResources.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "ui/core/image_info.h"

namespace ui {

class IImageDecoder {
 public:
  virtual ~IImageDecoder() = default;
  // The image held in `bytes` (a whole file read from the resource package); nullptr when
  // it cannot be decoded.
  virtual std::unique_ptr<ImageInfo> DecodeMemory(const std::vector<uint8_t>& bytes) = 0;
  // The image file at `path` on the disk; nullptr when it cannot be read or decoded.
  virtual std::unique_ptr<ImageInfo> DecodeFile(const std::wstring& path) = 0;
};

}  // namespace ui
