#include "settings/read_only_list.h"

#include <algorithm>
#include <iterator>

ReadOnlyList& ReadOnlyList::operator=(const ReadOnlyList& other) {
  if (this != &other) {
    entries_ = other.entries_;
    capacity_ = other.capacity_;
  }
  return *this;
}

bool& ReadOnlyList::touch(const std::string& path) {
  auto found = std::find_if(entries_.begin(), entries_.end(),
                            [&](const ReadOnlyEntry& entry) { return entry.path == path; });
  if (found != entries_.end()) {
    // Relinking keeps the entry itself, so flags handed out earlier stay valid.
    entries_.splice(entries_.begin(), entries_, found);
    return entries_.front().readOnly;
  }
  entries_.push_front(ReadOnlyEntry{path, defaultFlag_ != nullptr && *defaultFlag_});
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
  if (entries_.size() > static_cast<size_t>(count))
    entries_.erase(std::next(entries_.begin(), count), entries_.end());
}
