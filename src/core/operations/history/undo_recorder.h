#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/history/undo_record.h"

// Copies n bytes, sizeof(Word) <= n <= 2 * sizeof(Word), as two words that may overlap.
template <typename Word>
inline void copy_ends(uint8_t* to, const uint8_t* from, std::size_t n) {
  Word head{};
  Word tail{};
  std::memcpy(&head, from, sizeof(Word));
  std::memcpy(&tail, from + n - sizeof(Word), sizeof(Word));
  std::memcpy(to, &head, sizeof(Word));
  std::memcpy(to + n - sizeof(Word), &tail, sizeof(Word));
}

// Asks for the memory `ahead` bytes past `at` to be written soon. The address is only a hint: it
// may lie past the end of a buffer, or `at` be null (a record of empty packets has no bytes).
inline void ask_to_write(const uint8_t* at, std::size_t ahead) {
  __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(at) + ahead),
                     1);
}

// Copies n bytes; runs of up to 16 without a call.
inline void copy_bytes(uint8_t* to, const uint8_t* from, std::size_t n) {
  if (n >= 8 && n <= 16) {
    copy_ends<uint64_t>(to, from, n);
  } else if (n >= 4 && n < 8) {
    copy_ends<uint32_t>(to, from, n);
  } else if (n < 4) {
    for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  } else {
    std::memcpy(to, from, n);
  }
}

// Builds the undo record of one step while the step runs. The pass walkers call it (a pass
// carries it as pass::recorder): the in-place walk through a snapshot cursor, the colouring walks
// before they recolour a packet, the rebuild walk around every visit and for every packet it
// numbers or destroys. Operations themselves only say which packet they change in a rebuild
// (changing, in rebuild_pass.h) and destroy packets through pass::delete_paket.
//
// The record may take up to `limit` bytes, the packets it keeps alive included. Past that, or when
// memory runs out, the recorder gives up: it frees what it kept and the step goes on without undo
// (gave_up()). It never throws and never fails the pass.
class undo_recorder {
 public:
  undo_recorder(const PAKETS& store, uint64_t limit);
  undo_recorder(const undo_recorder&) = delete;
  undo_recorder& operator=(const undo_recorder&) = delete;
  ~undo_recorder();

  [[nodiscard]] bool active() const { return record_ != nullptr; }
  // Whether the record outgrew its limit or memory: the step cannot be undone.
  [[nodiscard]] bool gave_up() const { return gave_up_; }

  // The record of the step, once it is over (`store` as the step left it); null when the recorder
  // gave up. It may be empty: the step changed nothing.
  [[nodiscard]] std::unique_ptr<undo_record> finish(const PAKETS& store);

  // Where the in-place walk writes the states it keeps: the next bytes of the record, their end
  // and the number that continues the last run of numbers (how many states there are follows from
  // it and the last run). The walk holds it in registers, since it writes once per packet, and
  // hands it back when it ends (close_snapshots) or needs room (grow_snapshots). Without bytes when
  // the recorder gave up. The buffer goes on for `slack` bytes past bytes_end, so that a small
  // packet's bytes go in as one piece.
  static constexpr std::size_t slack = xpaket::inline_bytes;
  static constexpr std::size_t state_header = undo_record::state_header;
  // How far ahead of its bytes the cursor asks for the record's memory, to be written.
  static constexpr std::size_t write_ahead = 1024;
  struct snapshot_cursor {
    uint8_t* bytes = nullptr;
    uint8_t* bytes_end = nullptr;
    uint32_t next_number = 0;

    [[nodiscard]] bool live() const { return bytes != nullptr; }
    // Whether the state of a packet of n bytes fits. A cursor without bytes has no room.
    [[nodiscard]] bool fits(uint32_t n) const {
      return static_cast<std::size_t>(bytes_end - bytes) >= std::size_t{n} + state_header;
    }
    // Writes the state of p (n bytes) at `to`, which has room for it and the slack, and moves it
    // past it.
    static void put_state(uint8_t*& to, const xpaket& p, uint32_t n) {
      ask_to_write(to, write_ahead);
      const uint32_t bits = p.bit_length();
      std::memcpy(to, &bits, state_header);
      if (p.bytes_inside()) {
        std::memcpy(to + state_header, p.bytes(), slack);
      } else {
        copy_bytes(to + state_header, p.bytes(), n);
      }
      to += state_header + n;
    }
    // Keeps the state of packet `number` (p, n bytes), which must fit; false when the recorder
    // gave up.
    bool keep(undo_recorder& recorder, uint32_t number, const xpaket& p, uint32_t n) {
      if (number != next_number && !recorder.start_run(next_number, number)) return false;
      put_state(bytes, p, n);
      next_number = number + 1;
      return true;
    }
    // The state kept last (of a packet of n bytes) is not needed: its packet is as it was.
    void drop_last(uint32_t n) {
      bytes -= state_header + n;
      --next_number;
    }
  };
  [[nodiscard]] snapshot_cursor open_snapshots();
  // Hands the cursor back and makes room for the state of a packet of n bytes more.
  [[nodiscard]] snapshot_cursor grow_snapshots(snapshot_cursor cursor, uint32_t n);
  void close_snapshots(snapshot_cursor cursor);

  // Where a colouring walk writes the colours it replaces: the next entry of the record and the
  // end of its room. The walk holds it in registers, since it may write once per packet, and hands
  // it back when it ends (close_colours) or has no room left (grow_colours, which returns a cursor
  // without entries when the recorder gave up).
  struct colour_cursor {
    undo_record::colour_entry* next = nullptr;
    undo_record::colour_entry* end = nullptr;
  };
  [[nodiscard]] colour_cursor open_colours();
  [[nodiscard]] colour_cursor grow_colours(colour_cursor cursor);
  void close_colours(colour_cursor cursor);

  // Packet `number` is about to change its colour from `old`.
  void recolour(uint32_t number, uint32_t old) {
    if (record_ == nullptr) return;
    if (!record_->colours_.has_room() && !grow_array(record_->colours_)) return;
    (void)record_->colours_.push_back({number, old});
  }

  // Rebuild passes: the walk hands out packet `number` (p), and is done with it.
  void visit(uint32_t number, xpaket* p) {
    in_hand_ = p;
    in_hand_number_ = number;
    in_hand_flags_ = 0;
  }
  void visited() {
    const uint32_t flags = in_hand_flags_;
    if (flags == (in_hand_placed | in_hand_snapped)) {
      if (in_hand_->colour != in_hand_colour_) recolour(in_hand_number_, in_hand_colour_);
    } else if ((flags & (in_hand_placed | in_hand_dropped)) == 0 && record_ != nullptr) {
      hold();
    }
    in_hand_ = nullptr;
  }
  // The visit threw, leaving its packet alone: the packet follows the new numbering unchanged.
  void visit_failed() { in_hand_ = nullptr; }
  // The pass gave p the new number `number`.
  void placed(xpaket* p, uint32_t number) {
    if (p == in_hand_) {
      in_hand_flags_ |= in_hand_placed;
    } else if (record_ != nullptr) {
      put_in(p, number);
    }
  }
  // The pass is done with p, which it took out of the store or made: the record keeps a packet of
  // the store and the others are destroyed.
  void drop(xpaket* p);
  // A walk that numbers the packets itself (map_store) took packet `number` (p) out of the store
  // and is done with it: the record keeps it, or it is destroyed when the recorder gave up or does
  // so now.
  void take_out(uint32_t number, xpaket* p);
  // The pass is about to change p, the packet visited or one it holds aside.
  void changing(const xpaket& p) {
    if (&p == in_hand_) {
      // Without a record the cursor has no bytes, and snapshot finds that out.
      if ((in_hand_flags_ & in_hand_snapped) == 0) {
        in_hand_colour_ = p.colour;
        if (snapshot(in_hand_number_, p)) in_hand_flags_ |= in_hand_snapped;
      }
    } else if (record_ != nullptr) {
      changing_held(p);
    }
  }

 private:
  // A packet a rebuild took out of the walk and holds aside to put in later (or destroy).
  struct held {
    xpaket* paket;
    std::size_t entry;  // its entry among the packets taken out
    bool snapped;       // its old bytes are kept
    uint32_t colour;    // its colour before the step, when snapped
  };

  // Keeps the state of packet `number` (p) for a rebuild; false when the recorder gave up.
  bool snapshot(uint32_t number, const xpaket& p) {
    const uint32_t n = p.byte_length();
    if (!snapshots_.fits(n) && !grow_snapshot(n)) return false;
    return snapshots_.keep(*this, number, p, n);
  }
  // The states from the next one on (the last run would go on with packet `next_number`) are
  // those of packets `number` on; false when it gave up.
  bool start_run(uint32_t next_number, uint32_t number);
  // How many states there are while the last run would go on with packet `next_number`.
  [[nodiscard]] uint32_t states_before(uint32_t next_number) const;
  void changing_held(const xpaket& p);
  // Makes room for the state of a packet of n bytes more; false when the recorder gave up.
  bool grow_snapshot(std::size_t bytes);
  // The record's sizes from the cursor, and the cursor from the record.
  void sync_snapshots();
  void reload_snapshots();
  template <typename T>
  bool grow_array(record_array<T>& array);
  void hold();
  void put_in(xpaket* p, uint32_t number);
  void colour_changed(uint32_t number, const xpaket& p, uint32_t colour);
  [[nodiscard]] std::vector<held>::iterator find_held(const xpaket* p);
  // Frees what the record kept: the step goes on without undo.
  void give_up();
  [[nodiscard]] bool over_limit();

  std::unique_ptr<undo_record> record_;
  // Where the next state goes; the record's sizes lag behind it until sync_snapshots.
  snapshot_cursor snapshots_;
  uint64_t limit_;
  bool gave_up_ = false;
  uint64_t owned_ = 0;  // memory of the packets taken out and kept
  // What became of the packet visited: numbered anew, dropped, its state kept.
  static constexpr uint32_t in_hand_placed = 1;
  static constexpr uint32_t in_hand_dropped = 2;
  static constexpr uint32_t in_hand_snapped = 4;
  xpaket* in_hand_ = nullptr;
  uint32_t in_hand_number_ = 0;
  uint32_t in_hand_colour_ = 0;
  uint32_t in_hand_flags_ = 0;
  std::vector<held> held_;
};
