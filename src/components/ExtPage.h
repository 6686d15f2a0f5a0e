// The forms' page control: its tabs are owner-drawn from creation and, by
// default, look like window captions: the active tab like an active
// window's caption (bold), the others like inactive ones. A handler on
// OnDrawTab takes the drawing over completely.
#pragma once

#include "platform/vcl/ComCtrls.h"

// Tab indexes count visible tabs only: with pages A, B (tab hidden) and C,
// tab 1 is C, for OnDrawTab and for the default drawing alike.
//
// Default drawing of a tab on Canvas (the rectangle as the tab strip hands
// it over: the active tab's is inflated by 2 on every side):
// - active: the rectangle shrunk by 2 on every side; font colour
//   clCaptionText, bold; brush clActiveCaption;
// - other: font colour clInactiveCaptionText, not bold; brush
//   clInactiveCaption;
// the rectangle is filled with the brush; an inactive tab's top then moves
// down by 2; the caption of the tab's page is drawn on one line, centred
// both ways in the rectangle.
class TExtPageControl : public TPageControl {
  KULR_CLASS(TExtPageControl, TPageControl)
  explicit TExtPageControl(TComponent* owner);

protected:
  void DrawTab(int tabIndex, const TRect& rect, bool active) override;
};

// Registers TExtPageControl for form resources. Idempotent.
void RegisterExtPageClasses();
