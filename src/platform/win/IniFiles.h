// Profile files ("HelmarC.ini"): sections of name=value lines, read whole
// when the object is created and answered from memory.
//
// Reading rules, the original platform's:
// - ";" opens a comment only at the start of a line, so
//   "ComputerName=hostA;hostB" keeps both hosts;
// - section and key names ignore ASCII case (trail bytes never fold);
// - names and values are trimmed, then one pair of double quotes around the
//   whole value is removed;
// - a key given twice in a section: the first wins (a section given twice
//   continues the first);
// - lines before the first section, lines without "=", lines with an empty
//   name and section lines without "]" are skipped; the lines under a broken
//   section line are skipped too, so they never land in the section above;
// - CR LF and LF both end a line.
// The file is in the system code page and read as it is; a file that starts
// with a UTF-8 BOM is UTF-8 and is converted to the system code page (a
// character the code page cannot hold becomes "?"). A missing or unreadable
// file reads as empty, so every read answers its default.
//
// Writing (WriteString, then UpdateFile) rewrites the whole file in the
// system code page from memory: comments and skipped lines are not kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

class TStrings;

class TIniFile {
public:
  // fileName is a path in the system code page.
  explicit TIniFile(std::string_view fileName);
  // Parses text as if it were the file's content (no file is read).
  static TIniFile FromText(std::string_view text, std::string_view fileName = "");

  const AnsiString& FileName() const { return FFileName; }

  AnsiString ReadString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;
  // Decimal, "$hex" or "0xhex", with a sign; anything else (a missing key,
  // an empty value, a value out of range) gives defaultValue.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // An integer value is true when not 0; "True"/"False" in any case are read
  // too; anything else gives defaultValue.
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  bool SectionExists(std::string_view section) const;
  bool ValueExists(std::string_view section, std::string_view key) const;

  // These clear strings, then fill it in file order.
  // The section names.
  void ReadSections(TStrings& strings) const;
  // The key names of a section.
  void ReadSection(std::string_view section, TStrings& strings) const;
  // The section as "name=value" lines (values as ReadString gives them).
  void ReadSectionValues(std::string_view section, TStrings& strings) const;

  // Sets a value in memory (adding the section or key at the end);
  // UpdateFile writes it out.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes every section to the file (CR LF line ends). Raises EInOutError
  // when the file cannot be written.
  void UpdateFile() const;

private:
  struct TEntry {
    AnsiString Name;
    AnsiString Value;
  };
  struct TSection {
    AnsiString Name;
    std::vector<TEntry> Entries;
  };

  TIniFile() = default;
  void Parse(std::string_view text);
  const TSection* FindSection(std::string_view section) const;
  TSection* FindSection(std::string_view section);
  const TEntry* FindEntry(std::string_view section, std::string_view key) const;

  AnsiString FFileName;
  std::vector<TSection> FSections;
};

// Every read of this class works from memory already.
using TMemIniFile = TIniFile;
