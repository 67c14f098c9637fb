#include "controls/controls_init.h"

#include "controls/bm_controls.h"
#include "controls/icon_clip.h"
#include "controls/xc_cursors.h"

void InitControlsLibrary() {
  RegisterControlCursors();
  RegisterBmCursors();
  RegisterIconClipboardFormat();
}
