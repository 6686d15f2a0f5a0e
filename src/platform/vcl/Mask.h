// The mask edit: a one-line edit whose text is shaped by an edit mask
// (MaskUtils.h). The edit holds the text as shown (EditText: literals, and
// the blank character where nothing was typed); Text is the text as saved
// (literals kept or dropped by the mask's second field, blanks as spaces).
// Without a mask it is a plain TCustomEdit.
//
// Code against user (the rules the setters keep):
// - Text and EditText by code place the text into the mask positions
//   (TEditMaskInfo::PlaceText): a valid masked text comes back unchanged, a
//   trimmed one ("2006/1 /5", "/  /") is padded back, "" gives the blank
//   mask text. OnChange is raised when the shown text really changed.
// - EditMask by code keeps the current text and re-formats it under the new
//   mask (OnChange when the shown text changed).
// - The user overwrites input positions, literals are skipped, refused
//   characters change nothing; Backspace and Delete blank positions.
// - Leaving the edit checks the required positions (ValidateEdit); optional
//   ones may stay blank.
#pragma once

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/MaskUtils.h"
#include "platform/vcl/StdCtrls.h"

// A required mask position left blank when the edit is left.
class EDBEditError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EDBEditError"; }
};

class TCustomMaskEdit : public TCustomEdit {
  KULR_CLASS(TCustomMaskEdit, TCustomEdit)
  explicit TCustomMaskEdit(TComponent* owner);

  // ---- The mask ----
  const AnsiString& EditMask() const { return FMask.EditMask(); }
  // Compiles the mask (separators of the format settings now, the text's
  // code page) and re-formats the current text: a masked text is carried
  // over with its literals and blanks as spaces, so every character keeps
  // its position (switching ";1;" to ";0;" and back changes nothing); a
  // plain text is placed into the positions; removing the mask leaves the
  // saved-with-literals text as plain text. Setting the same mask does
  // nothing.
  void SetEditMask(const AnsiString& value);
  // Whether the mask has positions (a mask of directives or fields alone
  // leaves the edit plain).
  bool IsMasked() const { return FMask.IsMasked(); }
  const TEditMaskInfo& MaskInfo() const { return FMask; }

  // ---- Texts ----
  // As saved: SavedText of the shown text under the mask; the plain text
  // without one. (Through a TControl pointer, Text() is the shown text, as
  // the window text is.)
  AnsiString Text() const;
  // By code: placed into the mask positions (see the top); raises OnChange
  // when the shown text changed.
  void SetText(const AnsiString& text) override;
  // As shown.
  const AnsiString& EditText() const { return TCustomEdit::Text(); }
  void SetEditText(const AnsiString& text) { SetText(text); }

  // With a mask, the mask's length in bytes; without one, the edit's byte
  // limit (SetMaxLength keeps that limit for when the mask goes).
  int MaxLength() const;
  // Whether the published MaxLength is written (only the plain limit is).
  bool IsMaxLengthStored() const { return !IsMasked(); }

  // Raises EDBEditError, with the caret on the first required position left
  // blank, when there is one. Nothing without a mask.
  void ValidateEdit();

  // Checks the required positions (outside design mode) before OnExit: an
  // EDBEditError leaves the focus in this edit (the form keeps it there)
  // and reaches whoever moved the focus (the application's error box for a
  // user). Not checked when the focus leaves because the edit (or a parent)
  // is being hidden or disabled: it could not keep the focus.
  void DoExit() override;

  // With a mask the selection is edited in place, so the literals and the
  // length never change: SetSelText blanks the selection and types value
  // into it as a paste does (by code: also on a read-only edit);
  // ClearSelection blanks it. Both raise OnChange when the text changed.
  void SetSelText(const AnsiString& value);
  void ClearSelection();

  // With a mask: types the pasted characters (up to the first line break)
  // one by one; those a position refuses (the literals of a pasted date
  // among them) are skipped.
  void PasteText(const AnsiString& text) override;

protected:
  void FontChanged() override;

  // ---- Editing primitives, masked (plain TCustomEdit without a mask) ----
  void InsertChar(const AnsiString& ch) override;
  void DeleteBackward() override;
  void DeleteForward() override;
  int PrevCaretPos(int pos) const override;
  int NextCaretPos(int pos) const override;
  int HomeCaretPos(int pos) const override;
  int EndCaretPos(int pos) const override;

private:
  TMaskEditState State() const;
  // Types the characters of text (up to its first line break) into state;
  // those a position refuses are skipped.
  void TypeAll(TMaskEditState& state, std::string_view text) const;
  void Commit(const TMaskEditState& state);

  TEditMaskInfo FMask;
};

// The mask edit of the form resources.
class TMaskEdit : public TCustomMaskEdit {
  KULR_CLASS(TMaskEdit, TCustomMaskEdit)
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};

// Registers TCustomMaskEdit and TMaskEdit. Idempotent.
void RegisterMaskClasses();
