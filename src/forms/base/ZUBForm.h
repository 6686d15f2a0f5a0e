// ZUBForm: the form every form of the plug-in descends from. Its design owns
// the code converter and the language controller; creating it clears forced
// input methods, switches fonts for the English interface and gives buttons
// with a one-image glyph a greyed disabled image; showing it applies the
// language files of its class chain. Descendants reach the converter's
// settings, its message dialog and the language files' messages through it.
//
// Disabled glyphs by class: a component of a class with a glyph rule gets
// its buttons' disabled images from that rule. Speed buttons and bit buttons
// have theirs here; a unit that brings a class holding glyph buttons inside
// it registers its rule with RegisterDisabledGlyphRule.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "i18n/CodeConverter.h"
#include "i18n/LanguageController.h"
#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"

// ---- Disabled glyphs by class ----

// Gives the glyph buttons of component (the component itself, or buttons
// inside it) their disabled image.
using TDisabledGlyphRule = void (*)(TComponent* component);
// Registers (or replaces) the rule of aClass. A component gets the rule of
// the first class it inherits from, the classes taken in the order of
// ClassesNeedingDisabledGlyphRules and then in registration order, as a
// chain of class tests would: a descendant of a listed class gets that
// class's rule (a glyph speed button the speed buttons').
void RegisterDisabledGlyphRule(const TClass& aClass, TDisabledGlyphRule rule);
// The rule a component of aClass gets; nil when none.
TDisabledGlyphRule FindDisabledGlyphRule(const TClass& aClass);
// The classes, by name and in the order they are tested, whose glyphs get a
// disabled image: each must have a rule once it is registered (a test
// checks it).
const std::vector<const char*>& ClassesNeedingDisabledGlyphRules();

class TZUBForm : public TForm {
  KULR_CLASS(TZUBForm, TForm)
  explicit TZUBForm(TComponent* owner);

  // Bound by name from the form resource.
  TCodeConverter* ZubConverter = nullptr;
  TZubLangController* LangController = nullptr;

  // Whether ConvertOnce has converted the form.
  bool Converted() const { return FConverted; }
  // Whether showing the form applies its language files (true from
  // creation on).
  bool LanguageOnShow() const { return FLanguageOnShow; }
  void SetLanguageOnShow(bool value) { FLanguageOnShow = value; }

  // OnCreate: runs before any descendant's creation code, which calls it
  // first. Clears ImeName on every owned component that publishes it; with
  // the English interface ("437") gives every owned component with a Font
  // "Tahoma" with GB2312_CHARSET; then runs the disabled-glyph rules.
  void FormCreate(TObject* sender);
  // OnShow: applies the language files of the class chain while
  // LanguageOnShow, on every show. A malformed file raises the language
  // controller's error.
  void FormShow(TObject* sender);

  // Converts the form with the converter the first time only.
  void ConvertOnce();
  // The converter's message dialog (CodeConverter.h).
  int ShowMessageDialog(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons);

  AnsiString GetSystemCodePage() const;
  AnsiString GetUICodePage() const;
  uint8_t GetUIConvertMode() const;
  uint8_t GetDBConvertMode() const;

  // ApplyLanguageFiles(this, withAncestors).
  void ApplyLanguage(bool withAncestors);
  // Applies to target the language files named after its class and, with
  // withAncestors, after each ancestor below the plain form class, oldest
  // first, so that a descendant's file overrides its ancestors'. Missing
  // files are skipped; without a language folder nothing is read.
  virtual void ApplyLanguageFiles(TComponent* target, bool withAncestors);
  // The same without TZUBForm's own file.
  virtual void ApplyDerivedLanguageFiles(TComponent* target, bool withAncestors);

  // The "Msg" of key in fileBase's language file (LanguageController.h),
  // defaultText when there is none; convertDefault first passes defaultText
  // through the converter's ToUI. Never raises.
  AnsiString GetLangMsg(std::string_view fileBase, std::string_view key, bool convertDefault,
                        const AnsiString& defaultText) const;

  // Gives a one-image glyph its disabled image: the glyph becomes twice as
  // wide, the original at the left, at the right the embossed grey image of
  // a disabled button (the glyph's outline and dark pixels in the button
  // shadow colour with a button-highlight copy one pixel down and to the
  // right, on the button face). False, with nothing changed, for a nil or
  // empty glyph.
  static bool AddDisabledGlyph(TBitmap* glyph);

protected:
  TCodeConverter& Converter() const;
  TZubLangController& Controller() const;

private:
  void ApplyClassChain(TComponent* target, bool withAncestors, bool withBase);

  bool FConverted = false;
  bool FLanguageOnShow = true;
};

// What a glyph rule does to one button (a TSpeedButton, a TBitBtn or any
// class with Glyph, NumGlyphs and SetNumGlyphs): a button whose glyph holds
// one image gets the disabled image as its second.
template <class TButtonClass>
void AddDisabledImage(TButtonClass* button) {
  if (button == nullptr || button->NumGlyphs() != 1) return;
  if (TZUBForm::AddDisabledGlyph(button->Glyph())) button->SetNumGlyphs(2);
}

// Registers TZUBForm and the glyph rules of the speed and bit buttons.
void RegisterZUBFormClasses();
