// Provider: how a client data set reads a table from the application server.
// The report server object publishes its providers by name, and a data set
// opened on provider P of a connection fetches everything with one late-bound
// call on that connection's server object:
//
//   AS_GetProviderNames()  -> a 0-based array of the provider names (byte
//                             strings)
//   AS_GetRecords(P)       -> a data packet, the array [0..1]:
//     [0] field definitions, a 0-based array with one entry per field, each
//         the array [0..3] = [FieldName, DataType, Size, DisplayLabel]:
//           FieldName     byte string, as the table names it ("NCONDITION")
//           DataType      "String", "Memo", "Integer", "Date", "DateTime",
//                         "Float" or "Boolean"
//           Size          Integer: the most bytes a "String" value holds;
//                         0 for every other type ("Memo" has no limit)
//           DisplayLabel  byte string (code page 936)
//     [1] rows, a 0-based array (empty: bounds 0..-1) of rows, each a 0-based
//         array with one Variant per field, in the order of [0]: "String" and
//         "Memo" as byte strings in the store's code page, "Integer" as
//         Integer, "Date"/"DateTime" as Date, "Float" as Double, "Boolean" as
//         Boolean; Null where the table holds no value.
//
// A provider name is matched ignoring ASCII case; an unknown one raises, so
// the call fails with an EOleException whose description names it. What a
// provider returns may depend on earlier calls on the same server object
// (the scheme provider returns the schemes LoadTable selected), so a
// connection keeps its own server object. The packet is read-only: changes a
// data set makes stay in the client.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

// The DataType texts of a field definition (a namespace of their own: the
// client's field types use the same names).
namespace ProviderType {
inline constexpr char String[] = "String";
inline constexpr char Memo[] = "Memo";
inline constexpr char Integer[] = "Integer";
inline constexpr char Date[] = "Date";
inline constexpr char DateTime[] = "DateTime";
inline constexpr char Float[] = "Float";
inline constexpr char Boolean[] = "Boolean";
}  // namespace ProviderType

struct TProviderField {
  AnsiString FieldName;
  const char* DataType = ProviderType::String;
  int32_t Size = 0;
  AnsiString DisplayLabel;
};

class TProvider {
public:
  virtual ~TProvider() = default;
  virtual AnsiString Name() const = 0;
  virtual std::vector<TProviderField> Fields() const = 0;
  // The rows, each with one Variant per field.
  virtual std::vector<std::vector<Variant>> Rows() = 0;

  // The data packet of the protocol above.
  Variant GetRecords();
};
