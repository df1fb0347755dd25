// Object lists are growable arrays of records whose first field is an active flag: a new
// entry takes the lowest free slot, or is appended, so a list never grows beyond its peak.
#pragma once
#include <cstddef>
#include <vector>

// Index of the lowest inactive record, appending a value-initialised one when all are in use.
// The returned record keeps whatever its last occupant left: callers set every field they use.
// A caller that knows every record below `from` is active may start the search there.
template <typename T>
size_t TakeSlot(std::vector<T> &list, size_t from = 0) {
  for (size_t i = from; i < list.size(); ++i)
    if (!list[i].active) return i;
  list.push_back(T{});
  return list.size() - 1;
}
