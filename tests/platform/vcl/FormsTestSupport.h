// Shared by the focus, forms and dialog tests: an event log the handlers
// write into, handler binding from lambdas, control creation, and a scope
// that gives each test a clean application (no drivers, empty journal, no
// leftover posted messages) and puts the old state back afterwards.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/vcl/Application.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"

using TEventLog = std::vector<std::string>;

inline TNotifyEvent Notify(std::function<void(TObject*)> fn) { return TNotifyEvent::FromFunction(std::move(fn)); }

inline std::string NameOf(const TComponent* c) { return c != nullptr ? std::string(c->Name()) : "nil"; }

// Makes a control of class T named name, owned by owner, inside parent.
template <class T>
T* MakeControl(TComponent* owner, TWinControl* parent, const char* name) {
  T* control = NewObject<T>(owner);
  control->SetName(name);
  control->SetParent(parent);
  return control;
}

class TCleanApplication {
public:
  TCleanApplication() {
    ProcessMessages();
    FModal = Application().SetModalDriver(nullptr);
    FDialog = Application().SetDialogDriver(nullptr);
    Application().ClearJournal();
  }
  ~TCleanApplication() {
    ProcessMessages();
    Application().SetModalDriver(std::move(FModal));
    Application().SetDialogDriver(std::move(FDialog));
    Application().ClearJournal();
  }

private:
  TApplication::TModalDriver FModal;
  TApplication::TDialogDriver FDialog;
};
