#pragma once
// The process's last resorts outside the framework: the system's filter for
// an exception no handler took (a fault, a division by zero, a stack
// overflow: reported as a system exception that cannot continue) and the
// runtime's terminate handler (reported as an abnormal termination that
// cannot continue). Install and Uninstall on one thread, at start-up and
// shutdown; the previous filter and handler come back at Uninstall.
class TLastResortFilters {
 public:
  TLastResortFilters() = default;
  TLastResortFilters(const TLastResortFilters&) = delete;
  TLastResortFilters& operator=(const TLastResortFilters&) = delete;
  ~TLastResortFilters() { Uninstall(); }

  void Install();
  void Uninstall();

 private:
  bool FInstalled = false;
  void* FPreviousFilter = nullptr;
  void (*FPreviousTerminate)() = nullptr;
};
