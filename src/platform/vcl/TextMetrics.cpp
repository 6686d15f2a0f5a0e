#include "platform/vcl/TextMetrics.h"

#include <atomic>
#include <cstdint>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/NumConv.h"
#include "platform/vcl/Graphics.h"

namespace {

THeadlessTextMetrics& DefaultMetrics() {
  static THeadlessTextMetrics metrics;
  return metrics;
}

std::atomic<ITextMetrics*> currentMetrics{nullptr};

}  // namespace

int THeadlessTextMetrics::LineHeight(const TFont& font) {
  const int64_t height = font.Height();
  if (height == 0) return -kDefaultFontHeight;
  const int64_t magnitude = height < 0 ? -height : height;
  // |INT32_MIN| does not fit; no font is that high anyway.
  if (magnitude > INT32_MAX) {
    throw EInvalidGraphicOperation("Font height " + IntToStr(height) + " is out of range");
  }
  return static_cast<int>(magnitude);
}

int THeadlessTextMetrics::SingleByteWidth(const TFont& font) {
  const int64_t h = LineHeight(font);
  return static_cast<int>((h * 7 * 2 + 13) / 26);
}

int THeadlessTextMetrics::DoubleByteWidth(const TFont& font) { return LineHeight(font); }

int THeadlessTextMetrics::TextWidth(const TFont& font, std::string_view bytes) {
  const int codePage = font.CodePage();
  const int64_t single = SingleByteWidth(font);
  const int64_t dbcs = DoubleByteWidth(font);
  int64_t width = 0;
  for (size_t i = 0; i < bytes.size();) {
    const int length = CharLengthAt(codePage, bytes, i);
    width += length == 2 ? dbcs : single;
    i += static_cast<size_t>(length);
  }
  if (width > INT32_MAX) {
    throw EInvalidGraphicOperation("Text of " + IntToStr(static_cast<int64_t>(bytes.size())) +
                                   " bytes is too wide to measure");
  }
  return static_cast<int>(width);
}

int THeadlessTextMetrics::TextHeight(const TFont& font, std::string_view /*bytes*/) {
  return LineHeight(font);
}

ITextMetrics& GetTextMetrics() {
  ITextMetrics* metrics = currentMetrics.load();
  return metrics ? *metrics : DefaultMetrics();
}

ITextMetrics* SetTextMetrics(ITextMetrics* metrics) {
  ITextMetrics* previous = currentMetrics.exchange(metrics);
  return previous ? previous : &DefaultMetrics();
}
