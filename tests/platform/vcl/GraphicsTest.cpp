// Colours, cursors and character sets with their identifiers, fonts (size
// and height, change notification, published properties) and the headless
// text metrics. Identifier values and system colour numbers are the
// platform's published constants; the RGB of system colours is this
// runtime's fixed classic scheme.
#include "platform/vcl/Graphics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/TextMetrics.h"
#include "platform/vcl/TypInfo.h"

namespace {

// "宋体" in GBK: CB CE CC E5 (iconv -t GBK).
constexpr std::string_view kSongTi = "\xCB\xCE\xCC\xE5";
// "中文" in GBK (D6 D0 CE C4) and in Big5 (A4 A4 A4 E5).
constexpr std::string_view kZhongWenGbk = "\xD6\xD0\xCE\xC4";
constexpr std::string_view kZhongWenBig5 = "\xA4\xA4\xA4\xE5";
// "許" in Big5: B3 5C, the trail byte a backslash.
constexpr std::string_view kXuBig5 = "\xB3\x5C";

class TScopedCodePage {
public:
  explicit TScopedCodePage(int codePage) : FOld(SystemCodePage()) { SetSystemCodePage(codePage); }
  ~TScopedCodePage() { SetSystemCodePage(FOld); }

private:
  int FOld;
};

constexpr TColor Sys(uint32_t bits) { return TColor(static_cast<int32_t>(bits)); }

// ---- Colour identifiers ----

struct TIdentRow {
  const char* Ident;
  int32_t Value;
};

// Guards against a wrong number behind a name (BGR order, system colour
// index) and against a name that does not read back.
TEST(GraphicsTest, ColourIdentifiersMapBothWays) {
  const TIdentRow rows[] = {
      {"clBlack", 0x000000},      {"clMaroon", 0x000080},      {"clRed", 0x0000FF},
      {"clBlue", 0xFF0000},       {"clYellow", 0x00FFFF},      {"clAqua", 0xFFFF00},
      {"clWhite", 0xFFFFFF},      {"clSilver", 0xC0C0C0},      {"clNone", 0x1FFFFFFF},
      {"clDefault", 0x20000000},  {"clScrollBar", Sys(0x80000000)},
      {"clActiveCaption", Sys(0x80000002)}, {"clWindow", Sys(0x80000005)},
      {"clWindowText", Sys(0x80000008)},   {"clCaptionText", Sys(0x80000009)},
      {"clBtnFace", Sys(0x8000000F)},      {"clBtnShadow", Sys(0x80000010)},
      {"clGrayText", Sys(0x80000011)},     {"clBtnText", Sys(0x80000012)},
      {"clBtnHighlight", Sys(0x80000014)}, {"cl3DDkShadow", Sys(0x80000015)},
      {"clInfoBk", Sys(0x80000018)},
  };
  for (const TIdentRow& row : rows) {
    SCOPED_TRACE(row.Ident);
    TColor color = clBlack;
    ASSERT_TRUE(IdentToColor(row.Ident, color));
    EXPECT_EQ(color, row.Value);
    AnsiString ident;
    ASSERT_TRUE(ColorToIdent(TColor(row.Value), ident));
    EXPECT_EQ(ident, row.Ident);
    EXPECT_EQ(StringToColor(row.Ident), row.Value);
    EXPECT_EQ(ColorToString(TColor(row.Value)), row.Ident);
  }
}

// Guards against case-sensitive look-ups (language files write "CLRED") and
// against a non-canonical spelling coming back.
TEST(GraphicsTest, ColourIdentifiersIgnoreCase) {
  TColor color = clBlack;
  ASSERT_TRUE(IdentToColor("CLbtnFACE", color));
  EXPECT_EQ(color, clBtnFace);
  AnsiString ident;
  ASSERT_TRUE(ColorToIdent(color, ident));
  EXPECT_EQ(ident, "clBtnFace");
}

// Guards against a near name or a bare number passing as an identifier, and
// against a value without a name inventing one.
TEST(GraphicsTest, UnknownColourIdentifiersAreRefused) {
  for (const char* name : {"clRedd", "red", "", "cl", "0", "clLtGray"}) {
    SCOPED_TRACE(name);
    TColor color = clAqua;
    EXPECT_FALSE(IdentToColor(name, color));
    EXPECT_EQ(color, clAqua);
  }
  for (int32_t value : {0x123456, int32_t(Sys(0x80000040)), 0x02000000}) {
    SCOPED_TRACE(value);
    AnsiString ident = "unchanged";
    EXPECT_FALSE(ColorToIdent(TColor(value), ident));
    EXPECT_EQ(ident, "unchanged");
  }
}

// Guards against the hex form of a system colour failing to read back (it is
// too big for a signed number) and against numbers in the other notations.
TEST(GraphicsTest, ColourTextsWithoutIdentifierAreNumbers) {
  EXPECT_EQ(ColorToString(TColor(0xAFFFFF)), "$00AFFFFF");
  EXPECT_EQ(ColorToString(Sys(0x80000040)), "$80000040");
  const struct {
    const char* Text;
    int32_t Value;
  } rows[] = {
      {"$00AFFFFF", 0xAFFFFF},       {"$80000040", Sys(0x80000040)}, {"11534335", 0xAFFFFF},
      {"-2147483633", clBtnFace},    {"0x0000FF", clRed},            {"$FFFFFFFF", -1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Text);
    EXPECT_EQ(StringToColor(row.Text), row.Value);
  }
  for (const char* bad : {"xyz", "", "$100000000", "12abc", "-2147483649"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(StringToColor(bad), EConvertError);
  }
}

// Guards against RGB order mix-ups: the required-field mark $AFFFFF is red FF,
// green FF, blue AF (a pale yellow), not a pale blue.
TEST(GraphicsTest, ColoursAreLaidOutBlueGreenRed) {
  const TColor mark = TColor(0xAFFFFF);
  EXPECT_EQ(GetRValue(mark), 0xFF);
  EXPECT_EQ(GetGValue(mark), 0xFF);
  EXPECT_EQ(GetBValue(mark), 0xAF);
  EXPECT_EQ(RGB(0xFF, 0xFF, 0xAF), mark);
  EXPECT_EQ(RGB(0, 0, 0x80), clNavy);
  EXPECT_EQ(RGB(0x1FF, -1, 0), RGB(0xFF, 0xFF, 0));  // components keep their low byte
}

// ---- System colours to RGB ----

// The fixed table: pixel tests and the disabled-glyph image depend on these.
TEST(GraphicsTest, SystemColoursResolveToTheFixedScheme) {
  const struct {
    TColor Color;
    int32_t RGB;
  } rows[] = {
      {clBtnFace, 0xC0C0C0},       {clBtnHighlight, 0xFFFFFF}, {clBtnShadow, 0x808080},
      {clBtnText, 0x000000},       {clWindow, 0xFFFFFF},       {clWindowText, 0x000000},
      {clHighlight, 0x800000},     {clHighlightText, 0xFFFFFF}, {clGrayText, 0x808080},
      {clActiveCaption, 0x800000}, {clInactiveCaption, 0x808080}, {clCaptionText, 0xFFFFFF},
      {clInfoBk, 0xE1FFFF},        {clInfoText, 0x000000},     {cl3DDkShadow, 0x000000},
      {cl3DLight, 0xDFDFDF},       {clScrollBar, 0xC0C0C0},    {clMenuBar, 0xC0C0C0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(ColorToString(row.Color));
    EXPECT_TRUE(IsSysColor(row.Color));
    EXPECT_EQ(ColorToRGB(row.Color), row.RGB);
  }
}

// Guards against plain colours being altered, and against clNone, clDefault
// or an unknown system index turning into a bogus RGB silently.
TEST(GraphicsTest, ColorToRGBKeepsPlainColoursAndRefusesNonColours) {
  EXPECT_EQ(ColorToRGB(TColor(0xAFFFFF)), 0xAFFFFF);
  EXPECT_EQ(ColorToRGB(TColor(0x020000FF)), clRed);  // palette-relative
  for (int32_t bad : {int32_t(clNone), int32_t(clDefault), int32_t(Sys(0x80000019)),
                      int32_t(Sys(0x800000FF)), int32_t(Sys(0x80000100)), 0x01000005}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(IsSysColor(TColor(bad)));
    EXPECT_THROW(ColorToRGB(TColor(bad)), EInvalidGraphicOperation);
  }
}

// ---- Cursors and character sets ----

// Guards against wrong cursor numbers (schemes store them) and names.
TEST(GraphicsTest, CursorIdentifiersMapBothWays) {
  const TIdentRow rows[] = {
      {"crDefault", 0},    {"crNone", -1},     {"crArrow", -2},      {"crIBeam", -4},
      {"crHourGlass", -11}, {"crSQLWait", -17}, {"crHandPoint", -21}, {"crSizeAll", -22},
  };
  for (const TIdentRow& row : rows) {
    SCOPED_TRACE(row.Ident);
    TCursor cursor = crArrow;
    ASSERT_TRUE(IdentToCursor(row.Ident, cursor));
    EXPECT_EQ(cursor, row.Value);
    AnsiString ident;
    ASSERT_TRUE(CursorToIdent(TCursor(row.Value), ident));
    EXPECT_EQ(ident, row.Ident);
  }
  EXPECT_EQ(StringToCursor("CRHANDPOINT"), crHandPoint);
  EXPECT_EQ(StringToCursor("5"), 5);
  EXPECT_EQ(CursorToString(TCursor(5)), "5");
  for (const char* bad : {"crFoo", "40000", "", "-32769"}) {
    SCOPED_TRACE(bad);
    EXPECT_THROW(StringToCursor(bad), EConvertError);
  }
}

// Guards against the display decoding a font's text in the wrong code page.
TEST(GraphicsTest, CharsetSelectsTheCodePage) {
  for (int system : {936, 1252}) {
    TScopedCodePage scope(system);
    SCOPED_TRACE(system);
    EXPECT_EQ(CharsetToCodePage(GB2312_CHARSET), 936);
    EXPECT_EQ(CharsetToCodePage(CHINESEBIG5_CHARSET), 950);
    EXPECT_EQ(CharsetToCodePage(DEFAULT_CHARSET), system);
    EXPECT_EQ(CharsetToCodePage(ANSI_CHARSET), system);
    EXPECT_EQ(CharsetToCodePage(OEM_CHARSET), system);
  }
  int charset = 0;
  ASSERT_TRUE(IdentToCharset("gb2312_charset", charset));
  EXPECT_EQ(charset, 134);
  AnsiString ident;
  ASSERT_TRUE(CharsetToIdent(136, ident));
  EXPECT_EQ(ident, "CHINESEBIG5_CHARSET");
  EXPECT_FALSE(IdentToCharset("GB_CHARSET", charset));
  EXPECT_FALSE(CharsetToIdent(135, ident));
}

// ---- Fonts ----

// Guards against a default font other than the designed one, which every
// layout and the metrics assume.
TEST(FontTest, DefaultsToTheDesignedFont) {
  TFont font;
  EXPECT_EQ(font.Name(), AnsiString(kSongTi));
  EXPECT_EQ(font.Height(), -13);
  EXPECT_EQ(font.Size(), 10);
  EXPECT_EQ(font.Charset(), DEFAULT_CHARSET);
  EXPECT_EQ(font.Color(), clWindowText);
  EXPECT_TRUE(font.Style().Empty());
  EXPECT_EQ(font.Pitch(), fpDefault);
  EXPECT_EQ(font.PixelsPerInch(), 96);
}

struct TSizeRow {
  const char* Name;
  int Height;
  int PixelsPerInch;
  int Size;
};

void PrintTo(const TSizeRow& row, std::ostream* os) { *os << row.Name; }

class FontHeightToSizeTest : public testing::TestWithParam<TSizeRow> {};

// Guards against truncating instead of rounding (-13 must be 10 pt, not 9,
// or the radio caption offset comes out 17 instead of 19) and against
// rounding halves the wrong way.
TEST_P(FontHeightToSizeTest, RoundsToTheNearestPoint) {
  const TSizeRow& row = GetParam();
  EXPECT_EQ(FontHeightToSize(row.Height, row.PixelsPerInch), row.Size);
  TFont font;
  font.SetPixelsPerInch(row.PixelsPerInch);
  font.SetHeight(row.Height);
  EXPECT_EQ(font.Size(), row.Size);
}

INSTANTIATE_TEST_SUITE_P(Rows, FontHeightToSizeTest,
                         testing::Values(TSizeRow{"Designed", -13, 96, 10},
                                         TSizeRow{"Twelve", -12, 96, 9},
                                         TSizeRow{"Eleven", -11, 96, 8},
                                         TSizeRow{"HalfAwayFromZero", -14, 96, 11},
                                         TSizeRow{"HalfUp", -10, 96, 8},
                                         TSizeRow{"Sixteen", -16, 96, 12},
                                         TSizeRow{"Zero", 0, 96, 0},
                                         TSizeRow{"CellHeightGivesNegativeSize", 13, 96, -10},
                                         TSizeRow{"At120", -13, 120, 8}),
                         [](const auto& info) { return std::string(info.param.Name); });

class FontSizeToHeightTest : public testing::TestWithParam<TSizeRow> {};

// Guards against setting Size leaving Height (the stored value) unchanged or
// rounded the wrong way.
TEST_P(FontSizeToHeightTest, SetsTheRoundedCharacterHeight) {
  const TSizeRow& row = GetParam();
  EXPECT_EQ(FontSizeToHeight(row.Size, row.PixelsPerInch), row.Height);
  TFont font;
  font.SetPixelsPerInch(row.PixelsPerInch);
  font.SetSize(row.Size);
  EXPECT_EQ(font.Height(), row.Height);
}

INSTANTIATE_TEST_SUITE_P(Rows, FontSizeToHeightTest,
                         testing::Values(TSizeRow{"Nine", -12, 96, 9},
                                         TSizeRow{"Ten", -13, 96, 10},
                                         TSizeRow{"Eleven", -15, 96, 11},
                                         TSizeRow{"Eight", -11, 96, 8},
                                         TSizeRow{"Twelve", -16, 96, 12},
                                         TSizeRow{"Zero", 0, 96, 0},
                                         TSizeRow{"NegativeSize", 13, 96, -10},
                                         TSizeRow{"At120", -15, 120, 9}),
                         [](const auto& info) { return std::string(info.param.Name); });

// Guards against overflow turning a huge size into a small or positive
// height, and against a zero resolution dividing by zero.
TEST(FontTest, SizeConversionsRefuseWhatDoesNotFit) {
  EXPECT_THROW(FontSizeToHeight(INT32_MAX), EConvertError);
  EXPECT_THROW(FontSizeToHeight(INT32_MIN), EConvertError);
  EXPECT_THROW(FontHeightToSize(-13, 0), EConvertError);
  TFont font;
  EXPECT_THROW(font.SetSize(INT32_MAX), EConvertError);
  EXPECT_EQ(font.Height(), -13);
  EXPECT_THROW(font.SetPixelsPerInch(0), EConvertError);
  EXPECT_EQ(font.PixelsPerInch(), 96);
}

// Counts OnChange calls on a font.
class FontChangeTest : public testing::Test {
protected:
  void SetUp() override {
    FFont.SetOnChange(TNotifyEvent::FromFunction([this](TObject* sender) {
      EXPECT_EQ(sender, &FFont);
      ++FChanges;
    }));
  }
  TFont FFont;
  int FChanges = 0;
};

// Guards against a change raised twice (Size through Height), not at all, or
// for a value the font already has (controls re-lay out on every change).
TEST_F(FontChangeTest, RaisesOncePerRealChange) {
  const struct {
    const char* Name;
    void (*Apply)(TFont&);
    int Changes;
  } rows[] = {
      {"Name", [](TFont& f) { f.SetName("Tahoma"); }, 1},
      {"SameName", [](TFont& f) { f.SetName(AnsiString(kSongTi)); }, 0},
      {"Height", [](TFont& f) { f.SetHeight(-12); }, 1},
      {"SameHeight", [](TFont& f) { f.SetHeight(-13); }, 0},
      {"Size", [](TFont& f) { f.SetSize(9); }, 1},
      {"SizeGivingSameHeight", [](TFont& f) { f.SetSize(10); }, 0},
      {"Charset", [](TFont& f) { f.SetCharset(GB2312_CHARSET); }, 1},
      {"SameCharset", [](TFont& f) { f.SetCharset(DEFAULT_CHARSET); }, 0},
      {"Color", [](TFont& f) { f.SetColor(clRed); }, 1},
      {"SameColor", [](TFont& f) { f.SetColor(clWindowText); }, 0},
      {"Style", [](TFont& f) { f.SetStyle({fsBold, fsUnderline}); }, 1},
      {"SameStyle", [](TFont& f) { f.SetStyle({}); }, 0},
      {"Pitch", [](TFont& f) { f.SetPitch(fpFixed); }, 1},
      {"PixelsPerInch", [](TFont& f) { f.SetPixelsPerInch(120); }, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    TFont fresh;
    FFont.Assign(&fresh);
    FChanges = 0;
    row.Apply(FFont);
    EXPECT_EQ(FChanges, row.Changes);
  }
}

// Guards against Assign missing a property, raising per property, or raising
// when nothing differed.
TEST_F(FontChangeTest, AssignCopiesEverythingWithOneChange) {
  TFont source;
  source.SetName("Tahoma");
  source.SetHeight(-16);
  source.SetCharset(CHINESEBIG5_CHARSET);
  source.SetColor(clRed);
  source.SetStyle({fsItalic});
  source.SetPitch(fpVariable);
  FFont.Assign(&source);
  EXPECT_EQ(FChanges, 1);
  EXPECT_EQ(FFont.Name(), "Tahoma");
  EXPECT_EQ(FFont.Height(), -16);
  EXPECT_EQ(FFont.Size(), 12);
  EXPECT_EQ(FFont.Charset(), CHINESEBIG5_CHARSET);
  EXPECT_EQ(FFont.Color(), clRed);
  EXPECT_EQ(FFont.Style(), TFontStyles({fsItalic}));
  EXPECT_EQ(FFont.Pitch(), fpVariable);
  FFont.Assign(&source);
  FFont.Assign(&FFont);
  EXPECT_EQ(FChanges, 1);

  TBitmap notAFont;
  EXPECT_THROW(FFont.Assign(&notAFont), EConvertError);
}

// ---- Text metrics ----

// The designed font's values are fixed by the layout model; every other row
// below is expressed in these units.
TEST(TextMetricsTest, DesignedFontHasTheFixedValues) {
  TFont font;
  EXPECT_EQ(THeadlessTextMetrics::LineHeight(font), 13);
  EXPECT_EQ(THeadlessTextMetrics::DoubleByteWidth(font), 13);
  EXPECT_EQ(THeadlessTextMetrics::SingleByteWidth(font), 7);
  font.SetHeight(-16);  // round(16 * 7 / 13) = round(8.6)
  EXPECT_EQ(THeadlessTextMetrics::SingleByteWidth(font), 9);
  EXPECT_EQ(THeadlessTextMetrics::DoubleByteWidth(font), 16);
  font.SetHeight(12);  // a cell height counts by its size too
  EXPECT_EQ(THeadlessTextMetrics::LineHeight(font), 12);
  font.SetHeight(0);  // "the default size"
  EXPECT_EQ(THeadlessTextMetrics::LineHeight(font), 13);
}

struct TMetricsRow {
  const char* Name;
  int Height;
  TFontCharset Charset;
  int SystemCodePage;
  std::string_view Text;
  int Singles;
  int Doubles;
};

void PrintTo(const TMetricsRow& row, std::ostream* os) { *os << row.Name; }

class TextMetricsWidthTest : public testing::TestWithParam<TMetricsRow> {};

// Guards against counting bytes instead of characters, against reading
// double-byte characters with the wrong code page, and against a trail byte
// that looks like ASCII being counted on its own.
TEST_P(TextMetricsWidthTest, AddsCharacterWidthsInTheFontsCodePage) {
  const TMetricsRow& row = GetParam();
  TScopedCodePage scope(row.SystemCodePage);
  TFont font;
  font.SetHeight(row.Height);
  font.SetCharset(row.Charset);
  ITextMetrics& metrics = GetTextMetrics();
  const int expected = row.Singles * THeadlessTextMetrics::SingleByteWidth(font) +
                       row.Doubles * THeadlessTextMetrics::DoubleByteWidth(font);
  EXPECT_EQ(metrics.TextWidth(font, row.Text), expected);
  EXPECT_EQ(metrics.TextHeight(font, row.Text), THeadlessTextMetrics::LineHeight(font));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, TextMetricsWidthTest,
    testing::Values(
        TMetricsRow{"Ascii", -13, DEFAULT_CHARSET, 936, "W", 1, 0},
        TMetricsRow{"AsciiWord", -13, DEFAULT_CHARSET, 936, "Hello", 5, 0},
        TMetricsRow{"Empty", -13, DEFAULT_CHARSET, 936, "", 0, 0},
        TMetricsRow{"Gbk", -13, GB2312_CHARSET, 1252, kZhongWenGbk, 0, 2},
        TMetricsRow{"GbkByDefaultCharset", -13, DEFAULT_CHARSET, 936, kZhongWenGbk, 0, 2},
        TMetricsRow{"Mixed", -13, GB2312_CHARSET, 936, "A\xD6\xD0" "1\xCE\xC4", 2, 2},
        TMetricsRow{"OtherHeight", -16, GB2312_CHARSET, 936, "A\xD6\xD0", 1, 1},
        TMetricsRow{"Big5TrailLooksAscii", -13, CHINESEBIG5_CHARSET, 936, kXuBig5, 0, 1},
        TMetricsRow{"Big5", -13, CHINESEBIG5_CHARSET, 936, kZhongWenBig5, 0, 2},
        TMetricsRow{"DefaultCharsetOnWestern", -13, DEFAULT_CHARSET, 1252, kZhongWenGbk, 4, 0},
        TMetricsRow{"CutLeadByte", -13, GB2312_CHARSET, 936, "A\xD6", 2, 0}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against a width that overflows into a negative number.
TEST(TextMetricsTest, RefusesWhatDoesNotFit) {
  TFont font;
  font.SetHeight(INT32_MIN);
  EXPECT_THROW(GetTextMetrics().TextHeight(font, "a"), EInvalidGraphicOperation);
  font.SetHeight(-1000000);
  const std::string wide(5000, 'W');
  EXPECT_THROW(GetTextMetrics().TextWidth(font, wide), EInvalidGraphicOperation);
}

class TDoubleMetrics : public ITextMetrics {
public:
  int TextWidth(const TFont&, std::string_view bytes) override {
    return 100 + static_cast<int>(bytes.size());
  }
  int TextHeight(const TFont&, std::string_view) override { return 42; }
};

// Guards against a provider swap that cannot be undone or that the canvas
// does not see.
TEST(TextMetricsTest, ProviderCanBeReplacedAndRestored) {
  TDoubleMetrics replacement;
  ITextMetrics* previous = SetTextMetrics(&replacement);
  ASSERT_NE(previous, nullptr);
  EXPECT_EQ(&GetTextMetrics(), &replacement);
  TCanvas canvas;
  EXPECT_EQ(canvas.TextWidth("abc"), 103);
  EXPECT_EQ(canvas.TextHeight("abc"), 42);
  EXPECT_EQ(SetTextMetrics(previous), &replacement);
  EXPECT_EQ(&GetTextMetrics(), previous);
  SetTextMetrics(nullptr);  // null restores the headless default
  EXPECT_NE(dynamic_cast<THeadlessTextMetrics*>(&GetTextMetrics()), nullptr);
  SetTextMetrics(previous);
}

// ---- Type information ----

// Guards against the font's published properties missing or mistyped, and
// against the identifier mappings not reaching by-name access (language
// files set "Font.Color" to "clRed", "Font.Charset" to "134").
TEST(FontTypeInfoTest, PublishesItsPropertiesWithIdentifiers) {
  RegisterGraphicsTypes();
  TFont font;
  const struct {
    const char* Name;
    const char* TypeName;
  } rows[] = {{"Charset", "TFontCharset"}, {"Color", "TColor"},     {"Height", "Integer"},
              {"Name", "AnsiString"},      {"Pitch", "TFontPitch"}, {"Size", "Integer"},
              {"Style", "TFontStyles"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    const TPropInfo* prop = GetPropInfo(&font, row.Name);
    ASSERT_NE(prop, nullptr);
    EXPECT_EQ(prop->PropType().Name(), row.TypeName);
  }
  EXPECT_EQ(font.ClassName(), "TFont");
  EXPECT_TRUE(font.InheritsFrom(TPersistent::StaticClass()));

  SetPropValue(&font, "Color", Variant("clRed"));
  EXPECT_EQ(font.Color(), clRed);
  EXPECT_EQ(GetEnumName(FindPropInfo(&font, "Color").PropType(), font.Color()), "clRed");
  SetPropValue(&font, "color", Variant("clBtnFace"));
  EXPECT_EQ(font.Color(), clBtnFace);
  SetPropValue(&font, "Charset", Variant("GB2312_CHARSET"));
  EXPECT_EQ(font.Charset(), GB2312_CHARSET);
  SetPropValue(&font, "Charset", Variant("136"));
  EXPECT_EQ(font.Charset(), CHINESEBIG5_CHARSET);
  SetSetProp(&font, "Style", "[fsBold,fsItalic]");
  EXPECT_EQ(font.Style(), TFontStyles({fsBold, fsItalic}));
  SetOrdProp(&font, "Size", 9);
  EXPECT_EQ(font.Height(), -12);
  SetStrProp(&font, "Name", "Tahoma");
  EXPECT_EQ(font.Name(), "Tahoma");
  EXPECT_THROW(SetPropValue(&font, "Color", Variant("clNoSuchColour")), EPropertyError);
  EXPECT_THROW(SetOrdProp(&font, "Charset", 300), EPropertyError);
}

}  // namespace
