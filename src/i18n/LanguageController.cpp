#include "i18n/LanguageController.h"

#include <vector>

#include "env/HelmarINI.h"
#include "lib/LibRTTI.h"
#include "platform/rtl/Format.h"
#include "platform/rtl/NumConv.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ListViews.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Paths.h"

// ---- Folders and messages ----

AnsiString GetLanguageFolder(bool serverSide) {
  std::unique_ptr<THelmarIni> profile;
  AnsiString base;
  if (serverSide) {
    auto server = std::make_unique<THelmarIniS>();
    base = server->ServerPath();
    profile = std::move(server);
  } else {
    auto client = std::make_unique<THelmarIniC>();
    base = client->ClientPath();
    profile = std::move(client);
  }
  TStringList table;
  table.SetText("936=CHS\r\n950=CHT\r\n437=ENG");
  AnsiString language = table.Values(profile->UICodePage());
  if (language.empty() || base.empty()) return AnsiString();
  AnsiString folder = base + "MultiLanguage/" + language + "/";
  return DirectoryExists(folder) ? folder : AnsiString();
}

AnsiString GetLangMsg(bool serverSide, std::string_view fileBase, std::string_view key, const AnsiString& defaultText) {
  try {
    // Without a language folder there is nothing to read: a bare file name
    // would be looked for in whatever folder the process runs in.
    AnsiString folder = GetLanguageFolder(serverSide);
    if (folder.empty()) return defaultText;
    AnsiString file = folder + AnsiString(fileBase) + ".Lng";
    if (!FileExists(file)) return defaultText;
    TXmlDocument document;
    if (!document.Load(file)) return defaultText;
    TXmlNode root = document.DocumentElement();
    if (!root) return defaultText;
    TXmlNode node = root.SelectSingleNode("//" + AnsiString(key) + "/@Msg");
    return node ? node.Text() : defaultText;
  } catch (...) {
    return defaultText;
  }
}

// ---- Component readers ----

namespace {

// What a path step reaches: an object of the component model, a string
// list, or nothing.
struct TTarget {
  TObject* Object = nullptr;
  TStrings* Strings = nullptr;
  bool Empty() const { return Object == nullptr && Strings == nullptr; }
};

// The number after the last "_" of segment (-1 when there is none), and
// the part before it.
void SplitIndexed(const AnsiString& segment, AnsiString& name, int32_t& index) {
  index = -1;
  size_t underscore = segment.rfind('_');
  if (underscore == AnsiString::npos) {
    name = segment;
    return;
  }
  name = segment.substr(0, underscore);
  int32_t value = 0;
  if (TryStrToInt(segment.substr(underscore + 1), value)) index = value;
}

// The object property name of object, as a target (string lists included).
TTarget PropertyTarget(TObject* object, const AnsiString& name) {
  TTarget target;
  if (TStrings* strings = GetStringsPropByName(object, name))
    target.Strings = strings;
  else
    target.Object = GetClassPropByName(object, name);
  return target;
}

// One "Name_N" step of a path. False stops the walk where it is.
bool StepIndexed(TTarget& target, const AnsiString& name, int32_t index) {
  TObject* object = target.Object;
  if (object == nullptr) return false;
  if (auto* collection = dynamic_cast<TCollection*>(object)) {
    if (index < collection->Count()) target.Object = collection->Items(index);
    return true;
  }
  if (auto* view = dynamic_cast<TCustomListView*>(object)) {
    if (SameText(name, "Columns") && index < view->Columns()->Count())
      target.Object = view->Columns()->Items(index);
    else if (SameText(name, "Items") && index < view->Items()->Count())
      target.Object = view->Items()->Item(index);
    return true;
  }
  if (dynamic_cast<TListItems*>(object) != nullptr) return true;
  if (auto* tree = dynamic_cast<TCustomTreeView*>(object)) {
    if (SameText(name, "Items") && index < tree->Items()->Count()) target.Object = tree->Items()->Item(index);
    return true;
  }
  TTarget next = PropertyTarget(object, name);
  if (next.Empty()) return false;
  target = next;
  return true;
}

}  // namespace

TComponentRead::TComponentRead(TComponent* component, const TXmlNode& element)
    : FComponent(component), FElement(element) {}

void TComponentRead::ReadAll() {
  if (!FElement.HasAttributeMap()) return;
  for (int i = 0; i < FElement.AttributeCount(); ++i) ReadItem(Variant(i));
}

void TComponentRead::ReadItem(const Variant& index) {
  TXmlNode attribute;
  if (const int32_t* position = index.GetIf<int32_t>()) {
    if (*position >= 0 && *position < FElement.AttributeCount()) attribute = FElement.Attribute(*position);
  } else if (const AnsiString* name = index.GetIf<AnsiString>()) {
    attribute = FElement.AttributeNode(*name);
  }
  if (attribute) ApplyAttribute(attribute);
}

void TComponentRead::ApplyAttribute(const TXmlNode& attribute) {
  const AnsiString value = attribute.NodeType() == TXmlNodeType::Attribute ? attribute.Text() : AnsiString();
  const AnsiString path = attribute.NodeName();
  TTarget target;
  target.Object = FComponent;

  std::vector<AnsiString> segments;
  for (size_t start = 0;;) {
    size_t dot = path.find('.', start);
    segments.push_back(path.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start));
    if (dot == AnsiString::npos) break;
    start = dot + 1;
  }
  for (size_t i = 0; i + 1 < segments.size(); ++i) {
    AnsiString segment = Trim(segments[i]);
    size_t underscore = segment.find('_');
    if (underscore == AnsiString::npos) {
      TTarget next = target.Object != nullptr ? PropertyTarget(target.Object, segment) : TTarget{};
      if (next.Object == nullptr) return;  // no object property: the attribute is skipped
      target = next;
      continue;
    }
    AnsiString name = segment.substr(0, underscore);
    int32_t index = 0;
    if (!TryStrToInt(segment.substr(underscore + 1), index) || index < 0 ||
        !(SameText(name, "Items") || SameText(name, "Columns")))
      break;
    if (!StepIndexed(target, name, index)) break;
  }

  AnsiString name;
  int32_t index = -1;
  SplitIndexed(segments.back(), name, index);
  if (target.Object == FComponent && index >= 0) target = PropertyTarget(FComponent, name);
  if (target.Empty()) return;

  if (TStrings* strings = target.Strings) {
    if (index < 0) return;
    // A list that refuses to grow must not hang the reader.
    while (strings->Count() <= index) {
      const int before = strings->Count();
      strings->Add("");
      if (strings->Count() == before) return;
    }
    strings->Put(index, value);
  } else if (auto* item = dynamic_cast<TListItem*>(target.Object)) {
    if (SameText(name, "Caption"))
      item->SetCaption(value);
    else
      SetPropByPath(item, name, Variant(value));
  } else if (auto* node = dynamic_cast<TTreeNode*>(target.Object)) {
    if (SameText(name, "Text"))
      node->SetText(value);
    else
      SetPropByPath(node, name, Variant(value));
  } else {
    SetPropByPath(target.Object, name, Variant(value));
  }
}

void TCustomComboBoxRead::ReadAll() {
  auto* combo = dynamic_cast<TCustomComboBox*>(GetComponent());
  const int index = combo != nullptr ? combo->ItemIndex() : -1;
  TComponentRead::ReadAll();
  if (combo != nullptr) combo->SetItemIndex(index < combo->Items()->Count() ? index : -1);
}

std::unique_ptr<ILangRead> TReaderFactory::CreateReader(TComponent* component, const TXmlNode& element) {
  if (dynamic_cast<TCustomComboBox*>(component) != nullptr)
    return std::make_unique<TCustomComboBoxRead>(component, element);
  return std::make_unique<TComponentRead>(component, element);
}

// ---- TLangReader ----

TLangReader::TLangReader(const TXmlDocument& document) : FDocument(document) {}

void TLangReader::DoBeforeLoadComponent(TComponent* component, const TXmlNode& element) {
  if (BeforeLoadComponent) BeforeLoadComponent(nullptr, component, element);
}

void TLangReader::DoAfterLoadComponent(TComponent* component, const TXmlNode& element) {
  if (AfterLoadComponent) AfterLoadComponent(nullptr, component, element);
}

void TLangReader::Load(TComponent* component, const TXmlNode& element) {
  DoBeforeLoadComponent(component, element);
  TReaderFactory::CreateReader(component, element)->ReadAll();
  DoAfterLoadComponent(component, element);
}

bool TLangReader::IsExcluded(const AnsiString& name) const {
  const AnsiString trimmed = Trim(name);
  for (int i = 0; i < FExclude.Count(); ++i)
    if (SameText(Trim(FExclude[i]), trimmed)) return true;
  return false;
}

void TLangReader::ReadComponent(TComponent* component) {
  if (component == nullptr) return;
  // A form is met twice: through the root element and through an element
  // named after it.
  if (dynamic_cast<TCustomForm*>(component) != nullptr)
    if (TXmlNode root = FDocument.DocumentElement()) Load(component, root);
  const AnsiString name = component->Name();
  if (!name.empty() && !IsExcluded(name))
    if (TXmlNode element = FDocument.SelectSingleNode("//" + name)) Load(component, element);
  for (int i = 0; i < component->ComponentCount(); ++i) ReadComponent(component->Components(i));
}

// ---- TLanguageController ----

TLanguageController::TLanguageController(TComponent* owner)
    : TComponent(owner), FExcludeControls(std::make_unique<TStringList>()) {
  FExcludeControls->OnChange = [this](TStrings&) { ExcludeChanged(); };
}

TLanguageController::~TLanguageController() = default;

bool TLanguageController::Active() const { return FDocument && FDocument->DocumentElement(); }

void TLanguageController::SetActive(bool value) {
  if (ComponentState().Contains(csLoading)) {
    FStreamedActive = value;
    return;
  }
  if (value == Active()) return;
  if (value)
    Open();
  else
    Close();
}

void TLanguageController::Loaded() {
  TComponent::Loaded();
  if (FStreamedActive) SetActive(true);
}

void TLanguageController::Open() {
  DoBeforeOpen();
  FReader.reset();
  FDocument.reset();
  if (FFileName.empty()) throw LanguageControllerError(Format("Cannot Find File %s!", {Variant(FFileName)}));
  FDocument = std::make_unique<TXmlDocument>();
  if (!FDocument->Load(FFileName)) throw LanguageControllerError(FDocument->ParseError().Reason);
  FReader = std::make_unique<TLangReader>(*FDocument);
  FReader->ExcludeControls().Assign(*FExcludeControls);
  FReader->BeforeLoadComponent = BeforeLoadComponent;
  FReader->AfterLoadComponent = AfterLoadComponent;
  DoAfterOpen();
}

void TLanguageController::Close() {
  DoBeforeClose();
  FReader.reset();
  FDocument.reset();
  DoAfterClose();
}

void TLanguageController::SetExcludeControls(TStrings* value) {
  if (value != nullptr)
    FExcludeControls->Assign(*value);
  else
    FExcludeControls->Clear();
}

void TLanguageController::ExcludeChanged() {
  if (FReader) FReader->ExcludeControls().Assign(*FExcludeControls);
}

TLangReader& TLanguageController::GetReader() const {
  if (!Active() || !FReader) throw LanguageControllerError("No active LanguageController!");
  return *FReader;
}

void TLanguageController::DoBeforeOpen() {
  if (BeforeOpen) BeforeOpen(this);
}
void TLanguageController::DoAfterOpen() {
  if (AfterOpen) AfterOpen(this);
}
void TLanguageController::DoBeforeClose() {
  if (BeforeClose) BeforeClose(this);
}
void TLanguageController::DoAfterClose() {
  if (AfterClose) AfterClose(this);
}

const TClass& TLanguageController::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TLanguageController> b;
    b.Factory();
    return b.Build();
  }();
  return record;
}

// ---- TZubLangController ----

TZubLangController::TZubLangController(TComponent* owner) : TLanguageController(owner) {}

void TZubLangController::SetLangPackageName(const AnsiString& value) {
  if (value == FLangPackageName) return;
  FLangPackageName = value;
  SetFileName(GetLanguageFolder(FDesignType == dtServer) + value + ".Lng");
  SetActive(false);
}

const TClass& TZubLangController::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TZubLangController> b;
    b.Property("Active", &TZubLangController::Active, &TZubLangController::SetActive)
        .Default(false)
        .Event("AfterClose", &TZubLangController::AfterClose)
        .Event("AfterOpen", &TZubLangController::AfterOpen)
        .Event("BeforeClose", &TZubLangController::BeforeClose)
        .Event("BeforeOpen", &TZubLangController::BeforeOpen)
        .Event("AfterLoadComponent", &TZubLangController::AfterLoadComponent)
        .Event("BeforeLoadComponent", &TZubLangController::BeforeLoadComponent)
        .Property("ExcludeControls", &TZubLangController::ExcludeControls, &TZubLangController::SetExcludeControls)
        .Property("LangPackageName", &TZubLangController::LangPackageName, &TZubLangController::SetLangPackageName)
        .Property("DesignType", &TZubLangController::DesignType, &TZubLangController::SetDesignType)
        .Default(dtClient)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterLanguageControllerClasses() {
  RegisterClasses({&TLanguageController::StaticClass(), &TZubLangController::StaticClass()});
}
