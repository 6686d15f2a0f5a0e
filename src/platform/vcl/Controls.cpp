#include "platform/vcl/Controls.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/rtl/FlagScope.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ClassBuilder.h"

namespace {

// "pnRange (TPanel)", or "a TPanel" for an unnamed one: for messages.
AnsiString Describe(const TComponent* component) {
  if (component == nullptr) return "nothing";
  if (component->Name().empty()) return "a " + component->ClassName();
  return component->Name() + " (" + component->ClassName() + ")";
}

bool IsLoading(const TComponent* component) { return component->ComponentState().Contains(csLoading); }
bool IsDestroying(const TComponent* component) {
  return component->ComponentState().Contains(csDestroying);
}

// Runs every step of a teardown even when one raises, and keeps the first
// error: stopping half-way would leave children with a dangling parent.
class TTeardownSteps {
public:
  template <class F>
  void Run(F&& action) {
    try {
      action();
    } catch (...) {
      if (!FError) FError = std::current_exception();
    }
  }
  void Finish(bool mayThrow) const {
    if (FError && mayThrow) std::rethrow_exception(FError);
  }

private:
  std::exception_ptr FError;
};

}  // namespace

// ---- Messages and helpers ----

LPARAM PointToLParam(int x, int y) {
  if (x < -32768 || x > 32767 || y < -32768 || y > 32767)
    throw EInvalidOperation("Point (" + std::to_string(x) + ", " + std::to_string(y) +
                            ") does not fit a mouse message (-32768..32767)");
  auto lo = static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(x)));
  auto hi = static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(y)));
  return static_cast<LPARAM>(lo | (hi << 16));
}

TPoint LParamToPoint(LPARAM lParam) {
  auto bits = static_cast<uint32_t>(lParam);
  return TPoint{static_cast<int16_t>(bits & 0xFFFF), static_cast<int16_t>(bits >> 16)};
}

namespace kulr_detail {

bool SameIdentifier(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    char y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

void RaiseUnknownInherited(const char* className, std::string_view name) {
  throw EInvalidOperation(AnsiString(className) + ": no inherited control property named '" +
                          AnsiString(name) + "' to publish");
}

}  // namespace kulr_detail

TWinControl* GetParentFormControl(const TControl* control) {
  if (control == nullptr) return nullptr;
  const TControl* top = control;
  while (top->Parent() != nullptr) top = top->Parent();
  if (!top->IsForm()) return nullptr;
  return dynamic_cast<TWinControl*>(const_cast<TControl*>(top));
}

TCustomForm* GetParentForm(const TControl* control) {
  if (control == nullptr) return nullptr;
  const TControl* top = control;
  while (top->Parent() != nullptr) top = top->Parent();
  return top->AsForm();
}

TWinControl* FindControl(HWND handle) {
  IWindowTarget* target = FindWindowTarget(handle);
  return target != nullptr ? dynamic_cast<TWinControl*>(target) : nullptr;
}

// ---- Class records ----

const TClass& TControl::StaticClass() {
  // What every control publishes: its place and size, cursor and hint. The
  // rest each concrete class publishes for itself (PublishInherited).
  static const TClass& record = TClassBuilder<TControl>()
                                    .Property("Left", &TControl::Left, &TControl::SetLeft)
                                    .Property("Top", &TControl::Top, &TControl::SetTop)
                                    .Property("Width", &TControl::Width, &TControl::SetWidth)
                                    .Property("Height", &TControl::Height, &TControl::SetHeight)
                                    .Property("Cursor", &TControl::Cursor, &TControl::SetCursor)
                                    .Default(crDefault)
                                    .Property("Hint", &TControl::Hint, &TControl::SetHint)
                                    .Factory()
                                    .Build();
  return record;
}

const TClass& TWinControl::StaticClass() {
  static const TClass& record = TClassBuilder<TWinControl>().Factory().Build();
  return record;
}

const TClass& TGraphicControl::StaticClass() {
  static const TClass& record = TClassBuilder<TGraphicControl>().Factory().Build();
  return record;
}

const TClass& TCustomControl::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomControl>().Factory().Build();
  return record;
}

void RegisterControlClasses() {
  RegisterClasses({&TControl::StaticClass(), &TWinControl::StaticClass(), &TGraphicControl::StaticClass(),
                   &TCustomControl::StaticClass()});
}

// ---- TControl: life ----

TControl::TControl(TComponent* owner) : TComponent(owner) {
  FFont = new TFont();
  FFont->SetOnChange(TNotifyEvent(this, &TControl::FontChange));
}

TControl::~TControl() {
  // Reached without Free (a control on the stack): the same steps; nothing
  // may escape a destructor.
  Destroying();
  try {
    TearDownControl();
  } catch (...) {
  }
  Free(FFont);
}

void TControl::BeforeDestruction() {
  Destroying();
  TTeardownSteps steps;
  steps.Run([&] { TearDownControl(); });
  steps.Run([&] { TComponent::BeforeDestruction(); });
  steps.Finish(true);
}

void TControl::TearDownControl() {
  if (FControlTornDown) return;
  FControlTornDown = true;
  if (FParent != nullptr) FParent->RemoveControl(this);
}

void TControl::FontChange(TObject*) {
  if (!FTakingParentFont) FParentFont = false;
  Perform(CM_FONTCHANGED);
}

// ---- TControl: parent ----

void TControl::SetParent(TWinControl* parent) {
  if (parent == FParent) return;
  if (parent != nullptr) {
    if (parent == this)
      throw EControlError("Cannot make " + Describe(this) + " its own parent");
    if (auto* self = dynamic_cast<TWinControl*>(this); self != nullptr && self->ContainsControl(parent))
      throw EControlError("Cannot make " + Describe(parent) + " the parent of " + Describe(this) +
                          ": it lies inside it");
    if (IsDestroying(parent))
      throw EControlError("Cannot place " + Describe(this) + " in " + Describe(parent) +
                          ": it is being destroyed");
    if (FControlTornDown || IsDestroying(this))
      throw EControlError("Cannot place " + Describe(this) + " in " + Describe(parent) +
                          ": the control is being destroyed");
  }
  if (FParent != nullptr) FParent->RemoveControl(this);
  if (parent != nullptr) parent->InsertControl(this);
}

void TControl::SetParentComponent(TComponent* parent) {
  if (parent == nullptr) {
    SetParent(nullptr);
    return;
  }
  auto* windowed = dynamic_cast<TWinControl*>(parent);
  if (windowed == nullptr)
    throw EControlError("Cannot place " + Describe(this) + " in " + Describe(parent) +
                        ": only a windowed control can hold controls");
  SetParent(windowed);
}

TComponent* TControl::GetParentComponent() const { return FParent; }

// ---- TControl: bounds ----

void TControl::SetBounds(int left, int top, int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (left == FLeft && top == FTop && width == FWidth && height == FHeight) return;
  const bool sized = width != FWidth || height != FHeight;
  const TRect oldClientRect = ClientRect();
  FLeft = left;
  FTop = top;
  FWidth = width;
  FHeight = height;
  Invalidate();
  RequestAlign();
  if (sized && !IsLoading(this)) SizeChanged(oldClientRect);
}

void TControl::SizeChanged(const TRect&) { Resize(); }

void TControl::SetClientWidth(int width) { SetWidth(FWidth + width - ClientWidth()); }

void TControl::SetClientHeight(int height) { SetHeight(FHeight + height - ClientHeight()); }

TPoint TControl::ClientOrigin() const {
  TPoint origin{FLeft, FTop};
  if (FParent != nullptr) {
    TPoint parentOrigin = FParent->ClientOrigin();
    origin.X += parentOrigin.X;
    origin.Y += parentOrigin.Y;
  }
  return origin;
}

TPoint TControl::ClientToScreen(TPoint point) const {
  TPoint origin = ClientOrigin();
  return TPoint{point.X + origin.X, point.Y + origin.Y};
}

TPoint TControl::ScreenToClient(TPoint point) const {
  TPoint origin = ClientOrigin();
  return TPoint{point.X - origin.X, point.Y - origin.Y};
}

void TControl::SetAlign(TAlign align) {
  if (static_cast<int>(align) < alNone || static_cast<int>(align) > alClient)
    throw EConvertError(Describe(this) + ": " + std::to_string(static_cast<int>(align)) +
                        " is not a TAlign value");
  if (align == FAlign) return;
  const TAlign old = FAlign;
  FAlign = align;
  // Turning a top/bottom control into a left/right one (or back) turns its
  // strip round: its height becomes its width.
  auto horizontalStrip = [](TAlign a) { return a == alTop || a == alBottom; };
  auto verticalStrip = [](TAlign a) { return a == alLeft || a == alRight; };
  if (!IsLoading(this) && ((horizontalStrip(old) && verticalStrip(align)) ||
                           (verticalStrip(old) && horizontalStrip(align))))
    SetBounds(FLeft, FTop, FHeight, FWidth);
  RequestAlign();
}

void TControl::SetAutoSize(bool value) { FAutoSize = value; }

void TControl::RequestAlign() {
  if (FParent != nullptr) FParent->AlignControl(this);
}

// ---- TControl: state ----

bool TControl::Showing() const {
  for (const TControl* c = this; c != nullptr; c = c->FParent)
    if (!c->FVisible) return false;
  return true;
}

void TControl::SetVisible(bool value) {
  if (value == FVisible) return;
  FVisible = value;
  if (!value && FParent != nullptr)
    if (auto* self = dynamic_cast<TWinControl*>(this)) self->RemoveFocus(false);
  Perform(CM_VISIBLECHANGED, value ? 1 : 0);
  if (FAlign != alNone) RequestAlign();
}

void TControl::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  if (!value && FParent != nullptr)
    if (auto* self = dynamic_cast<TWinControl*>(this)) self->RemoveFocus(false);
  Perform(CM_ENABLEDCHANGED, value ? 1 : 0);
}

// ---- TControl: appearance ----

void TControl::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  FParentColor = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool value) {
  if (value == FParentColor) return;
  FParentColor = value;
  if (value && FParent != nullptr) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::ParentColorChanged() {
  if (!FParentColor || FParent == nullptr || FParent->Color() == FColor) return;
  FColor = FParent->Color();
  Perform(CM_COLORCHANGED);
}

void TControl::ColorChanged() { Invalidate(); }

void TControl::SetFont(TFont* font) {
  if (font == nullptr) throw EConvertError(Describe(this) + ": cannot assign a nil font");
  FFont->Assign(font);
}

void TControl::SetParentFont(bool value) {
  if (value == FParentFont) return;
  FParentFont = value;
  if (value && FParent != nullptr) Perform(CM_PARENTFONTCHANGED);
}

void TControl::ParentFontChanged() {
  if (!FParentFont || FParent == nullptr) return;
  // Assign raises the font's OnChange (and so FontChanged) only when the
  // parent's font differs; the flag keeps ParentFont set meanwhile.
  TFlagScope taking(FTakingParentFont);
  FFont->Assign(FParent->Font());
}

void TControl::FontChanged() { Invalidate(); }

void TControl::SetCursor(TCursor cursor) {
  if (cursor == FCursor) return;
  FCursor = cursor;
  Perform(CM_CURSORCHANGED);
}

void TControl::SetText(const AnsiString& text) {
  if (text == FText) return;
  FText = text;
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool value) {
  if (value == FShowHint) return;
  FShowHint = value;
  FParentShowHint = false;
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::SetParentShowHint(bool value) {
  if (value == FParentShowHint) return;
  FParentShowHint = value;
  if (value && FParent != nullptr) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::ParentShowHintChanged() {
  if (!FParentShowHint || FParent == nullptr || FParent->ShowHint() == FShowHint) return;
  FShowHint = FParent->ShowHint();
  Perform(CM_SHOWHINTCHANGED);
}

void TControl::ShowHintChanged() {}

void TControl::SetPopupMenu(TComponent* menu) {
  if (menu == FPopupMenu) return;
  if (FPopupMenu != nullptr) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = menu;
  if (menu != nullptr) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FPopupMenu) FPopupMenu = nullptr;
}

// ---- TControl: actions and events ----

void TControl::Click() {
  if (FOnClick) FOnClick(this);
}

void TControl::DblClick() {
  if (FOnDblClick) FOnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOnMouseDown) FOnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (FOnMouseUp) FOnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (FOnMouseMove) FOnMouseMove(this, shift, x, y);
}

void TControl::Resize() {
  if (FOnResize) FOnResize(this);
}

// ---- TControl: z-order ----

namespace {
template <class T>
void MoveInList(std::vector<T*>& list, T* item, bool toEnd) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it == list.end()) return;
  list.erase(it);
  if (toEnd)
    list.push_back(item);
  else
    list.insert(list.begin(), item);
}
}  // namespace

void TControl::BringToFront() {
  if (FParent == nullptr) return;
  if (auto* self = dynamic_cast<TWinControl*>(this))
    MoveInList(FParent->FWinControls, self, true);
  else
    MoveInList(FParent->FControls, this, true);
  Invalidate();
}

void TControl::SendToBack() {
  if (FParent == nullptr) return;
  if (auto* self = dynamic_cast<TWinControl*>(this))
    MoveInList(FParent->FWinControls, self, false);
  else
    MoveInList(FParent->FControls, this, false);
  Invalidate();
}

// ---- TControl: messages ----

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam) { return WndProc(msg, wParam, lParam); }

LRESULT TControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  const TShiftState shift = TShiftState::FromBits(static_cast<uint64_t>(wParam));
  auto at = [lParam] { return LParamToPoint(lParam); };
  switch (msg) {
    case CM_ENABLEDCHANGED: EnabledChanged(); return 0;
    case CM_VISIBLECHANGED: VisibleChanged(); return 0;
    case CM_FONTCHANGED: FontChanged(); return 0;
    case CM_COLORCHANGED: ColorChanged(); return 0;
    case CM_TEXTCHANGED: TextChanged(); return 0;
    case CM_SHOWHINTCHANGED: ShowHintChanged(); return 0;
    case CM_PARENTFONTCHANGED: ParentFontChanged(); return 0;
    case CM_PARENTCOLORCHANGED: ParentColorChanged(); return 0;
    case CM_PARENTSHOWHINTCHANGED: ParentShowHintChanged(); return 0;
    case WM_SETTEXT:
      SetText(lParam != 0 ? AnsiString(reinterpret_cast<const char*>(lParam)) : AnsiString());
      return 1;
    case WM_LBUTTONDOWN: {
      TPoint p = at();
      MouseDown(mbLeft, shift + TShiftState{ssLeft}, p.X, p.Y);
      return 0;
    }
    case WM_LBUTTONDBLCLK: {
      TPoint p = at();
      DblClick();
      MouseDown(mbLeft, shift + TShiftState{ssLeft, ssDouble}, p.X, p.Y);
      return 0;
    }
    case WM_RBUTTONDOWN: {
      TPoint p = at();
      MouseDown(mbRight, shift + TShiftState{ssRight}, p.X, p.Y);
      return 0;
    }
    case WM_MBUTTONDOWN: {
      TPoint p = at();
      MouseDown(mbMiddle, shift + TShiftState{ssMiddle}, p.X, p.Y);
      return 0;
    }
    case WM_LBUTTONUP: {
      TPoint p = at();
      MouseUp(mbLeft, shift, p.X, p.Y);
      return 0;
    }
    case WM_RBUTTONUP: {
      TPoint p = at();
      MouseUp(mbRight, shift, p.X, p.Y);
      return 0;
    }
    case WM_MBUTTONUP: {
      TPoint p = at();
      MouseUp(mbMiddle, shift, p.X, p.Y);
      return 0;
    }
    case WM_MOUSEMOVE: {
      TPoint p = at();
      MouseMove(shift, p.X, p.Y);
      return 0;
    }
    default: return 0;
  }
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (FAlign != alNone) RequestAlign();
}

// ---- TWinControl: life ----

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  Destroying();
  try {
    TearDownWinControl();
  } catch (...) {
  }
  // Whatever happened above, no handle may outlive the object.
  if (FHandle != 0) DeallocateHWnd(FHandle);
  FHandle = 0;
}

void TWinControl::BeforeDestruction() {
  Destroying();
  TTeardownSteps steps;
  steps.Run([&] { TearDownWinControl(); });
  steps.Run([&] { TControl::BeforeDestruction(); });
  steps.Finish(true);
}

void TWinControl::TearDownWinControl() {
  if (FWinTornDown) return;
  FWinTornDown = true;
  TTeardownSteps steps;
  // The form forgets the focus while the chain up to it is still whole.
  if (Parent() != nullptr) steps.Run([&] { RemoveFocus(true); });
  steps.Run([&] { DestroyHandle(); });
  // Children go with their parent, whoever owns them; each leaves its owner
  // as it goes, so nothing is freed twice. Topmost windowed ones first.
  while (ControlCount() > 0) {
    TControl* child = Controls(ControlCount() - 1);
    steps.Run([&] { Free(child); });
    // Free removes the child from the lists before anything can raise;
    // this only guards against a child that never reached that point.
    if (ControlCount() > 0 && Controls(ControlCount() - 1) == child) {
      auto dropFrom = [child](auto& list) {
        list.erase(std::remove(list.begin(), list.end(), child), list.end());
      };
      dropFrom(FControls);
      dropFrom(FWinControls);
      dropFrom(FTabList);
    }
  }
  steps.Finish(true);
}

// ---- TWinControl: children ----

int TWinControl::ControlCount() const { return static_cast<int>(FControls.size() + FWinControls.size()); }

TControl* TWinControl::Controls(int index) const {
  if (index < 0 || index >= ControlCount())
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  const auto graphic = static_cast<int>(FControls.size());
  if (index < graphic) return FControls[static_cast<size_t>(index)];
  return FWinControls[static_cast<size_t>(index - graphic)];
}

bool TWinControl::HasChild(const TControl* control) const {
  return std::find(FControls.begin(), FControls.end(), control) != FControls.end() ||
         std::find(FWinControls.begin(), FWinControls.end(), control) != FWinControls.end();
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c != nullptr; c = c->Parent())
    if (c == this) return true;
  return false;
}

TControl* TWinControl::FindChildControl(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* child = Controls(i);
    if (kulr_detail::SameIdentifier(child->Name(), name)) return child;
  }
  return nullptr;
}

void TWinControl::InsertControl(TControl* control) {
  control->FParent = this;
  if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
    FWinControls.push_back(windowed);
    FTabList.push_back(windowed);
  } else {
    FControls.push_back(control);
  }
  control->Perform(CM_PARENTCOLORCHANGED);
  control->Perform(CM_PARENTFONTCHANGED);
  control->Perform(CM_PARENTSHOWHINTCHANGED);
  ControlChange(control, true);
  if (control->Align() != alNone) AlignControl(control);
}

void TWinControl::RemoveControl(TControl* control) {
  TTeardownSteps steps;
  auto* windowed = dynamic_cast<TWinControl*>(control);
  // Before the chain breaks: afterwards the form could not be found.
  if (windowed != nullptr) steps.Run([&] { windowed->RemoveFocus(true); });
  if (windowed != nullptr) {
    FWinControls.erase(std::remove(FWinControls.begin(), FWinControls.end(), windowed), FWinControls.end());
    FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), windowed), FTabList.end());
  } else {
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  }
  control->FParent = nullptr;
  if (!IsDestroying(this)) {
    steps.Run([&] { ControlChange(control, false); });
    if (control->Align() != alNone && control->Visible()) steps.Run([&] { Realign(); });
  }
  steps.Finish(true);
}

// ---- TWinControl: handle ----

HWND TWinControl::Handle() {
  if (FHandle != 0) return FHandle;
  // A handle made now would outlive the object.
  if (FWinTornDown)
    throw EControlError("Cannot make a window for " + Describe(this) + ": it is being destroyed");
  if (Parent() != nullptr) Parent()->HandleNeeded();
  CreateWnd();
  return FHandle;
}

void TWinControl::CreateWnd() {
  if (FHandle == 0) FHandle = AllocateHWnd(this);
}

void TWinControl::DestroyWnd() {
  if (FHandle == 0) return;
  DeallocateHWnd(FHandle);
  FHandle = 0;
}

void TWinControl::DestroyHandle() {
  for (TWinControl* child : std::vector<TWinControl*>(FWinControls)) child->DestroyHandle();
  if (FHandle == 0) return;
  try {
    DestroyWnd();
  } catch (...) {
    // The window system must forget this target whatever an override did.
    if (FHandle != 0) DeallocateHWnd(FHandle);
    FHandle = 0;
    throw;
  }
  if (FHandle != 0) DeallocateHWnd(FHandle);
  FHandle = 0;
}

// ---- TWinControl: tab order ----

int TWinControl::TabOrder() const {
  if (Parent() == nullptr) return -1;
  const auto& list = Parent()->FTabList;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  // A resource gives the orders in its own sequence; the parent puts them
  // right in Loaded, when all siblings are there.
  if (ComponentState().Contains(csReading)) FReadTabOrder = order;
  if (Parent() != nullptr) Parent()->MoveTabOrder(this, order);
}

void TWinControl::MoveTabOrder(TWinControl* control, int order) {
  auto it = std::find(FTabList.begin(), FTabList.end(), control);
  if (it == FTabList.end()) return;
  const int count = static_cast<int>(FTabList.size());
  if (order < 0 || order >= count) order = count - 1;
  const int current = static_cast<int>(it - FTabList.begin());
  if (order == current) return;
  FTabList.erase(it);
  FTabList.insert(FTabList.begin() + order, control);
}

void TWinControl::FixupTabList() {
  const size_t count = FTabList.size();
  std::vector<TWinControl*> placed(count, nullptr);
  std::vector<TWinControl*> rest;
  for (TWinControl* child : FTabList) {
    const int wanted = child->FReadTabOrder;
    if (wanted >= 0 && static_cast<size_t>(wanted) < count && placed[static_cast<size_t>(wanted)] == nullptr)
      placed[static_cast<size_t>(wanted)] = child;
    else
      rest.push_back(child);
    child->FReadTabOrder = -1;
  }
  // Controls without a usable order keep their sequence in the free places.
  auto next = rest.begin();
  for (auto& slot : placed)
    if (slot == nullptr) slot = *next++;
  FTabList = std::move(placed);
}

void TWinControl::SetTabStop(bool value) {
  if (value == FTabStop) return;
  FTabStop = value;
  Perform(CM_TABSTOPCHANGED);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) const {
  for (TWinControl* child : FTabList) {
    list.push_back(child);
    child->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                                          bool checkParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const int count = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), current);
  int start = found != list.end() ? static_cast<int>(found - list.begin()) : (goForward ? count - 1 : 0);
  int i = start;
  do {
    i = goForward ? (i + 1) % count : (i + count - 1) % count;
    TWinControl* candidate = list[static_cast<size_t>(i)];
    if (candidate->CanFocus() && (!checkTabStop || candidate->TabStop()) &&
        (!checkParent || candidate->Parent() == this))
      return candidate;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool goForward, bool checkTabStop) {
  if (TWinControl* next = FindNextControl(current, goForward, checkTabStop, !checkTabStop)) next->SetFocus();
}

// ---- TWinControl: focus ----

bool TWinControl::CanFocus() const {
  TWinControl* form = GetParentFormControl(this);
  if (form == nullptr) return false;
  for (const TWinControl* c = this; c != form; c = c->Parent())
    if (!c->Visible() || !c->Enabled()) return false;
  return true;
}

bool TWinControl::Focused() const {
  TWinControl* form = GetParentFormControl(this);
  return form != nullptr && form->FormFocusedControl() == this;
}

void TWinControl::SetFocus() {
  TWinControl* form = GetParentFormControl(this);
  if (form == nullptr) throw EControlError("Cannot focus " + Describe(this) + ": it is not on a form");
  form->FormFocusControl(this);
}

void TWinControl::FormFocusControl(TWinControl* control) {
  throw EControlError(Describe(this) + " is not a form and cannot focus " + Describe(control));
}

void TWinControl::FormDefocusControl(TWinControl*, bool) {}

void TWinControl::RemoveFocus(bool removing) {
  if (TWinControl* form = GetParentFormControl(this); form != nullptr && form != this)
    form->FormDefocusControl(this, removing);
}

void TWinControl::DoEnter() {
  if (FOnEnter) FOnEnter(this);
}

void TWinControl::DoExit() {
  if (FOnExit) FOnExit(this);
}

// ---- TWinControl: keys ----

void TWinControl::KeyDown(uint16_t& key, TShiftState shift) {
  if (FOnKeyDown) FOnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(uint16_t& key, TShiftState shift) {
  if (FOnKeyUp) FOnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (FOnKeyPress) FOnKeyPress(this, key);
}

// ---- TWinControl: alignment ----

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel == 0) throw EInvalidOperation(Describe(this) + ": EnableAlign without DisableAlign");
  if (--FAlignLevel == 0 && FAlignPending) {
    FAlignPending = false;
    Realign();
  }
}

void TWinControl::AlignControl(TControl* control) {
  if (IsDestroying(this) || IsLoading(this) || FAligning) return;
  if (FAlignLevel > 0) {
    FAlignPending = true;
    return;
  }
  TFlagScope aligning(FAligning);
  TRect rect = ClientRect();
  AdjustClientRect(rect);
  AlignControls(control, rect);
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  // Whether c1 goes before c2 in a group: top and left strips in order of
  // position, bottom and right ones from the outermost edge inwards.
  auto before = [](const TControl* c1, const TControl* c2, TAlign align) {
    switch (align) {
      case alTop: return c1->Top() < c2->Top();
      case alBottom: return c1->Top() + c1->Height() >= c2->Top() + c2->Height();
      case alLeft: return c1->Left() < c2->Left();
      case alRight: return c1->Left() + c1->Width() >= c2->Left() + c2->Width();
      default: return false;
    }
  };
  auto counts = [](const TControl* c) {
    return c->Visible() || c->ComponentState().Contains(csDesigning);
  };
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> group;
    if (control != nullptr && control->Parent() == this && control->Align() == align && counts(control))
      group.push_back(control);
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      if (c == control || c->Align() != align || !counts(c)) continue;
      size_t j = 0;
      while (j < group.size() && !before(c, group[j], align)) ++j;
      group.insert(group.begin() + static_cast<std::ptrdiff_t>(j), c);
    }
    for (TControl* c : group) {
      // A handler of an earlier placement may have taken c away or freed
      // it: look it up without touching it.
      if (!HasChild(c)) continue;
      int width = rect.Right - rect.Left;
      if (width < 0 || align == alLeft || align == alRight) width = c->Width();
      int height = rect.Bottom - rect.Top;
      if (height < 0 || align == alTop || align == alBottom) height = c->Height();
      int left = rect.Left;
      int top = rect.Top;
      switch (align) {
        case alTop: rect.Top += height; break;
        case alBottom:
          rect.Bottom -= height;
          top = rect.Bottom;
          break;
        case alLeft: rect.Left += width; break;
        case alRight:
          rect.Right -= width;
          left = rect.Right;
          break;
        default: break;
      }
      c->SetBounds(left, top, width, height);
      // A control that kept another size (its own rules) takes only that.
      switch (align) {
        case alTop: rect.Top -= height - c->Height(); break;
        case alBottom: rect.Bottom += height - c->Height(); break;
        case alLeft: rect.Left -= width - c->Width(); break;
        case alRight: rect.Right += width - c->Width(); break;
        case alClient:
          rect.Right += width - c->Width();
          rect.Bottom += height - c->Height();
          break;
        default: break;
      }
    }
  }
}

void TWinControl::ApplyAnchors(int deltaWidth, int deltaHeight) {
  if (deltaWidth == 0 && deltaHeight == 0) return;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Align() != alNone) continue;
    const TAnchors anchors = c->Anchors();
    int left = c->Left();
    int top = c->Top();
    int width = c->Width();
    int height = c->Height();
    if (anchors.Contains(akRight)) {
      if (anchors.Contains(akLeft))
        width += deltaWidth;
      else
        left += deltaWidth;
    }
    if (anchors.Contains(akBottom)) {
      if (anchors.Contains(akTop))
        height += deltaHeight;
      else
        top += deltaHeight;
    }
    c->SetBounds(left, top, width, height);
  }
}

void TWinControl::SizeChanged(const TRect& oldClientRect) {
  const TRect client = ClientRect();
  ApplyAnchors(client.Width() - oldClientRect.Width(), client.Height() - oldClientRect.Height());
  WMSize();
}

void TWinControl::WMSize() {
  Realign();
  if (!IsLoading(this)) Resize();
}

// ---- TWinControl: notifications passed to the children ----

void TWinControl::FontChanged() {
  TControl::FontChanged();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Perform(CM_PARENTFONTCHANGED);
}

void TWinControl::ColorChanged() {
  TControl::ColorChanged();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Perform(CM_PARENTCOLORCHANGED);
}

void TWinControl::ShowHintChanged() {
  TControl::ShowHintChanged();
  for (int i = 0; i < ControlCount(); ++i) Controls(i)->Perform(CM_PARENTSHOWHINTCHANGED);
}

// ---- TWinControl: messages ----

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      auto key = static_cast<uint16_t>(wParam);
      KeyDown(key, TShiftState::FromBits(static_cast<uint64_t>(lParam)));
      return key;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      auto key = static_cast<uint16_t>(wParam);
      KeyUp(key, TShiftState::FromBits(static_cast<uint64_t>(lParam)));
      return key;
    }
    case WM_CHAR: {
      auto key = static_cast<char>(static_cast<unsigned char>(wParam));
      KeyPress(key);
      return static_cast<unsigned char>(key);
    }
    case WM_SIZE: WMSize(); return 0;
    case CM_ENTER: DoEnter(); return 0;
    case CM_EXIT: DoExit(); return 0;
    default: return TControl::WndProc(msg, wParam, lParam);
  }
}

void TWinControl::Loaded() {
  TControl::Loaded();
  FixupTabList();
  Realign();
}

// ---- TGraphicControl and TCustomControl ----

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {}

void TGraphicControl::Repaint() {
  TControl::Repaint();
  FCanvas.ClearTexts();
  FCanvas.Font().Assign(Font());
  Paint();
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {}

void TCustomControl::Repaint() {
  TControl::Repaint();
  FCanvas.ClearTexts();
  FCanvas.Font().Assign(Font());
  Paint();
}
