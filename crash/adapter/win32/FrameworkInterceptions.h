#pragma once
// The framework's last-resort exception routines, redirected to the
// reporter: the application's HandleException (catch point 5) and
// ShowException (4), the unit-level ShowException (3), a thread's last
// chance (13), what escapes a thread object's Execute (17) and what the
// synchronised method raises on the main thread (10). Install at start-up
// before other threads run, Uninstall at shutdown; each patch is undone only
// while it is still ours.
#include <memory>
#include <vector>

class TCallRedirect;
class TEntryJumpPatch;

class TFrameworkInterceptions {
 public:
  TFrameworkInterceptions();
  ~TFrameworkInterceptions();
  TFrameworkInterceptions(const TFrameworkInterceptions&) = delete;
  TFrameworkInterceptions& operator=(const TFrameworkInterceptions&) = delete;

  // Patches every routine it can; a routine that cannot be patched is left
  // as it is. Returns how many were patched.
  int Install();
  void Uninstall();

 private:
  std::vector<std::unique_ptr<TEntryJumpPatch>> FEntryJumps;
  std::unique_ptr<TCallRedirect> FSynchronizedCall;
};
