// TTranslator: the simplified/traditional conversion library of the
// installation ("Zublanguage.dll"), loaded by name when the object is made
// and released when it is freed. Only the two conversion functions are
// called; the other three entry points are looked up and kept, and may be
// missing. The library's C interface (sizes, ownership, failures) is
// described once in outside/libs/Zublanguage.h; the types below repeat its
// two function signatures, since the plug-in never links the library.
#pragma once

#include <cstdint>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/win/DynLib.h"

// int32_t f(const char* src, int32_t srcLen, char* dst, int32_t dstSize):
// the length of the result, a size query when dst is null, negative on a
// failure.
using TZubConvertFunc = int32_t (*)(const char*, int32_t, char*, int32_t);

inline constexpr const char* ZubLanguageLibrary = "Zublanguage.dll";

class TTranslator {
public:
  // Loads the library: Exception("Load Library Zublanguage.dll Error!") when
  // it cannot be loaded, Exception("Get Library Procedure Address Error!")
  // when either conversion function is missing (the library is released).
  TTranslator();
  ~TTranslator();
  TTranslator(const TTranslator&) = delete;
  TTranslator& operator=(const TTranslator&) = delete;

  // Traditional (Big5 bytes) to simplified (GBK bytes), and the reverse. An
  // empty text gives "" without calling the library; a failure the library
  // reports raises Exception naming the function.
  AnsiString Big5ToGB(const AnsiString& text) const;
  AnsiString GBToBig5(const AnsiString& text) const;

  HMODULE Handle() const { return FLib.Handle(); }
  // The three entry points that are looked up and never called (nil when
  // the library does not offer them).
  void* GetBIG5Data() const { return FGetBIG5Data; }
  void* GetGBData() const { return FGetGBData; }
  void* SaveOrder() const { return FSaveOrder; }

private:
  AnsiString Call(TZubConvertFunc func, const char* name, const AnsiString& text) const;

  TDynLib FLib;
  TZubConvertFunc FGBtoBIG5 = nullptr;
  TZubConvertFunc FBIG5toGB = nullptr;
  void* FGetBIG5Data = nullptr;
  void* FGetGBData = nullptr;
  void* FSaveOrder = nullptr;
};
