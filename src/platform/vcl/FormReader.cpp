#include "platform/vcl/FormReader.h"

#include <algorithm>
#include <memory>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Object.h"
#include "platform/vcl/Resources.h"
#include "platform/vcl/TypInfo.h"

namespace {

// Names in resources are ASCII identifiers; compare them as such.
bool SameName(std::string_view a, std::string_view b) { return SameText(a, b, 1252); }

std::vector<std::string_view> SplitDots(std::string_view path) {
  std::vector<std::string_view> parts;
  size_t start = 0;
  for (;;) {
    size_t dot = path.find('.', start);
    parts.push_back(path.substr(start, dot == std::string_view::npos ? std::string_view::npos : dot - start));
    if (dot == std::string_view::npos) return parts;
    start = dot + 1;
  }
}

// The class of root's chain named className; nullptr when none is.
const TClass* ClassInChain(const TClass* aClass, std::string_view className) {
  for (; aClass != nullptr; aClass = aClass->ClassParent()) {
    if (SameName(aClass->ClassName(), className)) return aClass;
  }
  return nullptr;
}

AnsiString ValueText(const TDfmValue& value) {
  switch (value.Kind) {
    case TDfmValueKind::Identifier: return "'" + value.Str + "'";
    case TDfmValueKind::Integer: return std::to_string(value.Int);
    default: return DfmValueKindName(value.Kind);
  }
}

AnsiString EnumNamesText(const TTypeInfo& type) {
  AnsiString text;
  for (const AnsiString& name : type.EnumNames()) {
    if (!text.empty()) text += ", ";
    text += name;
  }
  return text;
}

class TFormReader {
public:
  explicit TFormReader(TComponent* root) : FRoot(root) {}

  void Read(std::span<const TDfmDocument* const> docs) {
    try {
      for (const TDfmDocument* doc : docs) ReadDocument(*doc);
      ResolveFixups();
    } catch (...) {
      for (TComponent* component : FLoaded) component->SetReading(false);
      FRoot->SetReading(false);
      throw;
    }
    for (TComponent* component : FLoaded) component->SetReading(false);
    FRoot->SetReading(false);
    // Loaded may free or create components; walk a copy.
    std::vector<TComponent*> loaded = FLoaded;
    loaded.push_back(FRoot);
    for (TComponent* component : loaded) component->Loaded();
  }

private:
  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    AnsiString Name;
    TDfmPos Pos;
    AnsiString FileName;
    AnsiString Path;
    // The collection items the instance lies in, outermost first: when a
    // later value of a collection property frees them, their fix-ups go too.
    std::vector<TCollectionItem*> Items;
  };

  TComponent* FRoot;
  const TDfmDocument* FDoc = nullptr;
  std::vector<TComponent*> FLoaded;  // components read, in first-read order (root not included)
  std::vector<TFixup> FFixups;
  // The collection items being read, outermost first.
  std::vector<TCollectionItem*> FItemStack;
  bool FRootNamed = false;
  // The names the resources give the root ("frmBase", "frmDerived"): a
  // reference qualified by one of them starts at the root, whatever name the
  // root ends up with.
  std::vector<AnsiString> FRootNames;

  [[noreturn]] void Fail(TDfmPos pos, std::string_view path, std::string_view message) const {
    RaiseDfmError(FDoc->FileName, pos, AnsiString(path) + ": " + AnsiString(message));
  }

  void MarkLoading(TComponent* component) {
    if (component == FRoot || std::find(FLoaded.begin(), FLoaded.end(), component) != FLoaded.end()) return;
    component->Loading();
    component->SetReading(true);
    FLoaded.push_back(component);
  }

  void ReadDocument(const TDfmDocument& doc) {
    FDoc = &doc;
    const TDfmObject& top = doc.Root;
    AnsiString path = top.ClassName;
    if (ClassInChain(FRoot->ClassType(), top.ClassName) == nullptr) {
      Fail(top.Pos, path, "the resource describes a " + top.ClassName + " but is read into a " + FRoot->ClassName());
    }
    if (top.Kind == TDfmObjectKind::Inline) Fail(top.Pos, path, "a resource's top object cannot be 'inline'");
    if (!(FRoot->ComponentState().Contains(csLoading))) FRoot->Loading();
    FRoot->SetReading(true);
    if (!top.Name.empty()) FRootNames.push_back(top.Name);
    NameRoot(top, path);
    ReadBody(top, FRoot, path);
  }

  // The root takes the name the resource gives it (a derived resource's name
  // replaces its ancestor's), unless it had a name of its own before reading.
  // Among its owner's components a taken name gets a "_1", "_2" suffix, so
  // that two instances of one form can be read.
  void NameRoot(const TDfmObject& top, const AnsiString& path) {
    if (top.Name.empty()) return;
    if (!FRootNamed && !FRoot->Name().empty()) return;
    FRootNamed = true;
    AnsiString name = top.Name;
    if (TComponent* owner = FRoot->Owner()) {
      for (int n = 1;; ++n) {
        TComponent* other = owner->FindComponent(name);
        if (other == nullptr || other == FRoot) break;
        name = top.Name + "_" + std::to_string(n);
      }
    }
    try {
      FRoot->SetName(name);
    } catch (const Exception& e) {
      Fail(top.Pos, path, e.Message());
    }
  }

  void ReadBody(const TDfmObject& node, TComponent* component, const AnsiString& path) {
    for (const TDfmProperty& prop : node.Properties) ApplyProperty(component, prop, path);
    for (const TDfmObject& child : node.Children) ReadChild(child, component, path);
  }

  void ReadChild(const TDfmObject& node, TComponent* enclosing, const AnsiString& enclosingPath) {
    AnsiString path = enclosingPath + "." + (node.Name.empty() ? node.ClassName : node.Name);
    TComponent* component = nullptr;
    switch (node.Kind) {
      case TDfmObjectKind::Inline:
        Fail(node.Pos, path, "inline frames are not supported");
      case TDfmObjectKind::Inherited:
        component = FindInherited(node, path);
        MarkLoading(component);
        if (component->GetParentComponent() != enclosing) PlaceUnder(component, enclosing, node, path);
        break;
      case TDfmObjectKind::Object:
        component = Create(node, path);
        MarkLoading(component);
        if (!node.Name.empty()) {
          try {
            component->SetName(node.Name);
          } catch (const Exception& e) {
            Fail(node.Pos, path, e.Message());
          }
        }
        // Before any property: a control's font and size exchange need it.
        PlaceUnder(component, enclosing, node, path);
        break;
    }
    ReadBody(node, component, path);
  }

  TComponent* FindInherited(const TDfmObject& node, const AnsiString& path) {
    if (node.Name.empty()) Fail(node.Pos, path, "an inherited object needs the name of the component it refers to");
    TComponent* component = FRoot->FindComponent(node.Name);
    if (component == nullptr) {
      Fail(node.Pos, path, "inherited component " + node.Name + " does not exist (no ancestor resource created it)");
    }
    if (ClassInChain(component->ClassType(), node.ClassName) == nullptr) {
      Fail(node.Pos, path, "inherited component " + node.Name + " is a " + component->ClassName() + ", not a " +
                               node.ClassName);
    }
    return component;
  }

  TComponent* Create(const TDfmObject& node, const AnsiString& path) {
    const TClass* aClass = FindClass(node.ClassName);
    if (aClass == nullptr) Fail(node.Pos, path, "unknown class " + node.ClassName + " (not registered)");
    if (!aClass->InheritsFrom(TComponent::StaticClass())) {
      Fail(node.Pos, path, "class " + aClass->ClassName() + " is not a component class");
    }
    if (aClass->IsAbstract()) Fail(node.Pos, path, "class " + aClass->ClassName() + " is abstract");
    TObject* instance = nullptr;
    try {
      instance = aClass->Create(FRoot);
    } catch (const Exception& e) {
      Fail(node.Pos, path, "creating a " + aClass->ClassName() + " failed: " + e.Message());
    }
    return static_cast<TComponent*>(instance);
  }

  void PlaceUnder(TComponent* component, TComponent* enclosing, const TDfmObject& node, const AnsiString& path) {
    try {
      component->SetParentComponent(enclosing);
    } catch (const Exception& e) {
      Fail(node.Pos, path, e.Message());
    }
  }

  // ---- Properties ----

  // instance is a component or a collection item; path is its path.
  void ApplyProperty(TObject* instance, const TDfmProperty& prop, const AnsiString& instancePath) {
    std::vector<std::string_view> parts = SplitDots(prop.Name);
    AnsiString path = instancePath;
    try {
      for (size_t i = 0; i < parts.size(); ++i) {
        path += ".";
        path += parts[i];
        const TPropInfo* info = GetPropInfo(instance, parts[i]);
        if (info == nullptr) Fail(prop.Pos, path, "unknown property");
        bool last = i + 1 == parts.size();
        if (last) {
          SetValue(instance, *info, prop.Value, path);
          return;
        }
        if (info->Kind() != tkClass) Fail(prop.Pos, path, "not an object property, it has no sub-properties");
        if (info->PropType().ClassType() == nullptr) {
          // A string list written "Lines.Strings = (...)".
          if (i + 2 == parts.size() && SameName(parts[i + 1], "Strings")) {
            SetStrings(instance, *info, prop.Value, path + "." + AnsiString(parts[i + 1]));
            return;
          }
          Fail(prop.Pos, path + "." + AnsiString(parts[i + 1]), "unknown property");
        }
        TObject* sub = GetObjectProp(instance, *info);
        if (sub == nullptr) Fail(prop.Pos, path, "the object property is not assigned, it has no sub-properties");
        instance = sub;
      }
    } catch (const EReadError&) {
      throw;
    } catch (const Exception& e) {
      // A setter refused the value.
      Fail(prop.Value.Pos, path, e.Message());
    }
  }

  void RequireWritable(const TPropInfo& info, const TDfmValue& value, const AnsiString& path) {
    if (!info.IsWritable()) Fail(value.Pos, path, "property is read-only");
  }

  [[noreturn]] void BadValue(const TPropInfo& info, const TDfmValue& value, const AnsiString& path) {
    Fail(value.Pos, path,
         "cannot assign " + ValueText(value) + " to a property of type " + info.PropType().Name() + " (" +
             TypeKindName(info.Kind()) + ")");
  }

  // The bytes of a string value; a "#NNN" code without a GBK form cannot go
  // into a byte string.
  const AnsiString& Bytes(const TDfmValue& value, const AnsiString& path) {
    if (!value.BytesExact) {
      Fail(value.UnmappablePos, path, "the character code has no GBK form and the property holds bytes");
    }
    return value.Str;
  }

  void SetValue(TObject* instance, const TPropInfo& info, const TDfmValue& value, const AnsiString& path) {
    const TTypeInfo& type = info.PropType();
    switch (info.Kind()) {
      case tkInteger:
      case tkInt64: {
        int64_t number = 0;
        if (value.Kind == TDfmValueKind::Integer) {
          number = value.Int;
        } else if (value.Kind == TDfmValueKind::Identifier) {
          if (!IdentToIntOf(type, value.Str, number)) {
            Fail(value.Pos, path, "unknown value '" + value.Str + "' for " + type.Name());
          }
        } else {
          BadValue(info, value, path);
        }
        RequireWritable(info, value, path);
        SetOrdProp(instance, info, number);
        return;
      }
      case tkChar: {
        int64_t code = -1;
        if (value.Kind == TDfmValueKind::Integer) {
          code = value.Int;
        } else if (value.Kind == TDfmValueKind::String && Bytes(value, path).size() == 1) {
          code = static_cast<unsigned char>(value.Str[0]);
        } else {
          BadValue(info, value, path);
        }
        RequireWritable(info, value, path);
        SetOrdProp(instance, info, code);
        return;
      }
      case tkEnumeration: {
        if (value.Kind != TDfmValueKind::Identifier) BadValue(info, value, path);
        int64_t ordinal = GetEnumValue(type, value.Str);
        if (ordinal < 0) {
          Fail(value.Pos, path,
               "unknown value '" + value.Str + "' for " + type.Name() + " (" + EnumNamesText(type) + ")");
        }
        RequireWritable(info, value, path);
        SetOrdProp(instance, info, ordinal);
        return;
      }
      case tkSet: {
        if (value.Kind != TDfmValueKind::Set) BadValue(info, value, path);
        const TTypeInfo& element = *type.CompType();
        uint64_t bits = 0;
        for (const TDfmValue& item : value.Items) {
          int64_t ordinal = GetEnumValue(element, item.Str);
          if (ordinal < 0 || ordinal >= 64) {
            Fail(item.Pos, path,
                 "unknown element '" + item.Str + "' for " + type.Name() + " (" + EnumNamesText(element) + ")");
          }
          bits |= uint64_t{1} << ordinal;
        }
        RequireWritable(info, value, path);
        SetOrdProp(instance, info, static_cast<int64_t>(bits));
        return;
      }
      case tkFloat: {
        double number = 0;
        if (value.Kind == TDfmValueKind::Float) {
          number = value.Float;
        } else if (value.Kind == TDfmValueKind::Integer) {
          number = static_cast<double>(value.Int);
        } else {
          BadValue(info, value, path);
        }
        RequireWritable(info, value, path);
        info.Access().SetFloat(instance, number);
        return;
      }
      case tkString: {
        if (value.Kind != TDfmValueKind::String && value.Kind != TDfmValueKind::Binary) BadValue(info, value, path);
        const AnsiString& bytes = value.Kind == TDfmValueKind::String ? Bytes(value, path) : value.Str;
        RequireWritable(info, value, path);
        SetStrProp(instance, info, bytes);
        return;
      }
      case tkWString: {
        if (value.Kind != TDfmValueKind::String) BadValue(info, value, path);
        RequireWritable(info, value, path);
        info.Access().SetWStr(instance, value.Wide);
        return;
      }
      case tkVariant: {
        Variant v;
        if (value.Kind == TDfmValueKind::Integer) {
          v = (value.Int >= INT32_MIN && value.Int <= INT32_MAX) ? Variant(static_cast<int32_t>(value.Int))
                                                                 : Variant(static_cast<int64_t>(value.Int));
        } else if (value.Kind == TDfmValueKind::Float) {
          v = Variant(value.Float);
        } else if (value.Kind == TDfmValueKind::String) {
          v = Variant(Bytes(value, path));
        } else if (value.Kind == TDfmValueKind::Identifier && GetEnumValue(BooleanTypeInfo(), value.Str) >= 0) {
          v = Variant(GetEnumValue(BooleanTypeInfo(), value.Str) == 1);
        } else {
          BadValue(info, value, path);
        }
        RequireWritable(info, value, path);
        info.Access().SetVariant(instance, v);
        return;
      }
      case tkMethod: {
        if (value.Kind != TDfmValueKind::Identifier || value.Str.find('.') != AnsiString::npos) {
          BadValue(info, value, path);
        }
        RequireWritable(info, value, path);
        if (SameName(value.Str, "nil")) {
          SetMethodProp(instance, info, TMethod{});
          return;
        }
        void* code = FRoot->MethodAddress(value.Str);
        if (code == nullptr) {
          Fail(value.Pos, path, "unknown handler '" + value.Str + "' (" + FRoot->ClassName() +
                                    " has no published method of that name)");
        }
        SetMethodProp(instance, info, TMethod{code, FRoot});
        return;
      }
      case tkClass: {
        if (type.ClassType() == nullptr) {
          SetStrings(instance, info, value, path);
          return;
        }
        if (IsCollectionProperty(info)) {
          // Only "< item ... end >": the collection belongs to the instance
          // and cannot be replaced by a reference or nil.
          if (value.Kind != TDfmValueKind::Collection) BadValue(info, value, path);
          ReadCollection(instance, info, value, path);
          return;
        }
        if (value.Kind != TDfmValueKind::Identifier) BadValue(info, value, path);
        RequireWritable(info, value, path);
        if (SameName(value.Str, "nil")) {
          info.Access().SetObject(instance, nullptr);
          return;
        }
        // Resolved after the whole root is read: the component may come later.
        FFixups.push_back({instance, &info, value.Str, value.Pos, FDoc->FileName, path, FItemStack});
        return;
      }
      default:
        BadValue(info, value, path);
    }
  }

  // A collection: its items are replaced by the ones written, each Add()ed
  // and given its properties in file order, all in one update.
  void ReadCollection(TObject* instance, const TPropInfo& info, const TDfmValue& value, const AnsiString& path) {
    auto* collection = dynamic_cast<TCollection*>(GetObjectProp(instance, info));
    if (collection == nullptr) Fail(value.Pos, path, "the collection property is not assigned");
    collection->BeginUpdate();
    try {
      DropFixupsOfItems(*collection);
      collection->Clear();
      for (size_t i = 0; i < value.CollectionItems.size(); ++i) {
        const TDfmItem& node = value.CollectionItems[i];
        AnsiString itemPath = path + "[" + std::to_string(i) + "]";
        TCollectionItem* item = nullptr;
        try {
          item = collection->Add();
        } catch (const Exception& e) {
          Fail(node.Pos, itemPath, "adding a " + collection->ItemClass().ClassName() + " failed: " + e.Message());
        }
        FItemStack.push_back(item);
        for (const TDfmProperty& prop : node.Properties) ApplyProperty(item, prop, itemPath);
        FItemStack.pop_back();
      }
    } catch (...) {
      FItemStack.clear();
      try {
        collection->EndUpdate();
      } catch (...) {
        // The first error is the one worth reporting.
      }
      throw;
    }
    collection->EndUpdate();
  }

  // The items of collection are about to be freed: references waiting in
  // them, or in anything nested in them, must not be resolved later.
  void DropFixupsOfItems(const TCollection& collection) {
    if (collection.Count() == 0) return;
    std::vector<const TCollectionItem*> doomed;
    for (int i = 0; i < collection.Count(); ++i) doomed.push_back(collection.Items(i));
    std::erase_if(FFixups, [&doomed](const TFixup& fixup) {
      return std::any_of(fixup.Items.begin(), fixup.Items.end(), [&doomed](const TCollectionItem* item) {
        return std::find(doomed.begin(), doomed.end(), item) != doomed.end();
      });
    });
  }

  // A string list: a setter gets a list to copy (the component's own
  // reaction to the new items runs); a read-only list is cleared and filled.
  void SetStrings(TObject* instance, const TPropInfo& info, const TDfmValue& value, const AnsiString& path) {
    if (value.Kind != TDfmValueKind::List) BadValue(info, value, path);
    TStringList items;
    for (const TDfmValue& item : value.Items) {
      if (item.Kind != TDfmValueKind::String) {
        Fail(item.Pos, path, "a string list holds strings, not " + AnsiString(DfmValueKindName(item.Kind)));
      }
      items.Add(Bytes(item, path));
    }
    if (info.Access().SetPointer) {
      info.Access().SetPointer(instance, &items);
      return;
    }
    auto* target = static_cast<TStrings*>(info.Access().GetPointer(instance));
    if (target == nullptr) Fail(value.Pos, path, "the string list property is not assigned");
    target->BeginUpdate();
    try {
      target->Clear();
      for (int i = 0; i < items.GetCount(); ++i) target->Add(items.Get(i));
    } catch (...) {
      target->EndUpdate();
      throw;
    }
    target->EndUpdate();
  }

  // ---- References ----

  // "Edit1" names a component of the root; "frmTest.Edit1" starts at the
  // root by its name (its own or one a resource gave it); "Panel1.Inner"
  // continues into the components a component owns.
  bool IsRootName(std::string_view name) const {
    if (!FRoot->Name().empty() && SameName(name, FRoot->Name())) return true;
    for (const AnsiString& rootName : FRootNames) {
      if (SameName(name, rootName)) return true;
    }
    return false;
  }

  TComponent* FindReference(std::string_view name) const {
    std::vector<std::string_view> parts = SplitDots(name);
    size_t first = 0;
    TComponent* current = FRoot;
    if (IsRootName(parts[0])) first = 1;
    for (size_t i = first; i < parts.size() && current != nullptr; ++i) current = current->FindComponent(parts[i]);
    return current;
  }

  void ResolveFixups() {
    for (const TFixup& fixup : FFixups) {
      auto fail = [&](const AnsiString& message) {
        RaiseDfmError(fixup.FileName, fixup.Pos, fixup.Path + ": " + message);
      };
      TComponent* target = FindReference(fixup.Name);
      if (target == nullptr) fail("unknown component reference '" + fixup.Name + "'");
      const TClass* wanted = fixup.Prop->PropType().ClassType();
      if (!target->InheritsFrom(wanted)) {
        fail("'" + fixup.Name + "' is a " + target->ClassName() + ", the property needs a " + wanted->ClassName());
      }
      try {
        fixup.Prop->Access().SetObject(fixup.Instance, target);
      } catch (const Exception& e) {
        fail(e.Message());
      }
    }
  }
};

// The chain of resources to read for the named resource: its ancestors'
// first when its top object is "inherited".
std::vector<TDfmDocument> LoadChain(TComponent* root, std::string_view resourceName) {
  const TResource* entry = FindResourceEntry(resourceName);
  if (entry == nullptr) throw EReadError("Resource " + AnsiString(resourceName) + " not found");
  std::vector<TDfmDocument> chain;
  chain.push_back(ParseDfm(entry->Bytes, entry->FileName));
  while (chain.front().Root.Kind == TDfmObjectKind::Inherited) {
    const TDfmDocument& derived = chain.front();
    const TClass* aClass = ClassInChain(root->ClassType(), derived.Root.ClassName);
    if (aClass == nullptr) {
      RaiseDfmError(derived.FileName, derived.Root.Pos,
                    derived.Root.ClassName + ": the resource describes a " + derived.Root.ClassName +
                        " but is read into a " + root->ClassName());
    }
    const TResource* ancestor = nullptr;
    for (aClass = aClass->ClassParent(); aClass != nullptr && ancestor == nullptr; aClass = aClass->ClassParent()) {
      ancestor = FindResourceEntry(aClass->ClassName());
    }
    if (ancestor == nullptr) {
      RaiseDfmError(derived.FileName, derived.Root.Pos,
                    derived.Root.ClassName + ": an inherited resource, but no ancestor class has a resource");
    }
    chain.insert(chain.begin(), ParseDfm(ancestor->Bytes, ancestor->FileName));
  }
  return chain;
}

}  // namespace

void ReadRootComponents(TComponent* root, std::span<const TDfmDocument* const> docs) {
  if (root == nullptr) throw EReadError("ReadRootComponent: no root component");
  TFormReader(root).Read(docs);
}

void ReadRootComponent(TComponent* root, const TDfmDocument& doc) {
  const TDfmDocument* docs[] = {&doc};
  ReadRootComponents(root, docs);
}

void ReadComponentResource(TComponent* root, std::string_view resourceName) {
  if (root == nullptr) throw EReadError("ReadComponentResource: no root component");
  std::vector<TDfmDocument> chain = LoadChain(root, resourceName);
  std::vector<const TDfmDocument*> docs;
  for (const TDfmDocument& doc : chain) docs.push_back(&doc);
  ReadRootComponents(root, docs);
}

bool InitInheritedComponent(TComponent* root) {
  if (root == nullptr) throw EReadError("InitInheritedComponent: no root component");
  for (const TClass* aClass = root->ClassType(); aClass != nullptr; aClass = aClass->ClassParent()) {
    if (FindResourceEntry(aClass->ClassName()) != nullptr) {
      ReadComponentResource(root, aClass->ClassName());
      return true;
    }
  }
  return false;
}

std::vector<AnsiString> VerifyRegisteredResources() {
  std::vector<AnsiString> problems;
  for (const AnsiString& name : RegisteredResourceNames()) {
    const TResource* entry = FindResourceEntry(name);
    AnsiString where = entry ? entry->FileName : name;
    const TClass* aClass = FindClass(name);
    if (aClass == nullptr || !aClass->InheritsFrom(TComponent::StaticClass()) || aClass->IsAbstract()) {
      problems.push_back(where + ": no creatable component class " + name + " is registered");
      continue;
    }
    TComponent* root = nullptr;
    try {
      root = static_cast<TComponent*>(aClass->Create(nullptr));
      // A form reads its resources while it is constructed, which names it;
      // a plain component is still unnamed here.
      if (root->Name().empty()) ReadComponentResource(root, name);
      for (const TClass* c = aClass; c != nullptr; c = c->ClassParent()) {
        for (const TFieldInfo* field : c->DeclaredFields()) {
          if (field->Get(root) == nullptr) {
            problems.push_back(where + ": " + name + "." + field->Name() + ": published field left unbound");
          }
        }
      }
    } catch (const Exception& e) {
      problems.push_back(e.Message());
    }
    Free(root);
  }
  return problems;
}
