// The per-file read-only memory: a most-recently-used list of documents, each
// with the read-only mode it was last used in.
//
// Entries run from the front (most recently touched) to the back (least
// recently touched), unique by exact path: paths are UTF-8 and compared byte
// for byte, so two paths that differ only in letter case are two entries.
// After every operation the list holds at most capacity() entries; the
// capacity is meant to be at least 1 (a capacity below 1 still keeps the
// entry just touched, so the reference touch() returns is always valid).
//
// A new entry starts with the flag the list is bound to: Settings binds its
// list to its own `readOnly` field, so a document seen for the first time
// takes the editor's current mode.  The binding belongs to the object, not to
// its value: copying a list copies the entries and the capacity, never the
// binding (a copy-constructed list is unbound and starts new entries as not
// read-only; an assigned list keeps its own binding).  This is what lets a
// Settings record be copied or assigned without any list pointing into
// another record's field.
//
// The list is used by one thread at a time; references from touch() stay
// valid until that entry is evicted or the list is cleared.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

struct ReadOnlyEntry {
  std::string path;  // UTF-8
  bool readOnly = false;
};

class ReadOnlyList {
 public:
  using Entries = std::list<ReadOnlyEntry>;
  using const_iterator = Entries::const_iterator;
  using const_reverse_iterator = Entries::const_reverse_iterator;

  static constexpr int32_t kDefaultCapacity = 10;

  // Unbound: new entries start as not read-only.
  ReadOnlyList() = default;
  // New entries start with the value `*defaultFlag` has when they are made.
  explicit ReadOnlyList(const bool* defaultFlag) : defaultFlag_(defaultFlag) {}
  ReadOnlyList(const ReadOnlyList& other) : entries_(other.entries_), capacity_(other.capacity_) { reindex(); }
  ReadOnlyList& operator=(const ReadOnlyList& other);

  // Moves the entry for `path` to the front, or makes one there (evicting
  // the back entry when the list is full), and returns its flag for the
  // caller to read or assign.
  bool& touch(const std::string& path);

  // Keeps only the `count` most recent entries from now on.
  void setCapacity(int32_t count);
  int32_t capacity() const { return capacity_; }
  // Removes every entry; the capacity stays.
  void clear() {
    entries_.clear();
    index_.clear();
  }
  int32_t size() const { return static_cast<int32_t>(entries_.size()); }
  bool empty() const { return entries_.empty(); }

  // Front (most recent) to back.
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  // Back (least recent) to front: the order the settings file stores.
  const_reverse_iterator rbegin() const { return entries_.rbegin(); }
  const_reverse_iterator rend() const { return entries_.rend(); }

 private:
  void trimTo(int32_t count);
  void reindex();

  Entries entries_;
  // Finds an entry by path without walking the list, so that a long list
  // (a settings file may hold any number) loads in linear time.  The keys
  // view the paths inside the list's nodes, which never move.
  std::unordered_map<std::string_view, Entries::iterator> index_;
  int32_t capacity_ = kDefaultCapacity;
  const bool* defaultFlag_ = nullptr;
};
