// The application and the screen of the process. TApplication is the one
// door for user input (keys, characters and mouse buttons as a user makes
// them, routed to the active form), turns exceptions that escape event
// handlers into the standard error box, runs the message loop, holds the
// modal and dialog drivers a test or host installs, and keeps the journal of
// every dialog and modal form shown. TScreen knows the screen size, the
// cursor, the forms and which one is active, and the system fonts. Both are
// headless: nothing here waits for a person.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Events.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"

class TApplication : public TComponent {
  KULR_CLASS(TApplication, TComponent)

  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // ---- Settings ----
  // The caption of the error box and of custom dialogs; the executable's
  // name without folder and extension until set.
  const AnsiString& Title() const { return FTitle; }
  void SetTitle(const AnsiString& title) { FTitle = title; }
  int HintHidePause() const { return FHintHidePause; }
  void SetHintHidePause(int ms) { FHintHidePause = ms; }
  int HintPause() const { return FHintPause; }
  void SetHintPause(int ms) { FHintPause = ms; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool value) { FShowHint = value; }
  // The main form, if one was named (cleared when it is freed).
  TCustomForm* MainForm() const { return FMainForm; }
  void SetMainForm(TCustomForm* form);
  // Screen().ActiveForm().
  TCustomForm* ActiveForm() const;

  // ---- Message loop ----
  // Delivers the posted messages and due timers of the window system until
  // nothing is queued (messages posted meanwhile included; at most 64
  // passes, and held-back messages stay queued); an exception from their
  // handlers goes to HandleException.
  void ProcessMessages();
  bool HandleMessage();

  // ---- Exceptions ----
  // Shows the standard error box (an mtError dialog with OK, captioned with
  // the title) for the exception; a silent EAbort shows nothing. Never
  // raises: a driver that fails on the error box is noted in its journal
  // entry (AnsweredBy stays empty).
  void HandleException(const std::exception& error);
  void HandleException(std::exception_ptr error);
  // Runs action; what it raises goes to HandleException. The input door and
  // the message loop route every handler through this.
  void Guard(const std::function<void()>& action);

  // ---- Input: the one door ----
  // Keys go to the active form (Screen().ActiveForm()): its KeyPreview
  // handlers, the focused control, then the dialog keys (Forms.h). False
  // when there is no active form to take them, or (DispatchKeyDown) the
  // key went to a dialog key and produces no character.
  bool DispatchKeyDown(uint16_t key, TShiftState shift);
  bool DispatchKeyPress(char key);
  bool DispatchKeyUp(uint16_t key, TShiftState shift);
  // A key stroke: down, the character it makes (unless a dialog key used
  // the down, or Ctrl or Alt is held), up.
  void PressKey(uint16_t key, TShiftState shift = {});
  // The character a key makes with shift: letters, digits, space, Enter
  // (13), Esc (27), Tab (9), Backspace (8); 0 for the others.
  static char KeyChar(uint16_t key, TShiftState shift);

  // A mouse button on control at (x, y), client coordinates. A left press
  // on a windowed tab-stop control focuses it first (the old control's
  // exits run); if the focus then went elsewhere, the press stops there.
  // A left release over the control that had the press clicks it; a lone
  // release clicks nothing. False when the control is on no form, on a form
  // below a modal one, or when the press did not reach it.
  bool DispatchMouseDown(TControl* control, TMouseButton button, TShiftState shift, int x, int y);
  bool DispatchMouseUp(TControl* control, TMouseButton button, TShiftState shift, int x, int y);
  // Left press and release at the control's centre, as a user clicks.
  bool UserClick(TControl* control);

  // ---- Modal and dialog drivers ----
  // Called by ShowModal with the shown form; it may type, click and set
  // ModalResult. Returns the driver it replaces.
  using TModalDriver = std::function<void(TCustomForm&)>;
  TModalDriver SetModalDriver(TModalDriver driver);
  const TModalDriver& ModalDriver() const { return FModalDriver; }
  // Called for every message dialog; returns the modal result of one of
  // the shown buttons. Returns the driver it replaces.
  using TDialogDriver = std::function<int(const TDialogRecord&)>;
  TDialogDriver SetDialogDriver(TDialogDriver driver);
  const TDialogDriver& DialogDriver() const { return FDialogDriver; }

  // How many modal loops are running.
  int ModalLevel() const { return FModalLevel; }

  // ---- Journal ----
  const std::vector<TDialogRecord>& Journal() const { return FJournal; }
  void ClearJournal();

  // ---- For the forms' modal loop ----
  // Journals record (with the next serial and the owner) and returns the
  // serial.
  uint64_t JournalOpen(TDialogRecord& record);
  // Fills in the result of the journal entry (if it is still there).
  void JournalClose(uint64_t serial, TModalResult result, const AnsiString& answeredBy);
  // The answer to a dialog: the driver's, or without one the default
  // button's (else the cancel button's). EInvalidOperation naming the
  // dialog when the answer is not a shown button's result.
  TModalResult AnswerDialog(const TDialogRecord& record, AnsiString& answeredBy);
  // The unattended answer: the default button's result, else the cancel
  // button's, else the first button's that has one; mrNone when none has.
  static TModalResult DefaultAnswer(const TDialogRecord& record);
  void EnterModal();
  void LeaveModal();

  void Notification(TComponent* component, TOperation operation) override;

private:
  void Watch(TComponent*& slot, TComponent* value);

  AnsiString FTitle;
  int FHintHidePause = 2500;
  int FHintPause = 500;
  bool FShowHint = true;
  TCustomForm* FMainForm = nullptr;
  TModalDriver FModalDriver;
  TDialogDriver FDialogDriver;
  int FModalLevel = 0;
  std::vector<TDialogRecord> FJournal;
  uint64_t FNextSerial = 1;
  TComponent* FMouseDownControl = nullptr;
  bool FInHandleException = false;
};

class TScreen : public TComponent {
  KULR_CLASS(TScreen, TComponent)

  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  // 1024 x 768 until set; EInvalidOperation for a size below 1.
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, FHeight); }
  void SetHeight(int height) { SetSize(FWidth, height); }

  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor cursor) { FCursor = cursor; }

  // Every form alive, the most recently activated first.
  int FormCount() const { return static_cast<int>(FForms.size()); }
  // EListError out of range.
  TCustomForm* Forms(int index) const;
  // The form that gets the keys: the innermost modal form while one runs,
  // else the form shown or activated last that is still shown.
  TCustomForm* ActiveForm() const { return FActiveForm; }
  // The active form's ActiveControl.
  TWinControl* ActiveControl() const;

  TFont* IconFont() const { return FIconFont; }
  TFont* HintFont() const { return FHintFont; }
  TFont* MenuFont() const { return FMenuFont; }

  // ---- For the forms ----
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);
  // Makes form the active one (Deactivate on the old, Activate on it) and
  // the first of the list.
  void ActivateForm(TCustomForm* form);
  // form is hidden or freed: the next shown form becomes active.
  void FormHidden(TCustomForm* form);

private:
  int FWidth = 1024;
  int FHeight = 768;
  TCursor FCursor = crDefault;
  std::vector<TCustomForm*> FForms;
  TCustomForm* FActiveForm = nullptr;
  TFont* FIconFont;
  TFont* FHintFont;
  TFont* FMenuFont;
};

// The process's application and screen, made on first use and never freed.
TApplication& Application();
TScreen& Screen();

// Registers every class of the forms layer: forms, the message form, the
// button.
void RegisterFormsLayerClasses();
