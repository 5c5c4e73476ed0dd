#include "settings/read_only_list.h"

#include <algorithm>

ReadOnlyList& ReadOnlyList::operator=(const ReadOnlyList& other) {
  if (this != &other) {
    entries_ = other.entries_;
    capacity_ = other.capacity_;
    reindex();
  }
  return *this;
}

bool& ReadOnlyList::touch(const std::string& path) {
  auto found = index_.find(path);
  if (found != index_.end()) {
    // Relinking keeps the entry itself, so flags handed out earlier stay valid.
    entries_.splice(entries_.begin(), entries_, found->second);
    return entries_.front().readOnly;
  }
  entries_.push_front(ReadOnlyEntry{path, defaultFlag_ != nullptr && *defaultFlag_});
  index_.emplace(entries_.front().path, entries_.begin());
  // Never evict the entry just made: the caller is about to use its flag.
  trimTo(std::max(capacity_, int32_t{1}));
  return entries_.front().readOnly;
}

void ReadOnlyList::setCapacity(int32_t count) {
  capacity_ = count;
  trimTo(count);
}

void ReadOnlyList::trimTo(int32_t count) {
  if (count < 0) count = 0;
  while (entries_.size() > static_cast<size_t>(count)) {
    index_.erase(entries_.back().path);
    entries_.pop_back();
  }
}

void ReadOnlyList::reindex() {
  index_.clear();
  for (auto it = entries_.begin(); it != entries_.end(); ++it) index_.emplace(it->path, it);
}
