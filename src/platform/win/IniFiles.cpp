#include "platform/win/IniFiles.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/win/Paths.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One pair of double quotes around the whole value goes; a quote can never
// be a trail byte (they start at 0x40), so the ends are whole characters.
std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    return value.substr(1, value.size() - 2);
  return value;
}

// Whether a value must be written in quotes to read back as it is.
bool NeedsQuotes(std::string_view value) {
  if (value.empty()) return false;
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  return blank(value.front()) || blank(value.back()) ||
         (value.size() >= 2 && value.front() == '"' && value.back() == '"');
}

// One change notice for a whole fill, also when an Add raises.
class TUpdateScope {
public:
  explicit TUpdateScope(TStrings& strings) : FStrings(strings) { FStrings.BeginUpdate(); }
  ~TUpdateScope() { FStrings.EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  TStrings& FStrings;
};

}  // namespace

TIniFile::TIniFile(std::string_view fileName) : FFileName(fileName) {
  AnsiString text;
  try {
    text = ReadFileBytes(fileName);
  } catch (const EInOutError&) {
    // A missing or unreadable profile reads as all defaults.
    return;
  }
  Parse(text);
}

TIniFile TIniFile::FromText(std::string_view text, std::string_view fileName) {
  TIniFile ini;
  ini.FFileName = AnsiString(fileName);
  ini.Parse(text);
  return ini;
}

void TIniFile::Parse(std::string_view text) {
  AnsiString converted;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
    converted = ConvertCodePage(CP_UTF8, CP_ACP, text.substr(kUtf8Bom.size()));
    text = converted;
  }
  TSection* current = nullptr;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view raw = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const AnsiString line = Trim(raw);  // takes the CR of a CR LF too
    if (line.empty() || line[0] == ';') continue;

    if (line[0] == '[') {
      // "]" (0x5D) can be the trail byte of a GBK or Big5 character.
      const int close = AnsiPos("]", line);
      if (close == 0) {
        // The lines under a broken section line belong to no section we
        // know; filing them under the section above would change its values.
        current = nullptr;
        continue;
      }
      const AnsiString name = Trim(std::string_view(line).substr(1, close - 2));
      current = FindSection(name);
      if (current == nullptr) {
        FSections.push_back(TSection{name, {}});
        current = &FSections.back();
      }
      continue;
    }

    if (current == nullptr) continue;
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const AnsiString name = Trim(std::string_view(line).substr(0, equals));
    if (name.empty()) continue;
    bool known = false;
    for (const TEntry& entry : current->Entries)
      if (SameText(entry.Name, name)) known = true;
    if (known) continue;  // the first of two equal keys wins
    const AnsiString value = Trim(std::string_view(line).substr(equals + 1));
    current->Entries.push_back(TEntry{name, AnsiString(Unquote(value))});
  }
}

const TIniFile::TSection* TIniFile::FindSection(std::string_view section) const {
  for (const TSection& s : FSections)
    if (SameText(s.Name, section)) return &s;
  return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view section) {
  return const_cast<TSection*>(std::as_const(*this).FindSection(section));
}

const TIniFile::TEntry* TIniFile::FindEntry(std::string_view section, std::string_view key) const {
  const TSection* s = FindSection(section);
  if (s == nullptr) return nullptr;
  for (const TEntry& entry : s->Entries)
    if (SameText(entry.Name, key)) return &entry;
  return nullptr;
}

AnsiString TIniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  const TEntry* entry = FindEntry(section, key);
  return entry != nullptr ? entry->Value : AnsiString(defaultValue);
}

int TIniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const TEntry* entry = FindEntry(section, key);
  int32_t value = 0;
  return entry != nullptr && TryStrToInt(entry->Value, value) ? value : defaultValue;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  const TEntry* entry = FindEntry(section, key);
  bool value = false;
  return entry != nullptr && TryStrToBool(entry->Value, value) ? value : defaultValue;
}

bool TIniFile::SectionExists(std::string_view section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  return FindEntry(section, key) != nullptr;
}

void TIniFile::ReadSections(TStrings& strings) const {
  TUpdateScope scope(strings);
  strings.Clear();
  for (const TSection& s : FSections) strings.Add(s.Name);
}

void TIniFile::ReadSection(std::string_view section, TStrings& strings) const {
  TUpdateScope scope(strings);
  strings.Clear();
  if (const TSection* s = FindSection(section))
    for (const TEntry& entry : s->Entries) strings.Add(entry.Name);
}

void TIniFile::ReadSectionValues(std::string_view section, TStrings& strings) const {
  TUpdateScope scope(strings);
  strings.Clear();
  if (const TSection* s = FindSection(section))
    for (const TEntry& entry : s->Entries) strings.Add(entry.Name + "=" + entry.Value);
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  TSection* s = FindSection(section);
  if (s == nullptr) {
    FSections.push_back(TSection{AnsiString(section), {}});
    s = &FSections.back();
  }
  for (TEntry& entry : s->Entries) {
    if (SameText(entry.Name, key)) {
      entry.Value = AnsiString(value);
      return;
    }
  }
  s->Entries.push_back(TEntry{AnsiString(key), AnsiString(value)});
}

void TIniFile::UpdateFile() const {
  AnsiString text;
  for (const TSection& s : FSections) {
    text += "[" + s.Name + "]\r\n";
    for (const TEntry& entry : s.Entries) {
      text += entry.Name + "=";
      text += NeedsQuotes(entry.Value) ? "\"" + entry.Value + "\"" : entry.Value;
      text += "\r\n";
    }
    text += "\r\n";
  }
  // Written beside the file and renamed over it, so that a failed write
  // leaves the old profile whole.
  std::string native;
  try {
    native = ToNativePath(FFileName);
  } catch (const EPathConvertError& e) {
    throw EInOutError("Cannot write profile \"" + FFileName + "\": " + e.Message(), EILSEQ);
  }
  const auto fail = [this](int error) {
    throw EInOutError("Cannot write profile \"" + FFileName + "\": " + std::strerror(error), error);
  };
  if (native.empty()) fail(ENOENT);
  const std::string temporary = native + ".tmp" + std::to_string(::getpid());
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) fail(errno);
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      int error = errno;
      ::close(fd);
      ::unlink(temporary.c_str());
      fail(error);
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0 || ::rename(temporary.c_str(), native.c_str()) != 0) {
    int error = errno;
    ::unlink(temporary.c_str());
    fail(error);
  }
}
