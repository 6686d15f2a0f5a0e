// The forms of the base-form tests: a class chain TZUBForm -> TTestBase ->
// TTestForm (forms/TestForm.dfm; TTestBase has no resource of its own), a
// form whose constructor makes glyph buttons, and a dialog
// (forms/TestDialog.dfm) whose F2..F4 actions write into a log.
//
//   TTestForm: lblTitle "软件", edName (ImeName set), and, made by the
//   constructor, pnlInner owning edInner (ImeName set).
//   TTestDialog (caption "软件"): lblTitle "软件", edFirst, edSecond,
//   meNote, grList in tab order.
#pragma once

#include <string>
#include <vector>

#include "forms/base/BaseForms.h"
#include "forms/base/ZUBDialogCF.h"
#include "forms/base/ZUBForm.h"
#include "platform/vcl/Buttons.h"
#include "platform/vcl/ClassBuilder.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/Registration.h"
#include "platform/vcl/StdCtrls.h"

class TTestBase : public TZUBForm {
  KULR_CLASS(TTestBase, TZUBForm)
  explicit TTestBase(TComponent* owner) : TZUBForm(owner) {}
};

inline const TClass& TTestBase::StaticClass() {
  static const TClass& record = TClassBuilder<TTestBase>().Factory().Build();
  return record;
}

class TTestForm : public TTestBase {
  KULR_CLASS(TTestForm, TTestBase)
  explicit TTestForm(TComponent* owner) : TTestBase(owner) {
    // Owned by a panel, as the edits of a composite control are.
    pnlInner = NewObject<TPanel>(this);
    pnlInner->SetParent(this);
    edInner = NewObject<TEdit>(pnlInner);
    edInner->SetParent(pnlInner);
    edInner->SetImeName("inner");
  }

  TLabel* lblTitle = nullptr;
  TEdit* edName = nullptr;
  TPanel* pnlInner = nullptr;
  TEdit* edInner = nullptr;
};

inline const TClass& TTestForm::StaticClass() {
  static const TClass& record = TClassBuilder<TTestForm>()
                                    .Field("lblTitle", &TTestForm::lblTitle)
                                    .Field("edName", &TTestForm::edName)
                                    .Factory()
                                    .Build();
  return record;
}

// Fills bitmap from a picture, one string per row: '.' the background
// (which is the transparent colour: the bottom-left pixel is one), 'D' a
// dark pixel (navy, sum 128), 'L' a light one (yellow, sum 510).
inline void PaintGlyph(TBitmap& bitmap, const std::vector<std::string>& rows, TColor background) {
  bitmap.SetSize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    for (int x = 0; x < bitmap.Width(); ++x) {
      const char c = rows[static_cast<size_t>(y)][static_cast<size_t>(x)];
      bitmap.SetPixel(x, y, c == 'D' ? clNavy : c == 'L' ? clYellow : background);
    }
  }
}

// The one-image glyph of the glyph tests and the marks the greyed image
// follows (worked out by hand): 'D' always; 'L' next to the background,
// where a pixel on the border is its own outer neighbour.
inline const std::vector<std::string> kGlyphRows{"LL...", "LLD..", "LLL..", "....."};

class TGlyphTestForm : public TZUBForm {
  KULR_CLASS(TGlyphTestForm, TZUBForm)
  explicit TGlyphTestForm(TComponent* owner) : TGlyphTestForm(owner, clFuchsia) {}
  TGlyphTestForm(TComponent* owner, TColor background) : TZUBForm(owner) {
    TBitmap glyph;
    PaintGlyph(glyph, kGlyphRows, background);
    btnOne = NewObject<TBitBtn>(this);
    btnOne->SetGlyph(&glyph);
    sbOne = NewObject<TSpeedButton>(this);
    sbOne->SetGlyph(&glyph);
    btnEmpty = NewObject<TBitBtn>(this);
    TBitmap strip;
    PaintGlyph(strip, {"LL...LL...", "LLD..LLD..", "LLL..LLL..", ".........."}, background);
    btnTwo = NewObject<TBitBtn>(this);
    btnTwo->SetGlyph(&strip);
    btnTwo->SetNumGlyphs(2);
  }

  TBitBtn* btnOne = nullptr;
  TSpeedButton* sbOne = nullptr;
  TBitBtn* btnEmpty = nullptr;
  TBitBtn* btnTwo = nullptr;
};

inline const TClass& TGlyphTestForm::StaticClass() {
  static const TClass& record = TClassBuilder<TGlyphTestForm>().Factory().Build();
  return record;
}

class TTestDialog : public TfrmZUBDialog {
  KULR_CLASS(TTestDialog, TfrmZUBDialog)
  explicit TTestDialog(TComponent* owner) : TfrmZUBDialog(owner) {}

  TLabel* lblTitle = nullptr;
  TEdit* edFirst = nullptr;
  TEdit* edSecond = nullptr;
  TMemo* meNote = nullptr;
  TStringGrid* grList = nullptr;

  // "F2 edFirst": the action and the name of its control.
  std::vector<std::string> Log;

  void DoF2(uint16_t key, TControl* control) override {
    Note("F2", control);
    TfrmZUBDialog::DoF2(key, control);
  }
  void DoF3(uint16_t key, TControl* control) override {
    Note("F3", control);
    TfrmZUBDialog::DoF3(key, control);
  }
  void DoF4(uint16_t key, TControl* control) override {
    Note("F4", control);
    TfrmZUBDialog::DoF4(key, control);
  }

private:
  void Note(const char* action, TControl* control) {
    Log.push_back(std::string(action) + " " + (control != nullptr ? std::string(control->Name()) : "nil"));
  }
};

inline const TClass& TTestDialog::StaticClass() {
  static const TClass& record = TClassBuilder<TTestDialog>()
                                    .Field("lblTitle", &TTestDialog::lblTitle)
                                    .Field("edFirst", &TTestDialog::edFirst)
                                    .Field("edSecond", &TTestDialog::edSecond)
                                    .Field("meNote", &TTestDialog::meNote)
                                    .Field("grList", &TTestDialog::grList)
                                    .Factory()
                                    .Build();
  return record;
}

// Generated from forms/*.dfm (CMakeLists.txt).
void RegisterBaseFormTestResources();

// Everything the tests create by name; idempotent.
inline void RegisterBaseFormTestClasses() {
  RegisterStandardClasses();
  RegisterBaseFormClasses();
  RegisterClasses({&TTestBase::StaticClass(), &TTestForm::StaticClass(), &TGlyphTestForm::StaticClass(),
                   &TTestDialog::StaticClass()});
  RegisterBaseFormTestResources();
}
