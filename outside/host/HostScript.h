// The demo host's journal and scripted answers. A real host asks a person
// in its date picker, lookup window and phrase list; this one answers from a
// queue that a test or the demo fills beforehand (each kind has its own
// queue, first in first out), and falls back to a documented default when
// the queue is empty. Every call on the host's objects is written to the
// journal, so a test or the demo can show what the plug-in asked.
#pragma once

#include <deque>
#include <mutex>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

struct THostJournalEntry {
  AnsiString Member;     // "F2GetData", "CallHelp", ...
  AnsiString Arguments;  // the arguments as text (DescribeVariant)
  AnsiString Answer;     // what was answered, with "scripted:" when scripted
};

class THostScript {
public:
  // ---- Scripted answers ----
  // The next date picker answer: "YYYYMMDD" (a valid date) or "" for a
  // cancelled picker. EHostError for anything else.
  void ScriptDatePick(const AnsiString& answer);
  // The next lookup answer, returned as given: rows (an array of row
  // arrays), one value, Empty (cancelled) or Null.
  void ScriptLookup(const Variant& answer);
  // The next phrase the user picks ("" for none).
  void ScriptPhrase(const AnsiString& answer);

  std::optional<AnsiString> NextDatePick();
  std::optional<Variant> NextLookup();
  std::optional<AnsiString> NextPhrase();
  // Scripted answers not consumed yet, all kinds together.
  size_t PendingCount() const;

  // ---- Journal ----
  void Record(AnsiString member, AnsiString arguments, AnsiString answer);
  std::vector<THostJournalEntry> Journal() const;
  // One line per entry: "Member(arguments) -> answer".
  AnsiString JournalText() const;
  void ClearJournal();

  // Runs body(answer) and records the call: the answer text body left in
  // answer, or "error: " and the message when body raised (which then goes on).
  template <class F>
  auto Journaled(const AnsiString& member, const AnsiString& arguments, F body)
      -> decltype(body(std::declval<AnsiString&>())) {
    AnsiString answer;
    try {
      if constexpr (std::is_void_v<decltype(body(answer))>) {
        body(answer);
        Record(member, arguments, answer);
      } else {
        auto result = body(answer);
        Record(member, arguments, answer);
        return result;
      }
    } catch (const std::exception& e) {
      Record(member, arguments, AnsiString("error: ") + e.what());
      throw;
    }
  }

private:
  mutable std::mutex FLock;
  std::deque<AnsiString> FDatePicks;
  std::deque<Variant> FLookups;
  std::deque<AnsiString> FPhrases;
  std::vector<THostJournalEntry> FJournal;
};

// A Variant as one line of text for the journal: texts quoted, arrays in
// brackets ("[\"01\", [\"A\", 2]]"), Empty and Null by name, objects as
// "<object>". Byte strings are copied as they are (936).
AnsiString DescribeVariant(const Variant& value);

// True when text is "YYYYMMDD" naming a real day of the common era.
bool IsCompactDate(const AnsiString& text);
