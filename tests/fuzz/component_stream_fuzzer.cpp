// Reads arbitrary bytes as a component stream. The first byte chooses how:
// an object tree after the signature, skipped; a sequence of values read by
// their typed readers; or a sequence of values skipped. Every value read is
// written again and must read back the same. Malformed input must end in
// EReadError, never in a crash, a leak or a read past the buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/Exception.h"
#include "framework/Filer.h"
#include "framework/Stream.h"

namespace {

// Reads one value with the typed reader its type calls for and writes it
// again with the writer.
void CopyValue(TReader& reader, TWriter& writer, int depth) {
  // Input nested deeper is refused like the reader's own skipping does.
  if (depth > TReader::kMaxNesting) throw EReadError("nested too deep");
  switch (reader.NextValue()) {
    case vaList:
      reader.ReadListBegin();
      writer.WriteListBegin();
      while (!reader.EndOfList()) CopyValue(reader, writer, depth + 1);
      reader.ReadListEnd();
      writer.WriteListEnd();
      return;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      writer.WriteInteger(reader.ReadInt64());
      return;
    case vaFalse:
    case vaTrue:
      writer.WriteBoolean(reader.ReadBoolean());
      return;
    case vaString:
    case vaLString:
      writer.WriteString(reader.ReadString());
      return;
    case vaWString:
      writer.WriteWideString(reader.ReadWideString());
      return;
    case vaUTF8String:
      writer.WriteUTF8String(reader.ReadUTF8String());
      return;
    case vaIdent:
    case vaNil:
    case vaNull: {
      const std::string ident = reader.ReadIdent();
      if (ident.empty()) {
        writer.WriteValue(vaIdent);
        writer.WriteStr(ident);
      } else {
        writer.WriteIdent(ident);
      }
      return;
    }
    case vaExtended:
      writer.WriteFloat(reader.ReadFloat());
      return;
    case vaSingle:
      writer.WriteSingle(reader.ReadSingle());
      return;
    case vaDate:
      writer.WriteDate(reader.ReadDate());
      return;
    case vaCurrency:
      writer.WriteCurrency(reader.ReadCurrency());
      return;
    case vaBinary: {
      const std::vector<uint8_t> data = reader.ReadBinary();
      writer.WriteBinary(data.data(), data.size());
      return;
    }
    case vaSet:
      writer.WriteSet(reader.ReadSet());
      return;
    default:
      reader.SkipValue();  // collections and unknown types
      return;
  }
}

std::string Contents(TMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0] % 3;
  TCustomMemoryStream stream(data + 1, size - 1);
  TReader reader(stream);
  try {
    switch (mode) {
      case 0:
        reader.ReadSignature();
        reader.SkipObject();
        break;
      case 1: {
        TMemoryStream copy;
        TWriter writer(copy);
        while (stream.Position() < stream.Size()) CopyValue(reader, writer, 0);
        // The copy is well-formed: it reads, copies and writes to the same bytes.
        const std::string first = Contents(copy);
        copy.SetPosition(0);
        TReader again(copy);
        TMemoryStream second;
        TWriter secondWriter(second);
        while (copy.Position() < copy.Size()) CopyValue(again, secondWriter, 0);
        if (Contents(second) != first) std::abort();
        break;
      }
      default:
        while (stream.Position() < stream.Size()) reader.SkipValue();
        break;
    }
  } catch (const EReadError&) {
  }
  if (stream.Position() > stream.Size()) std::abort();
  return 0;
}
