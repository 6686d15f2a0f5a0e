#include "platform/rtl/CodePage.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/ucnv_err.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Exceptions.h"

// Sections: code page table, converters per thread, ICU callbacks, the
// system code page, plain conversions, Windows-style calls, lead bytes.

namespace {

// ---- Code page table ----

// What the runtime knows about one code page; built once, never freed, so
// pointers to it stay valid in every thread.
struct TCodePageInfo {
  int CodePage = 0;
  std::string ConverterName;        // ICU's canonical name
  std::array<bool, 256> Lead = {};  // lead bytes of double-byte characters
};

// The converter names to try for a code page. The Chinese pages and 1252 are
// pinned to the Windows tables: glibc-style tables reject bytes that Windows
// maps (the user-defined area of 936, 0x81 in 1252).
std::vector<std::string> CandidateNames(int codePage) {
  switch (codePage) {
    case 936: return {"windows-936-2000"};
    case 950: return {"windows-950-2000"};
    // ICU resolves the alias "windows-1252" to ibm-5348_P100-1997, which maps
    // 0x80 to U+20AC and 0x81 to U+0081 as Windows does; "ibm-1252" would not.
    case 1252: return {"ibm-5348_P100-1997"};
    case CP_UTF8: return {"UTF-8"};
    case 20127: return {"US-ASCII"};
    case 28591: return {"ISO-8859-1"};
    case 54936: return {"gb18030"};
    default: break;
  }
  if (codePage <= 0 || codePage > 65535) return {};
  // UTF-16 and UTF-32 are not byte code pages for these calls.
  if (codePage == 1200 || codePage == 1201 || codePage == 12000 || codePage == 12001) return {};
  const std::string number = std::to_string(codePage);
  return {"windows-" + number, "ibm-" + number};
}

std::unique_ptr<TCodePageInfo> ProbeCodePage(int codePage) {
  for (const std::string& name : CandidateNames(codePage)) {
    UErrorCode error = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.c_str(), &error);
    if (U_FAILURE(error) || converter == nullptr) continue;
    auto info = std::make_unique<TCodePageInfo>();
    info->CodePage = codePage;
    error = U_ZERO_ERROR;
    info->ConverterName = ucnv_getName(converter, &error);
    const UConverterType type = ucnv_getType(converter);
    if (type == UCNV_DBCS || type == UCNV_MBCS) {
      UBool starters[256] = {};
      error = U_ZERO_ERROR;
      ucnv_getStarters(converter, starters, &error);
      if (U_SUCCESS(error))
        for (int i = 0; i < 256; ++i) info->Lead[i] = starters[i] != 0;
    }
    ucnv_close(converter);
    return info;
  }
  return nullptr;
}

// Looks a concrete code page up (never CP_ACP); nullptr when unknown. The
// table is shared by all threads behind a lock; each thread keeps the
// answers it has seen, so the lock is taken once per thread and code page.
const TCodePageInfo* FindCodePage(int codePage) {
  thread_local std::unordered_map<int, const TCodePageInfo*> seen;
  if (auto it = seen.find(codePage); it != seen.end()) return it->second;

  static std::mutex lock;
  static std::unordered_map<int, std::unique_ptr<TCodePageInfo>> table;
  const TCodePageInfo* info;
  {
    std::lock_guard guard(lock);
    auto it = table.find(codePage);
    if (it == table.end()) it = table.emplace(codePage, ProbeCodePage(codePage)).first;
    info = it->second.get();
  }
  seen.emplace(codePage, info);
  return info;
}

int ResolveCodePage(int codePage) { return codePage == CP_ACP ? SystemCodePage() : codePage; }

[[noreturn]] void RaiseUnknownCodePage(int codePage) {
  throw EConvertError("Code page " + std::to_string(codePage) + " is not supported");
}

const TCodePageInfo& RequireCodePage(int codePage) {
  const TCodePageInfo* info = FindCodePage(ResolveCodePage(codePage));
  if (info == nullptr) RaiseUnknownCodePage(codePage);
  return *info;
}

// ---- Converters per thread ----

// ICU converters carry conversion state and must not be shared between
// threads: each thread opens its own, once per code page.
struct TConverterClose {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using TConverterPtr = std::unique_ptr<UConverter, TConverterClose>;

UConverter* ThreadConverter(const TCodePageInfo& info) {
  thread_local std::unordered_map<int, TConverterPtr> converters;
  auto it = converters.find(info.CodePage);
  if (it == converters.end()) {
    UErrorCode error = U_ZERO_ERROR;
    TConverterPtr converter(ucnv_open(info.ConverterName.c_str(), &error));
    if (U_FAILURE(error) || !converter)
      throw EConvertError("Code page " + std::to_string(info.CodePage) +
                          ": cannot open converter " + info.ConverterName + " (" +
                          u_errorName(error) + ")");
    it = converters.emplace(info.CodePage, std::move(converter)).first;
  }
  ucnv_reset(it->second.get());
  return it->second.get();
}

// ---- ICU callbacks ----

// ICU's own substitutes vary by table (some write U+001A or byte 0x1A); these
// callbacks write exactly what Windows writes and count what they replaced.
struct TToWideState {
  int Replaced = 0;
  bool Escape = false;  // U+DC00 + byte per invalid byte instead of U+FFFD
};

void ToWideReplace(const void* context, UConverterToUnicodeArgs* args, const char* codeUnits,
                   int32_t length, UConverterCallbackReason reason, UErrorCode* error) {
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  auto* state = static_cast<TToWideState*>(const_cast<void*>(context));
  ++state->Replaced;
  *error = U_ZERO_ERROR;
  if (state->Escape) {
    for (int32_t i = 0; i < length && U_SUCCESS(*error); ++i) {
      const UChar escaped = static_cast<UChar>(0xDC00 | static_cast<uint8_t>(codeUnits[i]));
      ucnv_cbToUWriteUChars(args, &escaped, 1, 0, error);
    }
    return;
  }
  static const UChar replacement = 0xFFFD;
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, error);
}

struct TToBytesState {
  std::string DefaultChar = "?";
  bool UsedDefault = false;
};

void ToBytesReplace(const void* context, UConverterFromUnicodeArgs* args, const UChar*, int32_t,
                    UChar32, UConverterCallbackReason reason, UErrorCode* error) {
  if (reason != UCNV_UNASSIGNED && reason != UCNV_ILLEGAL && reason != UCNV_IRREGULAR) return;
  auto* state = static_cast<TToBytesState*>(const_cast<void*>(context));
  state->UsedDefault = true;
  *error = U_ZERO_ERROR;
  ucnv_cbFromUWriteBytes(args, state->DefaultChar.data(),
                         static_cast<int32_t>(state->DefaultChar.size()), 0, error);
}

void CheckLength(size_t length, const char* what) {
  if (length > static_cast<size_t>(INT32_MAX / 4))
    throw EConvertError(std::string(what) + ": text of " + std::to_string(length) +
                        " units is too long to convert");
}

WideString Decode(const TCodePageInfo& info, std::string_view bytes, TToWideState& state) {
  CheckLength(bytes.size(), "CodePageToWide");
  WideString result;
  if (bytes.empty()) return result;
  UConverter* converter = ThreadConverter(info);
  result.resize(bytes.size() + 1);
  for (int attempt = 0; attempt < 2; ++attempt) {
    state.Replaced = 0;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(converter);
    ucnv_setToUCallBack(converter, ToWideReplace, &state, nullptr, nullptr, &error);
    error = U_ZERO_ERROR;
    const int32_t length = ucnv_toUChars(converter, reinterpret_cast<UChar*>(result.data()),
                                         static_cast<int32_t>(result.size()), bytes.data(),
                                         static_cast<int32_t>(bytes.size()), &error);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      result.resize(static_cast<size_t>(length) + 1);
      continue;
    }
    if (U_FAILURE(error))
      throw EConvertError("Code page " + std::to_string(info.CodePage) + ": cannot decode text (" +
                          u_errorName(error) + ")");
    result.resize(static_cast<size_t>(length));
    return result;
  }
  throw EConvertError("Code page " + std::to_string(info.CodePage) + ": cannot decode text");
}

AnsiString Encode(const TCodePageInfo& info, std::u16string_view text, TToBytesState& state) {
  CheckLength(text.size(), "WideToCodePage");
  AnsiString result;
  if (text.empty()) return result;
  UConverter* converter = ThreadConverter(info);
  result.resize(text.size() * 2 + 1);
  for (int attempt = 0; attempt < 2; ++attempt) {
    state.UsedDefault = false;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_reset(converter);
    ucnv_setFromUCallBack(converter, ToBytesReplace, &state, nullptr, nullptr, &error);
    error = U_ZERO_ERROR;
    const int32_t length = ucnv_fromUChars(
        converter, result.data(), static_cast<int32_t>(result.size()),
        reinterpret_cast<const UChar*>(text.data()), static_cast<int32_t>(text.size()), &error);
    if (error == U_BUFFER_OVERFLOW_ERROR) {
      result.resize(static_cast<size_t>(length) + 1);
      continue;
    }
    if (U_FAILURE(error))
      throw EConvertError("Code page " + std::to_string(info.CodePage) + ": cannot encode text (" +
                          u_errorName(error) + ")");
    result.resize(static_cast<size_t>(length));
    return result;
  }
  throw EConvertError("Code page " + std::to_string(info.CodePage) + ": cannot encode text");
}

// ---- The system code page ----

std::mutex GSystemLock;
std::atomic<int> GSystemCodePage{0};  // 0 until resolved or forced
TCodePageResolver GResolver = nullptr;
unsigned GGeneration = 0;  // bumped whenever the setting is forgotten
thread_local bool GResolving = false;

AnsiString UpperAsciiLettersDigits(std::string_view s) {
  AnsiString out;
  for (char c : s) {
    if (c >= 'a' && c <= 'z')
      out += static_cast<char>(c - 'a' + 'A');
    else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
      out += c;
  }
  return out;
}

// The locale is read from the environment, as setlocale would read it, but
// without changing the locale of the process (other code relies on "C").
int LocaleCodePage() {
  const char* locale = nullptr;
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      locale = value;
      break;
    }
  }
  if (locale == nullptr) return 1252;
  std::string_view text(locale);
  if (size_t at = text.find('@'); at != std::string_view::npos) text = text.substr(0, at);
  std::string_view territory = text;
  std::string_view codeset;
  if (size_t dot = text.find('.'); dot != std::string_view::npos) {
    territory = text.substr(0, dot);
    codeset = text.substr(dot + 1);
  }
  if (codeset.empty()) {
    // Without a codeset the locale's own default applies: GB2312 for
    // mainland China, Big5 for Taiwan and Hong Kong.
    if (territory == "zh_CN" || territory == "zh_SG") return 936;
    if (territory == "zh_TW" || territory == "zh_HK") return 950;
    return 1252;
  }
  const AnsiString name = UpperAsciiLettersDigits(codeset);
  if (name == "GBK" || name == "GB2312" || name == "GB18030" || name == "EUCCN" || name == "CP936")
    return 936;
  if (name == "BIG5" || name == "BIG5HKSCS" || name == "CP950") return 950;
  return 1252;
}

}  // namespace

int SystemCodePage() {
  if (const int known = GSystemCodePage.load(std::memory_order_acquire); known != 0) return known;
  // A resolver that converts text itself asks for the system code page while
  // it runs: it gets the locale's answer instead of recursing.
  if (GResolving) return LocaleCodePage();

  TCodePageResolver resolver;
  unsigned generation;
  {
    std::lock_guard guard(GSystemLock);
    if (const int known = GSystemCodePage.load(); known != 0) return known;
    resolver = GResolver;
    generation = GGeneration;
  }
  // The resolver runs outside the lock: it may read files and take its own locks.
  int resolved = 0;
  if (resolver != nullptr) {
    GResolving = true;
    try {
      resolved = resolver();
    } catch (...) {
      resolved = 0;  // a broken registry must not stop every conversion
    }
    GResolving = false;
    if (resolved == CP_ACP || !IsCodePageSupported(resolved)) resolved = 0;
  }
  if (resolved == 0) resolved = LocaleCodePage();

  std::lock_guard guard(GSystemLock);
  if (const int known = GSystemCodePage.load(); known != 0) return known;
  // Store only when nobody reset the setting while the resolver ran.
  if (generation == GGeneration) GSystemCodePage.store(resolved, std::memory_order_release);
  return resolved;
}

void SetSystemCodePage(int codePage) {
  if (codePage == CP_ACP || FindCodePage(codePage) == nullptr) RaiseUnknownCodePage(codePage);
  std::lock_guard guard(GSystemLock);
  ++GGeneration;
  GSystemCodePage.store(codePage, std::memory_order_release);
}

void SetSystemCodePageResolver(TCodePageResolver resolver) {
  std::lock_guard guard(GSystemLock);
  GResolver = resolver;
  ++GGeneration;
  GSystemCodePage.store(0, std::memory_order_release);
}

bool IsCodePageSupported(int codePage) {
  return codePage == CP_ACP || FindCodePage(codePage) != nullptr;
}

// ---- Plain conversions ----

WideString CodePageToWide(int codePage, std::string_view bytes) {
  TToWideState state;
  return Decode(RequireCodePage(codePage), bytes, state);
}

WideString CodePageToWideEscaped(int codePage, std::string_view bytes) {
  TToWideState state;
  state.Escape = true;
  return Decode(RequireCodePage(codePage), bytes, state);
}

AnsiString WideToCodePage(int codePage, std::u16string_view text, bool* usedDefault) {
  const TCodePageInfo& info = RequireCodePage(codePage);
  TToBytesState state;
  if (info.CodePage == CP_UTF8) state.DefaultChar = "\xEF\xBF\xBD";  // U+FFFD
  AnsiString result = Encode(info, text, state);
  if (usedDefault != nullptr) *usedDefault = state.UsedDefault;
  return result;
}

AnsiString ConvertCodePage(int fromCodePage, int toCodePage, std::string_view bytes) {
  return WideToCodePage(toCodePage, CodePageToWide(fromCodePage, bytes));
}

AnsiString WideToUtf8(std::u16string_view text) { return WideToCodePage(CP_UTF8, text); }

WideString Utf8ToWide(std::string_view text) { return CodePageToWide(CP_UTF8, text); }

// ---- The Windows-style calls ----

int MultiByteToWideChar(int codePage, uint32_t flags, const char* src, int srcLen, char16_t* dst,
                        int dstLen) {
  if (src == nullptr || srcLen == 0 || srcLen < -1 || dstLen < 0) return 0;
  if (dstLen > 0 && dst == nullptr) return 0;
  const TCodePageInfo* info = FindCodePage(ResolveCodePage(codePage));
  if (info == nullptr) return 0;
  const size_t length = srcLen == -1 ? std::strlen(src) + 1 : static_cast<size_t>(srcLen);
  WideString text;
  TToWideState state;
  try {
    text = Decode(*info, std::string_view(src, length), state);
  } catch (const EConvertError&) {
    return 0;
  }
  if ((flags & MB_ERR_INVALID_CHARS) != 0 && state.Replaced > 0) return 0;
  if (text.size() > static_cast<size_t>(INT32_MAX)) return 0;
  const int needed = static_cast<int>(text.size());
  if (dstLen == 0) return needed;
  if (needed > dstLen) return 0;
  std::copy(text.begin(), text.end(), dst);
  return needed;
}

int WideCharToMultiByte(int codePage, uint32_t /*flags*/, const char16_t* src, int srcLen,
                        char* dst, int dstLen, const char* defaultChar, bool* usedDefaultChar) {
  if (src == nullptr || srcLen == 0 || srcLen < -1 || dstLen < 0) return 0;
  if (dstLen > 0 && dst == nullptr) return 0;
  const TCodePageInfo* info = FindCodePage(ResolveCodePage(codePage));
  if (info == nullptr) return 0;
  size_t length = 0;
  if (srcLen == -1) {
    while (src[length] != u'\0') ++length;
    ++length;
  } else {
    length = static_cast<size_t>(srcLen);
  }
  TToBytesState state;
  if (defaultChar != nullptr) {
    // The default character is one character of the code page: a lead byte
    // brings its trail byte along.
    const std::string_view given(defaultChar, std::strlen(defaultChar) + 1);
    state.DefaultChar.assign(given.substr(
        0, given.size() > 1 && info->Lead[uint8_t(given[0])] && given[1] != '\0' ? 2 : 1));
  } else if (info->CodePage == CP_UTF8) {
    state.DefaultChar = "\xEF\xBF\xBD";  // U+FFFD
  }
  AnsiString bytes;
  try {
    bytes = Encode(*info, std::u16string_view(src, length), state);
  } catch (const EConvertError&) {
    return 0;
  }
  if (usedDefaultChar != nullptr) *usedDefaultChar = state.UsedDefault;
  if (bytes.size() > static_cast<size_t>(INT32_MAX)) return 0;
  const int needed = static_cast<int>(bytes.size());
  if (dstLen == 0) return needed;
  if (needed > dstLen) return 0;
  std::copy(bytes.begin(), bytes.end(), dst);
  return needed;
}

// ---- Lead bytes ----

bool IsDBCSLeadByteEx(int codePage, uint8_t byte) {
  const TCodePageInfo* info = FindCodePage(ResolveCodePage(codePage));
  return info != nullptr && info->Lead[byte];
}

int CharLengthAt(int codePage, std::string_view bytes, size_t index) {
  if (index >= bytes.size())
    throw EConvertError("CharLengthAt: index " + std::to_string(index) + " is past the end of a " +
                        std::to_string(bytes.size()) + "-byte text");
  if (index + 1 < bytes.size() && IsDBCSLeadByteEx(codePage, uint8_t(bytes[index])) &&
      uint8_t(bytes[index + 1]) >= 0x40)
    return 2;
  return 1;
}
