// The form of forms/ButtonsTestForm.dfm, shared by the button, panel,
// radio group, splitter, timer and spin edit tests. Its handlers write
// "<handler> <sender name>" into Log.
//
//   ButtonsTestForm 400 x 300
//     pnlTop (alTop, 60 high; bevels raised + lowered, width 2, border 3)
//       btnBold (group 1, down), btnItalic (group 1), btnPlain (group 0)
//     pnlBottom (alBottom, no bevel)
//       btnOther (group 1, down: another parent, another group)
//       seCount (-99..99, value 5), btnOk (bkOK, caption "确定"),
//       btnCancel (bkCancel), btnClose (bkClose)
//     pnlLeft (alLeft, 100 wide), Splitter1 (alLeft, MinSize 40, rsUpdate)
//     rgKind (alClient, 2 columns, items 日 周 月, ItemIndex 1)
//     tmrSearch (500 ms)
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/Buttons.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Spin.h"

class TButtonsTestForm : public TForm {
  KULR_CLASS(TButtonsTestForm, TForm)
  explicit TButtonsTestForm(TComponent* owner) : TForm(owner) {}

  TPanel* pnlTop = nullptr;
  TSpeedButton* btnBold = nullptr;
  TSpeedButton* btnItalic = nullptr;
  TSpeedButton* btnPlain = nullptr;
  TPanel* pnlBottom = nullptr;
  TSpeedButton* btnOther = nullptr;
  TSpinEdit* seCount = nullptr;
  TBitBtn* btnOk = nullptr;
  TBitBtn* btnCancel = nullptr;
  TBitBtn* btnClose = nullptr;
  TPanel* pnlLeft = nullptr;
  TSplitter* Splitter1 = nullptr;
  TRadioGroup* rgKind = nullptr;
  TTimer* tmrSearch = nullptr;

  std::vector<std::string> Log;

  void SpeedClick(TObject* sender) { Note("SpeedClick", sender); }
  void ButtonClick(TObject* sender) { Note("ButtonClick", sender); }
  void SplitterMoved(TObject* sender) { Note("SplitterMoved", sender); }
  void TimerFired(TObject* sender) { Note("TimerFired", sender); }

private:
  void Note(const char* handler, TObject* sender) {
    auto* component = dynamic_cast<TComponent*>(sender);
    Log.push_back(std::string(handler) + " " + (component != nullptr ? std::string(component->Name()) : "?"));
  }
};

inline const TClass& TButtonsTestForm::StaticClass() {
  static const TClass& record = TClassBuilder<TButtonsTestForm>()
                                    .Field("pnlTop", &TButtonsTestForm::pnlTop)
                                    .Field("btnBold", &TButtonsTestForm::btnBold)
                                    .Field("btnItalic", &TButtonsTestForm::btnItalic)
                                    .Field("btnPlain", &TButtonsTestForm::btnPlain)
                                    .Field("pnlBottom", &TButtonsTestForm::pnlBottom)
                                    .Field("btnOther", &TButtonsTestForm::btnOther)
                                    .Field("seCount", &TButtonsTestForm::seCount)
                                    .Field("btnOk", &TButtonsTestForm::btnOk)
                                    .Field("btnCancel", &TButtonsTestForm::btnCancel)
                                    .Field("btnClose", &TButtonsTestForm::btnClose)
                                    .Field("pnlLeft", &TButtonsTestForm::pnlLeft)
                                    .Field("Splitter1", &TButtonsTestForm::Splitter1)
                                    .Field("rgKind", &TButtonsTestForm::rgKind)
                                    .Field("tmrSearch", &TButtonsTestForm::tmrSearch)
                                    .Method("SpeedClick", &TButtonsTestForm::SpeedClick)
                                    .Method("ButtonClick", &TButtonsTestForm::ButtonClick)
                                    .Method("SplitterMoved", &TButtonsTestForm::SplitterMoved)
                                    .Method("TimerFired", &TButtonsTestForm::TimerFired)
                                    .Factory()
                                    .Build();
  return record;
}

// Registers the classes the resource uses, the form class and the test
// resources; idempotent.
void RegisterButtonsTestClasses();
