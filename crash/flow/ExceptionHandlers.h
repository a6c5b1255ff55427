#pragma once
// The three lists of handlers the application registers: exception handlers
// (one phase and one sync type each), action handlers and hidden-exception
// handlers. An entry is a method (a bound function with the object it
// belongs to) or a plain function; methods run before plain functions, each
// in registration order. Any thread: each list has its own lock, and is
// copied under it before its handlers are called, so a handler may add or
// remove handlers.
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "crash/common/ExceptionKinds.h"

class TIMEException;

using TExceptionHandlerProc = void (*)(TIMEException& exception, bool& handled);
using TExceptionHandlerEvent = std::function<void(TIMEException& exception, bool& handled)>;
using TExceptActionProc = void (*)(TExceptAction action, TIMEException& exception, bool& handled);
using TExceptActionEvent = std::function<void(TExceptAction action, TIMEException& exception, bool& handled)>;

enum THandlerKind : std::uint8_t { hkException = 0, hkAction = 1, hkHidden = 2 };

// One entry as it is called; Object is null for a plain function.
struct THandlerEntry {
  int Id = 0;
  const void* Object = nullptr;
  TSyncType Sync = stDontSync;
  TExceptPhase Phase = epNotHandledYet;  // exception handlers only
  TExceptActionEvent Call;  // exception and hidden handlers ignore the action
};

class TExceptionHandlers {
 public:
  // Each returns the id for Unregister.
  int RegisterExceptionHandler(TExceptionHandlerProc proc, TSyncType sync, TExceptPhase phase);
  int RegisterExceptionHandler(const void* object, TExceptionHandlerEvent method, TSyncType sync,
                               TExceptPhase phase);
  int RegisterActionHandler(TExceptActionProc proc, TSyncType sync = stDontSync);
  int RegisterActionHandler(const void* object, TExceptActionEvent method, TSyncType sync = stDontSync);
  int RegisterHiddenHandler(TExceptionHandlerProc proc);
  int RegisterHiddenHandler(const void* object, TExceptionHandlerEvent method);
  void Unregister(int id);
  // Removes every method of object, in every list (an object that goes).
  void UnregisterObject(const void* object);

  // Methods first, then plain functions, each in registration order.
  std::vector<THandlerEntry> Handlers(THandlerKind kind) const;
  bool Any(THandlerKind kind) const;
  bool AnyExceptionHandler(TExceptPhase phase) const;

  // The lists of this process.
  static TExceptionHandlers& Process();

 private:
  struct TList {
    mutable std::mutex Lock;
    std::vector<THandlerEntry> Methods, Functions;
  };
  int Add(THandlerKind kind, THandlerEntry entry, bool method);
  TList& List(THandlerKind kind) { return FLists[kind]; }
  const TList& List(THandlerKind kind) const { return FLists[kind]; }

  TList FLists[3];
  std::mutex FIdLock;
  int FNextId = 1;
};
