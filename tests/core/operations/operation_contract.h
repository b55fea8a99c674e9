#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/model/pakets.h"
#include "core/operations/pass.h"

// One row of the contract every operation's logic half keeps; an operation joins the suite with
// one INSTANTIATE_TEST_SUITE_P line over such a row (see operation_contract_test.cpp).
struct operation_case {
  std::string name;
  // Runs the logic half with its parameters fixed by the row.
  std::function<void(PAKETS&, const scope&, pass&)> run;
  // The operation takes a scope; packets outside it must come out untouched.
  bool scoped = true;
};

inline void PrintTo(const operation_case& c, std::ostream* os) {
  *os << c.name;
}

// The suite; TEST_Ps live in operation_contract_test.cpp, and an operation's own test file may
// instantiate it: INSTANTIATE_TEST_SUITE_P(Swap, OperationContract, ::testing::Values(...),
// case_name);
class OperationContract : public ::testing::TestWithParam<operation_case> {};

// The test name of a row.
inline std::string case_name(const ::testing::TestParamInfo<operation_case>& c) {
  return c.param.name;
}
