#include "appserver/SchemeProvider.h"

#include <utility>

#include "appserver/AppServerStore.h"

void TSchemeProvider::Select(AnsiString creator, AnsiString programme) {
  FSelection = TSelection{std::move(creator), std::move(programme)};
}

std::vector<TProviderField> TSchemeProvider::Fields() const {
  // Display labels are designed texts: GBK bytes.
  return {
      {"NCONDITION", ProviderType::String, SchemeNameSize, "方案名称"},
      {"CREATOR", ProviderType::String, SchemeCreatorSize, "建立者"},
      {"PROGRAMME", ProviderType::String, SchemeProgrammeSize, "程序代号"},
      {"SCONDITION", ProviderType::Memo, 0, "条件属性"},
      {"VCONDITION", ProviderType::Memo, 0, "条件值"},
      {"CREATE_DATE", ProviderType::String, SchemeDateSize, "建立日期"},
  };
}

std::vector<std::vector<Variant>> TSchemeProvider::Rows() {
  std::vector<std::vector<Variant>> rows;
  if (!FSelection) return rows;
  for (TSchemeRecord& scheme : FStore.Schemes(FSelection->Creator, FSelection->Programme)) {
    rows.push_back({std::move(scheme.Key.Name), std::move(scheme.Key.Creator),
                    std::move(scheme.Key.Programme), std::move(scheme.Props),
                    std::move(scheme.Values), std::move(scheme.CreateDate)});
  }
  return rows;
}
