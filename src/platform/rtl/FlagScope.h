// TFlagScope: sets a flag for the length of a scope and puts its old value
// back however the scope is left, exceptions included. The re-entry and
// "busy" guards of the controls use it.
#pragma once

class TFlagScope {
public:
  explicit TFlagScope(bool& flag) : FFlag(flag), FOld(flag) { FFlag = true; }
  ~TFlagScope() { FFlag = FOld; }
  TFlagScope(const TFlagScope&) = delete;
  TFlagScope& operator=(const TFlagScope&) = delete;

private:
  bool& FFlag;
  bool FOld;
};
