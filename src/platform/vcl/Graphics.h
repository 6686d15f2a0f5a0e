// Colours, cursors, character sets, points and rectangles, and fonts: the
// values that controls publish and that a painter later turns into pixels.
// Colours are signed 32-bit numbers laid out $00BBGGRR; system colours carry
// the high bit and resolve to a fixed table here, so that everything that
// compares colours (pixel tests, the disabled-glyph image) sees the same RGB
// on every machine. Identifier tables ("clRed", "crHandPoint",
// "GB2312_CHARSET") serve the type information, the form reader and stored
// schemes alike (RegisterGraphicsTypes attaches them).
//
// Sections: points and rectangles; errors; colours; cursors; character sets;
// fonts (size <-> height, TFont); registration.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/TypInfo.h"

// ---- Points and rectangles ----
struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

// Right and Bottom are exclusive, as everywhere in this model: a rectangle
// (0, 0, 2, 2) covers four pixels.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  // True when the rectangle covers no pixel (an inverted one included).
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int x, int y) { return TPoint{x, y}; }
inline TRect Rect(int left, int top, int right, int bottom) {
  return TRect{left, top, right, bottom};
}
inline TRect Bounds(int left, int top, int width, int height) {
  return TRect{left, top, left + width, top + height};
}

// ---- Errors ----
// An image or drawing operation that cannot be done (a size out of range, a
// pixel outside the bitmap, a colour that names no RGB value).
class EInvalidGraphicOperation : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EInvalidGraphicOperation"; }
};

// ---- Colours ----
// A named integer type ("TColor" in the type information, where "clRed" and
// friends are its identifiers once RegisterGraphicsTypes has run).
KULR_INT_TYPE(TColor, int32_t)

namespace GraphicsDetail {
// System colours are $80000000 + the system colour index: negative numbers.
constexpr TColor SysColor(uint32_t index) {
  return TColor(static_cast<int32_t>(0x80000000u | index));
}
}  // namespace GraphicsDetail

inline constexpr TColor clBlack = TColor(0x000000);
inline constexpr TColor clMaroon = TColor(0x000080);
inline constexpr TColor clGreen = TColor(0x008000);
inline constexpr TColor clOlive = TColor(0x008080);
inline constexpr TColor clNavy = TColor(0x800000);
inline constexpr TColor clPurple = TColor(0x800080);
inline constexpr TColor clTeal = TColor(0x808000);
inline constexpr TColor clGray = TColor(0x808080);
inline constexpr TColor clSilver = TColor(0xC0C0C0);
inline constexpr TColor clRed = TColor(0x0000FF);
inline constexpr TColor clLime = TColor(0x00FF00);
inline constexpr TColor clYellow = TColor(0x00FFFF);
inline constexpr TColor clBlue = TColor(0xFF0000);
inline constexpr TColor clFuchsia = TColor(0xFF00FF);
inline constexpr TColor clAqua = TColor(0xFFFF00);
inline constexpr TColor clWhite = TColor(0xFFFFFF);
inline constexpr TColor clLtGray = clSilver;  // aliases: no identifier of their own
inline constexpr TColor clDkGray = clGray;
inline constexpr TColor clMoneyGreen = TColor(0xC0DCC0);
inline constexpr TColor clSkyBlue = TColor(0xF0CAA6);
inline constexpr TColor clCream = TColor(0xF0FBFF);
inline constexpr TColor clMedGray = TColor(0xA4A0A0);
// No colour at all, and "the owner's default colour": neither names an RGB.
inline constexpr TColor clNone = TColor(0x1FFFFFFF);
inline constexpr TColor clDefault = TColor(0x20000000);

inline constexpr TColor clScrollBar = GraphicsDetail::SysColor(0);
inline constexpr TColor clBackground = GraphicsDetail::SysColor(1);
inline constexpr TColor clActiveCaption = GraphicsDetail::SysColor(2);
inline constexpr TColor clInactiveCaption = GraphicsDetail::SysColor(3);
inline constexpr TColor clMenu = GraphicsDetail::SysColor(4);
inline constexpr TColor clWindow = GraphicsDetail::SysColor(5);
inline constexpr TColor clWindowFrame = GraphicsDetail::SysColor(6);
inline constexpr TColor clMenuText = GraphicsDetail::SysColor(7);
inline constexpr TColor clWindowText = GraphicsDetail::SysColor(8);
inline constexpr TColor clCaptionText = GraphicsDetail::SysColor(9);
inline constexpr TColor clActiveBorder = GraphicsDetail::SysColor(10);
inline constexpr TColor clInactiveBorder = GraphicsDetail::SysColor(11);
inline constexpr TColor clAppWorkSpace = GraphicsDetail::SysColor(12);
inline constexpr TColor clHighlight = GraphicsDetail::SysColor(13);
inline constexpr TColor clHighlightText = GraphicsDetail::SysColor(14);
inline constexpr TColor clBtnFace = GraphicsDetail::SysColor(15);
inline constexpr TColor clBtnShadow = GraphicsDetail::SysColor(16);
inline constexpr TColor clGrayText = GraphicsDetail::SysColor(17);
inline constexpr TColor clBtnText = GraphicsDetail::SysColor(18);
inline constexpr TColor clInactiveCaptionText = GraphicsDetail::SysColor(19);
inline constexpr TColor clBtnHighlight = GraphicsDetail::SysColor(20);
inline constexpr TColor cl3DDkShadow = GraphicsDetail::SysColor(21);
inline constexpr TColor cl3DLight = GraphicsDetail::SysColor(22);
inline constexpr TColor clInfoText = GraphicsDetail::SysColor(23);
inline constexpr TColor clInfoBk = GraphicsDetail::SysColor(24);
inline constexpr TColor clHotLight = GraphicsDetail::SysColor(26);
inline constexpr TColor clGradientActiveCaption = GraphicsDetail::SysColor(27);
inline constexpr TColor clGradientInactiveCaption = GraphicsDetail::SysColor(28);
inline constexpr TColor clMenuHighlight = GraphicsDetail::SysColor(29);
inline constexpr TColor clMenuBar = GraphicsDetail::SysColor(30);

inline constexpr int GetRValue(TColor rgb) { return rgb & 0xFF; }
inline constexpr int GetGValue(TColor rgb) { return (rgb >> 8) & 0xFF; }
inline constexpr int GetBValue(TColor rgb) { return (rgb >> 16) & 0xFF; }
// Components outside 0..255 are cut to their low byte.
inline constexpr TColor RGB(int r, int g, int b) {
  return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// Whether the colour is a system colour this runtime knows.
bool IsSysColor(TColor color);
// The RGB value ($00BBGGRR) a colour stands for. Plain RGB colours come back
// unchanged; system colours come from the fixed table of Graphics.cpp (the
// classic grey desktop scheme: clBtnFace $C0C0C0, clBtnHighlight $FFFFFF,
// clBtnShadow $808080, clWindow $FFFFFF, clWindowText $000000 ...); a
// palette-relative colour ($02BBGGRR) loses its flag byte. clNone, clDefault,
// unknown system colour indices and any other flag byte name no RGB and raise
// EInvalidGraphicOperation; callers that allow clNone or clDefault test for
// them first.
TColor ColorToRGB(TColor color);

// "clRed" <-> $0000FF, "clBtnFace" <-> clBtnFace, "clNone", "clDefault".
// Identifiers compare ignoring ASCII case; ColorToIdent gives the canonical
// spelling. Both return false for what the table does not hold.
bool ColorToIdent(TColor color, AnsiString& ident);
bool IdentToColor(std::string_view ident, TColor& color);
// The identifier when there is one, else "$" and eight hex digits
// ("$00AFFFFF", "$80000040").
AnsiString ColorToString(TColor color);
// An identifier, or a number in decimal ("-2147483633"), "$" or "0x" hex;
// a hex or decimal number up to $FFFFFFFF is taken as the 32-bit pattern, so
// ColorToString's "$80000040" reads back. Raises EConvertError otherwise.
TColor StringToColor(std::string_view text);

// ---- Cursors ----
KULR_INT_TYPE(TCursor, int16_t)

inline constexpr TCursor crDefault = TCursor(0);
inline constexpr TCursor crNone = TCursor(-1);
inline constexpr TCursor crArrow = TCursor(-2);
inline constexpr TCursor crCross = TCursor(-3);
inline constexpr TCursor crIBeam = TCursor(-4);
inline constexpr TCursor crSizeNESW = TCursor(-6);
inline constexpr TCursor crSizeNS = TCursor(-7);
inline constexpr TCursor crSizeNWSE = TCursor(-8);
inline constexpr TCursor crSizeWE = TCursor(-9);
inline constexpr TCursor crUpArrow = TCursor(-10);
inline constexpr TCursor crHourGlass = TCursor(-11);
inline constexpr TCursor crDrag = TCursor(-12);
inline constexpr TCursor crNoDrop = TCursor(-13);
inline constexpr TCursor crHSplit = TCursor(-14);
inline constexpr TCursor crVSplit = TCursor(-15);
inline constexpr TCursor crMultiDrag = TCursor(-16);
inline constexpr TCursor crSQLWait = TCursor(-17);
inline constexpr TCursor crNo = TCursor(-18);
inline constexpr TCursor crAppStart = TCursor(-19);
inline constexpr TCursor crHelp = TCursor(-20);
inline constexpr TCursor crHandPoint = TCursor(-21);
inline constexpr TCursor crSizeAll = TCursor(-22);
inline constexpr TCursor crSize = crSizeAll;  // alias: no identifier of its own

bool CursorToIdent(TCursor cursor, AnsiString& ident);
bool IdentToCursor(std::string_view ident, TCursor& cursor);
// The identifier when there is one, else the decimal number.
AnsiString CursorToString(TCursor cursor);
// An identifier or a number in -32768..32767; raises EConvertError otherwise.
TCursor StringToCursor(std::string_view text);

// ---- Character sets ----
KULR_INT_TYPE(TFontCharset, uint8_t)

inline constexpr TFontCharset ANSI_CHARSET = TFontCharset(0);
inline constexpr TFontCharset DEFAULT_CHARSET = TFontCharset(1);
inline constexpr TFontCharset SYMBOL_CHARSET = TFontCharset(2);
inline constexpr TFontCharset MAC_CHARSET = TFontCharset(77);
inline constexpr TFontCharset SHIFTJIS_CHARSET = TFontCharset(128);
inline constexpr TFontCharset HANGEUL_CHARSET = TFontCharset(129);
inline constexpr TFontCharset JOHAB_CHARSET = TFontCharset(130);
inline constexpr TFontCharset GB2312_CHARSET = TFontCharset(134);
inline constexpr TFontCharset CHINESEBIG5_CHARSET = TFontCharset(136);
inline constexpr TFontCharset GREEK_CHARSET = TFontCharset(161);
inline constexpr TFontCharset TURKISH_CHARSET = TFontCharset(162);
inline constexpr TFontCharset VIETNAMESE_CHARSET = TFontCharset(163);
inline constexpr TFontCharset HEBREW_CHARSET = TFontCharset(177);
inline constexpr TFontCharset ARABIC_CHARSET = TFontCharset(178);
inline constexpr TFontCharset BALTIC_CHARSET = TFontCharset(186);
inline constexpr TFontCharset RUSSIAN_CHARSET = TFontCharset(204);
inline constexpr TFontCharset THAI_CHARSET = TFontCharset(222);
inline constexpr TFontCharset EASTEUROPE_CHARSET = TFontCharset(238);
inline constexpr TFontCharset OEM_CHARSET = TFontCharset(255);

// "GB2312_CHARSET" <-> 134; identifiers compare ignoring ASCII case.
bool CharsetToIdent(int charset, AnsiString& ident);
bool IdentToCharset(std::string_view ident, int& charset);

// The code page text in a font of this character set is written in:
// 134 -> 936 (GBK), 136 -> 950 (Big5), anything else -> the system code page
// at the time of the call.
int CharsetToCodePage(int charset);

// ---- Fonts ----
KULR_ENUM(TFontStyle, fsBold, fsItalic, fsUnderline, fsStrikeOut)
KULR_SET(TFontStyles, TFontStyle);
KULR_ENUM(TFontPitch, fpDefault, fpVariable, fpFixed)

// The designed font of every form: "宋体" (GBK bytes), 13 pixels high.
inline constexpr std::string_view kDefaultFontName = "宋体";
inline constexpr int kDefaultFontHeight = -13;
inline constexpr int kDefaultPixelsPerInch = 96;

// Converts between point sizes and pixel heights the way the platform does:
// Size = -round(Height * 72 / PixelsPerInch), Height = -round(Size *
// PixelsPerInch / 72), halves rounded away from zero. At 96 pixels per inch
// -13 -> 9.75 -> 10 pt, and 9 pt -> -12. Raise EConvertError when the result
// does not fit 32 bits or pixelsPerInch is not positive.
int FontHeightToSize(int height, int pixelsPerInch = kDefaultPixelsPerInch);
int FontSizeToHeight(int size, int pixelsPerInch = kDefaultPixelsPerInch);

// A font: name, pixel height (negative = character height, positive = cell
// height), size in points derived from the height, character set, colour,
// styles and pitch, all published. Every setter that really changes a value
// raises OnChange once; setting the value a font already has raises nothing.
// The default is the designed font ("宋体", -13, DEFAULT_CHARSET,
// clWindowText): the forms are designed in it and the headless text metrics
// are fixed for it. (The original platform's default, a smaller Western
// font, would measure every designed caption wrongly.)
class TFont : public TPersistent {
  KULR_CLASS(TFont, TPersistent)

  TFont();

  const AnsiString& Name() const { return FName; }
  void SetName(const AnsiString& name);
  int Height() const { return FHeight; }
  void SetHeight(int height);
  // Points, from Height and PixelsPerInch (see FontHeightToSize); setting it
  // sets Height (EConvertError when that does not fit).
  int Size() const;
  void SetSize(int size);
  TFontCharset Charset() const { return FCharset; }
  void SetCharset(TFontCharset charset);
  TColor Color() const { return FColor; }
  void SetColor(TColor color);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles style);
  // EConvertError for a value outside the enumeration.
  TFontPitch Pitch() const { return FPitch; }
  void SetPitch(TFontPitch pitch);
  // The resolution Size is computed at; not a font property of its own, so
  // changing it changes Size but raises nothing. Must be positive.
  int PixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(int pixelsPerInch);

  // The code page the text drawn in this font is written in.
  int CodePage() const { return CharsetToCodePage(FCharset); }

  // Raised after every real change, with the font as Sender.
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& handler) { FOnChange = handler; }

  // From another TFont: every font property and the resolution; OnChange
  // once when anything differed. Other sources raise EConvertError.
  void Assign(const TPersistent* source) override;

protected:
  // Raises OnChange; descendants that watch a font override it and call it.
  virtual void Changed();

private:
  AnsiString FName;
  int FHeight = kDefaultFontHeight;
  TFontCharset FCharset = DEFAULT_CHARSET;
  TColor FColor = clWindowText;
  TFontStyles FStyle;
  TFontPitch FPitch = fpDefault;
  int FPixelsPerInch = kDefaultPixelsPerInch;
  TNotifyEvent FOnChange;
};

// ---- Registration ----
// Attaches the identifier mappings of TColor ("clRed"), TCursor
// ("crHandPoint") and TFontCharset ("GB2312_CHARSET") to their type
// information, so that form resources, language files and SetPropValue
// accept the names and GetEnumName gives them. Call it at start-up with the
// other Register... functions; calling it again is harmless. (TFont and
// TBitmap are not components and are never created by name, so they are not
// put in the class registry.)
void RegisterGraphicsTypes();
