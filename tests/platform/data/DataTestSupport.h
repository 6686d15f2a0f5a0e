// Test support for the data sets: an application server object on a store
// in a temporary folder with schemes inserted the way the condition form
// saves them, a connection and a client data set owned by one component,
// and a scripted server object whose provider answers any data packet.
#pragma once

#include <gtest/gtest.h>

#include <span>
#include <vector>

#include "appserver/AppServerObjects.h"
#include "platform/com/DispatchObject.h"
#include "platform/com/OleCall.h"
#include "platform/data/DBClient.h"
#include "platform/data/SConnect.h"
#include "platform/rtl/Variant.h"
#include "platform/win/TempDir.h"

inline constexpr char TestUser[] = "U01";
inline constexpr char TestProgram[] = "KULR31";

// A server object whose AS_GetRecords answers Packet, whatever the name;
// AS_GetRecords raises while Packet is Empty.
class TScriptedServer : public TDispatchObject {
public:
  Variant Packet;
  AnsiString LastProvider;

  Variant AS_GetRecords(const AnsiString& provider) {
    LastProvider = provider;
    if (Packet.IsEmpty()) throw Exception("no provider \"" + provider + "\"");
    return Packet;
  }

protected:
  const TDispatchTable& DispatchTable() const override {
    static const TDispatchTable table = TDispatchTableBuilder<TScriptedServer>("TScriptedServer")
                                            .AddMethod("AS_GetRecords", &TScriptedServer::AS_GetRecords)
                                            .Build();
    return table;
  }
};

// [FieldName, DataType, Size, DisplayLabel]
inline Variant FieldDef(const char* name, const char* type, int32_t size, const char* label) {
  return VarArrayOf({Variant(name), Variant(type), Variant(size), Variant(label)});
}

inline Variant Packet(std::vector<Variant> defs, std::vector<Variant> rows) {
  return VarArrayOf({VarArrayOf(std::move(defs)), VarArrayOf(std::move(rows))});
}

// An owner with SocketConnection1 and ClientDataSet1 on the provider "pvdConSave".
class TDataSetTest : public ::testing::Test {
protected:
  TDataSetTest() {
    FConnection = NewObject<TSocketConnection>(&FOwner);
    FConnection->SetName("SocketConnection1");
    FConnection->SetServerName("DerezaRozududA.dmReportCounter");
    FConnection->SetAddress("127.0.0.1");
    FDataSet = NewObject<TClientDataSet>(&FOwner);
    FDataSet->SetName("ClientDataSet1");
    FDataSet->SetRemoteServer(FConnection);
    FDataSet->SetProviderName("pvdConSave");
  }

  // The report server on this test's store, made the connection's server.
  void ConnectReportServer() {
    FServer = Variant(TDispatchRef(CreateAppServerObject(
        "DerezaRozududA.dmReportCounter", TAppServerConfig{FDir / "appserver.db", 936})));
    FConnection->SetAppServer(FServer);
  }

  void InsertScheme(const char* name, const char* values, const char* date = "20260105",
                    const char* user = TestUser) {
    Variant args = VarArrayOf({Variant(name), Variant(user), Variant(date), Variant(TestProgram),
                               Variant("pnl1.style;ed1.text"), Variant(values), Variant(false)});
    ASSERT_EQ(VarToStr(OleCall(FServer, "InsertConTable", {Variant::ByRef(args)})), "") << name;
  }

  void LoadTable(const char* user = TestUser) {
    Variant args = VarArrayOf({Variant(user), Variant(TestProgram)});
    OleCall(FServer, "LoadTable", {Variant::ByRef(args)});
  }

  // The values of a field over every record, in cursor order.
  std::vector<AnsiString> Column(const char* field) {
    std::vector<AnsiString> values;
    FDataSet->First();
    for (int i = 0; i < FDataSet->RecordCount(); ++i) {
      values.push_back(FDataSet->FieldByName(field)->AsString());
      FDataSet->Next();
    }
    return values;
  }

  // A scripted server made the connection's server; the test sets its packet.
  TScriptedServer& ConnectScripted() {
    auto* server = new TScriptedServer;
    FServer = Variant(TDispatchRef(server));
    FConnection->SetAppServer(FServer);
    return *server;
  }

  TTempDir FDir;
  Variant FServer;
  TComponent FOwner{nullptr};  // frees the components before the server goes
  TSocketConnection* FConnection = nullptr;
  TClientDataSet* FDataSet = nullptr;
};
