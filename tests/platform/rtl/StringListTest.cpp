// String lists: name=value lines, the text and delimited forms, sorting with
// the duplicates policies, objects per line, change notification and index
// errors.
#include "platform/rtl/StringList.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/TextSupport.h"

namespace {

using TLines = std::vector<AnsiString>;

TLines LinesOf(const TStrings& list) {
  TLines lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

void Fill(TStrings& list, const TLines& lines) {
  list.Clear();
  for (const AnsiString& s : lines) list.Add(s);
}


// Counts notifications and records what the list held when each came.
class TRecorder {
public:
  explicit TRecorder(TStrings& list) {
    list.OnChanging = [this](TStrings& sender) {
      ++Changing;
      Log.push_back("changing " + std::to_string(sender.Count()));
    };
    list.OnChange = [this](TStrings& sender) {
      ++Change;
      Log.push_back("change " + std::to_string(sender.Count()));
    };
  }
  int Changing = 0;
  int Change = 0;
  std::vector<std::string> Log;
};

// ---- name=value lines -------------------------------------------------------------

// Guards against names compared with case, values cut at a second "=", and
// lines without a separator taken for names or values.
TEST(StringListTest, ReadsNameValueLines) {
  TStringList list;
  Fill(list, {"936=CHS", "950=CHT", "Key=a=b", "noequal", "=empty name", "Color="});
  EXPECT_EQ(list.Values("950"), "CHT");
  EXPECT_EQ(list.Values("KEY"), "a=b");
  EXPECT_EQ(list.Values("key"), "a=b");
  EXPECT_EQ(list.Values("noequal"), "");
  EXPECT_EQ(list.Values("missing"), "");
  EXPECT_EQ(list.Values(""), "empty name");
  EXPECT_EQ(list.IndexOfName("color"), 5);
  EXPECT_EQ(list.Names(2), "Key");
  EXPECT_EQ(list.Names(3), "");
  // A line without a separator has no value (not the line minus its first byte).
  EXPECT_EQ(list.ValueFromIndex(3), "");
  EXPECT_EQ(list.ValueFromIndex(2), "a=b");
  list.SetCaseSensitive(true);
  EXPECT_EQ(list.Values("key"), "");  // an exact-key look-up
  EXPECT_EQ(list.Values("Key"), "a=b");
  list.SetNameValueSeparator(':');
  list.Add("host:ERP");
  EXPECT_EQ(list.Values("host"), "ERP");
}

// Guards against a byte-wise case fold equating two different Chinese
// names: in code page 936, 0xB0 0x41 and 0xB0 0x61 are two characters whose
// trail bytes look like "A" and "a".
TEST(StringListTest, NamesCompareDoubleByteCharactersExactly) {
  TScopedCodePage cp(936);
  TStringList list;
  Fill(list, {"\xB0\x41=upper", "\xB0\x61=lower", "ab\xB0\x41=x"});
  EXPECT_EQ(list.Values("\xB0\x61"), "lower");
  EXPECT_EQ(list.Values("AB\xB0\x41"), "x");
  EXPECT_EQ(list.Values("AB\xB0\x61"), "");
}

// Guards against an empty value leaving "Name=" behind (the original
// deletes the line) and against setting a value adding a second line.
TEST(StringListTest, SetValueReplacesAddsAndDeletes) {
  TStringList list;
  Fill(list, {"a=1", "B=2", "c=3"});
  list.SetValue("b", "20");
  EXPECT_EQ(LinesOf(list), (TLines{"a=1", "b=20", "c=3"}));
  list.SetValue("d", "4");
  EXPECT_EQ(LinesOf(list), (TLines{"a=1", "b=20", "c=3", "d=4"}));
  list.SetValue("A", "");
  EXPECT_EQ(LinesOf(list), (TLines{"b=20", "c=3", "d=4"}));
  list.SetValue("missing", "");
  EXPECT_EQ(list.Count(), 3);
}

// Guards against SetValue failing on a sorted list (which refuses Put) or
// losing the line's object when the line moves.
TEST(StringListTest, SetValueOnASortedListKeepsOrderAndObject) {
  TStringList list;
  list.SetSorted(true);
  int marker = 0;
  list.AddObject("m=1", &marker);
  list.Add("b=2");
  list.Add("x=3");
  list.SetValue("M", "0");
  EXPECT_EQ(LinesOf(list), (TLines{"b=2", "M=0", "x=3"}));
  EXPECT_EQ(list.Objects(1), &marker);
}

// ---- text forms -------------------------------------------------------------------

struct TTextRow {
  const char* Name;
  AnsiString Text;
  TLines Lines;
};

// Guards against a lost last line, an extra empty line from the final line
// break and CR LF read as two breaks.
TEST(StringListTest, SetTextSplitsAtEveryKindOfLineBreak) {
  const TTextRow rows[] = {
      {"CrLf", "a\r\nb\r\n", {"a", "b"}},
      {"MixedBreaks", "a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"EmptyLineInside", "a\r\n\r\nb", {"a", "", "b"}},
      {"LfThenCrAreTwoBreaks", "\n\r", {"", ""}},
      {"OnlyABreak", "\r\n", {""}},
      {"Empty", "", {}},
      {"NoBreak", "a", {"a"}},
      {"KeepsBlanks", " a \r\n", {" a "}},
  };
  for (const TTextRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TStringList list;
    list.SetText(row.Text);
    EXPECT_EQ(LinesOf(list), row.Lines);
  }
}

// Guards against the joined text missing the break after the last line.
TEST(StringListTest, TextEndsEveryLineWithCrLfAndRoundTrips) {
  TStringList list;
  Fill(list, {"936=CHS", "", "950=CHT"});
  EXPECT_EQ(list.Text(), "936=CHS\r\n\r\n950=CHT\r\n");
  TStringList copy;
  copy.SetText(list.Text());
  EXPECT_EQ(LinesOf(copy), LinesOf(list));
  copy.Clear();
  EXPECT_EQ(copy.Text(), "");
}

struct TCommaRow {
  const char* Name;
  TLines Lines;
  AnsiString Text;
};

// Guards against items that need quotes going out bare (and so splitting
// into more items when read back) and against lost empty items.
TEST(StringListTest, CommaTextQuotesWhatWouldNotReadBack) {
  const TCommaRow rows[] = {
      {"Plain", {"a", "b"}, "a,b"},
      {"Blank", {"a b"}, "\"a b\""},
      {"Comma", {"a,b", "c"}, "\"a,b\",c"},
      {"Quotes", {"say \"hi\""}, "\"say \"\"hi\"\"\""},
      {"LoneEmptyItem", {""}, "\"\""},
      {"EmptyLast", {"a", ""}, "a,"},
      {"EmptyFirst", {"", "a"}, ",a"},
      {"TwoEmpty", {"", ""}, ","},
      {"ControlCharacter", {"a\tb"}, "\"a\tb\""},
      {"Nothing", {}, ""},
      {"Chinese", {"\xD6\xD0\xCE\xC4"}, "\xD6\xD0\xCE\xC4"},  // "中文"
  };
  for (const TCommaRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TStringList list;
    Fill(list, row.Lines);
    EXPECT_EQ(list.CommaText(), row.Text);
    TStringList back;
    back.SetCommaText(row.Text);
    EXPECT_EQ(LinesOf(back), row.Lines);
  }
}

// Guards against a reader that chokes on loose input: blanks around items,
// text glued to a closing quote, an unclosed quote, a NUL byte.
TEST(StringListTest, CommaTextReadsLooseInput) {
  const TCommaRow rows[] = {
      {"BlanksAroundItems", {"a", "b", "c"}, "  a , b,c  "},
      {"BlankSplitsUnquoted", {"a", "b"}, "a b"},
      {"TextAfterClosingQuote", {"a", "b", "c"}, "\"a\"b,c"},
      {"UnclosedQuote", {"ab,c"}, "\"ab,c"},
      {"OnlyBlanks", {}, "   "},
      {"NulByteSeparates", {"a", "b"}, AnsiString("a\0b", 3)},
      {"DelimiterAfterBlanks", {"a", ""}, "a ,"},
  };
  for (const TCommaRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TStringList list;
    list.SetCommaText(row.Text);
    EXPECT_EQ(LinesOf(list), row.Lines);
  }
}

// Guards against a strict list splitting at blanks, and against the trail
// byte of a double-byte character being taken for the delimiter: in code
// page 936, 0x81 0x7C is one character whose trail byte is "|".
TEST(StringListTest, DelimitedTextHonoursDelimiterQuoteAndStrictness) {
  TStringList list;
  list.SetDelimiter(';');
  list.SetStrictDelimiter(true);
  list.SetDelimitedText(" a b;c; ");
  EXPECT_EQ(LinesOf(list), (TLines{" a b", "c", " "}));
  EXPECT_EQ(list.DelimitedText(), " a b;c; ");
  Fill(list, {"x;y", "z"});
  EXPECT_EQ(list.DelimitedText(), "\"x;y\";z");
  list.SetQuoteChar('\'');
  EXPECT_EQ(list.DelimitedText(), "'x;y';z");
  EXPECT_EQ(list.CommaText(), "x;y,z");  // comma text keeps its own rules

  TScopedCodePage cp(936);
  TStringList wide;
  wide.SetDelimiter('|');
  wide.SetDelimitedText("\x81\x7C|b");
  EXPECT_EQ(LinesOf(wide), (TLines{"\x81\x7C", "b"}));
  EXPECT_EQ(wide.DelimitedText(), "\x81\x7C|b");
}

// ---- sorting and duplicates -------------------------------------------------------

struct TDuplicateRow {
  const char* Name;
  TDuplicates Policy;
  TLines After;
  bool Throws;
};

// Guards against the duplicates policy being ignored on a sorted list and
// against a refused line leaving the list changed.
TEST(StringListTest, SortedListAppliesTheDuplicatesPolicy) {
  const TDuplicateRow rows[] = {
      {"Ignore", dupIgnore, {"apple", "Kiwi", "pear"}, false},
      {"Accept", dupAccept, {"apple", "Kiwi", "KIWI", "pear"}, false},
      {"Error", dupError, {"apple", "Kiwi", "pear"}, true},
  };
  for (const TDuplicateRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(row.Policy);
    Fill(list, {"pear", "Kiwi", "apple"});
    if (row.Throws) {
      EXPECT_THROW(list.Add("KIWI"), EStringListError);
    } else {
      const int index = list.Add("KIWI");
      EXPECT_EQ(index, row.Policy == dupIgnore ? 1 : 2);
    }
    EXPECT_EQ(LinesOf(list), row.After);
  }
}

// Guards against a sorted list that compares with case, cannot find what it
// holds, or lets lines be placed by hand.
TEST(StringListTest, SortedListKeepsItsOrder) {
  TStringList list;
  Fill(list, {"b", "C", "a", "B"});
  list.SetSorted(true);
  EXPECT_EQ(LinesOf(list), (TLines{"a", "b", "B", "C"}));  // stable among equals
  int index = -1;
  EXPECT_TRUE(list.Find("c", index));
  EXPECT_EQ(index, 3);
  EXPECT_FALSE(list.Find("bb", index));
  EXPECT_EQ(index, 3);  // where it would go
  EXPECT_EQ(list.IndexOf("A"), 0);
  EXPECT_EQ(list.Add("aa"), 1);
  EXPECT_THROW(list.Insert(0, "z"), EStringListError);
  EXPECT_THROW(list.Put(0, "z"), EStringListError);
  EXPECT_THROW(list.Exchange(0, 1), EStringListError);
  list.SetCaseSensitive(true);  // sorts again by bytes
  EXPECT_EQ(LinesOf(list), (TLines{"B", "C", "a", "aa", "b"}));
  EXPECT_EQ(list.IndexOf("c"), -1);
}

// Guards against objects staying in place while their lines move: they
// hold the halves of saved method pointers.
TEST(StringListTest, ObjectsMoveWithTheirLines) {
  int one = 1, two = 2, three = 3;
  TStringList list;
  list.AddObject("c.OnExit.Code", &three);
  list.AddObject("a.OnExit.Code", &one);
  list.AddObject("b.OnExit.Code", &two);
  list.Sort();
  EXPECT_EQ(list.Objects(0), &one);
  EXPECT_EQ(list.Objects(1), &two);
  EXPECT_EQ(list.Objects(2), &three);
  list.CustomSort([](TStringList& l, int a, int b) {
    return *static_cast<int*>(l.Objects(b)) - *static_cast<int*>(l.Objects(a));
  });
  EXPECT_EQ(LinesOf(list), (TLines{"c.OnExit.Code", "b.OnExit.Code", "a.OnExit.Code"}));
  EXPECT_EQ(list.IndexOfObject(&one), 2);
  EXPECT_EQ(list.IndexOfObject(nullptr), -1);
  list.SetSorted(true);
  EXPECT_EQ(list.Objects(0), &one);
}

// Guards against a comparison that contradicts itself making the sort run
// off the list or lose lines.
TEST(StringListTest, CustomSortSurvivesAnInconsistentComparison) {
  TStringList list;
  for (int i = 0; i < 200; ++i) list.Add(std::to_string(i));
  unsigned seed = 7;
  list.CustomSort([&seed](TStringList&, int, int) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % 3) - 1;
  });
  EXPECT_EQ(list.Count(), 200);
  TStringList check;
  check.SetSorted(true);
  check.SetDuplicates(dupError);
  check.AddStrings(list);  // throws if a line came out twice
  EXPECT_EQ(check.Count(), 200);
}

// ---- copying ----------------------------------------------------------------------

// Guards against Assign to itself clearing the list, AddStrings of itself
// running forever, and Assign dropping objects or the list's separators.
TEST(StringListTest, AssignAndAddStringsCopyLinesObjectsAndSeparators) {
  int marker = 0;
  TStringList source;
  source.AddObject("a=1", &marker);
  source.Add("b=2");
  source.SetNameValueSeparator(':');
  source.SetDelimiter(';');
  source.Assign(source);
  EXPECT_EQ(LinesOf(source), (TLines{"a=1", "b=2"}));
  TStringList target;
  target.Add("old");
  target.Assign(source);
  EXPECT_EQ(LinesOf(target), (TLines{"a=1", "b=2"}));
  EXPECT_EQ(target.Objects(0), &marker);
  EXPECT_EQ(target.NameValueSeparator(), ':');
  EXPECT_EQ(target.Delimiter(), ';');
  target.AddStrings(target);
  EXPECT_EQ(LinesOf(target), (TLines{"a=1", "b=2", "a=1", "b=2"}));
  EXPECT_EQ(target.Objects(2), &marker);
}

// ---- notification -----------------------------------------------------------------

// Guards against listeners hearing of every line of a bulk change, hearing
// of nothing at the outermost EndUpdate, or hearing of changes that did not
// happen.
TEST(StringListTest, NotifiesOncePerChangeOrOncePerOutermostUpdate) {
  TStringList list;
  TRecorder rec(list);
  list.Add("a");
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"changing 0", "change 1"}));

  rec.Log.clear();
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add("b");
  list.Add("c");
  list.EndUpdate();
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"changing 1"}));  // before the first change
  list.Delete(0);
  list.EndUpdate();
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"changing 1", "change 2"}));

  rec.Log.clear();
  list.BeginUpdate();
  list.EndUpdate();
  list.Put(0, list[0]);  // same text
  list.PutObject(0, nullptr);  // same object
  TStringList empty;
  TRecorder quiet(empty);
  empty.Clear();
  EXPECT_TRUE(rec.Log.empty());
  EXPECT_TRUE(quiet.Log.empty());

  list.SetText("x\r\ny\r\nz");
  list.SetCommaText("p,q");
  list.Sort();  // already in order: nothing moves
  EXPECT_EQ(rec.Log, (std::vector<std::string>{"changing 2", "change 3", "changing 3",
                                               "change 2"}));
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_THROW(list.EndUpdate(), EInvalidOperation);
}

// Guards against a bulk change that fails half-way leaving the list stuck
// in an update, so that it never notifies again.
TEST(StringListTest, FailedBulkChangeStillEndsTheUpdate) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupError);
  TRecorder rec(list);
  EXPECT_THROW(list.SetCommaText("a,b,a"), EStringListError);
  EXPECT_EQ(list.UpdateCount(), 0);
  EXPECT_EQ(LinesOf(list), (TLines{"a", "b"}));
  EXPECT_EQ(rec.Change, 1);
  list.Add("c");
  EXPECT_EQ(rec.Change, 2);
}

// ---- index errors -----------------------------------------------------------------

// Guards against out-of-range indices reading or writing past the list
// instead of raising the original's error.
TEST(StringListTest, RaisesListIndexOutOfBounds) {
  TStringList list;
  Fill(list, {"a", "b"});
  struct {
    const char* Name;
    int Index;
    std::function<void(TStringList&)> Call;
  } rows[] = {
      {"Get", 5, [](TStringList& l) { l.Get(5); }},
      {"GetNegative", -1, [](TStringList& l) { (void)l[-1]; }},
      {"Put", 2, [](TStringList& l) { l.Put(2, "x"); }},
      {"GetObject", 2, [](TStringList& l) { l.Objects(2); }},
      {"PutObject", 3, [](TStringList& l) { l.PutObject(3, nullptr); }},
      {"Delete", 2, [](TStringList& l) { l.Delete(2); }},
      {"InsertPastEnd", 3, [](TStringList& l) { l.Insert(3, "x"); }},
      {"Names", 2, [](TStringList& l) { l.Names(2); }},
      {"Exchange", 9, [](TStringList& l) { l.Exchange(0, 9); }},
  };
  for (auto& row : rows) {
    SCOPED_TRACE(row.Name);
    try {
      row.Call(list);
      ADD_FAILURE() << "no exception";
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(), "List index out of bounds (" + std::to_string(row.Index) + ")");
    }
    EXPECT_EQ(LinesOf(list), (TLines{"a", "b"}));
  }
  list.Insert(2, "c");  // the end is a valid place to insert
  EXPECT_EQ(LinesOf(list), (TLines{"a", "b", "c"}));
}

// ---- the abstract base ------------------------------------------------------------

// A list that implements only the primitives, as memo lines will.
class TMinimalStrings : public TStrings {
public:
  AnsiString Get(int index) const override {
    CheckIndex(index);
    return FLines[static_cast<size_t>(index)];
  }
  int GetCount() const override { return static_cast<int>(FLines.size()); }
  void Insert(int index, const AnsiString& s) override {
    CheckIndex(index, true);
    Changing();
    FLines.insert(FLines.begin() + index, s);
    Changed();
  }
  void Delete(int index) override {
    CheckIndex(index);
    Changing();
    FLines.erase(FLines.begin() + index);
    Changed();
  }
  void Clear() override {
    if (FLines.empty()) return;
    Changing();
    FLines.clear();
    Changed();
  }

private:
  TLines FLines;
};

// Guards against the shared algorithms (values, text, Put through delete
// and insert) depending on TStringList rather than on the primitives.
TEST(StringListTest, BaseAlgorithmsWorkOnAnyList) {
  TMinimalStrings lines;
  TRecorder rec(lines);
  lines.SetText("936=CHS\r\n950=CHT\r\n");
  EXPECT_EQ(rec.Change, 1);
  lines.SetValue("950", "BIG5");
  EXPECT_EQ(rec.Change, 2);  // one notification for the delete and insert
  EXPECT_EQ(lines.Text(), "936=CHS\r\n950=BIG5\r\n");
  EXPECT_EQ(lines.IndexOf("936=chs"), 0);
  EXPECT_EQ(lines.Objects(0), nullptr);
  TStringList copy;
  copy.Assign(lines);
  EXPECT_EQ(copy.CommaText(), "936=CHS,950=BIG5");
}

}  // namespace
