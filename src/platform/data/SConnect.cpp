#include "platform/data/SConnect.h"

#include <algorithm>

#include "platform/data/DBClient.h"
#include "platform/rtl/NumConv.h"
#include "platform/vcl/ClassBuilder.h"

// ---- TSimpleObjectBroker ----

TSimpleObjectBroker::TSimpleObjectBroker(TComponent* owner) : TComponent(owner) {}

const TClass& TSimpleObjectBroker::StaticClass() {
  static const TClass& record = TClassBuilder<TSimpleObjectBroker>()
      .Property("LoadBalanced", &TSimpleObjectBroker::LoadBalanced,
                &TSimpleObjectBroker::SetLoadBalanced)
      .Default(false)
      .Factory()
      .Build();
  return record;
}

void TSimpleObjectBroker::AddServer(const AnsiString& computerName, int32_t port, bool enabled) {
  FServers.push_back(TBrokerServer{computerName, port, enabled});
}

const TBrokerServer& TSimpleObjectBroker::Servers(int index) const {
  if (index < 0 || index >= ServerCount())
    throw EListError("List index out of bounds (" + IntToStr(index) + ")");
  return FServers[static_cast<size_t>(index)];
}

const TBrokerServer& TSimpleObjectBroker::GetServer() const {
  auto it = std::find_if(FServers.begin(), FServers.end(), [](const TBrokerServer& server) {
    return server.Enabled && !server.ComputerName.empty();
  });
  if (it == FServers.end())
    throw EDatabaseError((Name().empty() ? AnsiString() : Name() + ": ") +
                         "the object broker has no server available");
  return *it;
}

// ---- TSocketConnection ----

TSocketConnection::TSocketConnection(TComponent* owner) : TComponent(owner) {}

const TClass& TSocketConnection::StaticClass() {
  static const TClass& record = TClassBuilder<TSocketConnection>()
      .Property("Address", &TSocketConnection::Address, &TSocketConnection::SetAddress)
      .Property("Port", &TSocketConnection::Port, &TSocketConnection::SetPort)
      .Default(DefaultPort)
      .Property("ServerName", &TSocketConnection::ServerName, &TSocketConnection::SetServerName)
      .Property("ObjectBroker", &TSocketConnection::ObjectBroker,
                &TSocketConnection::SetObjectBroker)
      .Property("SupportCallbacks", &TSocketConnection::SupportCallbacks,
                &TSocketConnection::SetSupportCallbacks)
      .Default(true)
      .Property("Connected", &TSocketConnection::Connected, &TSocketConnection::SetConnected)
      .Stored(false)  // a form resource never connects while it is read
      .Factory()
      .Build();
  return record;
}

AnsiString TSocketConnection::MessagePrefix() const {
  return Name().empty() ? AnsiString() : Name() + ": ";
}

void TSocketConnection::SetAddress(const AnsiString& value) {
  if (value == FAddress) return;
  if (Connected()) throw EDatabaseError(MessagePrefix() + "Cannot change the address while connected");
  FAddress = value;
}

void TSocketConnection::SetPort(int32_t value) {
  if (value == FPort) return;
  if (value <= 0 || value > 65535)
    throw EDatabaseError(MessagePrefix() + IntToStr(value) + " is not a valid port");
  if (Connected()) throw EDatabaseError(MessagePrefix() + "Cannot change the port while connected");
  FPort = value;
}

void TSocketConnection::SetServerName(const AnsiString& value) {
  if (value == FServerName) return;
  if (Connected()) throw EDatabaseError(MessagePrefix() + "Cannot change the server name while connected");
  FServerName = value;
}

void TSocketConnection::SetObjectBroker(TSimpleObjectBroker* value) {
  if (value == FObjectBroker) return;
  if (FObjectBroker != nullptr) FObjectBroker->RemoveFreeNotification(this);
  FObjectBroker = value;
  if (value != nullptr) value->FreeNotification(this);
}

void TSocketConnection::SetConnected(bool value) {
  if (ComponentState().Contains(csLoading)) {
    FStreamedConnected = value;
    return;
  }
  if (value == Connected()) return;
  if (!value) {
    Disconnect();
    return;
  }
  if (FServerName.empty()) throw EDatabaseError(MessagePrefix() + "No server name given");
  AnsiString address = FAddress;
  int32_t port = FPort;
  if (address.empty() && FObjectBroker != nullptr) {
    const TBrokerServer& server = FObjectBroker->GetServer();
    address = server.ComputerName;
    port = server.Port;
  }
  if (address.empty()) throw EDatabaseError(MessagePrefix() + "No address given to connect to");
  throw EDatabaseError(MessagePrefix() + "Connecting to " + address + ":" + IntToStr(port) +
                       " over TCP is not available yet");
}

void TSocketConnection::SetAppServer(const Variant& obj) {
  if (VarIsClear(obj)) {
    Disconnect();
    return;
  }
  const TDispatchRef* ref = obj.GetIf<TDispatchRef>();
  if (ref == nullptr || !*ref)
    throw EDatabaseError(MessagePrefix() + "The application server must be an automation object, not " +
                         VarTypeAsText(obj.VarType()));
  if (const TDispatchRef* current = FAppServer.GetIf<TDispatchRef>(); current && *current == *ref)
    return;
  Disconnect();
  FAppServer = Variant(*ref);
}

void TSocketConnection::Disconnect() {
  // The data sets read through the server object: they close with it.
  const std::vector<TClientDataSet*> clients = FClients;
  for (TClientDataSet* client : clients) client->Close();
  FAppServer = Variant();
}

void TSocketConnection::RegisterClient(TClientDataSet* dataSet) {
  if (std::find(FClients.begin(), FClients.end(), dataSet) == FClients.end())
    FClients.push_back(dataSet);
}

void TSocketConnection::UnregisterClient(TClientDataSet* dataSet) {
  FClients.erase(std::remove(FClients.begin(), FClients.end(), dataSet), FClients.end());
}

void TSocketConnection::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component != nullptr && component == FObjectBroker)
    FObjectBroker = nullptr;
}

void TSocketConnection::Loaded() {
  TComponent::Loaded();
  if (FStreamedConnected) {
    FStreamedConnected = false;
    Open();
  }
}

void TSocketConnection::BeforeDestruction() {
  try {
    Disconnect();
  } catch (...) {
    // Closing the data sets only frees memory; destruction goes on.
  }
  TComponent::BeforeDestruction();
}
