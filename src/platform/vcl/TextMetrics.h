// How wide and how high a text is in a font: the one metrics provider that
// the component model (label auto-size, panel layouts, list columns) and a
// later painter share, so that what is laid out is what gets drawn. The
// process has one current provider; the headless default computes fixed
// values, so layouts are the same on every machine and need no font files.
#pragma once

#include <string_view>

class TFont;

class ITextMetrics {
public:
  virtual ~ITextMetrics() = default;
  // Width in pixels of the bytes drawn on one line in the font; the bytes are
  // in the font's code page (TFont::CodePage).
  virtual int TextWidth(const TFont& font, std::string_view bytes) = 0;
  // Height in pixels of one line of the bytes in the font.
  virtual int TextHeight(const TFont& font, std::string_view bytes) = 0;
};

// The headless default. With h = |Height| of the font (the designed 13 when
// the height is 0, "the default size"):
// - every text, the empty one included, is h high;
// - a double-byte character of the font's code page is h wide;
// - a single-byte character is round(h * 7 / 13) wide, halves up;
// so the designed font ("宋体", -13) gives height 13, 13 per double-byte and
// 7 per single-byte character. Name, style and pitch do not change the
// values. A double-byte character is a lead byte followed by a possible
// trail byte (CharLengthAt); a lead byte cut off at the end counts as a
// single-byte character. Raises EInvalidGraphicOperation when a width does
// not fit 32 bits.
class THeadlessTextMetrics : public ITextMetrics {
public:
  int TextWidth(const TFont& font, std::string_view bytes) override;
  int TextHeight(const TFont& font, std::string_view bytes) override;

  static int LineHeight(const TFont& font);
  static int SingleByteWidth(const TFont& font);
  static int DoubleByteWidth(const TFont& font);
};

// The current provider: the headless default until another is set.
ITextMetrics& GetTextMetrics();
// Makes `metrics` the current provider (null: the headless default) and
// returns the one it replaces (never null), so a caller can put it back. The
// caller keeps `metrics` alive while it is current. Set it from the UI thread
// before anything measures.
ITextMetrics* SetTextMetrics(ITextMetrics* metrics);
