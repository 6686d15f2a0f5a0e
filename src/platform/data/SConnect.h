// The connection to the application server: TSocketConnection names the
// server (address and port, or an object broker that picks one) and the
// program id of the server object, and holds that object once connected;
// TSimpleObjectBroker keeps a list of servers to choose from. The client
// data sets of a connection reach their providers through its server
// object.
//
// Connecting over TCP is not available yet: Open succeeds only once the
// caller has set the application server itself (SetAppServer, as the
// condition form does for an in-process server), and otherwise raises an
// EDatabaseError saying what it would have connected to.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/data/DB.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Component.h"

class TClientDataSet;

// ---- TSimpleObjectBroker ----

struct TBrokerServer {
  AnsiString ComputerName;
  int32_t Port = 211;
  bool Enabled = true;
};

class TSimpleObjectBroker : public TComponent {
  KULR_CLASS(TSimpleObjectBroker, TComponent)

  explicit TSimpleObjectBroker(TComponent* owner);

  void AddServer(const AnsiString& computerName, int32_t port = 211, bool enabled = true);
  void ClearServers() { FServers.clear(); }
  int ServerCount() const { return static_cast<int>(FServers.size()); }
  // EListError out of range.
  const TBrokerServer& Servers(int index) const;
  bool LoadBalanced() const { return FLoadBalanced; }
  void SetLoadBalanced(bool value) { FLoadBalanced = value; }

  // The first enabled server. EDatabaseError when there is none.
  const TBrokerServer& GetServer() const;

private:
  std::vector<TBrokerServer> FServers;
  bool FLoadBalanced = false;
};

// ---- TSocketConnection ----

class TSocketConnection : public TComponent {
  KULR_CLASS(TSocketConnection, TComponent)

  static constexpr int32_t DefaultPort = 211;

  explicit TSocketConnection(TComponent* owner);

  const AnsiString& Address() const { return FAddress; }
  void SetAddress(const AnsiString& value);
  int32_t Port() const { return FPort; }
  void SetPort(int32_t value);
  // The program id of the server object.
  const AnsiString& ServerName() const { return FServerName; }
  void SetServerName(const AnsiString& value);
  // Cleared when the broker is freed.
  TSimpleObjectBroker* ObjectBroker() const { return FObjectBroker; }
  void SetObjectBroker(TSimpleObjectBroker* value);
  bool SupportCallbacks() const { return FSupportCallbacks; }
  void SetSupportCallbacks(bool value) { FSupportCallbacks = value; }

  // ---- Connecting ----
  bool Connected() const { return static_cast<bool>(FAppServer.GetIf<TDispatchRef>()); }
  // While a form resource is read, connecting waits for Loaded.
  void SetConnected(bool value);
  // Does nothing when connected. Otherwise raises EDatabaseError: without a
  // server name, without an address (and no broker to pick one), and for
  // any address, as connecting over TCP is not available yet.
  void Open() { SetConnected(true); }
  // Closes the client data sets of this connection and lets the server
  // object go.
  void Close() { SetConnected(false); }

  // The server object (Empty while not connected).
  const Variant& AppServer() const { return FAppServer; }
  // Makes obj the server object: a Variant holding a dispatch reference
  // connects to it, Empty or Null disconnects; anything else raises
  // EDatabaseError. Changing the server object closes the data sets.
  void SetAppServer(const Variant& obj);

  // ---- For TClientDataSet ----
  void RegisterClient(TClientDataSet* dataSet);
  void UnregisterClient(TClientDataSet* dataSet);

  void Notification(TComponent* component, TOperation operation) override;
  void BeforeDestruction() override;
  void Loaded() override;

private:
  AnsiString MessagePrefix() const;
  void Disconnect();

  AnsiString FAddress;
  int32_t FPort = DefaultPort;
  AnsiString FServerName;
  TSimpleObjectBroker* FObjectBroker = nullptr;
  bool FSupportCallbacks = true;
  Variant FAppServer;
  std::vector<TClientDataSet*> FClients;
  bool FStreamedConnected = false;
};
