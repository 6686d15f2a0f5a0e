// Tool bars: buttons laid out in order (drop-down arrows, separators, Wrap,
// Wrapable, Indent, captions measured through the metrics provider), the
// drop-down button's arrow against its body, check buttons in groups with
// and without AllowAllUp, Down set by code, and clicks that never move the
// focus.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "MenusGridsTestForm.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/TextMetrics.h"
#include "platform/vcl/ToolWin.h"

namespace {

std::string RectText(const TRect& r) {
  return std::to_string(r.Left) + "," + std::to_string(r.Top) + " " + std::to_string(r.Width()) + "x" +
         std::to_string(r.Height());
}

// ---- Layout (a bar on a plain windowed parent) ----

class ToolBarLayoutTest : public ::testing::Test {
public:  // the layout table builds through these
  void SetUp() override {
    RegisterMenusGridsTestClasses();
    Host = NewObject<TWinControl>(nullptr);
    Host->SetBounds(0, 0, 300, 200);
    Bar = MakeControl<TToolBar>(Host, Host, "tbMain");
  }
  void TearDown() override { Free(Host); }

  TToolButton* Button(const char* name, TToolButtonStyle style = tbsButton) {
    auto* button = MakeControl<TToolButton>(Host, Bar, name);
    button->SetStyle(style);
    button->SetCaption(name);
    return button;
  }
  std::vector<std::string> Layout() const {
    std::vector<std::string> rects;
    for (int i = 0; i < Bar->ButtonCount(); ++i)
      if (Bar->Buttons(i)->Visible()) rects.push_back(RectText(Bar->Buttons(i)->BoundsRect()));
    return rects;
  }

  TWinControl* Host = nullptr;
  TToolBar* Bar = nullptr;
};

struct TLayoutCase {
  const char* Name;
  std::function<void(ToolBarLayoutTest&)> Build;
  std::vector<std::string> Expected;
};

// Guards against buttons out of order, a drop-down without its arrow, a
// separator stretched to a button, Wrap or Wrapable ignored, Indent left
// out, or a hidden button taking room.
TEST_F(ToolBarLayoutTest, ButtonsAreLaidOutLeftToRightInOrder) {
  const int arrow = TToolButton::kDropDownArrowWidth;
  const std::vector<TLayoutCase> cases = {
      {"buttons, a separator and a drop-down",
       [](ToolBarLayoutTest& t) {
         t.Button("a");
         t.Button("sep", tbsSeparator);
         t.Button("drop", tbsDropDown);
         t.Button("b", tbsCheck);
       },
       {"0,0 23x22", "23,0 8x22", "31,0 " + std::to_string(23 + arrow) + "x22",
        std::to_string(31 + 23 + arrow) + ",0 23x22"}},
      {"sizes, indent and a hidden button",
       [](ToolBarLayoutTest& t) {
         t.Bar->SetButtonWidth(30);
         t.Bar->SetButtonHeight(20);
         t.Bar->SetIndent(5);
         t.Button("a");
         t.Button("hidden")->SetVisible(false);
         t.Button("divider", tbsDivider)->SetWidth(4);
         t.Button("b");
       },
       {"5,0 30x20", "35,0 4x20", "39,0 30x20"}},
      {"Wrap starts a new row after the button",
       [](ToolBarLayoutTest& t) {
         t.Button("a")->SetWrap(true);
         t.Button("b");
         t.Button("c");
       },
       {"0,0 23x22", "0,22 23x22", "23,22 23x22"}},
      {"Wrapable wraps what does not fit",
       [](ToolBarLayoutTest& t) {
         t.Bar->SetAlign(alNone);
         t.Bar->SetWidth(60);
         for (const char* n : {"a", "b", "c", "d"}) t.Button(n);
       },
       {"0,0 23x22", "23,0 23x22", "0,22 23x22", "23,22 23x22"}},
      {"without Wrapable the row runs on",
       [](ToolBarLayoutTest& t) {
         t.Bar->SetAlign(alNone);
         t.Bar->SetWidth(60);
         t.Bar->SetWrapable(false);
         for (const char* n : {"a", "b", "c"}) t.Button(n);
       },
       {"0,0 23x22", "23,0 23x22", "46,0 23x22"}},
  };
  for (const TLayoutCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Free(Bar);
    Bar = MakeControl<TToolBar>(Host, Host, "tbMain");
    c.Build(*this);
    EXPECT_EQ(Layout(), c.Expected);
  }
}

// Guards against captions that do not widen the buttons, sizes invented
// instead of measured, or a caption change that is not laid out again.
TEST_F(ToolBarLayoutTest, ShowCaptionsSizesButtonsToTheWidestCaption) {
  TToolButton* a = Button("a");
  TToolButton* b = Button("b");
  b->SetCaption("\xB1\xA3\xB4\xE6(&S)");  // 保存(&S)
  Bar->SetShowCaptions(true);
  ITextMetrics& metrics = GetTextMetrics();
  const int width = std::max(23, metrics.TextWidth(*Bar->Font(), "\xB1\xA3\xB4\xE6(S)") + 2 * TToolBar::kCaptionMargin);
  const int height = std::max(22, metrics.TextHeight(*Bar->Font(), "") + 2 * TToolBar::kCaptionMargin);
  EXPECT_EQ(RectText(a->BoundsRect()), "0,0 " + std::to_string(width) + "x" + std::to_string(height));
  EXPECT_EQ(RectText(b->BoundsRect()), std::to_string(width) + ",0 " + std::to_string(width) + "x" + std::to_string(height));
  b->SetCaption("x");
  EXPECT_EQ(a->Width(), std::max(23, metrics.TextWidth(*Bar->Font(), "x") + 2 * TToolBar::kCaptionMargin));
  EXPECT_THROW(Bar->SetButtonWidth(0), EInvalidOperation);
  EXPECT_THROW(Bar->Buttons(2), EListError);
}

// ---- Check buttons ----

struct TGroupCase {
  const char* Name;
  bool AllowAllUp;
  std::vector<int> Clicks;  // indexes into g0, g1, g2, solo
  const char* Down;         // g0 g1 g2 solo
};

// Guards against a group with two buttons down, a down grouped button that
// comes up without AllowAllUp, a group that reaches past a button of
// another kind, and OnClick missing on a toggle.
TEST_F(ToolBarLayoutTest, CheckButtonsToggleWithinTheirGroup) {
  const std::vector<TGroupCase> cases = {
      {"a click puts a button down", false, {0}, "1000"},
      {"another lifts the first", false, {0, 2}, "0010"},
      {"the down one stays down", false, {1, 1}, "0100"},
      {"AllowAllUp lets it come up", true, {1, 1}, "0000"},
      {"an ungrouped check toggles alone", false, {3, 0, 3}, "1000"},
  };
  for (const TGroupCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Free(Bar);
    Bar = MakeControl<TToolBar>(Host, Host, "tbMain");
    std::vector<TToolButton*> buttons;
    int clicks = 0;
    for (const char* n : {"g0", "g1", "g2", "sep", "solo"}) {
      TToolButton* b = Button(n, std::string(n) == "sep" ? tbsSeparator : tbsCheck);
      b->SetGrouped(std::string(n) != "solo");
      b->SetOnClick(Notify([&clicks](TObject*) { ++clicks; }));
      if (std::string(n) != "sep") buttons.push_back(b);
    }
    buttons[0]->SetAllowAllUp(c.AllowAllUp);  // set for the whole group
    EXPECT_EQ(buttons[2]->AllowAllUp(), c.AllowAllUp);
    EXPECT_FALSE(buttons[3]->AllowAllUp());
    for (int i : c.Clicks) buttons[static_cast<size_t>(i)]->Click();
    std::string down;
    for (TToolButton* b : buttons) down += b->Down() ? '1' : '0';
    EXPECT_EQ(down, c.Down);
    EXPECT_EQ(clicks, static_cast<int>(c.Clicks.size()));
  }
}

// Guards against Down set by code raising OnClick or leaving two buttons of
// a group down, and a separator that reacts to a click.
TEST_F(ToolBarLayoutTest, DownByCodeIsSilentAndExclusive) {
  TToolButton* a = Button("a", tbsCheck);
  TToolButton* b = Button("b", tbsCheck);
  TToolButton* sep = Button("sep", tbsButton);
  int clicks = 0;
  for (TToolButton* x : {a, b, sep}) x->SetOnClick(Notify([&clicks](TObject*) { ++clicks; }));
  a->SetGrouped(true);
  b->SetGrouped(true);
  a->SetDown(true);
  b->SetDown(true);
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(b->Down());
  b->SetDown(false);  // code may lift even the last one
  EXPECT_FALSE(b->Down());
  sep->SetStyle(tbsSeparator);
  EXPECT_EQ(sep->Width(), TToolButton::kSeparatorWidth);
  sep->Click();
  EXPECT_EQ(clicks, 0);
}

// ---- The drop-down button on the test form ----

class ToolBarFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterMenusGridsTestClasses();
    ClearPopupJournal();
    Form = NewObject<TMenusGridsTestForm>(nullptr);
    Form->Show();
    Driver = std::make_unique<TTestDriver>(Form);
    Driver->Focus("sgData");
  }
  void TearDown() override {
    Driver.reset();
    Free(Form);
    ClearPopupJournal();
  }
  // A press and release at x, as a user clicks there.
  void ClickAt(TToolButton* button, int x) {
    const int y = button->Height() / 2;
    ASSERT_TRUE(Application().DispatchMouseDown(button, mbLeft, {ssLeft}, x, y));
    ASSERT_TRUE(Application().DispatchMouseUp(button, mbLeft, {}, x, y));
  }

  TCleanApplication Clean;
  TMenusGridsTestForm* Form = nullptr;
  std::unique_ptr<TTestDriver> Driver;
};

// Guards against the resource's buttons losing their order or sizes.
TEST_F(ToolBarFormTest, ResourceButtonsKeepTheirOrderAndSizes) {
  TToolBar* bar = Form->ToolBar1;
  ASSERT_EQ(bar->ButtonCount(), 3);
  EXPECT_EQ(bar->Buttons(0), Form->btnInsert);
  EXPECT_EQ(bar->Buttons(2), Form->ToolButton1);
  EXPECT_EQ(bar->Images(), Form->ImageList1);
  EXPECT_EQ(Form->ToolButton1->DropdownMenu(), Form->mnList);
  EXPECT_EQ(Form->btnInsert->Hint(), "\xB1\xA3\xB4\xE6");  // 保存
  EXPECT_EQ(RectText(Form->btnInsert->BoundsRect()), "0,0 25x24");
  EXPECT_EQ(RectText(bar->Buttons(1)->BoundsRect()), "25,0 8x24");
  EXPECT_EQ(RectText(Form->ToolButton1->BoundsRect()),
            "33,0 " + std::to_string(25 + TToolButton::kDropDownArrowWidth) + "x24");
}

// Guards against an arrow press that also clicks the body, a body click
// that pops the menu up, and tool button clicks that take the focus.
TEST_F(ToolBarFormTest, ArrowPopsTheMenuUpAndTheBodyClicks) {
  TToolButton* button = Form->ToolButton1;
  ClickAt(button, button->Width() - 2);
  ASSERT_EQ(PopupJournal().size(), 1u);
  EXPECT_EQ(PopupJournal()[0].Menu, Form->mnList);
  EXPECT_EQ(PopupJournal()[0].ComponentPath, "MenusGridsTestForm.ToolButton1");
  const TPoint below = button->ClientToScreen(Point(0, button->Height()));
  EXPECT_EQ(PopupJournal()[0].X, below.X);
  EXPECT_EQ(PopupJournal()[0].Y, below.Y);
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"mnListPopup"}));
  EXPECT_EQ(Form->ActiveControl(), Form->sgData);

  Driver->Click("ToolButton1");  // the centre lies on the body
  Driver->Click("btnInsert");
  EXPECT_EQ(Form->Log, (std::vector<std::string>{"mnListPopup", "ToolButton1Click", "btnInsertClick"}));
  EXPECT_EQ(PopupJournal().size(), 1u);
  EXPECT_EQ(Form->ActiveControl(), Form->sgData);

  // A press on the arrow released elsewhere leaves the next click whole.
  ASSERT_TRUE(Application().DispatchMouseDown(button, mbLeft, {ssLeft}, button->Width() - 2, 3));
  Driver->Click("ToolButton1");
  EXPECT_EQ(Form->Log.back(), "ToolButton1Click");

  button->SetEnabled(false);
  Form->Log.clear();
  Application().DispatchMouseDown(button, mbLeft, {ssLeft}, button->Width() - 2, 3);
  EXPECT_EQ(PopupJournal().size(), 2u);  // only the press above popped up
  EXPECT_TRUE(Form->Log.empty());
}

}  // namespace
