// The glyph-numbered speed buttons (TGSpeedButton and its sibling
// TZUBSpdBtn, run through the same table): glyph numbers the library holds,
// strips of one, two and three images, 0, numbers it lacks or that lie
// beyond its highest, the error box when the library cannot be loaded, and
// a form resource that keeps the number but never the picture.
#include "components/GSpdBtn.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "GlyphTestSupport.h"
#include "components/ZUBSpdBtn.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/FormReader.h"
#include "platform/vcl/FormWriter.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/FormsTestSupport.h"

namespace {

// The two classes behind one interface, so every row runs on both.
struct TButtonKind {
  const char* Name;
  std::function<TSpeedButton*(TComponent*)> Make;
  std::function<int32_t(TSpeedButton&)> Get;
  std::function<void(TSpeedButton&, int32_t)> Set;
  std::function<void(TSpeedButton&, int32_t)> SetHint;
};
void PrintTo(const TButtonKind& kind, std::ostream* os) { *os << kind.Name; }

const TButtonKind kGSpeedButton{
    "TGSpeedButton", [](TComponent* owner) -> TSpeedButton* { return NewObject<TGSpeedButton>(owner); },
    [](TSpeedButton& b) { return dynamic_cast<TGSpeedButton&>(b).GlyphIndex(); },
    [](TSpeedButton& b, int32_t v) { dynamic_cast<TGSpeedButton&>(b).SetGlyphIndex(v); },
    [](TSpeedButton& b, int32_t v) { dynamic_cast<TGSpeedButton&>(b).SetHintIndex(v); }};
const TButtonKind kZUBSpdBtn{
    "TZUBSpdBtn", [](TComponent* owner) -> TSpeedButton* { return NewObject<TZUBSpdBtn>(owner); },
    [](TSpeedButton& b) { return dynamic_cast<TZUBSpdBtn&>(b).GlyphIndex(); },
    [](TSpeedButton& b, int32_t v) { dynamic_cast<TZUBSpdBtn&>(b).SetGlyphIndex(v); },
    [](TSpeedButton& b, int32_t v) { dynamic_cast<TZUBSpdBtn&>(b).SetHintIndex(v); }};

class GlyphButtonTest : public testing::TestWithParam<TButtonKind> {
protected:
  void SetUp() override {
    ReleaseGlyphLibrary();  // every test finds the library afresh
    Form = NewObject<TForm>(nullptr);
    Button = GetParam().Make(Form);
  }
  void TearDown() override { Free(Form); }
  int32_t Index() { return GetParam().Get(*Button); }
  void SetIndex(int32_t value) { GetParam().Set(*Button, value); }

  TCleanApplication App;
  TForm* Form = nullptr;
  TSpeedButton* Button = nullptr;
};

struct TGlyphRow {
  const char* Name;
  std::vector<int32_t> Steps;  // GlyphIndex values set in turn
  const char* Caption;
  int Width;  // of the glyph bitmap; 0: no glyph
  int NumGlyphs;
};

// The highest number of the installed library; the rows below lie on both
// sides of it.
constexpr int32_t kMaxId = 61;

const TGlyphRow kGlyphRows[] = {
    // Guards against a caption left showing the number beside a picture.
    {"HeldGlyphEmptiesTheCaption", {8}, "", 16, 1},
    // Guards against NumGlyphs not following the strip (a two-image strip
    // drawn as one wide picture).
    {"TwoImageStrip", {4}, "", 32, 2},
    // The strip 48 wide and 16 high: three glyphs.
    {"ThreeImageStrip", {39}, "", 48, 3},
    // Guards against 0 keeping the old picture.
    {"ZeroAfterANumberShowsNoGlyph", {5, 0}, "0", 0, 1},
    {"ZeroAfterAGlyphReleasesIt", {39, 0}, "0", 0, 3},
    // Guards against the picture of the previous number staying beside the
    // new number the library lacks.
    {"NumberTheLibraryLacksClearsTheGlyph", {9, 5}, "5", 0, 1},
    {"HighestNumberIsLoaded", {kMaxId}, "", 16, 1},
    // Guards against a number above the highest reaching the library.
    {"BeyondTheHighestShowsTheNumber", {kMaxId + 1}, "62", 0, 1},
    {"NegativeNumberShowsTheNumber", {-3}, "-3", 0, 1},
    // Guards against a strip count kept from the previous glyph.
    {"OneImageAfterThree", {39, 47}, "", 16, 1},
};

TEST_P(GlyphButtonTest, GlyphNumbers) {
  for (const TGlyphRow& row : kGlyphRows) {
    SCOPED_TRACE(row.Name);
    TSpeedButton* button = GetParam().Make(Form);
    for (int32_t step : row.Steps) GetParam().Set(*button, step);
    EXPECT_EQ(GetParam().Get(*button), row.Steps.back());
    EXPECT_EQ(button->Caption(), row.Caption);
    EXPECT_EQ(button->Glyph()->Width(), row.Width);
    EXPECT_EQ(button->Glyph()->Height(), row.Width == 0 ? 0 : 16);
    EXPECT_EQ(button->NumGlyphs(), row.NumGlyphs);
    Free(button);
  }
  EXPECT_TRUE(ErrorBoxTexts().empty()) << "a number the library lacks is no error";
}

// Guards against 0 on a new button writing "0" as its caption (the value
// is unchanged, so nothing happens).
TEST_P(GlyphButtonTest, ZeroOnANewButtonChangesNothing) {
  EXPECT_EQ(Index(), 0);
  SetIndex(0);
  EXPECT_EQ(Button->Caption(), "");
  EXPECT_TRUE(Button->Glyph()->Empty());
}

// Guards against setting the same number reloading (a caption written by
// code since must survive).
TEST_P(GlyphButtonTest, SameNumberAgainDoesNothing) {
  SetIndex(5);
  Button->SetCaption("x");
  SetIndex(5);
  EXPECT_EQ(Button->Caption(), "x");
}

// Guards against a missing library crashing or raising out of the setter,
// against the number being dropped, and against a failed load being cached
// for the rest of the process.
TEST_P(GlyphButtonTest, LibraryThatCannotLoadShowsTheErrorBox) {
  {
    TBrokenGlyphLibrary broken;
    SetIndex(8);
    EXPECT_EQ(Index(), 8);
    EXPECT_EQ(Button->Caption(), "8");
    EXPECT_TRUE(Button->Glyph()->Empty());
    // "读取 BMP 发生错误"
    EXPECT_EQ(ErrorBoxTexts(), std::vector<std::string>{"\xB6\xC1\xC8\xA1 BMP \xB7\xA2\xC9\xFA\xB4\xED\xCE\xF3"});
    ASSERT_EQ(Application().Journal().size(), 1u);
    const TDialogRecord& box = Application().Journal()[0];
    EXPECT_EQ(box.Kind, dkErrorBox);
    ASSERT_EQ(box.Buttons.size(), 1u);
    EXPECT_EQ(box.Buttons[0].Name, "OK");
    // 0 needs no library: no second box.
    SetIndex(0);
    EXPECT_EQ(ErrorBoxTexts().size(), 1u);
    EXPECT_EQ(Button->Caption(), "0");
  }
  SetIndex(9);
  EXPECT_EQ(Button->Glyph()->Width(), 16) << "the library is found once it is there";
  EXPECT_EQ(Button->Caption(), "");
}

// Guards against the picture being written into forms (it always comes
// from the library) and against the number not being read back.
TEST_P(GlyphButtonTest, FormKeepsTheNumberNotThePicture) {
  RegisterStandardClasses();
  RegisterGSpdBtnClasses();
  RegisterZUBSpdBtnClasses();
  Form->SetName("frmGlyphs");
  Button->SetName("btnGlyph");
  Button->SetParent(Form);
  SetIndex(39);
  GetParam().SetHint(*Button, 7);
  const AnsiString text = WriteComponentResource(Form);
  EXPECT_NE(text.find("GlyphIndex = 39"), std::string::npos) << text;
  EXPECT_NE(text.find("HintIndex = 7"), std::string::npos) << text;
  EXPECT_EQ(text.find("Glyph.Data"), std::string::npos) << text;
  EXPECT_EQ(text.find("Glyph ="), std::string::npos) << text;

  TForm* copy = NewObject<TForm>(nullptr);
  ReadRootComponent(copy, ParseDfm(text, "frmGlyphs.dfm"));
  auto* read = dynamic_cast<TSpeedButton*>(copy->FindComponent("btnGlyph"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->ClassName(), GetParam().Name);
  EXPECT_EQ(GetParam().Get(*read), 39);
  EXPECT_EQ(read->Glyph()->Width(), 48);
  EXPECT_EQ(read->NumGlyphs(), 3);
  Free(copy);
}

INSTANTIATE_TEST_SUITE_P(Both, GlyphButtonTest, testing::Values(kGSpeedButton, kZUBSpdBtn),
                         [](const testing::TestParamInfo<TButtonKind>& info) {
                           return std::string(info.param.Name);
                         });

}  // namespace
