#pragma once
// The reporter's hidden message window on the main thread: the way the
// handling thread and the freeze watch reach the main thread. It answers a
// probe (does the main thread still serve its messages?), runs calls sent to
// it and answers the freeze watch's ping. Create and destroy it on the main
// thread; Probe, Call, PostPing, InCall and CallOnMainThread from any thread.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// The answer to the probe, and both parameters of the empty message that
// answers the freeze watch's ping.
constexpr LRESULT kMainThreadAnswer = 777;
// How long the main thread has to answer the probe before a call.
constexpr DWORD kProbeTimeoutMs = 1500;

// Filled by the thread pausing: lets a paused main thread go for a call
// (answering whether it was paused) and pauses it again after the call.
struct TMainThreadPauseHooks {
  std::function<bool()> LetGo;
  std::function<void()> PauseAgain;
};

class TMainThreadWindow {
 public:
  // Creates the window on the calling thread; nullptr when it cannot.
  static std::unique_ptr<TMainThreadWindow> Create();
  ~TMainThreadWindow();
  TMainThreadWindow(const TMainThreadWindow&) = delete;
  TMainThreadWindow& operator=(const TMainThreadWindow&) = delete;

  HWND Handle() const { return FWindow; }
  // True when the main thread answered the probe within kProbeTimeoutMs.
  bool Probe() const;
  // Runs call on the main thread and waits for it without limit; what it
  // throws stays there. False when the probe got no answer: nothing ran.
  bool Call(const std::function<void()>& call);
  // The freeze watch's ping; the main thread answers by posting an empty
  // message with both parameters kMainThreadAnswer to watchThreadId.
  bool PostPing(DWORD watchThreadId) const;
  // True while a call sent by another thread runs on the main thread.
  bool InCall() const { return FCallDepth.load() > 0; }
  void SetPauseHooks(TMainThreadPauseHooks hooks);

  // The window CallOnMainThread uses; the last one made current until it is destroyed.
  void MakeCurrent();
  static TMainThreadWindow* Current() { return FCurrent.load(); }

 private:
  TMainThreadWindow() = default;
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT RunCall(LPARAM call);
  TMainThreadPauseHooks PauseHooks();

  static std::atomic<TMainThreadWindow*> FCurrent;
  HWND FWindow = nullptr;
  std::atomic<int> FCallDepth{0};
  std::mutex FHooksLock;
  TMainThreadPauseHooks FHooks;
};

// Runs call on the main thread through the current window; false (the call
// could not be synchronised) when there is none or the probe failed.
bool CallOnMainThread(const std::function<void()>& call);
