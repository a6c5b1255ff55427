#pragma once
// Root of the system's exception classes and the subclasses the lower layers
// raise. Messages are narrow strings in the system code page.
#include <exception>
#include <stdexcept>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : FMessage(std::move(message)) {}
  const char* what() const noexcept override { return FMessage.c_str(); }
  const std::string& Message() const { return FMessage; }
  // A copy that keeps the object's own class, for code that holds an
  // exception only by reference to this base.
  virtual std::exception_ptr Clone() const { return std::make_exception_ptr(*this); }

 private:
  std::string FMessage;
};

// Declares a subclass that only carries its own class identity.
#define RAVELIN_EXCEPTION_CLASS(Name, Base)                                                      \
  class Name : public Base {                                                                     \
   public:                                                                                       \
    using Base::Base;                                                                            \
    std::exception_ptr Clone() const override { return std::make_exception_ptr(*this); }       \
  }

RAVELIN_EXCEPTION_CLASS(EStringListError, Exception);
RAVELIN_EXCEPTION_CLASS(EConvertError, Exception);
RAVELIN_EXCEPTION_CLASS(EAbstractError, Exception);
// Stream failures: EStreamError for the stream itself (seeking, sizing), its
// file variants for opening and creating, EReadError and EWriteError (through
// EFilerError) for short transfers and malformed component streams.
RAVELIN_EXCEPTION_CLASS(EStreamError, Exception);
RAVELIN_EXCEPTION_CLASS(EFCreateError, EStreamError);
RAVELIN_EXCEPTION_CLASS(EFOpenError, EStreamError);
RAVELIN_EXCEPTION_CLASS(EFilerError, EStreamError);
RAVELIN_EXCEPTION_CLASS(EReadError, EFilerError);
RAVELIN_EXCEPTION_CLASS(EWriteError, EFilerError);

// printf-style formatting for exception messages ("List index out of bounds (%d)").
std::string FormatMessage(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
