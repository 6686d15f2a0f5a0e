#include "platform/vcl/MaskUtils.h"

#include <algorithm>
#include <string>

#include "platform/rtl/Exceptions.h"

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// What one character of the mask field is, and where it is consumed. Shared
// by the compiler and MaskGetCharType so that both read a mask alike.
struct TMaskToken {
  TMaskCharType Type;
  size_t Length;  // bytes of the mask text the token takes
};

TMaskToken ReadToken(std::string_view mask, size_t i, int codePage) {
  if (CharLengthAt(codePage, mask, i) == 2) return {mcLiteral, 2};
  switch (mask[i]) {
    case '\\':
      // The escaped character (a double-byte one whole); a "\" at the very
      // end has nothing to escape and stands for itself.
      if (i + 1 >= mask.size()) return {mcLiteral, 1};
      return {mcDirective, 1 + static_cast<size_t>(CharLengthAt(codePage, mask, i + 1))};
    case '<':
      return {mcDirective, i + 1 < mask.size() && mask[i + 1] == '>' ? size_t{2} : size_t{1}};
    case '>':
    case '!':
      return {mcDirective, 1};
    case 'L':
    case 'A':
    case 'C':
    case '0':
      return {mcMask, 1};
    case 'l':
    case 'a':
    case 'c':
    case '9':
    case '#':
      return {mcMaskOpt, 1};
    case '/':
    case ':':
      return {mcIntlLiteral, 1};
    case ';':
      return {mcFieldSeparator, 1};
    default:
      return {mcLiteral, 1};
  }
}

TMaskInput InputOf(char c) {
  switch (c) {
    case 'L':
    case 'l':
      return TMaskInput::Letter;
    case 'A':
    case 'a':
      return TMaskInput::LetterOrDigit;
    case 'C':
    case 'c':
      return TMaskInput::AnyChar;
    case '0':
    case '9':
      return TMaskInput::Digit;
    case '#':
      return TMaskInput::DigitOrSign;
    default:
      return TMaskInput::None;
  }
}

}  // namespace

// ---- Compiling ----

TEditMaskInfo::TEditMaskInfo(std::string_view editMask, const TFormatSettings& settings, int codePage)
    : FEditMask(editMask), FCodePage(codePage) {
  TMaskCase caseMode = TMaskCase::None;
  auto addLiteral = [this](std::string_view bytes, TMaskCharType type, char source) {
    for (size_t k = 0; k < bytes.size(); ++k) {
      TMaskPosition pos;
      pos.Type = type;
      pos.Shown = bytes[k];
      pos.Source = source;
      pos.LiteralWidth = k == 0 ? static_cast<uint8_t>(bytes.size()) : 0;
      FPositions.push_back(pos);
    }
  };

  size_t i = 0;
  bool hasFields = false;
  while (i < editMask.size()) {
    const char c = editMask[i];
    const TMaskToken token = ReadToken(editMask, i, codePage);
    switch (token.Type) {
      case mcFieldSeparator:
        hasFields = true;
        break;
      case mcDirective:
        if (c == '\\') {
          addLiteral(editMask.substr(i + 1, token.Length - 1), mcLiteral, editMask[i + 1]);
        } else if (c == '>') {
          caseMode = TMaskCase::Upper;
        } else if (c == '<') {
          caseMode = token.Length == 2 ? TMaskCase::None : TMaskCase::Lower;
        } else if (c == '!') {
          FLeadingBlanks = true;
        }
        break;
      case mcMask:
      case mcMaskOpt: {
        TMaskPosition pos;
        pos.Type = token.Type;
        pos.Input = InputOf(c);
        pos.Case = caseMode;
        pos.Source = c;
        FPositions.push_back(pos);
        break;
      }
      case mcIntlLiteral: {
        const char shown = c == '/' ? settings.DateSeparator : settings.TimeSeparator;
        addLiteral(std::string_view(&shown, 1), mcIntlLiteral, c);
        break;
      }
      default:
        if (c == '_')
          addLiteral(" ", mcLiteral, c);
        else
          addLiteral(editMask.substr(i, token.Length), mcLiteral, c);
        break;
    }
    i += token.Length;
    if (hasFields) break;
  }

  if (hasFields) {
    const std::string_view rest = editMask.substr(i);
    const size_t semi = rest.find(';');
    const std::string_view save = rest.substr(0, semi);
    FSaveLiterals = save.empty() || save[0] != '0';
    if (semi != std::string_view::npos && semi + 1 < rest.size()) {
      const unsigned char blank = static_cast<unsigned char>(rest[semi + 1]);
      if (blank >= 0x20 && blank != 0x7F && !IsDBCSLeadByteEx(codePage, blank))
        FBlank = static_cast<char>(blank);
    }
  }
}

const TMaskPosition& TEditMaskInfo::Position(int index) const {
  if (index < 0 || index >= Length())
    throw EListError("Edit mask \"" + FEditMask + "\": position " + std::to_string(index) +
                     " is out of range (0.." + std::to_string(Length() - 1) + ")");
  return FPositions[static_cast<size_t>(index)];
}

// ---- Characters and positions ----

int TEditMaskInfo::CharLength(std::string_view text, size_t index) const {
  return index < text.size() ? CharLengthAt(FCodePage, text, index) : 1;
}

int TEditMaskInfo::CharStart(std::string_view text, int index) const {
  size_t i = 0;
  const size_t target = static_cast<size_t>(std::max(index, 0));
  while (i < text.size()) {
    const size_t next = i + static_cast<size_t>(CharLength(text, i));
    if (next > target) return static_cast<int>(i);
    i = next;
  }
  return index;
}

bool TEditMaskInfo::AcceptsChar(int index, char ch) const {
  if (index < 0 || index >= Length()) return false;
  const TMaskPosition& pos = FPositions[static_cast<size_t>(index)];
  const unsigned char c = static_cast<unsigned char>(ch);
  if (!pos.IsInput() || c < 0x20 || c == 0x7F || IsDBCSLeadByteEx(FCodePage, c)) return false;
  if (c == ' ') return pos.Type == mcMaskOpt || pos.Input == TMaskInput::AnyChar;
  switch (pos.Input) {
    case TMaskInput::Letter:
      return IsAsciiLetter(c);
    case TMaskInput::LetterOrDigit:
      return IsAsciiLetter(c) || IsAsciiDigit(c);
    case TMaskInput::AnyChar:
      return true;
    case TMaskInput::Digit:
      return IsAsciiDigit(c);
    case TMaskInput::DigitOrSign:
      return IsAsciiDigit(c) || c == '+' || c == '-';
    default:
      return false;
  }
}

bool TEditMaskInfo::AcceptsDoubleByte(int index) const {
  if (index < 0 || index + 1 >= Length()) return false;
  return FPositions[static_cast<size_t>(index)].Input == TMaskInput::AnyChar &&
         FPositions[static_cast<size_t>(index) + 1].Input == TMaskInput::AnyChar;
}

char TEditMaskInfo::ApplyCase(int index, char ch) const {
  const TMaskCase mode = Position(index).Case;
  if (mode == TMaskCase::Upper && ch >= 'a' && ch <= 'z') return static_cast<char>(ch - 'a' + 'A');
  if (mode == TMaskCase::Lower && ch >= 'A' && ch <= 'Z') return static_cast<char>(ch - 'A' + 'a');
  return ch;
}

int TEditMaskInfo::NextInput(int index) const {
  for (int p = std::max(index, 0); p < Length(); ++p)
    if (FPositions[static_cast<size_t>(p)].IsInput()) return p;
  return -1;
}

int TEditMaskInfo::PrevInput(int index) const {
  for (int p = std::min(index, Length()) - 1; p >= 0; --p)
    if (FPositions[static_cast<size_t>(p)].IsInput()) return p;
  return -1;
}

// ---- Texts ----

AnsiString TEditMaskInfo::EmptyEditText() const {
  AnsiString out;
  out.reserve(FPositions.size());
  for (const TMaskPosition& pos : FPositions) out += pos.IsInput() ? FBlank : pos.Shown;
  return out;
}

int TEditMaskInfo::MatchLiteral(int index, std::string_view text, size_t i) const {
  if (index < 0 || index >= Length() || i >= text.size()) return 0;
  const TMaskPosition& pos = FPositions[static_cast<size_t>(index)];
  if (pos.IsInput() || pos.LiteralWidth == 0) return 0;
  const int length = CharLength(text, i);
  if (pos.LiteralWidth == 1) {
    if (length != 1) return 0;
    if (text[i] == pos.Shown || (pos.Type == mcIntlLiteral && text[i] == pos.Source)) return 1;
    return 0;
  }
  if (length != 2 || index + 1 >= Length()) return 0;
  return text[i] == pos.Shown && text[i + 1] == FPositions[static_cast<size_t>(index) + 1].Shown ? 2 : 0;
}

bool TEditMaskInfo::IsFullForm(std::string_view text) const {
  if (text.size() != FPositions.size()) return false;
  size_t i = 0;
  while (i < text.size()) {
    const TMaskPosition& pos = FPositions[i];
    if (pos.IsInput()) {
      const size_t length = static_cast<size_t>(CharLength(text, i));
      if (length == 2 && !FPositions[i + 1].IsInput()) return false;
      i += length;
    } else {
      const int matched = MatchLiteral(static_cast<int>(i), text, i);
      if (matched == 0) return false;
      i += static_cast<size_t>(matched);
    }
  }
  return true;
}

AnsiString TEditMaskInfo::PlaceText(std::string_view text) const {
  if (!IsMasked()) return AnsiString(text);
  AnsiString out = EmptyEditText();
  // Writes one character of text at position q of out.
  auto put = [&](int q, std::string_view ch) {
    if (ch.size() == 2) {
      out[static_cast<size_t>(q)] = ch[0];
      out[static_cast<size_t>(q) + 1] = ch[1];
    } else {
      out[static_cast<size_t>(q)] = IsBlankByte(ch[0]) ? FBlank : ApplyCase(q, ch[0]);
    }
  };

  if (IsFullForm(text)) {
    size_t i = 0;
    while (i < text.size()) {
      const size_t length = static_cast<size_t>(CharLength(text, i));
      if (FPositions[i].IsInput()) put(static_cast<int>(i), text.substr(i, length));
      i += length;
    }
    return out;
  }

  const int n = Length();
  size_t i = 0;
  int p = 0;
  while (p < n) {
    const TMaskPosition& pos = FPositions[static_cast<size_t>(p)];
    if (!pos.IsInput()) {
      if (i < text.size()) i += static_cast<size_t>(MatchLiteral(p, text, i));
      p += std::max<int>(pos.LiteralWidth, 1);
      continue;
    }
    // A group of input positions [p, end) up to the next literal.
    int end = p;
    while (end < n && FPositions[static_cast<size_t>(end)].IsInput()) ++end;
    std::vector<std::string_view> chunk;
    int used = 0;
    while (p + used < end && i < text.size()) {
      const size_t length = static_cast<size_t>(CharLength(text, i));
      const int k = p + used;
      const bool accepted = length == 1 ? AcceptsChar(k, text[i]) || IsBlankByte(text[i]) : AcceptsDoubleByte(k);
      if (!accepted && MatchLiteral(end, text, i) > 0) break;  // the text skips to that literal
      if (k + static_cast<int>(length) > end) break;           // goes whole into the next group
      chunk.push_back(text.substr(i, length));
      used += static_cast<int>(length);
      i += length;
    }
    int q = FLeadingBlanks ? end - used : p;
    for (std::string_view ch : chunk) {
      put(q, ch);
      q += static_cast<int>(ch.size());
    }
    p = end;
  }
  return out;
}

AnsiString TEditMaskInfo::SavedText(std::string_view editText, bool withLiterals) const {
  if (!IsMasked()) return AnsiString(editText);
  const AnsiString shown = IsFullForm(editText) ? AnsiString(editText) : PlaceText(editText);
  AnsiString out;
  size_t i = 0;
  while (i < shown.size()) {
    const TMaskPosition& pos = FPositions[i];
    const size_t length = static_cast<size_t>(CharLength(shown, i));
    if (pos.IsInput()) {
      if (length == 1 && IsBlankByte(shown[i]))
        out += ' ';
      else
        out.append(shown, i, length);
    } else if (withLiterals) {
      out.append(shown, i, length);
    }
    i += length;
  }
  return out;
}

// ---- Queries on a shown text ----

bool TEditMaskInfo::IsBlankAt(std::string_view editText, int index) const {
  if (!IsInput(index)) return false;
  if (static_cast<size_t>(index) >= editText.size()) return true;
  const int start = CharStart(editText, index);
  return start == index && CharLength(editText, static_cast<size_t>(index)) == 1 &&
         IsBlankByte(editText[static_cast<size_t>(index)]);
}

bool TEditMaskInfo::IsEditTextEmpty(std::string_view editText) const {
  for (int p = 0; p < Length(); ++p)
    if (IsInput(p) && !IsBlankAt(editText, p)) return false;
  return true;
}

int TEditMaskInfo::FirstRequiredBlank(std::string_view editText) const {
  for (int p = 0; p < Length(); ++p)
    if (IsRequired(p) && IsBlankAt(editText, p)) return p;
  return -1;
}

// ---- Keyboard edits ----

void TEditMaskInfo::Normalize(TMaskEditState& state) const {
  if (!IsFullForm(state.EditText)) state.EditText = PlaceText(state.EditText);
  const int n = Length();
  state.SelStart = std::clamp(state.SelStart, 0, n);
  state.SelLength = std::clamp(state.SelLength, 0, n - state.SelStart);
  if (state.SelStart < n) {
    // A caret inside a double-byte character stands before it.
    const int start = CharStart(state.EditText, state.SelStart);
    if (state.SelLength > 0) state.SelLength += state.SelStart - start;
    state.SelStart = start;
  }
}

void TEditMaskInfo::BlankRange(AnsiString& text, int from, int to) const {
  const int n = Length();
  from = std::clamp(from, 0, n);
  to = std::clamp(to, from, n);
  if (from == to) return;
  from = CharStart(text, from);
  const int last = CharStart(text, to - 1);
  to = std::max(to, last + CharLength(text, static_cast<size_t>(last)));
  for (int q = from; q < to && q < n; ++q)
    if (FPositions[static_cast<size_t>(q)].IsInput()) text[static_cast<size_t>(q)] = FBlank;
}

bool TEditMaskInfo::TypeChar(TMaskEditState& state, std::string_view ch) const {
  if (!IsMasked() || ch.empty() || ch.size() > 2) return false;
  TMaskEditState work = state;
  Normalize(work);
  if (work.SelLength > 0) BlankRange(work.EditText, work.SelStart, work.SelStart + work.SelLength);
  const int p = NextInput(work.SelStart);
  if (p < 0) return false;
  if (ch.size() == 2) {
    if (CharLengthAt(FCodePage, ch, 0) != 2 || !AcceptsDoubleByte(p)) return false;
  } else if (!AcceptsChar(p, ch[0])) {
    return false;
  }
  const int length = static_cast<int>(ch.size());
  BlankRange(work.EditText, p, p + length);
  if (length == 2) {
    work.EditText[static_cast<size_t>(p)] = ch[0];
    work.EditText[static_cast<size_t>(p) + 1] = ch[1];
  } else {
    work.EditText[static_cast<size_t>(p)] = ch[0] == ' ' ? FBlank : ApplyCase(p, ch[0]);
  }
  const int next = NextInput(p + length);
  work.SelStart = next < 0 ? p + length : next;
  work.SelLength = 0;
  state = std::move(work);
  return true;
}

void TEditMaskInfo::DeleteBack(TMaskEditState& state) const {
  if (!IsMasked()) return;
  Normalize(state);
  if (state.SelLength > 0) {
    BlankRange(state.EditText, state.SelStart, state.SelStart + state.SelLength);
    state.SelLength = 0;
    return;
  }
  const int q = PrevInput(state.SelStart);
  if (q < 0) return;
  const int start = CharStart(state.EditText, q);
  BlankRange(state.EditText, start, start + 1);
  state.SelStart = start;
}

void TEditMaskInfo::DeleteForward(TMaskEditState& state) const {
  if (!IsMasked()) return;
  Normalize(state);
  if (state.SelLength > 0) {
    BlankRange(state.EditText, state.SelStart, state.SelStart + state.SelLength);
    state.SelLength = 0;
    return;
  }
  const int p = NextInput(state.SelStart);
  if (p < 0) return;
  const int start = CharStart(state.EditText, p);
  BlankRange(state.EditText, start, start + 1);
  state.SelStart = start;
}

void TEditMaskInfo::CaretLeft(TMaskEditState& state) const {
  if (!IsMasked()) return;
  Normalize(state);
  if (state.SelLength > 0) {
    state.SelLength = 0;
    return;
  }
  if (state.SelStart == 0) return;
  int c = CharStart(state.EditText, state.SelStart - 1);
  if (!IsInput(c)) {
    const int q = PrevInput(c);
    if (q < 0) return;  // only literals before: the caret stays
    c = CharStart(state.EditText, q);
  }
  state.SelStart = c;
}

void TEditMaskInfo::CaretRight(TMaskEditState& state) const {
  if (!IsMasked()) return;
  Normalize(state);
  int c = state.SelStart;
  if (state.SelLength > 0) {
    c += state.SelLength;
  } else if (c < Length()) {
    c += CharLength(state.EditText, static_cast<size_t>(c));
  }
  const int next = NextInput(c);
  state.SelStart = next < 0 ? Length() : next;
  state.SelLength = 0;
}

void TEditMaskInfo::CaretHome(TMaskEditState& state) const {
  if (!IsMasked()) return;
  Normalize(state);
  state.SelStart = std::max(NextInput(0), 0);
  state.SelLength = 0;
}

void TEditMaskInfo::CaretEnd(TMaskEditState& state) const {
  if (!IsMasked()) return;
  Normalize(state);
  state.SelStart = Length();
  state.SelLength = 0;
}

// ---- Free functions ----

AnsiString FormatMaskText(std::string_view editMask, std::string_view value) {
  return TEditMaskInfo(editMask).PlaceText(value);
}

AnsiString EmptyMaskText(std::string_view editMask) { return TEditMaskInfo(editMask).EmptyEditText(); }

TMaskCharType MaskGetCharType(std::string_view editMask, int maskOffset) {
  if (maskOffset < 0 || static_cast<size_t>(maskOffset) >= editMask.size())
    throw EListError("Edit mask \"" + AnsiString(editMask) + "\": offset " + std::to_string(maskOffset) +
                     " is out of range");
  const size_t target = static_cast<size_t>(maskOffset);
  size_t i = 0;
  while (i < editMask.size()) {
    const TMaskToken token = ReadToken(editMask, i, CP_ACP);
    if (target < i + token.Length) {
      // The character escaped by "\" is a literal; the "\" the directive.
      if (token.Type == mcDirective && editMask[i] == '\\' && target > i) return mcLiteral;
      return token.Type;
    }
    i += token.Length;
    if (token.Type == mcFieldSeparator) break;
  }
  // Past the mask field: the save-literals field, its ";", the blank field.
  const size_t second = editMask.find(';', i);
  if (target == second) return mcFieldSeparator;
  return mcField;
}
