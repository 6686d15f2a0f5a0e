// Controls: the visual components of the model. TControl has a parent,
// bounds, visibility, enablement, colour, font, text, hint and the mouse
// events; TWinControl adds children, a window handle on demand, the tab
// order, focus and the key events; TGraphicControl (never focused) and
// TCustomControl (windowed) add a canvas and are the bases of the concrete
// controls. Nothing here draws: the model holds the state and computes the
// geometry, and a painter reads it later.
//
// Sections: key codes and messages; alignment and anchors; TControl;
// TWinControl; TGraphicControl and TCustomControl; helpers; publishing
// inherited properties in a descendant's class table.
//
// Contract with the forms (Forms.h builds on this header):
// - A form is the top-level TWinControl whose AsForm() is not null;
//   GetParentForm finds it.
// - SetFocus and Focused of every windowed control go to its form through
//   FormFocusControl / FormFocusedControl; a control that is hidden,
//   disabled, taken out of the form or destroyed while it holds or contains
//   the focus calls FormDefocusControl first. The form decides everything
//   else (active control, enter and exit order, forms not shown).
// - DoEnter/DoExit, the key and mouse virtuals, Click and WndProc are public
//   so that the form and the application's input dispatch can call them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/TypInfo.h"
#include "platform/win/Messages.h"

class TWinControl;
class TCustomForm;

// ---- Virtual key codes ----
inline constexpr uint16_t VK_BACK = 8;
inline constexpr uint16_t VK_TAB = 9;
inline constexpr uint16_t VK_RETURN = 13;
inline constexpr uint16_t VK_SHIFT = 16;
inline constexpr uint16_t VK_CONTROL = 17;
inline constexpr uint16_t VK_MENU = 18;  // Alt
inline constexpr uint16_t VK_ESCAPE = 27;
inline constexpr uint16_t VK_SPACE = 32;
inline constexpr uint16_t VK_PRIOR = 33;  // Page Up
inline constexpr uint16_t VK_NEXT = 34;   // Page Down
inline constexpr uint16_t VK_END = 35;
inline constexpr uint16_t VK_HOME = 36;
inline constexpr uint16_t VK_LEFT = 37;
inline constexpr uint16_t VK_UP = 38;
inline constexpr uint16_t VK_RIGHT = 39;
inline constexpr uint16_t VK_DOWN = 40;
inline constexpr uint16_t VK_INSERT = 45;
inline constexpr uint16_t VK_DELETE = 46;
inline constexpr uint16_t VK_F1 = 112;
inline constexpr uint16_t VK_F2 = 113;
inline constexpr uint16_t VK_F3 = 114;
inline constexpr uint16_t VK_F4 = 115;
inline constexpr uint16_t VK_F5 = 116;
inline constexpr uint16_t VK_F6 = 117;
inline constexpr uint16_t VK_F7 = 118;
inline constexpr uint16_t VK_F8 = 119;
inline constexpr uint16_t VK_F9 = 120;
inline constexpr uint16_t VK_F10 = 121;
inline constexpr uint16_t VK_F11 = 122;
inline constexpr uint16_t VK_F12 = 123;

// ---- Messages ----
// Window messages beyond those of Messages.h. The parameters follow this
// model's own convention, since a headless sender has no keyboard state to
// ask:
// - WM_KEYDOWN, WM_KEYUP: wParam = key code, lParam = TShiftState bits;
//   the result is the key after the handlers (0: consumed).
// - WM_CHAR: wParam = the byte; the result is the byte after the handlers.
// - mouse messages: wParam = TShiftState bits, lParam = PointToLParam(x, y)
//   in the control's client coordinates.
// - WM_SIZE: re-lays out the children and raises Resize, as a real size
//   change does (a control may send it to itself to re-lay out).
inline constexpr UINT WM_SETTEXT = 0x000C;
inline constexpr UINT WM_SYSKEYDOWN = 0x0104;
inline constexpr UINT WM_SYSKEYUP = 0x0105;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
inline constexpr UINT WM_RBUTTONDOWN = 0x0204;
inline constexpr UINT WM_RBUTTONUP = 0x0205;
inline constexpr UINT WM_MBUTTONDOWN = 0x0207;
inline constexpr UINT WM_MBUTTONUP = 0x0208;

// Component messages: notifications a control sends itself (through
// Perform) when one of its properties changes, so that a descendant can
// watch them in WndProc or in the matching virtual.
inline constexpr UINT CM_BASE = 0xB000;
inline constexpr UINT CM_ACTIVATE = CM_BASE + 0;
inline constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
inline constexpr UINT CM_FOCUSCHANGED = CM_BASE + 7;
inline constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
inline constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
inline constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;
inline constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
inline constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
inline constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
inline constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
inline constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
inline constexpr UINT CM_ENTER = CM_BASE + 26;
inline constexpr UINT CM_EXIT = CM_BASE + 27;
inline constexpr UINT CM_RELEASE = CM_BASE + 33;
inline constexpr UINT CM_SHOWHINTCHANGED = CM_BASE + 34;
inline constexpr UINT CM_PARENTSHOWHINTCHANGED = CM_BASE + 35;
inline constexpr UINT CM_TABSTOPCHANGED = CM_BASE + 40;
inline constexpr UINT CM_CONTROLLISTCHANGE = CM_BASE + 44;
inline constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;

// A point packed as the low (x) and high (y) signed 16-bit halves, as mouse
// messages carry it; coordinates outside -32768..32767 raise
// EInvalidOperation.
LPARAM PointToLParam(int x, int y);
TPoint LParamToPoint(LPARAM lParam);

// ---- Alignment and anchors ----
KULR_ENUM(TAlign, alNone, alTop, alBottom, alLeft, alRight, alClient)
KULR_ENUM(TAnchorKind, akLeft, akTop, akRight, akBottom)
KULR_SET(TAnchors, TAnchorKind);

// A control operation that does not fit the control tree (a parent cycle, a
// control placed in something that cannot hold it, focusing a control that
// is on no form).
class EControlError : public EInvalidOperation {
public:
  using EInvalidOperation::EInvalidOperation;
  const char* ClassName() const override { return "EControlError"; }
};

// ---- TControl ----

class TControl : public TComponent {
  KULR_CLASS(TControl, TComponent)

  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Frees what the control holds, leaves the parent, then the owner.
  void BeforeDestruction() override;

  // ---- Parent ----
  TWinControl* Parent() const { return FParent; }
  // Leaves the old parent's lists and joins the new one's (appended: on
  // top of its siblings, last in the tab order). A control that follows its
  // parent's font, colour or hint setting takes it over at once. The
  // control itself, one of its own descendants, or a parent (or control)
  // being destroyed raises EControlError before anything changes.
  virtual void SetParent(TWinControl* parent);
  // The form reader nests a control in the enclosing component: a windowed
  // control becomes the parent; anything else raises EControlError.
  void SetParentComponent(TComponent* parent) override;
  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;

  // Not null for a form (TCustomForm overrides it to return itself).
  virtual TCustomForm* AsForm() const { return nullptr; }
  // Whether the control is a form: the focus hooks are called on it. A
  // stand-in form (in tests) may override this alone.
  virtual bool IsForm() const { return AsForm() != nullptr; }

  // ---- Bounds (in the parent's client coordinates) ----
  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int left) { SetBounds(left, FTop, FWidth, FHeight); }
  void SetTop(int top) { SetBounds(FLeft, top, FWidth, FHeight); }
  void SetWidth(int width) { SetBounds(FLeft, FTop, width, FHeight); }
  void SetHeight(int height) { SetBounds(FLeft, FTop, FWidth, height); }
  // The one place bounds change; descendants that move followers override
  // it and call it. A negative width or height becomes 0, as a window's
  // does. When anything changes the parent re-lays out its aligned
  // children; when the size changes (and the control is not loading) the
  // control re-lays out its own and raises Resize.
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& rect) { SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height()); }

  // The client area, (0, 0) at its top-left; the whole control unless a
  // descendant (a form with a frame) has borders.
  virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  // Changes Width/Height by the difference, keeping the borders.
  void SetClientWidth(int width);
  void SetClientHeight(int height);
  // Screen position of the client area's top-left corner: the sum of the
  // positions up the parent chain (a form with borders adds its frame).
  virtual TPoint ClientOrigin() const;
  TPoint ClientToScreen(TPoint point) const;
  TPoint ScreenToClient(TPoint point) const;

  TAlign Align() const { return FAlign; }
  // EConvertError for a value outside TAlign.
  void SetAlign(TAlign align);
  // With a parent and alNone: akRight moves (or, with akLeft, stretches)
  // the control when the parent's width changes, akBottom likewise for the
  // height. Not applied while the parent loads.
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors anchors) { FAnchors = anchors; }
  // A flag for descendants that size themselves to their content.
  bool AutoSize() const { return FAutoSize; }
  virtual void SetAutoSize(bool value);

  // ---- State ----
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // The control and every parent visible.
  bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);

  // ---- Appearance ----
  TColor Color() const { return FColor; }
  // A different colour clears ParentColor.
  void SetColor(TColor color);
  bool ParentColor() const { return FParentColor; }
  // True takes the parent's colour over now and whenever it changes.
  void SetParentColor(bool value);
  // The control's own font. Any change through it (SetFont, Font()->Set...)
  // clears ParentFont and raises FontChanged; the parent's font changes
  // reach it only while ParentFont is set.
  TFont* Font() const { return FFont; }
  // Copies font (not null) into the control's font.
  void SetFont(TFont* font);
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool value);
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor);

  // ---- Text ----
  // Caption and Text are one byte string. Setting a different value
  // raises TextChanged (CM_TEXTCHANGED); setting the same one raises
  // nothing.
  const AnsiString& Text() const { return FText; }
  virtual void SetText(const AnsiString& text);
  const AnsiString& Caption() const { return FText; }
  void SetCaption(const AnsiString& caption) { SetText(caption); }

  // ---- Hints and menus ----
  const AnsiString& Hint() const { return FHint; }
  void SetHint(const AnsiString& hint) { FHint = hint; }
  bool ShowHint() const { return FShowHint; }
  // A different value clears ParentShowHint.
  void SetShowHint(bool value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool value);
  // The pop-up menu component (cleared when that component is freed).
  TComponent* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TComponent* menu);

  // ---- Events ----
  const TNotifyEvent& OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& handler) { FOnClick = handler; }
  const TNotifyEvent& OnDblClick() const { return FOnDblClick; }
  void SetOnDblClick(const TNotifyEvent& handler) { FOnDblClick = handler; }
  const TMouseEvent& OnMouseDown() const { return FOnMouseDown; }
  void SetOnMouseDown(const TMouseEvent& handler) { FOnMouseDown = handler; }
  const TMouseEvent& OnMouseUp() const { return FOnMouseUp; }
  void SetOnMouseUp(const TMouseEvent& handler) { FOnMouseUp = handler; }
  const TMouseMoveEvent& OnMouseMove() const { return FOnMouseMove; }
  void SetOnMouseMove(const TMouseMoveEvent& handler) { FOnMouseMove = handler; }
  const TNotifyEvent& OnResize() const { return FOnResize; }
  void SetOnResize(const TNotifyEvent& handler) { FOnResize = handler; }

  // ---- Actions (the input dispatch and code call these) ----
  // Raises the current OnClick, hidden or disabled alike; moves no focus.
  virtual void Click();
  virtual void DblClick();
  // Raise OnMouseDown/Up/Move; coordinates are client coordinates.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  // Raises OnResize.
  virtual void Resize();

  // ---- Z-order ----
  // Top (last) or bottom (first) among the parent's children of the same
  // kind: non-windowed controls always lie below windowed ones.
  virtual void BringToFront();
  virtual void SendToBack();

  // ---- Messages ----
  // Calls WndProc now, without a handle.
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Dispatches the messages above to the virtuals below; 0 for others.
  virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

  // ---- Painting (recorded, not drawn) ----
  // Marks the control for repainting; Repaint paints a control with a
  // canvas at once.
  virtual void Invalidate() { FNeedsPaint = true; }
  virtual void Repaint() { FNeedsPaint = false; }
  bool NeedsPaint() const { return FNeedsPaint; }

  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

  // Publishes inherited control properties by name in a descendant's class
  // table, so that each concrete class publishes exactly its own set:
  //
  //   TClassBuilder<TLabel> b;
  //   TControl::PublishInherited<TLabel>(b, {"Align", "Caption", "Color", "Font",
  //                                          "ParentFont", "OnClick"});
  //   TControl::PublishInherited<TLabel>(b, {"AutoSize"}).Default(true);
  //
  // Each name publishes the canonical property with its usual default (a
  // later .Default() replaces the last one's). Names: Align, Anchors,
  // AutoSize, Caption, Text, Color, ParentColor, Font, ParentFont, Enabled,
  // Visible, ShowHint, ParentShowHint, PopupMenu, ClientWidth, ClientHeight,
  // OnClick, OnDblClick, OnMouseDown, OnMouseUp, OnMouseMove, OnResize; for
  // windowed controls also TabOrder, TabStop, OnEnter, OnExit, OnKeyDown,
  // OnKeyUp, OnKeyPress. An unknown name raises EInvalidOperation. Use it
  // only in a .cpp that includes ClassBuilder.h.
  template <class T, class TBuilder>
  static TBuilder& PublishInherited(TBuilder& builder, std::initializer_list<std::string_view> names);

protected:
  // ---- Notifications (a descendant overrides and calls the inherited) ----
  // The control's Enabled/Visible changed (CM_ENABLEDCHANGED,
  // CM_VISIBLECHANGED): a follower (an attached label) tracks its control
  // here.
  virtual void EnabledChanged() {}
  virtual void VisibleChanged() {}
  // The effective font changed: the control's own font or, while
  // ParentFont is set, the parent's. Windowed controls pass it on to the
  // children that follow them.
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void TextChanged() {}
  virtual void ShowHintChanged();
  // The parent's font, colour or hint setting changed, or the control got a
  // new parent: a following control takes it over.
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  virtual void ParentShowHintChanged();

  // The size really changed (not while loading): raises Resize; a windowed
  // control first moves its anchored children and re-lays out its aligned
  // ones.
  virtual void SizeChanged(const TRect& oldClientRect);
  // Asks the parent to re-lay out its aligned children.
  void RequestAlign();

private:
  friend class TWinControl;

  void FontChange(TObject* sender);  // the font's OnChange
  void TearDownControl();

  TWinControl* FParent = nullptr;
  int FLeft = 0;
  int FTop = 0;
  int FWidth = 0;
  int FHeight = 0;
  TAlign FAlign = alNone;
  TAnchors FAnchors{akLeft, akTop};
  bool FAutoSize = false;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = true;
  TFont* FFont = nullptr;
  bool FParentFont = true;
  bool FTakingParentFont = false;  // the font changes because the parent's did
  TCursor FCursor = crDefault;
  AnsiString FText;
  AnsiString FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TComponent* FPopupMenu = nullptr;
  bool FNeedsPaint = false;
  bool FControlTornDown = false;
  TNotifyEvent FOnClick;
  TNotifyEvent FOnDblClick;
  TMouseEvent FOnMouseDown;
  TMouseEvent FOnMouseUp;
  TMouseMoveEvent FOnMouseMove;
  TNotifyEvent FOnResize;
};

// ---- TWinControl ----

// A control with children, a window handle, a place in the tab order and
// the focus. The handle is made on first use (Handle(), HandleNeeded) and
// released when the control is destroyed, so messages posted to it later
// are dropped.
class TWinControl : public TControl, public IWindowTarget {
  KULR_CLASS(TWinControl, TControl)

  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // Frees the children (whoever owns them), releases the handle, then does
  // what every control does.
  void BeforeDestruction() override;

  // ---- Children ----
  // Direct children, windowed and not: the non-windowed ones first, each
  // kind in z-order (bottom first). EListError out of range.
  int ControlCount() const;
  TControl* Controls(int index) const;
  // Whether control is this control or lies anywhere inside it.
  bool ContainsControl(const TControl* control) const;
  // The direct child of that name (ignoring ASCII case); nullptr if none.
  TControl* FindChildControl(std::string_view name) const;

  // ---- Handle ----
  // Made on demand (and the parent's first); EWindowError when the window
  // system refuses.
  HWND Handle();
  bool HandleAllocated() const { return FHandle != 0; }
  void HandleNeeded() { (void)Handle(); }
  // Releases the handle of this control and its windowed children.
  void DestroyHandle();

  // ---- Tab order ----
  // The place among the parent's windowed children, 0..n-1; -1 without a
  // parent. Setting a taken place shifts the others; a value out of range
  // (negative or too big) makes it the last; without a parent it does
  // nothing. While a form resource is read the value is also kept, and the
  // parent puts its children in order in Loaded.
  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool value);
  // The windowed children in tab order, each followed by its own list.
  void GetTabOrderList(std::vector<TWinControl*>& list) const;
  // The next (or previous) control of GetTabOrderList after current,
  // wrapping round, that can take the focus, is a tab stop (checkTabStop)
  // and is a direct child (checkParent); nullptr when there is none.
  TWinControl* FindNextControl(TWinControl* current, bool goForward, bool checkTabStop,
                               bool checkParent) const;
  // Focuses FindNextControl(current, goForward, checkTabStop, !checkTabStop).
  void SelectNext(TWinControl* current, bool goForward, bool checkTabStop);

  // ---- Focus ----
  // This control and every parent up to (not including) its form visible
  // and enabled; false for a control on no form.
  bool CanFocus() const;
  // The form reports this control as the focused one.
  bool Focused() const;
  // Asks the form to move the focus here; EControlError on no form.
  virtual void SetFocus();
  // Raise OnEnter/OnExit; the form calls them in focus order.
  virtual void DoEnter();
  virtual void DoExit();

  // ---- Keys ----
  // Raise OnKeyDown/OnKeyUp/OnKeyPress; a handler consumes the key by
  // setting it to 0, and an override that sees 0 does nothing more.
  virtual void KeyDown(uint16_t& key, TShiftState shift);
  virtual void KeyUp(uint16_t& key, TShiftState shift);
  virtual void KeyPress(char& key);
  // A key the focused control inside this one left unhandled (the form
  // offers it to each container of the focused control, innermost first);
  // true when it was used.
  virtual bool DialogKey(uint16_t key, TShiftState shift) {
    (void)key;
    (void)shift;
    return false;
  }

  const TNotifyEvent& OnEnter() const { return FOnEnter; }
  void SetOnEnter(const TNotifyEvent& handler) { FOnEnter = handler; }
  const TNotifyEvent& OnExit() const { return FOnExit; }
  void SetOnExit(const TNotifyEvent& handler) { FOnExit = handler; }
  const TKeyEvent& OnKeyDown() const { return FOnKeyDown; }
  void SetOnKeyDown(const TKeyEvent& handler) { FOnKeyDown = handler; }
  const TKeyEvent& OnKeyUp() const { return FOnKeyUp; }
  void SetOnKeyUp(const TKeyEvent& handler) { FOnKeyUp = handler; }
  const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
  void SetOnKeyPress(const TKeyPressEvent& handler) { FOnKeyPress = handler; }

  // ---- Alignment ----
  // Lays out the visible aligned children in the client rectangle
  // (AdjustClientRect applied): the alTop group, then alBottom, alLeft,
  // alRight, alClient. Within a group, top and left controls go in order of
  // their Top/Left, bottom and right ones from the outermost edge inwards;
  // the control whose change asked for the layout wins a tie at the top or
  // left and yields one at the bottom or right. Skipped while the control
  // loads (Loaded lays out) or is being destroyed.
  void Realign();
  // Nested; the last EnableAlign re-lays out if anything asked meanwhile.
  void DisableAlign();
  void EnableAlign();
  bool AlignDisabled() const { return FAlignLevel > 0; }

  // ---- Focus hooks a form implements (see the top of this header) ----
  // Called on the form with the control to focus (the form itself
  // included). The default raises EControlError.
  virtual void FormFocusControl(TWinControl* control);
  // The control that has the focus in this form; nullptr by default.
  virtual TWinControl* FormFocusedControl() const { return nullptr; }
  // control (in this form) is hidden or disabled (removing false), or is
  // leaving the form or being destroyed (removing true); it may hold or
  // contain the focus. May come more than once for one removal, also while
  // the form itself is being destroyed. Does nothing by default.
  virtual void FormDefocusControl(TWinControl* control, bool removing);

  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Loaded() override;

protected:
  // Lays out the aligned children of rect; control is the one whose change
  // asked for it (first among equals), or null.
  virtual void AlignControls(TControl* control, TRect& rect);
  // Shrinks the rectangle the children are aligned in (a group box's frame).
  virtual void AdjustClientRect(TRect& rect) const { (void)rect; }
  // A child was inserted (inserting) or removed; after the lists changed.
  virtual void ControlChange(TControl* control, bool inserting) {
    (void)control;
    (void)inserting;
  }
  // A real size change or a WM_SIZE: re-lays out, then Resize.
  virtual void WMSize();
  // The window is made or released (descendants keep per-window state).
  virtual void CreateWnd();
  virtual void DestroyWnd();

  void FontChanged() override;
  void ColorChanged() override;
  void ShowHintChanged() override;
  void SizeChanged(const TRect& oldClientRect) override;

private:
  friend class TControl;

  bool HasChild(const TControl* control) const;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void AlignControl(TControl* control);
  void ApplyAnchors(int deltaWidth, int deltaHeight);
  void MoveTabOrder(TWinControl* control, int order);
  void FixupTabList();
  void RemoveFocus(bool removing);
  void TearDownWinControl();

  std::vector<TControl*> FControls;     // non-windowed children, z-order
  std::vector<TWinControl*> FWinControls;  // windowed children, z-order
  std::vector<TWinControl*> FTabList;   // windowed children, tab order
  HWND FHandle = 0;
  bool FTabStop = false;
  int FReadTabOrder = -1;  // TabOrder given while reading, for FixupTabList
  int FAlignLevel = 0;
  bool FAlignPending = false;
  bool FAligning = false;  // inside AlignControls: the children's own requests are dropped
  bool FWinTornDown = false;
  TNotifyEvent FOnEnter;
  TNotifyEvent FOnExit;
  TKeyEvent FOnKeyDown;
  TKeyEvent FOnKeyUp;
  TKeyPressEvent FOnKeyPress;
};

// ---- TGraphicControl and TCustomControl ----

// A control without a window: never focused, drawn on its parent. Its
// canvas measures text and records what Paint writes.
class TGraphicControl : public TControl {
  KULR_CLASS(TGraphicControl, TControl)

  explicit TGraphicControl(TComponent* owner);

  TCanvas& Canvas() { return FCanvas; }
  // Clears the canvas's record, gives it the control's font and paints.
  void Repaint() override;

protected:
  virtual void Paint() {}

private:
  TCanvas FCanvas;
};

// A windowed control that paints itself: the base of panels, group boxes
// and the custom controls.
class TCustomControl : public TWinControl {
  KULR_CLASS(TCustomControl, TWinControl)

  explicit TCustomControl(TComponent* owner);

  TCanvas& Canvas() { return FCanvas; }
  void Repaint() override;

protected:
  virtual void Paint() {}

private:
  TCanvas FCanvas;
};

// ---- Helpers ----

// The form control lies on: the top of its parent chain when that is a form
// (control itself included); nullptr otherwise or for null.
TCustomForm* GetParentForm(const TControl* control);
// The same, as the windowed control the focus hooks are called on.
TWinControl* GetParentFormControl(const TControl* control);
// The windowed control behind a live handle; nullptr otherwise.
TWinControl* FindControl(HWND handle);

// Registers TControl, TWinControl, TGraphicControl and TCustomControl.
void RegisterControlClasses();

// ---- PublishInherited ----

namespace kulr_detail {
bool SameIdentifier(std::string_view a, std::string_view b);
[[noreturn]] void RaiseUnknownInherited(const char* className, std::string_view name);
}  // namespace kulr_detail

template <class T, class TBuilder>
TBuilder& TControl::PublishInherited(TBuilder& b, std::initializer_list<std::string_view> names) {
  static_assert(std::is_base_of_v<TControl, T>, "PublishInherited publishes control properties");
  using kulr_detail::SameIdentifier;
  for (std::string_view name : names) {
    if (SameIdentifier(name, "Align")) {
      b.Property("Align", &T::Align, &T::SetAlign).Default(alNone);
    } else if (SameIdentifier(name, "Anchors")) {
      b.Property("Anchors", &T::Anchors, &T::SetAnchors).Default(TAnchors{akLeft, akTop});
    } else if (SameIdentifier(name, "AutoSize")) {
      b.Property("AutoSize", &T::AutoSize, &T::SetAutoSize).Default(false);
    } else if (SameIdentifier(name, "Caption")) {
      b.Property("Caption", &T::Caption, &T::SetCaption);
    } else if (SameIdentifier(name, "Text")) {
      b.Property("Text", &T::Text, &T::SetText);
    } else if (SameIdentifier(name, "Color")) {
      b.Property("Color", &T::Color, &T::SetColor);
    } else if (SameIdentifier(name, "ParentColor")) {
      b.Property("ParentColor", &T::ParentColor, &T::SetParentColor).Default(true);
    } else if (SameIdentifier(name, "Font")) {
      b.Property("Font", &T::Font, &T::SetFont);
    } else if (SameIdentifier(name, "ParentFont")) {
      b.Property("ParentFont", &T::ParentFont, &T::SetParentFont).Default(true);
    } else if (SameIdentifier(name, "Enabled")) {
      b.Property("Enabled", &T::Enabled, &T::SetEnabled).Default(true);
    } else if (SameIdentifier(name, "Visible")) {
      b.Property("Visible", &T::Visible, &T::SetVisible).Default(true);
    } else if (SameIdentifier(name, "ShowHint")) {
      b.Property("ShowHint", &T::ShowHint, &T::SetShowHint);
    } else if (SameIdentifier(name, "ParentShowHint")) {
      b.Property("ParentShowHint", &T::ParentShowHint, &T::SetParentShowHint).Default(true);
    } else if (SameIdentifier(name, "PopupMenu")) {
      b.Property("PopupMenu", &T::PopupMenu, &T::SetPopupMenu);
    } else if (SameIdentifier(name, "ClientWidth")) {
      b.Property("ClientWidth", &T::ClientWidth, &T::SetClientWidth);
    } else if (SameIdentifier(name, "ClientHeight")) {
      b.Property("ClientHeight", &T::ClientHeight, &T::SetClientHeight);
    } else if (SameIdentifier(name, "OnClick")) {
      b.Property("OnClick", &T::OnClick, &T::SetOnClick);
    } else if (SameIdentifier(name, "OnDblClick")) {
      b.Property("OnDblClick", &T::OnDblClick, &T::SetOnDblClick);
    } else if (SameIdentifier(name, "OnMouseDown")) {
      b.Property("OnMouseDown", &T::OnMouseDown, &T::SetOnMouseDown);
    } else if (SameIdentifier(name, "OnMouseUp")) {
      b.Property("OnMouseUp", &T::OnMouseUp, &T::SetOnMouseUp);
    } else if (SameIdentifier(name, "OnMouseMove")) {
      b.Property("OnMouseMove", &T::OnMouseMove, &T::SetOnMouseMove);
    } else if (SameIdentifier(name, "OnResize")) {
      b.Property("OnResize", &T::OnResize, &T::SetOnResize);
    } else if constexpr (std::is_base_of_v<TWinControl, T>) {
      if (SameIdentifier(name, "TabOrder")) {
        b.Property("TabOrder", &T::TabOrder, &T::SetTabOrder).Default(-1);
      } else if (SameIdentifier(name, "TabStop")) {
        b.Property("TabStop", &T::TabStop, &T::SetTabStop).Default(false);
      } else if (SameIdentifier(name, "OnEnter")) {
        b.Property("OnEnter", &T::OnEnter, &T::SetOnEnter);
      } else if (SameIdentifier(name, "OnExit")) {
        b.Property("OnExit", &T::OnExit, &T::SetOnExit);
      } else if (SameIdentifier(name, "OnKeyDown")) {
        b.Property("OnKeyDown", &T::OnKeyDown, &T::SetOnKeyDown);
      } else if (SameIdentifier(name, "OnKeyUp")) {
        b.Property("OnKeyUp", &T::OnKeyUp, &T::SetOnKeyUp);
      } else if (SameIdentifier(name, "OnKeyPress")) {
        b.Property("OnKeyPress", &T::OnKeyPress, &T::SetOnKeyPress);
      } else {
        kulr_detail::RaiseUnknownInherited(T::KulrClassName, name);
      }
    } else {
      kulr_detail::RaiseUnknownInherited(T::KulrClassName, name);
    }
  }
  return b;
}
