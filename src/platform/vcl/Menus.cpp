#include "platform/vcl/Menus.h"

#include <algorithm>
#include <map>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ImgList.h"

// ---- Short cuts ----

namespace {

struct TKeyName {
  uint16_t Key;
  const char* Name;
};

// The names the short-cut texts use for keys that are not letters or digits.
constexpr TKeyName kKeyNames[] = {
    {VK_BACK, "BkSp"},  {VK_TAB, "Tab"},     {VK_RETURN, "Enter"}, {VK_ESCAPE, "Esc"},
    {VK_SPACE, "Space"}, {VK_PRIOR, "PgUp"}, {VK_NEXT, "PgDn"},    {VK_END, "End"},
    {VK_HOME, "Home"},  {VK_LEFT, "Left"},   {VK_UP, "Up"},        {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},  {VK_INSERT, "Ins"},  {VK_DELETE, "Del"},
};

AnsiString KeyName(uint16_t key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return AnsiString(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F12) return "F" + std::to_string(key - VK_F1 + 1);
  for (const TKeyName& k : kKeyNames)
    if (k.Key == key) return k.Name;
  return {};
}

}  // namespace

TShortCut ShortCut(uint16_t key, TShiftState shift) {
  if (key > 0xFF) throw EInvalidOperation("ShortCut: key code " + std::to_string(key) + " is out of range");
  uint16_t value = key;
  if (shift.Contains(ssShift)) value |= scShift;
  if (shift.Contains(ssCtrl)) value |= scCtrl;
  if (shift.Contains(ssAlt)) value |= scAlt;
  return TShortCut(value);
}

void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift) {
  const uint16_t value = static_cast<uint16_t>(shortCut);
  key = value & 0xFF;
  shift = TShiftState{};
  if (value & scShift) shift.Include(ssShift);
  if (value & scCtrl) shift.Include(ssCtrl);
  if (value & scAlt) shift.Include(ssAlt);
}

AnsiString ShortCutToText(TShortCut shortCut) {
  uint16_t key = 0;
  TShiftState shift;
  ShortCutToKey(shortCut, key, shift);
  AnsiString name = KeyName(key);
  if (name.empty()) return {};
  AnsiString text;
  if (shift.Contains(ssShift)) text += "Shift+";
  if (shift.Contains(ssCtrl)) text += "Ctrl+";
  if (shift.Contains(ssAlt)) text += "Alt+";
  return text + name;
}

TShortCut TextToShortCut(std::string_view text) {
  if (text.empty()) return TShortCut(0);
  auto fail = [&]() -> TShortCut { throw EConvertError("'" + AnsiString(text) + "' is not a valid short cut"); };
  uint16_t modifiers = 0;
  std::string_view rest = text;
  // "Ctrl++" names the plus key, so a modifier is only taken while
  // something follows its "+".
  for (bool more = true; more;) {
    more = false;
    for (auto [prefix, bit] : {std::pair{"Shift+", scShift}, {"Ctrl+", scCtrl}, {"Alt+", scAlt}}) {
      std::string_view p(prefix);
      if (rest.size() > p.size() && SameText(rest.substr(0, p.size()), p)) {
        if (modifiers & bit) return fail();
        modifiers |= bit;
        rest.remove_prefix(p.size());
        more = true;
      }
    }
  }
  for (uint16_t key = 1; key <= 0xFF; ++key) {
    AnsiString name = KeyName(key);
    if (!name.empty() && SameText(name, rest)) return TShortCut(key | modifiers);
  }
  return fail();
}

namespace {
// Captions are GBK text unless the system runs another double-byte code page.
int CaptionCodePage() {
  const int cp = SystemCodePage();
  return IsDBCSLeadByteEx(cp, 0x81) ? cp : 936;
}
}  // namespace

AnsiString StripHotkey(std::string_view caption) {
  const int cp = CaptionCodePage();
  AnsiString result;
  for (size_t i = 0; i < caption.size();) {
    const int len = CharLengthAt(cp, caption, i);
    if (len == 1 && caption[i] == '&') {
      if (i + 1 < caption.size() && caption[i + 1] == '&') result += '&';
      i += (i + 1 < caption.size() && caption[i + 1] == '&') ? 2 : 1;
      continue;
    }
    result.append(caption.substr(i, static_cast<size_t>(len)));
    i += static_cast<size_t>(len);
  }
  return result;
}

char GetHotkey(std::string_view caption) {
  const int cp = CaptionCodePage();
  for (size_t i = 0; i < caption.size();) {
    const int len = CharLengthAt(cp, caption, i);
    if (len == 1 && caption[i] == '&' && i + 1 < caption.size()) {
      if (caption[i + 1] == '&') {
        i += 2;
        continue;
      }
      // A double-byte character after the mark has no key of its own.
      if (CharLengthAt(cp, caption, i + 1) != 1) return 0;
      char c = caption[i + 1];
      return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    i += static_cast<size_t>(len);
  }
  return 0;
}

// ---- Class records ----

const TClass& TMenuItem::StaticClass() {
  static const TClass& record = TClassBuilder<TMenuItem>()
                                    .Property("AutoCheck", &TMenuItem::AutoCheck, &TMenuItem::SetAutoCheck)
                                    .Default(false)
                                    .Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
                                    .Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked)
                                    .Default(false)
                                    .Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault)
                                    .Default(false)
                                    .Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled)
                                    .Default(true)
                                    .Property("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex)
                                    .Default(0)
                                    .Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
                                    .Property("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex)
                                    .Default(-1)
                                    .Property("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem)
                                    .Default(false)
                                    .Property("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut)
                                    .Default(0)
                                    .Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible)
                                    .Default(true)
                                    .Event("OnClick", &TMenuItem::FOnClick)
                                    .Event("OnDrawItem", &TMenuItem::FOnDrawItem)
                                    .Event("OnAdvancedDrawItem", &TMenuItem::FOnAdvancedDrawItem)
                                    .Event("OnMeasureItem", &TMenuItem::FOnMeasureItem)
                                    .Factory()
                                    .Build();
  return record;
}

const TClass& TMenu::StaticClass() {
  // Abstract: only the main and pop-up menus are made by name.
  static const TClass& record = TClassBuilder<TMenu>().Build();
  return record;
}

const TClass& TMainMenu::StaticClass() {
  static const TClass& record = TClassBuilder<TMainMenu>()
                                    .Property("Images", &TMainMenu::Images, &TMainMenu::SetImages)
                                    .Property("OwnerDraw", &TMainMenu::OwnerDraw, &TMainMenu::SetOwnerDraw)
                                    .Default(false)
                                    .Factory()
                                    .Build();
  return record;
}

const TClass& TPopupMenu::StaticClass() {
  static const TClass& record = TClassBuilder<TPopupMenu>()
                                    .Property("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment)
                                    .Default(paLeft)
                                    .Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup)
                                    .Default(true)
                                    .Property("Images", &TPopupMenu::Images, &TPopupMenu::SetImages)
                                    .Property("OwnerDraw", &TPopupMenu::OwnerDraw, &TPopupMenu::SetOwnerDraw)
                                    .Default(false)
                                    .Event("OnPopup", &TPopupMenu::FOnPopup)
                                    .Factory()
                                    .Build();
  return record;
}

void RegisterMenusClasses() {
  RegisterClasses({&TMenuItem::StaticClass(), &TMenu::StaticClass(), &TMainMenu::StaticClass(),
                   &TPopupMenu::StaticClass()});
}

// ---- TMenuItem ----

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  // Reached without Free: no sub-item or parent may keep a dangling pointer.
  try {
    TearDownItem();
  } catch (...) {
  }
}

void TMenuItem::BeforeDestruction() {
  Destroying();
  TearDownItem();
  TComponent::BeforeDestruction();
}

void TMenuItem::TearDownItem() {
  Clear();
  if (FParent != nullptr) {
    auto& siblings = FParent->FItems;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    FParent = nullptr;
  }
}

void TMenuItem::SetCaption(const AnsiString& caption) { FCaption = caption; }

void TMenuItem::SetChecked(bool value) {
  if (value == FChecked) return;
  FChecked = value;
  if (value && FRadioItem) TurnSiblingsOff();
}

void TMenuItem::SetRadioItem(bool value) {
  if (value == FRadioItem) return;
  FRadioItem = value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
}

void TMenuItem::SetGroupIndex(uint8_t value) {
  if (value == FGroupIndex) return;
  FGroupIndex = value;
  if (FChecked && FRadioItem) TurnSiblingsOff();
}

void TMenuItem::TurnSiblingsOff() {
  if (FParent == nullptr) return;
  for (TMenuItem* item : FParent->FItems) {
    if (item != this && item->FRadioItem && item->FGroupIndex == FGroupIndex) item->FChecked = false;
  }
}

void TMenuItem::Click() {
  if (!FEnabled || IsLine()) return;
  if (FAutoCheck) SetChecked(FRadioItem ? true : !FChecked);
  if (FOnClick) FOnClick(this);
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count())
    throw EMenuError("Menu index out of range (" + std::to_string(index) + ")");
  return FItems[static_cast<size_t>(index)];
}

void TMenuItem::CheckInsert(const TMenuItem* item) const {
  if (item == nullptr) throw EMenuError("Cannot insert a nil menu item into " + Name());
  if (item->FMenu != nullptr) throw EMenuError("The root item of a menu cannot be inserted into another item");
  for (const TMenuItem* p = this; p != nullptr; p = p->FParent) {
    if (p == item) throw EMenuError("Menu item " + item->Name() + " cannot be inserted into itself");
  }
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  CheckInsert(item);
  if (item->FParent == this && index == Count()) index = Count() - 1;
  if (item->FParent != nullptr) item->FParent->Remove(item);
  if (index < 0 || index > Count())
    throw EMenuError("Menu index out of range (" + std::to_string(index) + ")");
  FItems.insert(FItems.begin() + index, item);
  item->FParent = this;
  // Arriving checked in a radio group keeps the group exclusive.
  if (item->FChecked && item->FRadioItem) item->TurnSiblingsOff();
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  FItems.erase(FItems.begin() + index);
  item->FParent = nullptr;
}

void TMenuItem::Remove(TMenuItem* item) {
  const int index = IndexOf(item);
  if (index < 0) throw EMenuError("Menu item " + (item != nullptr ? item->Name() : AnsiString("nil")) +
                                  " is not a sub-item of " + Name());
  Delete(index);
}

void TMenuItem::Clear() {
  while (!FItems.empty()) {
    TMenuItem* item = FItems.back();
    FItems.pop_back();
    item->FParent = nullptr;
    Free(item);
  }
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(FItems.begin(), FItems.end(), item);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
  const AnsiString wanted = StripHotkey(caption);
  for (TMenuItem* item : FItems)
    if (SameText(StripHotkey(item->FCaption), wanted, CaptionCodePage())) return item;
  return nullptr;
}

int TMenuItem::MenuIndex() const { return FParent == nullptr ? -1 : FParent->IndexOf(this); }

void TMenuItem::SetMenuIndex(int value) {
  if (FParent == nullptr) return;
  const int count = FParent->Count();
  value = std::clamp(value, 0, count - 1);
  const int current = MenuIndex();
  if (value == current) return;
  auto& items = FParent->FItems;
  items.erase(items.begin() + current);
  items.insert(items.begin() + value, this);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* item = this;
  while (item->FParent != nullptr) item = item->FParent;
  return item->FMenu;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (auto* menu = dynamic_cast<TMenu*>(parent)) {
    menu->Items()->Add(this);
  } else if (auto* item = dynamic_cast<TMenuItem*>(parent)) {
    item->Add(this);
  } else {
    throw EMenuError("A menu item can only be placed in a menu or a menu item, not in " +
                     (parent != nullptr ? parent->ClassName() : AnsiString("nil")));
  }
}

TComponent* TMenuItem::GetParentComponent() const {
  if (FParent == nullptr) return nullptr;
  if (FParent->FMenu != nullptr) return FParent->FMenu;
  return FParent;
}

TOwnerDrawState TMenuItem::StateFor(bool selected) const {
  TOwnerDrawState state;
  if (selected) state.Include(odSelected);
  if (!FEnabled) state.Include(odGrayed).Include(odDisabled);
  if (FChecked) state.Include(odChecked);
  if (FDefault) state.Include(odDefault);
  return state;
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
  if (IsLine()) {
    width = 2 * kItemMargin;
    height = kSeparatorHeight;
  } else {
    const AnsiString text = StripHotkey(FCaption);
    width = kCheckWidth + 2 * kItemMargin + canvas.TextWidth(text);
    const AnsiString shortCut = ShortCutToText(FShortCut);
    if (!shortCut.empty()) width += kShortCutGap + canvas.TextWidth(shortCut);
    height = canvas.TextHeight(text) + 2 * kItemMargin;
    if (TMenu* menu = GetParentMenu(); menu != nullptr && menu->Images() != nullptr && FImageIndex >= 0)
      height = std::max(height, menu->Images()->Height() + 2 * kItemMargin);
  }
  TMenu* menu = GetParentMenu();
  if (menu != nullptr && menu->OwnerDraw() && FOnMeasureItem) FOnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas& canvas, const TRect& rect, TOwnerDrawState state) {
  TMenu* menu = GetParentMenu();
  if (menu != nullptr && menu->OwnerDraw()) {
    if (FOnAdvancedDrawItem) {
      FOnAdvancedDrawItem(this, canvas, rect, state);
      return;
    }
    if (FOnDrawItem) {
      FOnDrawItem(this, canvas, rect, state.Contains(odSelected));
      return;
    }
  }
  if (IsLine()) return;
  canvas.TextRect(rect, rect.Left + kCheckWidth + kItemMargin, rect.Top + kItemMargin, StripHotkey(FCaption));
}

std::vector<TRect> TMenuItem::LayoutItems(TCanvas& canvas) {
  std::vector<std::pair<int, int>> sizes;
  int widest = 0;
  for (TMenuItem* item : FItems) {
    if (!item->FVisible) continue;
    int w = 0;
    int h = 0;
    item->MeasureItem(canvas, w, h);
    widest = std::max(widest, w);
    sizes.emplace_back(w, h);
  }
  std::vector<TRect> rects;
  int top = 0;
  for (auto [w, h] : sizes) {
    rects.push_back(Rect(0, top, widest, top + h));
    top += h;
  }
  return rects;
}

void TMenuItem::DrawItems(TCanvas& canvas, int selected) {
  const std::vector<TRect> rects = LayoutItems(canvas);
  size_t r = 0;
  for (int i = 0; i < Count(); ++i) {
    TMenuItem* item = FItems[static_cast<size_t>(i)];
    if (!item->FVisible) continue;
    item->DrawItem(canvas, rects[r++], item->StateFor(i == selected));
  }
}

// ---- TMenu ----

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
  FItems = new TMenuItem(this);
  FItems->FMenu = this;
}

TMenu::~TMenu() {
  try {
    TMenu::BeforeDestruction();
  } catch (...) {
  }
}

void TMenu::BeforeDestruction() {
  Destroying();
  if (FItems != nullptr) {
    // The items go with their menu, whoever owns them.
    FItems->Clear();
    FItems->FMenu = nullptr;
    TMenuItem* root = FItems;
    FItems = nullptr;
    Free(root);
  }
  TComponent::BeforeDestruction();
}

void TMenu::SetImages(TCustomImageList* images) {
  if (images == FImages) return;
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
  FImages = images;
  if (FImages != nullptr) FImages->FreeNotification(this);
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FImages) FImages = nullptr;
}

namespace {
TMenuItem* FindByShortCut(const TMenuItem* parent, TShortCut shortCut) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (item->ShortCut() == shortCut) return item;
    if (TMenuItem* found = FindByShortCut(item, shortCut)) return found;
  }
  return nullptr;
}
}  // namespace

TMenuItem* TMenu::FindItem(TShortCut shortCut) const {
  if (shortCut == 0 || FItems == nullptr) return nullptr;
  return FindByShortCut(FItems, shortCut);
}

bool TMenu::IsShortCut(uint16_t key, TShiftState shift) {
  if (key > 0xFF) return false;
  TMenuItem* item = FindItem(::ShortCut(key, shift));
  if (item == nullptr) return false;
  // A hidden or disabled item (or one under a hidden or disabled parent)
  // cannot be chosen, so its key is left to the controls.
  for (const TMenuItem* p = item; p != nullptr && p != FItems; p = p->Parent())
    if (!p->Enabled() || !p->Visible()) return false;
  item->Click();
  return true;
}

// ---- TMainMenu and the form's menu ----

namespace {
std::map<const TCustomForm*, TMainMenu*>& FormMenus() {
  static auto* menus = new std::map<const TCustomForm*, TMainMenu*>();
  return *menus;
}
}  // namespace

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
  if (FForm != nullptr) FormMenus().erase(FForm);
  FForm = nullptr;
}

void TMainMenu::BeforeDestruction() {
  if (FForm != nullptr) SetFormMenu(FForm, nullptr);
  TMenu::BeforeDestruction();
}

void TMainMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FForm) {
    FormMenus().erase(FForm);
    FForm = nullptr;
  }
}

void SetFormMenu(TCustomForm* form, TMainMenu* menu) {
  if (form == nullptr) throw EMenuError("SetFormMenu: no form given");
  TMainMenu* old = GetFormMenu(form);
  if (old == menu) return;
  if (old != nullptr) {
    FormMenus().erase(form);
    old->FForm = nullptr;
    form->RemoveFreeNotification(old);
  }
  if (menu == nullptr) return;
  if (menu->FForm != nullptr) SetFormMenu(menu->FForm, nullptr);
  menu->FForm = form;
  FormMenus()[form] = menu;
  form->FreeNotification(menu);
}

TMainMenu* GetFormMenu(const TCustomForm* form) {
  auto it = FormMenus().find(form);
  return it == FormMenus().end() ? nullptr : it->second;
}

bool DispatchMenuShortCut(TCustomForm* form, uint16_t key, TShiftState shift) {
  TMainMenu* menu = GetFormMenu(form);
  return menu != nullptr && menu->IsShortCut(key, shift);
}

// ---- TPopupMenu and its journal ----

namespace {

struct TPopupState {
  std::vector<TPopupRecord> Journal;
  uint64_t NextSerial = 1;
  TPopupDriver Driver;
};

TPopupState& PopupState() {
  static auto* state = new TPopupState();
  return *state;
}

AnsiString PathOf(const TComponent* component) {
  if (component == nullptr) return {};
  AnsiString path = component->Name().empty() ? component->ClassName() : component->Name();
  for (const TComponent* owner = component->Owner(); owner != nullptr && !owner->Name().empty();
       owner = owner->Owner())
    path = owner->Name() + "." + path;
  return path;
}

}  // namespace

const std::vector<TPopupRecord>& PopupJournal() { return PopupState().Journal; }

void ClearPopupJournal() { PopupState().Journal.clear(); }

TPopupDriver SetPopupDriver(TPopupDriver driver) {
  std::swap(PopupState().Driver, driver);
  return driver;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) {}

TPopupMenu::~TPopupMenu() {
  for (TPopupRecord& record : PopupState().Journal)
    if (record.Menu == this) record.Menu = nullptr;
}

void TPopupMenu::BeforeDestruction() {
  for (TPopupRecord& record : PopupState().Journal)
    if (record.Menu == this) record.Menu = nullptr;
  TMenu::BeforeDestruction();
}

void TPopupMenu::SetPopupComponent(TComponent* component) {
  if (component == FPopupComponent) return;
  if (FPopupComponent != nullptr) FPopupComponent->RemoveFreeNotification(this);
  FPopupComponent = component;
  if (FPopupComponent != nullptr) FPopupComponent->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FPopupComponent) FPopupComponent = nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  if (FOnPopup) FOnPopup(this);
  TPopupState& state = PopupState();
  TPopupRecord record;
  record.Serial = state.NextSerial++;
  record.Menu = this;
  record.MenuPath = PathOf(this);
  record.ComponentPath = PathOf(FPopupComponent);
  record.X = x;
  record.Y = y;
  state.Journal.push_back(record);
  // A copy: the driver may run code that pops up another menu.
  if (TPopupDriver driver = state.Driver) driver(*this, record);
}

bool PopupControlMenu(TControl* control, int x, int y) {
  for (TControl* c = control; c != nullptr; c = c->Parent()) {
    auto* menu = dynamic_cast<TPopupMenu*>(c->PopupMenu());
    if (menu == nullptr || !menu->AutoPopup()) continue;
    const TPoint at = control->ClientToScreen(Point(x, y));
    menu->SetPopupComponent(control);
    menu->Popup(at.X, at.Y);
    return true;
  }
  return false;
}
