// A test hook that makes the n-th host operation fail, to prove that every
// command leaves the open workbooks and the files on disk as they were when
// anything goes wrong part way. Compiled in only when the tests are built
// (KORVANE_FAULT_INJECTION); otherwise Point() is an empty inline function.
#pragma once

#include <stdexcept>
#include <string>

namespace korvane::host::fault {

// The failure the hook raises: not a HostError, so that no command mistakes
// it for a refusal it knows how to handle.
class InjectedFault : public std::runtime_error {
 public:
  explicit InjectedFault(const std::string& operation) : std::runtime_error("模拟故障：" + operation) {}
};

#ifdef KORVANE_FAULT_INJECTION
// One host operation: counted, and the armed one throws InjectedFault. The
// operations that guards undo in their destructors (protecting, hiding a
// sheet, closing)
// are not hook points, and nothing fails while an exception unwinds.
void Point(const char* operation);
// Arms the hook to fail at the n-th operation from now (0: never) and
// restarts the count.
void Arm(long long n);
// Operations since the last Arm().
long long Calls();
// While alive, operations are neither counted nor failed (putting things back
// after a failure must not fail itself).
class Suspended {
 public:
  Suspended();
  ~Suspended();
  Suspended(const Suspended&) = delete;
  Suspended& operator=(const Suspended&) = delete;
};
#else
inline void Point(const char*) {}
// Nothing to suspend; still a guard like the real one, so that the compiler
// takes a guard nobody names for what it is.
class Suspended {
 public:
  Suspended() {}
  ~Suspended() {}
  Suspended(const Suspended&) = delete;
  Suspended& operator=(const Suspended&) = delete;
};
#endif

}  // namespace korvane::host::fault
