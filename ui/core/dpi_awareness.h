// The operating-system side of DpiScaler.
#pragma once

namespace ui {

// Switches the process to DPI awareness; true on success.
bool SwitchProcessToDpiAwareness();

// The effective horizontal DPI of the monitor nearest to the point (1, 1).
int QueryPrimaryMonitorDpi();

}  // namespace ui
