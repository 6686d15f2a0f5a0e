#include "platform/vcl/ToolWin.h"

#include <algorithm>
#include <string>

#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/TextMetrics.h"

namespace {
bool IsLoading(const TComponent* c) { return c->ComponentState().Contains(csLoading); }
bool IsSpacer(TToolButtonStyle style) { return style == tbsSeparator || style == tbsDivider; }
}  // namespace

// ---- Class records ----

const TClass& TToolButton::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TToolButton> b;
    b.Property("AllowAllUp", &TToolButton::AllowAllUp, &TToolButton::SetAllowAllUp).Default(false);
    TControl::PublishInherited<TToolButton>(b, {"Caption"});
    b.Property("Down", &TToolButton::Down, &TToolButton::SetDown)
        .Default(false)
        .Property("DropdownMenu", &TToolButton::DropdownMenu, &TToolButton::SetDropdownMenu);
    TControl::PublishInherited<TToolButton>(b, {"Enabled"});
    b.Property("Grouped", &TToolButton::Grouped, &TToolButton::SetGrouped)
        .Default(false)
        .Property("ImageIndex", &TToolButton::ImageIndex, &TToolButton::SetImageIndex)
        .Default(-1);
    TControl::PublishInherited<TToolButton>(b, {"ParentShowHint", "PopupMenu"});
    b.Property("Wrap", &TToolButton::Wrap, &TToolButton::SetWrap).Default(false);
    TControl::PublishInherited<TToolButton>(b, {"ShowHint"});
    b.Property("Style", &TToolButton::Style, &TToolButton::SetStyle).Default(tbsButton);
    TControl::PublishInherited<TToolButton>(b, {"Visible", "OnClick", "OnMouseDown", "OnMouseMove", "OnMouseUp"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TToolBar::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TToolBar> b;
    TControl::PublishInherited<TToolBar>(b, {"Align"}).Default(alTop);
    TControl::PublishInherited<TToolBar>(b, {"Anchors", "AutoSize"});
    b.Property("ButtonHeight", &TToolBar::ButtonHeight, &TToolBar::SetButtonHeight)
        .Default(22)
        .Property("ButtonWidth", &TToolBar::ButtonWidth, &TToolBar::SetButtonWidth)
        .Default(23);
    TControl::PublishInherited<TToolBar>(b, {"Caption", "Color", "Enabled"});
    b.Property("Flat", &TToolBar::Flat, &TToolBar::SetFlat).Default(false);
    TControl::PublishInherited<TToolBar>(b, {"Font"});
    b.Property("Images", &TToolBar::Images, &TToolBar::SetImages)
        .Property("Indent", &TToolBar::Indent, &TToolBar::SetIndent)
        .Default(0);
    TControl::PublishInherited<TToolBar>(b, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu"});
    b.Property("ShowCaptions", &TToolBar::ShowCaptions, &TToolBar::SetShowCaptions).Default(false);
    TControl::PublishInherited<TToolBar>(b, {"ShowHint", "TabOrder", "TabStop", "Visible"});
    b.Property("Wrapable", &TToolBar::Wrapable, &TToolBar::SetWrapable).Default(true);
    TControl::PublishInherited<TToolBar>(b, {"OnClick", "OnDblClick", "OnEnter", "OnExit", "OnMouseDown",
                                             "OnMouseMove", "OnMouseUp", "OnResize"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

void RegisterToolWinClasses() {
  RegisterClasses({&TToolBar::StaticClass(), &TToolButton::StaticClass()});
}

// ---- TToolButton ----

TToolButton::TToolButton(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 23, 22); }

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

int TToolButton::Index() const {
  TToolBar* bar = ToolBar();
  if (bar == nullptr) return -1;
  auto it = std::find(bar->FButtons.begin(), bar->FButtons.end(), this);
  return it == bar->FButtons.end() ? -1 : static_cast<int>(it - bar->FButtons.begin());
}

void TToolButton::Rearrange() {
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
}

void TToolButton::SetStyle(TToolButtonStyle value) {
  if (value == FStyle) return;
  const bool wasSpacer = IsSpacer(FStyle);
  FStyle = value;
  if (IsSpacer(value) && !wasSpacer && !IsLoading(this)) SetWidth(kSeparatorWidth);
  Rearrange();
}

void TToolButton::SetDropdownMenu(TPopupMenu* menu) {
  if (menu == FDropdownMenu) return;
  if (FDropdownMenu != nullptr) FDropdownMenu->RemoveFreeNotification(this);
  FDropdownMenu = menu;
  if (FDropdownMenu != nullptr) FDropdownMenu->FreeNotification(this);
}

void TToolButton::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FDropdownMenu) FDropdownMenu = nullptr;
}

void TToolButton::SetImageIndex(int value) {
  if (value == FImageIndex) return;
  FImageIndex = value;
  Invalidate();
}

std::vector<TToolButton*> TToolButton::Group() const {
  std::vector<TToolButton*> group;
  TToolBar* bar = ToolBar();
  auto inGroup = [](const TToolButton* b) { return b->FGrouped && b->FStyle == tbsCheck; };
  if (bar == nullptr || !inGroup(this)) return group;
  const int index = Index();
  int first = index;
  while (first > 0 && inGroup(bar->FButtons[static_cast<size_t>(first - 1)])) --first;
  for (int i = first; i < bar->ButtonCount() && inGroup(bar->FButtons[static_cast<size_t>(i)]); ++i)
    group.push_back(bar->FButtons[static_cast<size_t>(i)]);
  return group;
}

void TToolButton::SetDown(bool value) {
  if (value == FDown) return;
  FDown = value;
  if (value)
    for (TToolButton* other : Group())
      if (other != this) other->FDown = false;
  Invalidate();
}

void TToolButton::SetGrouped(bool value) {
  if (value == FGrouped) return;
  FGrouped = value;
  // Joining a group down keeps the group to one down button.
  if (value && FDown)
    for (TToolButton* other : Group())
      if (other != this) other->FDown = false;
}

void TToolButton::SetAllowAllUp(bool value) {
  FAllowAllUp = value;
  for (TToolButton* other : Group()) other->FAllowAllUp = value;
}

void TToolButton::SetWrap(bool value) {
  if (value == FWrap) return;
  FWrap = value;
  Rearrange();
}

bool TToolButton::OnArrow(int x, int y) const {
  return FStyle == tbsDropDown && x >= Width() - kDropDownArrowWidth && x < Width() && y >= 0 && y < Height();
}

void TToolButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  FSwallowClick = false;
  FArrowPressed = false;
  if (button == mbLeft && Enabled() && OnArrow(x, y) && FDropdownMenu != nullptr) {
    FArrowPressed = true;
    const TPoint at = ClientToScreen(Point(0, Height()));
    FDropdownMenu->SetPopupComponent(this);
    FDropdownMenu->Popup(at.X, at.Y);
  }
  TGraphicControl::MouseDown(button, shift, x, y);
}

void TToolButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  // The release that follows a pop-up belongs to the menu, not the body.
  if (button == mbLeft && FArrowPressed) FSwallowClick = true;
  FArrowPressed = false;
  TGraphicControl::MouseUp(button, shift, x, y);
}

void TToolButton::Click() {
  if (FSwallowClick) {
    FSwallowClick = false;
    return;
  }
  if (IsSpacer(FStyle)) return;
  if (FStyle == tbsCheck) {
    if (!FDown)
      SetDown(true);
    else if (!FGrouped || FAllowAllUp)
      SetDown(false);
  }
  TGraphicControl::Click();
}

void TToolButton::SetBounds(int left, int top, int width, int height) {
  TGraphicControl::SetBounds(left, top, width, height);
  TToolBar* bar = ToolBar();
  if (bar != nullptr && !bar->FArranging) bar->ArrangeButtons();
}

void TToolButton::SetVisible(bool value) {
  const bool changed = value != Visible();
  TGraphicControl::SetVisible(value);
  if (changed) Rearrange();
}

void TToolButton::TextChanged() {
  TGraphicControl::TextChanged();
  if (TToolBar* bar = ToolBar(); bar != nullptr && bar->ShowCaptions()) bar->ArrangeButtons();
}

void TToolButton::Paint() {
  TToolBar* bar = ToolBar();
  if (bar == nullptr || IsSpacer(FStyle)) return;
  int textTop = TToolBar::kCaptionMargin;
  if (TCustomImageList* images = bar->Images(); images != nullptr && FImageIndex >= 0 && FImageIndex < images->Count()) {
    const int imageLeft = (Width() - (FStyle == tbsDropDown ? kDropDownArrowWidth : 0) - images->Width()) / 2;
    images->Draw(Canvas(), imageLeft, TToolBar::kCaptionMargin, FImageIndex, Enabled());
    textTop += images->Height();
  }
  if (bar->ShowCaptions()) Canvas().TextOut(TToolBar::kCaptionMargin, textTop, StripHotkey(Caption()));
}

// ---- TToolBar ----

TToolBar::TToolBar(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
}

TToolBar::~TToolBar() = default;

TToolButton* TToolBar::Buttons(int index) const {
  if (index < 0 || index >= ButtonCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return FButtons[static_cast<size_t>(index)];
}

void TToolBar::SetButtonWidth(int value) {
  if (value < 1) throw EInvalidOperation(Name() + ": ButtonWidth must be at least 1 (" + std::to_string(value) + ")");
  if (value == FButtonWidth) return;
  FButtonWidth = value;
  ArrangeButtons();
}

void TToolBar::SetButtonHeight(int value) {
  if (value < 1) throw EInvalidOperation(Name() + ": ButtonHeight must be at least 1 (" + std::to_string(value) + ")");
  if (value == FButtonHeight) return;
  FButtonHeight = value;
  ArrangeButtons();
}

void TToolBar::SetIndent(int value) {
  if (value < 0) throw EInvalidOperation(Name() + ": Indent cannot be negative (" + std::to_string(value) + ")");
  if (value == FIndent) return;
  FIndent = value;
  ArrangeButtons();
}

void TToolBar::SetImages(TCustomImageList* images) {
  if (images == FImages) return;
  if (FImages != nullptr) FImages->RemoveFreeNotification(this);
  FImages = images;
  if (FImages != nullptr) FImages->FreeNotification(this);
  ArrangeButtons();
}

void TToolBar::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FImages) {
    FImages = nullptr;
    if (!ComponentState().Contains(csDestroying)) ArrangeButtons();
  }
}

void TToolBar::SetShowCaptions(bool value) {
  if (value == FShowCaptions) return;
  FShowCaptions = value;
  ArrangeButtons();
}

void TToolBar::SetWrapable(bool value) {
  if (value == FWrapable) return;
  FWrapable = value;
  ArrangeButtons();
}

void TToolBar::ControlChange(TControl* control, bool inserting) {
  TWinControl::ControlChange(control, inserting);
  auto* button = dynamic_cast<TToolButton*>(control);
  if (button == nullptr) return;
  auto it = std::find(FButtons.begin(), FButtons.end(), button);
  if (inserting && it == FButtons.end()) FButtons.push_back(button);
  if (!inserting && it != FButtons.end()) FButtons.erase(it);
  if (!ComponentState().Contains(csDestroying)) ArrangeButtons();
}

void TToolBar::SizeChanged(const TRect& oldClientRect) {
  TWinControl::SizeChanged(oldClientRect);
  if (FWrapable && oldClientRect.Width() != ClientWidth()) ArrangeButtons();
}

void TToolBar::FontChanged() {
  TWinControl::FontChanged();
  if (FShowCaptions) ArrangeButtons();
}

void TToolBar::Loaded() {
  TWinControl::Loaded();
  ArrangeButtons();
}

int TToolBar::EffectiveButtonWidth() const {
  int width = FButtonWidth;
  if (!FShowCaptions) return width;
  for (TToolButton* button : FButtons) {
    if (!button->Visible() || IsSpacer(button->Style())) continue;
    const int text = GetTextMetrics().TextWidth(*Font(), StripHotkey(button->Caption()));
    width = std::max(width, text + 2 * kCaptionMargin);
  }
  return width;
}

int TToolBar::EffectiveButtonHeight() const {
  if (!FShowCaptions) return FButtonHeight;
  const int image = FImages != nullptr ? FImages->Height() : 0;
  const int text = GetTextMetrics().TextHeight(*Font(), "");
  return std::max(FButtonHeight, image + text + 2 * kCaptionMargin);
}

void TToolBar::ArrangeButtons() {
  if (FArranging || IsLoading(this) || ComponentState().Contains(csDestroying)) return;
  FArranging = true;
  try {
    const int buttonWidth = EffectiveButtonWidth();
    const int buttonHeight = EffectiveButtonHeight();
    int x = FIndent;
    int y = 0;
    bool wrapNext = false;
    for (TToolButton* button : FButtons) {
      if (!button->Visible()) continue;
      int width = buttonWidth;
      if (IsSpacer(button->Style()))
        width = button->Width();
      else if (button->Style() == tbsDropDown)
        width += TToolButton::kDropDownArrowWidth;
      const bool noRoom = FWrapable && x > FIndent && x + width > ClientWidth();
      if (wrapNext || noRoom) {
        x = FIndent;
        y += buttonHeight;
      }
      button->SetBounds(x, y, width, buttonHeight);
      x += width;
      wrapNext = button->Wrap();
    }
    if (AutoSize()) SetHeight(FButtons.empty() ? buttonHeight : y + buttonHeight);
  } catch (...) {
    FArranging = false;
    throw;
  }
  FArranging = false;
}
