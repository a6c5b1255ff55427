#pragma once
// The binary component stream: the "TPF0" signature, object headers, and
// typed values each led by a value-type byte (ValueType.h). TReader reads it
// from any stream and refuses malformed data with EReadError: it never reads
// past the end of the stream, and checks every length field against the bytes
// that remain before it allocates anything. TWriter writes the same format.
//
// A persistent object stores extra properties of its own through
// DefineProperties(filer): the filer calls back the reader or writer it was
// given for the property being read or written.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "framework/Persistent.h"
#include "framework/Stream.h"
#include "framework/ValueType.h"
#include "platform/WideString.h"

class TReader;
class TWriter;

using TReaderProc = std::function<void(TReader& reader)>;
using TWriterProc = std::function<void(TWriter& writer)>;
using TStreamProc = std::function<void(TStream& stream)>;

// The flag bits of an object header's optional prefix byte (0xF0 | flags).
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

struct TObjectHeader {
  uint8_t flags = 0;      // TFilerFlag bits
  int32_t childPos = -1;  // present when flags has ffChildPos
  std::string className;
  std::string objectName;
};

// 10-byte little-endian extended precision <-> double. Values beyond the
// range of a double become infinities; extended NaNs stay NaNs.
double ExtendedToDouble(const uint8_t bytes[10]);
void DoubleToExtended(double value, uint8_t bytes[10]);

class TFiler : public TObject {
 public:
  explicit TFiler(TStream& stream) : FStream(stream) {}
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;
  std::string ClassName() const override { return "TFiler"; }

  TStream& Stream() const { return FStream; }
  // The object the one being stored inherits from, when it has one; a
  // property that differs from nothing may then still need writing.
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* ancestor) { FAncestor = ancestor; }

  // Declares one extra property with the code that reads and writes its
  // value; hasData says whether there is anything to write.
  virtual void DefineProperty(const std::string& name, const TReaderProc& readData,
                              const TWriterProc& writeData, bool hasData) = 0;
  // The same for a property stored as one vaBinary block; the procedures see
  // the block as a stream of its own.
  virtual void DefineBinaryProperty(const std::string& name, const TStreamProc& readData,
                                    const TStreamProc& writeData, bool hasData) = 0;

 protected:
  // DefineProperties is protected in TPersistent; the filers may call it.
  static void CallDefineProperties(TPersistent& instance, TFiler* filer);

  TStream& FStream;
  TPersistent* FAncestor = nullptr;
};

class TReader : public TFiler {
 public:
  explicit TReader(TStream& stream) : TFiler(stream) {}
  std::string ClassName() const override { return "TReader"; }

  // Structure.
  void ReadSignature();                 // the four bytes "TPF0"
  TValueType ReadValue();               // the next value-type byte, consumed
  TValueType NextValue();               // the same, left in the stream
  void CheckValue(TValueType expected); // consumes it or raises
  void ReadListBegin();                 // vaList
  void ReadListEnd();                   // vaNull
  bool EndOfList();                     // the next byte is vaNull (not consumed)
  // The optional prefix, class name and object name of an object; its
  // properties follow (up to a vaNull), then its children (up to a vaNull).
  TObjectHeader ReadObjectHeader();
  std::string ReadStr();                // a short string without a type byte

  // Typed values: each consumes a type byte and its data, and raises
  // EReadError when the type is not one it accepts.
  int32_t ReadInteger();                // vaInt8, vaInt16, vaInt32
  int64_t ReadInt64();                  // the three above and vaInt64
  bool ReadBoolean();                   // vaFalse, vaTrue
  // Narrow text: vaString and vaLString as stored; vaWString and vaUTF8String
  // converted to the system code page.
  std::string ReadString();
  // Wide text: vaWString as stored; vaString and vaLString converted from the
  // system code page; vaUTF8String decoded (a byte that is not valid UTF-8
  // becomes the unit U+DC00 + byte).
  WideString ReadWideString();
  std::string ReadUTF8String();         // vaUTF8String, the bytes undecoded
  // vaIdent; also vaFalse, vaTrue, vaNil and vaNull as "False", "True", "nil"
  // and "Null".
  std::string ReadIdent();
  // vaExtended, vaDate, vaSingle, and the integer types.
  double ReadFloat();
  float ReadSingle();                   // vaSingle and the integer types
  double ReadDate();                    // vaDate
  int64_t ReadCurrency();               // vaCurrency: the value times 10000
  std::vector<uint8_t> ReadBinary();    // vaBinary
  std::vector<std::string> ReadSet();   // vaSet: its identifiers

  // Skipping what a caller does not know.
  void SkipValue();                     // one value of any type, lists included
  void SkipProperty();                  // a name and its value
  void SkipObject();                    // header, properties and children

  // Properties of an instance: each name read is offered to the instance's
  // DefineProperties; one it does not declare raises EReadError.
  void ReadProperty(TPersistent& instance);
  void ReadProperties(TPersistent& instance);  // up to and with the vaNull

  void DefineProperty(const std::string& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

  // Nesting of lists, collections and objects that SkipValue and SkipObject
  // follow before they refuse the stream (no stream of ours comes near it).
  static constexpr int kMaxNesting = 128;

 private:
  void Read(void* buffer, size_t count);
  uint8_t ReadByte();
  uint32_t ReadLength();
  // Raises unless count bytes remain; called before anything is allocated.
  void Require(uint64_t count, const char* what);
  int64_t Remaining();
  std::string ReadBytes(uint64_t count, const char* what);
  void SkipBytes(uint64_t count, const char* what);
  WideString ReadUnits(uint64_t count);
  [[noreturn]] void InvalidValue(TValueType found, const char* expected);
  int64_t ReadIntegerOf(TValueType type);
  void SkipValueAt(int depth);
  void SkipObjectAt(int depth);

  std::string FPropName;  // the property being read
  bool FPropHandled = false;
};

class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& stream) : TFiler(stream) {}
  std::string ClassName() const override { return "TWriter"; }

  void WriteSignature();
  void WriteValue(TValueType type);
  void WriteListBegin();
  void WriteListEnd();
  void WriteObjectHeader(const TObjectHeader& header);
  // A short string without a type byte; longer than 255 bytes raises
  // EWriteError rather than storing a cut name.
  void WriteStr(const std::string& text);

  // The smallest integer type that holds the value.
  void WriteInteger(int64_t value);
  void WriteBoolean(bool value);
  // vaString up to 255 bytes, vaLString beyond.
  void WriteString(const std::string& text);
  void WriteWideString(const WideString& text);   // vaWString
  void WriteUTF8String(const std::string& utf8);  // vaUTF8String
  // vaIdent; "False", "True", "nil" and "Null" (any case) as their own types.
  void WriteIdent(const std::string& ident);
  void WriteFloat(double value);                  // vaExtended
  void WriteSingle(float value);
  void WriteDate(double value);
  void WriteCurrency(int64_t scaled);             // the value times 10000
  void WriteBinary(const void* data, size_t count);
  void WriteSet(const std::vector<std::string>& idents);

  // Writes the instance's defined properties that have data; the caller
  // closes the property list with WriteListEnd.
  void WriteProperties(TPersistent& instance);

  void DefineProperty(const std::string& name, const TReaderProc& readData,
                      const TWriterProc& writeData, bool hasData) override;
  void DefineBinaryProperty(const std::string& name, const TStreamProc& readData,
                            const TStreamProc& writeData, bool hasData) override;

 private:
  void Write(const void* buffer, size_t count);
  void WriteLength(size_t length);
};
