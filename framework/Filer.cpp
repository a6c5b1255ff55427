#include "framework/Filer.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "framework/Exception.h"
#include "platform/CodePage.h"
#include "platform/EscapedUtf8.h"

// ---------------------------------------------------------------------------
// Little-endian fields and the extended float

namespace {

uint64_t GetLE(const uint8_t* bytes, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

void PutLE(uint64_t value, uint8_t* bytes, int count) {
  for (int i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

template <class T>
T BitsTo(uint64_t bits) {
  T value;
  if constexpr (sizeof(T) == 4) {
    const auto narrow = static_cast<uint32_t>(bits);
    std::memcpy(&value, &narrow, sizeof value);
  } else {
    std::memcpy(&value, &bits, sizeof value);
  }
  return value;
}

template <class T>
uint64_t BitsOf(T value) {
  if constexpr (sizeof(T) == 4) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
  } else {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
  }
}

bool SameIdent(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

constexpr uint32_t kMaxLength = static_cast<uint32_t>(std::numeric_limits<int32_t>::max());

}  // namespace

double ExtendedToDouble(const uint8_t bytes[10]) {
  const uint64_t mantissa = GetLE(bytes, 8);
  const auto signAndExponent = static_cast<uint16_t>(GetLE(bytes + 8, 2));
  const bool negative = (signAndExponent & 0x8000) != 0;
  const int exponent = signAndExponent & 0x7FFF;
  double magnitude;
  if (exponent == 0x7FFF) {
    // The explicit integer bit does not count in telling infinity from NaN.
    magnitude = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                     : std::numeric_limits<double>::quiet_NaN();
  } else if (mantissa == 0) {
    magnitude = 0.0;
  } else {
    // The mantissa carries its integer bit, so denormals need no special case
    // beyond their exponent of 1 - bias.
    const int scale = (exponent == 0 ? 1 : exponent) - 16383 - 63;
    magnitude = std::ldexp(static_cast<double>(mantissa), scale);
  }
  return negative ? -magnitude : magnitude;
}

void DoubleToExtended(double value, uint8_t bytes[10]) {
  uint64_t mantissa = 0;
  int exponent = 0;
  if (std::isnan(value)) {
    mantissa = 0xC000000000000000ull;
    exponent = 0x7FFF;
  } else if (std::isinf(value)) {
    mantissa = 0x8000000000000000ull;
    exponent = 0x7FFF;
  } else if (value != 0.0) {
    int e = 0;
    const double fraction = std::frexp(std::fabs(value), &e);  // in [0.5, 1)
    mantissa = static_cast<uint64_t>(std::ldexp(fraction, 64));  // exact: 53 bits
    exponent = e - 1 + 16383;
  }
  if (std::signbit(value)) exponent |= 0x8000;
  PutLE(mantissa, bytes, 8);
  PutLE(static_cast<uint64_t>(exponent), bytes + 8, 2);
}

std::string ValueTypeName(TValueType type) {
  static const char* const kNames[] = {
      "vaNull",   "vaList",      "vaInt8",   "vaInt16",    "vaInt32",  "vaExtended", "vaString",
      "vaIdent",  "vaFalse",     "vaTrue",   "vaBinary",   "vaSet",    "vaLString",  "vaNil",
      "vaCollection", "vaSingle", "vaCurrency", "vaDate",  "vaWString", "vaInt64",   "vaUTF8String"};
  if (type <= kLastValueType) return kNames[type];
  return FormatMessage("unknown value type 0x%02X", static_cast<unsigned>(type));
}

// ---------------------------------------------------------------------------
// TFiler

namespace {
// Reaches the protected DefineProperties of any persistent object: a member
// pointer formed in a descendant may be applied to any instance.
struct PersistentAccess : TPersistent {
  static void Define(TPersistent& instance, TFiler* filer) {
    (instance.*(&PersistentAccess::DefineProperties))(filer);
  }
};
}  // namespace

void TFiler::CallDefineProperties(TPersistent& instance, TFiler* filer) {
  PersistentAccess::Define(instance, filer);
}

// ---------------------------------------------------------------------------
// TReader: raw data

int64_t TReader::Remaining() {
  const int64_t left = FStream.Size() - FStream.Position();
  return left > 0 ? left : 0;
}

void TReader::Require(uint64_t count, const char* what) {
  const int64_t left = Remaining();
  if (count > static_cast<uint64_t>(left))
    throw EReadError(FormatMessage(
        "Invalid stream format: %s of %llu bytes runs past the end of the stream (%lld bytes remain)",
        what, static_cast<unsigned long long>(count), static_cast<long long>(left)));
}

void TReader::Read(void* buffer, size_t count) {
  if (count == 0) return;
  const size_t done = FStream.Read(buffer, count);
  if (done != count)
    throw EReadError(FormatMessage("Unexpected end of stream: %lu bytes needed, %lu found",
                                   static_cast<unsigned long>(count), static_cast<unsigned long>(done)));
}

uint8_t TReader::ReadByte() {
  uint8_t byte;
  Read(&byte, 1);
  return byte;
}

uint32_t TReader::ReadLength() {
  uint8_t bytes[4];
  Read(bytes, 4);
  const auto length = static_cast<uint32_t>(GetLE(bytes, 4));
  if (length > kMaxLength)
    throw EReadError(FormatMessage("Invalid stream format: negative length %ld",
                                   static_cast<long>(static_cast<int32_t>(length))));
  return length;
}

std::string TReader::ReadBytes(uint64_t count, const char* what) {
  Require(count, what);
  std::string result(static_cast<size_t>(count), '\0');
  if (count > 0) Read(&result[0], result.size());
  return result;
}

void TReader::SkipBytes(uint64_t count, const char* what) {
  Require(count, what);
  if (count > 0) FStream.Seek(static_cast<int64_t>(count), soCurrent);
}

WideString TReader::ReadUnits(uint64_t count) {
  const std::string bytes = ReadBytes(count * 2, "wide string");
  WideString result(static_cast<size_t>(count), u'\0');
  for (size_t i = 0; i < result.size(); ++i)
    result[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                      (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
  return result;
}

void TReader::InvalidValue(TValueType found, const char* expected) {
  throw EReadError(FormatMessage("Invalid property value: %s where %s was expected",
                                 ValueTypeName(found).c_str(), expected));
}

// ---------------------------------------------------------------------------
// TReader: structure

void TReader::ReadSignature() {
  char signature[4];
  Read(signature, 4);
  if (std::memcmp(signature, "TPF0", 4) != 0)
    throw EReadError("Invalid stream format: the signature TPF0 is missing");
}

TValueType TReader::ReadValue() { return static_cast<TValueType>(ReadByte()); }

TValueType TReader::NextValue() {
  const TValueType type = ReadValue();
  FStream.Seek(-1, soCurrent);
  return type;
}

void TReader::CheckValue(TValueType expected) {
  const TValueType type = ReadValue();
  if (type != expected) InvalidValue(type, ValueTypeName(expected).c_str());
}

void TReader::ReadListBegin() { CheckValue(vaList); }

void TReader::ReadListEnd() { CheckValue(vaNull); }

bool TReader::EndOfList() { return NextValue() == vaNull; }

std::string TReader::ReadStr() {
  const uint8_t length = ReadByte();
  return ReadBytes(length, "short string");
}

TObjectHeader TReader::ReadObjectHeader() {
  TObjectHeader header;
  const auto prefix = static_cast<uint8_t>(NextValue());
  if ((prefix & 0xF0) == 0xF0) {
    ReadByte();
    header.flags = prefix & 0x0F;
    if (header.flags & ffChildPos) header.childPos = ReadInteger();
  }
  header.className = ReadStr();
  header.objectName = ReadStr();
  return header;
}

// ---------------------------------------------------------------------------
// TReader: typed values

int64_t TReader::ReadIntegerOf(TValueType type) {
  uint8_t bytes[8];
  switch (type) {
    case vaInt8:
      Read(bytes, 1);
      return static_cast<int8_t>(bytes[0]);
    case vaInt16:
      Read(bytes, 2);
      return static_cast<int16_t>(GetLE(bytes, 2));
    case vaInt32:
      Read(bytes, 4);
      return static_cast<int32_t>(GetLE(bytes, 4));
    default:
      Read(bytes, 8);
      return static_cast<int64_t>(GetLE(bytes, 8));
  }
}

int32_t TReader::ReadInteger() {
  const TValueType type = ReadValue();
  if (type != vaInt8 && type != vaInt16 && type != vaInt32) InvalidValue(type, "an integer");
  return static_cast<int32_t>(ReadIntegerOf(type));
}

int64_t TReader::ReadInt64() {
  const TValueType type = ReadValue();
  if (type != vaInt8 && type != vaInt16 && type != vaInt32 && type != vaInt64)
    InvalidValue(type, "an integer");
  return ReadIntegerOf(type);
}

bool TReader::ReadBoolean() {
  const TValueType type = ReadValue();
  if (type != vaFalse && type != vaTrue) InvalidValue(type, "a boolean");
  return type == vaTrue;
}

std::string TReader::ReadString() {
  const TValueType type = ReadValue();
  switch (type) {
    case vaString:
      return ReadStr();
    case vaLString:
      return ReadBytes(ReadLength(), "string");
    case vaWString:
      return WideToNarrow(ReadUnits(ReadLength()));
    case vaUTF8String:
      return WideToNarrow(DecodeEscapedUtf8(ReadBytes(ReadLength(), "UTF-8 string")));
    default:
      InvalidValue(type, "a string");
  }
}

WideString TReader::ReadWideString() {
  const TValueType type = ReadValue();
  switch (type) {
    case vaString:
      return NarrowToWide(ReadStr());
    case vaLString:
      return NarrowToWide(ReadBytes(ReadLength(), "string"));
    case vaWString:
      return ReadUnits(ReadLength());
    case vaUTF8String:
      return DecodeEscapedUtf8(ReadBytes(ReadLength(), "UTF-8 string"));
    default:
      InvalidValue(type, "a string");
  }
}

std::string TReader::ReadUTF8String() {
  CheckValue(vaUTF8String);
  return ReadBytes(ReadLength(), "UTF-8 string");
}

std::string TReader::ReadIdent() {
  const TValueType type = ReadValue();
  switch (type) {
    case vaIdent: return ReadStr();
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    default: InvalidValue(type, "an identifier");
  }
}

double TReader::ReadFloat() {
  const TValueType type = ReadValue();
  uint8_t bytes[10];
  switch (type) {
    case vaExtended:
      Read(bytes, 10);
      return ExtendedToDouble(bytes);
    case vaDate:
      Read(bytes, 8);
      return BitsTo<double>(GetLE(bytes, 8));
    case vaSingle:
      Read(bytes, 4);
      return BitsTo<float>(GetLE(bytes, 4));
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      return static_cast<double>(ReadIntegerOf(type));
    default:
      InvalidValue(type, "a number");
  }
}

float TReader::ReadSingle() {
  const TValueType type = ReadValue();
  if (type == vaSingle) {
    uint8_t bytes[4];
    Read(bytes, 4);
    return BitsTo<float>(GetLE(bytes, 4));
  }
  if (type != vaInt8 && type != vaInt16 && type != vaInt32) InvalidValue(type, "a single");
  return static_cast<float>(ReadIntegerOf(type));
}

double TReader::ReadDate() {
  const TValueType type = ReadValue();
  if (type == vaDate) {
    uint8_t bytes[8];
    Read(bytes, 8);
    return BitsTo<double>(GetLE(bytes, 8));
  }
  if (type != vaInt8 && type != vaInt16 && type != vaInt32) InvalidValue(type, "a date");
  return static_cast<double>(ReadIntegerOf(type));
}

int64_t TReader::ReadCurrency() {
  const TValueType type = ReadValue();
  if (type == vaCurrency) {
    uint8_t bytes[8];
    Read(bytes, 8);
    return static_cast<int64_t>(GetLE(bytes, 8));
  }
  if (type != vaInt8 && type != vaInt16 && type != vaInt32) InvalidValue(type, "a currency");
  return ReadIntegerOf(type) * 10000;
}

std::vector<uint8_t> TReader::ReadBinary() {
  CheckValue(vaBinary);
  const uint32_t length = ReadLength();
  Require(length, "binary block");
  std::vector<uint8_t> result(length);
  if (length > 0) Read(result.data(), length);
  return result;
}

std::vector<std::string> TReader::ReadSet() {
  CheckValue(vaSet);
  std::vector<std::string> result;
  for (std::string ident = ReadStr(); !ident.empty(); ident = ReadStr()) result.push_back(ident);
  return result;
}

// ---------------------------------------------------------------------------
// TReader: skipping

void TReader::SkipValue() { SkipValueAt(0); }

void TReader::SkipProperty() {
  ReadStr();
  SkipValueAt(0);
}

void TReader::SkipObject() { SkipObjectAt(0); }

void TReader::SkipValueAt(int depth) {
  if (depth > kMaxNesting)
    throw EReadError(FormatMessage("Invalid stream format: values nested deeper than %d", kMaxNesting));
  const TValueType type = ReadValue();
  switch (type) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList:
      while (!EndOfList()) SkipValueAt(depth + 1);
      ReadListEnd();
      return;
    case vaInt8: SkipBytes(1, "integer"); return;
    case vaInt16: SkipBytes(2, "integer"); return;
    case vaInt32: SkipBytes(4, "integer"); return;
    case vaInt64: SkipBytes(8, "integer"); return;
    case vaExtended: SkipBytes(10, "extended"); return;
    case vaSingle: SkipBytes(4, "single"); return;
    case vaCurrency: SkipBytes(8, "currency"); return;
    case vaDate: SkipBytes(8, "date"); return;
    case vaString:
    case vaIdent:
      SkipBytes(ReadByte(), "short string");
      return;
    case vaLString: SkipBytes(ReadLength(), "string"); return;
    case vaUTF8String: SkipBytes(ReadLength(), "UTF-8 string"); return;
    case vaBinary: SkipBytes(ReadLength(), "binary block"); return;
    case vaWString: SkipBytes(uint64_t{ReadLength()} * 2, "wide string"); return;
    case vaSet:
      while (true) {
        const uint8_t length = ReadByte();
        if (length == 0) return;
        SkipBytes(length, "set element");
      }
    case vaCollection:
      while (!EndOfList()) {
        const TValueType next = NextValue();
        if (next == vaInt8 || next == vaInt16 || next == vaInt32) SkipValueAt(depth + 1);
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValueAt(depth + 1);
        }
        ReadListEnd();
      }
      ReadListEnd();
      return;
  }
  throw EReadError(FormatMessage("Invalid stream format: %s", ValueTypeName(type).c_str()));
}

void TReader::SkipObjectAt(int depth) {
  if (depth > kMaxNesting)
    throw EReadError(FormatMessage("Invalid stream format: objects nested deeper than %d", kMaxNesting));
  ReadObjectHeader();
  while (!EndOfList()) {
    ReadStr();
    SkipValueAt(depth + 1);
  }
  ReadListEnd();
  while (!EndOfList()) SkipObjectAt(depth + 1);
  ReadListEnd();
}

// ---------------------------------------------------------------------------
// TReader: properties of an instance

void TReader::ReadProperty(TPersistent& instance) {
  const std::string name = ReadStr();
  const std::string outerName = FPropName;
  const bool outerHandled = FPropHandled;
  FPropName = name;
  FPropHandled = false;
  try {
    CallDefineProperties(instance, this);
  } catch (...) {
    FPropName = outerName;
    FPropHandled = outerHandled;
    throw;
  }
  const bool handled = FPropHandled;
  FPropName = outerName;
  FPropHandled = outerHandled;
  if (!handled)
    throw EReadError(FormatMessage("Error reading %s: property %s does not exist",
                                   instance.ClassName().c_str(), name.c_str()));
}

void TReader::ReadProperties(TPersistent& instance) {
  while (!EndOfList()) ReadProperty(instance);
  ReadListEnd();
}

void TReader::DefineProperty(const std::string& name, const TReaderProc& readData,
                             const TWriterProc& /*writeData*/, bool /*hasData*/) {
  if (FPropHandled || !readData || !SameIdent(FPropName, name.c_str())) return;
  FPropHandled = true;
  readData(*this);
}

void TReader::DefineBinaryProperty(const std::string& name, const TStreamProc& readData,
                                   const TStreamProc& /*writeData*/, bool /*hasData*/) {
  if (FPropHandled || !readData || !SameIdent(FPropName, name.c_str())) return;
  FPropHandled = true;
  CheckValue(vaBinary);
  const uint32_t length = ReadLength();
  Require(length, "binary block");
  TMemoryStream block;
  block.SetSize(length);
  if (length > 0) Read(block.Memory(), length);
  block.SetPosition(0);
  readData(block);
}

// ---------------------------------------------------------------------------
// TWriter

void TWriter::Write(const void* buffer, size_t count) { FStream.WriteBuffer(buffer, count); }

void TWriter::WriteLength(size_t length) {
  if (length > kMaxLength)
    throw EWriteError(FormatMessage("Value of %lu bytes is too long for the stream",
                                    static_cast<unsigned long>(length)));
  uint8_t bytes[4];
  PutLE(length, bytes, 4);
  Write(bytes, 4);
}

void TWriter::WriteSignature() { Write("TPF0", 4); }

void TWriter::WriteValue(TValueType type) {
  const auto byte = static_cast<uint8_t>(type);
  Write(&byte, 1);
}

void TWriter::WriteListBegin() { WriteValue(vaList); }

void TWriter::WriteListEnd() { WriteValue(vaNull); }

void TWriter::WriteObjectHeader(const TObjectHeader& header) {
  if (header.flags != 0) {
    const auto prefix = static_cast<uint8_t>(0xF0 | (header.flags & 0x0F));
    Write(&prefix, 1);
    if (header.flags & ffChildPos) WriteInteger(header.childPos);
  }
  WriteStr(header.className);
  WriteStr(header.objectName);
}

void TWriter::WriteStr(const std::string& text) {
  if (text.size() > 255)
    throw EWriteError(FormatMessage("Short string of %lu bytes is longer than 255",
                                    static_cast<unsigned long>(text.size())));
  const auto length = static_cast<uint8_t>(text.size());
  Write(&length, 1);
  Write(text.data(), text.size());
}

void TWriter::WriteInteger(int64_t value) {
  uint8_t bytes[8];
  int size;
  if (value >= -128 && value <= 127) {
    WriteValue(vaInt8);
    size = 1;
  } else if (value >= -32768 && value <= 32767) {
    WriteValue(vaInt16);
    size = 2;
  } else if (value >= std::numeric_limits<int32_t>::min() && value <= std::numeric_limits<int32_t>::max()) {
    WriteValue(vaInt32);
    size = 4;
  } else {
    WriteValue(vaInt64);
    size = 8;
  }
  PutLE(static_cast<uint64_t>(value), bytes, size);
  Write(bytes, static_cast<size_t>(size));
}

void TWriter::WriteBoolean(bool value) { WriteValue(value ? vaTrue : vaFalse); }

void TWriter::WriteString(const std::string& text) {
  if (text.size() <= 255) {
    WriteValue(vaString);
    WriteStr(text);
    return;
  }
  WriteValue(vaLString);
  WriteLength(text.size());
  Write(text.data(), text.size());
}

void TWriter::WriteWideString(const WideString& text) {
  WriteValue(vaWString);
  WriteLength(text.size());
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  Write(bytes.data(), bytes.size());
}

void TWriter::WriteUTF8String(const std::string& utf8) {
  WriteValue(vaUTF8String);
  WriteLength(utf8.size());
  Write(utf8.data(), utf8.size());
}

void TWriter::WriteIdent(const std::string& ident) {
  if (SameIdent(ident, "False")) return WriteValue(vaFalse);
  if (SameIdent(ident, "True")) return WriteValue(vaTrue);
  if (SameIdent(ident, "nil")) return WriteValue(vaNil);
  if (SameIdent(ident, "Null")) return WriteValue(vaNull);
  WriteValue(vaIdent);
  WriteStr(ident);
}

void TWriter::WriteFloat(double value) {
  uint8_t bytes[10];
  DoubleToExtended(value, bytes);
  WriteValue(vaExtended);
  Write(bytes, 10);
}

void TWriter::WriteSingle(float value) {
  uint8_t bytes[4];
  PutLE(BitsOf(value), bytes, 4);
  WriteValue(vaSingle);
  Write(bytes, 4);
}

void TWriter::WriteDate(double value) {
  uint8_t bytes[8];
  PutLE(BitsOf(value), bytes, 8);
  WriteValue(vaDate);
  Write(bytes, 8);
}

void TWriter::WriteCurrency(int64_t scaled) {
  uint8_t bytes[8];
  PutLE(static_cast<uint64_t>(scaled), bytes, 8);
  WriteValue(vaCurrency);
  Write(bytes, 8);
}

void TWriter::WriteBinary(const void* data, size_t count) {
  WriteValue(vaBinary);
  WriteLength(count);
  Write(data, count);
}

void TWriter::WriteSet(const std::vector<std::string>& idents) {
  // An empty identifier would end the set early.
  for (const std::string& ident : idents)
    if (ident.empty()) throw EWriteError("A set element cannot be empty");
  WriteValue(vaSet);
  for (const std::string& ident : idents) WriteStr(ident);
  WriteStr(std::string());
}

void TWriter::WriteProperties(TPersistent& instance) { CallDefineProperties(instance, this); }

void TWriter::DefineProperty(const std::string& name, const TReaderProc& /*readData*/,
                             const TWriterProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  WriteStr(name);
  writeData(*this);
}

void TWriter::DefineBinaryProperty(const std::string& name, const TStreamProc& /*readData*/,
                                   const TStreamProc& writeData, bool hasData) {
  if (!hasData || !writeData) return;
  TMemoryStream block;
  writeData(block);
  WriteStr(name);
  WriteValue(vaBinary);
  const auto size = static_cast<size_t>(block.Size());
  WriteLength(size);
  Write(block.Memory(), size);
}
