// The bit check box: a new box (size, tab stop, the library's three
// pictures), glyph counts taken from the shape of a picture set in code,
// copies and the default brought back by null, the user's clicks and Space
// through every state with and without AllowGrayed, state set by code
// without OnClick, the image and caption places a painter uses (stated
// through the metrics provider), the library missing, and a form resource
// that keeps no picture.
#include "components/BtChkBox.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "GlyphTestSupport.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/FormWriter.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/FormsTestSupport.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/TestDriver.h"
#include "platform/vcl/TextMetrics.h"

namespace {

class BitCheckBoxTest : public testing::Test {
protected:
  void SetUp() override {
    ReleaseGlyphLibrary();
    RegisterStandardClasses();
    RegisterBtChkBoxClasses();
    Form = NewObject<TForm>(nullptr);
    Form->SetName("frmBoxes");
    Box = MakeControl<TBitCheckBox>(Form, Form, "chkBox");
    Box->SetOnClick(Notify([this](TObject*) { Log.push_back(StateName(Box->State())); }));
  }
  void TearDown() override { Free(Form); }

  static std::string StateName(TCheckBoxState state) {
    return state == cbChecked ? "checked" : state == cbGrayed ? "grayed" : "unchecked";
  }
  // A strip of w x h, filled with one colour.
  static std::unique_ptr<TBitmap> Strip(int w, int h, TColor color = clRed) {
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->SetSize(w, h);
    bitmap->Canvas().Brush().SetColor(color);
    bitmap->Canvas().FillRect(Rect(0, 0, w, h));
    return bitmap;
  }

  TCleanApplication App;
  TEventLog Log;
  TForm* Form = nullptr;
  TBitCheckBox* Box = nullptr;
};

// Guards against a box made without the library's pictures, with the
// pictures of the wrong states, or with the standard check box's defaults
// missing.
TEST_F(BitCheckBoxTest, NewBoxTakesTheLibraryPictures) {
  EXPECT_EQ(Box->Width(), 97);
  EXPECT_EQ(Box->Height(), 17);
  EXPECT_TRUE(Box->TabStop());
  EXPECT_EQ(Box->State(), cbUnchecked);
  EXPECT_EQ(Box->Alignment(), taRightJustify);
  EXPECT_FALSE(Box->AllowGrayed());
  for (TCheckBoxState state : {cbUnchecked, cbChecked, cbGrayed}) {
    SCOPED_TRACE(StateName(state));
    EXPECT_EQ(Box->Glyph(state)->Width(), 13);
    EXPECT_EQ(Box->Glyph(state)->Height(), 13);
    EXPECT_EQ(Box->NumGlyphs(state), 1);
  }
  // The tick: black in the middle of the checked picture only; the grayed
  // box is filled grey where the unchecked one is white.
  EXPECT_EQ(Box->CheckedGlyph()->Pixel(6, 6), clBlack);
  EXPECT_EQ(Box->UncheckedGlyph()->Pixel(6, 6), clWhite);
  EXPECT_NE(Box->GrayedGlyph()->Pixel(3, 3), clWhite);
  EXPECT_TRUE(ErrorBoxTexts().empty());
}

struct TGlyphCountRow {
  const char* Name;
  int PresetCount;  // CheckedNumGlyphs set before the picture
  int Width;        // of the picture set; 0: null (the default again)
  int Height;
  int ExpectedCount;
  int ExpectedWidth;
};

const TGlyphCountRow kGlyphCountRows[] = {
    {"ThreeImageStrip", 1, 39, 13, 3, 39},
    {"TwoImageStrip", 1, 32, 16, 2, 32},
    {"OneImage", 4, 13, 13, 1, 13},
    // Guards against integer division where the width is no multiple: the
    // count stays as it was.
    {"WidthNoMultipleKeepsTheCount", 2, 20, 13, 2, 20},
    {"NarrowerThanHighKeepsTheCount", 2, 6, 13, 2, 6},
    // Guards against a division by zero.
    {"EmptyPictureKeepsTheCount", 3, 0, 13, 3, 0},
    // Null brings the library's picture back, with its count.
    {"NullReloadsTheDefault", 3, -1, -1, 1, 13},
};

TEST_F(BitCheckBoxTest, GlyphCountFollowsTheShape) {
  for (const TGlyphCountRow& row : kGlyphCountRows) {
    SCOPED_TRACE(row.Name);
    auto* box = NewObject<TBitCheckBox>(Form);
    box->SetCheckedNumGlyphs(row.PresetCount);
    if (row.Width < 0) {
      box->SetCheckedGlyph(Strip(39, 13).get());
      box->SetCheckedNumGlyphs(row.PresetCount);
      box->SetCheckedGlyph(nullptr);
    } else {
      box->SetCheckedGlyph(Strip(row.Width, row.Height).get());
    }
    EXPECT_EQ(box->CheckedNumGlyphs(), row.ExpectedCount);
    EXPECT_EQ(box->CheckedGlyph()->Width(), row.ExpectedWidth);
    EXPECT_EQ(box->UncheckedNumGlyphs(), 1) << "another state's count changed";
    Free(box);
  }
}

// Guards against keeping the caller's bitmap instead of a copy.
TEST_F(BitCheckBoxTest, PictureIsCopied) {
  auto source = Strip(26, 13, clBlue);
  Box->SetGrayedGlyph(source.get());
  source->SetPixel(0, 0, clYellow);
  source.reset();
  EXPECT_EQ(Box->GrayedGlyph()->Pixel(0, 0), clBlue);
  EXPECT_EQ(Box->GrayedNumGlyphs(), 2);
}

// Guards against a count below one reaching the painter's division.
TEST_F(BitCheckBoxTest, CountBelowOneIsRefused) {
  EXPECT_THROW(Box->SetUncheckedNumGlyphs(0), EInvalidOperation);
  EXPECT_EQ(Box->UncheckedNumGlyphs(), 1);
  EXPECT_THROW(Box->SetState(static_cast<TCheckBoxState>(3)), EConvertError);
  EXPECT_THROW(Box->SetAlignment(taCenter), EConvertError);
}

// ---- Clicks ----

struct TClickRow {
  const char* Name;
  bool AllowGrayed;
  TCheckBoxState Start;
  bool UseSpace;  // Space on the focused box instead of the mouse
  std::vector<std::string> Log;  // the state OnClick sees, click by click
};
void PrintTo(const TClickRow& row, std::ostream* os) { *os << row.Name; }

class BitCheckBoxClickTest : public BitCheckBoxTest, public testing::WithParamInterface<TClickRow> {};

TEST_P(BitCheckBoxClickTest, ThreeClicks) {
  const TClickRow& row = GetParam();
  Box->SetAllowGrayed(row.AllowGrayed);
  Box->SetState(row.Start);
  Form->Show();
  TTestDriver driver(Form);
  for (int i = 0; i < 3; ++i) {
    if (row.UseSpace) {
      driver.Focus("chkBox");
      driver.PressKey(VK_SPACE);
    } else {
      driver.Click("chkBox");
    }
  }
  EXPECT_EQ(Log, row.Log);
}

INSTANTIATE_TEST_SUITE_P(
    States, BitCheckBoxClickTest,
    testing::Values(
        // Guards against OnClick seeing the old state, and against a grayed
        // state a box without AllowGrayed could never leave.
        TClickRow{"Toggles", false, cbUnchecked, false, {"checked", "unchecked", "checked"}},
        TClickRow{"PassesThroughGrayed", true, cbUnchecked, false, {"grayed", "checked", "unchecked"}},
        TClickRow{"GrayedByCodeWithoutAllowGrayedGoesChecked", false, cbGrayed, false,
                  {"checked", "unchecked", "checked"}},
        TClickRow{"SpaceClicks", false, cbChecked, true, {"unchecked", "checked", "unchecked"}}),
    [](const testing::TestParamInfo<TClickRow>& info) { return std::string(info.param.Name); });

// Guards against a click raised by code that sets the box (a handler that
// sets it would run twice).
TEST_F(BitCheckBoxTest, StateByCodeRaisesNoClick) {
  Box->SetChecked(true);
  Box->SetState(cbGrayed);
  EXPECT_FALSE(Box->Checked());
  Box->SetChecked(false);
  EXPECT_EQ(Box->State(), cbUnchecked);
  EXPECT_TRUE(Log.empty());
}

// Guards against a disabled box that the mouse still toggles.
TEST_F(BitCheckBoxTest, DisabledBoxIgnoresTheMouse) {
  Box->SetEnabled(false);
  Form->Show();
  Application().UserClick(Box);
  EXPECT_EQ(Box->State(), cbUnchecked);
  EXPECT_TRUE(Log.empty());
}

// ---- What the painter reads ----

struct TPaintRow {
  const char* Name;
  TAlignment Alignment;
  bool Enabled;
  int StripImages;  // of the unchecked picture, 13 high
  TRect Image;      // within the strip
  int GlyphLeft;
};

const TPaintRow kPaintRows[] = {
    {"CaptionRight", taRightJustify, true, 1, Rect(0, 0, 13, 13), 0},
    {"CaptionLeft", taLeftJustify, true, 1, Rect(0, 0, 13, 13), 97 - 13},
    // Guards against a disabled box showing its up image when the strip
    // has a disabled one...
    {"DisabledWithItsOwnImage", taRightJustify, false, 2, Rect(13, 0, 26, 13), 0},
    // ...and against an image index beyond a one-image strip.
    {"DisabledWithOneImage", taRightJustify, false, 1, Rect(0, 0, 13, 13), 0},
};

TEST_F(BitCheckBoxTest, ImageAndCaptionPlaces) {
  Box->SetCaption("&Range \xC7\xF8\xBC\xE4");  // "区间"
  for (const TPaintRow& row : kPaintRows) {
    SCOPED_TRACE(row.Name);
    Box->SetAlignment(row.Alignment);
    Box->SetEnabled(row.Enabled);
    Box->SetUncheckedGlyph(Strip(13 * row.StripImages, 13).get());
    EXPECT_EQ(Box->ImageRect(), row.Image);
    EXPECT_EQ(Box->GlyphRect(), Bounds(row.GlyphLeft, (17 - 13) / 2, 13, 13));

    const AnsiString shown = "Range \xC7\xF8\xBC\xE4";  // the accelerator's "&" is not drawn
    ITextMetrics& metrics = GetTextMetrics();
    const int textWidth = metrics.TextWidth(*Box->Font(), shown);
    const int textHeight = metrics.TextHeight(*Box->Font(), shown);
    const int x = row.Alignment == taRightJustify ? 13 + 4 : 97 - 13 - 4 - textWidth;
    Box->Repaint();
    ASSERT_EQ(Box->Canvas().Texts().size(), 1u);
    const TCanvasText& drawn = Box->Canvas().Texts()[0];
    EXPECT_EQ(drawn.Text, shown);
    EXPECT_EQ(drawn.X, x);
    EXPECT_EQ(drawn.Y, (17 - textHeight) / 2);
  }
}

// ---- The library ----

// Guards against a crash or a raise out of the constructor when the
// library is missing, against one box per picture, and against the empty
// pictures staying once the library is back.
TEST_F(BitCheckBoxTest, LibraryThatCannotLoad) {
  Application().ClearJournal();
  TBitCheckBox* box = nullptr;
  {
    TBrokenGlyphLibrary broken;
    box = NewObject<TBitCheckBox>(Form);
    EXPECT_EQ(ErrorBoxTexts(),
              std::vector<std::string>{"\xB6\xC1\xC8\xA1 BMP \xB7\xA2\xC9\xFA\xB4\xED\xCE\xF3"});  // "读取 BMP 发生错误"
    for (TCheckBoxState state : {cbUnchecked, cbChecked, cbGrayed}) EXPECT_TRUE(box->Glyph(state)->Empty());
    EXPECT_TRUE(box->ImageRect().IsEmpty());
    box->Repaint();  // paints its caption without a picture
  }
  box->SetCheckedGlyph(nullptr);
  EXPECT_EQ(box->CheckedGlyph()->Width(), 13);
  EXPECT_TRUE(box->UncheckedGlyph()->Empty()) << "only the picture asked for is loaded";
  EXPECT_EQ(ErrorBoxTexts().size(), 1u);
}

// ---- Form resources ----

// Guards against pictures written into forms and against the state or the
// counts lost on the way back.
TEST_F(BitCheckBoxTest, ResourceKeepsStateAndCountsNotPictures) {
  Box->SetAllowGrayed(true);
  Box->SetState(cbGrayed);
  Box->SetCheckedGlyph(Strip(26, 13).get());
  Box->SetCaption("Choice");
  Box->SetOnClick(TNotifyEvent());  // a lambda is no method a form can name
  const AnsiString text = WriteComponentResource(Form);
  EXPECT_EQ(text.find("Glyph ="), std::string::npos) << text;
  EXPECT_EQ(text.find("Glyph.Data"), std::string::npos) << text;
  EXPECT_NE(text.find("CheckedNumGlyphs = 2"), std::string::npos) << text;
  EXPECT_EQ(text.find("UncheckedNumGlyphs"), std::string::npos) << text;

  TForm* copy = NewObject<TForm>(nullptr);
  ReadRootComponent(copy, ParseDfm(text, "frmBoxes.dfm"));
  auto* read = dynamic_cast<TBitCheckBox*>(copy->FindComponent("chkBox"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->State(), cbGrayed);
  EXPECT_TRUE(read->AllowGrayed());
  EXPECT_EQ(read->Caption(), "Choice");
  EXPECT_EQ(read->CheckedNumGlyphs(), 2);
  EXPECT_EQ(read->CheckedGlyph()->Width(), 13) << "the library's picture, not the one of the first form";
  Free(copy);
}

}  // namespace
