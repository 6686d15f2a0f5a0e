#include "components/ExtPage.h"

#include "platform/vcl/ClassBuilder.h"

TExtPageControl::TExtPageControl(TComponent* owner) : TPageControl(owner) { SetOwnerDraw(true); }

void TExtPageControl::DrawTab(int tabIndex, const TRect& rect, bool active) {
  if (OnDrawTab()) {
    TPageControl::DrawTab(tabIndex, rect, active);
    return;
  }
  TCanvas& canvas = Canvas();
  TRect r = rect;
  TFontStyles style = canvas.Font().Style();
  if (active) {
    r = Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    canvas.Font().SetColor(clCaptionText);
    canvas.Font().SetStyle(style.Include(fsBold));
    canvas.Brush().SetColor(clActiveCaption);
  } else {
    canvas.Font().SetColor(clInactiveCaptionText);
    canvas.Font().SetStyle(style.Exclude(fsBold));
    canvas.Brush().SetColor(clInactiveCaption);
  }
  canvas.Brush().SetStyle(bsSolid);
  canvas.FillRect(r);
  if (!active) r.Top += 2;
  const AnsiString caption = TabCaption(tabIndex);
  const int x = r.Left + (r.Width() - canvas.TextWidth(caption)) / 2;
  const int y = r.Top + (r.Height() - canvas.TextHeight(caption)) / 2;
  canvas.TextRect(r, x, y, caption);
}

const TClass& TExtPageControl::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TExtPageControl> b;
    // Owner-drawn from creation, so a resource need not say so.
    b.Property("OwnerDraw", &TExtPageControl::OwnerDraw, &TExtPageControl::SetOwnerDraw).Default(true);
    b.Factory();
    return b.Build();
  }();
  return record;
}

void RegisterExtPageClasses() { RegisterClass(TExtPageControl::StaticClass()); }
