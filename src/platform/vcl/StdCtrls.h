// StdCtrls: the standard controls the forms are built from: label, one-line
// edit, memo, list box, group box, check box, radio button and combo box.
// They hold their state and compute their geometry headless; text is bytes
// of a double-byte code page (GBK as designed), and every length, offset and
// limit counts bytes without ever splitting a double-byte character.
//
// Sections: enumerations and events; accelerators; TCustomLabel/TLabel;
// TCustomEdit/TEdit (with the editing primitives descendants override);
// TCustomMemo/TMemo; item lists; TCustomListBox/TListBox;
// TCustomGroupBox/TGroupBox; TButtonControl, TCustomCheckBox/TCheckBox,
// TRadioButton; TCustomComboBox/TComboBox; registration.
//
// Code against user: every setter says whether setting the value by code
// raises an event. In short: an edit's Text by code raises OnChange (when
// it really changes); a check box's Checked/State and a radio button's
// Checked (to true) by code raise OnClick; a list box's and a combo box's
// ItemIndex and a combo box's Text by code raise nothing. User actions
// (typing, clicks, keys through the application's input door) raise what
// the user would see.
//
// The code page of a control's text is its font's when that is a
// double-byte one (GB2312_CHARSET 936, CHINESEBIG5_CHARSET 950), otherwise
// 936: designed texts are GBK whatever the system code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/TypInfo.h"

// ---- Enumerations and events ----

KULR_ENUM(TAlignment, taLeftJustify, taRightJustify, taCenter)
KULR_ENUM(TTextLayout, tlTop, tlCenter, tlBottom)
KULR_ENUM(TEditCharCase, ecNormal, ecUpperCase, ecLowerCase)
KULR_ENUM(TScrollStyle, ssNone, ssHorizontal, ssVertical, ssBoth)
KULR_ENUM(TListBoxStyle, lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual, lbVirtualOwnerDraw)
KULR_ENUM(TComboBoxStyle, csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable)
KULR_ENUM(TCheckBoxState, cbUnchecked, cbChecked, cbGrayed)
KULR_ENUM(TOwnerDrawStateItem, odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault,
          odHotLight, odInactive, odNoAccel, odNoFocusRect, odReserved1, odReserved2, odComboBoxEdit)
KULR_SET(TOwnerDrawState, TOwnerDrawStateItem);

// The check box's Alignment: the two left/right values of TAlignment, with
// a type record of their own ("TLeftRight") for the type information.
const TTypeInfo& LeftRightTypeInfo();
// The edits' ImeName: a string with the type name "TImeName".
const TTypeInfo& ImeNameTypeInfo();

// void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)
KULR_EVENT(TDrawItemEvent, TWinControl*, int, TRect, TOwnerDrawState);
// void(TWinControl* Control, int Index, int& Height)
KULR_EVENT(TMeasureItemEvent, TWinControl*, int, int&);

// The code page the text of a control in this font is edited in (see the
// top of this header).
int EditCodePage(const TFont& font);

// ---- Accelerators ----
// A caption's accelerator is the character after a single "&" ("&&" is a
// literal "&"). Controls with one implement this interface; the form's key
// path (Alt+character, or a plain character that no focused control takes)
// calls DispatchAccelerator.
class IAcceleratorTarget {
public:
  virtual ~IAcceleratorTarget() = default;
  // True when key (ASCII letters without case) is this control's
  // accelerator and the control acted on it.
  virtual bool DialogChar(char key) = 0;
};

// The caption without its accelerator marks ("&&" becomes "&").
AnsiString StripAccelChars(std::string_view caption);
// The accelerator character of a caption, 0 when it has none.
char AccelCharOf(std::string_view caption);
// Offers key to every visible, enabled accelerator target inside root
// (depth first, in child order); true when one took it.
bool DispatchAccelerator(TWinControl* root, char key);

// ---- TCustomLabel / TLabel ----

// A caption drawn on the parent: never focused. With AutoSize (the
// default) its width and height are those of the caption (accelerator
// marks removed when ShowAccelChar) in the label's font, from the metrics
// provider: the widest line and one line height per line (lines end at
// CR LF, CR or LF). With WordWrap the width stays and the lines are broken
// at blanks (or between characters when a word is too long) to fit it. A
// right-justified auto-sized label keeps its right edge. The size follows
// every change of caption, font, WordWrap and ShowAccelChar (not while it
// loads; Loaded sizes it once).
class TCustomLabel : public TGraphicControl, public IAcceleratorTarget {
  KULR_CLASS(TCustomLabel, TGraphicControl)
  explicit TCustomLabel(TComponent* owner);

  void SetAutoSize(bool value) override;
  TAlignment Alignment() const { return FAlignment; }
  // EConvertError outside the enumeration.
  void SetAlignment(TAlignment value);
  TTextLayout Layout() const { return FLayout; }
  void SetLayout(TTextLayout value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool value);
  bool ShowAccelChar() const { return FShowAccelChar; }
  void SetShowAccelChar(bool value);
  // The control the accelerator focuses; cleared when it is freed.
  TWinControl* FocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* control);

  // The text as drawn (accelerator marks removed when ShowAccelChar).
  AnsiString DisplayText() const;
  // The lines as drawn within width (WordWrap) or as given.
  std::vector<AnsiString> DisplayLines() const;
  // Focuses FocusControl when key is the caption's accelerator and the
  // control can take the focus.
  bool DialogChar(char key) override;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

protected:
  // Re-computes the size when AutoSize is on.
  virtual void AdjustBounds();
  void TextChanged() override;
  void FontChanged() override;
  // Records the lines on the canvas at their aligned places.
  void Paint() override;

private:
  TAlignment FAlignment = taLeftJustify;
  TTextLayout FLayout = tlTop;
  bool FWordWrap = false;
  bool FTransparent = false;
  bool FShowAccelChar = true;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  KULR_CLASS(TLabel, TCustomLabel)
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// ---- TCustomEdit / TEdit ----

// A one-line text the user edits. Positions (SelStart, the caret) are byte
// offsets in Text; they never fall inside a double-byte character.
//
// User input (KeyPress, KeyDown, mouse) goes through the editing primitives
// below, which descendants override: a mask edit types over mask positions
// and skips literals, a spin edit filters its keys. Keys:
// - a printable byte: a single-byte character is inserted at once; a lead
//   byte is held until the next byte: a trail byte (>= 0x40) completes the
//   character, which is inserted whole; any other byte drops the held lead
//   byte and is handled by itself. IsValidChar sees the first byte of each
//   character (a spin edit refuses lead bytes that way).
// - Backspace (character 8) and Delete (VK_DELETE) remove the selection or
//   one whole character.
// - Left/Right/Home/End move the caret by whole characters; with Shift they
//   extend the selection from the anchor. Left/Right without Shift on a
//   selection collapse it to its start/end.
// - Ctrl+A selects everything.
// - ReadOnly refuses every change and keeps the caret moves.
// Enter, Esc and Tab are left to the form (default and cancel buttons,
// focus moves).
class TCustomEdit : public TWinControl {
  KULR_CLASS(TCustomEdit, TWinControl)
  explicit TCustomEdit(TComponent* owner);

  // By code: the text is set whole, never cut to MaxLength (as on the
  // original), after CharCase is applied; the caret goes to 0 with nothing
  // selected, Modified is cleared, and OnChange is raised when the text
  // really changed (setting the same text raises nothing).
  void SetText(const AnsiString& text) override;

  // The most bytes the user can type or paste; 0: no limit. Setting a
  // smaller limit keeps a longer text. EInvalidOperation when negative.
  int MaxLength() const { return FMaxLength; }
  virtual void SetMaxLength(int value);
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  // Selects the whole text when the edit is focused by the keyboard or by
  // SetFocus (a click then puts the caret where it was pressed).
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool value) { FAutoSelect = value; }
  // Upper- or lower-cases ASCII letters (never a trail byte) of the text
  // now and of everything set or typed later; the change raises OnChange.
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase value);
  // Shown for every character instead of it; 0: the text itself.
  char PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(char value) { FPasswordChar = value; }
  // The input method's name: stored only.
  const AnsiString& ImeName() const { return FImeName; }
  void SetImeName(const AnsiString& value) { FImeName = value; }
  // Set by every user change, cleared by SetText.
  bool Modified() const { return FModified; }
  void SetModified(bool value) { FModified = value; }

  // ---- Selection (byte offsets) ----
  // The start of the selection, or the caret. Setting it moves the caret
  // there (snapped back to the start of a double-byte character, clipped to
  // the text) and selects nothing.
  int SelStart() const;
  void SetSelStart(int value);
  // Setting it selects from SelStart on (the end is snapped forward to the
  // end of a double-byte character and clipped to the text; negative: 0).
  int SelLength() const;
  void SetSelLength(int value);
  AnsiString SelText() const;
  // Replaces the selection as a paste would: the text is cut to MaxLength
  // at a character boundary; raises OnChange when the text changed.
  void SetSelText(const AnsiString& value);
  void SelectAll();
  void ClearSelection();
  // What a paste of text does: the part up to the first line break, cut to
  // MaxLength at a character boundary, replaces the selection. ReadOnly
  // refuses it.
  virtual void PasteText(const AnsiString& text);

  // The text as drawn (PasswordChar once per character).
  AnsiString DisplayText() const;
  // The lead byte typed and waiting for its trail byte; 0 when none.
  char PendingLeadByte() const { return FPendingLead; }

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& handler) { FOnChange = handler; }

  void DoEnter() override;
  void DoExit() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  // A left press puts the caret at the nearest character boundary (Shift
  // extends the selection).
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
  // Raises OnChange; descendants override it (and call it to raise).
  virtual void Change();
  void TextChanged() override;

  // ---- Editing primitives (user input only; code never goes through them) ----
  // Whether the user may change the text now: not ReadOnly.
  virtual bool CanModify() const { return !FReadOnly; }
  // Whether the first byte of a typed character is taken at all.
  virtual bool IsValidChar(char key) const;
  // A whole typed character (one or two bytes): replaces the selection at
  // the caret, the caret after it. Refused whole (nothing changes) when the
  // text would pass MaxLength.
  virtual void InsertChar(const AnsiString& ch);
  // Backspace: the selection, else from PrevCaretPos to the caret (the
  // whole character before it).
  virtual void DeleteBackward();
  // Delete: the selection, else from the caret to NextCaretPos.
  virtual void DeleteForward();
  // The caret one character to the left or right of pos (a mask edit skips
  // literals here); pos itself at either end.
  virtual int PrevCaretPos(int pos) const;
  virtual int NextCaretPos(int pos) const;
  // Home and End targets (a memo keeps to the caret's line).
  virtual int HomeCaretPos(int pos) const;
  virtual int EndCaretPos(int pos) const;
  // A key KeyDown did not handle (after OnKeyDown): a memo takes Up/Down,
  // Enter and Tab here. Returns true when it used the key.
  virtual bool EditKeyDown(uint16_t key, TShiftState shift);
  // A control character KeyPress did not handle (Enter, Tab...): a memo
  // inserts line breaks and tabs here. Returns true when it used it.
  virtual bool EditControlChar(char key);
  // The byte offset nearest to the client point (x, y).
  virtual int PosFromPoint(int x, int y) const;

  // ---- Helpers for the primitives ----
  // The caret and the selection's other end.
  int CaretIndex() const { return FCaret; }
  int AnchorIndex() const { return FAnchor; }
  // Moves the caret to pos (snapped to a character start); extend keeps
  // the anchor (selecting between), otherwise the anchor follows.
  void MoveCaret(int pos, bool extend);
  // Commits a user edit: the whole new text (CharCase applied) with the
  // caret at caret and nothing selected; sets Modified and raises OnChange
  // when the text changed. Never cut to MaxLength: callers check first.
  void SetUserText(const AnsiString& text, int caret);
  // Replaces [start, start + length) with bytes as a user edit.
  void ReplaceRange(int start, int length, const AnsiString& bytes);
  // How many bytes may still be added when `removing` bytes go: INT_MAX
  // without a limit, never negative.
  int RoomFor(int removing) const;
  // The code page of the text (EditCodePage of the font).
  int TextCodePage() const;
  // Character structure of the current text at byte pos.
  int CharStart(int pos) const;  // start of the character containing pos
  int CharEnd(int pos) const;    // end of the character containing pos
  // The longest prefix of bytes made of whole characters that fits room.
  AnsiString FitToRoom(const AnsiString& bytes, int room) const;
  // CharCase applied to text.
  AnsiString ApplyCharCase(const AnsiString& text) const;

private:
  void TypeByte(char key);

  int FMaxLength = 0;
  bool FReadOnly = false;
  bool FAutoSelect = true;
  TEditCharCase FCharCase = ecNormal;
  char FPasswordChar = 0;
  AnsiString FImeName;
  bool FModified = false;
  int FCaret = 0;
  int FAnchor = 0;
  char FPendingLead = 0;
  bool FUserEditing = false;  // SetUserText is running
  int FUserCaret = 0;
  TNotifyEvent FOnChange;
};

class TEdit : public TCustomEdit {
  KULR_CLASS(TEdit, TCustomEdit)
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ---- TCustomMemo / TMemo ----

// A multi-line edit. Text holds the lines joined by CR LF (no break after
// the last line); Lines is a view of the same text: reading it splits the
// text, changing it rewrites the text (once per change, or once at the
// outermost EndUpdate, with one OnChange). A text ending in a line break
// has no empty last line in Lines, as the original platform counted.
// Enter inserts CR LF when WantReturns (the default) and is otherwise left
// to the form; Tab inserts a tab only with WantTabs. Up and Down move the
// caret between lines (to the same byte column, snapped to a character
// start); Home and End keep to the caret's line. Pasting keeps line breaks.
class TCustomMemo : public TCustomEdit {
  KULR_CLASS(TCustomMemo, TCustomEdit)
  explicit TCustomMemo(TComponent* owner);
  ~TCustomMemo() override;

  TStrings* Lines() const;
  // Copies lines (not null) into Lines.
  void SetLines(TStrings* lines);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool value) { FWordWrap = value; }
  TScrollStyle ScrollBars() const { return FScrollBars; }
  void SetScrollBars(TScrollStyle value);
  bool WantReturns() const { return FWantReturns; }
  void SetWantReturns(bool value) { FWantReturns = value; }
  bool WantTabs() const { return FWantTabs; }
  void SetWantTabs(bool value) { FWantTabs = value; }
  // The caret as X = byte offset in its line, Y = line index. Setting it
  // clips Y to the lines and X to the line, snapped to a character start.
  TPoint CaretPos() const;
  void SetCaretPos(TPoint pos);

  void PasteText(const AnsiString& text) override;
  // A memo never selects everything on entry.
  void DoEnter() override;

protected:
  int HomeCaretPos(int pos) const override;
  int EndCaretPos(int pos) const override;
  bool EditKeyDown(uint16_t key, TShiftState shift) override;
  bool EditControlChar(char key) override;
  int PosFromPoint(int x, int y) const override;
  int PrevCaretPos(int pos) const override;
  int NextCaretPos(int pos) const override;

private:
  class TMemoStrings;
  friend class TMemoStrings;

  // Byte offset of the start of line `line` (clipped), and the line of pos.
  int LineStart(int line) const;
  int LineOf(int pos) const;
  int LineEnd(int pos) const;

  TMemoStrings* FLines = nullptr;
  bool FWordWrap = true;
  TScrollStyle FScrollBars = ssNone;
  bool FWantReturns = true;
  bool FWantTabs = false;
};

class TMemo : public TCustomMemo {
  KULR_CLASS(TMemo, TCustomMemo)
  explicit TMemo(TComponent* owner) : TCustomMemo(owner) {}
};

// ---- Item lists ----

// The Items of a list box or combo box: a string list that tells its
// control about every insertion, deletion and clearing, so that the
// selection stays on its item (an item inserted before it moves it down,
// deleting the selected item selects nothing, clearing selects nothing).
class TControlItems : public TStringList {
public:
  class IOwner {
  public:
    virtual ~IOwner() = default;
    virtual void ItemInserted(int index) = 0;
    virtual void ItemDeleted(int index) = 0;
    virtual void ItemsCleared() = 0;
    // Lines were reordered (sorting): old index -> new index.
    virtual void ItemsMoved(const std::vector<int>& newIndexOf) = 0;
  };

  explicit TControlItems(IOwner& owner) : FOwner(owner) {}

  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, void* object) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, void* object) override;
  void Put(int index, const AnsiString& s) override;
  void Delete(int index) override;
  void Clear() override;
  // Sorts (or unsorts) the lines, telling the owner where each went.
  void SetSortedTracked(bool sorted);

private:
  IOwner& FOwner;
  bool FReplacing = false;  // Put: the delete and insert are one change
};

// ---- TCustomListBox / TListBox ----

// A list of items, one selected (ItemIndex) or, with MultiSelect, any
// number (Selected[i]). Item i lies at y = the heights of the items from
// TopIndex to i - 1: every item is ItemHeight high for the owner-drawn
// fixed and virtual styles, the font's line height for lbStandard, and
// what OnMeasureItem answers (starting from ItemHeight) for
// lbOwnerDrawVariable. Repaint calls OnDrawItem with each visible item's
// rectangle in the owner-drawn styles (and records the item texts on the
// canvas otherwise).
//
// ItemIndex by code selects silently. A user's left press on an item, or
// Up/Down/Home/End/Page keys, select it and raise OnClick (a press also
// clicks through the input door; a key raises OnClick only when the
// selection moved). With MultiSelect a press toggles the item's Selected
// and makes it the ItemIndex (the caret item).
class TCustomListBox : public TWinControl, private TControlItems::IOwner {
  KULR_CLASS(TCustomListBox, TWinControl)
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  TStrings* Items() const;
  // Copies items (not null) into Items; the selection is cleared.
  void SetItems(TStrings* items);
  // -1: none. By code: silent; EListError "List index out of bounds (i)"
  // outside -1..Count-1.
  int ItemIndex() const { return FItemIndex; }
  virtual void SetItemIndex(int index);
  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle value);
  // The stored height of the owner-drawn items; EInvalidOperation when not
  // positive.
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  bool MultiSelect() const { return FMultiSelect; }
  // Turning it off keeps only ItemIndex selected.
  void SetMultiSelect(bool value);
  // EListError outside the items. Without MultiSelect, Selected[i] := true
  // is ItemIndex := i and false on the selected item is ItemIndex := -1.
  bool Selected(int index) const;
  void SetSelected(int index, bool value);
  int SelCount() const;
  // Sorting keeps the selection on its items.
  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  int TopIndex() const { return FTopIndex; }
  void SetTopIndex(int value);
  // The rectangle of item index in client coordinates (the list's width).
  TRect ItemRect(int index) const;
  // The item at the client point; -1 when none.
  int ItemAtPos(TPoint pos) const;
  void Clear();

  TCanvas& Canvas() { return FCanvas; }
  void Repaint() override;

  const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TDrawItemEvent& handler) { FOnDrawItem = handler; }
  const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMeasureItemEvent& handler) { FOnMeasureItem = handler; }

  void KeyDown(uint16_t& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // An ItemIndex read from a form resource before its Items is applied here.
  void Loaded() override;

protected:
  // OnDrawItem when assigned (owner-drawn styles), else records the text.
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  // OnMeasureItem for lbOwnerDrawVariable.
  virtual void MeasureItem(int index, int& height);
  // The height of item index in the current style.
  int ItemHeightOf(int index) const;

private:
  void ItemInserted(int index) override;
  void ItemDeleted(int index) override;
  void ItemsCleared() override;
  void ItemsMoved(const std::vector<int>& newIndexOf) override;
  void UserSelect(int index);

  std::unique_ptr<TControlItems> FItems;
  std::vector<bool> FSelected;  // per item, MultiSelect only
  int FItemIndex = -1;
  TListBoxStyle FStyle = lbStandard;
  int FItemHeight = 16;
  bool FMultiSelect = false;
  bool FSorted = false;
  int FTopIndex = 0;
  int FLoadedItemIndex = -1;  // ItemIndex given while loading
  TCanvas FCanvas;
  TDrawItemEvent FOnDrawItem;
  TMeasureItemEvent FOnMeasureItem;
};

class TListBox : public TCustomListBox {
  KULR_CLASS(TListBox, TCustomListBox)
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// ---- TCustomGroupBox / TGroupBox ----

// A framed container with a caption in its top edge. Its children are
// aligned inside the frame, below the caption: with h = the line height of
// "0" in the box's font (metrics provider), the rectangle is
// (2, h + 2, Width - 2, Height - 2) — one pixel of frame and one of margin
// on each side, the caption's line on top. Windowed: it takes part in the
// focus's enter and exit like any container, and is no tab stop.
class TCustomGroupBox : public TCustomControl {
  KULR_CLASS(TCustomGroupBox, TCustomControl)
  explicit TCustomGroupBox(TComponent* owner);

  // The line height of the caption (h above).
  int CaptionHeight() const;
  // The rectangle the children are aligned in (see above).
  TRect FrameClientRect() const;

protected:
  void AdjustClientRect(TRect& rect) const override;
  void FontChanged() override;
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
  KULR_CLASS(TGroupBox, TCustomGroupBox)
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}
};

// ---- TButtonControl, TCustomCheckBox / TCheckBox, TRadioButton ----

// The base of the check box and the radio button. While ClicksDisabled is
// set, setting the state by code raises no click (a radio group checks its
// buttons this way).
class TButtonControl : public TWinControl, public IAcceleratorTarget {
  KULR_CLASS(TButtonControl, TWinControl)
  explicit TButtonControl(TComponent* owner);

  bool ClicksDisabled() const { return FClicksDisabled; }
  void SetClicksDisabled(bool value) { FClicksDisabled = value; }

  // The accelerator focuses the control and acts as a user click.
  bool DialogChar(char key) override;

  // A left press focuses the control (tab stop or not, as a button takes
  // the focus when pressed); the release over it is the user's click.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyPress(char& key) override;
  // The input door calls Click after a paired release; a click the user's
  // release already decided not to raise (a radio button that was checked)
  // is swallowed here once.
  void Click() override;

protected:
  // What a user's click (release over the pressed control, Space, the
  // accelerator) does to the state before OnClick: the check box toggles,
  // the radio button checks itself. Returns false when the click raises no
  // OnClick.
  virtual bool UserToggle() = 0;

private:
  bool FClicksDisabled = false;
  bool FPressed = false;        // a left press on this control, not yet released
  bool FSwallowClick = false;   // the next Click from the input door raises nothing
};

// A check box: State is unchecked, checked or (with AllowGrayed) grayed;
// Checked is State == cbChecked.
class TCustomCheckBox : public TButtonControl {
  KULR_CLASS(TCustomCheckBox, TButtonControl)
  explicit TCustomCheckBox(TComponent* owner);

  // By code: a different value raises OnClick (unless ClicksDisabled), as
  // the original did. Setting Checked false on a grayed box unchecks it.
  bool Checked() const { return FState == cbChecked; }
  void SetChecked(bool value);
  TCheckBoxState State() const { return FState; }
  // EConvertError outside the enumeration.
  virtual void SetState(TCheckBoxState value);
  // Whether a user click passes through cbGrayed; turning it off keeps a
  // grayed state set by code.
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool value);
  // Which side the caption is on: taLeftJustify or taRightJustify (the
  // default); EConvertError for anything else.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

protected:
  // A user click toggles checked and unchecked; with AllowGrayed it goes
  // unchecked -> grayed -> checked -> unchecked, as the original did. It
  // raises OnClick once.
  bool UserToggle() override;

private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
  TAlignment FAlignment = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
  KULR_CLASS(TCheckBox, TCustomCheckBox)
  explicit TCheckBox(TComponent* owner) : TCustomCheckBox(owner) {}
};

// A radio button: checking one unchecks every other TRadioButton with the
// same parent (only those: two parents are two groups). A checked button is
// the tab stop of its group, an unchecked one is none. Up/Left and
// Down/Right move to the previous/next radio button of the parent (in tab
// order, wrapping round), focus it and check it as a user click does.
class TRadioButton : public TButtonControl {
  KULR_CLASS(TRadioButton, TButtonControl)
  explicit TRadioButton(TComponent* owner);

  bool Checked() const { return FChecked; }
  // By code: true (when it was not) unchecks the siblings, then raises
  // OnClick unless ClicksDisabled; false just unchecks and raises nothing.
  virtual void SetChecked(bool value);
  // taLeftJustify or taRightJustify (the default), as the check box's.
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

  void KeyDown(uint16_t& key, TShiftState shift) override;

protected:
  // A user click checks it (never unchecks) and raises OnClick only when it
  // was not checked before.
  bool UserToggle() override;
  // Unchecks the other radio buttons of the parent, raising nothing.
  virtual void TurnSiblingsOff();

private:
  bool FChecked = false;
  TAlignment FAlignment = taRightJustify;
};

// ---- TCustomComboBox / TComboBox ----

// A list of items with a text. Styles: csDropDown (editable, the default)
// and csSimple (editable, list always shown) take typed text;
// csDropDownList and the owner-drawn styles only select items.
//
// Typing rule in the editable styles: typing goes through the same editing
// rules as TCustomEdit (bytes, MaxLength, double-byte characters whole).
// After each user edit that changes the text, ItemIndex becomes the index
// of the first item whose text equals the typed text exactly (ASCII letters
// compared without case, other bytes exactly), otherwise -1, and OnChange
// is raised. The typed text itself is never altered: no auto-completion, so
// nothing the user typed is lost.
//
// In the list styles, typing a character selects the next item (after the
// selected one, wrapping round) whose text starts with it (ASCII letters
// without case; a double-byte character is matched whole once its trail
// byte arrives).
//
// A user selection (Up/Down/Page Up/Page Down, and Home/End in the list
// styles; ClickItem on the open list; typing in the list styles) sets the
// text to the item's text and raises OnClick, OnChange and OnSelect, in
// that order, when the selection moved. Alt+Down, Alt+Up and F4 open or
// close the list (OnDropDown, OnCloseUp); Enter and Esc on an open list
// close it and go no further (no default or cancel button answers).
class TCustomComboBox : public TWinControl, private TControlItems::IOwner {
  KULR_CLASS(TCustomComboBox, TWinControl)
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;
  void BeforeDestruction() override;

  TStrings* Items() const;
  // Copies items (not null) into Items; selects nothing.
  void SetItems(TStrings* items);
  // -1: none. By code: raises NO OnChange (nor anything else); the text
  // becomes the item's text (-1: the empty text). EListError outside
  // -1..Count-1.
  int ItemIndex() const { return FItemIndex; }
  virtual void SetItemIndex(int index);
  // By code: silent. In the editable styles ItemIndex follows the typing
  // rule's match; in the list styles a matching item is selected (its own
  // text kept), and a text that matches none selects nothing and leaves
  // the text empty.
  void SetText(const AnsiString& text) override;
  // Switching to a list style drops a text that is not the selected item's.
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle value);
  // EInvalidOperation when not positive.
  int DropDownCount() const { return FDropDownCount; }
  void SetDropDownCount(int value);
  bool Sorted() const { return FSorted; }
  void SetSorted(bool value);
  // Bytes the user may type (0: no limit), as TCustomEdit's.
  int MaxLength() const;
  void SetMaxLength(int value);
  // The height of the csOwnerDrawFixed items and the start of every
  // csOwnerDrawVariable measure; the other styles use the font's line
  // height. EInvalidOperation when not positive.
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int value);
  const AnsiString& ImeName() const { return FImeName; }
  void SetImeName(const AnsiString& value) { FImeName = value; }
  // Opening raises OnDropDown, closing OnCloseUp; csSimple never opens.
  bool DroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool value);

  // The editable part's selection (byte offsets), as TCustomEdit's.
  int SelStart() const;
  void SetSelStart(int value);
  int SelLength() const;
  void SetSelLength(int value);
  AnsiString SelText() const;
  void SelectAll();
  // The user clicks item index on the open list (or the shown list of
  // csSimple): selects it as a user does and closes the list. EListError
  // outside the items.
  void ClickItem(int index);
  // The rectangle of item index in the list (below the control when it is
  // a drop-down), for the drawing hooks.
  TRect ItemRect(int index) const;

  TCanvas& Canvas() { return FCanvas; }
  // Draws the open list's items (OnDrawItem in the owner-drawn styles).
  void Repaint() override;

  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& h) { FOnChange = h; }
  const TNotifyEvent& OnSelect() const { return FOnSelect; }
  void SetOnSelect(const TNotifyEvent& h) { FOnSelect = h; }
  const TNotifyEvent& OnDropDown() const { return FOnDropDown; }
  void SetOnDropDown(const TNotifyEvent& h) { FOnDropDown = h; }
  const TNotifyEvent& OnCloseUp() const { return FOnCloseUp; }
  void SetOnCloseUp(const TNotifyEvent& h) { FOnCloseUp = h; }
  const TDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TDrawItemEvent& h) { FOnDrawItem = h; }
  const TMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMeasureItemEvent& h) { FOnMeasureItem = h; }

  void DoEnter() override;
  void DoExit() override;
  void KeyDown(uint16_t& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  // A left press toggles the list in the list styles and on the drop
  // button (the square at the right end, as wide as the control is high) of
  // csDropDown; elsewhere in an editable style it places the caret.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // A click from the input door (a press and release on the control) raises
  // nothing: only a selection raises OnClick. Code's Click raises OnClick.
  void Click() override;
  // ItemIndex and Text read from a form resource are applied once Items is
  // there.
  void Loaded() override;

  // Whether the style takes typed text.
  bool IsEditable() const { return FStyle == csDropDown || FStyle == csSimple; }

protected:
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(int index, const TRect& rect, TOwnerDrawState state);
  virtual void MeasureItem(int index, int& height);
  void FontChanged() override;

private:
  class TComboEdit;
  friend class TComboEdit;

  void ItemInserted(int index) override;
  void ItemDeleted(int index) override;
  void ItemsCleared() override;
  void ItemsMoved(const std::vector<int>& newIndexOf) override;
  // The user moved the selection to index: text, OnClick, OnChange, OnSelect.
  void UserSelect(int index);
  // The first item equal to text (ASCII letters without case); -1.
  int FindExact(const AnsiString& text) const;
  // The editable part changed by the user.
  void EditTextChanged(const AnsiString& text);
  // Sets the shown text without events (and the edit part's).
  void ShowText(const AnsiString& text);
  int ItemHeightOf(int index) const;
  void TypeInList(char key);

  std::unique_ptr<TControlItems> FItems;
  TComboEdit* FEdit = nullptr;  // the editable part: no parent, no owner
  int FItemIndex = -1;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
  bool FSorted = false;
  int FItemHeight = 16;
  AnsiString FImeName;
  bool FDroppedDown = false;
  bool FShowing = false;  // ShowText is setting the text
  bool FSwallowClick = false;  // a press on the control: its door click raises nothing
  int FLoadedItemIndex = -2;   // ItemIndex given while loading; -2: none
  char FPendingLead = 0;  // list styles: a lead byte typed
  TCanvas FCanvas;
  TNotifyEvent FOnChange;
  TNotifyEvent FOnSelect;
  TNotifyEvent FOnDropDown;
  TNotifyEvent FOnCloseUp;
  TDrawItemEvent FOnDrawItem;
  TMeasureItemEvent FOnMeasureItem;
};

class TComboBox : public TCustomComboBox {
  KULR_CLASS(TComboBox, TCustomComboBox)
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// ---- Registration ----
// Registers every class of this unit (concrete and abstract) for the form
// reader. The enumerations need no registration: their type records carry
// their names. Idempotent.
void RegisterStdCtrlsClasses();
