// TCodeConverter: reconciles the code pages of the designed forms (GBK,
// simplified), the user interface and the database. It converts a form's
// visible texts once (ConvertForm), sets fonts for the mode, shows message
// dialogs in the same style, and converts texts travelling to and from the
// database or the server. The conversion of a text itself is the
// translator's (TranslatorU.h); this unit decides what is converted, when
// and in which direction.
//
// Modes: 0 nothing; 1 traditional to simplified; 2 simplified to
// traditional; 3 and 4 no text change (fonts only). The user-interface and
// database modes come from the client profile (THelmarIniC).
//
// Class rules: after the property rules, a component gets the rule of the
// nearest class in its class chain that has one. The standard rules (list
// views, tab sets, combo boxes, menus, tree views, string grids) are
// registered by the converter itself; a unit that brings another class with
// texts outside its published text properties registers its rule with
// RegisterConvertClassRule.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "i18n/TranslatorU.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"

KULR_ENUM(TDesignType, dtClient, dtServer)

class TCodeConverter;

// A class rule: converts what the property rules cannot reach in component,
// with mode 1 or 2 (or 4 for rules registered with inMode4).
using TConvertClassRule = void (*)(TCodeConverter& converter, TComponent* component, int mode);
// Registers (or replaces) the rule of aClass. inMode4: the rule also runs in
// mode 4, where no text changes (the menu rule).
void RegisterConvertClassRule(const TClass& aClass, TConvertClassRule rule, bool inMode4 = false);
// The rule of the nearest class of aClass's chain that has one; nil when none.
TConvertClassRule FindConvertClassRule(const TClass& aClass, int mode);

// The classes whose texts live outside their published text properties, by
// name: each must have a rule once it is registered (a test checks it).
const std::vector<const char*>& ClassesNeedingConvertRules();

class TCodeConverter : public TComponent {
  KULR_CLASS(TCodeConverter, TComponent)
  // Reads the client profile (LoadSettings) and, when the user-interface
  // mode is not 0, loads the translator: the translator's errors pass to
  // the caller, so a form whose converter cannot load is not made.
  explicit TCodeConverter(TComponent* owner);
  ~TCodeConverter() override;

  // Converts the form's texts and fonts with the user-interface mode; does
  // nothing without a translator. The caller runs it once per form.
  void ConvertForm(TCustomForm* form);

  // A text, or an array of texts (nested one-dimensional arrays recursively,
  // two-dimensional ones cell by cell), converted by mode 1 or 2. Any other
  // mode, no translator, Empty or Null: value unchanged. Converted elements
  // come back as texts (numbers included); in a one-dimensional array an
  // Empty element becomes "", in a two-dimensional one it stays Empty.
  Variant ConvertValue(int mode, const Variant& value) const;
  // Design-time texts shown to the user: ConvertValue(UIConvertMode).
  Variant ToUI(const Variant& value) const;
  // The reverse of ToUI; any error returns value.
  Variant FromUI(const Variant& value) const;
  // Texts read from the database or the server: ConvertValue(DBConvertMode).
  Variant FromDB(const Variant& value) const;
  // The reverse of FromDB; any error returns value.
  Variant ToDB(const Variant& value) const;
  // One text through the translator; unchanged without one; "" for "".
  AnsiString Big5ToGB(const AnsiString& text) const;
  AnsiString GBToBig5(const AnsiString& text) const;

  // Mode 0, 1 and 4: "SimSun" with GB2312_CHARSET; 2 and 3: "SimSun" with
  // CHINESEBIG5_CHARSET; other modes leave the font alone.
  static void SetFontForMode(int mode, TFont* font);

  // A message dialog in the form's style: "" shows nothing and gives 0; six
  // blanks are appended when either the user-interface or the system code
  // page is "936"; the caption is the owner form's (restored first when
  // minimised); the font follows the user-interface mode. The modal result.
  int ShowMessageDialog(const AnsiString& text, TMsgDlgType dialogType, TMsgDlgButtons buttons);

  TTranslator* Translator() const { return FTranslator.get(); }
  const AnsiString& SystemCodePage() const { return FSystemCodePage; }
  const AnsiString& UICodePage() const { return FUICodePage; }
  const AnsiString& DBCodePage() const { return FDBCodePage; }
  uint8_t UIConvertMode() const { return FUIConvertMode; }
  uint8_t DBConvertMode() const { return FDBConvertMode; }

  // Which profile LoadSettings reads. Streamed with the form; a value read
  // from the form file does not reload the settings (made once, in the
  // constructor, from the client profile).
  TDesignType DesignType() const { return FDesignType; }
  void SetDesignType(TDesignType value) { FDesignType = value; }

  // The text of one item converted with mode (1: Big5ToGB, 2: GBToBig5,
  // other: unchanged); for the class rules.
  AnsiString ConvertText(int mode, const AnsiString& text) const;

private:
  void LoadSettings();
  void ConvertFormCaption(TCustomForm* form);
  void ConvertTextProperty(TObject* object, const char* name, int mode);
  void ConvertComponent(TComponent* component, int mode);

  std::unique_ptr<TTranslator> FTranslator;
  AnsiString FSystemCodePage = "936";
  AnsiString FUICodePage = "936";
  AnsiString FDBCodePage = "936";
  uint8_t FUIConvertMode = 0;
  uint8_t FDBConvertMode = 0;
  TDesignType FDesignType = dtClient;
  TStringList FList;  // made and freed with the converter; holds nothing
};

// Registers TCodeConverter and its enumeration for form resources.
void RegisterCodeConverterClasses();
