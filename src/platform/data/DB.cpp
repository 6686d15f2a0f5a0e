#include "platform/data/DB.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/DateUtils.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"

// ---- Field types ----

namespace {

struct TFieldTypeName {
  TFieldType Type;
  const char* Name;
};
constexpr TFieldTypeName FieldTypeNames[] = {
    {ftString, "String"}, {ftMemo, "Memo"},         {ftInteger, "Integer"}, {ftDate, "Date"},
    {ftDateTime, "DateTime"}, {ftFloat, "Float"}, {ftBoolean, "Boolean"},
};

bool IsStringType(TFieldType type) { return type == ftString || type == ftMemo; }

}  // namespace

TFieldType FieldTypeFromName(std::string_view name) {
  for (const TFieldTypeName& entry : FieldTypeNames)
    if (SameText(name, entry.Name)) return entry.Type;
  return ftUnknown;
}

const char* FieldTypeName(TFieldType type) {
  for (const TFieldTypeName& entry : FieldTypeNames)
    if (entry.Type == type) return entry.Name;
  return "Unknown";
}

// ---- TField ----

TField::TField(TComponent* owner) : TComponent(owner) {}

TField::TField(TComponent* owner, TFieldType type, int32_t size)
    : TComponent(owner), FDataType(type), FSize(size) {}

TField::~TField() {
  // A field deleted without Free (on the stack) still leaves its data set.
  if (FDataSet != nullptr) FDataSet->RemoveField(this);
}

void TField::BeforeDestruction() {
  if (FDataSet != nullptr) FDataSet->RemoveField(this);
  TComponent::BeforeDestruction();
}

const TClass& TField::StaticClass() {
  static const TClass& record = TClassBuilder<TField>()
      .Property("FieldName", &TField::FieldName, &TField::SetFieldName)
      .Property("Size", &TField::Size, &TField::SetSize)
      .Default(0)
      .Property("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel)
      .Property("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth)
      .Property("Visible", &TField::Visible, &TField::SetVisible)
      .Default(true)
      .Property("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly)
      .Default(false)
      .Property("Index", &TField::Index, &TField::SetIndex)
      .Stored(false)
      .Property("DataType", &TField::DataType)
      .Stored(false)
      .Event("OnGetText", &TField::OnGetText)
      .Event("OnSetText", &TField::OnSetText)
      .Build();  // abstract: a field is made as one of the typed classes
  return record;
}

#define KULR_FIELD_CLASS(Class, Type, DefaultSize)                                  \
  Class::Class(TComponent* owner) : TField(owner, Type, DefaultSize) {}             \
  const TClass& Class::StaticClass() {                                              \
    static const TClass& record = TClassBuilder<Class>().Factory().Build();         \
    return record;                                                                  \
  }
KULR_FIELD_CLASS(TStringField, ftString, 20)
KULR_FIELD_CLASS(TMemoField, ftMemo, 0)
KULR_FIELD_CLASS(TIntegerField, ftInteger, 0)
KULR_FIELD_CLASS(TDateField, ftDate, 0)
KULR_FIELD_CLASS(TDateTimeField, ftDateTime, 0)
KULR_FIELD_CLASS(TFloatField, ftFloat, 0)
KULR_FIELD_CLASS(TBooleanField, ftBoolean, 0)
#undef KULR_FIELD_CLASS

TField* CreateField(TFieldType type) {
  switch (type) {
    case ftString: return NewObject<TStringField>(nullptr);
    case ftMemo: return NewObject<TMemoField>(nullptr);
    case ftInteger: return NewObject<TIntegerField>(nullptr);
    case ftDate: return NewObject<TDateField>(nullptr);
    case ftDateTime: return NewObject<TDateTimeField>(nullptr);
    case ftFloat: return NewObject<TFloatField>(nullptr);
    case ftBoolean: return NewObject<TBooleanField>(nullptr);
    case ftUnknown: break;
  }
  return nullptr;
}

void TField::Fail(const AnsiString& what) const {
  const AnsiString prefix = FDataSet != nullptr ? FDataSet->MessagePrefix() : AnsiString();
  throw EDatabaseError(prefix + "Field '" + FFieldName + "' " + what);
}

void TField::SetDataSet(TDataSet* dataSet) {
  if (dataSet == FDataSet) return;
  if ((FDataSet != nullptr && FDataSet->Active()) || (dataSet != nullptr && dataSet->Active()))
    Fail("cannot change its data set while the data set is open");
  if (FDataSet != nullptr) FDataSet->RemoveField(this);
  if (dataSet != nullptr) dataSet->AddField(this);
}

void TField::SetFieldName(const AnsiString& value) {
  if (value == FFieldName) return;
  if (FDataSet != nullptr && FDataSet->Active()) Fail("cannot be renamed while the data set is open");
  FFieldName = value;
}

void TField::SetSize(int32_t value) {
  if (value == FSize) return;
  if (value < 0) Fail("cannot have a negative size");
  if (FDataSet != nullptr && FDataSet->Active()) Fail("cannot change its size while the data set is open");
  FSize = value;
}

AnsiString TField::DisplayLabel() const {
  return FDisplayLabel.empty() ? FFieldName : FDisplayLabel;
}

int32_t TField::DisplayWidth() const {
  if (FDisplayWidth >= 0) return FDisplayWidth;
  switch (FDataType) {
    case ftString: return FSize;
    case ftDateTime: return 18;
    case ftBoolean: return 5;
    default: return 10;
  }
}

int32_t TField::Index() const { return FDataSet != nullptr ? FDataSet->IndexOfField(this) : -1; }

void TField::SetIndex(int32_t value) {
  if (FDataSet != nullptr) FDataSet->MoveField(this, value);
}

void TField::SetParentComponent(TComponent* parent) {
  if (auto* dataSet = dynamic_cast<TDataSet*>(parent)) SetDataSet(dataSet);
}

TComponent* TField::GetParentComponent() const { return FDataSet; }

Variant TField::Value() const {
  if (FDataSet == nullptr) Fail("has no data set");
  return FDataSet->GetFieldValue(*this);
}

bool TField::IsNull() const { return VarIsClear(Value()); }

void TField::CheckWritable() const {
  if (FDataSet == nullptr) Fail("has no data set");
  if (FReadOnly) Fail("cannot be modified");
}

void TField::SetValue(const Variant& value) {
  CheckWritable();
  FDataSet->SetFieldValue(*this, Coerce(value));
}

Variant TField::Coerce(const Variant& value) const {
  if (VarIsClear(value)) return Null();
  try {
    switch (FDataType) {
      case ftString:
      case ftMemo: {
        AnsiString text = value.AsString();
        // Cutting a longer value would lose data, and could split a
        // double-byte character in two: refuse it instead.
        if (FDataType == ftString && FSize > 0 && static_cast<int32_t>(text.size()) > FSize)
          Fail("cannot hold " + IntToStr(static_cast<int32_t>(text.size())) + " bytes (at most " +
               IntToStr(FSize) + ")");
        return Variant(std::move(text));
      }
      case ftInteger: return Variant(value.AsInteger());
      case ftDate: return Variant(DateOf(value.AsDateTime()));
      case ftDateTime: return Variant(value.AsDateTime());
      case ftFloat: return Variant(value.AsDouble());
      case ftBoolean: return Variant(value.AsBoolean());
      case ftUnknown: break;
    }
  } catch (const EDatabaseError&) {
    throw;
  } catch (const Exception& e) {
    Fail("cannot take the value: " + e.Message());
  }
  Fail("has no data type");
}

AnsiString TField::AsString() const {
  const Variant v = Value();
  if (VarIsClear(v)) return "";
  switch (FDataType) {
    case ftDate: return DateToStr(v.AsDateTime());
    case ftDateTime: return DateTimeToStr(v.AsDateTime());
    case ftBoolean: return v.AsBoolean() ? "True" : "False";
    default: return VarToStr(v);
  }
}

void TField::SetAsString(const AnsiString& value) {
  if (value.empty() && !IsStringType(FDataType)) {
    SetValue(Null());
    return;
  }
  switch (FDataType) {
    case ftInteger: {
      int32_t n = 0;
      if (!TryStrToInt(Trim(value), n)) Fail("'" + value + "' is not a valid integer value");
      SetValue(Variant(n));
      return;
    }
    case ftFloat: {
      double d = 0;
      if (!TryStrToFloat(value, d)) Fail("'" + value + "' is not a valid floating point value");
      SetValue(Variant(d));
      return;
    }
    case ftDate:
    case ftDateTime: {
      TDateTime dt;
      if (!TryStrToDateTime(Trim(value), dt)) Fail("'" + value + "' is not a valid date");
      SetValue(Variant(dt));
      return;
    }
    case ftBoolean: {
      bool b = false;
      if (!TryStrToBool(Trim(value), b)) Fail("'" + value + "' is not a valid boolean value");
      SetValue(Variant(b));
      return;
    }
    default: SetValue(Variant(value));
  }
}

namespace {
// Reading a Null as a number or date gives 0, as the platform does.
template <class F>
auto ReadOrZero(const TField& field, const Variant& v, F read) -> decltype(read(v)) {
  if (VarIsClear(v)) return {};
  try {
    return read(v);
  } catch (const EDatabaseError&) {
    throw;
  } catch (const Exception& e) {
    throw EDatabaseError((field.DataSet() ? field.DataSet()->MessagePrefix() : AnsiString()) +
                         "Field '" + field.FieldName() + "': " + e.Message());
  }
}
}  // namespace

int32_t TField::AsInteger() const {
  return ReadOrZero(*this, Value(), [](const Variant& v) { return v.AsInteger(); });
}
void TField::SetAsInteger(int32_t value) { SetValue(Variant(value)); }

TDateTime TField::AsDateTime() const {
  return ReadOrZero(*this, Value(), [](const Variant& v) { return v.AsDateTime(); });
}
void TField::SetAsDateTime(TDateTime value) { SetValue(Variant(value)); }

double TField::AsFloat() const {
  return ReadOrZero(*this, Value(), [](const Variant& v) { return v.AsDouble(); });
}
void TField::SetAsFloat(double value) { SetValue(Variant(value)); }

bool TField::AsBoolean() const {
  return ReadOrZero(*this, Value(), [](const Variant& v) { return v.AsBoolean(); });
}
void TField::SetAsBoolean(bool value) { SetValue(Variant(value)); }

AnsiString TField::GetText(bool displayText) const {
  if (!OnGetText) return AsString();
  AnsiString text;
  OnGetText(const_cast<TField*>(this), text, displayText);
  return text;
}

void TField::SetText(const AnsiString& value) {
  if (OnSetText) {
    OnSetText(this, value);
    return;
  }
  SetAsString(value);
}

// ---- TDataSet ----

TDataSet::TDataSet(TComponent* owner) : TComponent(owner) {}

TDataSet::~TDataSet() {
  // Deleted without Free (on the stack): the fields Open made go, and the
  // persistent ones must not point at a dead data set.
  try {
    DoClose();
  } catch (...) {
  }
  for (TField* field : FFields) field->FDataSet = nullptr;
}

const TClass& TDataSet::StaticClass() {
  static const TClass& record = TClassBuilder<TDataSet>()
      .Property("Active", &TDataSet::Active, &TDataSet::SetActive)
      .Default(false)
      .Property("Filtered", &TDataSet::Filtered, &TDataSet::SetFiltered)
      .Default(false)
      .Event("OnFilterRecord", &TDataSet::OnFilterRecord)
      .Build();
  return record;
}

void TDataSet::BeforeDestruction() {
  try {
    DoClose();
  } catch (...) {
    // Closing only frees memory; nothing may stop the destruction.
  }
  for (TField* field : FFields) field->FDataSet = nullptr;
  FFields.clear();
  TComponent::BeforeDestruction();
}

AnsiString TDataSet::MessagePrefix() const { return Name().empty() ? AnsiString() : Name() + ": "; }

void TDataSet::SetActive(bool value) {
  if (ComponentState().Contains(csLoading)) {
    // The connection and the fields may not be read yet.
    FStreamedActive = value;
    return;
  }
  if (value == Active()) return;
  if (value) {
    // A failed open leaves the data set closed.
    DoOpen();
  } else {
    DoClose();
  }
}

void TDataSet::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) {
    FStreamedActive = false;
    Open();
  }
}

void TDataSet::DoOpen() {
  std::vector<TFieldDef> defs;
  std::vector<TRecord> records;
  InternalOpen(defs, records);
  for (const TRecord& record : records)
    if (record.size() != defs.size())
      throw EDatabaseError(MessagePrefix() + "a record has " + IntToStr(int32_t(record.size())) +
                           " values for " + IntToStr(int32_t(defs.size())) + " fields");

  const bool persistent = !FFields.empty();
  if (persistent) {
    // Check every persistent field before binding any.
    std::vector<int> columns;
    for (TField* field : FFields) {
      auto it = std::find_if(defs.begin(), defs.end(), [&](const TFieldDef& def) {
        return SameText(def.Name, field->FieldName());
      });
      if (it == defs.end()) throw EDatabaseError(MessagePrefix() + "Field '" + field->FieldName() + "' not found");
      if (it->DataType != field->DataType())
        throw EDatabaseError(MessagePrefix() + "Type mismatch for field '" + field->FieldName() +
                             "', expecting: " + FieldTypeName(field->DataType()) +
                             " actual: " + FieldTypeName(it->DataType));
      columns.push_back(static_cast<int>(it - defs.begin()));
    }
    for (size_t i = 0; i < FFields.size(); ++i) FFields[i]->Bind(columns[i]);
  } else {
    for (size_t i = 0; i < defs.size(); ++i) {
      TField* field = CreateField(defs[i].DataType);
      if (field == nullptr) {
        DoClose();
        throw EDatabaseError(MessagePrefix() + "Field '" + defs[i].Name + "' is of an unknown type");
      }
      field->FPersistent = false;
      field->FFieldName = defs[i].Name;
      field->FSize = defs[i].Size;
      field->FDisplayLabel = defs[i].DisplayLabel;
      field->Bind(static_cast<int>(i));
      AddField(field);
    }
  }
  FRecords = std::move(records);
  FState = dsBrowse;
  try {
    FieldsBound();
    Reorder(0);
    MoveTo(0);  // the first record in order, whichever record that is
  } catch (...) {
    DoClose();
    throw;
  }
}

void TDataSet::DoClose() {
  FEditBuffer.clear();
  FRecords.clear();
  FOrder.clear();
  FCursor = 0;
  FBof = FEof = true;
  FState = dsInactive;
  std::vector<TField*> keep;
  std::vector<TField*> doomed;
  for (TField* field : FFields) (field->IsPersistent() ? keep : doomed).push_back(field);
  FFields = keep;
  for (TField* field : keep) field->Bind(-1);
  for (TField* field : doomed) {
    field->FDataSet = nullptr;
    Free(field);
  }
}

void TDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError(MessagePrefix() + "Cannot perform this operation on a closed dataset");
}

TField* TDataSet::Fields(int index) const {
  if (index < 0 || index >= FieldCount())
    throw EListError(MessagePrefix() + "List index out of bounds (" + IntToStr(index) + ")");
  return FFields[static_cast<size_t>(index)];
}

TField* TDataSet::FindField(std::string_view name) const {
  for (TField* field : FFields)
    if (SameText(field->FieldName(), name)) return field;
  return nullptr;
}

TField* TDataSet::FieldByName(std::string_view name) const {
  if (TField* field = FindField(name)) return field;
  throw EDatabaseError(MessagePrefix() + "Field '" + AnsiString(name) + "' not found");
}

void TDataSet::AddField(TField* field) {
  if (std::find(FFields.begin(), FFields.end(), field) != FFields.end()) return;
  FFields.push_back(field);
  field->FDataSet = this;
}

void TDataSet::RemoveField(TField* field) {
  auto it = std::find(FFields.begin(), FFields.end(), field);
  if (it != FFields.end()) FFields.erase(it);
  field->FDataSet = nullptr;
}

int TDataSet::IndexOfField(const TField* field) const {
  auto it = std::find(FFields.begin(), FFields.end(), field);
  return it == FFields.end() ? -1 : static_cast<int>(it - FFields.begin());
}

void TDataSet::MoveField(TField* field, int index) {
  const int from = IndexOfField(field);
  if (from < 0) return;
  const int to = std::clamp(index, 0, FieldCount() - 1);
  FFields.erase(FFields.begin() + from);
  FFields.insert(FFields.begin() + to, field);
}

// ---- Records and cursor ----

std::vector<size_t> TDataSet::SortedOrder() const {
  std::vector<size_t> order(FRecords.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  return order;
}

bool TDataSet::Accepts(size_t record) {
  if (!FFiltered || !OnFilterRecord) return true;
  // The handler reads the record through the fields: make it current.
  const std::vector<size_t> saved = FOrder;
  const size_t savedCursor = FCursor;
  FOrder = {record};
  FCursor = 0;
  bool accept = true;
  try {
    OnFilterRecord(this, accept);
  } catch (...) {
    FOrder = saved;
    FCursor = savedCursor;
    throw;
  }
  FOrder = saved;
  FCursor = savedCursor;
  return accept;
}

void TDataSet::Reorder(size_t keepRecord) {
  std::vector<size_t> order;
  for (size_t record : SortedOrder())
    if (Accepts(record)) order.push_back(record);
  FOrder = std::move(order);
  auto it = std::find(FOrder.begin(), FOrder.end(), keepRecord);
  MoveTo(it == FOrder.end() ? 0 : static_cast<size_t>(it - FOrder.begin()));
}

void TDataSet::MoveTo(size_t pos) {
  FCursor = FOrder.empty() ? 0 : std::min(pos, FOrder.size() - 1);
  FBof = FCursor == 0;
  FEof = FOrder.empty();
}

int TDataSet::RecordCount() const { return Active() ? static_cast<int>(FOrder.size()) : 0; }

int TDataSet::RecNo() const {
  if (!Active() || FOrder.empty()) return 0;
  return static_cast<int>(FCursor) + 1;
}

void TDataSet::First() {
  CheckBrowseMode();
  MoveTo(0);
}

void TDataSet::Last() {
  CheckBrowseMode();
  MoveTo(FOrder.empty() ? 0 : FOrder.size() - 1);
  FEof = true;
  FBof = FOrder.size() <= 1;
}

void TDataSet::Next() {
  CheckBrowseMode();
  if (FCursor + 1 < FOrder.size()) {
    ++FCursor;
    FBof = false;
  } else {
    FEof = true;
  }
}

void TDataSet::Prior() {
  CheckBrowseMode();
  if (FCursor > 0) {
    --FCursor;
    FEof = false;
  } else {
    FBof = true;
  }
}

void TDataSet::CheckBrowseMode() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) Post();
}

const TDataSet::TRecord& TDataSet::CurrentRecord(const TField&) const {
  if (FState == dsEdit || FState == dsInsert) return FEditBuffer;
  return FRecords[FOrder[FCursor]];
}

Variant TDataSet::GetFieldValue(const TField& field) const {
  CheckActive();
  if (FState == dsBrowse && FOrder.empty()) return Null();
  const TRecord& record = CurrentRecord(field);
  const int no = field.FieldNo();
  if (no < 0 || static_cast<size_t>(no) >= record.size())
    throw EDatabaseError(MessagePrefix() + "Field '" + field.FieldName() + "' is not bound to a column");
  const Variant& v = record[static_cast<size_t>(no)];
  return VarIsClear(v) ? Null() : v;
}

void TDataSet::SetFieldValue(const TField& field, const Variant& value) {
  CheckActive();
  if (FState != dsEdit && FState != dsInsert)
    throw EDatabaseError(MessagePrefix() + "Dataset not in edit or insert mode");
  const int no = field.FieldNo();
  if (no < 0 || static_cast<size_t>(no) >= FEditBuffer.size())
    throw EDatabaseError(MessagePrefix() + "Field '" + field.FieldName() + "' is not bound to a column");
  FEditBuffer[static_cast<size_t>(no)] = value;
}

void TDataSet::Edit() {
  CheckActive();
  if (FState == dsEdit || FState == dsInsert) return;
  if (FOrder.empty()) throw EDatabaseError(MessagePrefix() + "Cannot edit: the dataset is empty");
  FEditBuffer = FRecords[FOrder[FCursor]];
  FState = dsEdit;
}

void TDataSet::Post() {
  CheckActive();
  if (FState != dsEdit && FState != dsInsert) return;
  const size_t record = FOrder[FCursor];
  FRecords[record] = std::move(FEditBuffer);
  FEditBuffer.clear();
  FState = dsBrowse;
  Reorder(record);
}

void TDataSet::Cancel() {
  if (FState != dsEdit && FState != dsInsert) return;
  FEditBuffer.clear();
  FState = dsBrowse;
}

void TDataSet::SetFiltered(bool value) {
  if (value == FFiltered) return;
  FFiltered = value;
  if (!Active()) return;
  CheckBrowseMode();
  Reorder(FOrder.empty() ? 0 : FOrder[FCursor]);
}

// ---- TDataSource ----

TDataSource::TDataSource(TComponent* owner) : TComponent(owner) {}

const TClass& TDataSource::StaticClass() {
  static const TClass& record = TClassBuilder<TDataSource>()
      .Property("DataSet", &TDataSource::DataSet, &TDataSource::SetDataSet)
      .Factory()
      .Build();
  return record;
}

void TDataSource::SetDataSet(TDataSet* value) {
  if (value == FDataSet) return;
  if (FDataSet != nullptr) FDataSet->RemoveFreeNotification(this);
  FDataSet = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TDataSource::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FDataSet) FDataSet = nullptr;
}

void RegisterDBClasses() {
  RegisterClasses({&TStringField::StaticClass(), &TMemoField::StaticClass(),
                   &TIntegerField::StaticClass(), &TDateField::StaticClass(),
                   &TDateTimeField::StaticClass(), &TFloatField::StaticClass(),
                   &TBooleanField::StaticClass(), &TDataSource::StaticClass()});
}
