#include "installer/main/setup_ui.h"

#include "ui/core/resource_package.h"

namespace {

constexpr int kResourcePackageId = 133;

}  // namespace

void OpenPackagedResources() { ui::OpenResourcePackage(kResourcePackageId, L"ZIP", ""); }

// The UI framework and the setup window are not part of the executable yet; the UI
// thread then ends its loop on its own.
void StartUiFramework() {}

bool ShowSetupWindow() { return false; }

void StopUiFramework() { ui::CloseResourcePackage(); }
