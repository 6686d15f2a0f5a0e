// The host-facing contract of the controller base: the positions of its
// operations and fields, the abstract operations of a bare base instance,
// and the event operations every controller inherits.

#include "plugin/DLLBaseCtrller.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/Application.h"

namespace {

// A pointer to a virtual member function holds 1 + the byte offset of its
// slot in the table (Itanium C++ ABI); that is the position a host binds to.
template <class TPmf>
ptrdiff_t SlotOf(TPmf pmf) {
  struct TRaw {
    uintptr_t Ptr;
    ptrdiff_t Adj;
  } raw;
  static_assert(sizeof(TPmf) == sizeof(TRaw));
  std::memcpy(&raw, &pmf, sizeof raw);
  EXPECT_EQ(raw.Ptr & 1u, 1u) << "not a virtual function";
  return static_cast<ptrdiff_t>((raw.Ptr - 1) / sizeof(void*));
}

ptrdiff_t FieldOffset(const TDLLBaseController& c, const void* field) {
  return static_cast<const char*>(field) - reinterpret_cast<const char*>(&c);
}

}  // namespace

// Guards against an operation inserted, moved or dropped: the host calls by
// position, so positions 1..18 must follow the root class's slots in order.
TEST(DLLBaseControllerContract, OperationsFollowTheRootClassInTableOrder) {
  using C = TDLLBaseController;
  const ptrdiff_t first = SlotOf(&TObject::Destroying) + 1;
  EXPECT_EQ(first, 6) << "root class: destructor (2), ClassType, AfterConstruction, "
                         "BeforeDestruction, Destroying";
  const std::vector<std::pair<const char*, ptrdiff_t>> table = {
      {"GetVersion", SlotOf(&C::GetVersion)},         {"GetVisible", SlotOf(&C::GetVisible)},
      {"SetVisible", SlotOf(&C::SetVisible)},         {"GetHandle", SlotOf(&C::GetHandle)},
      {"CreateForm", SlotOf(&C::CreateForm)},         {"ExecuteCommand", SlotOf(&C::ExecuteCommand)},
      {"ReceiveMessage", SlotOf(&C::ReceiveMessage)}, {"ShowModal", SlotOf(&C::ShowModal)},
      {"FreeForm", SlotOf(&C::FreeForm)},             {"GetProgramInfo", SlotOf(&C::GetProgramInfo)},
      {"IsFormFreed", SlotOf(&C::IsFormFreed)},       {"DoFormCreate", SlotOf(&C::DoFormCreate)},
      {"DoFormShow", SlotOf(&C::DoFormShow)},         {"DoFormHide", SlotOf(&C::DoFormHide)},
      {"DoFormDestroy", SlotOf(&C::DoFormDestroy)},   {"DoNotify", SlotOf(&C::DoNotify)},
      {"DoEvent", SlotOf(&C::DoEvent)},               {"Reserved", SlotOf(&C::Reserved)},
  };
  for (size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(table[i].first);
    EXPECT_EQ(table[i].second, first + static_cast<ptrdiff_t>(i));
  }
}

// Guards against a field reordered or resized: the host reads and writes
// them at fixed offsets after the table pointer.
TEST(DLLBaseControllerContract, FieldsLieInDeclaredOrderAfterTheTablePointer) {
  TDLLBaseController c;
  const ptrdiff_t host = FieldOffset(c, &c.HostObject);
  const ptrdiff_t code = FieldOffset(c, &c.ResultCode);
  const ptrdiff_t data = FieldOffset(c, &c.ResultData);
  const ptrdiff_t event = FieldOffset(c, &c.OnEvent);
  EXPECT_EQ(host, static_cast<ptrdiff_t>(sizeof(void*)));
  EXPECT_EQ(code, host + static_cast<ptrdiff_t>(sizeof(Variant)));
  EXPECT_GT(data, code);
  EXPECT_LT(data, code + static_cast<ptrdiff_t>(alignof(Variant) + sizeof(int32_t)));
  EXPECT_EQ(event, data + static_cast<ptrdiff_t>(sizeof(Variant)));
  EXPECT_EQ(sizeof(TDLLEvent), 2 * sizeof(void*));
  EXPECT_EQ(sizeof(TDLLBaseController), static_cast<size_t>(event) + sizeof(TDLLEvent));
}

// Guards against garbage in a fresh controller: the plain constructor leaves
// every field empty or zero.
TEST(DLLBaseControllerContract, NewControllerStartsEmpty) {
  TDLLBaseController c;
  EXPECT_TRUE(c.HostObject.IsEmpty());
  EXPECT_EQ(c.ResultCode, 0);
  EXPECT_TRUE(c.ResultData.IsEmpty());
  EXPECT_FALSE(c.OnEvent.Assigned());
}

// Guards against pure virtuals (a bare base could not exist) or silent
// no-ops: positions 1 to 11 are real and raise the abstract-call error.
TEST(DLLBaseControllerContract, BareBaseRaisesAbstractErrorAtPositions1To11) {
  TDLLBaseController c;
  Variant info = 7;
  const std::vector<std::pair<const char*, std::function<void()>>> calls = {
      {"GetVersion", [&] { c.GetVersion(); }},
      {"GetVisible", [&] { c.GetVisible(); }},
      {"SetVisible", [&] { c.SetVisible(-1); }},
      {"GetHandle", [&] { c.GetHandle(); }},
      {"CreateForm", [&] { c.CreateForm(Variant()); }},
      {"ExecuteCommand", [&] { c.ExecuteCommand(Variant()); }},
      {"ReceiveMessage", [&] { c.ReceiveMessage(5, 0, Variant()); }},
      {"ShowModal", [&] { c.ShowModal(); }},
      {"FreeForm", [&] { c.FreeForm(); }},
      {"GetProgramInfo", [&] { c.GetProgramInfo(info); }},
      {"IsFormFreed", [&] { c.IsFormFreed(); }},
  };
  for (const auto& [name, call] : calls) {
    SCOPED_TRACE(name);
    try {
      call();
      ADD_FAILURE() << "no exception";
    } catch (const EAbstractError& e) {
      EXPECT_NE(e.Message().find(name), AnsiString::npos) << e.Message();
    }
  }
  EXPECT_EQ(info.AsInteger(), 7);
}

// Guards against wrong codes or the caller's Sender reaching the host: each
// event operation raises its code with the controller itself as Sender.
TEST(DLLBaseControllerContract, EventOperationsRaiseTheirCodesWithTheControllerAsSender) {
  TDLLBaseController c;
  TDLLBaseController stranger;
  std::vector<std::pair<int32_t, TObject*>> seen;
  c.OnEvent = TDLLEvent::FromFunction([&](int32_t code, TObject* sender) {
    seen.emplace_back(code, sender);
  });
  c.DoFormCreate(&stranger);
  c.DoFormShow(&stranger);
  c.DoFormHide(&stranger);
  c.DoFormDestroy(&stranger);
  c.DoNotify();
  c.DoEvent(0x777, &stranger);
  c.Reserved();
  const std::vector<std::pair<int32_t, TObject*>> expected = {
      {0x100, &c}, {0x110, &c}, {0x120, &c}, {0x130, &c}, {0x140, &c}, {0x777, &c}};
  EXPECT_EQ(seen, expected);
}

// Guards against a host handler's exception unwinding into the plug-in's
// caller: it ends in the standard error box instead.
TEST(DLLBaseControllerContract, RaisingHostHandlerDoesNotEscapeDoEvent) {
  TDLLBaseController c;
  c.OnEvent = TDLLEvent::FromFunction([](int32_t, TObject*) { throw Exception("host failed"); });
  Application().ClearJournal();
  EXPECT_NO_THROW(c.DoNotify());
  ASSERT_EQ(Application().Journal().size(), 1u);
  EXPECT_NE(Application().Journal()[0].Text.find("host failed"), AnsiString::npos);
  // Without a handler nothing is called and nothing is shown.
  c.OnEvent = TDLLEvent();
  EXPECT_NO_THROW(c.DoNotify());
  EXPECT_EQ(Application().Journal().size(), 1u);
}

// Guards against a non-controller class being installed for GetController.
TEST(DLLBaseControllerContract, ControllerClassMustBeACreatableController) {
  const TClass* saved = DLLControllerClass;
  EXPECT_THROW(SetDLLControllerClass(&TObject::StaticClass()), EInvalidOperation);
  EXPECT_EQ(DLLControllerClass, saved);
  SetDLLControllerClass(&TDLLBaseController::StaticClass());
  EXPECT_EQ(DLLControllerClass, &TDLLBaseController::StaticClass());
  SetDLLControllerClass(nullptr);
  EXPECT_EQ(DLLControllerClass, nullptr);
  DLLControllerClass = saved;
}
