#include "platform/vcl/ExtCtrls.h"

#include <algorithm>
#include <exception>
#include <string>

#include "platform/vcl/Application.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/win/Timers.h"

// Sections: helpers and type records; TCustomPanel; TCustomRadioGroup;
// TSplitter; TTimer; class records and registration.

namespace {

AnsiString Describe(const TComponent* component) {
  if (component->Name().empty()) return "a " + component->ClassName();
  return component->Name() + " (" + component->ClassName() + ")";
}

template <class E>
void CheckEnum(const TComponent* component, E value, E last, const char* typeName) {
  if (static_cast<int>(value) < 0 || static_cast<int>(value) > static_cast<int>(last))
    throw EConvertError(Describe(component) + ": " + std::to_string(static_cast<int>(value)) + " is not a " +
                        typeName + " value");
}

bool IsLoading(const TComponent* component) { return component->ComponentState().Contains(csLoading); }

}  // namespace

const TTypeInfo& BorderStyleTypeInfo() {
  static const TTypeInfo info = TTypeInfo::Enumeration("TBorderStyle", "bsNone, bsSingle");
  return info;
}

// ---- TCustomPanel ----

TCustomPanel::TCustomPanel(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 41);
  SetColor(clBtnFace);
}

void TCustomPanel::FrameChanged() {
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut value) {
  CheckEnum(this, value, bvSpace, "TBevelCut");
  if (value == FBevelInner) return;
  FBevelInner = value;
  FrameChanged();
}

void TCustomPanel::SetBevelOuter(TBevelCut value) {
  CheckEnum(this, value, bvSpace, "TBevelCut");
  if (value == FBevelOuter) return;
  FBevelOuter = value;
  FrameChanged();
}

void TCustomPanel::SetBevelWidth(int value) {
  if (value < 1)
    throw EInvalidOperation(Describe(this) + ": BevelWidth must be 1 or more, not " + std::to_string(value));
  if (value == FBevelWidth) return;
  FBevelWidth = value;
  FrameChanged();
}

void TCustomPanel::SetBorderWidth(int value) {
  if (value < 0)
    throw EInvalidOperation(Describe(this) + ": BorderWidth must not be negative (" + std::to_string(value) + ")");
  if (value == FBorderWidth) return;
  FBorderWidth = value;
  FrameChanged();
}

void TCustomPanel::SetBorderStyle(TFormBorderStyle value) {
  if (value != bsNone && value != bsSingle)
    throw EConvertError(Describe(this) + ": " + std::to_string(static_cast<int>(value)) +
                        " is not a TBorderStyle value (bsNone, bsSingle)");
  if (value == FBorderStyle) return;
  // The edge lies outside the client area: keep the children where they
  // are relative to the window, as a real window edge change does not.
  const TRect oldClient = ClientRect();
  FBorderStyle = value;
  if (!IsLoading(this)) SizeChanged(oldClient);
  FrameChanged();
}

void TCustomPanel::SetAlignment(TAlignment value) {
  CheckEnum(this, value, taCenter, "TAlignment");
  if (value == FAlignment) return;
  FAlignment = value;
  Invalidate();
}

TRect TCustomPanel::ClientRect() const {
  const int edge = EdgeWidth();
  return Rect(0, 0, std::max(Width() - 2 * edge, 0), std::max(Height() - 2 * edge, 0));
}

TPoint TCustomPanel::ClientOrigin() const {
  TPoint origin = TCustomControl::ClientOrigin();
  origin.X += EdgeWidth();
  origin.Y += EdgeWidth();
  return origin;
}

TRect TCustomPanel::InnerRect() const {
  TRect rect = ClientRect();
  AdjustClientRect(rect);
  return rect;
}

void TCustomPanel::AdjustClientRect(TRect& rect) const {
  TCustomControl::AdjustClientRect(rect);
  int inset = FBorderWidth;
  if (FBevelOuter != bvNone) inset += FBevelWidth;
  if (FBevelInner != bvNone) inset += FBevelWidth;
  rect.Left += inset;
  rect.Top += inset;
  rect.Right -= inset;
  rect.Bottom -= inset;
}

void TCustomPanel::Paint() {
  const TRect inner = InnerRect();
  const AnsiString text = StripAccelChars(Caption());
  TCanvas& canvas = Canvas();
  canvas.Brush().SetStyle(bsClear);
  const int width = canvas.TextWidth(text);
  const int height = canvas.TextHeight(text);
  int x = inner.Left + (inner.Width() - width) / 2;
  if (FAlignment == taLeftJustify) x = inner.Left;
  if (FAlignment == taRightJustify) x = inner.Right - width;
  canvas.TextRect(inner, x, inner.Top + (inner.Height() - height) / 2, text);
}

// ---- TCustomRadioGroup ----

TCustomRadioGroup::TCustomRadioGroup(TComponent* owner)
    : TCustomGroupBox(owner), FItems(std::make_unique<TStringList>()) {
  FItems->OnChange = [this](TStrings&) { ItemsChanged(); };
}

TCustomRadioGroup::~TCustomRadioGroup() {
  // The buttons are freed with the other children and owned components;
  // the list must not call back into a half-destroyed group.
  FItems->OnChange = nullptr;
}

void TCustomRadioGroup::SetItems(TStrings* items) {
  if (items == nullptr) throw EConvertError(Describe(this) + ": cannot assign a nil list to Items");
  FItems->Assign(*items);
}

void TCustomRadioGroup::SetColumns(int value) {
  if (value < 1 || value > 16)
    throw EInvalidOperation(Describe(this) + ": Columns must lie in 1..16, not " + std::to_string(value));
  if (value == FColumns) return;
  FColumns = value;
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::SetItemIndex(int value) {
  if (IsLoading(this)) {
    // The items usually come after the index in a resource: Loaded checks it.
    FItemIndex = value;
    return;
  }
  if (value < -1 || value >= FItems->Count())
    throw EListError(Describe(this) + ": ItemIndex " + std::to_string(value) + " is out of range (-1.." +
                     std::to_string(FItems->Count() - 1) + ")");
  if (value == FItemIndex) return;
  FItemIndex = value;
  CheckButtons();
  if (value >= 0) Click();
}

TRadioButton* TCustomRadioGroup::Buttons(int index) const {
  if (index < 0 || index >= ButtonCount())
    throw EListError(Describe(this) + ": button index " + std::to_string(index) + " is out of bounds");
  return FButtons[static_cast<size_t>(index)];
}

TRadioButton* TCustomRadioGroup::CreateButton() { return NewObject<TRadioButton>(this); }

void TCustomRadioGroup::ItemsChanged() {
  if (IsLoading(this) || ComponentState().Contains(csDestroying)) return;
  if (FItemIndex >= FItems->Count()) FItemIndex = -1;
  UpdateButtons();
}

void TCustomRadioGroup::UpdateButtons() {
  const auto count = static_cast<size_t>(FItems->Count());
  while (FButtons.size() > count) {
    TRadioButton* button = FButtons.back();
    FButtons.pop_back();
    Free(button);
  }
  while (FButtons.size() < count) {
    TRadioButton* button = CreateButton();
    if (button == nullptr)
      throw EInvalidOperation(Describe(this) + ": CreateButton made no button");
    if (button->Owner() != this) InsertComponent(button);
    FButtons.push_back(button);
    button->SetOnClick(TNotifyEvent(this, &TCustomRadioGroup::ButtonClick));
    button->SetParentShowHint(false);
    button->SetParent(this);
  }
  for (size_t i = 0; i < count; ++i) {
    FButtons[i]->SetCaption((*FItems)[static_cast<int>(i)]);
    FButtons[i]->SetEnabled(Enabled());
  }
  CheckButtons();
  ArrangeButtons();
  Invalidate();
}

void TCustomRadioGroup::CheckButtons() {
  const bool wasUpdating = FUpdating;
  FUpdating = true;
  try {
    for (size_t i = 0; i < FButtons.size(); ++i) {
      TRadioButton* button = FButtons[i];
      const bool checked = static_cast<int>(i) == FItemIndex;
      if (button->Checked() == checked) continue;
      const bool clicksDisabled = button->ClicksDisabled();
      button->SetClicksDisabled(true);
      try {
        button->SetChecked(checked);
      } catch (...) {
        button->SetClicksDisabled(clicksDisabled);
        throw;
      }
      button->SetClicksDisabled(clicksDisabled);
    }
  } catch (...) {
    FUpdating = wasUpdating;
    throw;
  }
  FUpdating = wasUpdating;
}

void TCustomRadioGroup::ButtonClick(TObject* sender) {
  if (FUpdating) return;
  for (size_t i = 0; i < FButtons.size(); ++i) {
    if (static_cast<TObject*>(FButtons[i]) != sender) continue;
    FItemIndex = static_cast<int>(i);
    Click();
    return;
  }
}

void TCustomRadioGroup::ArrangeButtons() {
  if (FButtons.empty() || IsLoading(this)) return;
  const int count = static_cast<int>(FButtons.size());
  const int perColumn = (count + FColumns - 1) / FColumns;
  const int captionHeight = CaptionHeight();
  const int buttonWidth = (Width() - 10) / FColumns;
  const int room = Height() - captionHeight - 5;
  const int buttonHeight = room / perColumn;
  const int topMargin = captionHeight + 1 + (room % perColumn) / 2;
  for (int i = 0; i < count; ++i)
    FButtons[static_cast<size_t>(i)]->SetBounds((i / perColumn) * buttonWidth + 8,
                                                (i % perColumn) * buttonHeight + topMargin, buttonWidth,
                                                buttonHeight);
}

void TCustomRadioGroup::Loaded() {
  TCustomGroupBox::Loaded();
  const int wanted = FItemIndex;
  const bool valid = wanted >= -1 && wanted < FItems->Count();
  if (!valid) FItemIndex = -1;
  UpdateButtons();
  if (!valid)
    throw EListError(Describe(this) + ": ItemIndex " + std::to_string(wanted) + " is out of range (-1.." +
                     std::to_string(FItems->Count() - 1) + ")");
}

void TCustomRadioGroup::Notification(TComponent* component, TOperation operation) {
  TCustomGroupBox::Notification(component, operation);
  if (operation != opRemove) return;
  for (size_t i = 0; i < FButtons.size(); ++i) {
    if (static_cast<TComponent*>(FButtons[i]) != component) continue;
    FButtons.erase(FButtons.begin() + static_cast<std::ptrdiff_t>(i));
    if (FItemIndex >= ButtonCount()) FItemIndex = -1;
    return;
  }
}

void TCustomRadioGroup::EnabledChanged() {
  TCustomGroupBox::EnabledChanged();
  for (TRadioButton* button : FButtons) button->SetEnabled(Enabled());
}

void TCustomRadioGroup::FontChanged() {
  TCustomGroupBox::FontChanged();
  ArrangeButtons();
}

void TCustomRadioGroup::WMSize() {
  TCustomGroupBox::WMSize();
  ArrangeButtons();
}

// ---- TSplitter ----

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetAlign(alLeft);
  SetBounds(0, 0, 3, 100);
  SetCursor(crHSplit);
}

void TSplitter::SetMinSize(int value) {
  if (value < 1)
    throw EInvalidOperation(Describe(this) + ": MinSize must be 1 or more, not " + std::to_string(value));
  FMinSize = value;
}

void TSplitter::SetBeveled(bool value) {
  if (value == FBeveled) return;
  FBeveled = value;
  Invalidate();
}

void TSplitter::SetResizeStyle(TResizeStyle value) {
  CheckEnum(this, value, rsPattern, "TResizeStyle");
  FResizeStyle = value;
}

void TSplitter::SetBounds(int left, int top, int width, int height) {
  TGraphicControl::SetBounds(left, top, width, height);
  // Every placement by the parent passes here, so the cursor follows an
  // axis changed by Align; a cursor set to anything else is left alone.
  if (Cursor() == crHSplit || Cursor() == crVSplit) {
    const bool vertical = Align() == alTop || Align() == alBottom;
    SetCursor(vertical ? crVSplit : crHSplit);
  }
}

TControl* TSplitter::FindNeighbour() const {
  TWinControl* parent = Parent();
  if (parent == nullptr) return nullptr;
  TPoint point{Left(), Top()};
  switch (Align()) {
    case alLeft: --point.X; break;
    case alRight: point.X += Width(); break;
    case alTop: --point.Y; break;
    case alBottom: point.Y += Height(); break;
    default: return nullptr;
  }
  const bool leading = Align() == alLeft || Align() == alTop;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* control = parent->Controls(i);
    if (control == this || !control->Visible() || !control->Enabled()) continue;
    TRect r = control->BoundsRect();
    // A control shrunk to nothing still owns the line it sits on.
    if (r.Width() == 0) (leading ? r.Left : r.Right) += leading ? -1 : 1;
    if (r.Height() == 0) (leading ? r.Top : r.Bottom) += leading ? -1 : 1;
    if (point.X >= r.Left && point.X < r.Right && point.Y >= r.Top && point.Y < r.Bottom) return control;
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Enabled()) return;
  StopSizing();
  TControl* neighbour = FindNeighbour();
  if (neighbour == nullptr) return;
  FControl = neighbour;
  FControl->FreeNotification(this);
  FDownPos = TPoint{x, y};
  TWinControl* parent = Parent();
  FMaxSize = (Horizontal() ? parent->ClientWidth() : parent->ClientHeight()) - FMinSize;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    const TControl* c = parent->Controls(i);
    if (!c->Visible()) continue;
    const bool sameAxis = Horizontal() ? (c->Align() == alLeft || c->Align() == alRight)
                                       : (c->Align() == alTop || c->Align() == alBottom);
    if (sameAxis) FMaxSize -= ExtentOf(c);
  }
  FMaxSize += ExtentOf(FControl);
  FNewSize = ExtentOf(FControl);
}

void TSplitter::CalcNewSize(int x, int y) {
  const int split = Horizontal() ? x - FDownPos.X : y - FDownPos.Y;
  const bool leading = Align() == alLeft || Align() == alTop;
  const int size = leading ? ExtentOf(FControl) + split : ExtentOf(FControl) - split;
  FNewSize = size;
  if (size < FMinSize)
    FNewSize = FMinSize;
  else if (size > FMaxSize)
    FNewSize = FMaxSize;
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (FControl == nullptr || !shift.Contains(ssLeft)) return;
  CalcNewSize(x, y);
  if (FResizeStyle == rsUpdate) ApplyNewSize();
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseUp(button, shift, x, y);
  if (button != mbLeft || FControl == nullptr) return;
  // The size of the last move: the release point of a live drag is already
  // relative to the moved splitter.
  try {
    ApplyNewSize();
  } catch (...) {
    StopSizing();
    throw;
  }
  StopSizing();
}

void TSplitter::ApplyNewSize() {
  if (FControl == nullptr || FNewSize == ExtentOf(FControl)) return;
  TControl* control = FControl;
  switch (Align()) {
    case alLeft: control->SetWidth(FNewSize); break;
    case alTop: control->SetHeight(FNewSize); break;
    case alRight:
    case alBottom: {
      // The far edge stays; the near one moves towards the splitter.
      TWinControl* parent = Parent();
      parent->DisableAlign();
      try {
        if (Align() == alRight)
          control->SetBounds(control->Left() + control->Width() - FNewSize, control->Top(), FNewSize,
                             control->Height());
        else
          control->SetBounds(control->Left(), control->Top() + control->Height() - FNewSize, control->Width(),
                             FNewSize);
      } catch (...) {
        parent->EnableAlign();
        throw;
      }
      parent->EnableAlign();
      break;
    }
    default: return;
  }
  if (FOnMoved) FOnMoved(this);
}

void TSplitter::StopSizing() {
  if (FControl != nullptr) FControl->RemoveFreeNotification(this);
  FControl = nullptr;
}

void TSplitter::Notification(TComponent* component, TOperation operation) {
  TGraphicControl::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FControl) FControl = nullptr;
}

// ---- TTimer ----

namespace {
constexpr UINT_PTR kTimerId = 1;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner) { FHandle = AllocateHWnd(this); }

TTimer::~TTimer() {
  if (FHandle != 0) DeallocateHWnd(FHandle);
}

void TTimer::BeforeDestruction() {
  // Nothing may fire into a timer on its way out.
  if (FHandle != 0) DeallocateHWnd(FHandle);
  FHandle = 0;
  FRunning = false;
  TComponent::BeforeDestruction();
}

void TTimer::SetEnabled(bool value) {
  if (value == FEnabled) return;
  FEnabled = value;
  UpdateTimer();
}

void TTimer::SetInterval(uint32_t value) {
  if (value == FInterval) return;
  FInterval = value;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& handler) {
  FOnTimer = handler;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (FHandle == 0) return;
  KillTimer(FHandle, kTimerId);
  FRunning = false;
  if (FInterval == 0 || !FEnabled || !FOnTimer || ComponentState().Contains(csDesigning)) return;
  if (!SetTimer(FHandle, kTimerId, FInterval))
    throw EInvalidOperation(Describe(this) + ": the window system refused the timer");
  FRunning = true;
}

void TTimer::Loaded() {
  TComponent::Loaded();
  UpdateTimer();
}

void TTimer::Timer() {
  if (FOnTimer) FOnTimer(this);
}

LRESULT TTimer::WndProc(UINT msg, WPARAM wParam, LPARAM) {
  if (msg != WM_TIMER || wParam != kTimerId) return 0;
  try {
    Timer();
  } catch (...) {
    // The timer itself may be gone now; only the application is touched.
    Application().HandleException(std::current_exception());
  }
  return 0;
}

// ---- Class records and registration ----

const TClass& TCustomPanel::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomPanel>().Build();
  return record;
}

const TClass& TPanel::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TPanel> b;
    TControl::PublishInherited<TPanel>(b, {"Align"});
    b.Property("Alignment", &TPanel::Alignment, &TPanel::SetAlignment).Default(taCenter);
    TControl::PublishInherited<TPanel>(b, {"Anchors"});
    b.Property("BevelInner", &TPanel::BevelInner, &TPanel::SetBevelInner)
        .Default(bvNone)
        .Property("BevelOuter", &TPanel::BevelOuter, &TPanel::SetBevelOuter)
        .Default(bvRaised)
        .Property("BevelWidth", &TPanel::BevelWidth, &TPanel::SetBevelWidth)
        .Default(1)
        .Property("BorderWidth", &TPanel::BorderWidth, &TPanel::SetBorderWidth)
        .Default(0)
        .Property("BorderStyle", &TPanel::BorderStyle, &TPanel::SetBorderStyle, BorderStyleTypeInfo())
        .Default(bsNone);
    TControl::PublishInherited<TPanel>(b, {"Caption", "Color", "Enabled", "Font"});
    TControl::PublishInherited<TPanel>(b, {"ParentColor"}).Default(false);
    TControl::PublishInherited<TPanel>(
        b, {"ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop", "Visible", "OnClick",
            "OnDblClick", "OnEnter", "OnExit", "OnMouseDown", "OnMouseMove", "OnMouseUp", "OnResize"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TCustomRadioGroup::StaticClass() {
  static const TClass& record = TClassBuilder<TCustomRadioGroup>().Build();
  return record;
}

const TClass& TRadioGroup::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TRadioGroup> b;
    TControl::PublishInherited<TRadioGroup>(b, {"Align", "Anchors", "Caption", "Color"});
    b.Property("Columns", &TRadioGroup::Columns, &TRadioGroup::SetColumns).Default(1);
    TControl::PublishInherited<TRadioGroup>(b, {"Enabled", "Font"});
    // ItemIndex before Items, as resources write them; Loaded joins them.
    b.Property("ItemIndex", &TRadioGroup::ItemIndex, &TRadioGroup::SetItemIndex)
        .Default(-1)
        .Property("Items", &TRadioGroup::Items, &TRadioGroup::SetItems);
    TControl::PublishInherited<TRadioGroup>(
        b, {"ParentColor", "ParentFont", "ParentShowHint", "PopupMenu", "ShowHint", "TabOrder", "TabStop",
            "Visible", "OnClick", "OnEnter", "OnExit"});
    b.Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TSplitter::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TSplitter> b;
    TControl::PublishInherited<TSplitter>(b, {"Align"}).Default(alLeft);
    b.Property("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled).Default(false);
    TControl::PublishInherited<TSplitter>(b, {"Color"});
    b.Property("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize).Default(30);
    TControl::PublishInherited<TSplitter>(b, {"ParentColor"});
    b.Property("ResizeStyle", &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle).Default(rsPattern);
    TControl::PublishInherited<TSplitter>(b, {"Visible"});
    b.Property("OnMoved", &TSplitter::OnMoved, &TSplitter::SetOnMoved).Factory();
    return b.Build();
  }();
  return record;
}

const TClass& TTimer::StaticClass() {
  static const TClass& record = TClassBuilder<TTimer>()
                                    .Property("Enabled", &TTimer::Enabled, &TTimer::SetEnabled)
                                    .Default(true)
                                    .Property("Interval", &TTimer::Interval, &TTimer::SetInterval)
                                    .Default(1000u)
                                    .Property("OnTimer", &TTimer::OnTimer, &TTimer::SetOnTimer)
                                    .Factory()
                                    .Build();
  return record;
}

void RegisterExtCtrlsClasses() {
  RegisterClasses({&TCustomPanel::StaticClass(), &TPanel::StaticClass(), &TCustomRadioGroup::StaticClass(),
                   &TRadioGroup::StaticClass(), &TSplitter::StaticClass(), &TTimer::StaticClass()});
}
