// The demo host's application object: what the plug-in reaches through the
// controller's HostObject. It answers messages from the company database,
// records help and file-description requests, and hands out the system,
// query and lookup services (one object of each, shared by every caller).
// It also carries the script hook (ScriptDatePick, ScriptLookup,
// ScriptPhrase) and the journal, reachable late-bound by the demo and
// directly through Script() by tests.
#pragma once

#include <memory>

#include "host/CompanyDb.h"
#include "host/HostScript.h"
#include "platform/com/DispatchObject.h"

struct THostOptions {
  int32_t VersionType = 1;
  int32_t ProductID = 1;
};

class THostApplication : public TDispatchObject {
public:
  // A new application object over an open company database; the caller
  // takes the first reference.
  static TDispatchRef Create(std::shared_ptr<TCompanyDb> db, THostOptions options = {});

  THostApplication(std::shared_ptr<TCompanyDb> db, THostOptions options);

  THostScript& Script() { return *FScript; }
  TCompanyDb& Database() { return *FDb; }

  // ---- Members ----
  int32_t VersionType();
  int32_t ProductID();
  // The text of message Type/Number (936 bytes, %s placeholders). Type is
  // one letter, Number six digits (EHostError otherwise); a code missing
  // from the table answers a text that names it, so that the user still
  // learns which message was meant.
  AnsiString GetMessage(const Variant& type, const Variant& number);
  // [module, topic]: recorded with the topic's title when the help table has it.
  void CallHelp(const Variant& request);
  // [lower-case file name]: the file's description in the tagged form
  // "<File><Name>…</Name><Modify>stamp</Modify><Path>source</Path></File>";
  // "" for a file the host does not describe.
  AnsiString GetFileList(const Variant& request);
  TDispatchRef ComCounter();
  TDispatchRef ComValidator();
  TDispatchRef ComF2Window();

  void ScriptDatePickMember(const AnsiString& answer);
  void ScriptLookupMember(const Variant& answer);
  void ScriptPhraseMember(const AnsiString& answer);
  AnsiString JournalTextMember();

protected:
  const TDispatchTable& DispatchTable() const override;

private:
  std::shared_ptr<TCompanyDb> FDb;
  std::shared_ptr<THostScript> FScript;
  THostOptions FOptions;
  TDispatchRef FSystemService;
  TDispatchRef FQueryService;
  TDispatchRef FLookupService;
};
