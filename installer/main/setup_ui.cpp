#include "installer/main/setup_ui.h"

// The resource package, the UI framework and the setup window are not part of the
// executable yet; the UI thread then ends its loop on its own.

void OpenPackagedResources() {}

void StartUiFramework() {}

bool ShowSetupWindow() { return false; }

void StopUiFramework() {}
