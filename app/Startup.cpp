#include "app/Startup.h"

#include "app/RavelinMain.h"
#include "framework/win32/Application.h"

void StartRavelin() {
  Application->Initialize();
  Application->SetTitle(u"Ravelin");
  Application->CreateForm(RavelinMainForm);
  Application->Run();
}

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
  return 0;
}
