// The UI start-up steps of the UI thread, in the order it calls them: the packaged
// resources, the UI framework, the setup window; and the framework's stop at the end.
// The framework start and stop and the setup window are filled in by the modules that
// provide them; until then the start does nothing, the stop only closes the package, and
// ShowSetupWindow reports that no window exists.
//
// Threads: the UI thread only.
#pragma once

// Opens the "ZIP" resource 133 of the executable; without it files are read from disk.
void OpenPackagedResources();
// Starts the UI framework on the resource root "resources\" with the default theme and
// the English strings.
void StartUiFramework();
// Creates, centres and shows the setup window; false when it could not be created.
bool ShowSetupWindow();
// Stops the UI framework and closes the packaged resources.
void StopUiFramework();
