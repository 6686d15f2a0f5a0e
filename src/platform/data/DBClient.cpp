#include "platform/data/DBClient.h"

#include <algorithm>

#include "platform/com/ComObj.h"
#include "platform/com/OleCall.h"
#include "platform/data/SConnect.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"

namespace {

// Null sorts first; texts compare by bytes, everything else as numbers.
int CompareValues(const Variant& a, const Variant& b) {
  const bool aNull = VarIsClear(a);
  const bool bNull = VarIsClear(b);
  if (aNull || bNull) return aNull == bNull ? 0 : (aNull ? -1 : 1);
  if (a.IsString() && b.IsString()) return CompareStr(a.AsString(), b.AsString());
  const double x = a.AsDouble();
  const double y = b.AsDouble();
  return x < y ? -1 : (x > y ? 1 : 0);
}

std::vector<AnsiString> SplitFieldList(const AnsiString& fields) {
  std::vector<AnsiString> names;
  size_t start = 0;
  while (start <= fields.size()) {
    size_t end = fields.find(';', start);
    if (end == AnsiString::npos) end = fields.size();
    AnsiString name = Trim(std::string_view(fields).substr(start, end - start));
    if (!name.empty()) names.push_back(std::move(name));
    start = end + 1;
  }
  return names;
}

}  // namespace

TClientDataSet::TClientDataSet(TComponent* owner) : TDataSet(owner) {}

const TClass& TClientDataSet::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TClientDataSet> b;
    b.Property("RemoteServer", &TClientDataSet::RemoteServer, &TClientDataSet::SetRemoteServer)
        .Property("ProviderName", &TClientDataSet::ProviderName, &TClientDataSet::SetProviderName)
        .Property("IndexName", &TClientDataSet::IndexName, &TClientDataSet::SetIndexName)
        .Factory();
    return b.Build();
  }();
  return record;
}

TClientDataSet::~TClientDataSet() {
  // Deleted without Free: the connection must not keep a dangling client.
  if (FRemoteServer != nullptr) FRemoteServer->UnregisterClient(this);
}

void TClientDataSet::BeforeDestruction() {
  if (FRemoteServer != nullptr) {
    FRemoteServer->UnregisterClient(this);
    FRemoteServer = nullptr;
  }
  TDataSet::BeforeDestruction();
}

void TClientDataSet::SetRemoteServer(TSocketConnection* value) {
  if (value == FRemoteServer) return;
  Close();
  if (FRemoteServer != nullptr) {
    FRemoteServer->UnregisterClient(this);
    FRemoteServer->RemoveFreeNotification(this);
  }
  FRemoteServer = value;
  if (value != nullptr) {
    value->RegisterClient(this);
    value->FreeNotification(this);
  }
}

void TClientDataSet::SetProviderName(const AnsiString& value) {
  if (value == FProviderName) return;
  Close();
  FProviderName = value;
}

void TClientDataSet::Notification(TComponent* component, TOperation operation) {
  TDataSet::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FRemoteServer) {
    Close();
    FRemoteServer = nullptr;
  }
}

// ---- Indexes ----

void TClientDataSet::AddIndex(const AnsiString& name, const AnsiString& fields) {
  if (Trim(name).empty()) throw EDatabaseError(MessagePrefix() + "An index needs a name");
  if (SplitFieldList(fields).empty())
    throw EDatabaseError(MessagePrefix() + "Index '" + name + "' names no fields");
  for (TIndexDef& def : FIndexDefs)
    if (SameText(def.Name, name)) {
      def.Fields = fields;
      if (SameText(FIndexName, name) && Active()) {
        FIndexColumns = IndexColumns(name);
        Reorder(Order().empty() ? 0 : Order()[static_cast<size_t>(RecNo() - 1)]);
      }
      return;
    }
  FIndexDefs.push_back(TIndexDef{name, fields});
}

const TIndexDef& TClientDataSet::IndexDefs(int index) const {
  if (index < 0 || index >= IndexDefCount())
    throw EListError(MessagePrefix() + "List index out of bounds (" + IntToStr(index) + ")");
  return FIndexDefs[static_cast<size_t>(index)];
}

const TIndexDef* TClientDataSet::FindIndex(std::string_view name) const {
  for (const TIndexDef& def : FIndexDefs)
    if (SameText(def.Name, name)) return &def;
  return nullptr;
}

std::vector<int> TClientDataSet::IndexColumns(const AnsiString& indexName) const {
  std::vector<int> columns;
  if (indexName.empty()) return columns;
  const TIndexDef* def = FindIndex(indexName);
  if (def == nullptr) throw EDatabaseError(MessagePrefix() + "Index '" + indexName + "' not found");
  for (const AnsiString& name : SplitFieldList(def->Fields)) {
    TField* field = FindField(name);
    if (field == nullptr)
      throw EDatabaseError(MessagePrefix() + "Index '" + def->Name + "': Field '" + name + "' not found");
    columns.push_back(field->FieldNo());
  }
  return columns;
}

void TClientDataSet::SetIndexName(const AnsiString& value) {
  if (value == FIndexName) return;
  if (ComponentState().Contains(csLoading)) {
    FIndexName = value;
    return;
  }
  if (!value.empty() && FindIndex(value) == nullptr)
    throw EDatabaseError(MessagePrefix() + "Index '" + value + "' not found");
  if (Active()) {
    CheckBrowseMode();
    std::vector<int> columns = IndexColumns(value);  // raises before anything changes
    const size_t current = Order().empty() ? 0 : Order()[static_cast<size_t>(RecNo() - 1)];
    FIndexName = value;
    FIndexColumns = std::move(columns);
    Reorder(current);
    return;
  }
  FIndexName = value;
}

std::vector<size_t> TClientDataSet::SortedOrder() const {
  std::vector<size_t> order = TDataSet::SortedOrder();
  if (FIndexColumns.empty()) return order;
  const std::vector<TRecord>& records = Records();
  // Stable, so that equal keys keep the order the provider delivered.
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    for (int column : FIndexColumns) {
      const int c = CompareValues(records[a][static_cast<size_t>(column)],
                                  records[b][static_cast<size_t>(column)]);
      if (c != 0) return c < 0;
    }
    return false;
  });
  return order;
}

bool TClientDataSet::FindKey(const std::vector<Variant>& values) {
  CheckBrowseMode();
  if (FIndexColumns.empty()) throw EDatabaseError(MessagePrefix() + "No index currently active");
  if (values.empty() || values.size() > FIndexColumns.size())
    throw EDatabaseError(MessagePrefix() + "FindKey takes 1 to " +
                         IntToStr(static_cast<int32_t>(FIndexColumns.size())) + " values, not " +
                         IntToStr(static_cast<int32_t>(values.size())));
  const std::vector<TRecord>& records = Records();
  const std::vector<size_t>& order = Order();
  for (size_t pos = 0; pos < order.size(); ++pos) {
    const TRecord& record = records[order[pos]];
    bool match = true;
    for (size_t i = 0; i < values.size() && match; ++i) {
      const Variant& stored = record[static_cast<size_t>(FIndexColumns[i])];
      try {
        match = CompareValues(stored, values[i]) == 0;
      } catch (const Exception&) {
        match = false;  // a key value that does not read as the field's type matches nothing
      }
    }
    if (match) {
      MoveTo(pos);
      return true;
    }
  }
  return false;
}

// ---- Opening from the provider ----

namespace {

[[noreturn]] void BadPacket(const AnsiString& prefix, const AnsiString& provider, const AnsiString& what) {
  throw EDatabaseError(prefix + "The data from provider \"" + provider + "\" is not valid: " + what);
}

// The 0-based elements of a one-dimensional array; null when v is not one.
const TVarArray* OneDimArray(const Variant& v) {
  const TVarArray* array = v.GetIf<TVarArray>();
  if (array == nullptr || array->DimCount() != 1) return nullptr;
  return array;
}

}  // namespace

void TClientDataSet::InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) {
  const AnsiString prefix = MessagePrefix();
  if (FRemoteServer == nullptr) throw EDatabaseError(prefix + "Missing remote server");
  if (FProviderName.empty()) throw EDatabaseError(prefix + "Missing provider name");
  if (!FRemoteServer->Connected())
    throw EDatabaseError(prefix + "The connection" +
                         (FRemoteServer->Name().empty() ? AnsiString() : " " + FRemoteServer->Name()) +
                         " is not connected");

  Variant packet;
  try {
    packet = OleCall(FRemoteServer->AppServer(), "AS_GetRecords", {Variant(FProviderName)});
  } catch (const Exception& e) {
    throw EDatabaseError(prefix + "Cannot open provider \"" + FProviderName + "\": " + e.Message());
  }

  const TVarArray* parts = OneDimArray(packet);
  if (parts == nullptr || parts->Bound(1).ElementCount() != 2) BadPacket(prefix, FProviderName, "not a pair of field definitions and rows");
  const int32_t low = parts->LowBound(1);
  const TVarArray* defList = OneDimArray(parts->At(low));
  const TVarArray* rowList = OneDimArray(parts->At(low + 1));
  if (defList == nullptr) BadPacket(prefix, FProviderName, "the field definitions are not an array");
  if (rowList == nullptr) BadPacket(prefix, FProviderName, "the rows are not an array");

  for (const Variant& item : defList->Elements()) {
    const TVarArray* def = OneDimArray(item);
    if (def == nullptr || def->Bound(1).ElementCount() != 4)
      BadPacket(prefix, FProviderName, "a field definition is not [name, type, size, label]");
    const auto& e = def->Elements();
    TFieldDef fd;
    try {
      fd.Name = e[0].AsString();
      fd.DataType = FieldTypeFromName(e[1].AsString());
      fd.Size = VarIsClear(e[2]) ? 0 : e[2].AsInteger();
      fd.DisplayLabel = VarToStr(e[3]);
    } catch (const Exception& ex) {
      BadPacket(prefix, FProviderName, "a field definition cannot be read: " + ex.Message());
    }
    if (fd.Name.empty()) BadPacket(prefix, FProviderName, "a field has no name");
    if (fd.DataType == ftUnknown)
      BadPacket(prefix, FProviderName, "field '" + fd.Name + "' has the unknown type \"" + VarToStr(e[1]) + "\"");
    if (fd.Size < 0) BadPacket(prefix, FProviderName, "field '" + fd.Name + "' has a negative size");
    for (const TFieldDef& other : defs)
      if (SameText(other.Name, fd.Name)) BadPacket(prefix, FProviderName, "field '" + fd.Name + "' appears twice");
    defs.push_back(std::move(fd));
  }

  for (const Variant& item : rowList->Elements()) {
    const TVarArray* row = OneDimArray(item);
    if (row == nullptr || row->Bound(1).ElementCount() != static_cast<int32_t>(defs.size()))
      BadPacket(prefix, FProviderName, "row " + IntToStr(static_cast<int32_t>(records.size())) +
                                           " does not have " + IntToStr(static_cast<int32_t>(defs.size())) +
                                           " values");
    TRecord record;
    record.reserve(defs.size());
    size_t column = 0;
    for (const Variant& value : row->Elements()) {
      const TFieldDef& def = defs[column++];
      try {
        if (VarIsClear(value)) record.push_back(Null());
        else if (def.DataType == ftString || def.DataType == ftMemo) record.push_back(Variant(value.AsString()));
        else if (def.DataType == ftInteger) record.push_back(Variant(value.AsInteger()));
        else if (def.DataType == ftDate || def.DataType == ftDateTime) record.push_back(Variant(value.AsDateTime()));
        else if (def.DataType == ftFloat) record.push_back(Variant(value.AsDouble()));
        else record.push_back(Variant(value.AsBoolean()));
      } catch (const Exception& ex) {
        BadPacket(prefix, FProviderName, "row " + IntToStr(static_cast<int32_t>(records.size())) + ", field '" +
                                             def.Name + "': " + ex.Message());
      }
    }
    records.push_back(std::move(record));
  }

  FIndexColumns.clear();
}

void TClientDataSet::FieldsBound() { FIndexColumns = IndexColumns(FIndexName); }

void RegisterDataClasses() {
  RegisterDBClasses();
  RegisterClasses({&TClientDataSet::StaticClass(), &TSocketConnection::StaticClass(),
                   &TSimpleObjectBroker::StaticClass()});
}
