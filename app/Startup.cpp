#include "app/Startup.h"

#include "app/RavelinMain.h"
#include "framework/win32/Application.h"

void StartRavelin() {
  Application->Initialize();
  Application->SetTitle(u"Ravelin");
  Application->CreateForm(RavelinMainForm);
  Application->Run();
}

namespace {

// The forms go while the process-wide services they use (shared glyph
// images, the theme library) still exist: left to the application object's
// destruction at exit, they would outlive services made after it.
void FreeForms() {
  try {
    Application->DestroyComponents();
  } catch (...) {
    // A form that fails to free itself cannot be shown any more; the exit
    // code stays 0.
  }
}

}  // namespace

int RunWithFallback(void (*steps)()) {
  try {
    try {
      steps();
    } catch (const Exception& e) {
      Application->ShowException(e);
    } catch (...) {
      // Nothing of a foreign exception is shown: it becomes an empty one.
      try {
        throw Exception("");
      } catch (const Exception& e) {
        Application->ShowException(e);
      }
    }
  } catch (...) {
    // Showing failed too; the exit code stays 0 all the same.
  }
  FreeForms();
  return 0;
}
