#include "host/HostQueries.h"

#include <cctype>
#include <iterator>

#include "platform/rtl/SysUtils.h"

namespace {

// Query service. Columns are listed in the order the callers read them.
const THostQuery DataQueries[] = {
    // Program master: [0] name, [1] code, [2] module, [3] kind, [4] log flag
    // "Y", [5] version, [6] date, [7] English name.
    {"ADMMB", "01",
     "SELECT MB002, MB001, MB003, MB004, MB005, MB006, MB007, MB008 FROM ADMMB "
     "WHERE UPPER(MB001) = UPPER(?1)",
     1, "program code"},
    // Program options: [0] code, [1] name, [2] module, [3] "Y" when direct
    // query is disabled.
    {"ADMMB", "11", "SELECT MB001, MB002, MB003, MB009 FROM ADMMB WHERE UPPER(MB001) = UPPER(?1)", 1,
     "program code"},
    // A saved scheme name of a user for a program: [0] name, [1] user, [2] program.
    {"GENES", "01",
     "SELECT ES001, ES002, ES003 FROM GENES "
     "WHERE ES001 = ?1 AND UPPER(ES002) = UPPER(?2) AND UPPER(ES003) = UPPER(?3)",
     3, "scheme name, user id, program code"},
    // Web report site: [0] address, [1] description.
    {"CMSMA", "02", "SELECT MA002, MA003 FROM CMSMA WHERE MA001 = ?1", 1, "site key"},
    // A program's footer and sign-off: [0] footer code, [1] "Y" = may change,
    // [2] footer name, [3..5] footer lines, [6] sign-off code, [7] "Y" = may
    // change, [8] sign-off name, [9..11] sign-off lines.
    {"CMSMT", "01",
     "SELECT t.MT002, t.MT003, IFNULL(n.MS003, ''), IFNULL(n.MS004, ''), IFNULL(n.MS005, ''), "
     "IFNULL(n.MS006, ''), t.MT004, t.MT005, IFNULL(s.MS003, ''), IFNULL(s.MS004, ''), "
     "IFNULL(s.MS005, ''), IFNULL(s.MS006, '') FROM CMSMT t "
     "LEFT JOIN CMSMS n ON n.MS001 = '1' AND n.MS002 = t.MT002 "
     "LEFT JOIN CMSMS s ON s.MS001 = '2' AND s.MS002 = t.MT004 "
     "WHERE UPPER(t.MT001) = UPPER(?1)",
     1, "program code"},
    // One note of a kind ("1" footer, "2" sign-off): [0] code, [1..3] lines, [4] name.
    {"CMSMS", "01", "SELECT MS002, MS004, MS005, MS006, MS003 FROM CMSMS WHERE MS001 = ?1 AND MS002 = ?2",
     2, "kind, code"},
};

// Lookup service; the last parameter is the lookup's current text.
const THostQuery LookupQueries[] = {
    // Notes of a kind: [0] code, [1] name, [2..4] lines.
    {"CMSMS", "01",
     "SELECT MS002, MS003, MS004, MS005, MS006 FROM CMSMS "
     "WHERE MS001 = ?1 AND SUBSTR(UPPER(MS002), 1, LENGTH(?2)) = UPPER(?2) ORDER BY MS002",
     1, "kind"},
    // Suppliers, of one kind or all ("" ): [0] code, [1] short name, [2] full
    // name, [3] contact, [4] telephone, [5] kind.
    {"PURMA", "01",
     "SELECT MA001, MA002, MA003, MA004, MA005, MA006 FROM PURMA "
     "WHERE (?1 = '' OR MA006 = ?1) AND SUBSTR(UPPER(MA001), 1, LENGTH(?2)) = UPPER(?2) ORDER BY MA001",
     1, "supplier kind (\"\" for all)"},
    // Users: [0] id, [1] name, [2] mobile, [3] e-mail, [4] department.
    {"ORLANMA", "04",
     "SELECT MA001, MA002, MA003, MA004, MA005 FROM ORLANMA "
     "WHERE SUBSTR(UPPER(MA001), 1, LENGTH(?1)) = UPPER(?1) ORDER BY MA001",
     0, "none"},
};

template <size_t N>
const THostQuery* Find(const THostQuery (&queries)[N], const AnsiString& table, const AnsiString& code) {
  for (const THostQuery& q : queries)
    if (SameText(q.Table, table) && SameText(q.Code, code)) return &q;
  return nullptr;
}

template <size_t N>
std::vector<AnsiString> Names(const THostQuery (&queries)[N]) {
  std::vector<AnsiString> names;
  for (const THostQuery& q : queries) names.push_back(AnsiString(q.Table) + "/" + q.Code);
  return names;
}

// The whitelist: setting look-ups of the form the report layers send. The
// value between the quotes is bound, never spliced.
struct TSimpleSqlEntry {
  const char* Prefix;  // normalised text up to the opening quote
  const char* Column;
  const char* Sql;
};
const TSimpleSqlEntry SimpleSqlEntries[] = {
    {"SELECT MA003 FROM ORLANINTMA WHERE MA001='", "MA003",
     "SELECT MA003 FROM ORLANINTMA WHERE MA001 = ?1"},
    {"SELECT MA002 FROM ORLANINTMA WHERE MA001='", "MA002",
     "SELECT MA002 FROM ORLANINTMA WHERE MA001 = ?1"},
};

// Outside quotes: runs of blanks become one blank, blanks around "=" go,
// letters are upper-cased. Inside quotes nothing changes.
std::string NormaliseSql(const std::string& text) {
  std::string out;
  bool quoted = false;
  bool pendingBlank = false;
  for (char c : text) {
    if (quoted) {
      out += c;
      if (c == '\'') quoted = false;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) {
      pendingBlank = true;
      continue;
    }
    if (pendingBlank && !out.empty() && out.back() != '=' && c != '=') out += ' ';
    pendingBlank = false;
    if (c == '\'') quoted = true;
    out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return out;
}

}  // namespace

const THostQuery* FindDataQuery(const AnsiString& table, const AnsiString& code) {
  return Find(DataQueries, table, code);
}

const THostQuery* FindLookupQuery(const AnsiString& table, const AnsiString& code) {
  return Find(LookupQueries, table, code);
}

std::vector<AnsiString> DataQueryNames() { return Names(DataQueries); }
std::vector<AnsiString> LookupQueryNames() { return Names(LookupQueries); }

std::optional<TSimpleSqlMatch> MatchSimpleSql(const std::string& queryText, const std::string& column) {
  const std::string text = NormaliseSql(queryText);
  for (const TSimpleSqlEntry& entry : SimpleSqlEntries) {
    const std::string prefix = entry.Prefix;
    if (text.compare(0, prefix.size(), prefix) != 0) continue;
    // The value runs to the next quote, which must end the text.
    size_t close = text.find('\'', prefix.size());
    if (close == std::string::npos || close + 1 != text.size()) return std::nullopt;
    if (!SameText(Trim(column), entry.Column)) return std::nullopt;
    return TSimpleSqlMatch{entry.Sql, text.substr(prefix.size(), close - prefix.size())};
  }
  return std::nullopt;
}
