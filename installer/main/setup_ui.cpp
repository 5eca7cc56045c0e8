#include "installer/main/setup_ui.h"

#include "ui/core/global_resources.h"
#include "ui/core/resource_package.h"

namespace {

constexpr int kResourcePackageId = 133;

}  // namespace

void OpenPackagedResources() { ui::OpenResourcePackage(kResourcePackageId, L"ZIP", ""); }

void StartUiFramework() {
  ui::GlobalResources::StartFramework(L"resources\\", nullptr, true, L"themes\\default",
                                      L"lang\\English");
}

// The setup window is not part of the executable yet; the UI thread then ends its loop
// on its own.
bool ShowSetupWindow() { return false; }

// Closes the resource package too.
void StopUiFramework() { ui::GlobalResources::StopFramework(); }
