#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/model/pakets.h"
#include "core/operations/history/record_buffer.h"

// What one step changed in the store, enough to take the store back to the state before the step
// and forward again. A record keeps only what its step changed:
// - the old colours of the packets it recoloured;
// - the old bit lengths and bytes of the packets it changed in place, one state after the other
//   in one buffer, with the numbers of those packets as runs of consecutive numbers;
// - for a step that deleted, created or moved packets: the packets taken out with their old
//   numbers and the packets put in with their new numbers. The packets taken out stay alive in
//   the record.
// Undo and redo exchange the state kept with the store's: after an undo the record keeps the
// state after the step, for redo. Packets are named by their numbers before the step.
//
// A record applies to the store it was made on, in the state its step left (to revert) or found
// (to reapply): the steps of a history are undone newest first and redone oldest first.
class undo_record {
 public:
  undo_record() = default;
  undo_record(const undo_record&) = delete;
  undo_record& operator=(const undo_record&) = delete;
  // Destroys the packets it owns: those the step took out while it stands applied, those the step
  // put in once it is reverted.
  ~undo_record();

  // Whether the store is in the state after the step.
  [[nodiscard]] bool applied() const { return applied_; }
  // Whether the step changed nothing.
  [[nodiscard]] bool empty() const;
  // Whether it changed colours only: what a file holds of the signal is the same before and after.
  [[nodiscard]] bool colours_only() const {
    return states_ == 0 && taken_out_.empty() && put_in_.empty();
  }
  // Memory the record holds now, the packets it owns included.
  [[nodiscard]] uint64_t memory() const;

  // Takes the store back to the state before the step. False, with the store unchanged, when memory
  // ran out or the store is not in the state the step left.
  [[nodiscard]] bool revert(PAKETS& store);
  // Takes the store to the state after the step again; false as for revert.
  [[nodiscard]] bool reapply(PAKETS& store);

  // The record of a merge: the packets from number `first` on were appended, and the store knew
  // the link types `link_types` before. Null when there is no memory for it.
  [[nodiscard]] static std::unique_ptr<undo_record> appended(const PAKETS& store, std::size_t first,
                                                             std::vector<uint32_t> link_types);

  // One recoloured packet and its colour in the state not in the store.
  struct colour_entry {
    uint32_t number;
    uint32_t colour;
  };
  // A state kept of a packet changed in place: its bit length (4 bytes, in the byte order of the
  // machine) and then its bytes. The record never leaves this program.
  static constexpr std::size_t state_header = sizeof(uint32_t);
  // The states are counted from 0, in their order in the byte buffer. From state `state` on they
  // are those of packets `number`, `number` + 1, and so on, up to the next run.
  struct number_run {
    uint32_t state;
    uint32_t number;
  };
  // A packet a step took out (at its number before the step) or put in (at its number after).
  struct sequence_entry {
    uint32_t number;
    // The step put the same packet back elsewhere: it is in the store in both states.
    uint32_t moved;
    xpaket* paket;
  };

 private:
  friend class undo_recorder;

  // Exchanges the kept colours with those of the packets of `store` (numbered as before the step),
  // going back or forth.
  void exchange_colours(PAKETS& store, bool back);
  // Exchanges the kept states with those of the packets of `store` (numbered as before the step);
  // false, with every packet as it was, when a packet could not grow.
  bool exchange_bytes(PAKETS& store);
  // Puts the packets of `store` back as they were in the order they had before or after the step,
  // into `result`; false when there is no memory for it.
  bool renumber(const PAKETS& store, bool to_before, PAKETS& result) const;
  // Sums the memory of the packets owned in either state.
  void count_owned();

  bool applied_ = true;
  bool rebuilt_ = false;  // the step deleted, created or moved packets
  uint64_t size_before_ = 0;
  uint64_t size_after_ = 0;
  record_array<colour_entry> colours_;
  uint32_t states_ = 0;  // packets changed in place
  record_array<number_run> runs_;
  record_buffer bytes_;
  record_array<sequence_entry> taken_out_;  // by old number, ascending
  record_array<sequence_entry> put_in_;     // by new number, ascending
  // The link types of the state not in the store, when the step changed them (a merge).
  std::optional<std::vector<uint32_t>> link_types_;
  uint64_t owned_applied_ = 0;   // memory of the packets taken out and owned
  uint64_t owned_reverted_ = 0;  // memory of the packets put in and owned
};
