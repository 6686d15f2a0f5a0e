#include "appserver/QueueManager.h"

#include <utility>
#include <vector>

#include "appserver/ServerArgs.h"
#include "platform/rtl/FormatSettings.h"

TQueueManager::TQueueManager(TAppServerConfig config)
    : FStore(std::make_unique<TAppServerStore>(std::move(config))) {}

TQueueManager::~TQueueManager() = default;

const TDispatchTable& TQueueManager::DispatchTable() const {
  static const TDispatchTable table = TDispatchTableBuilder<TQueueManager>("TQueueManager")
                                          .AddMethod("OpenReport", &TQueueManager::OpenReport)
                                          .Build();
  return table;
}

int32_t TQueueManager::OpenReport(std::span<Variant> args) {
  TOpenRequest request;
  request.Requested = Now();
  request.Result = orBadArgument;
  const int cp = FStore->Config().CodePage;
  // Whatever could be read is logged, also for a request that is refused.
  try {
    if (args.size() != 1) throw EServerArgError("OpenReport takes one argument");
    const std::vector<const Variant*> outer = ArgElements(args[0], "the request", 3);
    const std::vector<const Variant*> job = ArgElements(*outer[0], "the job (element 0)", 4);
    request.JobNumber = ArgText(*job[0], "the job number", cp, true);
    request.JobKey = ArgText(*job[1], "the job key", cp, true);
    request.Creator = ArgText(*job[2], "the user id", cp, true);
    const Variant& product = *job[3];
    if (product.IsArray() || product.IsEmpty() || product.IsNull())
      throw EServerArgError("the product code must be a number");
    request.Product = product.AsInt64();
    ArgText(*outer[1], "the user id (element 1)", cp, true);
    ArgBoolean(*outer[2], "the flag (element 2)");

    if (!FStore->FindJob(request.JobNumber))
      request.Result = orNoSuchJob;
    else if (request.JobKey.compare(0, 8, request.JobNumber.substr(0, 8)) != 0)
      request.Result = orWrongKey;
    else
      request.Result = orOpened;
  } catch (const Exception&) {
    request.Result = orBadArgument;
  }
  FStore->LogOpenRequest(request);
  return request.Result;
}
