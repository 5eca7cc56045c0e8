#include <windows.h>

#include "ui/core/resource_package.h"

namespace ui {

bool OpenResourcePackageFromModule(void* module, int id, const wchar_t* type,
                                   const std::string& password) {
  CloseResourcePackage();
  const HMODULE owner = static_cast<HMODULE>(module);
  // Resource memory belongs to the module: nothing here is freed.
  HRSRC info = ::FindResourceW(owner, MAKEINTRESOURCEW(id), type);
  if (!info) return false;
  HGLOBAL loaded = ::LoadResource(owner, info);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = ::SizeofResource(owner, info);
  if (!bytes || size == 0) return false;
  return OpenResourcePackageFromMemory(bytes, size, password);
}

bool OpenResourcePackage(int id, const wchar_t* type, const std::string& password) {
  return OpenResourcePackageFromModule(::GetModuleHandleW(nullptr), id, type, password);
}

}  // namespace ui
