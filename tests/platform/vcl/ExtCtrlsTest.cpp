// The panel's client rectangle from its bevels and borders, the radio
// group's buttons (owned, made by a factory a descendant replaces, rebuilt
// with the items, laid out in columns by the metrics provider) and its
// ItemIndex by code and by the user, the splitter's drag, and the timer
// that only the message loop fires on the test clock. Pixel values of the
// layouts come from the metrics provider; GBK bytes from Python's codecs
// ("日".encode("gbk")).
#include "platform/vcl/ExtCtrls.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ButtonsTestForm.h"
#include "FormsTestSupport.h"
#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/TextMetrics.h"
#include "platform/win/Timers.h"

namespace {

class ExtCtrlsTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterButtonsTestClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmExt");
    Form->SetBounds(0, 0, 400, 300);
  }
  void TearDown() override { Free(Form); }

  TCleanApplication App;
  TTestClock Clock;
  TForm* Form = nullptr;
  TEventLog Log;
};

// ---- Panel ----

struct TPanelCase {
  const char* Name;
  TBevelCut Outer;
  TBevelCut Inner;
  int BevelWidth;
  int BorderWidth;
  TFormBorderStyle BorderStyle;
  TRect Client;  // ClientRect of a 200 x 100 panel
  TRect Child;   // bounds of an alClient child
  friend void PrintTo(const TPanelCase& c, std::ostream* os) { *os << c.Name; }
};

class PanelClientTest : public ExtCtrlsTest, public ::testing::WithParamInterface<TPanelCase> {};

// Guards against a bevel or border that children aligned to the client
// area overlap, a bevel counted when it is none, the bevel width counted
// once for two bevels, and a window edge taken as client area.
TEST_P(PanelClientTest, ChildrenSitInsideBevelsAndBorders) {
  const TPanelCase& c = GetParam();
  auto* panel = MakeControl<TPanel>(Form, Form, "pnl");
  auto* child = MakeControl<TWinControl>(Form, panel, "child");
  child->SetAlign(alClient);
  panel->SetBevelOuter(c.Outer);
  panel->SetBevelInner(c.Inner);
  panel->SetBevelWidth(c.BevelWidth);
  panel->SetBorderWidth(c.BorderWidth);
  panel->SetBorderStyle(c.BorderStyle);
  panel->SetBounds(0, 0, 200, 100);
  EXPECT_EQ(panel->ClientRect(), c.Client);
  EXPECT_EQ(child->BoundsRect(), c.Child);
  EXPECT_EQ(panel->InnerRect(), c.Child);
}

INSTANTIATE_TEST_SUITE_P(
    Frames, PanelClientTest,
    ::testing::Values(
        TPanelCase{"NewPanelRaisedOutside", bvRaised, bvNone, 1, 0, bsNone, Rect(0, 0, 200, 100),
                   Rect(1, 1, 199, 99)},
        TPanelCase{"NoBevels", bvNone, bvNone, 1, 0, bsNone, Rect(0, 0, 200, 100), Rect(0, 0, 200, 100)},
        TPanelCase{"BothBevelsCountEach", bvRaised, bvLowered, 2, 0, bsNone, Rect(0, 0, 200, 100),
                   Rect(4, 4, 196, 96)},
        TPanelCase{"SpaceIsABevel", bvSpace, bvNone, 3, 0, bsNone, Rect(0, 0, 200, 100), Rect(3, 3, 197, 97)},
        TPanelCase{"BorderWidthAddsToTheBevel", bvNone, bvRaised, 1, 5, bsNone, Rect(0, 0, 200, 100),
                   Rect(6, 6, 194, 94)},
        TPanelCase{"SingleBorderIsOutsideTheClient", bvNone, bvNone, 1, 0, bsSingle, Rect(0, 0, 196, 96),
                   Rect(0, 0, 196, 96)},
        TPanelCase{"EverythingTogether", bvLowered, bvRaised, 2, 3, bsSingle, Rect(0, 0, 196, 96),
                   Rect(7, 7, 189, 89)}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against a frame change that leaves the aligned children where
// they were, and a window edge that does not move the client origin.
TEST_F(ExtCtrlsTest, PanelFrameChangeRealignsAndEdgeMovesTheOrigin) {
  auto* panel = MakeControl<TPanel>(Form, Form, "pnl");
  panel->SetBounds(10, 20, 200, 100);
  auto* child = MakeControl<TWinControl>(Form, panel, "child");
  child->SetAlign(alTop);
  child->SetHeight(30);
  EXPECT_EQ(child->BoundsRect(), Rect(1, 1, 199, 31));
  panel->SetBevelWidth(4);
  EXPECT_EQ(child->BoundsRect(), Rect(4, 4, 196, 34));
  const TPoint before = panel->ClientOrigin();
  panel->SetBorderStyle(bsSingle);
  EXPECT_EQ(panel->ClientOrigin(), Point(before.X + 2, before.Y + 2));
  EXPECT_EQ(child->BoundsRect(), Rect(4, 4, 192, 34));
}

// Guards against frame values a window cannot have slipping in by code or
// by name.
TEST_F(ExtCtrlsTest, PanelRefusesImpossibleFrames) {
  auto* panel = MakeControl<TPanel>(Form, Form, "pnl");
  EXPECT_THROW(panel->SetBevelWidth(0), EInvalidOperation);
  EXPECT_THROW(panel->SetBorderWidth(-1), EInvalidOperation);
  EXPECT_THROW(panel->SetBorderStyle(bsDialog), EConvertError);
  EXPECT_THROW(SetOrdProp(panel, "BorderStyle", 2), EPropertyError);
  EXPECT_THROW(SetOrdProp(panel, "BevelOuter", 4), EPropertyError);
  EXPECT_EQ(GetEnumProp(panel, "BorderStyle"), "bsNone");
  EXPECT_EQ(panel->BevelWidth(), 1);
}

// Guards against a panel read from a resource whose frame or caption is
// lost: the caption is drawn centred inside both bevels and the border.
TEST_F(ExtCtrlsTest, PanelFromResourceDrawsItsCaptionInsideTheFrame) {
  auto* form = NewObject<TButtonsTestForm>(nullptr);
  TPanel* panel = form->pnlTop;
  EXPECT_EQ(panel->Caption(), "\xCC\xF5\xBC\xFE");  // 条件
  const TRect inner = Rect(7, 7, panel->Width() - 7, 60 - 7);
  EXPECT_EQ(panel->InnerRect(), inner);
  panel->Repaint();
  ASSERT_EQ(panel->Canvas().Texts().size(), 1u);
  const TCanvasText& text = panel->Canvas().Texts()[0];
  const int width = GetTextMetrics().TextWidth(*panel->Font(), panel->Caption());
  const int height = GetTextMetrics().TextHeight(*panel->Font(), panel->Caption());
  EXPECT_EQ(text.Text, panel->Caption());
  EXPECT_EQ(text.X, inner.Left + (inner.Width() - width) / 2);
  EXPECT_EQ(text.Y, inner.Top + (inner.Height() - height) / 2);
  Free(form);
}

// ---- Radio group ----

int gGroupButtonsAlive = 0;

// A descendant's own button class, as a radio group of the forms uses.
class TTestGroupButton : public TRadioButton {
public:
  explicit TTestGroupButton(TComponent* owner) : TRadioButton(owner) { ++gGroupButtonsAlive; }
  ~TTestGroupButton() override { --gGroupButtonsAlive; }
};

class TTestRadioGroup : public TCustomRadioGroup {
public:
  using TCustomRadioGroup::TCustomRadioGroup;
  int Made = 0;

protected:
  TRadioButton* CreateButton() override {
    ++Made;
    return NewObject<TTestGroupButton>(this);
  }
};

class RadioGroupTest : public ExtCtrlsTest {
protected:
  TTestRadioGroup* Group(std::initializer_list<const char*> items) {
    auto* group = MakeControl<TTestRadioGroup>(Form, Form, "rg");
    group->SetBounds(0, 0, 200, 120);
    TStringList list;
    for (const char* item : items) list.Add(item);
    group->SetItems(&list);
    group->SetOnClick(Notify([this](TObject*) { Log.push_back("click"); }));
    return group;
  }
  static std::vector<bool> Checks(const TCustomRadioGroup* group) {
    std::vector<bool> checks;
    for (int i = 0; i < group->ButtonCount(); ++i) checks.push_back(group->Buttons(i)->Checked());
    return checks;
  }
};

// Guards against buttons of the base class where the descendant asked for
// its own, buttons owned by the form (the form's component walks would
// reach them) or left behind when the group goes.
TEST_F(RadioGroupTest, ButtonsComeFromTheFactoryAndBelongToTheGroup) {
  TTestRadioGroup* group = Group({"a", "b", "c"});
  ASSERT_EQ(group->ButtonCount(), 3);
  EXPECT_EQ(group->Made, 3);
  EXPECT_EQ(group->ControlCount(), 3);
  EXPECT_EQ(group->ComponentCount(), 3);
  for (int i = 0; i < 3; ++i) {
    TRadioButton* button = group->Buttons(i);
    EXPECT_NE(dynamic_cast<TTestGroupButton*>(button), nullptr);
    EXPECT_EQ(button->Owner(), group);
    EXPECT_EQ(button->Parent(), group);
    EXPECT_EQ(button->Caption(), std::string(1, static_cast<char>('a' + i)));
  }
  EXPECT_EQ(gGroupButtonsAlive, 3);
  Free(group);
  EXPECT_EQ(gGroupButtonsAlive, 0);
}

struct TItemsCase {
  const char* Name;
  int Index;
  std::vector<const char*> NewItems;
  int Expected;
  friend void PrintTo(const TItemsCase& c, std::ostream* os) { *os << c.Name; }
};

class RadioGroupItemsTest : public RadioGroupTest, public ::testing::WithParamInterface<TItemsCase> {};

// Guards against an index that points past the rebuilt buttons, an index
// that silently moves to another item, a check lost in the rebuild, and a
// rebuild that raises OnClick.
TEST_P(RadioGroupItemsTest, RebuildKeepsAValidIndex) {
  const TItemsCase& c = GetParam();
  TTestRadioGroup* group = Group({"a", "b", "c"});
  group->SetItemIndex(c.Index);
  Log.clear();
  TStringList list;
  for (const char* item : c.NewItems) list.Add(item);
  group->SetItems(&list);
  EXPECT_EQ(group->ItemIndex(), c.Expected);
  ASSERT_EQ(group->ButtonCount(), static_cast<int>(c.NewItems.size()));
  std::vector<bool> expected(c.NewItems.size(), false);
  if (c.Expected >= 0) expected[static_cast<size_t>(c.Expected)] = true;
  EXPECT_EQ(Checks(group), expected);
  for (int i = 0; i < group->ButtonCount(); ++i) EXPECT_EQ(group->Buttons(i)->Caption(), c.NewItems[i]);
  EXPECT_TRUE(Log.empty());
}

INSTANTIATE_TEST_SUITE_P(Items, RadioGroupItemsTest,
                         ::testing::Values(TItemsCase{"SameCountKeeps", 1, {"x", "y", "z"}, 1},
                                           TItemsCase{"ShrinkKeepsAnItemStillThere", 1, {"x", "y"}, 1},
                                           TItemsCase{"ShrinkDropsAnItemGone", 2, {"x", "y"}, -1},
                                           TItemsCase{"GrowKeeps", 2, {"a", "b", "c", "d"}, 2},
                                           TItemsCase{"ClearDrops", 0, {}, -1}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Guards against ItemIndex by code that checks no button, leaves the old
// one checked, raises OnClick for -1 or for the same index, or accepts an
// index without a button.
TEST_F(RadioGroupTest, ItemIndexByCodeChecksAndRaisesOnClick) {
  TTestRadioGroup* group = Group({"a", "b", "c"});
  group->SetItemIndex(2);
  EXPECT_EQ(Checks(group), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(Log, TEventLog{"click"});
  group->SetItemIndex(2);
  group->SetItemIndex(0);
  EXPECT_EQ(Checks(group), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(Log, (TEventLog{"click", "click"}));
  group->SetItemIndex(-1);
  EXPECT_EQ(Checks(group), (std::vector<bool>{false, false, false}));
  EXPECT_EQ(Log.size(), 2u);
  EXPECT_THROW(group->SetItemIndex(3), EListError);
  EXPECT_THROW(group->SetItemIndex(-2), EListError);
  EXPECT_EQ(group->ItemIndex(), -1);
}

// Guards against a user click or arrow key on a button that does not
// reach the group's ItemIndex and OnClick, and a click on the checked
// button that raises a second OnClick.
TEST_F(RadioGroupTest, UserClickOnAButtonSelectsItsItem) {
  TTestRadioGroup* group = Group({"a", "b", "c"});
  Form->Show();
  ASSERT_TRUE(Application().UserClick(group->Buttons(1)));
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(Checks(group), (std::vector<bool>{false, true, false}));
  EXPECT_EQ(Log, TEventLog{"click"});
  Application().UserClick(group->Buttons(1));
  EXPECT_EQ(Log, TEventLog{"click"});
  // The arrow keys move the check as a click does.
  TTestDriver(Form).PressKey(VK_DOWN);
  EXPECT_EQ(group->ItemIndex(), 2);
  EXPECT_EQ(Log, (TEventLog{"click", "click"}));
}

// Guards against buttons laid out with invented sizes instead of the
// metrics provider's caption height, and a layout not redone when the
// columns or the font change.
TEST_F(RadioGroupTest, ButtonsAreLaidOutInColumns) {
  TTestRadioGroup* group = Group({"a", "b", "c", "d", "e"});
  auto expectLayout = [group](int columns) {
    SCOPED_TRACE("columns " + std::to_string(columns));
    const int h = GetTextMetrics().TextHeight(*group->Font(), "0");
    const int perColumn = (5 + columns - 1) / columns;
    const int width = (group->Width() - 10) / columns;
    const int room = group->Height() - h - 5;
    const int height = room / perColumn;
    const int top = h + 1 + (room % perColumn) / 2;
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(group->Buttons(i)->BoundsRect(),
                Bounds(8 + (i / perColumn) * width, top + (i % perColumn) * height, width, height))
          << "button " << i;
  };
  expectLayout(1);
  group->SetColumns(2);
  expectLayout(2);
  group->Font()->SetHeight(-24);
  expectLayout(2);
  group->SetBounds(0, 0, 300, 200);
  expectLayout(2);
  EXPECT_THROW(group->SetColumns(0), EInvalidOperation);
  EXPECT_THROW(group->SetColumns(17), EInvalidOperation);
}

// Guards against buttons that stay enabled in a disabled group.
TEST_F(RadioGroupTest, DisablingTheGroupDisablesItsButtons) {
  TTestRadioGroup* group = Group({"a", "b"});
  group->SetEnabled(false);
  EXPECT_FALSE(group->Buttons(0)->Enabled());
  EXPECT_FALSE(group->Buttons(1)->Enabled());
  group->SetEnabled(true);
  EXPECT_TRUE(group->Buttons(1)->Enabled());
}

// Guards against an index read before its items being lost or raising
// OnClick while the form loads.
TEST_F(ExtCtrlsTest, RadioGroupFromResource) {
  auto* form = NewObject<TButtonsTestForm>(nullptr);
  TRadioGroup* group = form->rgKind;
  EXPECT_EQ(group->Columns(), 2);
  EXPECT_EQ(group->ItemIndex(), 1);
  ASSERT_EQ(group->ButtonCount(), 3);
  EXPECT_EQ(group->Buttons(0)->Caption(), "\xC8\xD5");  // 日
  EXPECT_EQ(group->Buttons(2)->Caption(), "\xD4\xC2");  // 月
  EXPECT_TRUE(group->Buttons(1)->Checked());
  EXPECT_EQ(group->Buttons(1)->Owner(), group);
  EXPECT_TRUE(form->Log.empty());
  Free(form);
}

// Guards against a resource whose ItemIndex names no item being read as if
// it were right.
TEST_F(ExtCtrlsTest, RadioGroupResourceIndexWithoutItemRaises) {
  const char* text =
      "object frmExt: TForm\n"
      "  object rgBad: TRadioGroup\n"
      "    ItemIndex = 2\n"
      "    Items.Strings = (\n"
      "      'a'\n"
      "      'b')\n"
      "  end\n"
      "end\n";
  try {
    ReadRootComponent(Form, ParseDfm(text, "inline.dfm"));
    FAIL() << "no error";
  } catch (const EListError& e) {
    EXPECT_NE(e.Message().find("ItemIndex 2 is out of range (-1..1)"), AnsiString::npos) << e.Message();
  }
}

// ---- Splitter ----

struct TSplitCase {
  const char* Name;
  TAlign Align;
  TResizeStyle Style;
  std::vector<int> Moves;   // pointer offsets from the press, along the axis
  std::vector<int> During;  // the neighbour's size after each move
  int Final;                // after the release
  int Moved;                // OnMoved count
  friend void PrintTo(const TSplitCase& c, std::ostream* os) { *os << c.Name; }
};

class SplitterTest : public ExtCtrlsTest, public ::testing::WithParamInterface<TSplitCase> {};

// Guards against a drag that resizes the wrong control or at the wrong
// time, ignores MinSize or squeezes the rest of the parent below it, moves
// the far edge of a right or bottom neighbour, and OnMoved without a
// resize.
TEST_P(SplitterTest, DragResizesTheNeighbour) {
  const TSplitCase& c = GetParam();
  auto* host = MakeControl<TPanel>(Form, Form, "host");
  host->SetBevelOuter(bvNone);
  host->SetBounds(0, 0, 400, 200);
  auto* neighbour = MakeControl<TPanel>(Form, host, "neighbour");
  neighbour->SetAlign(c.Align);
  if (c.Align == alLeft || c.Align == alRight)
    neighbour->SetWidth(100);
  else
    neighbour->SetHeight(50);
  auto* splitter = MakeControl<TSplitter>(Form, nullptr, "split");
  splitter->SetAlign(c.Align);
  // Placed just inside the neighbour, so that the alignment puts it next.
  switch (c.Align) {
    case alLeft: splitter->SetLeft(150); break;
    case alRight: splitter->SetLeft(200); break;
    case alTop: splitter->SetTop(100); break;
    default: splitter->SetTop(50); break;
  }
  splitter->SetParent(host);
  splitter->SetResizeStyle(c.Style);
  splitter->SetOnMoved(Notify([this](TObject*) { Log.push_back("moved"); }));
  auto* rest = MakeControl<TPanel>(Form, host, "rest");
  rest->SetAlign(alClient);
  Form->Show();
  const bool horizontal = c.Align == alLeft || c.Align == alRight;
  auto size = [&] { return horizontal ? neighbour->Width() : neighbour->Height(); };
  ASSERT_EQ(splitter->FindNeighbour(), neighbour);

  ASSERT_TRUE(Application().DispatchMouseDown(splitter, mbLeft, TShiftState{ssLeft}, 1, 1));
  for (size_t i = 0; i < c.Moves.size(); ++i) {
    const int x = horizontal ? 1 + c.Moves[i] : 1;
    const int y = horizontal ? 1 : 1 + c.Moves[i];
    splitter->Perform(WM_MOUSEMOVE, TShiftState{ssLeft}.Bits(), PointToLParam(x, y));
    EXPECT_EQ(size(), c.During[i]) << "after move " << i;
  }
  ASSERT_TRUE(Application().DispatchMouseUp(splitter, mbLeft, TShiftState{}, 1, 1));
  EXPECT_EQ(size(), c.Final);
  EXPECT_EQ(static_cast<int>(Log.size()), c.Moved);
  EXPECT_FALSE(splitter->Sizing());
  // The far edge stays; the splitter follows the neighbour.
  if (c.Align == alRight) {
    EXPECT_EQ(neighbour->Left() + neighbour->Width(), 400);
    EXPECT_EQ(splitter->Left() + splitter->Width(), neighbour->Left());
  }
  if (c.Align == alLeft) EXPECT_EQ(splitter->Left(), neighbour->Width());
}

// Room for the neighbour: 400 - MinSize 30 - (100 + 3) + 100 = 367.
INSTANTIATE_TEST_SUITE_P(
    Drags, SplitterTest,
    ::testing::Values(TSplitCase{"PatternResizesOnRelease", alLeft, rsPattern, {50}, {100}, 150, 1},
                      TSplitCase{"UpdateResizesWhileMoving", alLeft, rsUpdate, {50, 20}, {150, 170}, 170, 2},
                      TSplitCase{"MinSizeKeepsTheNeighbour", alLeft, rsPattern, {-200}, {100}, 30, 1},
                      TSplitCase{"RoomIsLeftForTheRest", alLeft, rsPattern, {1000}, {100}, 367, 1},
                      TSplitCase{"RightNeighbourGrowsLeftwards", alRight, rsPattern, {-50}, {100}, 150, 1},
                      TSplitCase{"TopNeighbourGrowsDownwards", alTop, rsPattern, {40}, {50}, 90, 1},
                      TSplitCase{"BottomNeighbourShrinks", alBottom, rsUpdate, {20}, {30}, 30, 1},
                      TSplitCase{"PressAndReleaseResizeNothing", alLeft, rsPattern, {}, {}, 100, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against a resource splitter that loses its neighbour or its
// settings.
TEST_F(ExtCtrlsTest, SplitterFromResourceFindsItsPanel) {
  auto* form = NewObject<TButtonsTestForm>(nullptr);
  EXPECT_EQ(form->Splitter1->FindNeighbour(), form->pnlLeft);
  EXPECT_EQ(form->Splitter1->MinSize(), 40);
  EXPECT_EQ(form->Splitter1->ResizeStyle(), rsUpdate);
  EXPECT_EQ(form->Splitter1->Cursor(), crHSplit);
  EXPECT_THROW(form->Splitter1->SetMinSize(0), EInvalidOperation);
  Free(form);
}

// ---- Timer ----

class TimerTest : public ExtCtrlsTest {
protected:
  TTimer* NewTimer(uint32_t interval) {
    auto* timer = NewObject<TTimer>(Form);
    timer->SetInterval(interval);
    timer->SetOnTimer(Notify([this](TObject*) { ++Fired; }));
    return timer;
  }
  void Pump() { Application().ProcessMessages(); }
  int Fired = 0;
};

// Guards against a timer that fires without the loop, before its interval,
// more than once per pump when it fell behind, or on the wall clock.
TEST_F(TimerTest, FiresOnlyFromTheLoopOnTheClock) {
  NewTimer(100);
  Clock.Advance(99);
  Pump();
  EXPECT_EQ(Fired, 0);
  Clock.Advance(1);
  EXPECT_EQ(Fired, 0);
  Pump();
  EXPECT_EQ(Fired, 1);
  Clock.Advance(350);
  Pump();
  Pump();
  EXPECT_EQ(Fired, 2);
  Clock.Advance(100);
  Pump();
  EXPECT_EQ(Fired, 3);
}

struct TStopCase {
  const char* Name;
  std::function<void(TTimer*&)> Stop;
  friend void PrintTo(const TStopCase& c, std::ostream* os) { *os << c.Name; }
};

class TimerStopTest : public TimerTest, public ::testing::WithParamInterface<TStopCase> {};

// Guards against a timer that keeps firing once disabled, given interval 0
// or no handler, freed (a message into a dead object), or designed.
TEST_P(TimerStopTest, StoppedTimerNeverFires) {
  TTimer* timer = NewTimer(100);
  GetParam().Stop(timer);
  if (timer != nullptr) EXPECT_FALSE(timer->Running());
  Clock.Advance(1000);
  Pump();
  EXPECT_EQ(Fired, 0);
}

INSTANTIATE_TEST_SUITE_P(Stops, TimerStopTest,
                         ::testing::Values(TStopCase{"Disabled", [](TTimer*& t) { t->SetEnabled(false); }},
                                           TStopCase{"IntervalZero", [](TTimer*& t) { t->SetInterval(0); }},
                                           TStopCase{"NoHandler", [](TTimer*& t) { t->SetOnTimer({}); }},
                                           TStopCase{"Freed", [](TTimer*& t) { FreeAndNil(t); }},
                                           TStopCase{"Designing",
                                                     [](TTimer*& t) {
                                                       t->SetDesigning(true);
                                                       t->SetInterval(200);
                                                     }}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Guards against a change of interval or a re-enable that keeps the old
// schedule instead of counting from now.
TEST_F(TimerTest, ChangeRestartsTheCount) {
  TTimer* timer = NewTimer(100);
  Clock.Advance(60);
  timer->SetInterval(100 + 1);
  timer->SetInterval(100);
  Clock.Advance(60);
  Pump();
  EXPECT_EQ(Fired, 0);
  Clock.Advance(40);
  Pump();
  EXPECT_EQ(Fired, 1);
  timer->SetEnabled(false);
  Clock.Advance(50);
  timer->SetEnabled(true);
  Clock.Advance(99);
  Pump();
  EXPECT_EQ(Fired, 1);
  Clock.Advance(1);
  Pump();
  EXPECT_EQ(Fired, 2);
}

// Guards against an exception from OnTimer escaping the loop instead of
// showing the error box (and the timer then going on).
TEST_F(TimerTest, HandlerErrorGoesToTheErrorBox) {
  TTimer* timer = NewTimer(100);
  timer->SetOnTimer(Notify([this](TObject*) {
    ++Fired;
    throw EInvalidOperation("search failed");
  }));
  Clock.Advance(100);
  Pump();
  ASSERT_EQ(Application().Journal().size(), 1u);
  EXPECT_EQ(Application().Journal()[0].Kind, dkErrorBox);
  EXPECT_EQ(Application().Journal()[0].Text, "search failed");
  Clock.Advance(100);
  Pump();
  EXPECT_EQ(Fired, 2);
}

// Guards against a timer freed by its own handler (a one-shot search)
// being touched or fired again afterwards.
TEST_F(TimerTest, HandlerMayFreeItsOwnTimer) {
  TTimer* timer = NewTimer(100);
  timer->SetOnTimer(Notify([this, &timer](TObject*) {
    ++Fired;
    FreeAndNil(timer);
  }));
  Clock.Advance(100);
  Pump();
  EXPECT_EQ(timer, nullptr);
  Clock.Advance(500);
  Pump();
  EXPECT_EQ(Fired, 1);
}

// Guards against a resource timer that does not run once the form is read.
TEST_F(TimerTest, TimerFromResourceRuns) {
  auto* form = NewObject<TButtonsTestForm>(nullptr);
  EXPECT_EQ(form->tmrSearch->Interval(), 500u);
  EXPECT_TRUE(form->tmrSearch->Running());
  Clock.Advance(500);
  Pump();
  EXPECT_EQ(form->Log, std::vector<std::string>{"TimerFired tmrSearch"});
  Free(form);
}

}  // namespace
