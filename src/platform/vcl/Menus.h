// Menus: menu items in a tree (captions with "&" accelerators, "-"
// separators, check marks, radio groups, short cuts, images and owner
// drawing), the main menu a form shows and the pop-up menu a control shows
// on a right click. Headless: a pop-up is not displayed but recorded in the
// pop-up journal (and handed to the pop-up driver a test or host installs),
// and a test then picks an item with Click(). A painter lays out and draws
// a menu's items through LayoutItems/DrawItems, which call the owner-draw
// hooks with the rectangles computed here.
//
// Sections: short cuts; errors and events; TMenuItem; TMenu, TMainMenu,
// TPopupMenu; the pop-up journal and driver; the hooks for forms and
// controls; registration.
//
// Form resources nest items the way they are shown: the items of a menu are
// objects inside the menu's object, sub-items inside their item's object,
// all owned by the form. An item frees its sub-items when it is freed.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/StdCtrls.h"  // TOwnerDrawState
#include "platform/vcl/TypInfo.h"

class TCustomForm;
class TCustomImageList;
class TMenu;

// ---- Short cuts ----
// A key with its modifiers in one 16-bit value: the key code in the low
// byte, scShift/scCtrl/scAlt above it; 0 is "no short cut".
KULR_INT_TYPE(TShortCut, uint16_t);
inline constexpr uint16_t scShift = 0x2000;
inline constexpr uint16_t scCtrl = 0x4000;
inline constexpr uint16_t scAlt = 0x8000;
inline constexpr uint16_t scNone = 0;

// key (0..255) with the Shift/Ctrl/Alt of shift; EInvalidOperation for a
// key above 255.
TShortCut ShortCut(uint16_t key, TShiftState shift);
void ShortCutToKey(TShortCut shortCut, uint16_t& key, TShiftState& shift);
// "Ctrl+Shift+S", "F2", "Del", "Alt+Down"; "" for 0 or a key without a name.
AnsiString ShortCutToText(TShortCut shortCut);
// The reverse, modifiers and key names ignoring ASCII case; "" gives 0.
// EConvertError naming the text for anything else.
TShortCut TextToShortCut(std::string_view text);

// The caption without its accelerator marks: "&&" stays one "&", a single
// "&" goes. Double-byte characters are kept whole.
AnsiString StripHotkey(std::string_view caption);
// The accelerator character of a caption (upper-cased ASCII), 0 when none.
char GetHotkey(std::string_view caption);

// ---- Errors and events ----
// An item placed where it cannot go (inside itself, in two menus), an index
// out of range, an item that is not there.
class EMenuError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "EMenuError"; }
};

KULR_ENUM(TPopupAlignment, paLeft, paRight, paCenter)

class TMenuItem;
// void(TObject* Sender, TCanvas& ACanvas, TRect ARect, bool Selected)
KULR_EVENT(TMenuDrawItemEvent, TObject*, TCanvas&, TRect, bool);
// void(TObject* Sender, TCanvas& ACanvas, TRect ARect, TOwnerDrawState State)
KULR_EVENT(TAdvancedMenuDrawItemEvent, TObject*, TCanvas&, TRect, TOwnerDrawState);
// void(TObject* Sender, TCanvas& ACanvas, int& Width, int& Height)
KULR_EVENT(TMenuMeasureItemEvent, TObject*, TCanvas&, int&, int&);

// ---- TMenuItem ----

class TMenuItem : public TComponent {
  KULR_CLASS(TMenuItem, TComponent)

  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;
  // Frees the sub-items (whoever owns them) and leaves the parent item.
  void BeforeDestruction() override;

  // ---- Text ----
  // "-" makes the item a separator; "&" marks the accelerator.
  const AnsiString& Caption() const { return FCaption; }
  void SetCaption(const AnsiString& caption);
  bool IsLine() const { return FCaption == "-"; }
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint) { FHint = hint; }

  // ---- State ----
  // Checking by code raises no OnClick. Checking a radio item unchecks the
  // radio items of the same GroupIndex among its siblings.
  bool Checked() const { return FChecked; }
  void SetChecked(bool value);
  bool RadioItem() const { return FRadioItem; }
  // Becoming a radio item that is checked unchecks its group, as checking
  // does.
  void SetRadioItem(bool value);
  uint8_t GroupIndex() const { return FGroupIndex; }
  // Joining a group while checked unchecks the group's other radio items.
  void SetGroupIndex(uint8_t value);
  // Click() toggles Checked first (a radio item is only checked, never
  // unchecked, by its click).
  bool AutoCheck() const { return FAutoCheck; }
  void SetAutoCheck(bool value) { FAutoCheck = value; }
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value) { FEnabled = value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool value) { FVisible = value; }
  // Drawn in bold (the state a painter gets); stored only otherwise.
  bool Default() const { return FDefault; }
  void SetDefault(bool value) { FDefault = value; }
  TShortCut ShortCut() const { return FShortCut; }
  void SetShortCut(TShortCut value) { FShortCut = value; }
  // Into the menu's Images; -1 for none.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int value) { FImageIndex = value; }

  // ---- Events ----
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& h) { FOnClick = h; }
  const TMenuDrawItemEvent& OnDrawItem() const { return FOnDrawItem; }
  void SetOnDrawItem(const TMenuDrawItemEvent& h) { FOnDrawItem = h; }
  const TAdvancedMenuDrawItemEvent& OnAdvancedDrawItem() const { return FOnAdvancedDrawItem; }
  void SetOnAdvancedDrawItem(const TAdvancedMenuDrawItemEvent& h) { FOnAdvancedDrawItem = h; }
  const TMenuMeasureItemEvent& OnMeasureItem() const { return FOnMeasureItem; }
  void SetOnMeasureItem(const TMenuMeasureItemEvent& h) { FOnMeasureItem = h; }

  // What the user's choice does: nothing for a disabled item (or a
  // separator); otherwise AutoCheck's toggle, then OnClick. An item with
  // sub-items raises its OnClick too (as when the user opens it).
  virtual void Click();

  // ---- Sub-items ----
  int Count() const { return static_cast<int>(FItems.size()); }
  // EMenuError "Menu index out of range (i)".
  TMenuItem* Items(int index) const;
  TMenuItem* operator[](int index) const { return Items(index); }
  // Appends item (taking it from any other parent). EMenuError for null,
  // for this item or one of its ancestors, and for a root item of a menu.
  void Add(TMenuItem* item);
  // index 0..Count.
  void Insert(int index, TMenuItem* item);
  // Takes the item at index out (it is not freed).
  void Delete(int index);
  // Takes item out; EMenuError when it is not a sub-item.
  void Remove(TMenuItem* item);
  // Frees every sub-item.
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  // The sub-item whose caption, accelerators stripped, equals caption
  // (ignoring ASCII case); nullptr when none.
  TMenuItem* Find(std::string_view caption) const;
  // The position among the parent's items; -1 without a parent.
  int MenuIndex() const;
  // Moves the item among its parent's items (clipped to 0..Count-1).
  void SetMenuIndex(int value);

  TMenuItem* Parent() const { return FParent; }
  // The menu whose tree this item is in; nullptr for a loose item.
  TMenu* GetParentMenu() const;

  // ---- Owner drawing (a painter or a test calls these) ----
  // Width and height the item needs: the caption (accelerators stripped)
  // measured through the canvas, plus the check, image and short-cut
  // columns; separators are kSeparatorHeight high. On an owner-draw menu
  // OnMeasureItem may change both.
  void MeasureItem(TCanvas& canvas, int& width, int& height);
  // Paints the item in rect: on an owner-draw menu OnAdvancedDrawItem (or
  // else OnDrawItem) when assigned; otherwise the caption is written at the
  // rect's text position.
  void DrawItem(TCanvas& canvas, const TRect& rect, TOwnerDrawState state);
  // The rectangles of the visible sub-items stacked top to bottom, all as
  // wide as the widest, from (0, 0).
  std::vector<TRect> LayoutItems(TCanvas& canvas);
  // Lays out and draws the visible sub-items; selected is the index (among
  // all sub-items) of the highlighted one or -1.
  void DrawItems(TCanvas& canvas, int selected = -1);

  static constexpr int kSeparatorHeight = 8;
  static constexpr int kCheckWidth = 16;   // the check or image column
  static constexpr int kItemMargin = 4;    // each side, and above and below the text
  static constexpr int kShortCutGap = 16;  // between caption and short cut

  // The form reader nests an item in a menu (as a root item) or an item.
  void SetParentComponent(TComponent* parent) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;

private:
  friend class TMenu;
  void TearDownItem();
  void CheckInsert(const TMenuItem* item) const;
  void TurnSiblingsOff();
  TOwnerDrawState StateFor(bool selected) const;

  AnsiString FCaption;
  AnsiString FHint;
  bool FChecked = false;
  bool FRadioItem = false;
  uint8_t FGroupIndex = 0;
  bool FAutoCheck = false;
  bool FEnabled = true;
  bool FVisible = true;
  bool FDefault = false;
  TShortCut FShortCut = TShortCut(0);
  int FImageIndex = -1;
  TMenuItem* FParent = nullptr;
  TMenu* FMenu = nullptr;  // set on a menu's root item only
  std::vector<TMenuItem*> FItems;
  TNotifyEvent FOnClick;
  TMenuDrawItemEvent FOnDrawItem;
  TAdvancedMenuDrawItemEvent FOnAdvancedDrawItem;
  TMenuMeasureItemEvent FOnMeasureItem;
};

// ---- TMenu, TMainMenu, TPopupMenu ----

class TMenu : public TComponent {
  KULR_CLASS(TMenu, TComponent)

  explicit TMenu(TComponent* owner);
  ~TMenu() override;
  void BeforeDestruction() override;

  // The root item (no caption) whose sub-items are the menu's items. The
  // menu owns it; it is not one of the form's components.
  TMenuItem* Items() const { return FItems; }

  // The image list the items' ImageIndex refers to (forgotten when freed).
  TCustomImageList* Images() const { return FImages; }
  void SetImages(TCustomImageList* images);
  // Items are measured and drawn through their owner-draw hooks.
  bool OwnerDraw() const { return FOwnerDraw; }
  void SetOwnerDraw(bool value) { FOwnerDraw = value; }

  // The first item of the whole tree, depth first, with that short cut
  // (enabled or not); nullptr for 0 or when none has it.
  TMenuItem* FindItem(TShortCut shortCut) const;
  // Runs the enabled item of that short cut (key with shift); true when an
  // item took it.
  bool IsShortCut(uint16_t key, TShiftState shift);

  void Notification(TComponent* component, TOperation operation) override;

private:
  TMenuItem* FItems = nullptr;
  TCustomImageList* FImages = nullptr;
  bool FOwnerDraw = false;
};

// The menu bar of a form (the form's Menu, see SetFormMenu below).
class TMainMenu : public TMenu {
  KULR_CLASS(TMainMenu, TMenu)
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;
  void BeforeDestruction() override;

  // The form that shows this menu; nullptr when none does.
  TCustomForm* Form() const { return FForm; }
  void Notification(TComponent* component, TOperation operation) override;

private:
  friend void SetFormMenu(TCustomForm* form, TMainMenu* menu);
  TCustomForm* FForm = nullptr;
};

class TPopupMenu : public TMenu {
  KULR_CLASS(TPopupMenu, TMenu)
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;
  void BeforeDestruction() override;

  // Shows the menu at (x, y), screen coordinates: raises OnPopup (which may
  // change the items), records the pop-up in the journal, then hands it to
  // the pop-up driver. The user's choice is an item's Click().
  virtual void Popup(int x, int y);

  // Whether a right click on a control with this menu pops it up.
  bool AutoPopup() const { return FAutoPopup; }
  void SetAutoPopup(bool value) { FAutoPopup = value; }
  // The control the menu was last popped up for (forgotten when freed).
  TComponent* PopupComponent() const { return FPopupComponent; }
  void SetPopupComponent(TComponent* component);
  TPopupAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TPopupAlignment value) { FAlignment = value; }

  const TNotifyEvent& OnPopup() const { return FOnPopup; }
  void SetOnPopup(const TNotifyEvent& h) { FOnPopup = h; }

  void Notification(TComponent* component, TOperation operation) override;

private:
  bool FAutoPopup = true;
  TComponent* FPopupComponent = nullptr;
  TPopupAlignment FAlignment = paLeft;
  TNotifyEvent FOnPopup;
};

// ---- The pop-up journal and driver ----
// One pop-up as it was shown. Menu is cleared when the menu is freed; the
// name path stays.
struct TPopupRecord {
  uint64_t Serial = 0;
  TPopupMenu* Menu = nullptr;
  AnsiString MenuPath;       // "frmMain.pmList"
  AnsiString ComponentPath;  // the PopupComponent's, "" when none
  int X = 0;
  int Y = 0;
};
const std::vector<TPopupRecord>& PopupJournal();
void ClearPopupJournal();
// Called with every pop-up after it is journalled; it may Click() an item.
// Returns the driver it replaces.
using TPopupDriver = std::function<void(TPopupMenu&, const TPopupRecord&)>;
TPopupDriver SetPopupDriver(TPopupDriver driver);

// ---- Hooks for forms and controls ----
// The form's main menu (the form's Menu property). A menu shows on one form
// at a time: giving it to another form takes it from the first. Null
// detaches. Either side being freed ends the link.
void SetFormMenu(TCustomForm* form, TMainMenu* menu);
TMainMenu* GetFormMenu(const TCustomForm* form);
// For the form's key dispatch: runs the item of the form's main menu whose
// short cut is key with shift; true when one ran (the key is used).
bool DispatchMenuShortCut(TCustomForm* form, uint16_t key, TShiftState shift);
// For a right click (button up) on control at (x, y), client coordinates:
// the nearest pop-up menu up the parent chain with AutoPopup pops up at
// that point in screen coordinates, with the control as PopupComponent.
// False when there is none.
bool PopupControlMenu(TControl* control, int x, int y);

// Registers TMenuItem, TMenu, TMainMenu, TPopupMenu and the enumerations
// they publish.
void RegisterMenusClasses();
