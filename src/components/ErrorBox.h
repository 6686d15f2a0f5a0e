// The error box the components show when a user's action or the
// installation fails them (a glyph that cannot be loaded, a second button or
// label for one control): an error dialog with an OK button, captioned with
// the application's title, journalled as an error box. It goes through the
// application's dialog path, so a dialog driver answers it and it never
// blocks.
#pragma once

#include "platform/rtl/Types.h"

void ShowErrorBox(const AnsiString& text);
