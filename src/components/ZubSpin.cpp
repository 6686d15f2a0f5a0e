#include "components/ZubSpin.h"

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"

TZubSpinEdit::TZubSpinEdit(TComponent* owner) : TSpinEdit(owner) {}

namespace {
bool IsStraySign(char c) { return c == '+' || c == '-'; }
}  // namespace

AnsiString TZubSpinEdit::FilterSigns(const AnsiString& text) {
  if (text.empty()) return text;
  AnsiString result(1, text[0]);
  for (size_t i = 1; i < text.size(); ++i)
    if (!IsStraySign(text[i])) result += text[i];
  return result;
}

void TZubSpinEdit::Change() {
  // The filter's own text change comes back here; the outer call raises
  // the one notification for the final text.
  if (FFiltering) return;
  const AnsiString& text = Text();
  const AnsiString filtered = FilterSigns(text);
  if (filtered != text) {
    const int caret = CaretIndex();
    int removedBeforeCaret = 0;
    for (int i = 1; i < caret && i < static_cast<int>(text.size()); ++i)
      if (IsStraySign(text[static_cast<size_t>(i)])) ++removedBeforeCaret;
    const bool modified = Modified();
    FFiltering = true;
    try {
      SetText(filtered);
    } catch (...) {
      FFiltering = false;
      throw;
    }
    FFiltering = false;
    // Setting the text by code moves the caret home and clears Modified;
    // the user's edit keeps both.
    SetModified(modified);
    SetSelStart(caret - removedBeforeCaret);
  }
  if (!Trim(Text()).empty()) TSpinEdit::Change();
}

const TClass& TZubSpinEdit::StaticClass() {
  static const TClass& record = TClassBuilder<TZubSpinEdit>().Factory().Build();
  return record;
}

void RegisterZubSpinClasses() { RegisterClass(TZubSpinEdit::StaticClass()); }
