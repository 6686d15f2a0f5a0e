// SchemeProvider: the provider "pvdConSave", the scheme table as the
// condition form's data set reads it. It returns one user's schemes of one
// program, the pair the last LoadTable on the same server object chose; before
// any LoadTable it returns no rows, so that nobody sees another user's
// schemes by accident.
#pragma once

#include <optional>
#include <vector>

#include "appserver/Provider.h"
#include "platform/rtl/Types.h"

class TAppServerStore;

inline constexpr char SchemeProviderName[] = "pvdConSave";

// The most bytes a scheme name, a user id and a program code may have.
inline constexpr int SchemeNameSize = 20;
inline constexpr int SchemeCreatorSize = 20;
inline constexpr int SchemeProgrammeSize = 20;
inline constexpr int SchemeDateSize = 8;

class TSchemeProvider : public TProvider {
public:
  explicit TSchemeProvider(TAppServerStore& store) : FStore(store) {}

  // The schemes the next Rows returns.
  void Select(AnsiString creator, AnsiString programme);

  AnsiString Name() const override { return SchemeProviderName; }
  std::vector<TProviderField> Fields() const override;
  std::vector<std::vector<Variant>> Rows() override;

private:
  struct TSelection {
    AnsiString Creator;
    AnsiString Programme;
  };
  TAppServerStore& FStore;
  std::optional<TSelection> FSelection;
};
