// Shared set-up of the host tests: a scratch folder per test program and the
// demo company database built once from the repository's seed.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <string>

#include "host/CompanyDb.h"

// A new empty folder under KULR_TEST_OUTPUT (else /tmp).
inline std::string HostScratchFolder() {
  const char* base = getenv("KULR_TEST_OUTPUT");
  std::string root = base && *base ? base : "/tmp";
  std::string command = "mkdir -p '" + root + "'";
  if (system(command.c_str()) != 0) ADD_FAILURE() << "cannot create " << root;
  std::string pattern = root + "/host-XXXXXX";
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed under " << root;
  return pattern;
}

// The seeded demo database, created on first use and shared read-only.
inline std::shared_ptr<TCompanyDb> DemoCompanyDb() {
  static std::shared_ptr<TCompanyDb> db = [] {
    std::string path = HostScratchFolder() + "/company.db";
    TCompanyDb::CreateFromSeed(path, KULR_HOST_SEED_FILE);
    return std::make_shared<TCompanyDb>(path);
  }();
  return db;
}
