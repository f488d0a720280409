#include "host/fault.h"

#include <exception>

#ifdef KORVANE_FAULT_INJECTION

namespace korvane::host::fault {

namespace {
thread_local long long armed = 0;
thread_local long long calls = 0;
thread_local int suspended = 0;
}  // namespace

void Point(const char* operation) {
  // Not while an exception unwinds: the guards that put protection back in
  // their destructors must not fail then.
  if (suspended > 0 || std::uncaught_exceptions() > 0) return;
  ++calls;
  if (armed > 0 && calls == armed) {
    armed = 0;
    throw InjectedFault(operation);
  }
}

void Arm(long long n) {
  armed = n;
  calls = 0;
}

long long Calls() { return calls; }

Suspended::Suspended() { ++suspended; }
Suspended::~Suspended() { --suspended; }

}  // namespace korvane::host::fault

#endif
