// Lists of byte-string lines with a pointer-sized object per line: the
// abstract TStrings (the shape memo lines and combo items derive from) with
// name=value access, text and delimited-text forms and change notification,
// and TStringList, the stored list with sorting and a duplicates policy.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Types.h"

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings {
public:
  using TNotifyEvent = std::function<void(TStrings& sender)>;

  TStrings();
  virtual ~TStrings();
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  // --- the primitives a list stores by ---
  // Index errors raise EStringListError "List index out of bounds (i)".
  virtual AnsiString Get(int index) const = 0;
  virtual int GetCount() const = 0;
  // nullptr unless the list keeps objects.
  virtual void* GetObject(int index) const;
  // Replaces the text of a line and keeps its object.
  virtual void Put(int index, const AnsiString& s);
  // Ignored unless the list keeps objects.
  virtual void PutObject(int index, void* object);
  // index may be Count(), which appends.
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void InsertObject(int index, const AnsiString& s, void* object);
  virtual void Delete(int index) = 0;
  virtual void Clear() = 0;

  // --- lines ---
  int Count() const { return GetCount(); }
  AnsiString operator[](int index) const { return Get(index); }
  AnsiString Strings(int index) const { return Get(index); }
  void* Objects(int index) const { return GetObject(index); }
  // The index the line landed at (a sorted list places it).
  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, void* object);
  void AddStrings(const TStrings& source);
  // Replaces every line and object with the source's, and takes over its
  // separators and quote character.
  virtual void Assign(const TStrings& source);
  // First line equal to s by CompareStrings; -1 when none.
  virtual int IndexOf(const AnsiString& s) const;
  int IndexOfObject(const void* object) const;

  // --- name=value lines ---
  char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(char separator) { FNameValueSeparator = separator; }
  // The part before the separator; "" for a line without one.
  AnsiString Names(int index) const;
  // The part after the separator; "" for a line without one.
  AnsiString ValueFromIndex(int index) const;
  // First line whose name equals name by CompareStrings; -1 when none.
  virtual int IndexOfName(const AnsiString& name) const;
  // The value of the first line with that name; "" when there is none.
  AnsiString Values(const AnsiString& name) const;
  // Replaces the value of the first line with that name, or adds a line; an
  // empty value deletes the line.
  virtual void SetValue(const AnsiString& name, const AnsiString& value);

  // --- the list as one text ---
  // Every line followed by CR LF.
  AnsiString Text() const;
  // Lines end at CR LF, LF or CR; a final line break adds no empty line.
  void SetText(const AnsiString& text);
  // Items separated by commas; an item with blanks, control characters,
  // commas or quotes is double-quoted with its quotes doubled.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& text);
  // As CommaText with Delimiter, QuoteChar and StrictDelimiter. A strict
  // list splits at the delimiter only and quotes only items holding the
  // delimiter or the quote character.
  AnsiString DelimitedText() const;
  void SetDelimitedText(const AnsiString& text);
  char Delimiter() const { return FDelimiter; }
  void SetDelimiter(char delimiter) { FDelimiter = delimiter; }
  char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(char quote) { FQuoteChar = quote; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool strict) { FStrictDelimiter = strict; }

  // --- change notification ---
  // Outside an update, every change raises OnChanging before and OnChange
  // after it. Between BeginUpdate and the matching EndUpdate (which nest),
  // OnChanging comes once before the first change and OnChange once at the
  // outermost EndUpdate, and neither comes when nothing changed.
  void BeginUpdate();
  // Raises EInvalidOperation without a matching BeginUpdate.
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

protected:
  // Derived lists call these around every change they make.
  virtual void Changing();
  virtual void Changed();
  // Called when the outermost update begins (true) and ends (false), for
  // lists that hold back work such as repainting.
  virtual void SetUpdateState(bool updating);
  // How lines and names compare: ASCII letters without case, double-byte
  // characters exactly.
  virtual int CompareStrings(const AnsiString& a, const AnsiString& b) const;
  [[noreturn]] static void IndexError(int index);
  // Raises unless 0 <= index < Count() (or <= Count() with allowEnd).
  void CheckIndex(int index, bool allowEnd = false) const;

private:
  AnsiString JoinDelimited(char delimiter, char quote, bool strict) const;
  void SplitDelimited(const AnsiString& text, char delimiter, char quote, bool strict);

  int FUpdateCount = 0;
  bool FChangingSent = false;     // OnChanging raised in this update
  bool FChangedInUpdate = false;  // something changed in this update
  char FNameValueSeparator = '=';
  char FDelimiter = ',';
  char FQuoteChar = '"';
  bool FStrictDelimiter = false;
};

class TStringList : public TStrings {
public:
  // < 0, 0 or > 0 comparing the lines at index1 and index2 of list.
  using TStringListSortCompare = std::function<int(TStringList& list, int index1, int index2)>;

  TStringList();
  ~TStringList() override;

  AnsiString Get(int index) const override;
  int GetCount() const override;
  void* GetObject(int index) const override;
  // Raises EStringListError on a sorted list, which decides places itself.
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, void* object) override;
  // Raises EStringListError on a sorted list.
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, void* object) override;
  void Delete(int index) override;
  void Clear() override;

  // On a sorted list the line goes to its place; an equal line already
  // there is kept (dupIgnore, returning its index), followed by the new one
  // (dupAccept) or refused with EStringListError (dupError). Unsorted lists
  // accept every line.
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, void* object) override;
  int IndexOf(const AnsiString& s) const override;
  void SetValue(const AnsiString& name, const AnsiString& value) override;
  // Raises EStringListError on a sorted list.
  void Exchange(int index1, int index2);

  // Binary search of a sorted list: true when s is there, with index at its
  // first occurrence; otherwise index is where s would be inserted.
  bool Find(const AnsiString& s, int& index) const;
  // Stable; objects move with their lines. Both do nothing on a sorted list.
  void Sort();
  void CustomSort(const TStringListSortCompare& compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates duplicates) { FDuplicates = duplicates; }
  // false by default; a sorted list sorts again when this changes.
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool caseSensitive);

protected:
  int CompareStrings(const AnsiString& a, const AnsiString& b) const override;

private:
  struct TItem {
    AnsiString FString;
    void* FObject;
  };

  void InsertItem(int index, const AnsiString& s, void* object);
  void SortBy(const TStringListSortCompare& compare);

  std::vector<TItem> FList;
  bool FSorted = false;
  bool FCaseSensitive = false;
  TDuplicates FDuplicates = dupIgnore;
};
