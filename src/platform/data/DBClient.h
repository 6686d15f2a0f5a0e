// TClientDataSet: a data set that fetches a whole table from a provider of
// the application server (AS_GetRecords on the connection's server object)
// and keeps it as a local copy. Edits change only that copy; nothing is sent
// back. Named indexes keep the records ordered by their fields, and FindKey
// searches the current index.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/data/DB.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

class TSocketConnection;

struct TIndexDef {
  AnsiString Name;
  AnsiString Fields;  // "F1;F2;F3"
};

class TClientDataSet : public TDataSet {
  KULR_CLASS(TClientDataSet, TDataSet)

  explicit TClientDataSet(TComponent* owner);
  ~TClientDataSet() override;

  // Cleared when the connection is freed. Changing it closes the data set.
  TSocketConnection* RemoteServer() const { return FRemoteServer; }
  void SetRemoteServer(TSocketConnection* value);
  const AnsiString& ProviderName() const { return FProviderName; }
  // Changing it closes the data set.
  void SetProviderName(const AnsiString& value);

  // ---- Indexes ----
  // Adds or replaces the index of that name (ASCII case ignored). Field
  // names are checked when the index is used. An empty name or field list
  // raises EDatabaseError.
  void AddIndex(const AnsiString& name, const AnsiString& fields);
  int IndexDefCount() const { return static_cast<int>(FIndexDefs.size()); }
  const TIndexDef& IndexDefs(int index) const;
  // "" for the order the provider delivered.
  const AnsiString& IndexName() const { return FIndexName; }
  // EDatabaseError "Index 'X' not found" for an unknown name, or when an
  // open data set lacks one of its fields (the old index then stays). While
  // a form resource is read the name is taken as it is and checked on Open.
  void SetIndexName(const AnsiString& value);

  // Moves to the first record (in index order) whose first index fields
  // equal values, one value per field; true when found, false (the cursor
  // stays) otherwise. Texts compare exactly. Posts a pending edit first.
  // EDatabaseError without a current index or with more values than it has
  // fields.
  bool FindKey(const std::vector<Variant>& values);

  void Notification(TComponent* component, TOperation operation) override;
  void BeforeDestruction() override;

protected:
  void InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) override;
  void FieldsBound() override;
  std::vector<size_t> SortedOrder() const override;

private:
  // The fields of the current index, by their position in the records.
  std::vector<int> IndexColumns(const AnsiString& indexName) const;
  const TIndexDef* FindIndex(std::string_view name) const;

  TSocketConnection* FRemoteServer = nullptr;
  AnsiString FProviderName;
  std::vector<TIndexDef> FIndexDefs;
  AnsiString FIndexName;
  std::vector<int> FIndexColumns;  // columns of the current index while open
};

// Registers the data classes by name, for form resources: TClientDataSet,
// TSocketConnection, TSimpleObjectBroker, TDataSource and the field classes.
void RegisterDataClasses();
