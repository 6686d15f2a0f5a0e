#include "platform/vcl/StdCtrls.h"

// Sections: helpers; accelerators; labels; edits; memos; item lists; list
// boxes; group boxes; button controls, check boxes, radio buttons; combo
// boxes; class records and registration.

#include <algorithm>
#include <climits>
#include <numeric>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FlagScope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/TextMetrics.h"

// ---- Helpers ----

namespace {

AnsiString Describe(const TComponent* c) {
  AnsiString text = c->ClassName();
  if (!c->Name().empty()) text += " " + c->Name();
  return text;
}

bool IsLoading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }

template <class E>
void CheckEnum(const TComponent* c, const char* prop, E value, E last) {
  if (static_cast<int>(value) < 0 || static_cast<int>(value) > static_cast<int>(last))
    throw EConvertError(Describe(c) + "." + prop + ": " + std::to_string(static_cast<int>(value)) +
                        " is out of range");
}

[[noreturn]] void IndexError(const TComponent* c, int index) {
  throw EListError(Describe(c) + ": List index out of bounds (" + std::to_string(index) + ")");
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Length of the line break at text[i]: 2 for CR LF, 1 for a lone CR or LF,
// 0 otherwise. CR and LF are below every trail byte, so a byte scan never
// mistakes part of a double-byte character for a break.
size_t BreakAt(std::string_view text, size_t i) {
  if (i >= text.size()) return 0;
  if (text[i] == '\r') return i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1;
  return text[i] == '\n' ? 1 : 0;
}

std::vector<AnsiString> SplitLines(std::string_view text, bool keepTrailingEmpty) {
  std::vector<AnsiString> lines;
  size_t start = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (size_t b = BreakAt(text, i)) {
      lines.emplace_back(text.substr(start, i - start));
      i += b;
      start = i;
    } else {
      ++i;
    }
  }
  if (start < text.size() || keepTrailingEmpty || lines.empty()) lines.emplace_back(text.substr(start));
  return lines;
}

// Every line ends with CR LF, so that an empty last line survives the trip
// through the text (a memo's lines [""] are the text "\r\n", not "").
AnsiString JoinLines(const std::vector<AnsiString>& lines) {
  AnsiString text;
  for (const AnsiString& line : lines) text += line + "\r\n";
  return text;
}

// Start of the character that contains pos (clipped to the text).
int CharStartIn(int cp, std::string_view text, int pos) {
  pos = std::clamp(pos, 0, static_cast<int>(text.size()));
  int i = 0;
  while (i < pos) {
    const int len = CharLengthAt(cp, text, static_cast<size_t>(i));
    if (i + len > pos) return i;
    i += len;
  }
  return pos;
}

int CharEndIn(int cp, std::string_view text, int pos) {
  pos = std::clamp(pos, 0, static_cast<int>(text.size()));
  const int start = CharStartIn(cp, text, pos);
  if (start == pos) return pos;
  return start + CharLengthAt(cp, text, static_cast<size_t>(start));
}

// The longest prefix made of whole characters that fits room bytes.
AnsiString FitPrefix(int cp, std::string_view bytes, int room) {
  size_t i = 0;
  while (i < bytes.size()) {
    const size_t len = static_cast<size_t>(CharLengthAt(cp, bytes, i));
    if (static_cast<int64_t>(i + len) > room) break;
    i += len;
  }
  return AnsiString(bytes.substr(0, i));
}

// Width in the font of each character of text, in order.
int TextWidthOf(const TFont& font, std::string_view text) { return GetTextMetrics().TextWidth(font, text); }
int LineHeightOf(const TFont& font) { return GetTextMetrics().TextHeight(font, "0"); }

// Greedy wrapping of one line into width: at the last blank that fits, or
// between characters when a word alone is too wide; at least one character
// per line.
void WrapLine(const TFont& font, int cp, std::string_view line, int width, std::vector<AnsiString>& out) {
  if (width <= 0 || line.empty()) {
    out.emplace_back(line);
    return;
  }
  size_t start = 0;
  while (start < line.size()) {
    size_t i = start;
    size_t lastBlank = std::string_view::npos;
    int w = 0;
    while (i < line.size()) {
      const size_t len = static_cast<size_t>(CharLengthAt(cp, line, i));
      const int cw = TextWidthOf(font, line.substr(i, len));
      if (w + cw > width && i > start) break;
      if (line[i] == ' ') lastBlank = i;
      w += cw;
      i += len;
    }
    if (i >= line.size()) {
      out.emplace_back(line.substr(start));
      return;
    }
    const size_t cut = lastBlank != std::string_view::npos && lastBlank > start ? lastBlank : i;
    out.emplace_back(line.substr(start, cut - start));
    start = cut;
    while (start < line.size() && line[start] == ' ') ++start;
  }
}

}  // namespace

const TTypeInfo& LeftRightTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Enumeration("TLeftRight", "taLeftJustify, taRightJustify");
  return info;
}

const TTypeInfo& ImeNameTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Simple(tkString, "TImeName");
  return info;
}

int EditCodePage(const TFont& font) {
  const int cp = font.CodePage();
  return IsDBCSLeadByteEx(cp, 0x81) ? cp : 936;
}

// ---- Accelerators ----

AnsiString StripAccelChars(std::string_view caption) {
  AnsiString text;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '&') {
      text += caption[i];
    } else if (i + 1 < caption.size() && caption[i + 1] == '&') {
      text += '&';
      ++i;
    }
  }
  return text;
}

char AccelCharOf(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    const auto ch = static_cast<unsigned char>(caption[i + 1]);
    return ch < 0x80 ? caption[i + 1] : 0;
  }
  return 0;
}

namespace {
bool IsAccelerator(std::string_view caption, char key) {
  const char accel = AccelCharOf(caption);
  return accel != 0 && key != 0 && AsciiLower(accel) == AsciiLower(key);
}
}  // namespace

bool DispatchAccelerator(TWinControl* root, char key) {
  if (root == nullptr) return false;
  for (int i = 0; i < root->ControlCount(); ++i) {
    TControl* c = root->Controls(i);
    if (!c->Visible() || !c->Enabled()) continue;
    if (auto* target = dynamic_cast<IAcceleratorTarget*>(c); target != nullptr && target->DialogChar(key))
      return true;
    if (auto* w = dynamic_cast<TWinControl*>(c); w != nullptr && DispatchAccelerator(w, key)) return true;
  }
  return false;
}

// ---- TCustomLabel ----

TCustomLabel::TCustomLabel(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 65, 17);
  TControl::SetAutoSize(true);
  AdjustBounds();
}

void TCustomLabel::SetAutoSize(bool value) {
  if (value == AutoSize()) return;
  TControl::SetAutoSize(value);
  AdjustBounds();
}

void TCustomLabel::SetAlignment(TAlignment value) {
  CheckEnum(this, "Alignment", value, taCenter);
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout value) {
  CheckEnum(this, "Layout", value, tlBottom);
  if (value == FLayout) return;
  FLayout = value;
  Invalidate();
}

void TCustomLabel::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Invalidate();
}

void TCustomLabel::SetShowAccelChar(bool value) {
  if (value == FShowAccelChar) return;
  FShowAccelChar = value;
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::SetFocusControl(TWinControl* control) {
  if (control == FFocusControl) return;
  if (FFocusControl != nullptr) FFocusControl->RemoveFreeNotification(this);
  FFocusControl = control;
  if (control != nullptr) control->FreeNotification(this);
}

void TCustomLabel::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component == FFocusControl) FFocusControl = nullptr;
}

AnsiString TCustomLabel::DisplayText() const {
  return FShowAccelChar ? StripAccelChars(Caption()) : Caption();
}

std::vector<AnsiString> TCustomLabel::DisplayLines() const {
  std::vector<AnsiString> lines;
  const int cp = EditCodePage(*Font());
  for (const AnsiString& line : SplitLines(DisplayText(), true)) {
    if (FWordWrap)
      WrapLine(*Font(), cp, line, Width(), lines);
    else
      lines.push_back(line);
  }
  return lines;
}

void TCustomLabel::AdjustBounds() {
  if (!AutoSize() || IsLoading(this) || ComponentState().Contains(csDestroying)) return;
  int width = 0;
  int height = 0;
  for (const AnsiString& line : DisplayLines()) {
    width = std::max(width, TextWidthOf(*Font(), line));
    height += GetTextMetrics().TextHeight(*Font(), line);
  }
  if (FWordWrap) width = Width();
  // A right-justified caption grows to the left: its right edge stays put.
  const int left = FAlignment == taRightJustify ? Left() + Width() - width : Left();
  SetBounds(left, Top(), width, height);
}

bool TCustomLabel::DialogChar(char key) {
  if (!FShowAccelChar || !IsAccelerator(Caption(), key)) return false;
  if (FFocusControl == nullptr || !FFocusControl->CanFocus()) return false;
  FFocusControl->SetFocus();
  return true;
}

void TCustomLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TCustomLabel::TextChanged() {
  TGraphicControl::TextChanged();
  AdjustBounds();
  Invalidate();
}

void TCustomLabel::FontChanged() {
  TGraphicControl::FontChanged();
  AdjustBounds();
}

void TCustomLabel::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush().SetStyle(FTransparent ? bsClear : bsSolid);
  canvas.Brush().SetColor(Color());
  const std::vector<AnsiString> lines = DisplayLines();
  int total = 0;
  for (const AnsiString& line : lines) total += canvas.TextHeight(line);
  int y = FLayout == tlTop ? 0 : FLayout == tlCenter ? (Height() - total) / 2 : Height() - total;
  for (const AnsiString& line : lines) {
    const int w = canvas.TextWidth(line);
    const int x = FAlignment == taLeftJustify ? 0 : FAlignment == taRightJustify ? Width() - w : (Width() - w) / 2;
    canvas.TextOut(x, y, line);
    y += canvas.TextHeight(line);
  }
}

// ---- TCustomEdit ----

TCustomEdit::TCustomEdit(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 121, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

int TCustomEdit::TextCodePage() const { return EditCodePage(*Font()); }

int TCustomEdit::CharStart(int pos) const { return CharStartIn(TextCodePage(), Text(), pos); }

int TCustomEdit::CharEnd(int pos) const { return CharEndIn(TextCodePage(), Text(), pos); }

AnsiString TCustomEdit::FitToRoom(const AnsiString& bytes, int room) const {
  return FitPrefix(TextCodePage(), bytes, room);
}

int TCustomEdit::RoomFor(int removing) const {
  if (FMaxLength == 0) return INT_MAX;
  const int64_t room = int64_t{FMaxLength} - (static_cast<int64_t>(Text().size()) - removing);
  return room < 0 ? 0 : static_cast<int>(std::min<int64_t>(room, INT_MAX));
}

AnsiString TCustomEdit::ApplyCharCase(const AnsiString& text) const {
  switch (FCharCase) {
    case ecUpperCase: return UpperCase(text, TextCodePage());
    case ecLowerCase: return LowerCase(text, TextCodePage());
    default: return text;
  }
}

void TCustomEdit::SetText(const AnsiString& text) { TWinControl::SetText(ApplyCharCase(text)); }

void TCustomEdit::TextChanged() {
  TWinControl::TextChanged();
  // Read and clear first: an OnChange handler that sets the text by code
  // must not be taken for the user.
  const bool user = FUserEditing;
  FUserEditing = false;
  FPendingLead = 0;
  if (user) {
    FCaret = FAnchor = std::clamp(FUserCaret, 0, static_cast<int>(Text().size()));
    FModified = true;
  } else {
    FCaret = FAnchor = 0;
    FModified = false;
  }
  Invalidate();
  Change();
}

void TCustomEdit::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomEdit::SetMaxLength(int value) {
  if (value < 0)
    throw EInvalidOperation(Describe(this) + ".MaxLength: " + std::to_string(value) + " is negative");
  FMaxLength = value;
}

void TCustomEdit::SetCharCase(TEditCharCase value) {
  CheckEnum(this, "CharCase", value, ecLowerCase);
  if (value == FCharCase) return;
  FCharCase = value;
  TWinControl::SetText(ApplyCharCase(Text()));
}

int TCustomEdit::SelStart() const { return std::min(FCaret, FAnchor); }

int TCustomEdit::SelLength() const { return std::abs(FCaret - FAnchor); }

void TCustomEdit::SetSelStart(int value) {
  FCaret = FAnchor = CharStart(value);
}

void TCustomEdit::SetSelLength(int value) {
  const int start = SelStart();
  const int64_t end = std::min<int64_t>(int64_t{start} + std::max(value, 0), static_cast<int64_t>(Text().size()));
  FAnchor = start;
  FCaret = CharEnd(static_cast<int>(end));
}

AnsiString TCustomEdit::SelText() const { return Text().substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelLength())); }

void TCustomEdit::SetSelText(const AnsiString& value) {
  ReplaceRange(SelStart(), SelLength(), FitToRoom(value, RoomFor(SelLength())));
}

void TCustomEdit::SelectAll() {
  FAnchor = 0;
  FCaret = static_cast<int>(Text().size());
}

void TCustomEdit::ClearSelection() {
  if (SelLength() > 0) ReplaceRange(SelStart(), SelLength(), AnsiString());
}

void TCustomEdit::PasteText(const AnsiString& text) {
  if (!CanModify()) return;
  // One line: the paste ends at its first line break.
  const size_t end = text.find_first_of("\r\n");
  ReplaceRange(SelStart(), SelLength(), FitToRoom(text.substr(0, end), RoomFor(SelLength())));
}

AnsiString TCustomEdit::DisplayText() const {
  if (FPasswordChar == 0) return Text();
  const AnsiString& text = Text();
  const int cp = TextCodePage();
  size_t count = 0;
  for (size_t i = 0; i < text.size(); i += static_cast<size_t>(CharLengthAt(cp, text, i))) ++count;
  return AnsiString(count, FPasswordChar);
}

void TCustomEdit::MoveCaret(int pos, bool extend) {
  FCaret = CharStart(pos);
  if (!extend) FAnchor = FCaret;
}

void TCustomEdit::SetUserText(const AnsiString& text, int caret) {
  const AnsiString cased = ApplyCharCase(text);
  if (cased == Text()) {
    MoveCaret(caret, false);
    return;
  }
  FUserEditing = true;
  FUserCaret = caret;
  try {
    TWinControl::SetText(cased);
  } catch (...) {
    FUserEditing = false;
    throw;
  }
  FUserEditing = false;
}

void TCustomEdit::ReplaceRange(int start, int length, const AnsiString& bytes) {
  const AnsiString& text = Text();
  start = std::clamp(start, 0, static_cast<int>(text.size()));
  length = std::clamp(length, 0, static_cast<int>(text.size()) - start);
  AnsiString next = text.substr(0, static_cast<size_t>(start)) + bytes +
                    text.substr(static_cast<size_t>(start + length));
  SetUserText(next, start + static_cast<int>(bytes.size()));
}

bool TCustomEdit::IsValidChar(char) const { return true; }

void TCustomEdit::InsertChar(const AnsiString& ch) {
  if (!CanModify()) return;
  // A character that does not fit is refused whole, never cut in two.
  if (static_cast<int64_t>(ch.size()) > RoomFor(SelLength())) return;
  ReplaceRange(SelStart(), SelLength(), ch);
}

void TCustomEdit::DeleteBackward() {
  if (!CanModify()) return;
  if (SelLength() > 0) {
    ReplaceRange(SelStart(), SelLength(), AnsiString());
  } else if (FCaret > 0) {
    const int from = PrevCaretPos(FCaret);
    ReplaceRange(from, FCaret - from, AnsiString());
  }
}

void TCustomEdit::DeleteForward() {
  if (!CanModify()) return;
  if (SelLength() > 0) {
    ReplaceRange(SelStart(), SelLength(), AnsiString());
  } else if (FCaret < static_cast<int>(Text().size())) {
    ReplaceRange(FCaret, NextCaretPos(FCaret) - FCaret, AnsiString());
  }
}

int TCustomEdit::PrevCaretPos(int pos) const { return pos <= 0 ? 0 : CharStart(pos - 1); }

int TCustomEdit::NextCaretPos(int pos) const {
  const AnsiString& text = Text();
  if (pos >= static_cast<int>(text.size())) return static_cast<int>(text.size());
  const int start = CharStart(pos);
  return start + CharLengthAt(TextCodePage(), text, static_cast<size_t>(start));
}

int TCustomEdit::HomeCaretPos(int) const { return 0; }

int TCustomEdit::EndCaretPos(int) const { return static_cast<int>(Text().size()); }

bool TCustomEdit::EditKeyDown(uint16_t, TShiftState) { return false; }

bool TCustomEdit::EditControlChar(char) { return false; }

int TCustomEdit::PosFromPoint(int x, int) const {
  const AnsiString& text = Text();
  const int cp = TextCodePage();
  int left = 0;
  size_t i = 0;
  while (i < text.size()) {
    const size_t len = static_cast<size_t>(CharLengthAt(cp, text, i));
    const int w = FPasswordChar != 0 ? TextWidthOf(*Font(), std::string_view(&FPasswordChar, 1))
                                     : TextWidthOf(*Font(), std::string_view(text).substr(i, len));
    if (x < left + (w + 1) / 2) break;
    left += w;
    i += len;
  }
  return static_cast<int>(i);
}

void TCustomEdit::DoEnter() {
  if (FAutoSelect) SelectAll();
  TWinControl::DoEnter();
}

void TCustomEdit::DoExit() {
  FPendingLead = 0;
  TWinControl::DoExit();
}

void TCustomEdit::KeyDown(uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  const bool extend = shift.Contains(ssShift);
  const bool ctrl = shift.Contains(ssCtrl);
  const bool alt = shift.Contains(ssAlt);
  switch (key) {
    case VK_LEFT:
      FPendingLead = 0;
      if (!extend && SelLength() > 0)
        MoveCaret(SelStart(), false);
      else
        MoveCaret(PrevCaretPos(FCaret), extend);
      return;
    case VK_RIGHT:
      FPendingLead = 0;
      if (!extend && SelLength() > 0)
        MoveCaret(SelStart() + SelLength(), false);
      else
        MoveCaret(NextCaretPos(FCaret), extend);
      return;
    case VK_HOME:
      FPendingLead = 0;
      MoveCaret(HomeCaretPos(FCaret), extend);
      return;
    case VK_END:
      FPendingLead = 0;
      MoveCaret(EndCaretPos(FCaret), extend);
      return;
    case VK_DELETE:
      FPendingLead = 0;
      DeleteForward();
      return;
    default:
      break;
  }
  if (key == 'A' && ctrl && !alt) {
    FPendingLead = 0;
    SelectAll();
    return;
  }
  if (EditKeyDown(key, shift)) key = 0;
}

void TCustomEdit::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0) return;
  TypeByte(key);
}

void TCustomEdit::TypeByte(char key) {
  const auto byte = static_cast<unsigned char>(key);
  if (FPendingLead != 0) {
    const char lead = FPendingLead;
    FPendingLead = 0;
    if (byte >= 0x40) {
      InsertChar(AnsiString{lead, key});
      return;
    }
    // Not a trail byte: the held lead byte is dropped and this byte stands
    // on its own.
  }
  if (byte == 8) {
    DeleteBackward();
    return;
  }
  if (byte < 0x20 || byte == 0x7F) {
    EditControlChar(key);
    return;
  }
  if (!IsValidChar(key)) return;
  if (IsDBCSLeadByteEx(TextCodePage(), byte)) {
    if (CanModify()) FPendingLead = key;
    return;
  }
  InsertChar(AnsiString(1, key));
}

void TCustomEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  FPendingLead = 0;
  MoveCaret(PosFromPoint(x, y), shift.Contains(ssShift));
}

// ---- TCustomMemo ----

// The lines of a memo as a view of its text: every change rewrites the
// memo's text; inside BeginUpdate/EndUpdate the lines are held and written
// once at the end.
class TCustomMemo::TMemoStrings : public TStrings {
public:
  explicit TMemoStrings(TCustomMemo& memo) : FMemo(memo) {}

  AnsiString Get(int index) const override {
    CheckIndex(index);
    return Current()[static_cast<size_t>(index)];
  }
  int GetCount() const override { return static_cast<int>(Current().size()); }

  void Put(int index, const AnsiString& s) override {
    CheckIndex(index);
    std::vector<AnsiString> lines = Current();
    if (lines[static_cast<size_t>(index)] == s) return;
    lines[static_cast<size_t>(index)] = s;
    Store(std::move(lines));
  }
  void Insert(int index, const AnsiString& s) override {
    CheckIndex(index, true);
    std::vector<AnsiString> lines = Current();
    lines.insert(lines.begin() + index, s);
    Store(std::move(lines));
  }
  void Delete(int index) override {
    CheckIndex(index);
    std::vector<AnsiString> lines = Current();
    lines.erase(lines.begin() + index);
    Store(std::move(lines));
  }
  void Clear() override {
    if (GetCount() == 0) return;
    Store({});
  }

protected:
  void SetUpdateState(bool updating) override {
    if (updating) {
      FHeldLines = Current();
      FHeld = true;
      return;
    }
    FHeld = false;
    FMemo.SetText(JoinLines(FHeldLines));
    FHeldLines.clear();
  }

private:
  const std::vector<AnsiString>& Current() const {
    if (FHeld) return FHeldLines;
    if (!FCacheValid || FCacheText != FMemo.Text()) {
      FCacheText = FMemo.Text();
      FCacheLines = FCacheText.empty() ? std::vector<AnsiString>{} : SplitLines(FCacheText, false);
      FCacheValid = true;
    }
    return FCacheLines;
  }
  void Store(std::vector<AnsiString> lines) {
    Changing();
    if (FHeld)
      FHeldLines = std::move(lines);
    else
      FMemo.SetText(JoinLines(lines));
    Changed();
  }

  TCustomMemo& FMemo;
  bool FHeld = false;
  std::vector<AnsiString> FHeldLines;
  mutable bool FCacheValid = false;
  mutable AnsiString FCacheText;
  mutable std::vector<AnsiString> FCacheLines;
};

TCustomMemo::TCustomMemo(TComponent* owner) : TCustomEdit(owner), FLines(new TMemoStrings(*this)) {
  SetBounds(0, 0, 185, 89);
}

TCustomMemo::~TCustomMemo() { delete FLines; }

TStrings* TCustomMemo::Lines() const { return FLines; }

void TCustomMemo::SetLines(TStrings* lines) {
  if (lines == nullptr) throw EInvalidOperation(Describe(this) + ".Lines: no list given");
  FLines->Assign(*lines);
}

void TCustomMemo::SetScrollBars(TScrollStyle value) {
  CheckEnum(this, "ScrollBars", value, ssBoth);
  FScrollBars = value;
}

int TCustomMemo::LineStart(int line) const {
  // Past the last line: the last line's start.
  const AnsiString& text = Text();
  int current = 0;
  size_t start = 0;
  size_t i = 0;
  while (current < line && i < text.size()) {
    if (size_t b = BreakAt(text, i)) {
      i += b;
      start = i;
      ++current;
    } else {
      ++i;
    }
  }
  return static_cast<int>(start);
}

int TCustomMemo::LineOf(int pos) const {
  const AnsiString& text = Text();
  int line = 0;
  size_t i = 0;
  while (i < text.size() && static_cast<int>(i) < pos) {
    if (size_t b = BreakAt(text, i)) {
      if (static_cast<int>(i + b) > pos) break;  // inside the break: still this line
      i += b;
      ++line;
    } else {
      ++i;
    }
  }
  return line;
}

int TCustomMemo::LineEnd(int pos) const {
  const AnsiString& text = Text();
  size_t i = static_cast<size_t>(LineStart(LineOf(pos)));
  while (i < text.size() && BreakAt(text, i) == 0) ++i;
  return static_cast<int>(i);
}

TPoint TCustomMemo::CaretPos() const {
  const int line = LineOf(CaretIndex());
  return Point(CaretIndex() - LineStart(line), line);
}

void TCustomMemo::SetCaretPos(TPoint pos) {
  const int lastLine = LineOf(static_cast<int>(Text().size()));
  const int line = std::clamp(pos.Y, 0, lastLine);
  const int start = LineStart(line);
  const int end = LineEnd(start);
  MoveCaret(start + std::clamp(pos.X, 0, end - start), false);
}

void TCustomMemo::PasteText(const AnsiString& text) {
  if (!CanModify()) return;
  ReplaceRange(SelStart(), SelLength(), FitToRoom(text, RoomFor(SelLength())));
}

void TCustomMemo::DoEnter() { TWinControl::DoEnter(); }

int TCustomMemo::HomeCaretPos(int pos) const { return LineStart(LineOf(pos)); }

int TCustomMemo::EndCaretPos(int pos) const { return LineEnd(pos); }

int TCustomMemo::PrevCaretPos(int pos) const {
  // A CR LF pair is one step.
  const AnsiString& text = Text();
  if (pos >= 2 && text.compare(static_cast<size_t>(pos - 2), 2, "\r\n") == 0) return pos - 2;
  return TCustomEdit::PrevCaretPos(pos);
}

int TCustomMemo::NextCaretPos(int pos) const {
  const AnsiString& text = Text();
  if (pos >= 0 && BreakAt(text, static_cast<size_t>(pos)) == 2) return pos + 2;
  return TCustomEdit::NextCaretPos(pos);
}

bool TCustomMemo::EditKeyDown(uint16_t key, TShiftState shift) {
  const bool plain = !shift.Contains(ssCtrl) && !shift.Contains(ssAlt);
  if (key == VK_UP || key == VK_DOWN) {
    const TPoint caret = CaretPos();
    const int lastLine = LineOf(static_cast<int>(Text().size()));
    const int line = std::clamp(caret.Y + (key == VK_UP ? -1 : 1), 0, lastLine);
    if (line != caret.Y) {
      const int start = LineStart(line);
      MoveCaret(start + std::min(caret.X, LineEnd(start) - start), shift.Contains(ssShift));
    }
    return true;
  }
  // Taken here so that the form neither presses its default button nor
  // moves the focus; the character that follows inserts the break or tab.
  if (key == VK_RETURN && plain && FWantReturns) return true;
  if (key == VK_TAB && plain && FWantTabs) return true;
  return false;
}

bool TCustomMemo::EditControlChar(char key) {
  if (key == '\r' && FWantReturns) {
    InsertChar("\r\n");
    return true;
  }
  if (key == '\t' && FWantTabs) {
    InsertChar("\t");
    return true;
  }
  return false;
}

int TCustomMemo::PosFromPoint(int x, int y) const {
  const int lineHeight = std::max(1, LineHeightOf(*Font()));
  const int lastLine = LineOf(static_cast<int>(Text().size()));
  const int line = std::clamp(y / lineHeight, 0, lastLine);
  const int start = LineStart(line);
  const int end = LineEnd(start);
  const AnsiString& text = Text();
  const int cp = TextCodePage();
  int left = 0;
  int i = start;
  while (i < end) {
    const int len = CharLengthAt(cp, text, static_cast<size_t>(i));
    const int w = TextWidthOf(*Font(), std::string_view(text).substr(static_cast<size_t>(i), static_cast<size_t>(len)));
    if (x < left + (w + 1) / 2) break;
    left += w;
    i += len;
  }
  return i;
}

// ---- TControlItems ----

int TControlItems::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TControlItems::AddObject(const AnsiString& s, void* object) {
  const int before = GetCount();
  const int index = TStringList::AddObject(s, object);
  if (GetCount() != before) FOwner.ItemInserted(index);
  return index;
}

void TControlItems::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TControlItems::InsertObject(int index, const AnsiString& s, void* object) {
  TStringList::InsertObject(index, s, object);
  FOwner.ItemInserted(index);
}

void TControlItems::Put(int index, const AnsiString& s) {
  if (!Sorted()) {
    TStringList::Put(index, s);
    return;
  }
  // A sorted list finds the new text its own place.
  CheckIndex(index);
  void* object = GetObject(index);
  BeginUpdate();
  try {
    Delete(index);
    AddObject(s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TControlItems::Delete(int index) {
  TStringList::Delete(index);
  FOwner.ItemDeleted(index);
}

void TControlItems::Clear() {
  if (GetCount() == 0) return;
  TStringList::Clear();
  FOwner.ItemsCleared();
}

void TControlItems::SetSortedTracked(bool sorted) {
  if (sorted == Sorted()) return;
  if (!sorted) {
    SetSorted(false);
    return;
  }
  // The list sorts stably by CompareStrings; the same stable sort of the
  // indices tells where each line goes.
  std::vector<int> order(static_cast<size_t>(GetCount()));
  std::iota(order.begin(), order.end(), 0);
  std::vector<AnsiString> texts;
  for (int i = 0; i < GetCount(); ++i) texts.push_back(Get(i));
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    return CompareStrings(texts[static_cast<size_t>(a)], texts[static_cast<size_t>(b)]) < 0;
  });
  std::vector<int> newIndexOf(order.size());
  for (size_t k = 0; k < order.size(); ++k) newIndexOf[static_cast<size_t>(order[k])] = static_cast<int>(k);
  SetSorted(true);
  FOwner.ItemsMoved(newIndexOf);
}

// ---- TCustomListBox ----

TCustomListBox::TCustomListBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TControlItems>(static_cast<TControlItems::IOwner&>(*this))) {
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
}

TCustomListBox::~TCustomListBox() = default;

TStrings* TCustomListBox::Items() const { return FItems.get(); }

void TCustomListBox::SetItems(TStrings* items) {
  if (items == nullptr) throw EInvalidOperation(Describe(this) + ".Items: no list given");
  FItems->Assign(*items);
}

void TCustomListBox::Clear() { FItems->Clear(); }

void TCustomListBox::SetItemIndex(int index) {
  if (IsLoading(this)) {
    // Items may come later in the resource.
    FLoadedItemIndex = index;
    return;
  }
  if (index < -1 || index >= FItems->Count()) IndexError(this, index);
  if (!FMultiSelect) {
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (index >= 0) FSelected[static_cast<size_t>(index)] = true;
  }
  if (index == FItemIndex) return;
  FItemIndex = index;
  Invalidate();
}

void TCustomListBox::Loaded() {
  TWinControl::Loaded();
  if (FLoadedItemIndex == -1) return;
  const int index = FLoadedItemIndex;
  FLoadedItemIndex = -1;
  SetItemIndex(index);
}

void TCustomListBox::SetStyle(TListBoxStyle value) {
  CheckEnum(this, "Style", value, lbVirtualOwnerDraw);
  if (value == FStyle) return;
  FStyle = value;
  Invalidate();
}

void TCustomListBox::SetItemHeight(int value) {
  if (value <= 0)
    throw EInvalidOperation(Describe(this) + ".ItemHeight: " + std::to_string(value) + " is not positive");
  if (value == FItemHeight) return;
  FItemHeight = value;
  Invalidate();
}

void TCustomListBox::SetMultiSelect(bool value) {
  if (value == FMultiSelect) return;
  FMultiSelect = value;
  if (!value) {
    std::fill(FSelected.begin(), FSelected.end(), false);
    if (FItemIndex >= 0) FSelected[static_cast<size_t>(FItemIndex)] = true;
  }
  Invalidate();
}

bool TCustomListBox::Selected(int index) const {
  if (index < 0 || index >= FItems->Count()) IndexError(this, index);
  return FSelected[static_cast<size_t>(index)];
}

void TCustomListBox::SetSelected(int index, bool value) {
  if (index < 0 || index >= FItems->Count()) IndexError(this, index);
  if (!FMultiSelect) {
    if (value)
      SetItemIndex(index);
    else if (index == FItemIndex)
      SetItemIndex(-1);
    return;
  }
  FSelected[static_cast<size_t>(index)] = value;
  Invalidate();
}

int TCustomListBox::SelCount() const {
  return static_cast<int>(std::count(FSelected.begin(), FSelected.end(), true));
}

void TCustomListBox::SetSorted(bool value) {
  if (value == FSorted) return;
  FSorted = value;
  FItems->SetSortedTracked(value);
}

void TCustomListBox::SetTopIndex(int value) {
  FTopIndex = std::clamp(value, 0, std::max(0, FItems->Count() - 1));
  Invalidate();
}

int TCustomListBox::ItemHeightOf(int index) const {
  switch (FStyle) {
    case lbStandard:
      return LineHeightOf(*Font());
    case lbOwnerDrawVariable: {
      int height = FItemHeight;
      const_cast<TCustomListBox*>(this)->MeasureItem(index, height);
      return height;
    }
    default:
      return FItemHeight;
  }
}

void TCustomListBox::MeasureItem(int index, int& height) {
  if (FOnMeasureItem) FOnMeasureItem(this, index, height);
}

TRect TCustomListBox::ItemRect(int index) const {
  if (index < 0 || index >= FItems->Count()) IndexError(this, index);
  int y = 0;
  if (index >= FTopIndex) {
    for (int i = FTopIndex; i < index; ++i) y += ItemHeightOf(i);
  } else {
    for (int i = index; i < FTopIndex; ++i) y -= ItemHeightOf(i);
  }
  return Rect(0, y, ClientWidth(), y + ItemHeightOf(index));
}

int TCustomListBox::ItemAtPos(TPoint pos) const {
  if (pos.X < 0 || pos.X >= ClientWidth() || pos.Y < 0) return -1;
  int y = 0;
  for (int i = FTopIndex; i < FItems->Count(); ++i) {
    const int h = ItemHeightOf(i);
    if (pos.Y < y + h) return i;
    y += h;
  }
  return -1;
}

void TCustomListBox::Repaint() {
  TWinControl::Repaint();
  FCanvas.ClearTexts();
  FCanvas.Font().Assign(Font());
  FCanvas.Brush().SetColor(Color());
  const bool focused = Focused();
  int y = 0;
  for (int i = FTopIndex; i < FItems->Count() && y < ClientHeight(); ++i) {
    const int h = ItemHeightOf(i);
    TOwnerDrawState state;
    if (FSelected[static_cast<size_t>(i)]) state.Include(odSelected);
    if (focused && i == FItemIndex) state.Include(odFocused);
    if (!Enabled()) state.Include(odDisabled);
    DrawItem(i, Rect(0, y, ClientWidth(), y + h), state);
    y += h;
  }
}

void TCustomListBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  const bool ownerDraw = FStyle == lbOwnerDrawFixed || FStyle == lbOwnerDrawVariable || FStyle == lbVirtualOwnerDraw;
  if (ownerDraw && FOnDrawItem) {
    FOnDrawItem(this, index, rect, state);
    return;
  }
  FCanvas.TextRect(rect, rect.Left + 2, rect.Top, FItems->Get(index));
}

void TCustomListBox::UserSelect(int index) {
  if (FMultiSelect) {
    FItemIndex = index;
  } else {
    SetItemIndex(index);
  }
  // Keep the item in view (uniform heights: the styles other than variable).
  if (index < FTopIndex) {
    FTopIndex = index;
  } else if (FStyle != lbOwnerDrawVariable) {
    const int h = std::max(1, ItemHeightOf(index));
    const int visible = std::max(1, ClientHeight() / h);
    if (index >= FTopIndex + visible) FTopIndex = index - visible + 1;
  }
  Invalidate();
}

void TCustomListBox::KeyDown(uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  const int count = FItems->Count();
  if (key == 0 || count == 0) return;
  const int current = FItemIndex;
  const int page = std::max(1, ClientHeight() / std::max(1, ItemHeightOf(std::max(current, 0))) - 1);
  int target = current;
  switch (key) {
    case VK_UP: target = current <= 0 ? 0 : current - 1; break;
    case VK_DOWN: target = current < 0 ? 0 : std::min(count - 1, current + 1); break;
    case VK_HOME: target = 0; break;
    case VK_END: target = count - 1; break;
    case VK_PRIOR: target = std::max(0, current - page); break;
    case VK_NEXT: target = std::min(count - 1, std::max(current, 0) + page); break;
    default: return;
  }
  key = 0;
  if (target == current) return;
  UserSelect(target);
  if (FMultiSelect) {
    std::fill(FSelected.begin(), FSelected.end(), false);
    FSelected[static_cast<size_t>(target)] = true;
  }
  Click();
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  const int index = ItemAtPos(Point(x, y));
  if (index < 0) return;
  if (FMultiSelect) FSelected[static_cast<size_t>(index)] = !FSelected[static_cast<size_t>(index)];
  UserSelect(index);
}

void TCustomListBox::ItemInserted(int index) {
  FSelected.insert(FSelected.begin() + index, false);
  if (FItemIndex >= index) ++FItemIndex;
  Invalidate();
}

void TCustomListBox::ItemDeleted(int index) {
  FSelected.erase(FSelected.begin() + index);
  if (FItemIndex == index)
    FItemIndex = -1;
  else if (FItemIndex > index)
    --FItemIndex;
  if (FTopIndex > 0 && FTopIndex >= FItems->Count()) FTopIndex = std::max(0, FItems->Count() - 1);
  Invalidate();
}

void TCustomListBox::ItemsCleared() {
  FSelected.clear();
  FItemIndex = -1;
  FTopIndex = 0;
  Invalidate();
}

void TCustomListBox::ItemsMoved(const std::vector<int>& newIndexOf) {
  std::vector<bool> selected(FSelected.size());
  for (size_t i = 0; i < newIndexOf.size(); ++i) selected[static_cast<size_t>(newIndexOf[i])] = FSelected[i];
  FSelected = std::move(selected);
  if (FItemIndex >= 0) FItemIndex = newIndexOf[static_cast<size_t>(FItemIndex)];
  Invalidate();
}

// ---- TCustomGroupBox ----

TCustomGroupBox::TCustomGroupBox(TComponent* owner) : TCustomControl(owner) { SetBounds(0, 0, 185, 105); }

int TCustomGroupBox::CaptionHeight() const { return LineHeightOf(*Font()); }

void TCustomGroupBox::AdjustClientRect(TRect& rect) const {
  rect.Top += CaptionHeight();
  // One pixel of frame and one of margin on every side.
  rect.Left += 2;
  rect.Top += 2;
  rect.Right -= 2;
  rect.Bottom -= 2;
}

TRect TCustomGroupBox::FrameClientRect() const {
  TRect rect = ClientRect();
  AdjustClientRect(rect);
  return rect;
}

void TCustomGroupBox::FontChanged() {
  TCustomControl::FontChanged();
  // The caption's height moved the frame's inside.
  Realign();
}

void TCustomGroupBox::Paint() {
  TCanvas& canvas = Canvas();
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(Color());
  if (!Caption().empty()) canvas.TextOut(8, 0, Caption());
}

// ---- TButtonControl ----

TButtonControl::TButtonControl(TComponent* owner) : TWinControl(owner) {}

bool TButtonControl::DialogChar(char key) {
  if (!IsAccelerator(Caption(), key) || !CanFocus()) return false;
  SetFocus();
  if (Focused() && UserToggle()) Click();
  return true;
}

void TButtonControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  FSwallowClick = false;
  FPressed = false;
  if (button == mbLeft) {
    // A press focuses the button even when it is no tab stop (an unchecked
    // radio button); a press whose focus change went elsewhere is lost.
    if (!Focused() && CanFocus()) {
      SetFocus();
      if (!Focused()) return;
    }
    FPressed = true;
  }
  TWinControl::MouseDown(button, shift, x, y);
}

void TButtonControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || !FPressed) return;
  FPressed = false;
  // The input door clicks a control that is still enabled and visible
  // right after this; the state changes first, as the button's release
  // changes it before the click is reported.
  if (Enabled() && Visible()) FSwallowClick = !UserToggle();
}

void TButtonControl::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key != ' ') return;
  key = 0;
  if (UserToggle()) Click();
}

void TButtonControl::Click() {
  if (FSwallowClick) {
    FSwallowClick = false;
    return;
  }
  TWinControl::Click();
}

// ---- TCustomCheckBox ----

TCustomCheckBox::TCustomCheckBox(TComponent* owner) : TButtonControl(owner) {
  SetBounds(0, 0, 97, 17);
  SetTabStop(true);
}

void TCustomCheckBox::SetChecked(bool value) { SetState(value ? cbChecked : cbUnchecked); }

void TCustomCheckBox::SetState(TCheckBoxState value) {
  CheckEnum(this, "State", value, cbGrayed);
  if (value == FState) return;
  FState = value;
  Invalidate();
  if (!ClicksDisabled()) Click();
}

void TCustomCheckBox::SetAllowGrayed(bool value) { FAllowGrayed = value; }

void TCustomCheckBox::SetAlignment(TAlignment value) {
  if (value != taLeftJustify && value != taRightJustify)
    throw EConvertError(Describe(this) + ".Alignment: " + std::to_string(static_cast<int>(value)) +
                        " is not taLeftJustify or taRightJustify");
  FAlignment = value;
}

bool TCustomCheckBox::UserToggle() {
  switch (FState) {
    case cbUnchecked: FState = FAllowGrayed ? cbGrayed : cbChecked; break;
    case cbGrayed: FState = cbChecked; break;
    case cbChecked: FState = cbUnchecked; break;
  }
  Invalidate();
  return true;
}

// ---- TRadioButton ----

TRadioButton::TRadioButton(TComponent* owner) : TButtonControl(owner) { SetBounds(0, 0, 113, 17); }

void TRadioButton::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  SetTabStop(value);
  Invalidate();
  if (!value) return;
  TurnSiblingsOff();
  if (!ClicksDisabled()) Click();
}

void TRadioButton::SetAlignment(TAlignment value) {
  if (value != taLeftJustify && value != taRightJustify)
    throw EConvertError(Describe(this) + ".Alignment: " + std::to_string(static_cast<int>(value)) +
                        " is not taLeftJustify or taRightJustify");
  FAlignment = value;
}

void TRadioButton::TurnSiblingsOff() {
  TWinControl* parent = Parent();
  if (parent == nullptr) return;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* sibling = dynamic_cast<TRadioButton*>(parent->Controls(i));
    if (sibling != nullptr && sibling != this && sibling->Checked()) sibling->SetChecked(false);
  }
}

bool TRadioButton::UserToggle() {
  if (FChecked) return false;
  FChecked = true;
  SetTabStop(true);
  Invalidate();
  TurnSiblingsOff();
  return true;
}

void TRadioButton::KeyDown(uint16_t& key, TShiftState shift) {
  TButtonControl::KeyDown(key, shift);
  if (key != VK_UP && key != VK_LEFT && key != VK_DOWN && key != VK_RIGHT) return;
  TWinControl* parent = Parent();
  if (parent == nullptr || shift.Contains(ssCtrl) || shift.Contains(ssAlt)) return;
  const bool forward = key == VK_DOWN || key == VK_RIGHT;
  key = 0;
  std::vector<TWinControl*> all;
  parent->GetTabOrderList(all);
  std::vector<TRadioButton*> group;
  for (TWinControl* c : all) {
    auto* rb = dynamic_cast<TRadioButton*>(c);
    if (rb != nullptr && rb->Parent() == parent && (rb == this || rb->CanFocus())) group.push_back(rb);
  }
  const auto self = std::find(group.begin(), group.end(), this);
  if (group.size() < 2 || self == group.end()) return;
  const size_t at = static_cast<size_t>(self - group.begin());
  TRadioButton* next = group[(at + (forward ? 1 : group.size() - 1)) % group.size()];
  next->SetFocus();
  if (next->Focused() && next->UserToggle()) next->Click();
}

// ---- TCustomComboBox ----

// The editable part of a combo box: an edit with no parent and no owner,
// so that typing follows exactly the edit's rules; it reports the user's
// changes to its combo box.
class TCustomComboBox::TComboEdit : public TCustomEdit {
public:
  explicit TComboEdit(TCustomComboBox& combo) : TCustomEdit(nullptr), FCombo(combo) {}

protected:
  void Change() override {
    TCustomEdit::Change();
    if (!FCombo.FShowing) FCombo.EditTextChanged(Text());
  }
  bool CanModify() const override { return TCustomEdit::CanModify() && FCombo.IsEditable(); }

private:
  TCustomComboBox& FCombo;
};

TCustomComboBox::TCustomComboBox(TComponent* owner)
    : TWinControl(owner), FItems(std::make_unique<TControlItems>(static_cast<TControlItems::IOwner&>(*this))) {
  SetBounds(0, 0, 145, 21);
  SetTabStop(true);
  SetParentColor(false);
  SetColor(clWindow);
  FEdit = NewObject<TComboEdit>(*this);
  FEdit->SetFont(Font());
}

TCustomComboBox::~TCustomComboBox() {
  // Normally freed in BeforeDestruction; a combo deleted without Free still
  // releases its editable part.
  FreeAndNil(FEdit);
}

void TCustomComboBox::BeforeDestruction() {
  FreeAndNil(FEdit);
  TWinControl::BeforeDestruction();
}

TStrings* TCustomComboBox::Items() const { return FItems.get(); }

void TCustomComboBox::SetItems(TStrings* items) {
  if (items == nullptr) throw EInvalidOperation(Describe(this) + ".Items: no list given");
  FItems->Assign(*items);
}

void TCustomComboBox::ShowText(const AnsiString& text) {
  TFlagScope showing(FShowing);
  TControl::SetText(text);
  if (FEdit != nullptr) {
    FEdit->SetText(text);
    // A shown item's text is selected, as a choice from the list leaves it.
    FEdit->SelectAll();
  }
}

int TCustomComboBox::FindExact(const AnsiString& text) const {
  const int cp = EditCodePage(*Font());
  for (int i = 0; i < FItems->Count(); ++i) {
    const AnsiString item = FItems->Get(i);
    if (item.size() == text.size() && CompareText(item, text, cp) == 0) return i;
  }
  return -1;
}

void TCustomComboBox::SetItemIndex(int index) {
  if (IsLoading(this)) {
    FLoadedItemIndex = index;
    return;
  }
  if (index < -1 || index >= FItems->Count()) IndexError(this, index);
  FItemIndex = index;
  ShowText(index >= 0 ? FItems->Get(index) : AnsiString());
  Invalidate();
}

void TCustomComboBox::SetText(const AnsiString& text) {
  if (IsLoading(this)) {
    ShowText(text);
    return;
  }
  const int match = FindExact(text);
  FItemIndex = match;
  if (IsEditable())
    ShowText(text);
  else
    ShowText(match >= 0 ? FItems->Get(match) : AnsiString());
  Invalidate();
}

void TCustomComboBox::Loaded() {
  TWinControl::Loaded();
  if (FLoadedItemIndex != -2) {
    const int index = FLoadedItemIndex;
    FLoadedItemIndex = -2;
    if (index >= 0 || Text().empty()) {
      SetItemIndex(index);
      return;
    }
  }
  SetText(Text());
}

void TCustomComboBox::SetStyle(TComboBoxStyle value) {
  CheckEnum(this, "Style", value, csOwnerDrawVariable);
  if (value == FStyle) return;
  FStyle = value;
  if (FStyle == csSimple && FDroppedDown) {
    FDroppedDown = false;
    CloseUp();
  }
  if (!IsEditable() && !IsLoading(this)) ShowText(FItemIndex >= 0 ? FItems->Get(FItemIndex) : AnsiString());
  Invalidate();
}

void TCustomComboBox::SetDropDownCount(int value) {
  if (value <= 0)
    throw EInvalidOperation(Describe(this) + ".DropDownCount: " + std::to_string(value) + " is not positive");
  FDropDownCount = value;
}

void TCustomComboBox::SetSorted(bool value) {
  if (value == FSorted) return;
  FSorted = value;
  FItems->SetSortedTracked(value);
}

int TCustomComboBox::MaxLength() const { return FEdit->MaxLength(); }

void TCustomComboBox::SetMaxLength(int value) {
  try {
    FEdit->SetMaxLength(value);
  } catch (const EInvalidOperation&) {
    throw EInvalidOperation(Describe(this) + ".MaxLength: " + std::to_string(value) + " is negative");
  }
}

void TCustomComboBox::SetItemHeight(int value) {
  if (value <= 0)
    throw EInvalidOperation(Describe(this) + ".ItemHeight: " + std::to_string(value) + " is not positive");
  FItemHeight = value;
  Invalidate();
}

void TCustomComboBox::SetDroppedDown(bool value) {
  if (value == FDroppedDown) return;
  if (value && FStyle == csSimple) return;
  FDroppedDown = value;
  Invalidate();
  if (value)
    DropDown();
  else
    CloseUp();
}

int TCustomComboBox::SelStart() const { return FEdit->SelStart(); }
void TCustomComboBox::SetSelStart(int value) { FEdit->SetSelStart(value); }
int TCustomComboBox::SelLength() const { return FEdit->SelLength(); }
void TCustomComboBox::SetSelLength(int value) { FEdit->SetSelLength(value); }
AnsiString TCustomComboBox::SelText() const { return FEdit->SelText(); }
void TCustomComboBox::SelectAll() { FEdit->SelectAll(); }

void TCustomComboBox::ClickItem(int index) {
  if (index < 0 || index >= FItems->Count()) IndexError(this, index);
  if (FStyle != csSimple && !FDroppedDown)
    throw EInvalidOperation(Describe(this) + ": the list is not open, so item " + std::to_string(index) +
                            " cannot be clicked");
  // The list closes as the mouse chooses, then the choice arrives.
  SetDroppedDown(false);
  UserSelect(index);
}

int TCustomComboBox::ItemHeightOf(int index) const {
  switch (FStyle) {
    case csOwnerDrawFixed:
      return FItemHeight;
    case csOwnerDrawVariable: {
      int height = FItemHeight;
      const_cast<TCustomComboBox*>(this)->MeasureItem(index, height);
      return height;
    }
    default:
      return LineHeightOf(*Font());
  }
}

TRect TCustomComboBox::ItemRect(int index) const {
  if (index < 0 || index >= FItems->Count()) IndexError(this, index);
  int y = Height();
  for (int i = 0; i < index; ++i) y += ItemHeightOf(i);
  return Rect(0, y, Width(), y + ItemHeightOf(index));
}

void TCustomComboBox::Repaint() {
  TWinControl::Repaint();
  FCanvas.ClearTexts();
  FCanvas.Font().Assign(Font());
  FCanvas.Brush().SetColor(Color());
  const bool focused = Focused();
  if (!IsEditable() && FItemIndex >= 0) {
    TOwnerDrawState state{odComboBoxEdit};
    if (focused) state.Include(odSelected).Include(odFocused);
    DrawItem(FItemIndex, Rect(0, 0, std::max(0, Width() - Height()), Height()), state);
  }
  if (!FDroppedDown && FStyle != csSimple) return;
  const int shown = std::min(FItems->Count(), FDropDownCount);
  for (int i = 0; i < shown; ++i) {
    TOwnerDrawState state;
    if (i == FItemIndex) state.Include(odSelected);
    DrawItem(i, ItemRect(i), state);
  }
}

void TCustomComboBox::DrawItem(int index, const TRect& rect, TOwnerDrawState state) {
  const bool ownerDraw = FStyle == csOwnerDrawFixed || FStyle == csOwnerDrawVariable;
  if (ownerDraw && FOnDrawItem) {
    FOnDrawItem(this, index, rect, state);
    return;
  }
  FCanvas.TextRect(rect, rect.Left + 2, rect.Top, FItems->Get(index));
}

void TCustomComboBox::MeasureItem(int index, int& height) {
  if (FOnMeasureItem) FOnMeasureItem(this, index, height);
}

void TCustomComboBox::FontChanged() {
  TWinControl::FontChanged();
  if (FEdit != nullptr) FEdit->SetFont(Font());
}

void TCustomComboBox::Change() {
  if (FOnChange) FOnChange(this);
}

void TCustomComboBox::Select() {
  if (FOnSelect) FOnSelect(this);
}

void TCustomComboBox::DropDown() {
  if (FOnDropDown) FOnDropDown(this);
}

void TCustomComboBox::CloseUp() {
  if (FOnCloseUp) FOnCloseUp(this);
}

void TCustomComboBox::Click() {
  if (FSwallowClick) {
    FSwallowClick = false;
    return;
  }
  TWinControl::Click();
}

void TCustomComboBox::UserSelect(int index) {
  if (index == FItemIndex && Text() == FItems->Get(index)) return;
  FItemIndex = index;
  ShowText(FItems->Get(index));
  Invalidate();
  FSwallowClick = false;
  Click();
  Change();
  Select();
}

void TCustomComboBox::EditTextChanged(const AnsiString& text) {
  TControl::SetText(text);
  FItemIndex = FindExact(text);
  Invalidate();
  Change();
}

void TCustomComboBox::DoEnter() {
  if (IsEditable()) FEdit->SelectAll();
  TWinControl::DoEnter();
}

void TCustomComboBox::DoExit() {
  FPendingLead = 0;
  SetDroppedDown(false);
  TWinControl::DoExit();
}

void TCustomComboBox::KeyDown(uint16_t& key, TShiftState shift) {
  TWinControl::KeyDown(key, shift);
  if (key == 0) return;
  const bool alt = shift.Contains(ssAlt);
  if (((key == VK_DOWN || key == VK_UP) && alt) || (key == VK_F4 && !alt)) {
    key = 0;
    if (FStyle != csSimple) SetDroppedDown(!FDroppedDown);
    return;
  }
  if (FDroppedDown && (key == VK_RETURN || key == VK_ESCAPE)) {
    // Closing the list uses the key: no default or cancel button answers.
    key = 0;
    SetDroppedDown(false);
    return;
  }
  const int count = FItems->Count();
  const int current = FItemIndex;
  const int page = std::max(1, FDropDownCount - 1);
  int target = -2;
  switch (key) {
    case VK_UP: target = current <= 0 ? 0 : current - 1; break;
    case VK_DOWN: target = current < 0 ? 0 : std::min(count - 1, current + 1); break;
    case VK_PRIOR: target = std::max(0, current - page); break;
    case VK_NEXT: target = std::min(count - 1, std::max(current, 0) + page); break;
    case VK_HOME:
      if (!IsEditable()) target = 0;
      break;
    case VK_END:
      if (!IsEditable()) target = count - 1;
      break;
    default: break;
  }
  if (target != -2) {
    key = 0;
    FPendingLead = 0;
    if (count > 0) UserSelect(target);
    return;
  }
  if (IsEditable()) FEdit->KeyDown(key, shift);
}

void TCustomComboBox::KeyPress(char& key) {
  TWinControl::KeyPress(key);
  if (key == 0) return;
  // Enter, Esc and Tab belong to the form.
  if (key == '\r' || key == 27 || key == '\t') return;
  if (IsEditable())
    FEdit->KeyPress(key);
  else
    TypeInList(key);
}

void TCustomComboBox::TypeInList(char key) {
  const auto byte = static_cast<unsigned char>(key);
  const int cp = EditCodePage(*Font());
  AnsiString prefix;
  if (FPendingLead != 0) {
    const char lead = FPendingLead;
    FPendingLead = 0;
    if (byte >= 0x40) prefix = AnsiString{lead, key};
  }
  if (prefix.empty()) {
    if (byte < 0x20) return;
    if (IsDBCSLeadByteEx(cp, byte)) {
      FPendingLead = key;
      return;
    }
    prefix = AnsiString(1, key);
  }
  const int count = FItems->Count();
  for (int step = 1; step <= count; ++step) {
    const int i = ((FItemIndex < 0 ? -1 : FItemIndex) + step) % count;
    const AnsiString item = FItems->Get(i);
    if (item.size() >= prefix.size() && CompareText(item.substr(0, prefix.size()), prefix, cp) == 0) {
      UserSelect(i);
      return;
    }
  }
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TWinControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  FSwallowClick = true;
  if (!IsEditable() || (FStyle == csDropDown && x >= Width() - Height())) {
    SetDroppedDown(!FDroppedDown);
    return;
  }
  FEdit->MouseDown(button, shift, x, y);
}

void TCustomComboBox::ItemInserted(int index) {
  if (FItemIndex >= index) ++FItemIndex;
  Invalidate();
}

void TCustomComboBox::ItemDeleted(int index) {
  if (FItemIndex == index) {
    FItemIndex = -1;
    if (!IsEditable()) ShowText(AnsiString());
  } else if (FItemIndex > index) {
    --FItemIndex;
  }
  Invalidate();
}

void TCustomComboBox::ItemsCleared() {
  // Emptying the list empties the text too, as the original did: whoever
  // refills it restores the selection.
  FItemIndex = -1;
  if (!IsLoading(this)) ShowText(AnsiString());
  Invalidate();
}

void TCustomComboBox::ItemsMoved(const std::vector<int>& newIndexOf) {
  if (FItemIndex >= 0) FItemIndex = newIndexOf[static_cast<size_t>(FItemIndex)];
  Invalidate();
}

// ---- Class records and registration ----
// The abstract TCustom... classes publish nothing of their own; each
// concrete class publishes its set.

const TClass& TCustomLabel::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomLabel>().Build();
  return record;
}

const TClass& TLabel::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TLabel> b;
    TControl::PublishInherited<TLabel>(b, {"Align"});
    b.Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify);
    TControl::PublishInherited<TLabel>(b, {"Anchors"});
    TControl::PublishInherited<TLabel>(b, {"AutoSize"}).Default(true);
    TControl::PublishInherited<TLabel>(b, {"Caption", "Color", "Enabled"});
    b.Property("FocusControl", &TLabel::FocusControl, &TLabel::SetFocusControl);
    TControl::PublishInherited<TLabel>(b, {"Font"});
    b.Property("Layout", &TLabel::Layout, &TLabel::SetLayout).Default(tlTop);
    TControl::PublishInherited<TLabel>(b, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"});
    b.Property("ShowAccelChar", &TLabel::ShowAccelChar, &TLabel::SetShowAccelChar).Default(true);
    TControl::PublishInherited<TLabel>(b, {"ShowHint"});
    b.Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
    TControl::PublishInherited<TLabel>(b, {"Visible"});
    b.Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
    TControl::PublishInherited<TLabel>(b, {"OnClick", "OnDblClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TCustomEdit::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomEdit>().Build();
  return record;
}

const TClass& TEdit::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TEdit> b;
    TControl::PublishInherited<TEdit>(b, {"Anchors"});
    b.Property("AutoSelect", &TEdit::AutoSelect, &TEdit::SetAutoSelect).Default(true);
    b.Property("CharCase", &TEdit::CharCase, &TEdit::SetCharCase).Default(ecNormal);
    TControl::PublishInherited<TEdit>(b, {"Color", "Enabled", "Font"});
    b.Property("ImeName", &TEdit::ImeName, &TEdit::SetImeName, ImeNameTypeInfo());
    b.Property("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0);
    TControl::PublishInherited<TEdit>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TEdit>(b, {"ParentFont", "ParentShowHint"});
    b.Property("PasswordChar", &TEdit::PasswordChar, &TEdit::SetPasswordChar).Default(char(0));
    TControl::PublishInherited<TEdit>(b, {"PopupMenu"});
    b.Property("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false);
    TControl::PublishInherited<TEdit>(b, {"ShowHint", "TabOrder"});
    TControl::PublishInherited<TEdit>(b, {"TabStop"}).Default(true);
    TControl::PublishInherited<TEdit>(b, {"Text", "Visible"});
    b.Property("OnChange", &TEdit::OnChange, &TEdit::SetOnChange);
    TControl::PublishInherited<TEdit>(b, {"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress",
                                          "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TCustomMemo::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomMemo>().Build();
  return record;
}

const TClass& TMemo::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TMemo> b;
    TControl::PublishInherited<TMemo>(b, {"Align", "Anchors", "Color", "Enabled", "Font"});
    b.Property("ImeName", &TMemo::ImeName, &TMemo::SetImeName, ImeNameTypeInfo());
    b.Property("Lines", &TMemo::Lines, &TMemo::SetLines);
    b.Property("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength).Default(0);
    TControl::PublishInherited<TMemo>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TMemo>(b, {"ParentFont", "ParentShowHint", "PopupMenu"});
    b.Property("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly).Default(false);
    b.Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars).Default(ssNone);
    TControl::PublishInherited<TMemo>(b, {"ShowHint", "TabOrder"});
    TControl::PublishInherited<TMemo>(b, {"TabStop"}).Default(true);
    TControl::PublishInherited<TMemo>(b, {"Visible"});
    b.Property("WantReturns", &TMemo::WantReturns, &TMemo::SetWantReturns).Default(true);
    b.Property("WantTabs", &TMemo::WantTabs, &TMemo::SetWantTabs).Default(false);
    b.Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(true);
    b.Property("OnChange", &TMemo::OnChange, &TMemo::SetOnChange);
    TControl::PublishInherited<TMemo>(b, {"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress",
                                          "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TCustomListBox::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomListBox>().Build();
  return record;
}

const TClass& TListBox::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TListBox> b;
    b.Property("Style", &TListBox::Style, &TListBox::SetStyle).Default(lbStandard);
    TControl::PublishInherited<TListBox>(b, {"Align", "Anchors", "Color", "Enabled", "Font"});
    b.Property("ItemHeight", &TListBox::ItemHeight, &TListBox::SetItemHeight).Default(16);
    b.Property("Items", &TListBox::Items, &TListBox::SetItems);
    b.Property("MultiSelect", &TListBox::MultiSelect, &TListBox::SetMultiSelect).Default(false);
    TControl::PublishInherited<TListBox>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TListBox>(b, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"});
    b.Property("Sorted", &TListBox::Sorted, &TListBox::SetSorted).Default(false);
    TControl::PublishInherited<TListBox>(b, {"TabOrder"});
    TControl::PublishInherited<TListBox>(b, {"TabStop"}).Default(true);
    TControl::PublishInherited<TListBox>(b, {"Visible", "OnClick", "OnDblClick"});
    b.Property("OnDrawItem", &TListBox::OnDrawItem, &TListBox::SetOnDrawItem);
    TControl::PublishInherited<TListBox>(b, {"OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"});
    b.Property("OnMeasureItem", &TListBox::OnMeasureItem, &TListBox::SetOnMeasureItem);
    TControl::PublishInherited<TListBox>(b, {"OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TCustomGroupBox::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomGroupBox>().Build();
  return record;
}

const TClass& TGroupBox::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TGroupBox> b;
    TControl::PublishInherited<TGroupBox>(
        b, {"Align", "Anchors", "Caption", "Color", "Enabled", "Font", "ParentColor", "ParentFont", "ParentShowHint",
            "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick", "OnDblClick", "OnEnter", "OnExit",
            "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TButtonControl::StaticClass() {
  static const TClass& record = TClassBuilder<TButtonControl>().Build();
  return record;
}

const TClass& TCustomCheckBox::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomCheckBox>().Build();
  return record;
}

const TClass& TCheckBox::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TCheckBox> b;
    b.Property("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment, LeftRightTypeInfo())
        .Default(taRightJustify);
    b.Property("AllowGrayed", &TCheckBox::AllowGrayed, &TCheckBox::SetAllowGrayed).Default(false);
    TControl::PublishInherited<TCheckBox>(b, {"Anchors", "Caption"});
    b.Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false);
    TControl::PublishInherited<TCheckBox>(b, {"Color", "Enabled", "Font", "ParentColor", "ParentFont",
                                              "ParentShowHint", "PopupMenu", "ShowHint"});
    b.Property("State", &TCheckBox::State, &TCheckBox::SetState).Default(cbUnchecked);
    TControl::PublishInherited<TCheckBox>(b, {"TabOrder"});
    TControl::PublishInherited<TCheckBox>(b, {"TabStop"}).Default(true);
    TControl::PublishInherited<TCheckBox>(b, {"Visible", "OnClick", "OnEnter", "OnExit", "OnKeyDown", "OnKeyPress",
                                              "OnKeyUp", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TRadioButton::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TRadioButton> b;
    b.Property("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment, LeftRightTypeInfo())
        .Default(taRightJustify);
    TControl::PublishInherited<TRadioButton>(b, {"Anchors", "Caption"});
    b.Property("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked).Default(false);
    TControl::PublishInherited<TRadioButton>(b, {"Color", "Enabled", "Font", "ParentColor", "ParentFont",
                                                 "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop",
                                                 "Visible", "OnClick", "OnDblClick", "OnEnter", "OnExit",
                                                 "OnKeyDown", "OnKeyPress", "OnKeyUp", "OnMouseDown",
                                                 "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TCustomComboBox::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomComboBox>().Build();
  return record;
}

const TClass& TComboBox::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TComboBox> b;
    // Style first, Items last: a resource applies them in this order, and
    // ItemIndex and Text wait for Items (Loaded).
    b.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown);
    TControl::PublishInherited<TComboBox>(b, {"Anchors", "Color"});
    b.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8);
    TControl::PublishInherited<TComboBox>(b, {"Enabled", "Font"});
    b.Property("ImeName", &TComboBox::ImeName, &TComboBox::SetImeName, ImeNameTypeInfo());
    b.Property("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight).Default(16);
    b.Property("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex).Default(-1);
    b.Property("MaxLength", &TComboBox::MaxLength, &TComboBox::SetMaxLength).Default(0);
    TControl::PublishInherited<TComboBox>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TComboBox>(b, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint"});
    b.Property("Sorted", &TComboBox::Sorted, &TComboBox::SetSorted).Default(false);
    TControl::PublishInherited<TComboBox>(b, {"TabOrder"});
    TControl::PublishInherited<TComboBox>(b, {"TabStop"}).Default(true);
    TControl::PublishInherited<TComboBox>(b, {"Text", "Visible"});
    b.Property("OnChange", &TComboBox::OnChange, &TComboBox::SetOnChange);
    TControl::PublishInherited<TComboBox>(b, {"OnClick"});
    b.Property("OnCloseUp", &TComboBox::OnCloseUp, &TComboBox::SetOnCloseUp);
    TControl::PublishInherited<TComboBox>(b, {"OnDblClick"});
    b.Property("OnDrawItem", &TComboBox::OnDrawItem, &TComboBox::SetOnDrawItem);
    b.Property("OnDropDown", &TComboBox::OnDropDown, &TComboBox::SetOnDropDown);
    TControl::PublishInherited<TComboBox>(b, {"OnEnter", "OnExit", "OnKeyDown", "OnKeyPress", "OnKeyUp"});
    b.Property("OnMeasureItem", &TComboBox::OnMeasureItem, &TComboBox::SetOnMeasureItem);
    b.Property("OnSelect", &TComboBox::OnSelect, &TComboBox::SetOnSelect);
    b.Property("Items", &TComboBox::Items, &TComboBox::SetItems);
    b.Factory();
    return b.Build();
  }();
  return record;
}

void RegisterStdCtrlsClasses() {
  RegisterClasses({&TCustomLabel::StaticClass(), &TLabel::StaticClass(), &TCustomEdit::StaticClass(),
                   &TEdit::StaticClass(), &TCustomMemo::StaticClass(), &TMemo::StaticClass(),
                   &TCustomListBox::StaticClass(), &TListBox::StaticClass(), &TCustomGroupBox::StaticClass(),
                   &TGroupBox::StaticClass(), &TButtonControl::StaticClass(), &TCustomCheckBox::StaticClass(),
                   &TCheckBox::StaticClass(), &TRadioButton::StaticClass(), &TCustomComboBox::StaticClass(),
                   &TComboBox::StaticClass()});
}
