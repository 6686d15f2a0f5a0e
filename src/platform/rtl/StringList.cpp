#include "platform/rtl/StringList.h"

// Sections: update scope and helpers; TStrings; TStringList.

#include <algorithm>
#include <exception>
#include <string_view>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Brackets a multi-line change so that listeners hear of it once, also when
// the change stops half-way with an exception.
class TUpdateScope {
public:
  explicit TUpdateScope(TStrings& strings)
      : FStrings(strings), FExceptions(std::uncaught_exceptions()) {
    FStrings.BeginUpdate();
  }
  ~TUpdateScope() noexcept(false) {
    if (std::uncaught_exceptions() > FExceptions) {
      // Already unwinding: a listener's exception must not end the process.
      try {
        FStrings.EndUpdate();
      } catch (...) {
      }
    } else {
      FStrings.EndUpdate();
    }
  }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  TStrings& FStrings;
  int FExceptions;
};

// Lengths of the characters of s in the system code page, so that a trail
// byte is never taken for a separator or a quote.
size_t CharLength(std::string_view s, size_t index) {
  return static_cast<size_t>(CharLengthAt(CP_ACP, s, index));
}

size_t FindSeparator(std::string_view s, char separator) {
  for (size_t i = 0; i < s.size(); i += CharLength(s, i)) {
    if (s[i] == separator) return i;
  }
  return std::string_view::npos;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

// --- TStrings ------------------------------------------------------------------

TStrings::TStrings() = default;

TStrings::~TStrings() = default;

void* TStrings::GetObject(int index) const {
  CheckIndex(index);
  return nullptr;
}

void TStrings::Put(int index, const AnsiString& s) {
  CheckIndex(index);
  TUpdateScope scope(*this);
  void* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::PutObject(int index, void*) { CheckIndex(index); }

void TStrings::InsertObject(int index, const AnsiString& s, void* object) {
  TUpdateScope scope(*this);
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::Add(const AnsiString& s) {
  const int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const AnsiString& s, void* object) {
  const int index = GetCount();
  InsertObject(index, s, object);
  return index;
}

void TStrings::AddStrings(const TStrings& source) {
  // Taken first, so that adding a list to itself doubles it once.
  std::vector<std::pair<AnsiString, void*>> lines;
  const int count = source.GetCount();
  lines.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) lines.emplace_back(source.Get(i), source.GetObject(i));
  TUpdateScope scope(*this);
  for (auto& [s, object] : lines) AddObject(s, object);
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;  // clearing first would lose the lines
  TUpdateScope scope(*this);
  Clear();
  AddStrings(source);
  FNameValueSeparator = source.FNameValueSeparator;
  FDelimiter = source.FDelimiter;
  FQuoteChar = source.FQuoteChar;
  FStrictDelimiter = source.FStrictDelimiter;
}

int TStrings::IndexOf(const AnsiString& s) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    if (CompareStrings(Get(i), s) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const void* object) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    if (GetObject(i) == object) return i;
  }
  return -1;
}

AnsiString TStrings::Names(int index) const {
  const AnsiString line = Get(index);
  const size_t p = FindSeparator(line, FNameValueSeparator);
  return p == AnsiString::npos ? AnsiString() : line.substr(0, p);
}

AnsiString TStrings::ValueFromIndex(int index) const {
  const AnsiString line = Get(index);
  const size_t p = FindSeparator(line, FNameValueSeparator);
  return p == AnsiString::npos ? AnsiString() : line.substr(p + 1);
}

int TStrings::IndexOfName(const AnsiString& name) const {
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    const AnsiString line = Get(i);
    const size_t p = FindSeparator(line, FNameValueSeparator);
    if (p != AnsiString::npos && CompareStrings(line.substr(0, p), name) == 0) return i;
  }
  return -1;
}

AnsiString TStrings::Values(const AnsiString& name) const {
  const int index = IndexOfName(name);
  return index < 0 ? AnsiString() : ValueFromIndex(index);
}

void TStrings::SetValue(const AnsiString& name, const AnsiString& value) {
  const int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0) Delete(index);
    return;
  }
  const AnsiString line = name + FNameValueSeparator + value;
  if (index < 0) {
    Add(line);
  } else {
    Put(index, line);
  }
}

AnsiString TStrings::Text() const {
  AnsiString result;
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    result += Get(i);
    result += "\r\n";
  }
  return result;
}

void TStrings::SetText(const AnsiString& text) {
  TUpdateScope scope(*this);
  Clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = start;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    Add(text.substr(start, end - start));
    if (end < text.size()) {
      const bool cr = text[end] == '\r';
      ++end;
      if (cr && end < text.size() && text[end] == '\n') ++end;
    }
    start = end;
  }
}

AnsiString TStrings::CommaText() const { return JoinDelimited(',', '"', false); }

void TStrings::SetCommaText(const AnsiString& text) { SplitDelimited(text, ',', '"', false); }

AnsiString TStrings::DelimitedText() const {
  return JoinDelimited(FDelimiter, FQuoteChar, FStrictDelimiter);
}

void TStrings::SetDelimitedText(const AnsiString& text) {
  SplitDelimited(text, FDelimiter, FQuoteChar, FStrictDelimiter);
}

AnsiString TStrings::JoinDelimited(char delimiter, char quote, bool strict) const {
  const int count = GetCount();
  // A lone empty item must still read back as one item.
  if (count == 1 && Get(0).empty()) return AnsiString{quote, quote};
  AnsiString result;
  for (int i = 0; i < count; ++i) {
    if (i > 0) result += delimiter;
    const AnsiString s = Get(i);
    bool needsQuotes = false;
    for (size_t j = 0; j < s.size() && !needsQuotes; j += CharLength(s, j)) {
      if (CharLength(s, j) == 2) continue;
      const char c = s[j];
      needsQuotes = (!strict && IsBlank(c)) || c == quote || c == delimiter;
    }
    if (!needsQuotes) {
      result += s;
      continue;
    }
    result += quote;
    for (size_t j = 0; j < s.size();) {
      const size_t length = CharLength(s, j);
      if (length == 1 && s[j] == quote) result += quote;
      result.append(s, j, length);
      j += length;
    }
    result += quote;
  }
  return result;
}

void TStrings::SplitDelimited(const AnsiString& text, char delimiter, char quote, bool strict) {
  TUpdateScope scope(*this);
  Clear();
  const size_t n = text.size();
  size_t p = 0;
  auto skipBlanks = [&] {
    if (!strict) {
      while (p < n && IsBlank(text[p])) ++p;
    }
  };
  skipBlanks();
  while (p < n) {
    AnsiString item;
    if (text[p] == quote) {
      // Doubled quotes stand for one; an unclosed quote runs to the end.
      ++p;
      while (p < n) {
        const size_t length = CharLength(text, p);
        if (length == 1 && text[p] == quote) {
          if (p + 1 < n && text[p + 1] == quote) {
            item += quote;
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item.append(text, p, length);
        p += length;
      }
    } else {
      const size_t start = p;
      while (p < n && text[p] != delimiter && (strict || !IsBlank(text[p]))) {
        p += CharLength(text, p);
      }
      item = text.substr(start, (p < n ? p : n) - start);
    }
    Add(item);
    skipBlanks();
    if (p < n && text[p] == delimiter) {
      ++p;
      if (p == n) Add(AnsiString());  // "a," holds an empty last item
      skipBlanks();
    }
  }
}

void TStrings::BeginUpdate() {
  if (FUpdateCount++ == 0) {
    FChangingSent = false;
    FChangedInUpdate = false;
    SetUpdateState(true);
  }
}

void TStrings::EndUpdate() {
  if (FUpdateCount == 0) {
    throw EInvalidOperation("EndUpdate without a matching BeginUpdate");
  }
  if (--FUpdateCount > 0) return;
  SetUpdateState(false);
  const bool changed = FChangedInUpdate;
  FChangingSent = false;
  FChangedInUpdate = false;
  if (changed) Changed();
}

void TStrings::Changing() {
  if (FUpdateCount > 0) {
    if (FChangingSent) return;
    FChangingSent = true;
  }
  if (OnChanging) OnChanging(*this);
}

void TStrings::Changed() {
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
    return;
  }
  if (OnChange) OnChange(*this);
}

void TStrings::SetUpdateState(bool) {}

int TStrings::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  return CompareText(a, b);
}

void TStrings::IndexError(int index) {
  throw EStringListError("List index out of bounds (" + std::to_string(index) + ")");
}

void TStrings::CheckIndex(int index, bool allowEnd) const {
  const int count = GetCount();
  if (index < 0 || index > count || (index == count && !allowEnd)) IndexError(index);
}

// --- TStringList ---------------------------------------------------------------

namespace {

[[noreturn]] void SortedListError() {
  throw EStringListError("Operation not allowed on sorted list");
}

}  // namespace

TStringList::TStringList() = default;

TStringList::~TStringList() = default;

AnsiString TStringList::Get(int index) const {
  CheckIndex(index);
  return FList[static_cast<size_t>(index)].FString;
}

int TStringList::GetCount() const { return static_cast<int>(FList.size()); }

void* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FList[static_cast<size_t>(index)].FObject;
}

void TStringList::Put(int index, const AnsiString& s) {
  if (FSorted) SortedListError();
  CheckIndex(index);
  TItem& item = FList[static_cast<size_t>(index)];
  if (item.FString == s) return;
  Changing();
  item.FString = s;
  Changed();
}

void TStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  TItem& item = FList[static_cast<size_t>(index)];
  if (item.FObject == object) return;
  Changing();
  item.FObject = object;
  Changed();
}

void TStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const AnsiString& s, void* object) {
  if (FSorted) SortedListError();
  CheckIndex(index, true);
  InsertItem(index, s, object);
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  FList.erase(FList.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  FList.clear();
  Changed();
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, void* object) {
  int index = GetCount();
  if (FSorted && Find(s, index)) {
    switch (FDuplicates) {
      case dupIgnore:
        return index;
      case dupError:
        throw EStringListError("String list does not allow duplicates ('" + s + "')");
      case dupAccept:
        // After the equal lines, so that equal lines keep the order they came in.
        while (index < GetCount() && CompareStrings(FList[static_cast<size_t>(index)].FString, s) == 0) {
          ++index;
        }
        break;
    }
  }
  InsertItem(index, s, object);
  return index;
}

int TStringList::IndexOf(const AnsiString& s) const {
  if (!FSorted) return TStrings::IndexOf(s);
  int index = 0;
  return Find(s, index) ? index : -1;
}

void TStringList::SetValue(const AnsiString& name, const AnsiString& value) {
  const int index = IndexOfName(name);
  if (!FSorted || value.empty() || index < 0) {
    TStrings::SetValue(name, value);
    return;
  }
  // A sorted list cannot change a line in place: the new line finds its own
  // place and keeps its object.
  const AnsiString line = name + NameValueSeparator() + value;
  if (FList[static_cast<size_t>(index)].FString == line) return;
  void* object = FList[static_cast<size_t>(index)].FObject;
  TUpdateScope scope(*this);
  Delete(index);
  AddObject(line, object);
}

void TStringList::Exchange(int index1, int index2) {
  if (FSorted) SortedListError();
  CheckIndex(index1);
  CheckIndex(index2);
  if (index1 == index2) return;
  Changing();
  std::swap(FList[static_cast<size_t>(index1)], FList[static_cast<size_t>(index2)]);
  Changed();
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  int low = 0;
  int high = GetCount();
  while (low < high) {
    const int middle = low + (high - low) / 2;
    if (CompareStrings(FList[static_cast<size_t>(middle)].FString, s) < 0) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  index = low;
  return low < GetCount() && CompareStrings(FList[static_cast<size_t>(low)].FString, s) == 0;
}

void TStringList::Sort() {
  if (FSorted) return;
  SortBy(nullptr);
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (FSorted) return;
  SortBy(compare);
}

void TStringList::SetSorted(bool sorted) {
  if (FSorted == sorted) return;
  if (sorted) SortBy(nullptr);
  FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (FCaseSensitive == caseSensitive) return;
  FCaseSensitive = caseSensitive;
  if (FSorted) SortBy(nullptr);
}

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  return FCaseSensitive ? CompareStr(a, b) : CompareText(a, b);
}

void TStringList::InsertItem(int index, const AnsiString& s, void* object) {
  Changing();
  FList.insert(FList.begin() + index, TItem{s, object});
  Changed();
}

void TStringList::SortBy(const TStringListSortCompare& compare) {
  const size_t count = FList.size();
  if (count < 2) return;
  auto less = [&](int a, int b) {
    if (compare) return compare(*this, a, b) < 0;
    return CompareStrings(FList[static_cast<size_t>(a)].FString,
                          FList[static_cast<size_t>(b)].FString) < 0;
  };
  // A bottom-up merge sort of line numbers: stable, and every loop is
  // bounded, so a comparison that contradicts itself gives some order but can
  // never run off the list. The comparison sees the list unchanged.
  std::vector<int> order(count), buffer(count);
  for (size_t i = 0; i < count; ++i) order[i] = static_cast<int>(i);
  for (size_t width = 1; width < count; width *= 2) {
    for (size_t low = 0; low < count; low += 2 * width) {
      const size_t middle = std::min(low + width, count);
      const size_t high = std::min(low + 2 * width, count);
      size_t i = low, j = middle, k = low;
      while (i < middle && j < high) buffer[k++] = less(order[j], order[i]) ? order[j++] : order[i++];
      while (i < middle) buffer[k++] = order[i++];
      while (j < high) buffer[k++] = order[j++];
    }
    order.swap(buffer);
  }
  if (FList.size() != count) {
    throw EInvalidOperation("The string list changed while it was being sorted");
  }
  bool moved = false;
  for (size_t i = 0; i < count && !moved; ++i) moved = order[i] != static_cast<int>(i);
  if (!moved) return;
  Changing();
  std::vector<TItem> sorted;
  sorted.reserve(count);
  for (int index : order) sorted.push_back(std::move(FList[static_cast<size_t>(index)]));
  FList.swap(sorted);
  Changed();
}
