#include "i18n/CodeConverter.h"

#include <map>
#include <mutex>

#include "env/HelmarINI.h"
#include "lib/LibRTTI.h"
#include "platform/rtl/VarConvert.h"
#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Collection.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/ListViews.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/Tabs.h"

// ---- Class rules ----

namespace {

struct TRuleEntry {
  TConvertClassRule Rule;
  bool InMode4;
};

struct TRuleTable {
  std::mutex Mutex;
  std::map<const TClass*, TRuleEntry> Rules;
};

TRuleTable& Rules() {
  static TRuleTable table;
  return table;
}

}  // namespace

void RegisterConvertClassRule(const TClass& aClass, TConvertClassRule rule, bool inMode4) {
  TRuleTable& table = Rules();
  std::lock_guard lock(table.Mutex);
  table.Rules[&aClass] = TRuleEntry{rule, inMode4};
}

TConvertClassRule FindConvertClassRule(const TClass& aClass, int mode) {
  TRuleTable& table = Rules();
  std::lock_guard lock(table.Mutex);
  for (const TClass* c = &aClass; c != nullptr; c = c->ClassParent()) {
    auto it = table.Rules.find(c);
    if (it == table.Rules.end()) continue;
    // The nearest rule decides, even when it does not run in this mode: a
    // descendant's rule replaces its ancestor's.
    if (mode == 1 || mode == 2) return it->second.Rule;
    if (mode == 4 && it->second.InMode4) return it->second.Rule;
    return nullptr;
  }
  return nullptr;
}

// ---- The standard class rules ----

namespace {

// Column captions once; then the item captions (column 0) and sub-items
// (columns 1..n-1). With no items only the captions; with no columns,
// nothing at all.
void ConvertListView(TCodeConverter& converter, TComponent* component, int mode) {
  auto& view = static_cast<TCustomListView&>(*component);
  TListColumns& columns = *view.Columns();
  TListItems& items = *view.Items();
  for (int c = 0; c < columns.Count(); ++c) {
    TListColumn& column = *columns.Items(c);
    if (items.Count() == 0) {
      column.SetCaption(converter.ConvertText(mode, column.Caption()));
      continue;
    }
    for (int r = 0; r < items.Count(); ++r) {
      if (r == 0) column.SetCaption(converter.ConvertText(mode, column.Caption()));
      TListItem& item = *items.Item(r);
      if (c == 0) {
        item.SetCaption(converter.ConvertText(mode, item.Caption()));
      } else if (c - 1 < item.SubItems()->Count()) {
        TStrings& subItems = *item.SubItems();
        subItems.Put(c - 1, converter.ConvertText(mode, subItems[c - 1]));
      }
    }
  }
}

// The whole tab list at once; the tab index is kept.
void ConvertTabSet(TCodeConverter& converter, TComponent* component, int mode) {
  auto& tabSet = static_cast<TTabSet&>(*component);
  int index = tabSet.TabIndex();
  tabSet.Tabs()->SetText(converter.ConvertText(mode, tabSet.Tabs()->Text()));
  tabSet.SetTabIndex(index);
}

// Owner-drawn (no typing) unless simple; the first item selected when none is.
void ConvertComboBox(TCodeConverter&, TComponent* component, int) {
  auto& combo = static_cast<TCustomComboBox&>(*component);
  if (combo.Style() != csSimple) {
    int index = combo.ItemIndex();
    combo.SetStyle(csOwnerDrawFixed);
    if (index >= 0 && combo.ItemIndex() < 0) combo.SetItemIndex(index);
  }
  if (combo.ItemIndex() < 0 && combo.Items()->Count() > 0) combo.SetItemIndex(0);
}

void ConvertMenu(TCodeConverter&, TComponent* component, int) { static_cast<TMenu&>(*component).SetOwnerDraw(true); }

void ConvertTreeView(TCodeConverter& converter, TComponent* component, int mode) {
  TTreeNodes& nodes = *static_cast<TCustomTreeView&>(*component).Items();
  for (int i = 0; i < nodes.Count(); ++i) {
    TTreeNode& node = *nodes.Item(i);
    node.SetText(converter.ConvertText(mode, node.Text()));
  }
}

void ConvertStringGrid(TCodeConverter& converter, TComponent* component, int mode) {
  auto& grid = static_cast<TStringGrid&>(*component);
  for (int col = 0; col < grid.ColCount(); ++col)
    for (int row = 0; row < grid.RowCount(); ++row) {
      AnsiString text = grid.Cells(col, row);
      if (!text.empty()) grid.SetCells(col, row, converter.ConvertText(mode, text));
    }
}

const bool StandardRulesRegistered = [] {
  RegisterConvertClassRule(TCustomListView::StaticClass(), ConvertListView);
  RegisterConvertClassRule(TTabSet::StaticClass(), ConvertTabSet);
  RegisterConvertClassRule(TCustomComboBox::StaticClass(), ConvertComboBox);
  RegisterConvertClassRule(TMenu::StaticClass(), ConvertMenu, /*inMode4=*/true);
  RegisterConvertClassRule(TCustomTreeView::StaticClass(), ConvertTreeView);
  RegisterConvertClassRule(TStringGrid::StaticClass(), ConvertStringGrid);
  return true;
}();

}  // namespace

const std::vector<const char*>& ClassesNeedingConvertRules() {
  static const std::vector<const char*> names = {"TCustomListView", "TListView",   "TTabSet",     "TCustomComboBox",
                                                 "TComboBox",       "TMenu",       "TPopupMenu",  "TMainMenu",
                                                 "TCustomTreeView", "TTreeView",   "TStringGrid", "TSelectPanel",
                                                 "TDBNavigator",    "TAligrid"};
  return names;
}

// ---- TCodeConverter ----

TCodeConverter::TCodeConverter(TComponent* owner) : TComponent(owner) {
  LoadSettings();
  if (FUIConvertMode != 0) FTranslator = std::make_unique<TTranslator>();
}

TCodeConverter::~TCodeConverter() = default;

const TClass& TCodeConverter::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TCodeConverter> b;
    b.Property("DesignType", &TCodeConverter::DesignType, &TCodeConverter::SetDesignType)
        .Default(dtClient)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterCodeConverterClasses() { RegisterClass(TCodeConverter::StaticClass()); }

void TCodeConverter::LoadSettings() {
  std::unique_ptr<THelmarIni> profile;
  if (FDesignType == dtServer)
    profile = std::make_unique<THelmarIniS>();
  else
    profile = std::make_unique<THelmarIniC>();
  FSystemCodePage = profile->SystemCodePage();
  FUICodePage = profile->UICodePage();
  FDBCodePage = profile->DBCodePage();
  FUIConvertMode = profile->UIConvertMode();
  FDBConvertMode = profile->DBConvertMode();
}

AnsiString TCodeConverter::ConvertText(int mode, const AnsiString& text) const {
  if (mode == 1) return Big5ToGB(text);
  if (mode == 2) return GBToBig5(text);
  return text;
}

AnsiString TCodeConverter::Big5ToGB(const AnsiString& text) const {
  if (!FTranslator) return text;
  return FTranslator->Big5ToGB(text);
}

AnsiString TCodeConverter::GBToBig5(const AnsiString& text) const {
  if (!FTranslator) return text;
  return FTranslator->GBToBig5(text);
}

Variant TCodeConverter::ConvertValue(int mode, const Variant& value) const {
  if ((mode != 1 && mode != 2) || !FTranslator || VarIsEmpty(value) || VarIsNull(value)) return value;
  if (!VarIsArray(value)) return Variant(ConvertText(mode, VarToStr(value)));
  Variant result = value;
  TVarArray& array = result.Array();
  switch (VarArrayDimCount(value)) {
    case 1:
      for (int32_t i = array.Bound(1).LowBound; i <= array.Bound(1).HighBound; ++i) {
        Variant& element = array.At(i);
        if (VarIsArray(element))
          element = ConvertValue(mode, element);
        else
          element = Variant(ConvertText(mode, VarToStr(element)));
      }
      break;
    case 2:
      for (int32_t i = array.Bound(1).LowBound; i <= array.Bound(1).HighBound; ++i)
        for (int32_t j = array.Bound(2).LowBound; j <= array.Bound(2).HighBound; ++j)
          array.At(i, j) = ConvertValue(mode, array.At(i, j));
      break;
    default:
      break;
  }
  return result;
}

Variant TCodeConverter::ToUI(const Variant& value) const { return ConvertValue(FUIConvertMode, value); }

Variant TCodeConverter::FromDB(const Variant& value) const { return ConvertValue(FDBConvertMode, value); }

namespace {

int ReverseMode(int mode) {
  if (mode == 1) return 2;
  if (mode == 2) return 1;
  return 0;
}

}  // namespace

Variant TCodeConverter::FromUI(const Variant& value) const {
  try {
    int mode = ReverseMode(FUIConvertMode);
    return mode == 0 ? value : ConvertValue(mode, value);
  } catch (...) {
    return value;
  }
}

Variant TCodeConverter::ToDB(const Variant& value) const {
  try {
    int mode = ReverseMode(FDBConvertMode);
    return mode == 0 ? value : ConvertValue(mode, value);
  } catch (...) {
    return value;
  }
}

void TCodeConverter::SetFontForMode(int mode, TFont* font) {
  if (font == nullptr) return;
  switch (mode) {
    case 0:
    case 1:
    case 4:
      font->SetName("SimSun");
      font->SetCharset(GB2312_CHARSET);
      break;
    case 2:
    case 3:
      font->SetName("SimSun");
      font->SetCharset(CHINESEBIG5_CHARSET);
      break;
    default:
      break;
  }
}

// ---- ConvertForm ----

void TCodeConverter::ConvertForm(TCustomForm* form) {
  if (!FTranslator || form == nullptr) return;
  const int mode = FUIConvertMode;
  ConvertFormCaption(form);
  ConvertTextProperty(form, "Hint", mode);
  ConvertTextProperty(form, "ButtonHint", mode);
  SetFontForMode(mode, Screen().IconFont());
  SetFontForMode(mode, Screen().HintFont());
  SetFontForMode(mode, Screen().MenuFont());
  // Turning hints off and on again makes the hint window take the new font.
  Application().SetShowHint(!Application().ShowHint());
  Application().SetShowHint(!Application().ShowHint());
  for (int i = 0; i < form->ComponentCount(); ++i) ConvertComponent(form->Components(i), mode);
}

void TCodeConverter::ConvertFormCaption(TCustomForm* form) {
  // A system running code page 950 shows the caption in its own code page,
  // whichever non-zero user-interface mode applies.
  if (FSystemCodePage == "950") ConvertTextProperty(form, "Caption", 2);
}

void TCodeConverter::ConvertTextProperty(TObject* object, const char* name, int mode) {
  if (mode != 1 && mode != 2) return;
  if (!HasPropByName(object, name)) return;
  AnsiString text = GetStrPropByName(object, name);
  if (text.empty()) return;
  SetStrPropByName(object, name, ConvertText(mode, text));
}

void TCodeConverter::ConvertComponent(TComponent* component, int mode) {
  for (const char* name : {"Font", "TitleFont"})
    if (IsPropOfType(component, name, "TFont"))
      SetFontForMode(mode, dynamic_cast<TFont*>(GetClassPropByName(component, name)));

  ConvertTextProperty(component, "Caption", mode);
  ConvertTextProperty(component, "Hint", mode);
  ConvertTextProperty(component, "ButtonHint", mode);

  auto* combo = dynamic_cast<TCustomComboBox*>(component);
  if ((mode == 1 || mode == 2) && IsPropOfType(component, "Items", "TStrings")) {
    if (TStrings* items = GetStringsPropByName(component, "Items")) {
      // One call for the whole list; a combo box keeps its selection.
      int index = combo != nullptr ? combo->ItemIndex() : -1;
      items->SetText(ConvertText(mode, items->Text()));
      if (combo != nullptr && combo->Items()->Count() > 0) combo->SetItemIndex(index);
    }
  }
  if ((mode == 1 || mode == 2) && IsPropOfType(component, "Lines", "TStrings")) {
    if (TStrings* lines = GetStringsPropByName(component, "Lines")) lines->SetText(ConvertText(mode, lines->Text()));
  }
  if (mode != 0) {
    if (combo != nullptr && IsPropOfType(component, "Style", "TComboBoxStyle")) {
      int index = combo->ItemIndex();
      if (combo->Style() == csDropDown)
        combo->SetStyle(csOwnerDrawVariable);
      else if (combo->Style() == csDropDownList)
        combo->SetStyle(csOwnerDrawFixed);
      if (index >= 0 && combo->ItemIndex() < 0) combo->SetItemIndex(index);
    } else if (auto* listBox = dynamic_cast<TCustomListBox*>(component);
               listBox != nullptr && IsPropOfType(component, "Style", "TListBoxStyle")) {
      if (listBox->Style() == lbStandard) listBox->SetStyle(lbOwnerDrawFixed);
    }
  }
  if ((mode == 1 || mode == 2) && IsPropOfType(component, "Panels", "TStatusPanels")) {
    if (auto* panels = dynamic_cast<TCollection*>(GetClassPropByName(component, "Panels")))
      for (int i = 0; i < panels->Count(); ++i) ConvertTextProperty(panels->Items(i), "Text", mode);
  }

  if (TConvertClassRule rule = FindConvertClassRule(*component->ClassType(), mode)) rule(*this, component, mode);
}

// ---- Message dialogs ----

int TCodeConverter::ShowMessageDialog(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons) {
  if (text.empty()) return 0;
  AnsiString shown = text;
  // Simplified-Chinese systems clip the last characters of a message box
  // without some room after them.
  if (FUICodePage == "936" || FSystemCodePage == "936") shown += "      ";
  TMessageForm* dialog = CreateMessageDialog(shown, dialogType, buttons);
  try {
    auto* form = dynamic_cast<TCustomForm*>(Owner());
    if (form != nullptr) {
      if (form->WindowState() == wsMinimized) form->SetWindowState(wsNormal);
      dialog->SetCaption(form->Caption());
    }
    SetFontForMode(FUIConvertMode, dialog->Font());
    int result = dialog->ShowModal();
    Free(dialog);
    return result;
  } catch (...) {
    Free(dialog);
    throw;
  }
}
