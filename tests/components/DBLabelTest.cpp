// The attached label: its place beside the control for each side (never
// left of or above the parent's edge), the refusal of a second label for
// one control, and the caption read by name from the control's data
// binding.
#include "components/DBLabel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>

#include "platform/data/DB.h"
#include "platform/data/DBClient.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/TextMetrics.h"

namespace {

// Any control that publishes a data binding by these two names.
class TBoundBox : public TWinControl {
  KULR_CLASS(TBoundBox, TWinControl)
  explicit TBoundBox(TComponent* owner) : TWinControl(owner) {}
  TDataSource* DataSource() const { return FDataSource; }
  void SetDataSource(TDataSource* value) { FDataSource = value; }
  const AnsiString& DataField() const { return FDataField; }
  void SetDataField(const AnsiString& value) { FDataField = value; }

private:
  TDataSource* FDataSource = nullptr;
  AnsiString FDataField;
};

}  // namespace

const TClass& TBoundBox::StaticClass() {
  static const TClass& record = TClassBuilder<TBoundBox>()
                                    .Property("DataSource", &TBoundBox::DataSource, &TBoundBox::SetDataSource)
                                    .Property("DataField", &TBoundBox::DataField, &TBoundBox::SetDataField)
                                    .Factory()
                                    .Build();
  return record;
}

namespace {

class DBLabelTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterDBLabelClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmLabels");
    Form->SetBounds(0, 0, 500, 400);
    Control = Make<TBoundBox>(Form, "edSupplier");
  }
  void TearDown() override {
    Free(Form);
    Application().ProcessMessages();
  }

  template <class T>
  T* Make(TWinControl* parent, const char* name) {
    T* c = NewObject<T>(Form);
    c->SetName(name);
    c->SetParent(parent);
    return c;
  }

  TForm* Form = nullptr;
  TBoundBox* Control = nullptr;
};

struct TPlaceCase {
  const char* Name;
  TPos Pos;
  TRect Control;
  int ControlHeightIsLabels;  // 1: the control is exactly as high as the label
  friend void PrintTo(const TPlaceCase& c, std::ostream* os) { *os << c.Name; }
};

class DBLabelPlaceTest : public DBLabelTest, public ::testing::WithParamInterface<TPlaceCase> {};

// Guards against a wrong side or gap, centring that ignores the
// equal-height case, no re-alignment when Pos or Gap changes, and a label
// pushed above or left of its parent's edge (where nobody could see it).
TEST_P(DBLabelPlaceTest, LabelSitsBesideItsControl) {
  const TPlaceCase& c = GetParam();
  auto* label = Make<TDBLabel>(Form, "lblSupplier");
  const int w = label->Width();
  const int h = label->Height();
  const int controlHeight = c.ControlHeightIsLabels ? h : c.Control.Height();
  Control->SetBounds(c.Control.Left, c.Control.Top, c.Control.Width(), controlHeight);
  label->SetFocusControl(Control);
  label->SetGap(6);
  label->SetPos(c.Pos);
  label->SetGap(4);

  const int l = c.Control.Left;
  const int t = c.Control.Top;
  const int centred = controlHeight == h ? t : t + controlHeight / 2 - h / 2;
  int left = l;
  int top = t;
  switch (c.Pos) {
    case psTop: top = t - h - 4; break;
    case psBottom: top = t + controlHeight + 4; break;
    case psLeft: left = l - w - 4, top = centred; break;
    case psRight: left = l + c.Control.Width() + 4, top = centred; break;
  }
  EXPECT_EQ(label->BoundsRect(), Bounds(std::max(left, 0), std::max(top, 0), w, h));
}

INSTANTIATE_TEST_SUITE_P(
    Sides, DBLabelPlaceTest,
    ::testing::Values(TPlaceCase{"Top", psTop, Bounds(100, 50, 120, 21), 0},
                      TPlaceCase{"Bottom", psBottom, Bounds(100, 50, 120, 21), 0},
                      TPlaceCase{"Left", psLeft, Bounds(100, 50, 120, 21), 0},
                      TPlaceCase{"Right", psRight, Bounds(100, 50, 120, 21), 0},
                      TPlaceCase{"LeftSameHeight", psLeft, Bounds(100, 50, 120, 0), 1},
                      TPlaceCase{"TopClampedAtZero", psTop, Bounds(10, 5, 120, 21), 0},
                      TPlaceCase{"LeftClampedAtZero", psLeft, Bounds(5, 50, 120, 21), 0},
                      TPlaceCase{"CentredTopClampedAtZero", psRight, Bounds(5, 0, 120, 4), 0}),
    [](const auto& info) { return std::string(info.param.Name); });

// The worked case: a control at Top 5, a 13-pixel label above it with gap
// 4 goes to Top 0, not -12.
TEST_F(DBLabelTest, LabelAboveAControlNearTheTopStaysOnTheForm) {
  auto* label = Make<TDBLabel>(Form, "lblTop");
  ASSERT_EQ(label->Height(), 13);
  Control->SetBounds(20, 5, 100, 21);
  label->SetPos(psTop);
  label->SetFocusControl(Control);
  EXPECT_EQ(label->Top(), 0);
  EXPECT_EQ(label->Left(), 20);
}

// Guards against a label that moves while AutoAlign is off.
TEST_F(DBLabelTest, WithoutAutoAlignTheLabelStays) {
  auto* label = Make<TDBLabel>(Form, "lblStill");
  label->SetAutoAlign(false);
  label->SetBounds(300, 300, label->Width(), label->Height());
  Control->SetBounds(100, 50, 120, 21);
  label->SetFocusControl(Control);
  EXPECT_EQ(label->Left(), 300);
  EXPECT_EQ(label->Top(), 300);
}

// Guards against two labels claiming one control, an error box for a
// label re-attached to its own control, and the check made where it must
// not be (a panel owns none of the labels on it).
TEST_F(DBLabelTest, SecondLabelForOneControlIsRefused) {
  TTestDriver driver(Form);
  driver.ClearJournal();
  auto* first = Make<TDBLabel>(Form, "lblFirst");
  auto* second = Make<TDBLabel>(Form, "lblSecond");
  first->SetFocusControl(Control);
  second->SetFocusControl(Control);
  EXPECT_EQ(second->FocusControl(), nullptr);
  EXPECT_EQ(first->FocusControl(), Control);
  ASSERT_EQ(driver.Journal().size(), 1u);
  const TDialogRecord& box = driver.Journal()[0];
  EXPECT_EQ(box.Text, "不能同时有两个 DBLabel 指到同一个 Control.");
  EXPECT_EQ(box.DlgType, mtError);
  ASSERT_EQ(box.Buttons.size(), 1u);
  EXPECT_EQ(box.Buttons[0].Name, "OK");

  first->SetFocusControl(Control);
  EXPECT_EQ(driver.Journal().size(), 1u);

  auto* panel = Make<TPanel>(Form, "pnBox");
  auto* inner = Make<TBoundBox>(panel, "edInner");
  auto* third = Make<TDBLabel>(panel, "lblThird");
  auto* fourth = Make<TDBLabel>(panel, "lblFourth");
  third->SetFocusControl(inner);
  fourth->SetFocusControl(inner);
  EXPECT_EQ(fourth->FocusControl(), inner);
  EXPECT_EQ(driver.Journal().size(), 1u);
}

// Guards against a caption that ignores the field's display label, is
// wiped when the binding is incomplete, or changes with AutoCaption off.
TEST_F(DBLabelTest, CaptionComesFromTheBoundFieldsDisplayLabel) {
  auto* data = NewObject<TClientDataSet>(Form);
  auto* field = NewObject<TStringField>(Form);
  field->SetFieldName("SupplierName");
  field->SetDisplayLabel("供应商");
  field->SetDataSet(data);
  auto* source = NewObject<TDataSource>(Form);
  source->SetDataSet(data);

  const struct {
    const char* Name;
    TDataSource* Source;
    const char* Field;
    bool AutoCaption;
    const char* Expected;
  } rows[] = {
      {"Bound", source, "SupplierName", true, "供应商"},
      {"NoSuchField", source, "Nothing", true, "挂靠标签"},
      {"NoDataSource", nullptr, "SupplierName", true, "挂靠标签"},
      {"AutoCaptionOff", source, "SupplierName", false, "挂靠标签"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    auto* box = Make<TBoundBox>(Form, "");
    box->SetDataSource(row.Source);
    box->SetDataField(row.Field);
    auto* label = Make<TDBLabel>(Form, "");
    label->SetAutoCaption(row.AutoCaption);
    label->SetFocusControl(box);
    EXPECT_EQ(label->Caption(), row.Expected);
    Free(label);
    Free(box);
  }

  // A control without any binding is no error either.
  auto* plain = Make<TWinControl>(Form, "pnPlain");
  auto* label = Make<TDBLabel>(Form, "lblPlain");
  label->SetFocusControl(plain);
  EXPECT_EQ(label->Caption(), "挂靠标签");
}

// Guards against a label read from a resource placed before its control's
// bounds are read (it names the control further down) or before its own
// auto-size is known.
TEST(DBLabelResourceTest, LabelReadFromAResourceIsPlacedOnceLoaded) {
  RegisterStandardClasses();
  RegisterDBLabelClasses();
  TForm* form = NewObject<TForm>(nullptr);
  ReadRootComponent(form, ParseDfm(R"(object frmRead: TForm
  Left = 0
  Top = 0
  Width = 400
  Height = 300
  object lblCode: TDBLabel
    Left = 300
    Top = 300
    Caption = 'Code'
    FocusControl = edCode
    Pos = psLeft
  end
  object edCode: TEdit
    Left = 100
    Top = 50
    Width = 120
    Height = 21
  end
end
)",
                                   "inline.dfm"));
  auto* label = dynamic_cast<TDBLabel*>(form->FindComponent("lblCode"));
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Caption(), "Code");
  EXPECT_EQ(label->Width(), GetTextMetrics().TextWidth(*label->Font(), "Code"));
  EXPECT_EQ(label->Left(), 100 - label->Width() - 4);
  EXPECT_EQ(label->Top(), 50 + 21 / 2 - label->Height() / 2);
  Free(form);
}

// Guards against a record without the label's own properties and their
// values for a new label, or enumeration names out of order.
TEST_F(DBLabelTest, RegisteredWithItsDefaults) {
  ASSERT_EQ(FindClass("TDBLabel"), &TDBLabel::StaticClass());
  auto* label = static_cast<TDBLabel*>(FindClass("TDBLabel")->Create(Form));
  EXPECT_EQ(label->Caption(), "挂靠标签");
  EXPECT_EQ(GetEnumProp(label, "Pos"), "psLeft");
  EXPECT_EQ(GetOrdProp(label, "Gap"), 4);
  EXPECT_TRUE(label->AutoAlign());
  EXPECT_TRUE(label->AutoCaption());
  EXPECT_EQ(label->FocusControl(), nullptr);
  SetEnumProp(label, "Pos", "psBottom");
  EXPECT_EQ(label->Pos(), psBottom);
  EXPECT_EQ(static_cast<int>(psBottom), 3);
  EXPECT_THROW(label->SetPos(static_cast<TPos>(4)), EConvertError);
}

}  // namespace
