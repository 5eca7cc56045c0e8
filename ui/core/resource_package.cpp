#include "ui/core/resource_package.h"

#include <memory>
#include <new>

#include "installer/utils/logger.h"
#include "installer/utils/string_util.h"
#include "ui/core/package_reader.h"

namespace ui {

namespace {

std::unique_ptr<PackageReader>& OpenPackage() {
  static std::unique_ptr<PackageReader> package;
  return package;
}

std::wstring ResultText(PackageResult result) {
  return WStringPrintf(L"0x%08X", static_cast<unsigned>(result));
}

}  // namespace

bool OpenResourcePackageFromMemory(const void* data, size_t size, const std::string& password) {
  CloseResourcePackage();
  PackageResult result = PackageResult::kOk;
  OpenPackage() = PackageReader::Open(data, size, password, &result);
  if (!OpenPackage()) {
    QLOG(LV_WAR, L"package: no valid archive in {0} bytes ({1})")
        << static_cast<long long>(size) << ResultText(result);
    return false;
  }
  return true;
}

bool IsUsingPackage() { return OpenPackage() != nullptr; }

std::optional<std::vector<uint8_t>> ReadPackageFile(const std::wstring& path) {
  const PackageReader* package = OpenPackage().get();
  const std::wstring archive_path = NormalizePackagePath(path);
  if (!package || archive_path.empty()) return std::nullopt;

  PackageEntry entry;
  PackageResult result = package->FindEntry(archive_path, true, &entry);
  if (result == PackageResult::kNotFound) return std::nullopt;
  if (result == PackageResult::kOk && entry.uncompressed_size == 0) return std::nullopt;

  std::vector<uint8_t> bytes;
  if (result == PackageResult::kOk) {
    try {
      bytes.resize(entry.uncompressed_size);
    } catch (const std::bad_alloc&) {
      QLOG(LV_WAR, L"package: no memory for {0}") << archive_path;
      return std::nullopt;
    }
    result = package->Extract(entry.index, bytes.data(), bytes.size());
  }
  if (result != PackageResult::kOk) {
    QLOG(LV_WAR, L"package: cannot read {0} ({1})") << archive_path << ResultText(result);
    return std::nullopt;
  }
  return bytes;
}

void CloseResourcePackage() { OpenPackage().reset(); }

}  // namespace ui
