// "Zublanguage.dll": GBK simplified <-> Big5 traditional, through UTF-16 with
// the runtime's Windows code-page tables and OpenCC's phrase dictionaries in
// between. The dictionaries are Taiwan usage in both directions ("s2twp" and
// "tw2sp"): Big5 is Taiwan's code page, and its variant forms are the ones
// Big5 holds (为 -> 為, 着 -> 著, 众 -> 眾), where OpenCC's generic
// traditional forms (爲, 着, 衆) have no Big5 code at all. Phrase conversion
// turns mainland terms into their Taiwan equivalents and back (软件 <-> 軟體),
// which keeps the meaning and round-trips the texts the forms show.
#include "Zublanguage.h"

#include <opencc/SimpleConverter.hpp>

#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>

#include "platform/rtl/CodePage.h"

namespace {

struct TDirection {
  const char* Config;  // OpenCC configuration, found in OpenCC's data folder
  int FromCodePage;
  int ToCodePage;
};

constexpr TDirection KGbToBig5{"s2twp.json", 936, 950};
constexpr TDirection KBig5ToGb{"tw2sp.json", 950, 936};

// One OpenCC converter per direction, built on first use and kept: building
// one reads the dictionaries, which costs far more than any conversion.
class TConverter {
public:
  explicit TConverter(const TDirection& direction) : FDirection(direction) {}

  // Null when the dictionaries could not be loaded (Error() says why).
  const opencc::SimpleConverter* Get() {
    std::call_once(FOnce, [this] {
      try {
        FConverter = std::make_unique<opencc::SimpleConverter>(FDirection.Config);
      } catch (const std::exception& e) {
        FError = std::string("the conversion dictionaries cannot be loaded (") + FDirection.Config +
                 ": " + e.what() + ")";
      } catch (...) {
        FError = std::string("the conversion dictionaries cannot be loaded (") + FDirection.Config + ")";
      }
    });
    return FConverter.get();
  }
  const std::string& Error() const { return FError; }
  const TDirection& Direction() const { return FDirection; }

  // OpenCC's converter is read-only once built, but nothing in its interface
  // promises that; one conversion at a time costs nothing measurable here.
  std::mutex& Lock() { return FLock; }

private:
  TDirection FDirection;
  std::once_flag FOnce;
  std::unique_ptr<opencc::SimpleConverter> FConverter;
  std::string FError;
  std::mutex FLock;
};

TConverter GGbToBig5(KGbToBig5);
TConverter GBig5ToGb(KBig5ToGb);

// The last conversion of this thread, so that a size query and the fetch
// that follows it convert once.
struct TLastResult {
  const TConverter* Converter = nullptr;
  std::string Source;
  std::string Result;
};
thread_local TLastResult GLast;

// Thrown inside the library only; Convert turns it into its return code.
struct TFailure {
  int32_t Code;
};

std::string ConvertText(TConverter& converter, std::string_view source) {
  const TDirection& d = converter.Direction();
  const int length = static_cast<int>(source.size());
  const int units = MultiByteToWideChar(d.FromCodePage, MB_ERR_INVALID_CHARS, source.data(), length,
                                        nullptr, 0);
  if (units <= 0) throw TFailure{ZUBLANG_E_INVALID_INPUT};
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(d.FromCodePage, MB_ERR_INVALID_CHARS, source.data(), length, wide.data(), units);

  const opencc::SimpleConverter* opencc = converter.Get();
  if (!opencc) throw TFailure{ZUBLANG_E_DICTIONARY};
  const std::string utf8 = WideToUtf8(wide);
  std::string converted;
  {
    std::lock_guard guard(converter.Lock());
    // OpenCC reads C strings: a NUL byte would end the text, so each piece
    // between NULs is converted on its own and the NULs are kept.
    size_t start = 0;
    while (true) {
      const size_t nul = utf8.find('\0', start);
      const size_t end = nul == std::string::npos ? utf8.size() : nul;
      if (end > start) converted += opencc->Convert(utf8.data() + start, end - start);
      if (nul == std::string::npos) break;
      converted += '\0';
      start = nul + 1;
    }
  }
  return WideToCodePage(d.ToCodePage, Utf8ToWide(converted));
}

int32_t Convert(TConverter& converter, const char* src, int32_t srcLen, char* dst,
                int32_t dstSize) noexcept {
  try {
    if (srcLen < -1 || (src == nullptr && srcLen != 0) || dstSize < 0 ||
        (dst == nullptr && dstSize != 0))
      return ZUBLANG_E_ARGUMENT;
    const std::string_view source =
        srcLen == -1 ? std::string_view(src) : std::string_view(src, static_cast<size_t>(srcLen));
    if (source.empty()) {
      if (dst && dstSize > 0) dst[0] = '\0';
      return 0;
    }
    if (GLast.Converter != &converter || GLast.Source != source) {
      GLast = TLastResult();
      std::string result = ConvertText(converter, source);
      GLast.Converter = &converter;
      GLast.Source.assign(source);
      GLast.Result = std::move(result);
    }
    const std::string& result = GLast.Result;
    if (result.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
      return ZUBLANG_E_TOO_LONG;
    const auto length = static_cast<int32_t>(result.size());
    if (dst == nullptr) return length;
    if (dstSize < length) return ZUBLANG_E_BUFFER_TOO_SMALL;
    std::memcpy(dst, result.data(), result.size());
    if (dstSize > length) dst[length] = '\0';
    return length;
  } catch (const TFailure& failure) {
    return failure.Code;
  } catch (const std::bad_alloc&) {
    return ZUBLANG_E_OUT_OF_MEMORY;
  } catch (...) {
    return ZUBLANG_E_INTERNAL;
  }
}

}  // namespace

extern "C" {

ZUBLANG_API int32_t GBtoBIG5(const char* src, int32_t srcLen, char* dst, int32_t dstSize) {
  return Convert(GGbToBig5, src, srcLen, dst, dstSize);
}

ZUBLANG_API int32_t BIG5toGB(const char* src, int32_t srcLen, char* dst, int32_t dstSize) {
  return Convert(GBig5ToGb, src, srcLen, dst, dstSize);
}

ZUBLANG_API const char* ZubLanguageErrorText(int32_t code) {
  switch (code) {
    case ZUBLANG_E_ARGUMENT: return "invalid argument";
    case ZUBLANG_E_BUFFER_TOO_SMALL: return "the result buffer is too small";
    case ZUBLANG_E_INVALID_INPUT: return "the source is not valid text in its code page";
    case ZUBLANG_E_DICTIONARY:
      if (!GGbToBig5.Error().empty()) return GGbToBig5.Error().c_str();
      if (!GBig5ToGb.Error().empty()) return GBig5ToGb.Error().c_str();
      return "the conversion dictionaries cannot be loaded";
    case ZUBLANG_E_OUT_OF_MEMORY: return "out of memory";
    case ZUBLANG_E_TOO_LONG: return "the result is too long";
    case ZUBLANG_E_INTERNAL: return "internal error";
    default: return code >= 0 ? "no error" : "unknown error";
  }
}

}  // extern "C"
