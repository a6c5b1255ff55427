#pragma once
// The record a reporting thread writes into the handling thread's pipe:
// fourteen 32-bit words, so a read of 56 bytes is always one whole request.
// A record whose event is null stops the handling thread.
#include <windows.h>

#include <cstdint>

struct TExceptionRequestRecord {
  HANDLE Event;              // set when the request has been handled
  DWORD ThreadId;            // the reporting thread
  DWORD EventKind;           // TEventKind in the low byte
  std::uint32_t ExceptionObject;  // a TRaisedException* of the reporting thread
  std::uint32_t ExceptionAddress;
  DWORD CanContinue;         // low byte
  std::uint32_t StackPointer;
  std::uint32_t FramePointer;
  std::uint32_t Context;     // a CONTEXT* of the reporting thread, or 0
  std::uint32_t ReportTextOut;  // a std::string* to receive the report, or 0
  DWORD CatchPoint;          // TCatchPoint in the low byte
  std::uint32_t RelatedObject;
  std::uint32_t Package;
  std::uint32_t PreparedStack;  // a stack captured at the raise, or 0
};
static_assert(sizeof(TExceptionRequestRecord) == 56, "the request record is fourteen 32-bit words");
