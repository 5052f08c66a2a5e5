#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <unordered_set>
#include <vector>

class MergerNode;
struct NodeExtras;

// The memory of one tree: its nodes, their packed texts, their children
// lists and their rarely used parts (comments, decision records). Millions
// of nodes are not millions of allocations: nodes are carved from large
// blocks, and the whole tree goes at once when the storage is released.
// Nodes carved here are never destroyed one by one.
//
// A clone shares the packed text of its source; the storage of the clone
// then keeps the storage of the source alive, so that no text outlives the
// bytes it points to.
class MaskStorage : public std::enable_shared_from_this<MaskStorage> {
 public:
  // The room a child takes in a children list: one pointer.
  static constexpr size_t kChildSlot = sizeof(void*);

  static std::shared_ptr<MaskStorage> create();
  // How many blocks of storages that are gone are kept for the next ones
  // (8 unless told): a run that reads one tree after another keeps what
  // the trees alive at once need.
  static void keepBlocksForReuse(size_t count);
  ~MaskStorage();
  MaskStorage(const MaskStorage&) = delete;
  MaskStorage& operator=(const MaskStorage&) = delete;

  // The storage that `node` (a node carved from a storage) belongs to.
  static MaskStorage* of(const void* node) {
    auto at = static_cast<const char*>(node);
    auto block = at - reinterpret_cast<uintptr_t>(at) % kBlockSize;
    return reinterpret_cast<const BlockHeader*>(block)->owner;
  }

  // Where the nodes made under `parent` (a node of a storage) and the
  // children lists of `parent` are carved from: its storage, unless this
  // thread carves into a storage of its own (see CarveHere).
  static MaskStorage& forNodesUnder(const void* parent) {
    return tCarveHere ? *tCarveHere : *of(parent);
  }
  // While it lives, the nodes this thread makes under nodes of any storage
  // are carved from `storage`: threads that merge subtrees of one result
  // side by side each fill a storage of their own, which the result's
  // storage keeps alive.
  class CarveHere {
   public:
    explicit CarveHere(MaskStorage& storage) : _before(tCarveHere) { tCarveHere = &storage; }
    ~CarveHere() { tCarveHere = _before; }
    CarveHere(const CarveHere&) = delete;
    CarveHere& operator=(const CarveHere&) = delete;

   private:
    MaskStorage* _before;
  };

  // Room for one node (and whatever follows it), aligned for a node; at most
  // a small fraction of a block.
  void* allocateNode(size_t size) {
    size = (size + kNodeAlignment - 1) & ~(kNodeAlignment - 1);
    if (!_nodes.next || size > static_cast<size_t>(_nodes.end - _nodes.next)) newBlock(_nodes);
    void* node = _nodes.next;
    _nodes.next += size;
    return node;
  }
  // Room for a packed text; any size.
  uint8_t* allocateBytes(size_t size);
  // A children list able to hold `capacity` entries, and its return once a
  // longer one replaced it (it is then reused for another node). A list of
  // another storage may be returned too: it is recycled here, or a large
  // one left to its storage.
  MergerNode** allocateChildren(size_t capacity);
  void releaseChildren(MergerNode** items, size_t capacity);
  // Empty extras for a node of this storage, destroyed with the storage:
  // their number (from 1), by which the node finds them.
  uint32_t newExtras();
  NodeExtras& extrasAt(uint32_t number);
  // Keeps `source` alive as long as this storage: a node here shares texts
  // of a node there.
  void retain(MaskStorage* source);
  // Takes ownership of a node made with `new` and attached to a node here.
  void adopt(MergerNode* node);

 private:
  static constexpr size_t kBlockSize = size_t{2} << 20;
  static constexpr size_t kNodeAlignment = alignof(void*);
  // Larger requests get an allocation of their own.
  static constexpr size_t kLargeSize = size_t{64} << 10;
  // Children lists of up to kLargeSize bytes are recycled by capacity.
  static constexpr unsigned kRecycledClasses = 14;
  static_assert((size_t{1} << (kRecycledClasses - 1)) * sizeof(void*) == kLargeSize);

  static thread_local MaskStorage* tCarveHere;

  struct BlockHeader {
    MaskStorage* owner;
  };
  // A run of free bytes in the current block of one kind.
  struct Cursor {
    char* next = nullptr;
    char* end = nullptr;
  };

  MaskStorage() = default;
  char* carve(Cursor& cursor, size_t size, size_t alignment);
  void newBlock(Cursor& cursor);
  void* allocateLarge(size_t size);

  std::vector<void*> _blocks;
  std::unordered_set<void*> _large;
  Cursor _nodes;  // nodes and children lists, aligned
  Cursor _bytes;  // packed texts, unaligned
  MergerNode** _freeChildren[kRecycledClasses] = {};
  std::deque<NodeExtras> _extras;
  std::vector<std::shared_ptr<MaskStorage>> _retained;
  std::vector<MergerNode*> _adopted;
};
