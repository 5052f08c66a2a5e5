#pragma once

// Marks the threads that already keep the cores busy together, such as the
// threads of a run that merges several sites at once, for as long as it
// lives. Work that would otherwise hand a part of itself to a second thread
// does it all on its own there: another thread would only add to the load,
// and to the memory the C library keeps for each thread.
class CoresTaken {
 public:
  CoresTaken() : _before(tTaken) { tTaken = true; }
  ~CoresTaken() { tTaken = _before; }
  CoresTaken(const CoresTaken&) = delete;
  CoresTaken& operator=(const CoresTaken&) = delete;

  // Whether this thread is one of them.
  static bool here() { return tTaken; }

 private:
  static inline thread_local bool tTaken = false;
  bool _before;
};
