#include "platform/vcl/Graphics.h"

#include <array>
#include <cstdint>
#include <span>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"

namespace {

struct TIdentEntry {
  int32_t Value;
  const char* Name;
};

// The first entry of a value gives its canonical identifier.
constexpr TIdentEntry kColorIdents[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
};

constexpr TIdentEntry kCursorIdents[] = {
    {crDefault, "crDefault"},     {crArrow, "crArrow"},         {crCross, "crCross"},
    {crIBeam, "crIBeam"},         {crSizeNESW, "crSizeNESW"},   {crSizeNS, "crSizeNS"},
    {crSizeNWSE, "crSizeNWSE"},   {crSizeWE, "crSizeWE"},       {crUpArrow, "crUpArrow"},
    {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},           {crNoDrop, "crNoDrop"},
    {crHSplit, "crHSplit"},       {crVSplit, "crVSplit"},       {crMultiDrag, "crMultiDrag"},
    {crSQLWait, "crSQLWait"},     {crNo, "crNo"},               {crAppStart, "crAppStart"},
    {crHelp, "crHelp"},           {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"},
    {crNone, "crNone"},
};

constexpr TIdentEntry kCharsetIdents[] = {
    {ANSI_CHARSET, "ANSI_CHARSET"},
    {DEFAULT_CHARSET, "DEFAULT_CHARSET"},
    {SYMBOL_CHARSET, "SYMBOL_CHARSET"},
    {MAC_CHARSET, "MAC_CHARSET"},
    {SHIFTJIS_CHARSET, "SHIFTJIS_CHARSET"},
    {HANGEUL_CHARSET, "HANGEUL_CHARSET"},
    {JOHAB_CHARSET, "JOHAB_CHARSET"},
    {GB2312_CHARSET, "GB2312_CHARSET"},
    {CHINESEBIG5_CHARSET, "CHINESEBIG5_CHARSET"},
    {GREEK_CHARSET, "GREEK_CHARSET"},
    {TURKISH_CHARSET, "TURKISH_CHARSET"},
    {VIETNAMESE_CHARSET, "VIETNAMESE_CHARSET"},
    {HEBREW_CHARSET, "HEBREW_CHARSET"},
    {ARABIC_CHARSET, "ARABIC_CHARSET"},
    {BALTIC_CHARSET, "BALTIC_CHARSET"},
    {RUSSIAN_CHARSET, "RUSSIAN_CHARSET"},
    {THAI_CHARSET, "THAI_CHARSET"},
    {EASTEUROPE_CHARSET, "EASTEUROPE_CHARSET"},
    {OEM_CHARSET, "OEM_CHARSET"},
};

// The classic grey desktop scheme, fixed so that images computed from system
// colours are the same on every machine. Index = system colour index; -1 marks
// an index no system colour uses.
constexpr std::array<int32_t, 31> kSysColorRGB = {
    0xC0C0C0,  // 0 clScrollBar
    0x808000,  // 1 clBackground (teal)
    0x800000,  // 2 clActiveCaption (navy)
    0x808080,  // 3 clInactiveCaption
    0xC0C0C0,  // 4 clMenu
    0xFFFFFF,  // 5 clWindow
    0x000000,  // 6 clWindowFrame
    0x000000,  // 7 clMenuText
    0x000000,  // 8 clWindowText
    0xFFFFFF,  // 9 clCaptionText
    0xC0C0C0,  // 10 clActiveBorder
    0xC0C0C0,  // 11 clInactiveBorder
    0x808080,  // 12 clAppWorkSpace
    0x800000,  // 13 clHighlight (navy)
    0xFFFFFF,  // 14 clHighlightText
    0xC0C0C0,  // 15 clBtnFace
    0x808080,  // 16 clBtnShadow
    0x808080,  // 17 clGrayText
    0x000000,  // 18 clBtnText
    0xC0C0C0,  // 19 clInactiveCaptionText
    0xFFFFFF,  // 20 clBtnHighlight
    0x000000,  // 21 cl3DDkShadow
    0xDFDFDF,  // 22 cl3DLight
    0x000000,  // 23 clInfoText
    0xE1FFFF,  // 24 clInfoBk (pale yellow)
    -1,        // 25 unused
    0x800000,  // 26 clHotLight
    0xD08410,  // 27 clGradientActiveCaption
    0xB5B5B5,  // 28 clGradientInactiveCaption
    0x800000,  // 29 clMenuHighlight
    0xC0C0C0,  // 30 clMenuBar
};

bool ValueToIdent(std::span<const TIdentEntry> table, int32_t value, AnsiString& ident) {
  for (const TIdentEntry& entry : table) {
    if (entry.Value == value) {
      ident = entry.Name;
      return true;
    }
  }
  return false;
}

bool IdentToValue(std::span<const TIdentEntry> table, std::string_view ident, int32_t& value) {
  for (const TIdentEntry& entry : table) {
    if (SameText(ident, entry.Name)) {
      value = entry.Value;
      return true;
    }
  }
  return false;
}

// Index into kSysColorRGB, or -1 when the colour is no known system colour.
int SysColorIndex(TColor color) {
  const uint32_t bits = static_cast<uint32_t>(color);
  if ((bits & 0xFFFFFF00u) != 0x80000000u) return -1;
  const uint32_t index = bits & 0xFFu;
  if (index >= kSysColorRGB.size() || kSysColorRGB[index] < 0) return -1;
  return static_cast<int>(index);
}

}  // namespace

bool IsSysColor(TColor color) { return SysColorIndex(color) >= 0; }

TColor ColorToRGB(TColor color) {
  const uint32_t bits = static_cast<uint32_t>(color);
  switch (bits >> 24) {
    case 0x00:
      return color;
    case 0x02:  // palette-relative: the RGB part is the colour
      return static_cast<TColor>(bits & 0xFFFFFFu);
    default:
      break;
  }
  const int index = SysColorIndex(color);
  if (index < 0) {
    AnsiString ident = ColorToString(color);
    throw EInvalidGraphicOperation("Colour " + ident + " names no RGB value");
  }
  return TColor(kSysColorRGB[static_cast<size_t>(index)]);
}

bool ColorToIdent(TColor color, AnsiString& ident) {
  return ValueToIdent(kColorIdents, color, ident);
}

bool IdentToColor(std::string_view ident, TColor& color) {
  int32_t value = 0;
  if (!IdentToValue(kColorIdents, ident, value)) return false;
  color = TColor(value);
  return true;
}

AnsiString ColorToString(TColor color) {
  AnsiString ident;
  if (ColorToIdent(color, ident)) return ident;
  return "$" + IntToHex(color, 8);
}

TColor StringToColor(std::string_view text) {
  TColor color = clBlack;
  if (IdentToColor(text, color)) return color;
  int64_t value = 0;
  // A colour is a 32-bit pattern: "$80000040" (too big for a signed integer
  // as a number) is the system colour with index $40, as ColorToString wrote.
  if (TryStrToInt64(text, value) && value >= INT32_MIN && value <= int64_t{UINT32_MAX}) {
    return static_cast<TColor>(static_cast<uint32_t>(value));
  }
  throw EConvertError("'" + AnsiString(text) + "' is not a valid colour");
}

bool CursorToIdent(TCursor cursor, AnsiString& ident) {
  return ValueToIdent(kCursorIdents, cursor, ident);
}

bool IdentToCursor(std::string_view ident, TCursor& cursor) {
  int32_t value = 0;
  if (!IdentToValue(kCursorIdents, ident, value)) return false;
  cursor = TCursor(value);
  return true;
}

AnsiString CursorToString(TCursor cursor) {
  AnsiString ident;
  if (CursorToIdent(cursor, ident)) return ident;
  return IntToStr(cursor);
}

TCursor StringToCursor(std::string_view text) {
  TCursor cursor = crDefault;
  if (IdentToCursor(text, cursor)) return cursor;
  int32_t value = 0;
  if (TryStrToInt(text, value) && value >= INT16_MIN && value <= INT16_MAX) return TCursor(value);
  throw EConvertError("'" + AnsiString(text) + "' is not a valid cursor");
}

bool CharsetToIdent(int charset, AnsiString& ident) {
  return ValueToIdent(kCharsetIdents, charset, ident);
}

bool IdentToCharset(std::string_view ident, int& charset) {
  int32_t value = 0;
  if (!IdentToValue(kCharsetIdents, ident, value)) return false;
  charset = value;
  return true;
}

int CharsetToCodePage(int charset) {
  switch (charset) {
    case GB2312_CHARSET:
      return 936;
    case CHINESEBIG5_CHARSET:
      return 950;
    default:
      return SystemCodePage();
  }
}

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDivRounded(int64_t a, int64_t b, int64_t c, const char* what) {
  if (c <= 0) throw EConvertError(AnsiString(what) + ": pixels per inch must be positive");
  const int64_t product = a * b;
  const int64_t magnitude = (product < 0 ? -product : product);
  int64_t quotient = (magnitude + c / 2) / c;
  if (product < 0) quotient = -quotient;
  if (quotient <= INT32_MIN || quotient > INT32_MAX) {  // the caller negates
    throw EConvertError(AnsiString(what) + ": " + IntToStr(a) + " is out of range");
  }
  return static_cast<int>(quotient);
}

}  // namespace

int FontHeightToSize(int height, int pixelsPerInch) {
  return -MulDivRounded(height, 72, pixelsPerInch, "Font size from height");
}

int FontSizeToHeight(int size, int pixelsPerInch) {
  return -MulDivRounded(size, pixelsPerInch, 72, "Font height from size");
}

// ---- TFont ----

const TClass& TFont::StaticClass() {
  static const TClass& record = TClassBuilder<TFont>()
                                    .Property("Charset", &TFont::Charset, &TFont::SetCharset)
                                    .Property("Color", &TFont::Color, &TFont::SetColor)
                                    .Property("Height", &TFont::Height, &TFont::SetHeight)
                                    .Property("Name", &TFont::Name, &TFont::SetName)
                                    .Property("Pitch", &TFont::Pitch, &TFont::SetPitch)
                                    .Default(fpDefault)
                                    .Property("Size", &TFont::Size, &TFont::SetSize)
                                    .Stored(false)  // Height says it
                                    .Property("Style", &TFont::Style, &TFont::SetStyle)
                                    .Factory()
                                    .Build();
  return record;
}

TFont::TFont() : FName(kDefaultFontName) {}

void TFont::SetName(const AnsiString& name) {
  if (FName == name) return;
  FName = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (FHeight == height) return;
  FHeight = height;
  Changed();
}

int TFont::Size() const { return FontHeightToSize(FHeight, FPixelsPerInch); }

void TFont::SetSize(int size) { SetHeight(FontSizeToHeight(size, FPixelsPerInch)); }

void TFont::SetCharset(TFontCharset charset) {
  if (FCharset == charset) return;
  FCharset = charset;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (FColor == color) return;
  FColor = color;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (FStyle == style) return;
  FStyle = style;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch != fpDefault && pitch != fpVariable && pitch != fpFixed) {
    throw EConvertError("Font pitch " + IntToStr(static_cast<int>(pitch)) + " is out of range");
  }
  if (FPitch == pitch) return;
  FPitch = pitch;
  Changed();
}

void TFont::SetPixelsPerInch(int pixelsPerInch) {
  if (pixelsPerInch <= 0) {
    throw EConvertError("Pixels per inch must be positive, not " + IntToStr(pixelsPerInch));
  }
  FPixelsPerInch = pixelsPerInch;
}

void TFont::Assign(const TPersistent* source) {
  const TFont* font = source != nullptr ? dynamic_cast<const TFont*>(source) : nullptr;
  if (font == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (font == this) return;
  const bool differs = FName != font->FName || FHeight != font->FHeight ||
                       FCharset != font->FCharset || FColor != font->FColor ||
                       FStyle != font->FStyle || FPitch != font->FPitch;
  FName = font->FName;
  FHeight = font->FHeight;
  FCharset = font->FCharset;
  FColor = font->FColor;
  FStyle = font->FStyle;
  FPitch = font->FPitch;
  // The height is the font; the resolution travels with it so that Size reads
  // the same on both fonts.
  FPixelsPerInch = font->FPixelsPerInch;
  if (differs) Changed();
}

void TFont::Changed() {
  if (FOnChange) FOnChange(this);
}

// ---- Registration ----

void RegisterGraphicsTypes() {
  RegisterIntegerConsts(
      KulrTypeInfo(static_cast<TColor*>(nullptr)),
      [](std::string_view ident, int64_t& value) {
        TColor color = clBlack;
        if (!IdentToColor(ident, color)) return false;
        value = color;
        return true;
      },
      [](int64_t value, AnsiString& ident) {
        return value >= INT32_MIN && value <= INT32_MAX && ColorToIdent(TColor(value), ident);
      });
  RegisterIntegerConsts(
      KulrTypeInfo(static_cast<TCursor*>(nullptr)),
      [](std::string_view ident, int64_t& value) {
        TCursor cursor = crDefault;
        if (!IdentToCursor(ident, cursor)) return false;
        value = cursor;
        return true;
      },
      [](int64_t value, AnsiString& ident) {
        return value >= INT16_MIN && value <= INT16_MAX && CursorToIdent(TCursor(value), ident);
      });
  RegisterIntegerConsts(
      KulrTypeInfo(static_cast<TFontCharset*>(nullptr)),
      [](std::string_view ident, int64_t& value) {
        int charset = 0;
        if (!IdentToCharset(ident, charset)) return false;
        value = charset;
        return true;
      },
      [](int64_t value, AnsiString& ident) {
        return value >= 0 && value <= 255 && CharsetToIdent(static_cast<int>(value), ident);
      });
}
