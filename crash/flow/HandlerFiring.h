#pragma once
// Firing the handlers of one kind for an exception: where each runs (the
// handling thread or the main thread), the order, the first that handles
// stops the chain, a handler's own exception is swallowed, and the assistant
// of the send, save and print actions.
// Used on the handling thread (and by the dialog on its thread).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "crash/common/ExceptionKinds.h"
#include "crash/flow/ExceptionHandlers.h"

class TIMEException;

// How the handling thread reaches the main thread (the reporter's hidden
// message window there).
class IMainThreadCalls {
 public:
  // The answer the main thread gives to a probe while it is responsive.
  static constexpr std::intptr_t kProbeAnswer = 777;
  static constexpr std::chrono::milliseconds kProbeTimeout{1500};

  virtual ~IMainThreadCalls() = default;
  // Sends the probe and waits at most timeout; nullopt when no answer came.
  virtual std::optional<std::intptr_t> Probe(std::chrono::milliseconds timeout) = 0;
  // Runs call on the main thread and returns after it ran, without a
  // practical time limit; a paused main thread is let go for the call and
  // paused again after it.
  virtual void Call(const std::function<void()>& call) = 0;
};

// The assistant shown before a send, save or print action (the dialog fills
// it in); none yet means the step is skipped.
class IActionAssistant {
 public:
  virtual ~IActionAssistant() = default;
  // Shows the named assistant owned by parentWindow, out of the top-most
  // layer; puts its fields into the report and its form values into the form
  // cache. False when the user cancelled.
  virtual bool Run(TIMEException& exception, const std::string& assistantName, std::uintptr_t parentWindow) = 0;
};

class THandlerFiring {
 public:
  THandlerFiring(TExceptionHandlers& handlers, IMainThreadCalls& mainThread, IActionAssistant* assistant);

  // kind hkException: the handlers of the exception's current phase; action
  // is used by hkAction only. handled goes in and comes out.
  void RunHandlers(std::uintptr_t parentWindow, THandlerKind kind, TExceptAction action, bool& handled,
                   TIMEException& exception);

  // True while handlers run on the main thread on the handling thread's
  // behalf: reports from the main thread are dropped meanwhile.
  static bool MainThreadHandlersRunning();

 private:
  void Fire(THandlerKind kind, TExceptAction action, bool& handled, TIMEException& exception);
  bool MainThreadAnswers(TIMEException& exception);

  TExceptionHandlers& FHandlers;
  IMainThreadCalls& FMainThread;
  IActionAssistant* FAssistant;
};
