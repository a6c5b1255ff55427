#include "crash/map/DecoderArena.h"

#include <cstdint>
#include <cstring>

namespace decoder_arena {
namespace {

// First fit over a list of blocks laid end to end; the decoder keeps a
// handful of long-lived blocks, so a walk is cheap.
struct alignas(16) TBlockHeader {
  std::size_t Size;  // payload bytes
  bool Free;
};

constexpr std::size_t kArenaSize = 256 * 1024;
alignas(16) unsigned char gArena[kArenaSize];
std::size_t gUsedEnd = 0;  // end of the last block ever carved
std::size_t gInUse = 0;

std::size_t Rounded(std::size_t size) { return (size + 15) & ~static_cast<std::size_t>(15); }

TBlockHeader* HeaderAt(std::size_t offset) { return reinterpret_cast<TBlockHeader*>(gArena + offset); }

TBlockHeader* HeaderOf(void* block) {
  return reinterpret_cast<TBlockHeader*>(static_cast<unsigned char*>(block) - sizeof(TBlockHeader));
}

std::size_t OffsetOf(TBlockHeader* header) {
  return static_cast<std::size_t>(reinterpret_cast<unsigned char*>(header) - gArena);
}

// Joins a free block with the free blocks that follow it.
void Coalesce(TBlockHeader* header) {
  for (;;) {
    const std::size_t next = OffsetOf(header) + sizeof(TBlockHeader) + header->Size;
    if (next >= gUsedEnd || !HeaderAt(next)->Free) break;
    header->Size += sizeof(TBlockHeader) + HeaderAt(next)->Size;
  }
  if (OffsetOf(header) + sizeof(TBlockHeader) + header->Size == gUsedEnd) gUsedEnd = OffsetOf(header);
}

}  // namespace

void* Allocate(std::size_t size) {
  const std::size_t wanted = Rounded(size == 0 ? 1 : size);
  for (std::size_t offset = 0; offset < gUsedEnd;) {
    TBlockHeader* header = HeaderAt(offset);
    if (header->Free) Coalesce(header);
    if (offset >= gUsedEnd) break;
    if (header->Free && header->Size >= wanted) {
      if (header->Size >= wanted + sizeof(TBlockHeader) + 16) {
        TBlockHeader* rest = HeaderAt(offset + sizeof(TBlockHeader) + wanted);
        rest->Size = header->Size - wanted - sizeof(TBlockHeader);
        rest->Free = true;
        header->Size = wanted;
      }
      header->Free = false;
      gInUse += header->Size;
      return header + 1;
    }
    offset += sizeof(TBlockHeader) + header->Size;
  }
  if (kArenaSize - gUsedEnd < sizeof(TBlockHeader) + wanted) return nullptr;
  TBlockHeader* header = HeaderAt(gUsedEnd);
  header->Size = wanted;
  header->Free = false;
  gUsedEnd += sizeof(TBlockHeader) + wanted;
  gInUse += wanted;
  return header + 1;
}

void* AllocateZeroed(std::size_t count, std::size_t size) {
  if (size != 0 && count > kArenaSize / size) return nullptr;
  void* block = Allocate(count * size);
  if (block) std::memset(block, 0, count * size);
  return block;
}

void Free(void* block) {
  if (!block) return;
  TBlockHeader* header = HeaderOf(block);
  header->Free = true;
  gInUse -= header->Size;
  Coalesce(header);
}

void* Reallocate(void* block, std::size_t size) {
  if (!block) return Allocate(size);
  if (size == 0) {
    Free(block);
    return nullptr;
  }
  TBlockHeader* header = HeaderOf(block);
  if (header->Size >= size) return block;
  void* moved = Allocate(size);
  if (!moved) return nullptr;
  std::memcpy(moved, block, header->Size);
  Free(block);
  return moved;
}

std::size_t BytesInUse() { return gInUse; }

}  // namespace decoder_arena
