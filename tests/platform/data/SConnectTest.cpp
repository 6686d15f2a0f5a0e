#include "platform/data/SConnect.h"

#include <gtest/gtest.h>

#include "platform/data/DataTestSupport.h"
#include "platform/rtl/ExpectThrow.h"

namespace {

using TSocketConnectionTest = TDataSetTest;

// The defaults a form resource relies on when it leaves them out.
TEST(SocketConnectionDefaultsTest, PortAndCallbacks) {
  TSocketConnection connection(nullptr);
  EXPECT_EQ(connection.Port(), 211);
  EXPECT_TRUE(connection.SupportCallbacks());
  EXPECT_FALSE(connection.Connected());
  EXPECT_TRUE(connection.AppServer().IsEmpty());
  EXPECT_EQ(connection.ObjectBroker(), nullptr);
}

// Components on the stack are deleted, not freed: the data set must still
// leave its connection and drop the fields it made (a leak or a dangling
// client otherwise, which the sanitizer build reports).
TEST(SocketConnectionDefaultsTest, StackComponentsUnlinkOnDelete) {
  TSocketConnection connection(nullptr);
  auto* server = new TScriptedServer;
  server->Packet = Packet({FieldDef("A", "String", 1, "")}, {VarArrayOf({Variant("x")})});
  connection.SetAppServer(Variant(TDispatchRef(server)));
  {
    TClientDataSet dataSet(nullptr);
    dataSet.SetRemoteServer(&connection);
    dataSet.SetProviderName("any");
    dataSet.Open();
    EXPECT_EQ(dataSet.FieldCount(), 1);
  }
  connection.Close();  // closes its data sets: the deleted one is no longer among them
  EXPECT_FALSE(connection.Connected());
}

// Connecting without a server object set cannot succeed yet: each case must
// say why, and the connection stays closed.
TEST_F(TSocketConnectionTest, OpenWithoutAppServerSaysWhy) {
  auto* broker = NewObject<TSimpleObjectBroker>(&FOwner);
  struct TCase {
    const char* Name;
    const char* Address;
    const char* ServerName;
    bool UseBroker;
    const char* Message;
  };
  const TCase cases[] = {
      {"no server name", "10.0.0.5", "", false, "SocketConnection1: No server name given"},
      {"remote address", "10.0.0.5", "Srv.Obj", false, "Connecting to 10.0.0.5:211 over TCP is not available yet"},
      {"loopback address", "127.0.0.1", "Srv.Obj", false, "Connecting to 127.0.0.1:211 over TCP"},
      {"no address", "", "Srv.Obj", false, "No address given"},
      {"broker without servers", "", "Srv.Obj", true, "the object broker has no server available"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    FConnection->SetAddress(c.Address);
    FConnection->SetServerName(c.ServerName);
    FConnection->SetObjectBroker(c.UseBroker ? broker : nullptr);
    ExpectThrowWith<EDatabaseError>([&] { FConnection->Open(); }, c.Message);
    EXPECT_FALSE(FConnection->Connected());
  }
  // A broker's enabled server is the one connected to.
  broker->AddServer("down", 300, false);
  broker->AddServer("apps", 4000);
  FConnection->SetObjectBroker(broker);
  ExpectThrowWith<EDatabaseError>([&] { FConnection->SetConnected(true); },
                                  "Connecting to apps:4000 over TCP");
}

// A server object set by hand makes the connection connected to exactly
// that object; clearing it or Close disconnects.
TEST_F(TSocketConnectionTest, AppServerSetByHandConnects) {
  ConnectReportServer();
  EXPECT_TRUE(FConnection->Connected());
  EXPECT_EQ(FConnection->AppServer().AsDispatch(), FServer.AsDispatch());
  FConnection->Open();  // already connected: nothing to do
  EXPECT_EQ(OleCall(FConnection->AppServer(), "SQLType").AsInteger(), 0);
  ExpectThrowWith<EDatabaseError>([&] { FConnection->SetAddress("10.0.0.9"); }, "while connected");
  FConnection->Close();
  EXPECT_FALSE(FConnection->Connected());
  EXPECT_TRUE(FConnection->AppServer().IsEmpty());

  FConnection->SetAppServer(FServer);
  FConnection->SetAppServer(Null());
  EXPECT_FALSE(FConnection->Connected());
  ExpectThrowWith<EDatabaseError>([&] { FConnection->SetAppServer(Variant("obj")); },
                                  "must be an automation object");
  EXPECT_FALSE(FConnection->Connected());
}

// Property checks and the broker's lifetime.
TEST_F(TSocketConnectionTest, BrokerIsClearedWhenFreedAndPortIsChecked) {
  auto* broker = NewObject<TSimpleObjectBroker>(&FOwner);
  FConnection->SetObjectBroker(broker);
  Free(broker);
  EXPECT_EQ(FConnection->ObjectBroker(), nullptr);
  for (int32_t bad : {0, -1, 65536}) {
    SCOPED_TRACE(bad);
    ExpectThrowWith<EDatabaseError>([&] { FConnection->SetPort(bad); }, "is not a valid port");
  }
  EXPECT_EQ(FConnection->Port(), 211);
  FConnection->SetPort(8211);
  EXPECT_EQ(FConnection->Port(), 8211);
}

// Published properties by name, as a form resource sets them.
TEST_F(TSocketConnectionTest, PublishedPropertiesByName) {
  SetStrProp(FConnection, "Address", "192.168.1.2");
  SetOrdProp(FConnection, "Port", 212);
  SetOrdProp(FConnection, "SupportCallbacks", 0);
  EXPECT_EQ(FConnection->Address(), "192.168.1.2");
  EXPECT_EQ(FConnection->Port(), 212);
  EXPECT_FALSE(FConnection->SupportCallbacks());
  SetObjectProp(FDataSet, "RemoteServer", nullptr);
  EXPECT_EQ(FDataSet->RemoteServer(), nullptr);
  SetObjectProp(FDataSet, "RemoteServer", FConnection);
  EXPECT_EQ(GetStrProp(FDataSet, "ProviderName"), "pvdConSave");
}

}  // namespace
