// The language controller: applies a form's language file (an XML document
// per form class and interface language in the installation's
// "MultiLanguage" folder) to the form and everything it owns, and looks up
// message texts in those files.
//
// A language file: the root element stands for the form; any element whose
// tag is a component's Name stands for that component (the first match
// anywhere in the document); each attribute sets one property, its name a
// path ("Caption", "Font.Color", "Items_3", "Columns_1.Caption",
// "Items_5.Text") and its value the text the property's type is converted
// from. A message is an element named after its key with an attribute "Msg".
//
// Sections: errors; folders and messages; component readers; TLangReader;
// TLanguageController and TZubLangController.
#pragma once

#include <memory>
#include <string_view>

#include "i18n/CodeConverter.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StringList.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/Events.h"
#include "platform/xml/XmlDom.h"

// ---- Errors ----

class LanguageControllerError : public Exception {
public:
  using Exception::Exception;
  const char* ClassName() const override { return "LanguageControllerError"; }
};

// ---- Folders and messages ----

// The language folder of the interface code page of the client profile (the
// server's with serverSide): installation folder + "MultiLanguage/" + "CHS"
// (936), "CHT" (950) or "ENG" (437) + "/". "" for any other code page or
// when the folder does not exist.
AnsiString GetLanguageFolder(bool serverSide);

// The "Msg" attribute of the element named key in fileBase + ".Lng" of the
// language folder; defaultText when there is no folder, no file, no such
// element or attribute, or the file cannot be read. Never raises; the file
// is read anew for every lookup.
AnsiString GetLangMsg(bool serverSide, std::string_view fileBase, std::string_view key,
                      const AnsiString& defaultText);

// ---- Component readers ----

// void(TObject* Sender, TComponent* Component, TXmlNode Element)
KULR_EVENT(TLoadComponentEvent, TObject*, TComponent*, TXmlNode);

// Applies one element's attributes to one component.
class ILangRead {
public:
  virtual ~ILangRead() = default;
  virtual TComponent* GetComponent() const = 0;
  virtual TXmlNode GetElement() const = 0;
  virtual void SetComponent(TComponent* component) = 0;
  virtual void SetElement(const TXmlNode& element) = 0;
  // An integer index selects an attribute by position, a text by name;
  // other values select nothing.
  virtual void ReadItem(const Variant& index) = 0;
  // Every attribute, in document order.
  virtual void ReadAll() = 0;
};

class TComponentRead : public ILangRead {
public:
  TComponentRead(TComponent* component, const TXmlNode& element);

  TComponent* GetComponent() const override { return FComponent; }
  TXmlNode GetElement() const override { return FElement; }
  void SetComponent(TComponent* component) override { FComponent = component; }
  void SetElement(const TXmlNode& element) override { FElement = element; }
  void ReadItem(const Variant& index) override;
  void ReadAll() override;

protected:
  // Walks the attribute's name as a property path from the component and
  // sets what it reaches; paths that lead nowhere are skipped.
  virtual void ApplyAttribute(const TXmlNode& attribute);

private:
  TComponent* FComponent;
  TXmlNode FElement;
};

// A combo box keeps its selected item while its items are replaced.
class TCustomComboBoxRead : public TComponentRead {
public:
  using TComponentRead::TComponentRead;
  void ReadAll() override;
};

class TReaderFactory {
public:
  static std::unique_ptr<ILangRead> CreateReader(TComponent* component, const TXmlNode& element);
};

// ---- TLangReader ----

class TLangReader {
public:
  // document stays the controller's; it outlives the reader.
  explicit TLangReader(const TXmlDocument& document);
  virtual ~TLangReader() = default;

  // Applies the document to component (a form through the root element
  // too), then to every component it owns, in ownership order.
  virtual void ReadComponent(TComponent* component);

  TStringList& ExcludeControls() { return FExclude; }
  TLoadComponentEvent BeforeLoadComponent;
  TLoadComponentEvent AfterLoadComponent;

protected:
  virtual void DoBeforeLoadComponent(TComponent* component, const TXmlNode& element);
  virtual void DoAfterLoadComponent(TComponent* component, const TXmlNode& element);

private:
  void Load(TComponent* component, const TXmlNode& element);
  bool IsExcluded(const AnsiString& name) const;

  const TXmlDocument& FDocument;
  TStringList FExclude;
};

// ---- TLanguageController ----

class TLanguageController : public TComponent {
  KULR_CLASS(TLanguageController, TComponent)
  explicit TLanguageController(TComponent* owner);
  ~TLanguageController() override;

  const AnsiString& FileName() const { return FFileName; }
  void SetFileName(const AnsiString& value) { FFileName = value; }

  // True while a document with a root element is loaded. Setting true loads
  // FileName: LanguageControllerError "Cannot Find File %s!" for no name,
  // the parser's reason for a missing or malformed file. While the form
  // file is read the value is only remembered; Loaded applies it.
  bool Active() const;
  void SetActive(bool value);

  // Replaced by a copy of value (cleared for nil); the reader's copy too.
  TStrings* ExcludeControls() const { return FExcludeControls.get(); }
  void SetExcludeControls(TStrings* value);

  // The reader of the active document; LanguageControllerError "No active
  // LanguageController!" when inactive.
  TLangReader& GetReader() const;
  const TXmlDocument* Document() const { return FDocument.get(); }

  TNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
  TLoadComponentEvent BeforeLoadComponent, AfterLoadComponent;

  void Loaded() override;

protected:
  virtual void DoBeforeOpen();
  virtual void DoAfterOpen();
  virtual void DoBeforeClose();
  virtual void DoAfterClose();

private:
  void Open();
  void Close();
  void ExcludeChanged();

  AnsiString FFileName;
  std::unique_ptr<TXmlDocument> FDocument;
  std::unique_ptr<TLangReader> FReader;
  std::unique_ptr<TStringList> FExcludeControls;
  bool FStreamedActive = false;
};

class TZubLangController : public TLanguageController {
  KULR_CLASS(TZubLangController, TLanguageController)
  explicit TZubLangController(TComponent* owner);

  TDesignType DesignType() const { return FDesignType; }
  void SetDesignType(TDesignType value) { FDesignType = value; }
  // A new name selects the language folder's name + ".Lng" (FileName) and
  // deactivates the controller.
  const AnsiString& LangPackageName() const { return FLangPackageName; }
  void SetLangPackageName(const AnsiString& value);

private:
  TDesignType FDesignType = dtClient;
  AnsiString FLangPackageName;
};

// Registers both controllers for form resources.
void RegisterLanguageControllerClasses();
