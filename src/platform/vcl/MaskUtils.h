// Edit masks as pure functions: an edit mask text is compiled once into a
// TEditMaskInfo (its byte positions, its save-literals and blank-character
// fields), which then turns any text into the text a masked edit shows,
// turns the shown text into the text it saves, and performs the user's
// keyboard edits on the shown text. The mask edit (Mask.h) is a thin control
// around this; nothing here knows about controls.
//
// Mask syntax. The edit mask is up to three fields separated by ";":
//   mask ; save-literals ; blank
// - mask characters, each one byte position of the shown text:
//     L letter, required      l letter, optional
//     A letter or digit, req. a letter or digit, optional
//     C any character, req.   c any character, optional
//     0 digit, required       9 digit, optional
//     # digit, "+" or "-", optional
//     / the date separator and : the time separator of the format settings
//       (read when the mask is compiled)
//     _ a blank literal (shown as a space)
//     \ makes the next character a literal (also "\;" and a double-byte one)
//     any other character, a double-byte one included, is a literal
//   directives, taking no position:
//     > upper case from here, < lower case, <> no case change
//     ! optional characters are shown as leading blanks (see PlaceText)
// - save-literals: "0" (its first character) leaves the literals out of the
//   saved text; anything else, or no field, saves them.
// - blank: the first character of the third field shows an empty input
//   position; "_" when the field is absent or empty, or when that character
//   is a control character or a double-byte lead byte (either would break
//   the shown text's characters).
// Every text is a valid mask: a "\" at the very end is a literal backslash,
// and a mask without positions (empty, or only directives or fields) leaves
// the edit unmasked. No input ever makes the compiler raise.
//
// Text is bytes of the system code page: a double-byte character takes two
// positions and is never split; case changes touch ASCII letters only.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Types.h"

// What a character of the mask text is (MaskGetCharType), and what a
// position of the shown text is (TMaskPosition::Type: only the first four).
enum TMaskCharType {
  mcLiteral,         // shown as it is
  mcIntlLiteral,     // the date or time separator of the format settings
  mcMask,            // input, required
  mcMaskOpt,         // input, optional
  mcDirective,       // > < <> ! \ (no position)
  mcFieldSeparator,  // the ";" ending the mask field or the save-literals field
  mcField,           // a character of the save-literals or blank field
};

// Which characters an input position accepts.
enum class TMaskInput : uint8_t { None, Letter, LetterOrDigit, AnyChar, Digit, DigitOrSign };
enum class TMaskCase : uint8_t { None, Upper, Lower };

// One byte position of the shown text.
struct TMaskPosition {
  TMaskCharType Type = mcLiteral;          // mcLiteral, mcIntlLiteral, mcMask or mcMaskOpt
  TMaskInput Input = TMaskInput::None;     // input positions only
  TMaskCase Case = TMaskCase::None;        // input positions only
  char Shown = 0;                          // a literal's byte as shown
  char Source = 0;                         // the mask character it came from
  // A literal character's width at its first byte (1 or 2); 0 on the trail
  // byte of a double-byte literal and on input positions.
  uint8_t LiteralWidth = 0;

  bool IsInput() const { return Type == mcMask || Type == mcMaskOpt; }
};

// A shown text being edited: the caret is SelStart (0..length, a byte
// index) and the selection the SelLength bytes after it.
struct TMaskEditState {
  AnsiString EditText;
  int SelStart = 0;
  int SelLength = 0;
};

class TEditMaskInfo {
public:
  // An unmasked info (no positions).
  TEditMaskInfo() = default;
  // Compiles editMask with the separators of settings; codePage decides
  // which bytes start a double-byte character (CP_ACP: the system's).
  explicit TEditMaskInfo(std::string_view editMask, const TFormatSettings& settings = FormatSettings,
                         int codePage = CP_ACP);

  const AnsiString& EditMask() const { return FEditMask; }
  // Whether the mask has at least one position.
  bool IsMasked() const { return !FPositions.empty(); }
  // The number of byte positions: the length of every shown text.
  int Length() const { return static_cast<int>(FPositions.size()); }
  // EListError naming the mask when index is out of range.
  const TMaskPosition& Position(int index) const;
  bool SaveLiterals() const { return FSaveLiterals; }
  char Blank() const { return FBlank; }
  bool LeadingBlanks() const { return FLeadingBlanks; }
  int CodePage() const { return FCodePage; }

  bool IsInput(int index) const { return Position(index).IsInput(); }
  bool IsRequired(int index) const { return Position(index).Type == mcMask; }
  bool IsLiteral(int index) const { return !Position(index).IsInput(); }

  // ---- Texts ----
  // The shown text with nothing typed: literals, and the blank character at
  // every input position.
  AnsiString EmptyEditText() const;
  // The shown text for any text (what setting Text or EditText does):
  // 1. A text of the mask's length whose literal positions hold the mask's
  //    literals is taken position by position, so every shown text and
  //    every text saved with literals comes back unchanged.
  // 2. Any other text is read from the left into the mask. At a literal
  //    position the text's next character is consumed when it is that
  //    literal (or, for a separator, the mask's own "/" or ":"); otherwise
  //    the literal is shown and the character waits for the next input
  //    positions. The input positions up to the next literal take the
  //    following characters; a character that is the next literal and that
  //    the current position does not accept ends this group early (its
  //    remaining positions stay blank), so "2006/1/5" fills year, month and
  //    day. Within a group the characters go left-aligned, or right-aligned
  //    (leading blanks) when the mask has "!".
  // A space or the blank character at an input position is a blank there.
  // Other characters are placed even where a user could not type them (code
  // may put any text; a wrong date stays visible for the checks that
  // follow). Case directives apply. What does not fit is cut off, never in
  // the middle of a double-byte character (which never straddles a
  // literal).
  AnsiString PlaceText(std::string_view text) const;
  // The saved text of a shown text: with the literals when withLiterals is
  // set, else only the input positions; every blank becomes a space, in
  // place (no position is dropped or moved, so the saved text placed again
  // gives the same shown text).
  AnsiString SavedText(std::string_view editText, bool withLiterals) const;
  // SavedText with the mask's own save-literals setting.
  AnsiString SavedText(std::string_view editText) const { return SavedText(editText, FSaveLiterals); }

  // ---- Queries on a shown text (walked by characters) ----
  // Whether the input position index of editText holds no character.
  bool IsBlankAt(std::string_view editText, int index) const;
  // Every input position blank.
  bool IsEditTextEmpty(std::string_view editText) const;
  // The first required position left blank; -1 when there is none.
  int FirstRequiredBlank(std::string_view editText) const;

  // ---- Characters and positions ----
  // Whether a user may type the single byte ch at input position index: the
  // position's class; a space only at an optional or any-character
  // position; never a control character or a double-byte lead byte.
  bool AcceptsChar(int index, char ch) const;
  // Whether a double-byte character may go at index: index and index + 1
  // both any-character input positions.
  bool AcceptsDoubleByte(int index) const;
  // ch with the case directive of position index applied.
  char ApplyCase(int index, char ch) const;
  // The first input position at or after index; -1 when there is none.
  int NextInput(int index) const;
  // The last input position before index; -1 when there is none.
  int PrevInput(int index) const;
  // The first byte of the character of text that holds byte index.
  int CharStart(std::string_view text, int index) const;

  // ---- Keyboard edits on a shown text of this mask ----
  // Overwrites at the first input position at or after the caret (after
  // blanking a selection) and moves the caret past it and past the
  // literals that follow. ch is one character: one byte, or a lead and a
  // trail byte. Returns false and changes nothing when the position does
  // not accept it or there is no input position left.
  bool TypeChar(TMaskEditState& state, std::string_view ch) const;
  // Backspace: blanks the selection, else the input character before the
  // caret (skipping literals); the caret goes to what was blanked.
  void DeleteBack(TMaskEditState& state) const;
  // Delete: blanks the selection, else the input character at or after the
  // caret; the caret goes to it.
  void DeleteForward(TMaskEditState& state) const;
  // Caret moves that skip literals; each clears the selection.
  void CaretLeft(TMaskEditState& state) const;
  void CaretRight(TMaskEditState& state) const;
  void CaretHome(TMaskEditState& state) const;
  void CaretEnd(TMaskEditState& state) const;

private:
  // The byte length of the character of text at index (1 or 2).
  int CharLength(std::string_view text, size_t index) const;
  bool IsBlankByte(char ch) const { return ch == FBlank || ch == ' '; }
  bool IsFullForm(std::string_view text) const;
  // The literal at position index matches text's character at i (bytes).
  int MatchLiteral(int index, std::string_view text, size_t i) const;
  // Blanks the input positions of [from, to) in text, and the other half of
  // a double-byte character cut by either edge.
  void BlankRange(AnsiString& text, int from, int to) const;
  void Normalize(TMaskEditState& state) const;

  AnsiString FEditMask;
  std::vector<TMaskPosition> FPositions;
  bool FSaveLiterals = true;
  char FBlank = '_';
  bool FLeadingBlanks = false;
  int FCodePage = CP_ACP;
};

// ---- Free functions on mask texts ----

// The shown text of value under editMask (TEditMaskInfo::PlaceText).
AnsiString FormatMaskText(std::string_view editMask, std::string_view value);
// The shown text with nothing typed: blanks and literals.
AnsiString EmptyMaskText(std::string_view editMask);
// What the byte at maskOffset (0-based) of the mask text is; EListError
// naming the mask when the offset is out of range. The escaped character
// after "\" is mcLiteral.
TMaskCharType MaskGetCharType(std::string_view editMask, int maskOffset);
