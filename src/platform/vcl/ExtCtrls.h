// ExtCtrls: the container and helper controls of the forms: the panel with
// its bevels, the radio group that builds and owns one radio button per
// item, the splitter that resizes its neighbour when dragged, and the timer
// that the message loop fires.
//
// Sections: enumerations; TCustomPanel/TPanel; TCustomRadioGroup/
// TRadioGroup; TSplitter; TTimer; registration.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/StringList.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/win/Messages.h"

// ---- Enumerations ----

KULR_ENUM(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)
KULR_ENUM(TResizeStyle, rsNone, rsLine, rsUpdate, rsPattern)

// The panel's BorderStyle: the first two values of TFormBorderStyle
// (bsNone, bsSingle), with a type record of its own ("TBorderStyle").
const TTypeInfo& BorderStyleTypeInfo();

// ---- TCustomPanel / TPanel ----

// A windowed container with a raised or lowered frame and a caption in its
// middle. Its children are aligned inside the frame: the client rectangle
// shrinks by BorderWidth, then by BevelWidth once for each of BevelOuter
// and BevelInner that is not bvNone. A BorderStyle of bsSingle adds a
// sunken window edge of 2 pixels on each side outside all that (it is not
// part of the client area). A new panel is 185 x 41, bevel raised outside,
// none inside, caption centred, colour clBtnFace.
class TCustomPanel : public TCustomControl {
  KULR_CLASS(TCustomPanel, TCustomControl)
  explicit TCustomPanel(TComponent* owner);

  // Every setter raises EConvertError for a value outside its enumeration
  // and re-aligns the children when the frame changes.
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut value);
  // EInvalidOperation below 1.
  int BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(int value);
  // EInvalidOperation below 0.
  int BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int value);
  // bsNone or bsSingle.
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment value);

  // Without the window edge of bsSingle.
  TRect ClientRect() const override;
  TPoint ClientOrigin() const override;
  // Where the children are aligned and the caption is drawn.
  TRect InnerRect() const;

protected:
  void AdjustClientRect(TRect& rect) const override;
  // Records the caption, on one line, aligned in the inner rectangle and
  // vertically centred.
  void Paint() override;

private:
  int EdgeWidth() const { return FBorderStyle == bsSingle ? 2 : 0; }
  void FrameChanged();

  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  int FBevelWidth = 1;
  int FBorderWidth = 0;
  TFormBorderStyle FBorderStyle = bsNone;
  TAlignment FAlignment = taCenter;
};

class TPanel : public TCustomPanel {
  KULR_CLASS(TPanel, TCustomPanel)
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// ---- TCustomRadioGroup / TRadioGroup ----

// A group box with one radio button per line of Items, laid out in
// Columns columns. The group owns its buttons (they are its components and
// its children) and makes each through CreateButton, which a descendant
// overrides to make buttons of its own class. Code must not free or
// re-parent the buttons.
//
// Layout, with h = CaptionHeight() (the metrics provider's line height in
// the group's font), n buttons and c columns: r = ceil(n / c) buttons per
// column, each (Width - 10) / c wide and (Height - h - 5) / r high; column
// k starts at x = 8 + k * that width; the first row at
// y = h + 1 + ((Height - h - 5) mod r) / 2. Done again when the items, the
// columns, the size or the font change (not while loading: Loaded does it).
//
// Events: a user click on an unchecked button checks it, sets ItemIndex
// and raises the group's OnClick. Setting ItemIndex by code to another
// button raises OnClick too, just as checking a radio button by code
// raises its click; setting it to -1 raises nothing.
// Rebuilding the buttons raises nothing.
class TCustomRadioGroup : public TCustomGroupBox {
  KULR_CLASS(TCustomRadioGroup, TCustomGroupBox)
  explicit TCustomRadioGroup(TComponent* owner);
  ~TCustomRadioGroup() override;

  // A change rebuilds the buttons; ItemIndex stays when it still names an
  // item and becomes -1 otherwise.
  TStrings* Items() const { return FItems.get(); }
  // Copies items; EConvertError for null.
  void SetItems(TStrings* items);
  // 1..16; EInvalidOperation otherwise.
  int Columns() const { return FColumns; }
  void SetColumns(int value);
  // -1: none. EListError outside -1..Count-1 (while loading the value
  // waits for the items and is checked in Loaded).
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int value);

  int ButtonCount() const { return static_cast<int>(FButtons.size()); }
  // EListError out of range.
  TRadioButton* Buttons(int index) const;

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

protected:
  // Makes one button, owned by the group; the group then gives it its
  // parent, caption, enabling and click handler. The default makes a
  // TRadioButton.
  virtual TRadioButton* CreateButton();
  // Lays the buttons out (see above).
  void ArrangeButtons();

  void EnabledChanged() override;
  void FontChanged() override;
  void WMSize() override;

private:
  void ItemsChanged();
  void UpdateButtons();
  void ButtonClick(TObject* sender);
  void CheckButtons();

  std::unique_ptr<TStringList> FItems;
  std::vector<TRadioButton*> FButtons;
  int FColumns = 1;
  int FItemIndex = -1;
  bool FUpdating = false;  // the group checks a button itself: no OnClick
};

class TRadioGroup : public TCustomRadioGroup {
  KULR_CLASS(TRadioGroup, TCustomRadioGroup)
  explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}
};

// ---- TSplitter ----

// A bar (graphic, never focused) between an aligned control and the rest of
// its parent. Dragging it with the left button resizes the control it is
// aligned against: the visible, enabled control that touches its leading
// edge (left of an alLeft splitter, right of an alRight one, above alTop,
// below alBottom). The new size stays within MinSize and the room that
// leaves MinSize to the rest of the parent: the parent's client extent
// minus MinSize minus every visible control aligned along the same axis,
// the neighbour's own size given back. rsUpdate resizes while the mouse
// moves; the other styles resize once at the release. OnMoved follows each
// resize. A new splitter is alLeft, 3 wide, MinSize 30, rsPattern; its
// cursor follows its axis (crHSplit, crVSplit).
class TSplitter : public TGraphicControl {
  KULR_CLASS(TSplitter, TGraphicControl)
  explicit TSplitter(TComponent* owner);

  // EInvalidOperation below 1.
  int MinSize() const { return FMinSize; }
  void SetMinSize(int value);
  bool Beveled() const { return FBeveled; }
  void SetBeveled(bool value);
  // EConvertError outside the enumeration.
  TResizeStyle ResizeStyle() const { return FResizeStyle; }
  void SetResizeStyle(TResizeStyle value);

  const TNotifyEvent& OnMoved() const { return FOnMoved; }
  void SetOnMoved(const TNotifyEvent& handler) { FOnMoved = handler; }

  // The control a drag would resize now; nullptr when none.
  TControl* FindNeighbour() const;
  // True from a left press that found a neighbour until the release.
  bool Sizing() const { return FControl != nullptr; }

  void SetBounds(int left, int top, int width, int height) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Notification(TComponent* component, TOperation operation) override;

private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  int ExtentOf(const TControl* control) const { return Horizontal() ? control->Width() : control->Height(); }
  void CalcNewSize(int x, int y);
  void ApplyNewSize();
  void StopSizing();

  int FMinSize = 30;
  bool FBeveled = false;
  TResizeStyle FResizeStyle = rsPattern;
  TControl* FControl = nullptr;  // the neighbour being resized
  TPoint FDownPos{};
  int FMaxSize = 0;
  int FNewSize = 0;
  TNotifyEvent FOnMoved;
};

// ---- TTimer ----

// Raises OnTimer every Interval milliseconds from the application's
// message loop (WM_TIMER on a window of its own), so tests advance the
// message clock and pump. It runs while Enabled, Interval is not 0 and
// OnTimer is assigned; any change of these restarts the count from now.
// Disabling or freeing it stops it; a timer of a component being designed
// never runs. An exception from OnTimer goes to the application's error
// box.
class TTimer : public TComponent, public IWindowTarget {
  KULR_CLASS(TTimer, TComponent)
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  void BeforeDestruction() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool value);
  uint32_t Interval() const { return FInterval; }
  void SetInterval(uint32_t value);
  const TNotifyEvent& OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& handler);

  // Whether the message loop will fire it.
  bool Running() const { return FRunning; }

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Loaded() override;

protected:
  // Raises OnTimer.
  virtual void Timer();

private:
  void UpdateTimer();

  HWND FHandle = 0;
  bool FEnabled = true;
  uint32_t FInterval = 1000;
  bool FRunning = false;
  TNotifyEvent FOnTimer;
};

// ---- Registration ----
// Registers TCustomPanel, TPanel, TCustomRadioGroup, TRadioGroup, TSplitter
// and TTimer. Idempotent.
void RegisterExtCtrlsClasses();
