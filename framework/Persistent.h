#pragma once
// Base of every framework object, and of the objects that can be assigned to
// one another and stored in form resources.
#include <functional>
#include <string>

class TFiler;

class TObject {
 public:
  virtual ~TObject() = default;
  // The class name as the framework's messages show it ("TElWideStringList").
  virtual std::string ClassName() const { return "TObject"; }
};

class TPersistent : public TObject {
 public:
  std::string ClassName() const override { return "TPersistent"; }

  // Copies source into this object; a class that knows no way raises
  // EConvertError "Cannot assign a <source> to a <this>".
  virtual void Assign(TPersistent* source);

 protected:
  virtual void AssignTo(TPersistent* dest);
  // Declares the extra properties stored in form resources; none by default.
  virtual void DefineProperties(TFiler* /*filer*/) {}
};

// An event: a callable bound to an object, raised with the sender.
using TNotifyEvent = std::function<void(TObject* sender)>;
