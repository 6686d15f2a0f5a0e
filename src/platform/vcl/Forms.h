// Forms: the top-level windowed control every dialog and report window is.
// A form owns the focus of its controls (which control is active, the order
// of enter and exit events), shows and hides itself with its events, runs
// modally through the driver the application holds, closes with a close
// query and a close action, and is freed on close by a release that runs
// from the message loop once none of its handlers is on the stack.
//
// Sections: modal results and form enums; the messages a form handles;
// TCustomForm (lifetime, showing, closing, focus, keys, messages); TForm;
// helpers.
//
// Lifetime: create a form with NewObject<T>(owner) (or through its class
// record), so that AfterConstruction reads its resource and raises
// OnCreate; free it with Free(), by its owner or by Release. OnDestroy runs
// once, before any destructor body, whichever of these frees it.
//
// Focus (the contract of Controls.h): SetFocus of a control calls
// FormFocusControl here. The change is synchronous: ActiveControl is the new
// control before anything runs; exits run from the old control up to (not
// including) the nearest control that contains the new one, innermost
// first; then FocusChanged; then enters from below that control down to the
// new one. A SetFocus made inside one of these handlers wins: the rest of
// the interrupted change is dropped, and a control whose exit is running
// counts as still entered, so focusing back inside it raises no second
// enter. On a form that is not shown, a focus change only records
// ActiveControl; the enters run when the form is shown.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/TypInfo.h"
#include "platform/win/Messages.h"

struct TDialogRecord;

// ---- Modal results ----
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

// ---- Form enums ----
KULR_ENUM(TPosition, poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter,
          poDesktopCenter, poMainFormCenter, poOwnerFormCenter)
KULR_ENUM(TBorderIcon, biSystemMenu, biMinimize, biMaximize, biHelp)
KULR_SET(TBorderIcons, TBorderIcon);
KULR_ENUM(TFormBorderStyle, bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin)
KULR_ENUM(TWindowState, wsNormal, wsMinimized, wsMaximized)

// ---- Messages a form handles (besides those of its controls) ----
// WM_CLOSE: Close(), as the close box does. CM_RELEASE (Controls.h): the
// release posted by Release(). UM_CONTROL: a control of this form in lParam,
// handed to ControlMessage; a value that is not a live component of the
// form is ignored.
inline constexpr UINT UM_CONTROL = WM_USER + 10;

class TMainMenu;

class TCustomForm : public TWinControl {
  KULR_CLASS(TCustomForm, TWinControl)

  explicit TCustomForm(TComponent* owner);
  ~TCustomForm() override;

  // Reads the form's resource (the nearest class of its chain that has
  // one), then raises OnCreate.
  void AfterConstruction() override;
  // Raises OnDestroy (once; an exception there goes to the application's
  // error box so that the form is still freed), leaves the screen, then
  // frees the controls.
  void BeforeDestruction() override;

  TCustomForm* AsForm() const override { return const_cast<TCustomForm*>(this); }

  // ---- Showing ----
  // Visible is the form's shown state: true shows it (position, OnShow,
  // activation, then the enters of the active control), false hides it
  // (OnHide only when it was shown). Hiding keeps the focus where it is:
  // switching between forms raises no enter or exit.
  void SetVisible(bool value) override;
  void Show();
  void Hide();
  // Shows the form modally and returns its modal result. The application's
  // modal driver acts on the shown form (a message dialog form goes to the
  // dialog driver instead); the loop ends when ModalResult is not 0 (after
  // OnCloseQuery and OnClose agree) or the form is closed. Without a driver
  // the result is mrCancel. EInvalidOperation for a form that is already
  // shown or modal, or that refuses every way of closing.
  int ShowModal();
  bool Modal() const { return FModal; }
  TModalResult ModalResult() const { return FModalResult; }
  void SetModalResult(TModalResult value) { FModalResult = value; }

  // ---- Closing ----
  // OnCloseQuery, then OnClose with caHide; then per action: caHide hides,
  // caMinimize minimises, caFree releases, caNone does nothing. A modal form
  // only gets ModalResult mrCancel here: its loop does the rest. A form
  // already released ignores it.
  void Close();
  // Raises OnCloseQuery; true when the form may close.
  virtual bool CloseQuery();
  // Frees the form from the message loop: posts CM_RELEASE, which is held
  // back while a handler of this form runs or a modal loop opened after
  // the form was made is still running. Asking twice posts once.
  void Release();
  bool Releasing() const { return FReleasing; }

  // ---- Properties ----
  // The menu bar (Menus.h keeps the link and breaks it when either side is
  // freed).
  TMainMenu* Menu() const;
  void SetMenu(TMainMenu* menu);
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool value) { FKeyPreview = value; }
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons value) { FBorderIcons = value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState value);

  // ---- Focus ----
  // The control that has (or, on a form not shown, will get) the focus.
  TWinControl* ActiveControl() const { return FActiveControl; }
  // Focuses control (null: the form itself). EInvalidOperation "Invalid
  // active control" for a control of another form; on a shown form
  // "Cannot focus a disabled or invisible window" when it cannot take the
  // focus. While the form is read from its resource it is only recorded.
  void SetActiveControl(TWinControl* control);
  // The innermost control whose enter has run and whose exit has not.
  TWinControl* FocusedControl() const { return FFocusedControl; }
  // Focuses the first control in tab order that can take the focus.
  void SelectFirst();

  void FormFocusControl(TWinControl* control) override;
  TWinControl* FormFocusedControl() const override;
  void FormDefocusControl(TWinControl* control, bool removing) override;

  // ---- Keys (the application's input dispatch calls these) ----
  // A key as the user presses it on this form: the form's own handlers
  // first when KeyPreview is set, then the focused control, then the
  // dialog keys (Tab and Shift+Tab move the focus; Enter clicks the
  // focused or default button, Esc the cancel button). Returns true when a
  // dialog key used the key (no character follows it then).
  bool DispatchKeyDown(uint16_t& key, TShiftState shift);
  void DispatchKeyPress(char& key);
  void DispatchKeyUp(uint16_t& key, TShiftState shift);

  // ---- Events ----
  const TNotifyEvent& OnCreate() const { return FOnCreate; }
  void SetOnCreate(const TNotifyEvent& h) { FOnCreate = h; }
  const TNotifyEvent& OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(const TNotifyEvent& h) { FOnDestroy = h; }
  const TNotifyEvent& OnShow() const { return FOnShow; }
  void SetOnShow(const TNotifyEvent& h) { FOnShow = h; }
  const TNotifyEvent& OnHide() const { return FOnHide; }
  void SetOnHide(const TNotifyEvent& h) { FOnHide = h; }
  const TCloseEvent& OnClose() const { return FOnClose; }
  void SetOnClose(const TCloseEvent& h) { FOnClose = h; }
  const TCloseQueryEvent& OnCloseQuery() const { return FOnCloseQuery; }
  void SetOnCloseQuery(const TCloseQueryEvent& h) { FOnCloseQuery = h; }
  const TNotifyEvent& OnActivate() const { return FOnActivate; }
  void SetOnActivate(const TNotifyEvent& h) { FOnActivate = h; }
  const TNotifyEvent& OnDeactivate() const { return FOnDeactivate; }
  void SetOnDeactivate(const TNotifyEvent& h) { FOnDeactivate = h; }

  // ---- Messages ----
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  bool DeferMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

  // Whether value is the address of a live component of this form: one it
  // owns (at any depth) or a control inside it. Never dereferences value.
  bool IsOwnComponent(uintptr_t value) const;

  // Marks a handler of this form as running for the scope's lifetime: the
  // form's release waits until every scope has closed.
  class THandlerScope {
  public:
    explicit THandlerScope(TCustomForm* form);
    ~THandlerScope();
    THandlerScope(const THandlerScope&) = delete;
    THandlerScope& operator=(const THandlerScope&) = delete;

  private:
    TCustomForm* FForm;
  };
  int HandlerDepth() const { return FHandlerDepth; }

  // For the application's modal loop and the dialog path: fills record
  // when this form is a message dialog (text, kind, buttons); false for an
  // ordinary form, which goes to the modal driver.
  virtual bool DescribeDialog(TDialogRecord& record) const;
  // The modal loop's end: OnCloseQuery and OnClose for the modal result
  // set; caNone keeps the form open (ModalResult back to 0, false), caFree
  // releases it. True when the form may leave the loop.
  bool CloseModal();

  // Raised by the application when it makes this form the active one and
  // when another form takes over.
  virtual void Activate();
  virtual void Deactivate();

protected:
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  // The focus went to control (null: the form itself), after the exits of
  // the change and before its enters. Does nothing here.
  virtual void FocusChanged(TWinControl* control);
  // UM_CONTROL with a control of this form; returns the message result.
  // Does nothing (0) here.
  virtual LRESULT ControlMessage(TControl* control, WPARAM wParam);

private:
  friend class TScreen;

  void ShowForm();
  void HideForm();
  void ApplyPosition();
  void ChangeFocus(TWinControl* target);
  void Track(TWinControl* control);
  bool IsExiting(const TWinControl* control) const;
  TWinControl* FocusParent(const TWinControl* control) const;
  bool PressDialogButton(uint16_t key);

  TWinControl* FActiveControl = nullptr;
  TWinControl* FFocusedControl = nullptr;
  std::vector<TWinControl*> FExiting;  // controls whose exit handler runs
  uint64_t FFocusSerial = 0;
  bool FKeyPreview = false;
  TPosition FPosition = poDesigned;
  TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
  TFormBorderStyle FBorderStyle = bsSizeable;
  TWindowState FWindowState = wsNormal;
  TModalResult FModalResult = mrNone;
  bool FShown = false;       // OnShow ran and OnHide has not
  bool FModal = false;
  bool FReleasing = false;
  bool FDestroyRaised = false;
  bool* FModalAlive = nullptr;  // ShowModal's flag, cleared when the form is freed
  int FHandlerDepth = 0;
  int FModalLevelAtCreation = 0;
  TNotifyEvent FOnCreate;
  TNotifyEvent FOnDestroy;
  TNotifyEvent FOnShow;
  TNotifyEvent FOnHide;
  TCloseEvent FOnClose;
  TCloseQueryEvent FOnCloseQuery;
  TNotifyEvent FOnActivate;
  TNotifyEvent FOnDeactivate;
};

// The form of the form resources: publishes what a designed form sets.
class TForm : public TCustomForm {
  KULR_CLASS(TForm, TCustomForm)
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
};

// The form behind a live window handle; nullptr for any other handle.
TCustomForm* FindForm(HWND handle);

// Registers TCustomForm and TForm for the form reader.
void RegisterFormsClasses();
