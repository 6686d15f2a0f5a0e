// The queue manager as the design button uses it: OpenReport answers 0 only
// for a job the store holds, with its own key, and records every request.
#include "appserver/QueueManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppServerTestSupport.h"
#include "platform/com/OleCall.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/VariantPrint.h"

namespace {

class QueueManagerTest : public ::testing::TestWithParam<TCreation> {
protected:
  void SetUp() override { SetTestClock(TDateTime(46367.5)); }
  void TearDown() override { ClearTestClock(); }

  TAppServerInstall FInstall;
};

INSTANTIATE_TEST_SUITE_P(Creation, QueueManagerTest,
                         ::testing::Values(TCreation::Direct, TCreation::InProcServer),
                         CreationName);

// The record a design run registers, reduced to what Request1 checks.
Variant SmallRecord() {
  Variant env = VarArrayCreate({1, 5});
  env[1] = "KULR31";
  env[5] = "boss";
  return VarArrayOf({env, VarArrayCreate({1, 0}), VarArrayCreate({1, 0})});
}

struct TOpenRow {
  const char* Name;
  std::vector<Variant> Args;
  int32_t Result;
};

// Guards against a report "opened" for a job that does not exist (a failed
// Request1 sends "ERROR"), for another job's key, or for a request of the
// wrong shape; and against requests that leave no trace.
TEST_P(QueueManagerTest, OpenReportChecksTheJobAndRecordsEachRequest) {
  Variant server = FInstall.Create(GetParam(), ReportServerProgId);
  const AnsiString job = VarToStr(OleCall(server, "Request1", {SmallRecord(), "PC-01"}));
  ASSERT_EQ(job, "00000001");
  const AnsiString key = job.substr(0, 8) + "0001";
  auto request = [](Variant number, Variant jobKey, Variant product) {
    return VarArrayOf({VarArrayOf({number, jobKey, "boss", product}), "boss", true});
  };
  const std::vector<TOpenRow> rows = {
      {"Opened", {request(job, key, int32_t{3})}, orOpened},
      {"OpenedWideTexts", {request(WideString(u"00000001"), WideString(u"000000010001"), int16_t{3})}, orOpened},
      {"FailedRequest", {request("ERROR", "ERROR0001", int32_t{3})}, orNoSuchJob},
      {"UnknownJob", {request("00000999", "000009990001", int32_t{3})}, orNoSuchJob},
      {"OtherJobsKey", {request(job, "000000020001", int32_t{3})}, orWrongKey},
      {"ShortKey", {request(job, "0001", int32_t{3})}, orWrongKey},
      {"NoArgument", {}, orBadArgument},
      {"TwoArguments", {request(job, key, int32_t{3}), true}, orBadArgument},
      {"NotAnArray", {"00000001"}, orBadArgument},
      {"Flat", {VarArrayOf({job, key, "boss", int32_t{3}})}, orBadArgument},
      {"JobTooShort", {VarArrayOf({VarArrayOf({job, key}), "boss", true})}, orBadArgument},
      {"ProductNotANumber", {request(job, key, "three")}, orBadArgument},
      {"ProductNull", {request(job, key, Variant::Null())}, orBadArgument},
      {"NumberNull", {request(Variant::Null(), key, int32_t{3})}, orBadArgument},
  };
  for (const TOpenRow& row : rows) {
    SCOPED_TRACE(row.Name);
    // The form creates a queue manager for each run and releases it.
    Variant manager = FInstall.Create(GetParam(), QueueManagerProgId);
    std::vector<Variant> args = row.Args;
    EXPECT_PRED_FORMAT2(AssertSameVariant, Variant(row.Result),
                        OleInvoke(manager, "OpenReport", TInvokeKind::Method, args));
  }
  const std::vector<TOpenRequest> log = TAppServerStore(FInstall.Config()).OpenRequests();
  ASSERT_EQ(log.size(), rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(rows[i].Name);
    EXPECT_EQ(log[i].Result, rows[i].Result);
    EXPECT_EQ(log[i].Requested.Value, 46367.5);
  }
  EXPECT_EQ(log[0].JobNumber, job);
  EXPECT_EQ(log[0].JobKey, key);
  EXPECT_EQ(log[0].Creator, "boss");
  EXPECT_EQ(log[0].Product, 3);
}

}  // namespace
