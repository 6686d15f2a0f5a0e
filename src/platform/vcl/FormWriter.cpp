#include "platform/vcl/FormWriter.h"

#include <charconv>
#include <cmath>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/DfmParser.h"
#include "platform/vcl/Method.h"
#include "platform/vcl/TypInfo.h"

namespace {

[[noreturn]] void Fail(const AnsiString& path, const AnsiString& message) {
  throw EInvalidOperation("WriteComponentResource: " + path + ": " + message);
}

// Appends one code point as a quoted run or a "#NNN" code.
class TStringWriter {
public:
  void Printable(std::string_view bytes) {
    if (!FInQuote) {
      FText += '\'';
      FInQuote = true;
    }
    for (char c : bytes) {
      FText += c;
      if (c == '\'') FText += '\'';
    }
  }
  void Code(uint32_t codePoint) {
    if (FInQuote) {
      FText += '\'';
      FInQuote = false;
    }
    FText += '#' + std::to_string(codePoint);
  }
  AnsiString Finish() {
    if (FInQuote) FText += '\'';
    if (FText.empty()) FText = "''";
    return FText;
  }

private:
  AnsiString FText;
  bool FInQuote = false;
};

// Byte strings: printable ASCII and GBK double-byte characters stay as
// bytes, the rest becomes "#code point". A byte the code page does not
// decode cannot be written: "#NNN" means a character, not a byte.
AnsiString QuoteBytes(const AnsiString& bytes, const AnsiString& path) {
  TStringWriter out;
  for (size_t i = 0; i < bytes.size();) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    size_t length = static_cast<size_t>(CharLengthAt(kDfmCodePage, bytes, i));
    if (c >= 0x20 && c < 0x7F) {
      out.Printable(bytes.substr(i, 1));
    } else if (c < 0x80) {
      out.Code(c);
    } else {
      WideString wide = CodePageToWide(kDfmCodePage, std::string_view(bytes).substr(i, length));
      if (wide.size() != 1 || wide[0] == 0xFFFD) {
        Fail(path, "the text holds bytes that are not GBK characters");
      }
      if (length == 2) {
        out.Printable(bytes.substr(i, 2));
      } else {
        out.Code(wide[0]);
      }
    }
    i += length;
  }
  return out.Finish();
}

AnsiString QuoteWide(const WideString& text) {
  TStringWriter out;
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    }
    if (cp >= 0x20 && cp < 0x7F) {
      out.Printable(AnsiString(1, static_cast<char>(cp)));
    } else {
      out.Code(cp);
    }
  }
  return out.Finish();
}

AnsiString FloatText(double value, const AnsiString& path) {
  if (!std::isfinite(value)) Fail(path, "the format has no form for an infinite or undefined number");
  char buffer[64];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  AnsiString text(buffer, end);
  // Keep it a float when read back: "1500" would read as an integer.
  if (text.find_first_of(".e") == AnsiString::npos) text += ".0";
  // The parser wants digits before the exponent's sign: "1e+20" is fine.
  return text;
}

class TFormWriter {
public:
  explicit TFormWriter(TComponent* root) : FRoot(root) {}

  AnsiString Write() {
    WriteObject(FRoot, 0);
    return FText;
  }

private:
  TComponent* FRoot;
  AnsiString FText;

  void Line(int indent, const AnsiString& text) {
    FText.append(static_cast<size_t>(indent) * 2, ' ');
    FText += text;
    FText += "\r\n";
  }

  AnsiString PathOf(TComponent* component) const {
    if (component == FRoot) return FRoot->ClassName();
    return FRoot->ClassName() + "." + (component->Name().empty() ? component->ClassName() : component->Name());
  }

  void WriteObject(TComponent* component, int indent) {
    AnsiString header = "object ";
    if (!component->Name().empty()) header += component->Name() + ": ";
    Line(indent, header + component->ClassName());
    WriteProperties(component, "", PathOf(component), indent + 1, 0);
    for (int i = 0; i < FRoot->ComponentCount(); ++i) {
      TComponent* child = FRoot->Components(i);
      TComponent* parent = child->GetParentComponent();
      // Components without a parent component sit directly under the root.
      bool under = component == FRoot ? (parent == nullptr || parent == FRoot) : parent == component;
      if (under) WriteObject(child, indent + 1);
    }
    Line(indent, "end");
  }

  void WriteProperties(TObject* instance, const AnsiString& prefix, const AnsiString& path, int indent, int depth) {
    if (depth > 8) Fail(path, "sub-objects nested too deeply (a cycle?)");
    for (const TPropInfo* prop : GetPropList(instance)) {
      AnsiString name = prefix + prop->Name();
      AnsiString propPath = path + "." + prop->Name();
      if (!IsStoredProp(instance, *prop)) continue;
      if (prop->Kind() == tkClass) {
        WriteClassProperty(instance, *prop, name, propPath, indent, depth);
        continue;
      }
      if (!prop->IsWritable()) continue;
      AnsiString value;
      if (ValueText(instance, *prop, propPath, value)) Line(indent, name + " = " + value);
    }
  }

  void WriteClassProperty(TObject* instance, const TPropInfo& prop, const AnsiString& name, const AnsiString& path,
                          int indent, int depth) {
    if (prop.PropType().ClassType() == nullptr) {
      auto* list = static_cast<TStrings*>(prop.Access().GetPointer(instance));
      if (list == nullptr || list->GetCount() == 0) return;
      Line(indent, name + ".Strings = (");
      for (int i = 0; i < list->GetCount(); ++i) {
        Line(indent + 1, QuoteBytes(list->Get(i), path) + (i + 1 == list->GetCount() ? ")" : ""));
      }
      return;
    }
    TObject* value = GetObjectProp(instance, prop);
    if (value == nullptr) return;
    if (IsCollectionProperty(prop)) {
      WriteCollection(*static_cast<TCollection*>(value), name, path, indent, depth);
      return;
    }
    if (auto* component = dynamic_cast<TComponent*>(value)) {
      if (prop.IsWritable()) Line(indent, name + " = " + ReferenceName(component, path));
      return;
    }
    WriteProperties(value, name + ".", path, indent, depth + 1);
  }

  // "Columns = < item ... end item ... end >", one item per block. An empty
  // collection is written too ("<>"): a component may make items of its own
  // when created, and reading the text back must not bring them back.
  void WriteCollection(TCollection& collection, const AnsiString& name, const AnsiString& path, int indent,
                       int depth) {
    if (collection.Count() == 0) {
      Line(indent, name + " = <>");
      return;
    }
    Line(indent, name + " = <");
    for (int i = 0; i < collection.Count(); ++i) {
      Line(indent + 1, "item");
      WriteProperties(collection.Items(i), "", path + "[" + std::to_string(i) + "]", indent + 2, depth + 1);
      Line(indent + 1, i + 1 == collection.Count() ? "end>" : "end");
    }
  }

  AnsiString ReferenceName(TComponent* component, const AnsiString& path) const {
    if (component == FRoot) {
      if (FRoot->Name().empty()) Fail(path, "a reference to the root, which has no name");
      return FRoot->Name();
    }
    if (component->Name().empty()) Fail(path, "a reference to a component without a name");
    AnsiString name = component->Name();
    for (TComponent* owner = component->Owner(); owner != FRoot; owner = owner->Owner()) {
      if (owner == nullptr || owner->Name().empty()) Fail(path, "a reference to " + component->Name() + ", which the form does not own");
      name = owner->Name() + "." + name;
    }
    return name;
  }

  // The text of a scalar value; false when it is the default and is left out.
  bool ValueText(TObject* instance, const TPropInfo& prop, const AnsiString& path, AnsiString& text) {
    const TTypeInfo& type = prop.PropType();
    switch (prop.Kind()) {
      case tkInteger:
      case tkInt64:
      case tkChar:
      case tkEnumeration:
      case tkSet: {
        int64_t value = GetOrdProp(instance, prop);
        // Without a default (nodefault) an ordinal is always written.
        if (prop.Default() && *prop.Default() == value) return false;
        if (prop.Kind() == tkEnumeration) {
          text = GetEnumName(type, value);
          if (text.empty()) Fail(path, "value " + std::to_string(value) + " has no name in " + type.Name());
        } else if (prop.Kind() == tkSet) {
          text = "[";
          const auto& names = type.CompType()->EnumNames();
          for (size_t bit = 0; bit < names.size(); ++bit) {
            if ((static_cast<uint64_t>(value) >> bit) & 1) text += (text.size() > 1 ? ", " : "") + names[bit];
          }
          text += "]";
        } else if (prop.Kind() == tkChar) {
          text = QuoteBytes(AnsiString(1, static_cast<char>(value)), path);
        } else if (!IntToIdentOf(type, value, text)) {
          text = std::to_string(value);
        }
        return true;
      }
      case tkFloat: {
        double value = prop.Access().GetFloat(instance);
        if (value == 0) return false;
        text = FloatText(value, path);
        return true;
      }
      case tkString: {
        AnsiString value = GetStrProp(instance, prop);
        if (value.empty()) return false;
        text = QuoteBytes(value, path);
        return true;
      }
      case tkWString: {
        WideString value = prop.Access().GetWStr(instance);
        if (value.empty()) return false;
        text = QuoteWide(value);
        return true;
      }
      case tkMethod: {
        TMethod method = GetMethodProp(instance, prop);
        if (!method.Assigned()) return false;
        text = MethodName(method.Code);
        if (text.empty() || method.Data != FRoot || FRoot->MethodAddress(text) != method.Code) {
          Fail(path, "the handler is not a published method of " + FRoot->ClassName());
        }
        return true;
      }
      case tkVariant: {
        Variant value = prop.Access().GetVariant(instance);
        if (value.IsEmpty()) return false;
        if (value.VarType() == varBoolean) {
          text = value.AsBoolean() ? "True" : "False";
        } else if (value.VarType() == varDouble || value.VarType() == varDate) {
          text = FloatText(value.AsDouble(), path);
        } else if (value.VarType() == varInteger || value.VarType() == varInt64 || value.VarType() == varSmallint) {
          text = std::to_string(value.AsInt64());
        } else if (value.VarType() == varString) {
          text = QuoteBytes(value.AsString(), path);
        } else {
          Fail(path, "the format has no form for this variant");
        }
        return true;
      }
      default:
        Fail(path, AnsiString("the format has no form for a property of kind ") + TypeKindName(prop.Kind()));
    }
  }
};

}  // namespace

AnsiString WriteComponentResource(TComponent* root) {
  if (root == nullptr) throw EInvalidOperation("WriteComponentResource: no root component");
  return TFormWriter(root).Write();
}
