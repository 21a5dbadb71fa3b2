// The message of the failure a call raises, for tests that compare it.
#pragma once

#include <string>

/// The message of the `Failure` that `call` raises; "(nothing raised)" when it
/// returns normally. Failures of other classes pass through.
template <typename Failure, typename Call>
std::string FailureMessage(Call call) {
  try {
    call();
  } catch (const Failure& failure) {
    return failure.Message();
  }
  return "(nothing raised)";
}
