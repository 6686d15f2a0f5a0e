#include "forms/base/ZUBDialogCF.h"

#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/StdCtrls.h"

TfrmZUBDialog::TfrmZUBDialog(TComponent* owner) : TZUBForm(owner) {}

void TfrmZUBDialog::FormCreate(TObject* sender) {
  TZUBForm::FormCreate(sender);
  // Through ConvertOnce, so that a descendant's ConvertOnce cannot convert
  // the texts a second time (simplified to traditional twice garbles them).
  ConvertOnce();
  if (auto* ownerForm = dynamic_cast<TCustomForm*>(Owner())) SetCaption(ownerForm->Caption());
}

void TfrmZUBDialog::FormKeyDown(TObject*, uint16_t& key, TShiftState) {
  switch (key) {
    case VK_F2:
      DoF2(key, ActiveControl());
      break;
    case VK_F3:
      DoF3(key, ActiveControl());
      break;
    case VK_F4:
      DoF4(key, ActiveControl());
      break;
    default:
      break;
  }
}

void TfrmZUBDialog::FormKeyPress(TObject*, char& key) {
  if (key != '\r') return;
  TWinControl* active = ActiveControl();
  for (const TControl* c = active; c != nullptr && c != this; c = c->Parent()) {
    // A memo breaks the line; a grid (or the editor of one of its cells)
    // ends or starts the cell's editing.
    if (c == active && c->Is<TCustomMemo>()) return;
    if (c->Is<TCustomGrid>()) return;
  }
  key = 0;
  SelectNext(active, true, true);
}

void TfrmZUBDialog::FocusIfPossible(TControl* control) {
  auto* windowed = dynamic_cast<TWinControl*>(control);
  if (windowed != nullptr && windowed->CanFocus()) windowed->SetFocus();
}

void TfrmZUBDialog::DoF2(uint16_t, TControl* control) { FocusIfPossible(control); }
void TfrmZUBDialog::DoF3(uint16_t, TControl* control) { FocusIfPossible(control); }
void TfrmZUBDialog::DoF4(uint16_t, TControl* control) { FocusIfPossible(control); }

LRESULT TfrmZUBDialog::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg != UM_DIALOG_F2 && msg != UM_DIALOG_F3 && msg != UM_DIALOG_F4)
    return TZUBForm::WndProc(msg, wParam, lParam);
  THandlerScope scope(this);
  // The address is compared with the form's own components before it is
  // ever used as a pointer.
  if (!IsOwnComponent(static_cast<uintptr_t>(lParam))) return 0;
  auto* control = dynamic_cast<TControl*>(reinterpret_cast<TComponent*>(lParam));
  if (control == nullptr) return 0;
  if (msg == UM_DIALOG_F2)
    DoF2(VK_F2, control);
  else if (msg == UM_DIALOG_F3)
    DoF3(VK_F3, control);
  else
    DoF4(VK_F4, control);
  return 0;
}

const TClass& TfrmZUBDialog::StaticClass() {
  static const TClass& record = []() -> const TClass& {
    TClassBuilder<TfrmZUBDialog> b;
    b.Method("FormCreate", &TfrmZUBDialog::FormCreate)
        .Method("FormKeyDown", &TfrmZUBDialog::FormKeyDown)
        .Method("FormKeyPress", &TfrmZUBDialog::FormKeyPress)
        .Factory();
    return b.Build();
  }();
  return record;
}

void RegisterZUBDialogClasses() { RegisterClass(TfrmZUBDialog::StaticClass()); }
