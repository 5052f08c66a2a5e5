#include "tree/MaskStorage.h"

#include <sys/mman.h>

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <mutex>
#include <new>

#include "tree/MergerNode.h"
#include "tree/NodeExtras.h"

namespace {

// Blocks of storages that are gone, kept for the next ones: a process that
// reads many small files (tests, fuzzing) then does not map and unmap two
// megabytes for each. A few are kept; the others go back to the system.
class BlockPool {
 public:
  ~BlockPool() {
    for (void* block : _blocks) std::free(block);
  }
  void* take() {
    std::lock_guard<std::mutex> lock(_mutex);
    if (_blocks.empty()) return nullptr;
    void* block = _blocks.back();
    _blocks.pop_back();
    return block;
  }
  bool give(void* block) {
    std::lock_guard<std::mutex> lock(_mutex);
    if (_blocks.size() >= _kept) return false;
    _blocks.push_back(block);
    return true;
  }
  void keep(size_t count) {
    std::lock_guard<std::mutex> lock(_mutex);
    _kept = count;
  }

 private:
  size_t _kept = 8;
  std::mutex _mutex;
  std::vector<void*> _blocks;
};

BlockPool& pool() {
  static BlockPool blocks;
  return blocks;
}

}  // namespace

thread_local MaskStorage* MaskStorage::tCarveHere = nullptr;

std::shared_ptr<MaskStorage> MaskStorage::create() {
  return std::shared_ptr<MaskStorage>(new MaskStorage());
}

MaskStorage::~MaskStorage() {
  for (MergerNode* node : _adopted) delete node;
  _extras.clear();
  for (void* large : _large) std::free(large);
  for (void* block : _blocks) {
    if (!pool().give(block)) std::free(block);
  }
}

void MaskStorage::keepBlocksForReuse(size_t count) { pool().keep(count); }

void MaskStorage::newBlock(Cursor& cursor) {
  void* block = pool().take();
  if (!block) {
    block = std::aligned_alloc(kBlockSize, kBlockSize);
    if (!block) throw std::bad_alloc();
    // Huge pages where the system offers them: a tree of millions of nodes
    // then costs hundreds of page faults instead of hundreds of thousands.
    madvise(block, kBlockSize, MADV_HUGEPAGE);
  }
  _blocks.push_back(block);
  new (block) BlockHeader{this};
  static_assert(sizeof(BlockHeader) % kNodeAlignment == 0);
  cursor.next = static_cast<char*>(block) + sizeof(BlockHeader);
  cursor.end = static_cast<char*>(block) + kBlockSize;
}

// The padding that brings `at` to a multiple of `alignment`.
static size_t paddingFor(const char* at, size_t alignment) {
  return (alignment - reinterpret_cast<uintptr_t>(at) % alignment) % alignment;
}

char* MaskStorage::carve(Cursor& cursor, size_t size, size_t alignment) {
  if (!cursor.next ||
      paddingFor(cursor.next, alignment) + size > static_cast<size_t>(cursor.end - cursor.next)) {
    newBlock(cursor);
  }
  char* at = cursor.next + paddingFor(cursor.next, alignment);
  cursor.next = at + size;
  return at;
}

void* MaskStorage::allocateLarge(size_t size) {
  void* memory = std::malloc(size);
  if (!memory) throw std::bad_alloc();
  _large.insert(memory);
  return memory;
}

uint8_t* MaskStorage::allocateBytes(size_t size) {
  if (size > kLargeSize) return static_cast<uint8_t*>(allocateLarge(size));
  return reinterpret_cast<uint8_t*>(carve(_bytes, size, 1));
}

// Children lists grow by doubling, so their capacities are powers of two:
// one free list per power recycles the lists that growth leaves behind.
MergerNode** MaskStorage::allocateChildren(size_t capacity) {
  size_t bytes = capacity * kChildSlot;
  if (bytes > kLargeSize) return static_cast<MergerNode**>(allocateLarge(bytes));
  unsigned sizeClass = static_cast<unsigned>(std::countr_zero(std::bit_ceil(capacity)));
  if (MergerNode** items = _freeChildren[sizeClass]) {
    _freeChildren[sizeClass] = reinterpret_cast<MergerNode**>(items[0]);
    return items;
  }
  return reinterpret_cast<MergerNode**>(carve(_nodes, bytes, kNodeAlignment));
}

void MaskStorage::releaseChildren(MergerNode** items, size_t capacity) {
  if (!items) return;
  if (capacity * kChildSlot > kLargeSize) {
    // A list of another storage (carved there before this thread carved
    // here) goes with that storage.
    if (_large.erase(items) > 0) std::free(items);
    return;
  }
  unsigned sizeClass = static_cast<unsigned>(std::countr_zero(std::bit_ceil(capacity)));
  items[0] = reinterpret_cast<MergerNode*>(_freeChildren[sizeClass]);
  _freeChildren[sizeClass] = items;
}

NodeExtras& MaskStorage::extrasAt(uint32_t number) { return _extras[number - 1]; }

uint32_t MaskStorage::newExtras() {
  if (_extras.size() >= UINT32_MAX) throw std::bad_alloc();
  _extras.emplace_back();
  return static_cast<uint32_t>(_extras.size());
}

void MaskStorage::retain(MaskStorage* source) {
  if (!source || source == this) return;
  for (const auto& held : _retained) {
    if (held.get() == source) return;
  }
  _retained.push_back(source->shared_from_this());
}

void MaskStorage::adopt(MergerNode* node) { _adopted.push_back(node); }
