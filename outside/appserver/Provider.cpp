#include "appserver/Provider.h"

#include <utility>

#include "platform/rtl/Exceptions.h"

namespace {

Variant ArrayOf(std::vector<Variant> values) {
  // VarArrayOf of nothing is the empty array 0..-1, which the protocol wants.
  return VarArrayOf(std::move(values));
}

}  // namespace

Variant TProvider::GetRecords() {
  const std::vector<TProviderField> fields = Fields();
  std::vector<Variant> definitions;
  definitions.reserve(fields.size());
  for (const TProviderField& field : fields)
    definitions.push_back(ArrayOf({field.FieldName, AnsiString(field.DataType), field.Size,
                                   field.DisplayLabel}));

  std::vector<Variant> rows;
  for (std::vector<Variant>& row : Rows()) {
    // A provider whose rows do not match its fields is a programming error;
    // it is reported, not sent to a client that would misread every column.
    if (row.size() != fields.size())
      throw EInvalidOperation("provider " + Name() + ": a row of " + std::to_string(row.size()) +
                              " values for " + std::to_string(fields.size()) + " fields");
    rows.push_back(ArrayOf(std::move(row)));
  }
  return ArrayOf({ArrayOf(std::move(definitions)), ArrayOf(std::move(rows))});
}
