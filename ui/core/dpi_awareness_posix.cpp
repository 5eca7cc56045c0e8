#include "ui/core/dpi_awareness.h"

namespace ui {

// A host process shows nothing: there is no awareness to switch and one nominal DPI, so
// only the scaling arithmetic is exercised there.
bool SwitchProcessToDpiAwareness() { return true; }

int QueryPrimaryMonitorDpi() { return 96; }

}  // namespace ui
