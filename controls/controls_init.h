#pragma once

// Start-up registration of the controls library: the two cursors and the icon
// clipboard format. app/ calls it once after the application object exists.
void InitControlsLibrary();
