// The page control: which page becomes active by code and by the user
// (next/previous with wrap-around, hidden tabs, the changing veto, clicks on
// tabs, Ctrl+Tab), which events each path raises, tab indexes that count
// visible tabs only, the focus when the page holding it goes away, the
// tab strip geometry from the metrics provider and the owner-draw hook.
//
// The fixture: a shown form with the page control pgOption holding tsA,
// tsB, tsC (captions "A", "Bb", and the GBK "中文"), each with one tab-stop
// control edA/edB/edC; btnOut lies on the form outside the page control.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "FormsTestSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/TextMetrics.h"

namespace {

class PageControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterComCtrlsClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmPages");
    Form->SetBounds(0, 0, 600, 450);
    Pages = MakeControl<TPageControl>(Form, Form, "pgOption");
    Pages->SetBounds(8, 8, 466, 380);
    Out = MakeControl<TWinControl>(Form, Form, "btnOut");
    Out->SetTabStop(true);
    tsA = Sheet("tsA", "A");
    tsB = Sheet("tsB", "Bb");
    tsC = Sheet("tsC", "\xD6\xD0\xCE\xC4");  // "中文"
    edA = Edit("edA", tsA);
    edB = Edit("edB", tsB);
    edC = Edit("edC", tsC);
    Pages->SetOnChanging(TTabChangingEvent::FromFunction([this](TObject*, bool& allow) {
      Log.push_back("changing");
      allow = !Veto;
    }));
    Pages->SetOnChange(Notify([this](TObject*) { Log.push_back("change"); }));
    Pages->SetActivePage(tsA);
    Form->Show();
    Log.clear();
  }
  void TearDown() override { Free(Form); }

  TTabSheet* Sheet(const char* name, const char* caption) {
    auto* sheet = NewObject<TTabSheet>(Form);
    sheet->SetName(name);
    sheet->SetCaption(caption);
    sheet->SetPageControl(Pages);
    sheet->SetOnShow(Notify([this, sheet](TObject*) { Log.push_back("show " + NameOf(sheet)); }));
    sheet->SetOnHide(Notify([this, sheet](TObject*) { Log.push_back("hide " + NameOf(sheet)); }));
    return sheet;
  }
  TWinControl* Edit(const char* name, TWinControl* parent) {
    auto* c = MakeControl<TWinControl>(Form, parent, name);
    c->SetTabStop(true);
    c->SetOnExit(Notify([this, c](TObject*) { Log.push_back("exit " + NameOf(c)); }));
    return c;
  }
  TTabSheet* Page(const std::string& name) { return dynamic_cast<TTabSheet*>(Form->FindComponent(name)); }
  TWinControl* EditOf(TTabSheet* sheet) { return sheet == tsA ? edA : sheet == tsB ? edB : edC; }

  TCleanApplication App;
  TEventLog Log;
  bool Veto = false;
  TForm* Form = nullptr;
  TPageControl* Pages = nullptr;
  TWinControl* Out = nullptr;
  TTabSheet *tsA, *tsB, *tsC;
  TWinControl *edA, *edB, *edC;
};

// ---- Selecting pages: code against user ----

enum TPageAction {
  paCode,          // ActivePage := Target
  paNext,          // SelectNextPage(true)
  paPrev,          // SelectNextPage(false)
  paNextAnyTab,    // SelectNextPage(true, false)
  paClickTab,      // the user clicks tab Tab
  paCtrlTab,       // Ctrl+Tab on the focused page control
  paCtrlShiftTab,  // Ctrl+Shift+Tab on the focused page control
  paDialogKey,     // Ctrl+Tab offered by the form while the focus is on the page
};

struct TSelectCase {
  const char* Name;
  std::vector<std::string> HiddenTabs;
  const char* Start;
  TPageAction Action;
  const char* Target;  // paCode
  int Tab;             // paClickTab
  bool Veto;
  const char* Expected;
  std::vector<std::string> Log;
};

void PrintTo(const TSelectCase& c, std::ostream* os) { *os << c.Name; }

class PageSelectTest : public PageControlTest, public ::testing::WithParamInterface<TSelectCase> {};

// Guards against code changes that raise OnChanging/OnChange, user
// changes that skip them or ignore a veto, wrap-around and hidden tabs
// handled wrongly, a change event without a change, and a tab click that
// asks before the focus has left the page.
TEST_P(PageSelectTest, SelectsThePageAndRaisesTheEventsOfItsPath) {
  const TSelectCase& c = GetParam();
  for (const std::string& name : c.HiddenTabs) Page(name)->SetTabVisible(false);
  Pages->SetActivePage(Page(c.Start));
  if (c.Action == paCtrlTab || c.Action == paCtrlShiftTab)
    Pages->SetFocus();
  else
    EditOf(Page(c.Start))->SetFocus();
  Veto = c.Veto;
  Log.clear();

  TTestDriver driver(Form);
  switch (c.Action) {
    case paCode: Pages->SetActivePage(Page(c.Target)); break;
    case paNext: Pages->SelectNextPage(true); break;
    case paPrev: Pages->SelectNextPage(false); break;
    case paNextAnyTab: Pages->SelectNextPage(true, false); break;
    case paClickTab: EXPECT_TRUE(Pages->UserClickTab(c.Tab)); break;
    case paCtrlTab: driver.PressKey(VK_TAB, TShiftState{ssCtrl}); break;
    case paCtrlShiftTab: driver.PressKey(VK_TAB, TShiftState{ssCtrl, ssShift}); break;
    case paDialogKey: EXPECT_TRUE(Pages->DialogKey(VK_TAB, TShiftState{ssCtrl})); break;
  }

  EXPECT_EQ(NameOf(Pages->ActivePage()), c.Expected);
  EXPECT_EQ(Log, c.Log);
  // Only the active page is shown.
  for (TTabSheet* sheet : {tsA, tsB, tsC}) EXPECT_EQ(sheet->Visible(), sheet == Pages->ActivePage()) << NameOf(sheet);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PageSelectTest,
    ::testing::Values(
        TSelectCase{"CodeIsSilent", {}, "tsA", paCode, "tsC", 0, false, "tsC", {"exit edA", "show tsC", "hide tsA"}},
        TSelectCase{"CodeIsSilentEvenWithAVeto", {}, "tsA", paCode, "tsB", 0, true, "tsB",
                    {"exit edA", "show tsB", "hide tsA"}},
        TSelectCase{"CodeMayActivateAHiddenTabsPage", {"tsB"}, "tsA", paCode, "tsB", 0, false, "tsB",
                    {"exit edA", "show tsB", "hide tsA"}},
        TSelectCase{"NextAsksThenChanges", {}, "tsA", paNext, "", 0, false, "tsB",
                    {"changing", "exit edA", "show tsB", "hide tsA", "change"}},
        TSelectCase{"PrevWrapsFromTheFirst", {}, "tsA", paPrev, "", 0, false, "tsC",
                    {"changing", "exit edA", "show tsC", "hide tsA", "change"}},
        TSelectCase{"NextWrapsFromTheLast", {}, "tsC", paNext, "", 0, false, "tsA",
                    {"changing", "exit edC", "show tsA", "hide tsC", "change"}},
        TSelectCase{"NextSkipsAHiddenTab", {"tsB"}, "tsA", paNext, "", 0, false, "tsC",
                    {"changing", "exit edA", "show tsC", "hide tsA", "change"}},
        TSelectCase{"PrevSkipsAHiddenTab", {"tsB"}, "tsC", paPrev, "", 0, false, "tsA",
                    {"changing", "exit edC", "show tsA", "hide tsC", "change"}},
        TSelectCase{"NextWithoutTheTabCheckTakesAHiddenTab", {"tsB"}, "tsA", paNextAnyTab, "", 0, false, "tsB",
                    {"changing", "exit edA", "show tsB", "hide tsA", "change"}},
        TSelectCase{"NextFromAHiddenTabsActivePage", {"tsB"}, "tsB", paNext, "", 0, false, "tsC",
                    {"changing", "exit edB", "show tsC", "hide tsB", "change"}},
        TSelectCase{"AVetoKeepsThePageAndRaisesNoChange", {}, "tsA", paNext, "", 0, true, "tsA", {"changing"}},
        TSelectCase{"TheOnlyVisibleTabAsksNothing", {"tsB", "tsC"}, "tsA", paNext, "", 0, false, "tsA", {}},
        TSelectCase{"ClickFocusesThePageControlBeforeAsking", {}, "tsA", paClickTab, "", 2, false, "tsC",
                    {"exit edA", "changing", "show tsC", "hide tsA", "change"}},
        TSelectCase{"ClickCountsVisibleTabsOnly", {"tsB"}, "tsA", paClickTab, "", 1, false, "tsC",
                    {"exit edA", "changing", "show tsC", "hide tsA", "change"}},
        TSelectCase{"ClickOnTheActiveTabOnlyFocuses", {}, "tsA", paClickTab, "", 0, false, "tsA", {"exit edA"}},
        TSelectCase{"ClickVetoed", {}, "tsA", paClickTab, "", 1, true, "tsA", {"exit edA", "changing"}},
        TSelectCase{"CtrlTabSelectsTheNextPage", {}, "tsA", paCtrlTab, "", 0, false, "tsB",
                    {"changing", "show tsB", "hide tsA", "change"}},
        TSelectCase{"CtrlShiftTabWrapsToTheLastPage", {}, "tsA", paCtrlShiftTab, "", 0, false, "tsC",
                    {"changing", "show tsC", "hide tsA", "change"}},
        TSelectCase{"CtrlTabVetoed", {}, "tsB", paCtrlTab, "", 0, true, "tsB", {"changing"}},
        TSelectCase{"CtrlTabFromInsideThePage", {}, "tsA", paDialogKey, "", 0, false, "tsB",
                    {"changing", "exit edA", "show tsB", "hide tsA", "change"}}),
    [](const ::testing::TestParamInfo<TSelectCase>& info) { return std::string(info.param.Name); });

// Guards against Ctrl+Tab changing pages when the focus is not in the page
// control (the form's other controls own their keys).
TEST_F(PageControlTest, DialogKeyIgnoresOtherKeysAndFocusOutside) {
  Out->SetFocus();
  EXPECT_FALSE(Pages->DialogKey(VK_TAB, TShiftState{ssCtrl}));
  edA->SetFocus();
  EXPECT_FALSE(Pages->DialogKey(VK_TAB, TShiftState{}));
  EXPECT_FALSE(Pages->DialogKey(VK_NEXT, TShiftState{ssCtrl}));
  EXPECT_EQ(Pages->ActivePage(), tsA);
  EXPECT_TRUE(Log.empty()) << Log.front();
}

// Guards against the focus staying on a hidden page (or jumping to the form)
// when the page holding it goes away, and against a page change that an
// exit handler refused.
TEST_F(PageControlTest, FocusOnTheLeavingPageMovesToThePageControl) {
  edA->SetFocus();
  Pages->SetActivePage(tsB);
  EXPECT_EQ(Form->ActiveControl(), Pages);
  EXPECT_EQ(Form->FocusedControl(), Pages);

  // An exit check that sends the focus back keeps the page, by code and by
  // the user alike.
  edB->SetFocus();
  edB->SetOnExit(Notify([this](TObject*) {
    Log.push_back("exit edB");
    edB->SetFocus();
  }));
  Log.clear();
  Pages->SetActivePage(tsC);
  Pages->SelectNextPage(true);
  EXPECT_EQ(Pages->ActivePage(), tsB);
  EXPECT_EQ(Form->ActiveControl(), edB);
  EXPECT_EQ(Log, (TEventLog{"exit edB", "changing", "exit edB"}));
}

// Guards against a change while the focus is elsewhere moving the focus.
TEST_F(PageControlTest, FocusOutsideStaysWhereItIs) {
  Out->SetFocus();
  Pages->SelectNextPage(true);
  EXPECT_EQ(Pages->ActivePage(), tsB);
  EXPECT_EQ(Form->ActiveControl(), Out);
}

// Guards against a dangling active page when the active sheet is freed or
// moved away: the next page takes over, silently.
TEST_F(PageControlTest, RemovingTheActivePageActivatesTheNextSilently) {
  Pages->SetActivePage(tsB);
  Log.clear();
  Free(tsB);
  EXPECT_EQ(Pages->PageCount(), 2);
  EXPECT_EQ(Pages->ActivePage(), tsC);
  EXPECT_EQ(Log, (TEventLog{"show tsC"}));

  tsC->SetPageControl(nullptr);
  EXPECT_EQ(Pages->ActivePage(), tsA);
  EXPECT_EQ(tsC->PageControl(), nullptr);
  EXPECT_EQ(tsC->Parent(), nullptr);
  Free(tsC);
}

// ---- Pages and tabs ----

struct TTabCase {
  const char* Name;
  std::vector<std::string> HiddenTabs;
  std::vector<std::string> TabPages;  // the page of each tab index
  std::vector<int> SheetTabIndex;     // TabIndex of tsA, tsB, tsC
};

void PrintTo(const TTabCase& c, std::ostream* os) { *os << c.Name; }

class TabIndexTest : public PageControlTest, public ::testing::WithParamInterface<TTabCase> {};

// Guards against tab indexes that count hidden tabs (pages A, B hidden, C:
// tab 1 is C) and captions taken from the wrong page.
TEST_P(TabIndexTest, CountsVisibleTabsOnly) {
  const TTabCase& c = GetParam();
  for (const std::string& name : c.HiddenTabs) Page(name)->SetTabVisible(false);
  ASSERT_EQ(Pages->TabCount(), static_cast<int>(c.TabPages.size()));
  for (int i = 0; i < Pages->TabCount(); ++i) {
    EXPECT_EQ(NameOf(Pages->PageForTab(i)), c.TabPages[i]) << i;
    EXPECT_EQ(Pages->TabCaption(i), Page(c.TabPages[i])->Caption()) << i;
  }
  EXPECT_EQ(Pages->PageForTab(Pages->TabCount()), nullptr);
  EXPECT_EQ((std::vector<int>{tsA->TabIndex(), tsB->TabIndex(), tsC->TabIndex()}), c.SheetTabIndex);
  EXPECT_EQ(Pages->TabIndex(), tsA->TabIndex());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TabIndexTest,
    ::testing::Values(TTabCase{"AllVisible", {}, {"tsA", "tsB", "tsC"}, {0, 1, 2}},
                      TTabCase{"MiddleHidden", {"tsB"}, {"tsA", "tsC"}, {0, -1, 1}},
                      TTabCase{"FirstHidden", {"tsA"}, {"tsB", "tsC"}, {-1, 0, 1}},
                      TTabCase{"AllHidden", {"tsA", "tsB", "tsC"}, {}, {-1, -1, -1}}),
    [](const ::testing::TestParamInfo<TTabCase>& info) { return std::string(info.param.Name); });

// Guards against FindNextPage missing the wrap, the start for a page that is
// not here, the current page as the only candidate, or an endless loop when
// no page qualifies.
TEST_F(PageControlTest, FindNextPageWrapsAndChecksTabs) {
  struct TRow {
    const char* Hidden;  // "" or a page name
    TTabSheet* Current;
    bool Forward;
    bool Check;
    TTabSheet* Expected;
  };
  tsA->SetTabVisible(true);
  const std::vector<TRow> rows = {
      {"", tsA, true, true, tsB},       {"", tsC, true, true, tsA},       {"", tsA, false, true, tsC},
      {"", nullptr, true, true, tsA},   {"", nullptr, false, true, tsC},  {"tsB", tsA, true, true, tsC},
      {"tsB", tsA, true, false, tsB},   {"tsB", tsB, false, true, tsA},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(std::string(row.Hidden) + " from " + NameOf(row.Current) + (row.Forward ? " forward" : " back"));
    for (TTabSheet* s : {tsA, tsB, tsC}) s->SetTabVisible(NameOf(s) != row.Hidden);
    EXPECT_EQ(Pages->FindNextPage(row.Current, row.Forward, row.Check), row.Expected);
  }
  // The only visible tab is its own next; no visible tab gives none.
  tsA->SetTabVisible(true);
  tsB->SetTabVisible(false);
  tsC->SetTabVisible(false);
  EXPECT_EQ(Pages->FindNextPage(tsA, true, true), tsA);
  tsA->SetTabVisible(false);
  EXPECT_EQ(Pages->FindNextPage(tsA, true, true), nullptr);
}

// Guards against PageIndex moves that lose or duplicate pages and tab
// indexes that do not follow the new order.
TEST_F(PageControlTest, PageIndexMovesTheSheet) {
  tsC->SetPageIndex(0);
  EXPECT_EQ((std::vector<TTabSheet*>{Pages->Pages(0), Pages->Pages(1), Pages->Pages(2)}),
            (std::vector<TTabSheet*>{tsC, tsA, tsB}));
  EXPECT_EQ(tsC->TabIndex(), 0);
  EXPECT_EQ(Pages->ActivePageIndex(), 1);
  Pages->SetActivePageIndex(0);
  EXPECT_EQ(Pages->ActivePage(), tsC);
  EXPECT_TRUE(Log.size() == 2 && Log[0] == "show tsC") << "code must raise no change events";
}

// Guards against bad input crashing or being accepted silently.
TEST_F(PageControlTest, BadInputRaisesClearErrors) {
  TPageControl* other = MakeControl<TPageControl>(Form, Form, "pgOther");
  TTabSheet* foreign = NewObject<TTabSheet>(Form);
  foreign->SetPageControl(other);
  EXPECT_THROW(Pages->SetActivePage(foreign), EInvalidOperation);
  EXPECT_THROW(Pages->Pages(3), EListError);
  EXPECT_THROW(Pages->SetActivePageIndex(7), EListError);
  EXPECT_THROW(Pages->TabRect(3), EListError);
  EXPECT_THROW(tsA->SetPageIndex(3), EListError);
  EXPECT_THROW(foreign->SetParent(Form), EControlError);
  EXPECT_THROW(Pages->SetTabHeight(-1), EInvalidOperation);
  EXPECT_EQ(foreign->PageControl(), other);
  EXPECT_EQ(Pages->ActivePage(), tsA);
}

// ---- Geometry and owner drawing ----

int TextW(const TControl* c, const AnsiString& s) { return GetTextMetrics().TextWidth(*c->Font(), s); }
int TextH(const TControl* c) { return GetTextMetrics().TextHeight(*c->Font(), ""); }

// Guards against tab rectangles not taken from the metrics provider (a
// double-byte caption counted as bytes of one width), pages placed over
// the strip, and TabWidth/TabHeight ignored.
TEST_F(PageControlTest, TabsAreLaidOutFromTheFontMetrics) {
  using T = TCustomTabControl;
  const int h = TextH(Pages) + 2 * T::kTabPaddingY;
  int x = T::kStripInset;
  for (int i = 0; i < 3; ++i) {
    const int w = TextW(Pages, Pages->TabCaption(i)) + 2 * T::kTabPaddingX;
    EXPECT_EQ(Pages->TabRect(i), Rect(x, T::kStripInset, x + w, T::kStripInset + h)) << i;
    x += w;
  }
  const TRect display = Pages->DisplayRect();
  EXPECT_EQ(display, Rect(T::kPageBorder, T::kStripInset + h + T::kPageBorder, Pages->ClientWidth() - T::kPageBorder,
                          Pages->ClientHeight() - T::kPageBorder));
  EXPECT_EQ(tsA->BoundsRect(), display);

  Pages->SetTabWidth(40);
  Pages->SetTabHeight(25);
  EXPECT_EQ(Pages->TabRect(2), Rect(T::kStripInset + 80, T::kStripInset, T::kStripInset + 120, T::kStripInset + 25));
  EXPECT_EQ(tsA->BoundsRect().Top, T::kStripInset + 25 + T::kPageBorder);

  // Tabs at the bottom: the strip lies along the bottom edge.
  Pages->SetTabPosition(tpBottom);
  EXPECT_EQ(Pages->TabRect(0).Bottom, Pages->ClientHeight() - T::kStripInset);
  EXPECT_EQ(Pages->DisplayRect().Bottom, Pages->ClientHeight() - T::kStripInset - 25 - T::kPageBorder);
}

// Guards against MultiLine never wrapping, or wrapping a tab that fits.
TEST_F(PageControlTest, MultiLineWrapsTabsThatDoNotFit) {
  using T = TCustomTabControl;
  Pages->SetTabWidth(100);
  Pages->SetTabHeight(20);
  Pages->SetWidth(2 * T::kStripInset + 250);  // two tabs fit, the third does not
  EXPECT_EQ(Pages->RowCount(), 1);
  EXPECT_GT(Pages->TabRect(2).Right, Pages->ClientWidth());
  Pages->SetMultiLine(true);
  EXPECT_EQ(Pages->RowCount(), 2);
  EXPECT_EQ(Pages->TabRect(1).Top, T::kStripInset);
  EXPECT_EQ(Pages->TabRect(2), Rect(T::kStripInset, T::kStripInset + 20, T::kStripInset + 100, T::kStripInset + 40));
  EXPECT_EQ(Pages->DisplayRect().Top, T::kStripInset + 40 + T::kPageBorder);
}

// Guards against a mouse press that misses the tab it lands on, or that
// changes the page without focusing the control first.
TEST_F(PageControlTest, MousePressOnATabSelectsIt) {
  edA->SetFocus();
  const TRect r = Pages->TabRect(2);
  EXPECT_EQ(Pages->IndexOfTabAt(r.Left, r.Top), 2);
  EXPECT_EQ(Pages->IndexOfTabAt(r.Right, r.Bottom), -1);
  Log.clear();
  ASSERT_TRUE(Application().DispatchMouseDown(Pages, mbLeft, TShiftState{ssLeft}, r.Right - 1, r.Bottom - 1));
  EXPECT_EQ(Pages->ActivePage(), tsC);
  EXPECT_EQ(Form->ActiveControl(), Pages);
  // A press on the page area below the strip changes nothing.
  Application().DispatchMouseUp(Pages, mbLeft, TShiftState{}, r.Right - 1, r.Bottom - 1);
  Application().DispatchMouseDown(Pages, mbLeft, TShiftState{ssLeft}, 10, Pages->DisplayRect().Top + 10);
  EXPECT_EQ(Pages->ActivePage(), tsC);
  EXPECT_EQ(Log, (TEventLog{"exit edA", "changing", "show tsC", "hide tsA", "change"}));
}

struct TDrawCall {
  int TabIndex;
  TRect Rect;
  bool Active;
  friend bool operator==(const TDrawCall&, const TDrawCall&) = default;
};

// Guards against the hook not being called for every visible tab, called
// with tab indexes that count hidden tabs, rectangles not from the layout,
// the active flag on the wrong tab, and owner drawing without OwnerDraw.
TEST_F(PageControlTest, OwnerDrawCallsTheHookForEachVisibleTab) {
  using T = TCustomTabControl;
  std::vector<TDrawCall> calls;
  Pages->SetOnDrawTab(TDrawTabEvent::FromFunction([&](TCustomTabControl* control, int tab, const TRect& r, bool active) {
    EXPECT_EQ(control, Pages);
    calls.push_back({tab, r, active});
  }));
  tsB->SetTabVisible(false);
  Pages->SetActivePage(tsC);
  Pages->Repaint();
  EXPECT_TRUE(calls.empty()) << "tabs are owner-drawn only with OwnerDraw";
  // Without owner drawing the captions are recorded.
  ASSERT_EQ(Pages->Canvas().Texts().size(), 2u);
  EXPECT_EQ(Pages->Canvas().Texts()[1].Text, tsC->Caption());

  Pages->SetOwnerDraw(true);
  Pages->Repaint();
  TRect active = Pages->TabRect(1);
  active.Left -= T::kActiveInflate;
  active.Top -= T::kActiveInflate;
  active.Right += T::kActiveInflate;
  active.Bottom += T::kActiveInflate;
  EXPECT_EQ(calls, (std::vector<TDrawCall>{{0, Pages->TabRect(0), false}, {1, active, true}}));
  EXPECT_EQ(Pages->TabRect(1).Left, Pages->TabRect(0).Right);
}

// Guards against the plain owner drawing (no handler) drawing the wrong
// caption for a tab index.
TEST_F(PageControlTest, OwnerDrawWithoutAHandlerRecordsTheCaptions) {
  tsA->SetTabVisible(false);
  Pages->SetOwnerDraw(true);
  Pages->Repaint();
  const auto& texts = Pages->Canvas().Texts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "Bb");
  EXPECT_EQ(texts[1].Text, tsC->Caption());
  EXPECT_EQ(texts[0].X, Pages->TabRect(0).Left + TCustomTabControl::kTabPaddingX);
}

}  // namespace
