// Bitmaps and the minimal canvas that draws on them: an image of RGB pixels
// in memory with a transparent colour, and the operations the disabled-glyph
// image of a button is built from (fill with the brush, copy and draw
// images, masks, the brush-through-mask transfer). A canvas without a bitmap
// (a headless control's) measures text and records what would be written,
// but has no pixels. Glyphs of text are never rendered here: TextOut records
// the call for a painter that renders fonts.
#pragma once

#include <memory>
#include <string_view>
#include <vector>

#include "platform/vcl/Graphics.h"

class TBitmap;

KULR_ENUM(TBrushStyle, bsSolid, bsClear)
KULR_ENUM(TTransparentMode, tmAuto, tmFixed)

class TBrush {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor color) { FColor = color; }
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle style) { FStyle = style; }

private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
};

class TPen {
public:
  TColor Color() const { return FColor; }
  void SetColor(TColor color) { FColor = color; }
  int Width() const { return FWidth; }
  void SetWidth(int width) { FWidth = width < 1 ? 1 : width; }

private:
  TColor FColor = clBlack;
  int FWidth = 1;
};

// One TextOut or TextRect call as the canvas received it, with the font and
// brush it was made with.
struct TCanvasText {
  int X = 0;
  int Y = 0;
  bool Clipped = false;  // TextRect: drawn only inside ClipRect
  TRect ClipRect;
  AnsiString Text;
  AnsiString FontName;
  int FontHeight = 0;
  int FontCharset = 0;
  TColor FontColor = clBlack;
  TFontStyles FontStyle;
  TColor BrushColor = clWhite;
  TBrushStyle BrushStyle = bsSolid;
};

class TCanvas {
public:
  // target: the bitmap drawn on, or null for a canvas that only measures and
  // records. A bitmap's own canvas is made by the bitmap.
  explicit TCanvas(TBitmap* target = nullptr);
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  TBitmap* Bitmap() const { return FBitmap; }
  TFont& Font() { return FFont; }
  const TFont& Font() const { return FFont; }
  TBrush& Brush() { return FBrush; }
  const TBrush& Brush() const { return FBrush; }
  TPen& Pen() { return FPen; }
  const TPen& Pen() const { return FPen; }

  // Through the current text metrics provider, in the canvas's font.
  int TextWidth(std::string_view text) const;
  int TextHeight(std::string_view text) const;

  // Pixels of the bitmap; EInvalidGraphicOperation without one or outside it.
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Every drawing operation is clipped to the bitmap and does nothing on a
  // canvas without one. Colours are resolved with ColorToRGB.
  // Fills the rectangle with the brush colour (nothing with bsClear or
  // clNone).
  void FillRect(const TRect& rect);
  // Copies the image with its top-left corner at (x, y); a Transparent
  // source leaves the canvas alone where the source has its transparent
  // colour. A monochrome source draws as the black and white it holds.
  void Draw(int x, int y, const TBitmap& source);
  // Copies sourceRect of the source canvas's bitmap into dest, stretched
  // (nearest pixel) when the sizes differ. Source pixels outside the source
  // bitmap copy nothing. The source canvas must have a bitmap.
  void CopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect);
  // The brush through a mask, raster operation $E20746: every pixel becomes
  // D xor (S and (P xor D)), with D the canvas, S the mask pixel at (x, y)
  // offset and P the brush colour. Where a monochrome mask is white the brush
  // colour is painted, where it is black the canvas stays.
  void FillMasked(int x, int y, const TBitmap& mask);

  // Records the text for a painter. With a solid brush the text's cell (its
  // TextWidth x TextHeight at (x, y)) is filled with the brush colour first,
  // as opaque text is.
  void TextOut(int x, int y, std::string_view text);
  // As TextOut, clipped to rect; with a solid brush the whole rect is filled.
  void TextRect(const TRect& rect, int x, int y, std::string_view text);
  const std::vector<TCanvasText>& Texts() const { return FTexts; }
  void ClearTexts() { FTexts.clear(); }

private:
  void RecordText(int x, int y, const TRect* clip, std::string_view text);
  void Changed();

  TBitmap* FBitmap;
  TFont FFont;
  TBrush FBrush;
  TPen FPen;
  std::vector<TCanvasText> FTexts;
};

// An image of Width x Height pixels held as RGB colours ($00BBGGRR), top
// row first. A new or grown area is white. A monochrome bitmap holds only
// black and white: a colour put into it becomes white only when it is white.
class TBitmap : public TPersistent {
  KULR_CLASS(TBitmap, TPersistent)

public:
  // Larger images are refused: a glyph or a form snapshot is far smaller.
  static constexpr int kMaxSide = 32767;
  static constexpr int64_t kMaxPixels = int64_t{1} << 24;

  TBitmap();
  ~TBitmap() override;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Keeps the pixels both sizes share; EInvalidGraphicOperation for a
  // negative size or one past the limits.
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }
  void SetSize(int width, int height);
  bool Empty() const { return FWidth == 0 || FHeight == 0; }
  // Releases the image: size 0 x 0, colour, not transparent, automatic mode.
  void Clear();

  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  bool Monochrome() const { return FMonochrome; }
  // Turning it on makes every pixel that is not white black.
  void SetMonochrome(bool monochrome);
  // Turns the image into its mask: white where the pixel is `color`, black
  // elsewhere; the bitmap becomes monochrome.
  void Mask(TColor color);

  // Whether Draw leaves the transparent colour out.
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool transparent);
  // tmAuto: the bottom-left pixel (clNone for an empty image). tmFixed: the
  // colour set, resolved to RGB (clNone: no colour is transparent).
  TColor TransparentColor() const;
  // clDefault switches to tmAuto, anything else to tmFixed. Only clNone and
  // colours with an RGB value are accepted.
  void SetTransparentColor(TColor color);
  TTransparentMode TransparentMode() const { return FTransparentMode; }
  // tmFixed keeps the colour now in effect; tmAuto forgets the fixed one.
  void SetTransparentMode(TTransparentMode mode);

  // From another TBitmap: image, monochrome flag and transparency; null
  // empties the bitmap (Glyph := nil). Other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

  // Raised once after every operation that changed the image or its
  // transparency (a resize, a fill, a draw, a pixel set), with the bitmap as
  // Sender.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& handler) { FOnChange = handler; }

  TCanvas& Canvas() { return *FCanvas; }

  // Raw access for the canvas and painters; row-major, top row first.
  const std::vector<TColor>& Pixels() const { return FPixels; }

protected:
  // Raises OnChange.
  virtual void Changed();

private:
  friend class TCanvas;
  void AssignImage(const TBitmap& source);
  TColor Store(TColor rgb) const;
  TColor& At(int x, int y) { return FPixels[static_cast<size_t>(y) * FWidth + x]; }
  TColor At(int x, int y) const { return FPixels[static_cast<size_t>(y) * FWidth + x]; }
  void CheckPixel(int x, int y) const;

  int FWidth = 0;
  int FHeight = 0;
  std::vector<TColor> FPixels;
  bool FMonochrome = false;
  bool FTransparent = false;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TCanvas> FCanvas;
  TNotifyEvent FOnChange;
};

