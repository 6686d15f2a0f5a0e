#include "plugin/ReportFormContract.h"

#include "platform/rtl/Exceptions.h"
#include "platform/vcl/ClassBuilder.h"

// No factory: only concrete report forms are created.
const TClass& TReportFormBase::StaticClass() {
  static const TClass& record = TClassBuilder<TReportFormBase>().Build();
  return record;
}

bool TReportFormBase::Initialize(const Variant&) {
  throw EAbstractError(ClassName() + ".Initialize is not implemented");
}

void TReportFormBase::HandleRunRequest(const Variant&) {
  throw EAbstractError(ClassName() + ".HandleRunRequest is not implemented");
}
