// Edit masks as pure functions: compiling a mask into positions and fields,
// placing texts into the positions, the saved text, the empty texts,
// queries on a shown text, and the keyboard edits. Double-byte data are GBK
// bytes written as escapes (the character is named next to them); masks
// with them are compiled for code page 936 explicitly.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/vcl/MaskUtils.h"

namespace {

constexpr int kGbk = 936;

// GBK characters whose trail byte looks like a mask character or a blank.
const std::string kJoBackslash = "\x81\x5C";  // 乗: trail byte "\"
const std::string kKaiBlank = "\x81\x5F";     // 乢: trail byte "_"
const std::string kJiuL = "\x81\x4C";         // 丩: trail byte "L"
const std::string kZhong = "\xD6\xD0";        // 中
const std::string kWen = "\xCE\xC4";          // 文
const std::string kNian = "\xC4\xEA";         // 年
const std::string kYue = "\xD4\xC2";          // 月

// One letter per position: R required input, o optional input, l literal,
// s separator from the format settings.
std::string Layout(const TEditMaskInfo& info) {
  std::string out;
  for (int p = 0; p < info.Length(); ++p) {
    switch (info.Position(p).Type) {
      case mcMask: out += 'R'; break;
      case mcMaskOpt: out += 'o'; break;
      case mcIntlLiteral: out += 's'; break;
      default: out += 'l'; break;
    }
  }
  return out;
}

// ---- Compiling ----

struct TCompileRow {
  const char* Name;
  std::string Mask;
  std::string Layout;
  std::string EmptyEditText;
  bool SaveLiterals;
  char Blank;
  bool LeadingBlanks;
};

// Guards the reading of every mask character, directive and field: a
// wrong position count shifts every text placed later.
TEST(MaskUtilsTest, CompilesPositionsAndFields) {
  const std::vector<TCompileRow> rows = {
      {"DateMaskSavesLiteralsWithSpaceBlank", "9999/99/99;1; ", "oooosoosoo", "    /  /  ", true, ' ', false},
      {"ZeroFieldDropsLiterals", "9999/99/99;0; ", "oooosoosoo", "    /  /  ", false, ' ', false},
      {"NoFieldsSaveLiteralsWithUnderscore", "000-0000", "RRRlRRRR", "___-____", true, '_', false},
      {"EmptySaveFieldSavesLiterals", "99;;", "oo", "__", true, '_', false},
      {"SaveFieldWithoutBlankField", "99;0", "oo", "__", false, '_', false},
      {"BangTakesNoPosition", "!99:99;1;_", "oosoo", "__:__", true, '_', true},
      {"EscapesMakeLiterals", "\\9\\;9;0;*", "llo", "9;*", false, '*', false},
      {"CaseDirectivesTakeNoPosition", ">LL<ll<>cc", "RRoooo", "______", true, '_', false},
      {"UnderscoreIsBlankLiteral", "99_99", "ooloo", "__ __", true, '_', false},
      {"TrailingBackslashIsLiteral", "99\\", "ool", "__\\", true, '_', false},
      {"AllInputClasses", "LlAaCc09#", "RoRoRoRoo", "_________", true, '_', false},
      {"ControlCharacterBlankFallsBack", "99;1;\t", "oo", "__", true, '_', false},
      {"DoubleByteLiterals", "9999" + kNian + "99" + kYue + ";1; ", "oooollooll",
       "    " + kNian + "  " + kYue, true, ' ', false},
      // The trail bytes look like "\" and "L": still one literal character each.
      {"TrailBytesAreNoDirectives", kJoBackslash + "9" + kJiuL, "lloll", kJoBackslash + "_" + kJiuL, true, '_',
       false},
  };
  for (const TCompileRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TEditMaskInfo info(row.Mask, FormatSettings, kGbk);
    EXPECT_TRUE(info.IsMasked());
    EXPECT_EQ(Layout(info), row.Layout);
    EXPECT_EQ(info.EmptyEditText(), row.EmptyEditText);
    EXPECT_EQ(info.SaveLiterals(), row.SaveLiterals);
    EXPECT_EQ(info.Blank(), row.Blank);
    EXPECT_EQ(info.LeadingBlanks(), row.LeadingBlanks);
  }
}

// Guards against a mask without positions making an edit that can hold
// nothing: it leaves the edit unmasked, and its texts pass through.
TEST(MaskUtilsTest, MaskWithoutPositionsIsUnmasked) {
  for (const char* mask : {"", ";1;_", ">", "!<>;0"}) {
    SCOPED_TRACE(mask);
    const TEditMaskInfo info(mask);
    EXPECT_FALSE(info.IsMasked());
    EXPECT_EQ(info.PlaceText("abc"), "abc");
    EXPECT_EQ(info.SavedText("abc"), "abc");
  }
}

// Guards the date separator: "/" and ":" show the format settings'
// separators, and a text written with the mask's own "/" still matches.
TEST(MaskUtilsTest, SeparatorsFollowTheFormatSettings) {
  TFormatSettings settings;
  settings.DateSeparator = '-';
  settings.TimeSeparator = '.';
  const TEditMaskInfo info("9999/99/99 99:99;1; ", settings);
  EXPECT_EQ(info.EmptyEditText(), "    -  -     .  ");
  EXPECT_EQ(info.PlaceText("2006/01/05 12:30"), "2006-01-05 12.30");
  EXPECT_EQ(info.PlaceText("2006-01-05 12.30"), "2006-01-05 12.30");
  EXPECT_EQ(info.SavedText(info.PlaceText("2006/1/5")), "2006-1 -5    .  ");
  // A company separator that is not "/" is a plain literal.
  const TEditMaskInfo dotted("9999.99.99;1; ", settings);
  EXPECT_EQ(dotted.EmptyEditText(), "    .  .  ");
}

// ---- Placing texts ----

struct TPlaceRow {
  const char* Name;
  std::string Mask;
  std::string Text;
  std::string Shown;
};

// Guards the text setter: valid masked texts come back unchanged, trimmed
// and literal-less texts land in the right positions, nothing is split.
TEST(MaskUtilsTest, PlacesTextsIntoPositions) {
  const std::string date = "9999/99/99;1; ";
  const std::vector<TPlaceRow> rows = {
      {"FullDateRoundTrips", date, "2006/01/05", "2006/01/05"},
      {"PartlyBlankDateRoundTrips", date, "2006/1 /5 ", "2006/1 /5 "},
      {"TrimmedDateIsPaddedBack", date, "2006/1 /5", "2006/1 /5 "},
      {"TrimmedEmptyDateIsTheEmptyText", date, "/  /", "    /  /  "},
      {"EmptyTextIsTheEmptyText", date, "", "    /  /  "},
      {"ShortGroupsSkipToTheirLiteral", date, "2006/1/5", "2006/1 /5 "},
      {"LiteralLessTextFillsGroups", date, "20060105", "2006/01/05"},
      {"SavedWithoutLiteralsComesBack", date, "20061 5 ", "2006/1 /5 "},
      {"LongerTextIsCut", date, "2006/01/05/07", "2006/01/05"},
      {"TrailingBlanksFill", "999;0;_", "12", "12_"},
      {"BangRightAlignsGroups", "!999;0;_", "12", "_12"},
      {"BangRightAlignsEachGroup", "!9999/99/99;1; ", "2006/1/5", "2006/ 1/ 5"},
      {"BangKeepsAFullText", "!9999/99/99;1; ", "2006/1 /5 ", "2006/1 /5 "},
      {"CaseDirectivesApply", ">LL<ll", "abCD", "ABcd"},
      {"BlankCharacterAndSpaceAreBlanks", "000-0000;1;_", "5_5-12 4", "5_5-12_4"},
      {"AcceptedLiteralCharacterIsData", "cc-cc", "a-b", "a--b_"},
      // Code may put what a user could not type: a wrong date stays visible.
      {"RefusedCharactersStillPlaced", date, "2006/0x/05", "2006/0x/05"},
      {"DoubleByteCharactersWhole", "cccc", kZhong + kWen, kZhong + kWen},
      {"DoubleByteNeverStraddlesALiteral", "ccc-cc", kZhong + kWen, kZhong + "_-" + kWen},
      {"DoubleByteCutWhole", "ccc", kZhong + kWen, kZhong + "_"},
      {"DoubleByteLiteralMatches", "9999" + kNian + "99" + kYue, "2006" + kNian + "1" + kYue,
       "2006" + kNian + "1_" + kYue},
      {"TrailByteBlankIsNoBlank", "cccc;1;_", kKaiBlank + "a", kKaiBlank + "a_"},
  };
  for (const TPlaceRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TEditMaskInfo info(row.Mask, FormatSettings, kGbk);
    EXPECT_EQ(info.PlaceText(row.Text), row.Shown);
  }
}

// Guards the free functions against drifting from the compiled info.
TEST(MaskUtilsTest, FreeFunctionsUseTheCompiledMask) {
  EXPECT_EQ(FormatMaskText("9999/99/99;1; ", "2006/1/5"), "2006/1 /5 ");
  EXPECT_EQ(FormatMaskText("000-0000;0;_", "5551234"), "555-1234");
  EXPECT_EQ(EmptyMaskText("9999/99/99;1; "), "    /  /  ");
  EXPECT_EQ(EmptyMaskText("(999);0;*"), "(***)");
}

// ---- Saved texts ----

struct TSaveRow {
  const char* Name;
  std::string Mask;
  std::string Shown;
  std::string Saved;  // with the mask's own save-literals field
};

// Guards the saved text: literals kept or dropped, every blank a space in
// place (nothing moves, so the saved text places back to the same shown
// text), and a trail byte that looks like the blank never turned to space.
TEST(MaskUtilsTest, SavesTextsAndPlacesThemBack) {
  const std::vector<TSaveRow> rows = {
      {"DateWithLiterals", "9999/99/99;1; ", "2006/1 /5 ", "2006/1 /5 "},
      {"DateWithoutLiterals", "9999/99/99;0; ", "2006/1 /5 ", "20061 5 "},
      {"EmptyDateWithoutLiterals", "9999/99/99;0; ", "    /  /  ", "        "},
      {"UnderscoreBlanksBecomeSpaces", "000-0000;1;_", "555-____", "555-    "},
      {"UnderscoreBlanksWithoutLiterals", "000-0000;0;_", "555-12__", "55512  "},
      {"TrailByteKept", "cccc;1;_", kKaiBlank + "__", kKaiBlank + "  "},
      {"DoubleByteLiteralsKept", "9999" + kNian + "99" + kYue, "2006" + kNian + "1_" + kYue,
       "2006" + kNian + "1 " + kYue},
  };
  for (const TSaveRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TEditMaskInfo info(row.Mask, FormatSettings, kGbk);
    EXPECT_EQ(info.SavedText(row.Shown), row.Saved);
    EXPECT_EQ(info.PlaceText(row.Saved), row.Shown);
    EXPECT_EQ(info.PlaceText(info.SavedText(row.Shown, true)), row.Shown);
    EXPECT_EQ(info.PlaceText(info.SavedText(row.Shown, false)), row.Shown);
  }
}

// The required-field check switches a date mask to not saving literals,
// clears, switches back and reads: the text it reads is the blank date.
TEST(MaskUtilsTest, EmptyTextSurvivesSwitchingSaveLiterals) {
  const TEditMaskInfo saving("9999/99/99;1; ");
  const TEditMaskInfo notSaving("9999/99/99;0; ");
  const AnsiString cleared = notSaving.PlaceText("");
  const AnsiString back = saving.PlaceText(notSaving.SavedText(cleared, true));
  EXPECT_EQ(saving.SavedText(back), "    /  /  ");
}

// ---- Queries ----

struct TQueryRow {
  const char* Name;
  std::string Mask;
  std::string Shown;
  bool Empty;
  int FirstRequiredBlank;
};

// Guards the exit check and the "nothing typed" test: only required
// positions count, and a trail byte is never a blank.
TEST(MaskUtilsTest, FindsEmptyTextsAndRequiredBlanks) {
  const std::vector<TQueryRow> rows = {
      {"OptionalDateEmpty", "9999/99/99;1; ", "    /  /  ", true, -1},
      {"OptionalDatePartly", "9999/99/99;1; ", "2006/  /  ", false, -1},
      {"RequiredAllBlank", "000-0000;1;_", "___-____", true, 0},
      {"RequiredPartly", "000-0000;1;_", "555-12__", false, 6},
      {"RequiredFilled", "000-0000;1;_", "555-1234", false, -1},
      {"SpaceIsBlankToo", "00;1;_", "5 ", false, 1},
      {"TrailByteIsNoBlank", "CC;1;_", kKaiBlank, false, -1},
  };
  for (const TQueryRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TEditMaskInfo info(row.Mask, FormatSettings, kGbk);
    EXPECT_EQ(info.IsEditTextEmpty(row.Shown), row.Empty);
    EXPECT_EQ(info.FirstRequiredBlank(row.Shown), row.FirstRequiredBlank);
  }
}

// Guards the character classes a user may type into each position.
TEST(MaskUtilsTest, AcceptsCharactersByClass) {
  const TEditMaskInfo info("LlAaCc09#;1;_", FormatSettings, kGbk);
  const std::string sample = "aZ5 +-_\x01\xD6";  // letters, digit, space, signs, "_", control, lead byte
  // The accepted characters of the sample, per position.
  const std::vector<std::string> accepted = {
      "aZ", "aZ ", "aZ5", "aZ5 ", "aZ5 +-_", "aZ5 +-_", "5", "5 ", "5 +-",
  };
  for (int p = 0; p < info.Length(); ++p) {
    std::string got;
    for (char ch : sample)
      if (info.AcceptsChar(p, ch)) got += ch;
    EXPECT_EQ(got, accepted[static_cast<size_t>(p)]) << "position " << p;
  }
  EXPECT_FALSE(info.AcceptsDoubleByte(3));  // "a" and "C"
  EXPECT_TRUE(info.AcceptsDoubleByte(4));   // "C" and "c"
  EXPECT_FALSE(info.AcceptsDoubleByte(5));  // "c" and "0"
  EXPECT_FALSE(info.AcceptsChar(info.Length(), 'a'));
  EXPECT_THROW(info.Position(info.Length()), EListError);
}

struct TCharTypeRow {
  int Offset;
  TMaskCharType Type;
};

// Guards MaskGetCharType against disagreeing with the compiler on escapes
// and fields.
TEST(MaskUtilsTest, ClassifiesMaskCharacters) {
  const std::string mask = "!>\\99/a;0; ";
  const std::vector<TCharTypeRow> rows = {
      {0, mcDirective}, {1, mcDirective}, {2, mcDirective},      {3, mcLiteral},
      {4, mcMaskOpt},   {5, mcIntlLiteral}, {6, mcMaskOpt},      {7, mcFieldSeparator},
      {8, mcField},     {9, mcFieldSeparator}, {10, mcField},
  };
  for (const TCharTypeRow& row : rows) EXPECT_EQ(MaskGetCharType(mask, row.Offset), row.Type) << row.Offset;
  EXPECT_EQ(MaskGetCharType("0<>", 1), mcDirective);
  EXPECT_EQ(MaskGetCharType("0<>", 2), mcDirective);
  EXPECT_THROW(MaskGetCharType(mask, 11), EListError);
  EXPECT_THROW(MaskGetCharType(mask, -1), EListError);
}

// ---- Keyboard edits ----

// Keys of a script: a character is typed; "{BS}", "{DEL}", "{L}", "{R}",
// "{HOME}" and "{END}" are keys; "{ZH}" types the double-byte 中.
void RunKeys(const TEditMaskInfo& info, TMaskEditState& state, const std::string& keys, std::string& refused) {
  size_t i = 0;
  while (i < keys.size()) {
    if (keys[i] == '{') {
      const size_t close = keys.find('}', i);
      const std::string key = keys.substr(i + 1, close - i - 1);
      i = close + 1;
      if (key == "BS") info.DeleteBack(state);
      else if (key == "DEL") info.DeleteForward(state);
      else if (key == "L") info.CaretLeft(state);
      else if (key == "R") info.CaretRight(state);
      else if (key == "HOME") info.CaretHome(state);
      else if (key == "END") info.CaretEnd(state);
      else if (key == "ZH" && !info.TypeChar(state, kZhong)) refused += "ZH";
      continue;
    }
    if (!info.TypeChar(state, std::string(1, keys[i]))) refused += keys[i];
    ++i;
  }
}

struct TKeyRow {
  const char* Name;
  std::string Mask;
  std::string Start;  // shown text
  int SelStart;
  int SelLength;
  std::string Keys;
  std::string Shown;
  int Caret;
  std::string Refused;
};

// Guards the user's typing: overwrite at input positions, literals
// skipped, refused characters change nothing, deletes blank in place and
// double-byte characters go whole or not at all.
TEST(MaskUtilsTest, EditsAsTheUserTypes) {
  const std::string date = "9999/99/99;1; ";
  const std::string empty = "    /  /  ";
  const std::vector<TKeyRow> rows = {
      {"TypingSkipsLiterals", date, empty, 0, 0, "20060105", "2006/01/05", 10, ""},
      {"RefusedLetterChangesNothing", date, empty, 0, 0, "2006x1", "2006/1 /  ", 6, "x"},
      {"TypingPastTheEndIsRefused", date, "2006/01/05", 10, 0, "7", "2006/01/05", 10, "7"},
      {"SelectionIsBlankedFirst", date, "2006/01/05", 0, 10, "1", "1   /  /  ", 1, ""},
      {"CaretOnLiteralTypesAfterIt", date, empty, 4, 0, "1", "    /1 /  ", 6, ""},
      {"BackspaceBlanksAndSkipsLiterals", date, "2006/01/05", 10, 0, "{BS}{BS}{BS}", "2006/0 /  ", 6, ""},
      {"BackspaceAtStartDoesNothing", date, "2006/01/05", 0, 0, "{BS}", "2006/01/05", 0, ""},
      {"DeleteOnLiteralBlanksTheNextInput", date, "2006/01/05", 4, 0, "{DEL}", "2006/ 1/05", 5, ""},
      {"DeleteBlanksSelectionOnly", date, "2006/01/05", 3, 4, "{DEL}", "200 /  /05", 3, ""},
      {"LeftSkipsLiterals", date, "2006/01/05", 5, 0, "{L}", "2006/01/05", 3, ""},
      {"RightSkipsLiterals", date, "2006/01/05", 3, 0, "{R}", "2006/01/05", 5, ""},
      {"HomeAndEnd", "(999)", "(123)", 3, 0, "{HOME}", "(123)", 1, ""},
      {"EndIsPastTheLastLiteral", "(999)", "(123)", 1, 0, "{END}", "(123)", 5, ""},
      {"LeftBeforeFirstInputStays", "(999)", "(123)", 1, 0, "{L}", "(123)", 1, ""},
      {"CaseDirective", ">llll", "____", 0, 0, "abCd", "ABCD", 4, ""},
      {"RequiredRefusesSpace", "00;1;_", "__", 0, 0, " 1", "1_", 1, " "},
      {"OptionalTakesSpaceAsBlank", "99;1;_", "12", 0, 0, " ", "_2", 1, ""},
      {"DoubleByteInAnyCharacterPair", "cc-cc;1;_", "__-__", 0, 0, "{ZH}", kZhong + "-__", 3, ""},
      {"DoubleByteRefusedInDigits", "9999", "____", 0, 0, "{ZH}", "____", 0, "ZH"},
      {"DoubleByteRefusedAcrossLiteral", "c-cc", "_-__", 0, 0, "{ZH}", "_-__", 0, "ZH"},
      {"OverwritingHalfBlanksTheOtherHalf", "cccc;1;_", kZhong + kWen, 2, 0, "x", kZhong + "x_", 3, ""},
      {"BackspaceRemovesDoubleByteWhole", "cccc;1;_", kZhong + kWen, 4, 0, "{BS}", kZhong + "__", 2, ""},
      {"LeftStepsOverDoubleByteWhole", "cccc;1;_", kZhong + kWen, 4, 0, "{L}", kZhong + kWen, 2, ""},
      {"CaretInsideDoubleByteSnapsBack", "cccc;1;_", kZhong + kWen, 3, 0, "y", kZhong + "y_", 3, ""},
  };
  for (const TKeyRow& row : rows) {
    SCOPED_TRACE(row.Name);
    const TEditMaskInfo info(row.Mask, FormatSettings, kGbk);
    TMaskEditState state{row.Start, row.SelStart, row.SelLength};
    std::string refused;
    RunKeys(info, state, row.Keys, refused);
    EXPECT_EQ(state.EditText, row.Shown);
    EXPECT_EQ(state.SelStart, row.Caret);
    EXPECT_EQ(state.SelLength, 0);
    EXPECT_EQ(refused, row.Refused);
  }
}

}  // namespace
