#include "i18n/TranslatorU.h"

#include "platform/rtl/Format.h"

TTranslator::TTranslator() : FLib(ZubLanguageLibrary) {
  if (!FLib.Loaded()) throw Exception(Format("Load Library %s Error!", {Variant(AnsiString(ZubLanguageLibrary))}));
  // Looked up in this order; the later three are optional.
  FGBtoBIG5 = FLib.ProcAs<TZubConvertFunc>("GBtoBIG5");
  FBIG5toGB = FLib.ProcAs<TZubConvertFunc>("BIG5toGB");
  FGetBIG5Data = FLib.Proc("GetBIG5Data");
  FGetGBData = FLib.Proc("GetGBData");
  FSaveOrder = FLib.Proc("SaveOrder");
  if (FGBtoBIG5 == nullptr || FBIG5toGB == nullptr) throw Exception("Get Library Procedure Address Error!");
}

TTranslator::~TTranslator() = default;

AnsiString TTranslator::Big5ToGB(const AnsiString& text) const { return Call(FBIG5toGB, "BIG5toGB", text); }

AnsiString TTranslator::GBToBig5(const AnsiString& text) const { return Call(FGBtoBIG5, "GBtoBIG5", text); }

AnsiString TTranslator::Call(TZubConvertFunc func, const char* name, const AnsiString& text) const {
  if (text.empty()) return AnsiString();
  if (text.size() > INT32_MAX) throw Exception(AnsiString(name) + ": the text is too long to convert");
  const auto length = static_cast<int32_t>(text.size());
  // Phrase conversion may change the length, so the size is asked first.
  int32_t needed = func(text.data(), length, nullptr, 0);
  if (needed < 0) throw Exception(AnsiString(name) + " failed with code " + std::to_string(needed));
  AnsiString result(static_cast<size_t>(needed), '\0');
  int32_t written = func(text.data(), length, result.data(), needed);
  if (written < 0 || written > needed)
    throw Exception(AnsiString(name) + " failed with code " + std::to_string(written));
  result.resize(static_cast<size_t>(written));
  return result;
}
