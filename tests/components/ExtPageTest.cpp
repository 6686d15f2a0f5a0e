// The forms' page control: owner-drawn from creation, the drawing hook and
// the default caption-like drawing both counting visible tabs only.
#include "components/ExtPage.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/vcl/Application.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/TextMetrics.h"

namespace {

class ExtPageTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterExtPageClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetBounds(0, 0, 500, 400);
    Pages = NewObject<TExtPageControl>(Form);
    Pages->SetName("pgOption");
    Pages->SetParent(Form);
    Pages->SetBounds(0, 0, 466, 380);
    for (const char* caption : {"A", "B", "C"}) {
      auto* sheet = NewObject<TTabSheet>(Form);
      sheet->SetPageControl(Pages);
      sheet->SetCaption(caption);
    }
    Pages->Pages(1)->SetTabVisible(false);
  }
  void TearDown() override {
    Free(Form);
    Application().ProcessMessages();
  }

  static TRect Inflated(TRect r, int by) { return Rect(r.Left - by, r.Top - by, r.Right + by, r.Bottom + by); }

  TForm* Form = nullptr;
  TExtPageControl* Pages = nullptr;
};

struct TDrawCall {
  int TabIndex;
  std::string Caption;
  TRect Rect;
  bool Active;
};

// Guards against the hook being handed page indexes (the hidden page's
// caption on the second tab), a default drawing on top of the hook's, or
// tabs that are not owner-drawn at all.
TEST_F(ExtPageTest, DrawHookGetsVisibleTabsOnly) {
  std::vector<TDrawCall> calls;
  Pages->SetOnDrawTab(TDrawTabEvent::FromFunction(
      [&calls](TCustomTabControl* control, int tabIndex, const TRect& rect, bool active) {
        calls.push_back({tabIndex, control->TabCaption(tabIndex), rect, active});
      }));
  Pages->SetActivePage(Pages->Pages(0));
  Pages->Repaint();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].Caption, "A");
  EXPECT_TRUE(calls[0].Active);
  EXPECT_EQ(calls[0].Rect, Inflated(Pages->TabRect(0), 2));
  EXPECT_EQ(calls[1].TabIndex, 1);
  EXPECT_EQ(calls[1].Caption, "C");
  EXPECT_FALSE(calls[1].Active);
  EXPECT_EQ(calls[1].Rect, Pages->TabRect(1));
  EXPECT_TRUE(Pages->Canvas().Texts().empty());
}

// Guards against the default drawing showing the hidden page's caption,
// mixing up the active and inactive caption colours, bolding the wrong tab,
// or placing the caption off centre (the inactive tab's top moves down 2,
// the active tab's inflated rectangle shrinks back by 2).
TEST_F(ExtPageTest, DefaultDrawingLooksLikeWindowCaptions) {
  Pages->SetActivePage(Pages->Pages(2));
  Pages->Repaint();
  const auto& texts = Pages->Canvas().Texts();
  ASSERT_EQ(texts.size(), 2u);
  const struct {
    const char* Caption;
    TRect Rect;
    TColor FontColor;
    TColor BrushColor;
    bool Bold;
  } expected[] = {
      {"A", Rect(Pages->TabRect(0).Left, Pages->TabRect(0).Top + 2, Pages->TabRect(0).Right,
                 Pages->TabRect(0).Bottom),
       clInactiveCaptionText, clInactiveCaption, false},
      {"C", Pages->TabRect(1), clCaptionText, clActiveCaption, true},
  };
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(expected[i].Caption);
    const TCanvasText& text = texts[i];
    TFont font;
    font.Assign(Pages->Font());
    if (expected[i].Bold) font.SetStyle(TFontStyles{fsBold});
    const TRect& r = expected[i].Rect;
    EXPECT_EQ(text.Text, expected[i].Caption);
    EXPECT_TRUE(text.Clipped);
    EXPECT_EQ(text.ClipRect, r);
    EXPECT_EQ(text.X, r.Left + (r.Width() - GetTextMetrics().TextWidth(font, text.Text)) / 2);
    EXPECT_EQ(text.Y, r.Top + (r.Height() - GetTextMetrics().TextHeight(font, text.Text)) / 2);
    EXPECT_EQ(text.FontColor, expected[i].FontColor);
    EXPECT_EQ(text.BrushColor, expected[i].BrushColor);
    EXPECT_EQ(text.FontStyle.Contains(fsBold), expected[i].Bold);
  }
}

// Guards against a control that needs its resource to switch owner
// drawing on, or a record that would write that setting into every form.
TEST_F(ExtPageTest, OwnerDrawnFromCreation) {
  ASSERT_EQ(FindClass("TExtPageControl"), &TExtPageControl::StaticClass());
  auto* created = static_cast<TExtPageControl*>(FindClass("TExtPageControl")->Create(Form));
  EXPECT_TRUE(created->OwnerDraw());
  const TPropInfo* ownerDraw = GetPropInfo(created, "OwnerDraw");
  ASSERT_NE(ownerDraw, nullptr);
  EXPECT_EQ(ownerDraw->Default(), std::optional<int64_t>(1));
  EXPECT_TRUE(IsPublishedProp(created, "OnDrawTab"));
}

}  // namespace
