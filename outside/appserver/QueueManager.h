// QueueManager: the queue manager "VivarIzivozuD.Class1", which a condition
// form creates for one design run to open the report of a job it has just
// registered. There is no report viewer on this platform: the manager checks
// the request against the job store, records it in the store's
// open_requests table with its result, and answers.
//
//   OpenReport([[job number, job key, user id, product code], user id, true])
//     0  the job exists and the key is the job's ("opened")
//     1  the argument does not have that shape
//     2  there is no job of that number ("ERROR" included)
//     3  the key does not start with the first eight characters of the number
#pragma once

#include <memory>
#include <span>

#include "appserver/AppServerStore.h"
#include "platform/com/DispatchObject.h"
#include "platform/rtl/Types.h"
#include "platform/rtl/Variant.h"

inline constexpr char QueueManagerProgId[] = "VivarIzivozuD.Class1";

inline constexpr int32_t orOpened = 0;
inline constexpr int32_t orBadArgument = 1;
inline constexpr int32_t orNoSuchJob = 2;
inline constexpr int32_t orWrongKey = 3;

class TQueueManager : public TDispatchObject {
public:
  // Opens a store of its own on the configured database.
  explicit TQueueManager(TAppServerConfig config);
  ~TQueueManager() override;

  int32_t OpenReport(std::span<Variant> args);

  TAppServerStore& Store() { return *FStore; }

protected:
  const TDispatchTable& DispatchTable() const override;

private:
  std::unique_ptr<TAppServerStore> FStore;
};
