#pragma once

#include <cstdint>
#include <map>
#include <memory_resource>

#include "core/model/paket.h"

namespace detail {
// Holds the node pool so that it is built before, and destroyed after, the map that uses it.
struct pakets_pool {
  std::pmr::unsynchronized_pool_resource pool;
};
}  // namespace detail

// The packet store of a signal: packet number -> packet, numbers 0..n-1 without gaps. The store
// owns its packets, but destroying them is the caller's job (unload_store, DeletePaket): the
// store's own destructor and clear() only drop the entries. Assignment copies the entries; the
// packets are shared, not copied.
//
// The map's nodes come from a pool of their own: a map node then costs its 48 bytes and no
// allocator header, which matters for stores of millions of small packets.
class PAKETS : private detail::pakets_pool, public std::pmr::map<uint32_t, xpaket*> {
 public:
  using map_type = std::pmr::map<uint32_t, xpaket*>;

  PAKETS() : map_type(&pool) {}
  PAKETS(const PAKETS& other) : detail::pakets_pool{}, map_type(other, &pool) {}
  PAKETS& operator=(const PAKETS& other) {
    map_type::operator=(other);
    return *this;
  }
  ~PAKETS() = default;

  // Puts p under the next number (size()) in O(1).
  void append(xpaket* p) { emplace_hint(map_type::end(), static_cast<uint32_t>(size()), p); }
};

// Empties the store: hands every packet, in ascending number, to destroy(p), which must destroy it
// (the file window counts and shows progress there), then removes all entries.
template <typename Destroy>
void unload_store(PAKETS& store, Destroy&& destroy) {
  for (auto& entry : store) {
    xpaket* p = entry.second;
    entry.second = nullptr;
    destroy(p);
  }
  store.clear();
}

inline void unload_store(PAKETS& store) {
  unload_store(store, [](xpaket* p) { delete p; });
}
