#include "host/HostScript.h"

#include <cctype>

#include "host/CompanyDb.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateUtils.h"

// ---- Scripted answers ----

void THostScript::ScriptDatePick(const AnsiString& answer) {
  if (!answer.empty() && !IsCompactDate(answer))
    throw EHostError("ScriptDatePick: '" + answer + "' is not a date \"YYYYMMDD\" (or \"\" for cancel)");
  std::lock_guard<std::mutex> guard(FLock);
  FDatePicks.push_back(answer);
}

void THostScript::ScriptLookup(const Variant& answer) {
  std::lock_guard<std::mutex> guard(FLock);
  // The value, not a reference to the caller's variable.
  FLookups.push_back(answer.Deref());
}

void THostScript::ScriptPhrase(const AnsiString& answer) {
  std::lock_guard<std::mutex> guard(FLock);
  FPhrases.push_back(answer);
}

namespace {
template <class T>
std::optional<T> PopFront(std::deque<T>& queue) {
  if (queue.empty()) return std::nullopt;
  T value = std::move(queue.front());
  queue.pop_front();
  return value;
}
}  // namespace

std::optional<AnsiString> THostScript::NextDatePick() {
  std::lock_guard<std::mutex> guard(FLock);
  return PopFront(FDatePicks);
}

std::optional<Variant> THostScript::NextLookup() {
  std::lock_guard<std::mutex> guard(FLock);
  return PopFront(FLookups);
}

std::optional<AnsiString> THostScript::NextPhrase() {
  std::lock_guard<std::mutex> guard(FLock);
  return PopFront(FPhrases);
}

size_t THostScript::PendingCount() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FDatePicks.size() + FLookups.size() + FPhrases.size();
}

// ---- Journal ----

void THostScript::Record(AnsiString member, AnsiString arguments, AnsiString answer) {
  std::lock_guard<std::mutex> guard(FLock);
  FJournal.push_back({std::move(member), std::move(arguments), std::move(answer)});
}

std::vector<THostJournalEntry> THostScript::Journal() const {
  std::lock_guard<std::mutex> guard(FLock);
  return FJournal;
}

AnsiString THostScript::JournalText() const {
  std::lock_guard<std::mutex> guard(FLock);
  AnsiString text;
  for (const THostJournalEntry& e : FJournal)
    text += e.Member + "(" + e.Arguments + ") -> " + e.Answer + "\n";
  return text;
}

void THostScript::ClearJournal() {
  std::lock_guard<std::mutex> guard(FLock);
  FJournal.clear();
}

// ---- Helpers ----

AnsiString DescribeVariant(const Variant& value) {
  const Variant& v = value.Deref();
  if (v.IsEmpty()) return "Empty";
  if (v.IsNull()) return "Null";
  if (const AnsiString* s = v.GetIf<AnsiString>()) return "\"" + *s + "\"";
  // The journal is for reading: a character 936 lacks shows as "?".
  if (const WideString* w = v.GetIf<WideString>())
    return "\"" + WideToCodePage(HostCodePage, *w) + "\"";
  if (v.GetIf<TDispatchRef>()) return "<object>";
  if (const TVarArray* array = v.GetIf<TVarArray>()) {
    AnsiString text = "[";
    bool first = true;
    for (const Variant& element : array->Elements()) {
      if (!first) text += ", ";
      first = false;
      text += DescribeVariant(element);
    }
    return text + "]";
  }
  return v.AsString();
}

bool IsCompactDate(const AnsiString& text) {
  if (text.size() != 8) return false;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  int year = std::stoi(text.substr(0, 4));
  int month = std::stoi(text.substr(4, 2));
  int day = std::stoi(text.substr(6, 2));
  TDateTime date;
  return year >= 1 && TryEncodeDate(year, month, day, date);
}
