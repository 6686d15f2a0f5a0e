// The data-access basics: fields (TField and one class per data type), the
// field list of a data set, TDataSet with its records, cursor, edit buffer
// and state, and TDataSource for data-aware controls. A data set keeps its
// records in memory; where they come from is the descendant's business
// (TClientDataSet fetches them from a provider). Values are Variants of the
// field's type, Null where there is none; strings are bytes in the store's
// code page and are never converted here.
//
// Sections: errors and enumerations, TField and its descendants, TDataSet,
// TDataSource.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Method.h"
#include "platform/vcl/TypInfo.h"

class TDataSet;

// Every failure of a data set, a field or a connection.
class EDatabaseError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EDatabaseError"; }
};

KULR_ENUM(TFieldType, ftUnknown, ftString, ftMemo, ftInteger, ftDate, ftDateTime, ftFloat,
          ftBoolean)
KULR_ENUM(TDataSetState, dsInactive, dsBrowse, dsEdit, dsInsert)

// "String", "Memo", ... as a provider's field definitions name the types;
// ftUnknown for any other text (ASCII case ignored).
TFieldType FieldTypeFromName(std::string_view name);
const char* FieldTypeName(TFieldType type);

class TField;
// void(TField* Sender, AnsiString& Text, bool DisplayText)
KULR_EVENT(TFieldGetTextEvent, TField*, AnsiString&, bool);
// void(TField* Sender, const AnsiString& Text)
KULR_EVENT(TFieldSetTextEvent, TField*, const AnsiString&);
// void(TDataSet* DataSet, bool& Accept)
KULR_EVENT(TFilterRecordEvent, TDataSet*, bool&);

// ---- TField ----

// One column of a data set. A field created before the data set opens (in
// code or from a form resource, nested in its data set) is persistent: it
// keeps its handlers and settings across Close and Open and is bound to the
// column of its name. Fields the data set makes for itself on Open go away
// on Close.
class TField : public TComponent {
  KULR_CLASS(TField, TComponent)

  explicit TField(TComponent* owner);
  ~TField() override;

  TDataSet* DataSet() const { return FDataSet; }
  // Joins dataSet's field list (leaving the old one). Only on a closed data
  // set: EDatabaseError otherwise.
  void SetDataSet(TDataSet* dataSet);

  const AnsiString& FieldName() const { return FFieldName; }
  void SetFieldName(const AnsiString& value);
  TFieldType DataType() const { return FDataType; }
  // The most bytes a string value holds; 0 for the other types.
  int32_t Size() const { return FSize; }
  void SetSize(int32_t value);
  // The field name while none is set.
  AnsiString DisplayLabel() const;
  void SetDisplayLabel(const AnsiString& value) { FDisplayLabel = value; }
  // In characters; by default the size of a string field, a width fitting
  // the type otherwise.
  int32_t DisplayWidth() const;
  void SetDisplayWidth(int32_t value) { FDisplayWidth = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool value) { FReadOnly = value; }
  // The position in the data set's field list; -1 without a data set.
  // Setting it moves the field there (clipped to the list).
  int32_t Index() const;
  void SetIndex(int32_t value);

  // ---- The value of the current record (the edit buffer while editing) ----
  // Reading needs an open data set with a current record; writing needs
  // the edit state and a field that is not read-only. EDatabaseError
  // otherwise, naming the field.
  bool IsNull() const;
  Variant Value() const;  // Null when there is none
  void SetValue(const Variant& value);
  Variant AsVariant() const { return Value(); }
  void SetAsVariant(const Variant& value) { SetValue(value); }
  // "" for Null; dates by the format settings, Booleans "True"/"False".
  AnsiString AsString() const;
  // "" sets Null for every type but the string types.
  void SetAsString(const AnsiString& value);
  int32_t AsInteger() const;  // 0 for Null
  void SetAsInteger(int32_t value);
  TDateTime AsDateTime() const;  // 0 for Null
  void SetAsDateTime(TDateTime value);
  double AsFloat() const;  // 0 for Null
  void SetAsFloat(double value);
  bool AsBoolean() const;  // false for Null
  void SetAsBoolean(bool value);

  // Text for editing and for display: OnGetText's answer when a handler is
  // set (it starts from ""), AsString otherwise. The raw value (AsString)
  // never goes through the handler.
  AnsiString Text() const { return GetText(false); }
  AnsiString DisplayText() const { return GetText(true); }
  // Goes through OnSetText when a handler is set, SetAsString otherwise.
  void SetText(const AnsiString& value);

  TFieldGetTextEvent OnGetText;
  TFieldSetTextEvent OnSetText;

  // Persistent fields nest in their data set in a form resource.
  void SetParentComponent(TComponent* parent) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;

  // For TDataSet: the column this field reads (-1 when unbound).
  int FieldNo() const { return FFieldNo; }
  void Bind(int fieldNo) { FFieldNo = fieldNo; }
  bool IsPersistent() const { return FPersistent; }

  void BeforeDestruction() override;

protected:
  TField(TComponent* owner, TFieldType type, int32_t size);
  // The value converted to this field's type; EDatabaseError when it does
  // not convert or does not fit.
  virtual Variant Coerce(const Variant& value) const;
  [[noreturn]] void Fail(const AnsiString& what) const;

private:
  friend class TDataSet;
  AnsiString GetText(bool displayText) const;
  void CheckWritable() const;

  TDataSet* FDataSet = nullptr;
  AnsiString FFieldName;
  TFieldType FDataType = ftUnknown;
  int32_t FSize = 0;
  AnsiString FDisplayLabel;
  int32_t FDisplayWidth = -1;  // -1: the type's default
  bool FVisible = true;
  bool FReadOnly = false;
  bool FPersistent = true;
  int FFieldNo = -1;
};

class TStringField : public TField {
  KULR_CLASS(TStringField, TField)
  explicit TStringField(TComponent* owner);
};
class TMemoField : public TField {
  KULR_CLASS(TMemoField, TField)
  explicit TMemoField(TComponent* owner);
};
class TIntegerField : public TField {
  KULR_CLASS(TIntegerField, TField)
  explicit TIntegerField(TComponent* owner);
};
class TDateField : public TField {
  KULR_CLASS(TDateField, TField)
  explicit TDateField(TComponent* owner);
};
class TDateTimeField : public TField {
  KULR_CLASS(TDateTimeField, TField)
  explicit TDateTimeField(TComponent* owner);
};
class TFloatField : public TField {
  KULR_CLASS(TFloatField, TField)
  explicit TFloatField(TComponent* owner);
};
class TBooleanField : public TField {
  KULR_CLASS(TBooleanField, TField)
  explicit TBooleanField(TComponent* owner);
};

// A new field of the class for type (owner null), or null for ftUnknown.
TField* CreateField(TFieldType type);

// ---- TDataSet ----

class TDataSet : public TComponent {
  KULR_CLASS(TDataSet, TComponent)

  explicit TDataSet(TComponent* owner);
  ~TDataSet() override;

  // ---- Opening ----
  bool Active() const { return FState != dsInactive; }
  // While a form resource is read, opening waits for Loaded.
  void SetActive(bool value);
  void Open() { SetActive(true); }
  // Cancels an edit, drops the records and the fields made on Open.
  void Close() { SetActive(false); }
  TDataSetState State() const { return FState; }

  // ---- Fields ----
  int FieldCount() const { return static_cast<int>(FFields.size()); }
  // EListError out of range.
  TField* Fields(int index) const;
  // Ignoring ASCII case; null when absent.
  TField* FindField(std::string_view name) const;
  // EDatabaseError "Field 'X' not found" when absent.
  TField* FieldByName(std::string_view name) const;

  // ---- Cursor ----
  // Moving posts a pending edit first.
  int RecordCount() const;
  void First();
  void Next();
  void Prior();
  void Last();
  bool Bof() const { return FBof; }
  bool Eof() const { return FEof; }
  // 1-based position of the current record; 0 when there is none.
  int RecNo() const;
  bool IsEmpty() const { return RecordCount() == 0; }

  // ---- Changing the local copy ----
  // Edit copies the current record into the edit buffer (EDatabaseError on
  // a closed or empty data set); Post writes it back and keeps the cursor on
  // that record wherever the order puts it; Cancel drops it.
  void Edit();
  void Post();
  void Cancel();

  // ---- Controls ----
  void DisableControls() { ++FDisableCount; }
  // An EnableControls without a matching DisableControls does nothing.
  void EnableControls() {
    if (FDisableCount > 0) --FDisableCount;
  }
  bool ControlsDisabled() const { return FDisableCount > 0; }

  // While Filtered, records the handler rejects are skipped by every
  // cursor move and not counted. The handler is asked when the data set
  // opens, when Filtered is set and when a record is posted.
  TFilterRecordEvent OnFilterRecord;
  bool Filtered() const { return FFiltered; }
  void SetFiltered(bool value);

  // ---- For fields ----
  Variant GetFieldValue(const TField& field) const;
  void SetFieldValue(const TField& field, const Variant& value);
  void AddField(TField* field);
  void RemoveField(TField* field);
  void MoveField(TField* field, int index);
  int IndexOfField(const TField* field) const;
  // The "Name: " that messages start with ("" for an unnamed data set).
  AnsiString MessagePrefix() const;

  void BeforeDestruction() override;
  void Loaded() override;

protected:
  // A column of the records as the descendant delivers it.
  struct TFieldDef {
    AnsiString Name;
    TFieldType DataType = ftUnknown;
    int32_t Size = 0;
    AnsiString DisplayLabel;
  };
  using TRecord = std::vector<Variant>;

  // Fills defs and records (values already of each column's type).
  virtual void InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) = 0;
  // Called on Open once every field is bound to its column, before the
  // records are ordered; raising here fails the Open.
  virtual void FieldsBound() {}
  // The record order after the records changed: a permutation of indices
  // into the records. The default keeps the delivered order.
  virtual std::vector<size_t> SortedOrder() const;
  // Rebuilds the visible order and puts the cursor on record (an index into
  // the records) when it is still visible, else on the first one.
  void Reorder(size_t keepRecord);
  const std::vector<TRecord>& Records() const { return FRecords; }
  // Puts the cursor on the visible record at position pos.
  void MoveTo(size_t pos);
  // The index into the records of each visible position, in order.
  const std::vector<size_t>& Order() const { return FOrder; }
  void CheckActive() const;
  // Posts a pending edit.
  void CheckBrowseMode();

private:
  void DoOpen();
  void DoClose();
  bool Accepts(size_t record);
  const TRecord& CurrentRecord(const TField& field) const;

  std::vector<TField*> FFields;
  std::vector<TRecord> FRecords;
  std::vector<size_t> FOrder;
  size_t FCursor = 0;
  bool FBof = true;
  bool FEof = true;
  TDataSetState FState = dsInactive;
  TRecord FEditBuffer;
  int FDisableCount = 0;
  bool FFiltered = false;
  bool FStreamedActive = false;
};

// ---- TDataSource ----

// Links data-aware controls to a data set.
class TDataSource : public TComponent {
  KULR_CLASS(TDataSource, TComponent)

  explicit TDataSource(TComponent* owner);

  TDataSet* DataSet() const { return FDataSet; }
  void SetDataSet(TDataSet* value);
  // dsInactive without a data set.
  TDataSetState State() const { return FDataSet ? FDataSet->State() : dsInactive; }

  void Notification(TComponent* component, TOperation operation) override;

private:
  TDataSet* FDataSet = nullptr;
};

// Registers the field classes, TDataSource (for form resources).
void RegisterDBClasses();
