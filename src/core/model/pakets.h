#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <vector>

#include "core/model/paket.h"

// The packet store of a signal: packet number -> packet, numbers 0..n-1 without gaps. The store
// owns its packets, but destroying them is the caller's job (unload_store, DeletePaket): the
// store's own destructor and clear() only drop the entries. Assignment copies the entries; the
// packets are shared, not copied.
//
// Since the numbers never have gaps, the store is one contiguous run of packet pointers indexed
// by number: a lookup is O(1) and an entry costs the 8 bytes of its pointer. A visit sees each
// entry as {first: number, second: the slot that holds the packet}, made on the fly, so the
// loops over the store read like loops over an ordered map:
//
//   for (const auto& [number, p] : store) ...   // p names the slot: assigning to it stores
//
// Appending may move the slots: like a vector's, iterators, and references to slots, do not
// survive an append, operator[] at the next number or an erase before them.
//
// The store also remembers the link types its packets were read with (a capture's frames keep
// theirs, SIG files count as 104): one record for the whole store, since a signal may hold
// millions of packets. Operations keep it; clear() forgets it.
class PAKETS {
 public:
  using key_type = uint32_t;
  using mapped_type = xpaket*;
  using size_type = std::size_t;
  using difference_type = std::ptrdiff_t;

  // One entry as a visit sees it. Slot is xpaket* (through a store) or xpaket* const.
  template <typename Slot>
  struct basic_entry {
    const uint32_t first;  // the packet number
    Slot& second;          // the store's slot of that number
  };

  template <typename Slot>
  class basic_iterator {
   public:
    using iterator_concept = std::random_access_iterator_tag;
    // The entries are made on the fly (a proxy, as with views::zip), which the older iterator
    // categories do not allow beyond input iterators.
    using iterator_category = std::input_iterator_tag;
    using value_type = basic_entry<Slot>;
    using reference = basic_entry<Slot>;
    using difference_type = std::ptrdiff_t;
    // What operator-> returns: the entry, kept alive for the expression.
    struct pointer {
      reference entry;
      const reference* operator->() const { return &entry; }
    };

    basic_iterator() = default;
    // An iterator converts to a const_iterator.
    template <typename Other>
    requires(!std::is_same_v<Other, Slot> && std::is_same_v<const Other, Slot>)
        basic_iterator(const basic_iterator<Other>& other)  // NOLINT(google-explicit-constructor)
        : at_(other.at_), first_(other.first_) {}

    reference operator*() const { return {number(), *at_}; }
    pointer operator->() const { return {**this}; }
    reference operator[](difference_type n) const { return *(*this + n); }

    basic_iterator& operator++() {
      ++at_;
      return *this;
    }
    basic_iterator operator++(int) {
      basic_iterator old = *this;
      ++at_;
      return old;
    }
    basic_iterator& operator--() {
      --at_;
      return *this;
    }
    basic_iterator operator--(int) {
      basic_iterator old = *this;
      --at_;
      return old;
    }
    basic_iterator& operator+=(difference_type n) {
      at_ += n;
      return *this;
    }
    basic_iterator& operator-=(difference_type n) {
      at_ -= n;
      return *this;
    }
    friend basic_iterator operator+(basic_iterator i, difference_type n) { return i += n; }
    friend basic_iterator operator+(difference_type n, basic_iterator i) { return i += n; }
    friend basic_iterator operator-(basic_iterator i, difference_type n) { return i -= n; }
    friend difference_type operator-(const basic_iterator& a, const basic_iterator& b) {
      return a.at_ - b.at_;
    }
    friend bool operator==(const basic_iterator& a, const basic_iterator& b) {
      return a.at_ == b.at_;
    }
    // Spelled out rather than <=>: <compare> trips up Qt's moc in the headers that include this.
    friend bool operator<(const basic_iterator& a, const basic_iterator& b) {
      return a.at_ < b.at_;
    }
    friend bool operator>(const basic_iterator& a, const basic_iterator& b) { return b < a; }
    friend bool operator<=(const basic_iterator& a, const basic_iterator& b) { return !(b < a); }
    friend bool operator>=(const basic_iterator& a, const basic_iterator& b) { return !(a < b); }

   private:
    friend class PAKETS;
    template <typename>
    friend class basic_iterator;

    basic_iterator(Slot* at, Slot* first) : at_(at), first_(first) {}
    [[nodiscard]] uint32_t number() const { return static_cast<uint32_t>(at_ - first_); }

    Slot* at_ = nullptr;
    Slot* first_ = nullptr;  // slot 0, for the number
  };

  using iterator = basic_iterator<xpaket*>;
  using const_iterator = basic_iterator<xpaket* const>;
  using reverse_iterator = std::reverse_iterator<iterator>;
  using const_reverse_iterator = std::reverse_iterator<const_iterator>;

  PAKETS() = default;
  PAKETS(const PAKETS&) = default;
  PAKETS(PAKETS&&) noexcept = default;
  PAKETS& operator=(const PAKETS&) = default;
  PAKETS& operator=(PAKETS&&) noexcept = default;
  ~PAKETS() = default;

  [[nodiscard]] size_type size() const { return slots_.size(); }
  [[nodiscard]] bool empty() const { return slots_.empty(); }

  iterator begin() { return {slots_.data(), slots_.data()}; }
  iterator end() { return {slots_.data() + slots_.size(), slots_.data()}; }
  const_iterator begin() const { return {slots_.data(), slots_.data()}; }
  const_iterator end() const { return {slots_.data() + slots_.size(), slots_.data()}; }
  const_iterator cbegin() const { return begin(); }
  const_iterator cend() const { return end(); }
  reverse_iterator rbegin() { return reverse_iterator(end()); }
  reverse_iterator rend() { return reverse_iterator(begin()); }
  const_reverse_iterator rbegin() const { return const_reverse_iterator(end()); }
  const_reverse_iterator rend() const { return const_reverse_iterator(begin()); }

  // The entry of packet `number`, or end().
  iterator find(uint32_t number) { return number < size() ? begin() + number : end(); }
  const_iterator find(uint32_t number) const { return number < size() ? begin() + number : end(); }
  // The slot of packet `number`; throws std::out_of_range when there is none.
  xpaket*& at(uint32_t number) {
    check(number);
    return slots_[number];
  }
  xpaket* const& at(uint32_t number) const {
    check(number);
    return slots_[number];
  }
  // The slot of packet `number`, unchecked: for passes that only visit numbers below size().
  xpaket*& slot(uint32_t number) { return slots_[number]; }
  // The slot of packet `number`. The next number (size()) gets a new, empty slot, which the
  // caller fills at once; a number beyond it would leave a gap and throws std::out_of_range.
  xpaket*& operator[](uint32_t number) {
    if (number == size()) return slots_.emplace_back(nullptr);
    check(number);
    return slots_[number];
  }

  // Puts p under the next number (size()) in amortised O(1). Throws std::bad_alloc with the
  // store unchanged.
  void append(xpaket* p) { slots_.push_back(p); }
  // Room for n entries in all, so that appending or inserting up to there neither moves the
  // slots nor needs memory.
  void reserve(size_type n) { slots_.reserve(n); }
  [[nodiscard]] size_type capacity() const { return slots_.capacity(); }
  // Puts the packets [first, last) before `at`, in order: they take on its number, the later
  // packets move up. Throws std::bad_alloc with the store unchanged. Returns the entry of the
  // first packet put.
  iterator insert(const_iterator at, xpaket* const* first, xpaket* const* last) {
    const auto it = slots_.insert(slots_.begin() + (at - cbegin()), first, last);
    return begin() + (it - slots_.begin());
  }

  // Removes the entry of packet `number` (the caller has destroyed or kept the packet): the
  // packets after it move down one number, in order, so that the numbers stay without gaps.
  // Returns the number of entries removed, 0 or 1.
  size_type erase(uint32_t number) {
    if (number >= size()) return 0;
    erase(begin() + number);
    return 1;
  }
  // The same for the entry at `at` or the entries [first, last); returns the entry that now
  // holds the first removed number.
  iterator erase(const_iterator at) { return erase(at, at + 1); }
  iterator erase(const_iterator first, const_iterator last) {
    const auto from = slots_.begin() + (first - cbegin());
    const auto it = slots_.erase(from, from + (last - first));
    return begin() + (it - slots_.begin());
  }
  // Gives back the room of removed entries once it is more than the entries use; the slots
  // move when it does.
  void trim() noexcept {
    if (slots_.size() >= slots_.capacity() / 2) return;
    try {
      slots_.shrink_to_fit();
    } catch (const std::bad_alloc&) {
      // Keeps the room it has.
    }
  }
  // Removes every entry and gives their room back, and forgets the link types.
  void clear() {
    std::vector<xpaket*>().swap(slots_);
    link_types_.clear();
  }

  // Exchanges the entries with those of `other`; the link types stay with each store.
  void swap_entries(PAKETS& other) noexcept { slots_.swap(other.slots_); }

  // The link types the packets were read with, ascending, each once.
  [[nodiscard]] const std::vector<uint32_t>& link_types() const { return link_types_; }
  // Records that packets were read with `type`. Throws std::bad_alloc with the record unchanged.
  void add_link_type(uint32_t type) {
    auto at = std::lower_bound(link_types_.begin(), link_types_.end(), type);
    if (at == link_types_.end() || *at != type) link_types_.insert(at, type);
  }
  // Exchanges the link types with `types` (ascending, each once).
  void swap_link_types(std::vector<uint32_t>& types) noexcept { link_types_.swap(types); }

 private:
  void check(uint32_t number) const {
    if (number >= size()) throw std::out_of_range("PAKETS: no packet with this number");
  }

  std::vector<xpaket*> slots_;
  std::vector<uint32_t> link_types_;
};

// Empties the store: hands every packet, in ascending number, to destroy(p), which must destroy it
// (the file window counts and shows progress there), then removes all entries.
template <typename Destroy>
void unload_store(PAKETS& store, Destroy&& destroy) {
  for (const auto& entry : store) {
    xpaket* p = entry.second;
    entry.second = nullptr;
    destroy(p);
  }
  store.clear();
}

inline void unload_store(PAKETS& store) {
  unload_store(store, [](xpaket* p) { delete p; });
}
