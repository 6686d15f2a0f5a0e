// Bitmaps and their canvas: size changes, pixels, fills, copies, transparent
// drawing, masks and the brush-through-mask transfer, checked pixel by pixel
// on tiny images written as pictures (one character per pixel).
#include "platform/vcl/Bitmap.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/TextMetrics.h"

namespace {

struct TLegendEntry {
  char Symbol;
  TColor Color;
};

// '.' white, '#' black, r/g/b red/lime/blue, t the glyph's transparent colour
// (fuchsia), F/S face and shadow grey (clBtnFace, clBtnShadow in the fixed
// table; the highlight is white, '.').
const std::vector<TLegendEntry> kLegend = {
    {'.', clWhite}, {'#', clBlack},   {'r', clRed},          {'g', clLime},
    {'b', clBlue},  {'t', clFuchsia}, {'F', TColor(0xC0C0C0)}, {'S', TColor(0x808080)},
};

TColor ColorOf(char symbol) {
  for (const TLegendEntry& entry : kLegend) {
    if (entry.Symbol == symbol) return entry.Color;
  }
  ADD_FAILURE() << "no colour for '" << symbol << "'";
  return clBlack;
}

// Rows separated by '/': "rg/b#" is two rows of two pixels.
void Paint(TBitmap& bitmap, const std::string& picture) {
  std::vector<std::string> rows(1);
  for (char c : picture) {
    if (c == '/')
      rows.emplace_back();
    else
      rows.back() += c;
  }
  bitmap.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      bitmap.SetPixel(static_cast<int>(x), static_cast<int>(y), ColorOf(rows[y][x]));
    }
  }
}

std::string Picture(const TBitmap& bitmap) {
  std::string out;
  for (int y = 0; y < bitmap.Height(); ++y) {
    if (y > 0) out += '/';
    for (int x = 0; x < bitmap.Width(); ++x) {
      char symbol = '?';
      for (const TLegendEntry& entry : kLegend) {
        if (entry.Color == bitmap.Pixel(x, y)) {
          symbol = entry.Symbol;
          break;
        }
      }
      out += symbol;
    }
  }
  return out;
}

// ---- Size and pixels ----

struct TResizeRow {
  const char* Name;
  const char* Before;
  int Width;
  int Height;
  const char* After;
};

void PrintTo(const TResizeRow& row, std::ostream* os) { *os << row.Name; }

class BitmapResizeTest : public testing::TestWithParam<TResizeRow> {};

// Guards against a resize that scrambles rows (stride) or leaves the new area
// uninitialised.
TEST_P(BitmapResizeTest, KeepsSharedPixelsAndWhitensTheRest) {
  const TResizeRow& row = GetParam();
  TBitmap bitmap;
  Paint(bitmap, row.Before);
  bitmap.SetSize(row.Width, row.Height);
  EXPECT_EQ(bitmap.Width(), row.Width);
  EXPECT_EQ(bitmap.Height(), row.Height);
  EXPECT_EQ(Picture(bitmap), row.After);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BitmapResizeTest,
    testing::Values(TResizeRow{"Grow", "rg/b#", 3, 3, "rg./b#./..."},
                    TResizeRow{"Narrow", "rgb/###", 2, 2, "rg/##"},
                    TResizeRow{"WidenOnly", "rg/b#", 4, 2, "rg../b#.."},
                    TResizeRow{"ToEmpty", "rg/b#", 0, 2, "/"}),
    [](const auto& info) { return std::string(info.param.Name); });

// Guards against huge or negative sizes reaching the allocator, and against a
// refused size changing the image anyway.
TEST(BitmapTest, RefusesSizesOutOfRange) {
  TBitmap bitmap;
  Paint(bitmap, "rg");
  const int rows[][2] = {
      {-1, 1}, {1, -1}, {TBitmap::kMaxSide + 1, 1}, {TBitmap::kMaxSide, TBitmap::kMaxSide}};
  for (const auto& size : rows) {
    SCOPED_TRACE(testing::Message() << size[0] << " x " << size[1]);
    EXPECT_THROW(bitmap.SetSize(size[0], size[1]), EInvalidGraphicOperation);
    EXPECT_EQ(Picture(bitmap), "rg");
  }
}

// Guards against reading or writing past the pixel buffer.
TEST(BitmapTest, PixelOutsideTheImageRaises) {
  TBitmap bitmap;
  Paint(bitmap, "rg/b#");
  const int points[][2] = {{-1, 0}, {0, -1}, {2, 0}, {0, 2}};
  for (const auto& p : points) {
    SCOPED_TRACE(testing::Message() << "(" << p[0] << ", " << p[1] << ")");
    EXPECT_THROW(bitmap.Pixel(p[0], p[1]), EInvalidGraphicOperation);
    EXPECT_THROW(bitmap.SetPixel(p[0], p[1], clRed), EInvalidGraphicOperation);
  }
  TBitmap empty;
  EXPECT_TRUE(empty.Empty());
  EXPECT_THROW(empty.Pixel(0, 0), EInvalidGraphicOperation);
}

// Guards against storing a system colour's flag bits as a pixel, and against
// clNone landing in the image as a bogus RGB.
TEST(BitmapTest, PixelsHoldResolvedRGB) {
  TBitmap bitmap;
  bitmap.SetSize(1, 1);
  bitmap.SetPixel(0, 0, clBtnFace);
  EXPECT_EQ(bitmap.Pixel(0, 0), ColorToRGB(clBtnFace));
  EXPECT_THROW(bitmap.SetPixel(0, 0, clNone), EInvalidGraphicOperation);
  EXPECT_EQ(bitmap.Pixel(0, 0), ColorToRGB(clBtnFace));
}

// ---- Fills ----

struct TFillRow {
  const char* Name;
  TRect Rect;
  TColor Color;
  TBrushStyle Style;
  const char* After;
};

void PrintTo(const TFillRow& row, std::ostream* os) { *os << row.Name; }

class BitmapFillTest : public testing::TestWithParam<TFillRow> {};

// Guards against fills outside the clip, inverted rectangles painting, and a
// clear brush or clNone painting anything.
TEST_P(BitmapFillTest, FillsTheClippedRectangleWithTheBrush) {
  const TFillRow& row = GetParam();
  TBitmap bitmap;
  Paint(bitmap, ".../.../...");
  bitmap.Canvas().Brush().SetColor(row.Color);
  bitmap.Canvas().Brush().SetStyle(row.Style);
  bitmap.Canvas().FillRect(row.Rect);
  EXPECT_EQ(Picture(bitmap), row.After);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BitmapFillTest,
    testing::Values(TFillRow{"Inside", Rect(1, 0, 3, 2), clRed, bsSolid, ".rr/.rr/..."},
                    TFillRow{"ClippedAtEveryEdge", Rect(-5, 2, 99, 99), clBlue, bsSolid,
                             ".../.../bbb"},
                    TFillRow{"Inverted", Rect(2, 2, 1, 1), clRed, bsSolid, ".../.../..."},
                    TFillRow{"ClearBrush", Rect(0, 0, 3, 3), clRed, bsClear, ".../.../..."},
                    TFillRow{"NoneColour", Rect(0, 0, 3, 3), clNone, bsSolid, ".../.../..."},
                    TFillRow{"SystemColour", Rect(0, 1, 3, 2), clBtnFace, bsSolid, ".../FFF/..."}),
    [](const auto& info) { return std::string(info.param.Name); });

// ---- Copies and drawing ----

// Guards against CopyRect ignoring the source offset, stretching wrongly,
// copying from outside the source, or reading pixels it already overwrote
// when source and target are the same bitmap.
TEST(BitmapTest, CopyRectCopiesAndStretches) {
  TBitmap source;
  Paint(source, "rg/b#");
  struct TRow {
    const char* Name;
    TRect Dest;
    TRect Source;
    const char* After;
  };
  const TRow rows[] = {
      {"SameSize", Rect(1, 1, 3, 3), Rect(0, 0, 2, 2), "..../.rg./.b#./...."},
      {"SourceOffset", Rect(0, 0, 1, 1), Rect(1, 1, 2, 2), "#.../..../..../...."},
      {"Stretch", Rect(0, 0, 4, 4), Rect(0, 0, 2, 2), "rrgg/rrgg/bb##/bb##"},
      {"Shrink", Rect(0, 0, 1, 2), Rect(0, 0, 2, 2), "r.../b.../..../...."},
      {"SourcePartlyOutside", Rect(0, 0, 2, 2), Rect(1, 0, 3, 2), "g.../#.../..../...."},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TBitmap target;
    Paint(target, "..../..../..../....");
    target.Canvas().CopyRect(row.Dest, source.Canvas(), row.Source);
    EXPECT_EQ(Picture(target), row.After);
  }

  TBitmap self;
  Paint(self, "rgb.");
  self.Canvas().CopyRect(Rect(1, 0, 4, 1), self.Canvas(), Rect(0, 0, 3, 1));
  EXPECT_EQ(Picture(self), "rrgb");

  TCanvas headless;
  TBitmap target;
  target.SetSize(1, 1);
  EXPECT_THROW(target.Canvas().CopyRect(Rect(0, 0, 1, 1), headless, Rect(0, 0, 1, 1)),
               EInvalidGraphicOperation);
}

// Guards against Draw ignoring Transparent, masking the wrong colour, or
// writing outside the target when placed partly off it.
TEST(BitmapTest, DrawLeavesOutTheTransparentColour) {
  TBitmap glyph;
  Paint(glyph, "r#/tr");  // bottom-left is the transparent colour 't'
  struct TRow {
    const char* Name;
    bool Transparent;
    int X, Y;
    const char* After;
  };
  const TRow rows[] = {
      {"Opaque", false, 1, 1, ".../.r#/.tr"},
      {"Transparent", true, 1, 1, ".../.r#/..r"},
      {"PartlyOff", true, -1, -1, "r../.../..."},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    glyph.SetTransparent(row.Transparent);
    TBitmap target;
    Paint(target, ".../.../...");
    target.Canvas().Draw(row.X, row.Y, glyph);
    EXPECT_EQ(Picture(target), row.After);
  }
}

// Guards against the automatic transparent colour being a stale copy instead
// of the bottom-left pixel, and against the mode switches losing the colour.
TEST(BitmapTest, TransparentColourFollowsItsMode) {
  TBitmap bitmap;
  EXPECT_EQ(bitmap.TransparentColor(), clNone);  // no pixel to take it from
  Paint(bitmap, "rg/b#");
  EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
  EXPECT_EQ(bitmap.TransparentColor(), clBlue);
  bitmap.SetPixel(0, 1, clLime);
  EXPECT_EQ(bitmap.TransparentColor(), clLime);

  bitmap.SetTransparentMode(tmFixed);  // keeps the colour now in effect
  bitmap.SetPixel(0, 1, clRed);
  EXPECT_EQ(bitmap.TransparentColor(), clLime);

  bitmap.SetTransparentColor(clBtnShadow);
  EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
  EXPECT_EQ(bitmap.TransparentColor(), ColorToRGB(clBtnShadow));

  bitmap.SetTransparentColor(clDefault);
  EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
  EXPECT_EQ(bitmap.TransparentColor(), clRed);

  EXPECT_THROW(bitmap.SetTransparentColor(TColor(static_cast<int32_t>(0x80000019u))),
               EInvalidGraphicOperation);
  EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
}

// Guards against a transparent draw masking something when the fixed colour
// is clNone ("nothing is transparent").
TEST(BitmapTest, TransparentNoneMasksNothing) {
  TBitmap glyph;
  Paint(glyph, "rg");
  glyph.SetTransparent(true);
  glyph.SetTransparentColor(clNone);
  TBitmap target;
  Paint(target, "...");
  target.Canvas().Draw(1, 0, glyph);
  EXPECT_EQ(Picture(target), ".rg");
}

// ---- Masks and monochrome images ----

// Guards against an inverted mask and against a mask keeping colours.
TEST(BitmapTest, MaskIsWhiteWhereTheColourIs) {
  TBitmap bitmap;
  Paint(bitmap, "r#r/#rg");
  bitmap.Mask(clRed);
  EXPECT_TRUE(bitmap.Monochrome());
  EXPECT_EQ(Picture(bitmap), ".#./#.#");
}

// Guards against a monochrome image holding colours through any way in.
TEST(BitmapTest, MonochromeHoldsOnlyBlackAndWhite) {
  TBitmap bitmap;
  Paint(bitmap, "r.g#");
  bitmap.SetMonochrome(true);
  EXPECT_EQ(Picture(bitmap), "#.##");
  bitmap.SetPixel(1, 0, clRed);
  bitmap.SetPixel(0, 0, clWhite);
  EXPECT_EQ(Picture(bitmap), ".###");
  bitmap.Canvas().Brush().SetColor(clBtnHighlight);  // white in the fixed table
  bitmap.Canvas().FillRect(Rect(2, 0, 3, 1));
  bitmap.Canvas().Brush().SetColor(clLime);
  bitmap.Canvas().FillRect(Rect(3, 0, 4, 1));
  EXPECT_EQ(Picture(bitmap), ".#.#");
}

// Guards against the $E20746 transfer painting where the mask is black,
// leaving out where it is white, or ignoring the offset and clip.
TEST(BitmapTest, FillMaskedPaintsTheBrushWhereTheMaskIsWhite) {
  TBitmap mask;
  Paint(mask, ".#/#.");
  mask.SetMonochrome(true);
  TBitmap target;
  Paint(target, "rrr/rrr/rrr");
  target.Canvas().Brush().SetColor(clBlue);
  target.Canvas().FillMasked(1, 1, mask);
  EXPECT_EQ(Picture(target), "rrr/rbr/rrb");
  target.Canvas().Brush().SetColor(clLime);
  target.Canvas().FillMasked(-1, -1, mask);
  EXPECT_EQ(Picture(target), "grr/rbr/rrb");
}

// The disabled image of a one-glyph button, built from these operations the
// way the form base class builds it: mark the dark pixels, mask them, paint
// highlight one pixel down-right and shadow on top, then put the original
// and the grey image side by side. Guards against any of the operations
// disagreeing with the others about offsets, masks or transparency.
TEST(BitmapTest, DisabledGlyphSequenceGivesTheEmbossedImage) {
  TBitmap glyph;
  Paint(glyph, "t#t/###/t#t");
  const TColor transparent = glyph.TransparentColor();
  ASSERT_EQ(transparent, clFuchsia);

  TBitmap grey;
  grey.Assign(&glyph);
  grey.Canvas().Brush().SetColor(transparent);
  grey.Canvas().FillRect(Rect(0, 0, grey.Width(), grey.Height()));
  for (int y = 0; y < glyph.Height(); ++y) {
    for (int x = 0; x < glyph.Width(); ++x) {
      if (glyph.Pixel(x, y) == clBlack) grey.SetPixel(x, y, clBlack);  // every dark pixel is marked
    }
  }
  TBitmap mask;
  mask.Assign(&grey);
  mask.Mask(clBlack);
  grey.Canvas().Brush().SetColor(clBtnFace);
  grey.Canvas().FillRect(Rect(0, 0, grey.Width(), grey.Height()));
  grey.Canvas().Brush().SetColor(clBtnHighlight);
  grey.Canvas().FillMasked(1, 1, mask);
  grey.Canvas().Brush().SetColor(clBtnShadow);
  grey.Canvas().FillMasked(0, 0, mask);

  TBitmap original;
  original.Assign(&glyph);
  glyph.SetSize(glyph.Width() * 2, glyph.Height());
  glyph.Canvas().Brush().SetColor(transparent);
  glyph.Canvas().FillRect(Rect(0, 0, glyph.Width(), glyph.Height()));
  glyph.Canvas().Draw(0, 0, original);
  glyph.Canvas().Draw(original.Width(), 0, grey);

  EXPECT_EQ(Picture(glyph), "t#tFSF/###SSS/t#tFS.");
}

// ---- Assign ----

// Guards against Assign sharing or losing part of the image state, and
// against Assign(nullptr) leaving the old image behind.
TEST(BitmapTest, AssignCopiesImageAndTransparency) {
  TBitmap source;
  Paint(source, "rg/b#");
  source.SetTransparent(true);
  source.SetTransparentColor(clLime);
  TBitmap copy;
  copy.Assign(&source);
  EXPECT_EQ(Picture(copy), "rg/b#");
  EXPECT_TRUE(copy.Transparent());
  EXPECT_EQ(copy.TransparentMode(), tmFixed);
  EXPECT_EQ(copy.TransparentColor(), clLime);
  source.SetPixel(0, 0, clBlue);
  EXPECT_EQ(Picture(copy), "rg/b#");

  copy.Assign(nullptr);
  EXPECT_TRUE(copy.Empty());
  EXPECT_FALSE(copy.Transparent());
  EXPECT_EQ(copy.TransparentMode(), tmAuto);
}

// ---- Change notification ----

// Guards against a watcher (a button showing its glyph) missing a change, or
// hearing one per pixel of a fill, or hearing of operations that changed
// nothing.
TEST(BitmapTest, OnChangeOncePerChangingOperation) {
  TBitmap bitmap;
  int changes = 0;
  bitmap.SetOnChange(TNotifyEvent::FromFunction([&](TObject* sender) {
    EXPECT_EQ(sender, &bitmap);
    ++changes;
  }));
  TBitmap other;
  Paint(other, "rg");
  const struct {
    const char* Name;
    std::function<void()> Apply;
    int Changes;
  } rows[] = {
      {"Resize", [&] { bitmap.SetSize(2, 2); }, 1},
      {"SameSize", [&] { bitmap.SetSize(2, 2); }, 0},
      {"Fill", [&] { bitmap.Canvas().FillRect(Rect(0, 0, 2, 2)); }, 1},
      {"FillOutside", [&] { bitmap.Canvas().FillRect(Rect(5, 5, 9, 9)); }, 0},
      {"SamePixel", [&] { bitmap.SetPixel(0, 0, clWhite); }, 0},
      {"Pixel", [&] { bitmap.SetPixel(0, 0, clRed); }, 1},
      {"Draw", [&] { bitmap.Canvas().Draw(0, 1, other); }, 1},
      {"Transparent", [&] { bitmap.SetTransparent(true); }, 1},
      {"SameTransparent", [&] { bitmap.SetTransparent(true); }, 0},
      {"FixedColour", [&] { bitmap.SetTransparentColor(clLime); }, 1},
      {"Assign", [&] { bitmap.Assign(&other); }, 1},
      {"Release", [&] { bitmap.Assign(nullptr); }, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.Name);
    changes = 0;
    row.Apply();
    EXPECT_EQ(changes, row.Changes);
  }
}

// ---- Text on a canvas ----

// A provider with widths that differ from the headless default, to show the
// canvas asks the current provider.
class TFixedMetrics : public ITextMetrics {
public:
  int TextWidth(const TFont&, std::string_view bytes) override {
    return 2 * static_cast<int>(bytes.size());
  }
  int TextHeight(const TFont&, std::string_view) override { return 1; }
};

class TScopedMetrics {
public:
  explicit TScopedMetrics(ITextMetrics* metrics) : FOld(SetTextMetrics(metrics)) {}
  ~TScopedMetrics() { SetTextMetrics(FOld); }

private:
  ITextMetrics* FOld;
};

// Guards against TextOut dropping the font or brush it was made with, and
// against the opaque cell being measured other than by the provider.
TEST(BitmapTest, TextOutRecordsTheCallAndFillsItsCell) {
  TFixedMetrics metrics;
  TScopedMetrics scope(&metrics);
  TBitmap bitmap;
  Paint(bitmap, "..../..../....");
  TCanvas& canvas = bitmap.Canvas();
  canvas.Font().SetColor(clRed);
  canvas.Font().SetStyle({fsBold});
  canvas.Brush().SetColor(clLime);
  canvas.TextOut(1, 1, "a");  // 2 x 1 in these metrics
  canvas.Brush().SetStyle(bsClear);
  canvas.TextOut(0, 2, "bb");
  EXPECT_EQ(Picture(bitmap), "..../.gg./....");

  ASSERT_EQ(canvas.Texts().size(), 2u);
  const TCanvasText& first = canvas.Texts()[0];
  EXPECT_EQ(first.X, 1);
  EXPECT_EQ(first.Y, 1);
  EXPECT_EQ(first.Text, "a");
  EXPECT_FALSE(first.Clipped);
  EXPECT_EQ(first.FontName, AnsiString(kDefaultFontName));
  EXPECT_EQ(first.FontHeight, kDefaultFontHeight);
  EXPECT_EQ(first.FontColor, clRed);
  EXPECT_EQ(first.FontStyle, TFontStyles({fsBold}));
  EXPECT_EQ(first.BrushColor, clLime);
  EXPECT_EQ(canvas.Texts()[1].BrushStyle, bsClear);
  canvas.ClearTexts();
  EXPECT_TRUE(canvas.Texts().empty());
}

// Guards against TextRect filling only the text's cell instead of its rect.
TEST(BitmapTest, TextRectFillsItsRectangleAndRecordsTheClip) {
  TBitmap bitmap;
  Paint(bitmap, "..../..../....");
  bitmap.Canvas().Brush().SetColor(clBlue);
  bitmap.Canvas().TextRect(Rect(1, 0, 4, 2), 2, 0, "x");
  EXPECT_EQ(Picture(bitmap), ".bbb/.bbb/....");
  ASSERT_EQ(bitmap.Canvas().Texts().size(), 1u);
  EXPECT_TRUE(bitmap.Canvas().Texts()[0].Clipped);
  EXPECT_EQ(bitmap.Canvas().Texts()[0].ClipRect, Rect(1, 0, 4, 2));
}

// Guards against a headless control's canvas crashing on drawing calls: it
// measures and records, and only pixel access is an error.
TEST(BitmapTest, CanvasWithoutBitmapMeasuresAndRecords) {
  TCanvas canvas;
  EXPECT_EQ(canvas.TextWidth("ab"), GetTextMetrics().TextWidth(canvas.Font(), "ab"));
  EXPECT_EQ(canvas.TextHeight("ab"), GetTextMetrics().TextHeight(canvas.Font(), "ab"));
  canvas.FillRect(Rect(0, 0, 5, 5));
  TBitmap glyph;
  Paint(glyph, "r");
  canvas.Draw(0, 0, glyph);
  canvas.FillMasked(0, 0, glyph);
  canvas.TextOut(3, 4, "x");
  ASSERT_EQ(canvas.Texts().size(), 1u);
  EXPECT_EQ(canvas.Texts()[0].Text, "x");
  EXPECT_THROW(canvas.Pixel(0, 0), EInvalidGraphicOperation);
  EXPECT_THROW(canvas.SetPixel(0, 0, clRed), EInvalidGraphicOperation);
}

}  // namespace
