// The labelled edit: the attached label's place for each LabelPosition and
// spacing, the label following the edit's bounds, parent, enabling and
// visibility, the edit forgetting a label freed first, and the published
// Caption being the label's text.
#include "components/OrlanEdit.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "platform/vcl/Application.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/TextMetrics.h"

namespace {

class OrlanEditTest : public ::testing::Test {
protected:
  void SetUp() override {
    RegisterOrlanEditClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetBounds(0, 0, 500, 400);
    Edit = NewObject<TZubEdit>(Form);
    Edit->SetName("edSupplier");
    Edit->SetParent(Form);
    Edit->SetBounds(100, 50, 120, 21);
  }
  void TearDown() override {
    Free(Form);
    Application().ProcessMessages();
  }

  TForm* Form = nullptr;
  TZubEdit* Edit = nullptr;
};

struct TLabelCase {
  const char* Name;
  TLabelPosition Position;
  int Spacing;      // what is set
  int UsedSpacing;  // what the edit keeps (negative values are ignored)
  friend void PrintTo(const TLabelCase& c, std::ostream* os) { *os << c.Name; }
};

class OrlanEditPlaceTest : public OrlanEditTest, public ::testing::WithParamInterface<TLabelCase> {};

// Guards against a wrong side, spacing applied the wrong way, centring
// with the wrong rounding, and a negative spacing taken (the label would
// overlap the edit).
TEST_P(OrlanEditPlaceTest, LabelSitsOnItsSide) {
  const TLabelCase& c = GetParam();
  Edit->SetCaption("供应AB");  // two double-byte and two single-byte characters
  Edit->SetLabelPosition(c.Position);
  Edit->SetLabelSpacing(c.Spacing);
  EXPECT_EQ(Edit->LabelSpacing(), c.UsedSpacing);
  const TLabel* label = Edit->EditLabel();
  const int w = GetTextMetrics().TextWidth(*label->Font(), "供应AB");
  const int h = GetTextMetrics().TextHeight(*label->Font(), "供应AB");
  ASSERT_EQ(label->Width(), w);
  ASSERT_EQ(label->Height(), h);
  const int s = c.UsedSpacing;
  TPoint expected;
  switch (c.Position) {
    case lpAbove: expected = Point(100, 50 - h - s); break;
    case lpBelow: expected = Point(100, 50 + 21 + s); break;
    case lpLeft: expected = Point(100 - w - s, 50 + (21 - h) / 2); break;
    case lpRight: expected = Point(100 + 120 + s, 50 + (21 - h) / 2); break;
  }
  EXPECT_EQ(label->Left(), expected.X);
  EXPECT_EQ(label->Top(), expected.Y);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, OrlanEditPlaceTest,
    ::testing::Values(TLabelCase{"Above4", lpAbove, 4, 4}, TLabelCase{"Below4", lpBelow, 4, 4},
                      TLabelCase{"Left4", lpLeft, 4, 4}, TLabelCase{"Right4", lpRight, 4, 4},
                      TLabelCase{"Above0", lpAbove, 0, 0}, TLabelCase{"Below0", lpBelow, 0, 0},
                      TLabelCase{"Left0", lpLeft, 0, 0}, TLabelCase{"Right0", lpRight, 0, 0},
                      TLabelCase{"AboveMinus3", lpAbove, -3, 4}, TLabelCase{"BelowMinus3", lpBelow, -3, 4},
                      TLabelCase{"LeftMinus3", lpLeft, -3, 4}, TLabelCase{"RightMinus3", lpRight, -3, 4}),
    [](const auto& info) { return std::string(info.param.Name); });

// The worked case: an edit at (100, 50), 120 x 21, with a 40 x 13 label
// on the default side puts the label at (56, 54); with a label 1 higher
// than an odd gap, the centring rounds toward zero.
TEST_F(OrlanEditTest, DefaultPlaceIsLeftAndCentred) {
  EXPECT_EQ(Edit->LabelPosition(), lpLeft);
  EXPECT_EQ(Edit->LabelSpacing(), 4);
  Form->Font()->SetCharset(GB2312_CHARSET);  // the label follows the form's font
  Edit->SetCaption("供应AB");
  ASSERT_EQ(Edit->EditLabel()->Width(), 40);
  EXPECT_EQ(Edit->EditLabel()->Left(), 56);
  EXPECT_EQ(Edit->EditLabel()->Top(), 54);
  EXPECT_EQ(AttachedLabelPos(Bounds(0, 10, 50, 20), 10, 25, lpLeft, 4), Point(-14, 8));  // (20 - 25) div 2 = -2
}

// Guards against a label left behind when the edit moves, grows, changes
// parent, is disabled or hidden, or when only its caption changes width.
TEST_F(OrlanEditTest, LabelFollowsTheEdit) {
  Edit->SetCaption("A");
  TLabel* label = Edit->EditLabel();
  EXPECT_EQ(label->Parent(), Form);
  Edit->SetBounds(200, 100, 80, 31);
  EXPECT_EQ(label->Left(), 200 - label->Width() - 4);
  EXPECT_EQ(label->Top(), 100 + (31 - label->Height()) / 2);
  Edit->SetCaption("ABCDEF");
  EXPECT_EQ(label->Left(), 200 - label->Width() - 4);

  auto* panel = NewObject<TPanel>(Form);
  panel->SetParent(Form);
  Edit->SetParent(panel);
  EXPECT_EQ(label->Parent(), panel);

  Edit->SetEnabled(false);
  EXPECT_FALSE(label->Enabled());
  Edit->SetVisible(false);
  EXPECT_FALSE(label->Visible());
  Edit->SetEnabled(true);
  Edit->SetVisible(true);
  EXPECT_TRUE(label->Enabled());
  EXPECT_TRUE(label->Visible());
}

// Guards against a dangling label after it was freed before the edit (its
// parent, the form, frees its children first) and against the edit not
// owning it.
TEST_F(OrlanEditTest, EditForgetsALabelFreedFirst) {
  TLabel* label = Edit->EditLabel();
  EXPECT_EQ(label->Owner(), Edit);
  EXPECT_EQ(Edit->FindComponent("EditLabel"), label);
  EXPECT_EQ(label->FocusControl(), Edit);
  Free(label);
  EXPECT_EQ(Edit->EditLabel(), nullptr);
  EXPECT_EQ(Edit->Caption(), "");
  Edit->SetCaption("X");
  Edit->SetBounds(10, 10, 50, 21);
  Edit->SetParent(nullptr);
  EXPECT_EQ(Edit->Caption(), "");
}

// Guards against the published Caption writing the edit's text (language
// files and the scheme dialog read and write it by name), and a record
// without the label's properties or their defaults.
TEST_F(OrlanEditTest, PublishedCaptionIsTheLabelsText) {
  ASSERT_EQ(FindClass("TZubEdit"), &TZubEdit::StaticClass());
  Edit->SetText("value");
  SetStrProp(Edit, "Caption", "Supplier");
  EXPECT_EQ(Edit->EditLabel()->Caption(), "Supplier");
  EXPECT_EQ(Edit->Text(), "value");
  EXPECT_EQ(GetStrProp(Edit, "Caption"), "Supplier");
  EXPECT_EQ(GetStrProp(Edit, "Text"), "value");
  EXPECT_EQ(GetEnumProp(Edit, "LabelPosition"), "lpLeft");
  EXPECT_EQ(GetOrdProp(Edit, "LabelSpacing"), 4);
  SetEnumProp(Edit, "LabelPosition", "lpRight");
  EXPECT_EQ(Edit->LabelPosition(), lpRight);
  EXPECT_THROW(Edit->SetLabelPosition(static_cast<TLabelPosition>(7)), EConvertError);
}

// Guards against a resource's Caption landing in the edit's text, the
// label not joining the edit's parent, or its place computed before the
// edit's bounds were read.
TEST(OrlanEditResourceTest, EditReadFromAResourceCarriesItsLabel) {
  RegisterStandardClasses();
  RegisterOrlanEditClasses();
  TForm* form = NewObject<TForm>(nullptr);
  ReadRootComponent(form, ParseDfm(R"(object frmRead: TForm
  Width = 400
  Height = 300
  object edName: TZubEdit
    Caption = 'Name'
    LabelPosition = lpAbove
    LabelSpacing = 2
    Left = 100
    Top = 50
    Width = 120
    Height = 21
    Text = 'x'
  end
end
)",
                                   "inline.dfm"));
  auto* edit = dynamic_cast<TZubEdit*>(form->FindComponent("edName"));
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Text(), "x");
  TLabel* label = edit->EditLabel();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->Caption(), "Name");
  EXPECT_EQ(label->Parent(), form);
  EXPECT_EQ(label->Left(), 100);
  EXPECT_EQ(label->Top(), 50 - label->Height() - 2);
  Free(form);
}

}  // namespace
