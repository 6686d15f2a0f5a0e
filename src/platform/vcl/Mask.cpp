#include "platform/vcl/Mask.h"

#include <string>

#include "platform/vcl/ClassBuilder.h"

TCustomMaskEdit::TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

// ---- The mask ----

void TCustomMaskEdit::SetEditMask(const AnsiString& value) {
  if (value == FMask.EditMask()) return;
  TEditMaskInfo next(value, FormatSettings, TextCodePage());
  // Carried over with literals and blanks in place, so that each character
  // keeps its position whatever the save-literals field says.
  const AnsiString carried = FMask.IsMasked() ? FMask.SavedText(EditText(), true) : EditText();
  const AnsiString shown = next.PlaceText(carried);
  FMask = std::move(next);
  TCustomEdit::SetText(shown);
}

void TCustomMaskEdit::FontChanged() {
  TCustomEdit::FontChanged();
  // A font of another character set changes which bytes pair up.
  if (FMask.IsMasked() && TextCodePage() != FMask.CodePage()) {
    const AnsiString carried = FMask.SavedText(EditText(), true);
    FMask = TEditMaskInfo(FMask.EditMask(), FormatSettings, TextCodePage());
    TCustomEdit::SetText(FMask.PlaceText(carried));
  }
}

// ---- Texts ----

AnsiString TCustomMaskEdit::Text() const {
  return FMask.IsMasked() ? FMask.SavedText(EditText()) : EditText();
}

void TCustomMaskEdit::SetText(const AnsiString& text) {
  TCustomEdit::SetText(FMask.IsMasked() ? FMask.PlaceText(text) : text);
}

int TCustomMaskEdit::MaxLength() const { return FMask.IsMasked() ? FMask.Length() : TCustomEdit::MaxLength(); }

// ---- Checking ----

void TCustomMaskEdit::ValidateEdit() {
  if (!FMask.IsMasked()) return;
  const int blank = FMask.FirstRequiredBlank(EditText());
  if (blank < 0) return;
  SetSelStart(blank);
  throw EDBEditError("Invalid input value: position " + std::to_string(blank + 1) + " of \"" + EditText() +
                     "\" needs a character (edit mask \"" + FMask.EditMask() + "\")" +
                     (Name().empty() ? AnsiString() : " in " + Name()));
}

void TCustomMaskEdit::DoExit() {
  // An edit that is being hidden or disabled cannot keep the focus: raising
  // there would leave the focus on a control that may not have it.
  if (FMask.IsMasked() && !ComponentState().Contains(csDesigning) && CanFocus()) ValidateEdit();
  TCustomEdit::DoExit();
}

// ---- Editing primitives ----

TMaskEditState TCustomMaskEdit::State() const {
  TMaskEditState state;
  state.EditText = EditText();
  state.SelStart = SelStart();
  state.SelLength = SelLength();
  return state;
}

void TCustomMaskEdit::Commit(const TMaskEditState& state) { SetUserText(state.EditText, state.SelStart); }

void TCustomMaskEdit::InsertChar(const AnsiString& ch) {
  if (!FMask.IsMasked()) return TCustomEdit::InsertChar(ch);
  if (!CanModify()) return;
  TMaskEditState state = State();
  if (FMask.TypeChar(state, ch)) Commit(state);
}

void TCustomMaskEdit::DeleteBackward() {
  if (!FMask.IsMasked()) return TCustomEdit::DeleteBackward();
  if (!CanModify()) return;
  TMaskEditState state = State();
  FMask.DeleteBack(state);
  Commit(state);
}

void TCustomMaskEdit::DeleteForward() {
  if (!FMask.IsMasked()) return TCustomEdit::DeleteForward();
  if (!CanModify()) return;
  TMaskEditState state = State();
  FMask.DeleteForward(state);
  Commit(state);
}

void TCustomMaskEdit::TypeAll(TMaskEditState& state, std::string_view text) const {
  const std::string_view line = text.substr(0, text.find_first_of("\r\n"));
  size_t i = 0;
  while (i < line.size()) {
    const size_t length = static_cast<size_t>(CharLengthAt(FMask.CodePage(), line, i));
    FMask.TypeChar(state, line.substr(i, length));  // a refused character is skipped
    i += length;
  }
}

void TCustomMaskEdit::PasteText(const AnsiString& text) {
  if (!FMask.IsMasked()) return TCustomEdit::PasteText(text);
  if (!CanModify()) return;
  TMaskEditState state = State();
  TypeAll(state, text);
  Commit(state);
}

void TCustomMaskEdit::SetSelText(const AnsiString& value) {
  if (!FMask.IsMasked()) return TCustomEdit::SetSelText(value);
  TMaskEditState state = State();
  if (state.SelLength > 0) FMask.DeleteForward(state);  // blanks the selection
  TypeAll(state, value);
  Commit(state);
}

void TCustomMaskEdit::ClearSelection() {
  if (!FMask.IsMasked()) return TCustomEdit::ClearSelection();
  TMaskEditState state = State();
  if (state.SelLength == 0) return;
  FMask.DeleteForward(state);
  Commit(state);
}

// The caret moves keep to the current text: a state with the caret at pos.
int TCustomMaskEdit::PrevCaretPos(int pos) const {
  if (!FMask.IsMasked()) return TCustomEdit::PrevCaretPos(pos);
  TMaskEditState state{EditText(), pos, 0};
  FMask.CaretLeft(state);
  return state.SelStart;
}

int TCustomMaskEdit::NextCaretPos(int pos) const {
  if (!FMask.IsMasked()) return TCustomEdit::NextCaretPos(pos);
  TMaskEditState state{EditText(), pos, 0};
  FMask.CaretRight(state);
  return state.SelStart;
}

int TCustomMaskEdit::HomeCaretPos(int pos) const {
  if (!FMask.IsMasked()) return TCustomEdit::HomeCaretPos(pos);
  TMaskEditState state{EditText(), pos, 0};
  FMask.CaretHome(state);
  return state.SelStart;
}

int TCustomMaskEdit::EndCaretPos(int pos) const {
  if (!FMask.IsMasked()) return TCustomEdit::EndCaretPos(pos);
  TMaskEditState state{EditText(), pos, 0};
  FMask.CaretEnd(state);
  return state.SelStart;
}

// ---- Class records ----

const TClass& TCustomMaskEdit::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomMaskEdit>().Build();
  return record;
}

const TClass& TMaskEdit::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    // TEdit's set and EditMask, in the same (alphabetical) order: the mask
    // comes before the text, so a resource's text is placed into its mask.
    TClassBuilder<TMaskEdit> b;
    TControl::PublishInherited<TMaskEdit>(b, {"Anchors"});
    b.Property("AutoSelect", &TMaskEdit::AutoSelect, &TMaskEdit::SetAutoSelect).Default(true);
    b.Property("CharCase", &TMaskEdit::CharCase, &TMaskEdit::SetCharCase).Default(ecNormal);
    TControl::PublishInherited<TMaskEdit>(b, {"Color"});
    b.Property("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask);
    TControl::PublishInherited<TMaskEdit>(b, {"Enabled", "Font"});
    b.Property("ImeName", &TMaskEdit::ImeName, &TMaskEdit::SetImeName, ImeNameTypeInfo());
    b.Property("MaxLength", &TMaskEdit::MaxLength, &TMaskEdit::SetMaxLength)
        .Default(0)
        .Stored(&TCustomMaskEdit::IsMaxLengthStored);
    TControl::PublishInherited<TMaskEdit>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TMaskEdit>(b, {"ParentFont", "ParentShowHint"});
    b.Property("PasswordChar", &TMaskEdit::PasswordChar, &TMaskEdit::SetPasswordChar).Default(char(0));
    TControl::PublishInherited<TMaskEdit>(b, {"PopupMenu"});
    b.Property("ReadOnly", &TMaskEdit::ReadOnly, &TMaskEdit::SetReadOnly).Default(false);
    TControl::PublishInherited<TMaskEdit>(b, {"ShowHint", "TabOrder"});
    TControl::PublishInherited<TMaskEdit>(b, {"TabStop"}).Default(true);
    TControl::PublishInherited<TMaskEdit>(b, {"Text", "Visible"});
    b.Property("OnChange", &TMaskEdit::OnChange, &TMaskEdit::SetOnChange);
    TControl::PublishInherited<TMaskEdit>(b, {"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnKeyDown",
                                              "OnKeyPress", "OnKeyUp", "OnMouseDown", "OnMouseMove",
                                              "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void RegisterMaskClasses() { RegisterClasses({&TCustomMaskEdit::StaticClass(), &TMaskEdit::StaticClass()}); }
