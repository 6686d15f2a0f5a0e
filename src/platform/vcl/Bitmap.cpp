#include "platform/vcl/Bitmap.h"

#include <algorithm>
#include <cstdint>

#include "platform/rtl/NumConv.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/TextMetrics.h"

namespace {

AnsiString PointText(int x, int y) { return "(" + IntToStr(x) + ", " + IntToStr(y) + ")"; }

// The part of rect that lies inside a width x height image.
TRect ClipTo(const TRect& rect, int width, int height) {
  return TRect{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, width),
               std::min(rect.Bottom, height)};
}

// The part of a w x h image placed at (x, y) that lies inside a width x height
// image; computed wide so that a far-off position cannot overflow.
TRect ClipPlaced(int x, int y, int w, int h, int width, int height) {
  const auto clamp = [](int64_t v, int limit) {
    return static_cast<int>(std::clamp<int64_t>(v, 0, limit));
  };
  return TRect{clamp(x, width), clamp(y, height), clamp(int64_t{x} + w, width),
               clamp(int64_t{y} + h, height)};
}

// Brush colour of a fill, or clNone when the fill paints nothing.
TColor BrushRGB(const TBrush& brush) {
  if (brush.Style() == bsClear || brush.Color() == clNone) return clNone;
  return ColorToRGB(brush.Color());
}

}  // namespace

// ---- TCanvas ----

TCanvas::TCanvas(TBitmap* target) : FBitmap(target) {}

int TCanvas::TextWidth(std::string_view text) const {
  return GetTextMetrics().TextWidth(FFont, text);
}

int TCanvas::TextHeight(std::string_view text) const {
  return GetTextMetrics().TextHeight(FFont, text);
}

TColor TCanvas::Pixel(int x, int y) const {
  if (!FBitmap) {
    throw EInvalidGraphicOperation("Canvas has no image to read pixel " + PointText(x, y));
  }
  return FBitmap->Pixel(x, y);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (!FBitmap) {
    throw EInvalidGraphicOperation("Canvas has no image to set pixel " + PointText(x, y));
  }
  FBitmap->SetPixel(x, y, color);
}

void TCanvas::Changed() {
  if (FBitmap) FBitmap->Changed();
}

void TCanvas::FillRect(const TRect& rect) {
  if (!FBitmap) return;
  const TColor rgb = BrushRGB(FBrush);
  if (rgb == clNone) return;
  const TRect area = ClipTo(rect, FBitmap->FWidth, FBitmap->FHeight);
  if (area.IsEmpty()) return;
  const TColor stored = FBitmap->Store(rgb);
  for (int y = area.Top; y < area.Bottom; ++y) {
    for (int x = area.Left; x < area.Right; ++x) FBitmap->At(x, y) = stored;
  }
  Changed();
}

void TCanvas::Draw(int x, int y, const TBitmap& source) {
  if (!FBitmap || source.Empty()) return;
  const TColor transparent = source.Transparent() ? source.TransparentColor() : clNone;
  const TRect area = ClipPlaced(x, y, source.FWidth, source.FHeight, FBitmap->FWidth,
                                FBitmap->FHeight);
  if (area.IsEmpty()) return;
  // Drawing a bitmap onto itself must read the pixels as they were.
  const std::vector<TColor> pixels = source.FPixels;
  for (int ty = area.Top; ty < area.Bottom; ++ty) {
    for (int tx = area.Left; tx < area.Right; ++tx) {
      const TColor pixel = pixels[static_cast<size_t>(ty - y) * source.FWidth + (tx - x)];
      if (pixel == transparent) continue;
      FBitmap->At(tx, ty) = FBitmap->Store(pixel);
    }
  }
  Changed();
}

void TCanvas::CopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) {
  const TBitmap* from = source.FBitmap;
  if (!from) throw EInvalidGraphicOperation("CopyRect: the source canvas has no image");
  if (!FBitmap || dest.IsEmpty() || sourceRect.IsEmpty()) return;
  const TRect area = ClipTo(dest, FBitmap->FWidth, FBitmap->FHeight);
  if (area.IsEmpty()) return;
  const std::vector<TColor> pixels = from->FPixels;  // the source may be this canvas
  const int64_t destW = int64_t{dest.Right} - dest.Left, destH = int64_t{dest.Bottom} - dest.Top;
  const int64_t srcW = int64_t{sourceRect.Right} - sourceRect.Left;
  const int64_t srcH = int64_t{sourceRect.Bottom} - sourceRect.Top;
  for (int ty = area.Top; ty < area.Bottom; ++ty) {
    const int64_t sy = sourceRect.Top + (int64_t{ty} - dest.Top) * srcH / destH;
    if (sy < 0 || sy >= from->FHeight) continue;
    for (int tx = area.Left; tx < area.Right; ++tx) {
      const int64_t sx = sourceRect.Left + (int64_t{tx} - dest.Left) * srcW / destW;
      if (sx < 0 || sx >= from->FWidth) continue;
      FBitmap->At(tx, ty) = FBitmap->Store(pixels[static_cast<size_t>(sy * from->FWidth + sx)]);
    }
  }
  Changed();
}

void TCanvas::FillMasked(int x, int y, const TBitmap& mask) {
  if (!FBitmap || mask.Empty()) return;
  const TColor brush = BrushRGB(FBrush);
  if (brush == clNone) return;
  const TRect area = ClipPlaced(x, y, mask.FWidth, mask.FHeight, FBitmap->FWidth,
                                FBitmap->FHeight);
  if (area.IsEmpty()) return;
  const std::vector<TColor> pixels = mask.FPixels;
  for (int ty = area.Top; ty < area.Bottom; ++ty) {
    for (int tx = area.Left; tx < area.Right; ++tx) {
      const TColor s = pixels[static_cast<size_t>(ty - y) * mask.FWidth + (tx - x)];
      TColor& d = FBitmap->At(tx, ty);
      d = FBitmap->Store(TColor(d ^ (s & (brush ^ d))));
    }
  }
  Changed();
}

void TCanvas::RecordText(int x, int y, const TRect* clip, std::string_view text) {
  TCanvasText record;
  record.X = x;
  record.Y = y;
  record.Clipped = clip != nullptr;
  if (clip) record.ClipRect = *clip;
  record.Text = AnsiString(text);
  record.FontName = FFont.Name();
  record.FontHeight = FFont.Height();
  record.FontCharset = FFont.Charset();
  record.FontColor = FFont.Color();
  record.FontStyle = FFont.Style();
  record.BrushColor = FBrush.Color();
  record.BrushStyle = FBrush.Style();
  FTexts.push_back(std::move(record));
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  if (FBitmap && BrushRGB(FBrush) != clNone) {
    const int w = TextWidth(text), h = TextHeight(text);
    const TRect cell = ClipPlaced(x, y, w, h, FBitmap->FWidth, FBitmap->FHeight);
    if (!cell.IsEmpty()) FillRect(cell);
  }
  RecordText(x, y, nullptr, text);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, std::string_view text) {
  if (FBitmap) FillRect(rect);
  RecordText(x, y, &rect, text);
}

// ---- TBitmap ----

const TClass& TBitmap::StaticClass() {
  static const TClass& record = TClassBuilder<TBitmap>().Factory().Build();
  return record;
}

TBitmap::TBitmap() : FCanvas(std::make_unique<TCanvas>(this)) {}

TBitmap::~TBitmap() = default;

void TBitmap::Changed() {
  if (FOnChange) FOnChange(this);
}

TColor TBitmap::Store(TColor rgb) const {
  if (!FMonochrome) return rgb;
  return rgb == clWhite ? clWhite : clBlack;
}

void TBitmap::SetSize(int width, int height) {
  if (width < 0 || height < 0 || width > kMaxSide || height > kMaxSide ||
      int64_t{width} * height > kMaxPixels) {
    throw EInvalidGraphicOperation("Bitmap size " + IntToStr(width) + " x " + IntToStr(height) +
                                   " is out of range");
  }
  if (width == FWidth && height == FHeight) return;
  std::vector<TColor> pixels(static_cast<size_t>(width) * height, clWhite);
  const int keepW = std::min(width, FWidth), keepH = std::min(height, FHeight);
  for (int y = 0; y < keepH; ++y) {
    std::copy_n(FPixels.begin() + static_cast<ptrdiff_t>(y) * FWidth, keepW,
                pixels.begin() + static_cast<ptrdiff_t>(y) * width);
  }
  FPixels = std::move(pixels);
  FWidth = width;
  FHeight = height;
  Changed();
}

void TBitmap::Clear() {
  FPixels.clear();
  FWidth = 0;
  FHeight = 0;
  FMonochrome = false;
  FTransparent = false;
  FTransparentMode = tmAuto;
  FTransparentColor = clDefault;
  Changed();
}

void TBitmap::CheckPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) {
    throw EInvalidGraphicOperation("Pixel " + PointText(x, y) + " is outside the " +
                                   IntToStr(FWidth) + " x " + IntToStr(FHeight) + " bitmap");
  }
}

TColor TBitmap::Pixel(int x, int y) const {
  CheckPixel(x, y);
  return At(x, y);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  CheckPixel(x, y);
  const TColor stored = Store(ColorToRGB(color));
  if (At(x, y) == stored) return;
  At(x, y) = stored;
  Changed();
}

void TBitmap::SetMonochrome(bool monochrome) {
  if (FMonochrome == monochrome) return;
  FMonochrome = monochrome;
  if (monochrome) {
    for (TColor& pixel : FPixels) pixel = Store(pixel);
  }
  Changed();
}

void TBitmap::Mask(TColor color) {
  const TColor rgb = ColorToRGB(color);
  for (TColor& pixel : FPixels) pixel = pixel == rgb ? clWhite : clBlack;
  FMonochrome = true;
  Changed();
}

void TBitmap::SetTransparent(bool transparent) {
  if (FTransparent == transparent) return;
  FTransparent = transparent;
  Changed();
}

TColor TBitmap::TransparentColor() const {
  if (FTransparentMode == tmFixed) {
    return FTransparentColor == clNone ? clNone : ColorToRGB(FTransparentColor);
  }
  return Empty() ? clNone : At(0, FHeight - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
  if (color != clDefault && color != clNone) ColorToRGB(color);  // raises for a colour with no RGB
  const TTransparentMode mode = color == clDefault ? tmAuto : tmFixed;
  if (FTransparentColor == color && FTransparentMode == mode) return;
  FTransparentColor = color;
  FTransparentMode = mode;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == FTransparentMode) return;
  if (mode == tmAuto) {
    SetTransparentColor(clDefault);
  } else {
    SetTransparentColor(TransparentColor());
  }
}

void TBitmap::Assign(const TPersistent* source) {
  if (source == nullptr) {
    Clear();
    return;
  }
  const TBitmap* bitmap = dynamic_cast<const TBitmap*>(source);
  if (bitmap == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (bitmap == this) return;
  AssignImage(*bitmap);
}

void TBitmap::AssignImage(const TBitmap& bitmap) {
  const TBitmap* source = &bitmap;
  FPixels = source->FPixels;
  FWidth = source->FWidth;
  FHeight = source->FHeight;
  FMonochrome = source->FMonochrome;
  FTransparent = source->FTransparent;
  FTransparentMode = source->FTransparentMode;
  FTransparentColor = source->FTransparentColor;
  Changed();
}
