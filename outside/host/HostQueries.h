// The only statements the demo host runs on behalf of its callers: the
// query service's table/query-code pairs, the lookup service's lookups and
// the few texts the system service accepts for "SIMPLESQL". Callers name a
// query; they never supply SQL. A "SIMPLESQL" text is compared with a
// whitelist of known texts and, when it matches, answered by the host's own
// prepared statement with the quoted value bound as a parameter; any other
// text is refused.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/rtl/Types.h"

// A fixed query: its SQL (parameters ?1..?N, one per argument) and what the
// arguments mean, for error texts. Columns are documented next to each entry
// in HostQueries.cpp, in the order the callers read them.
struct THostQuery {
  const char* Table;
  const char* Code;
  const char* Sql;
  int ArgCount;
  const char* ArgNames;  // "program code", "kind, code"...
};

// The query service's queries ("ADMMB" "01", ...), table and code compared
// ignoring ASCII case; null when there is none.
const THostQuery* FindDataQuery(const AnsiString& table, const AnsiString& code);
// The lookup service's lookups. Their SQL takes the arguments as ?1..?N and
// the lookup's current text as ?(N+1): rows whose first column starts with it.
const THostQuery* FindLookupQuery(const AnsiString& table, const AnsiString& code);
// "TABLE/CODE" pairs of each kind, for error texts and the demo's help.
std::vector<AnsiString> DataQueryNames();
std::vector<AnsiString> LookupQueryNames();

// A "SIMPLESQL" request that passed the whitelist: the host's statement and
// the value to bind as ?1.
struct TSimpleSqlMatch {
  const char* Sql;
  std::string Value;  // UTF-8
};
// Matches a query text (UTF-8) and the column name the caller expects.
// Blanks are collapsed and keywords compared ignoring ASCII case; the quoted
// value must hold no quote. nullopt when the text is not on the whitelist.
std::optional<TSimpleSqlMatch> MatchSimpleSql(const std::string& queryText,
                                              const std::string& column);
