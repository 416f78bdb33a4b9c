#pragma once
// What a conversion drops, merges or leaves out without a word, found while the
// recorded actions are replayed: a statement given twice in one block (the
// last one wins), blocks of one kind and name under one parent (never merged),
// blocks without the name they are written under, and records that hold a
// value but for which the new format writes nothing.

#include "model/builder.hpp"

#include <morvane/morvane.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

class warning_collector {
  public:
    // Called after each replayed action ran on b, with the action's captured
    // text (a statement's value, or where a block's keyword stands) as bytes
    // of `input`, the whole input of the parse.
    void observe(std::uint8_t id, std::string_view captured, std::string_view input,
                 const builder& b);

    // The warnings, in file order. Prints the records it asks about into a
    // scratch writer, which sorts their lists in place: call it once the
    // document is written, or when it will not be.
    [[nodiscard]] std::vector<warning> finish();

  private:
    struct opened_block {
        std::size_t kind;   // index in the table of kinds
        std::size_t at;     // offset of the "[" that opens it
        void* record;       // the record its first action created
        const void* parent; // the record it belongs to; null at the top level
    };
    // A warning at `at`: message, then, when the message names an earlier
    // place, its line and column and `after`.
    struct pending {
        std::size_t at;
        std::string message;
        std::size_t earlier = no_earlier;
        std::string_view after = "";
    };
    static constexpr std::size_t no_earlier = ~std::size_t{0};

    std::string_view input_;
    std::vector<opened_block> blocks_; // in file order
    std::vector<pending> found_;
    // Indexed by action id: where each statement was last given, and at a
    // block's first action, where the open block of that kind begins. A
    // statement given after the beginning of its block is given again; none
    // is at offset 0, inside no block.
    std::array<std::size_t, 128> given_{};
    std::size_t value_at_ = no_earlier; // the capture just replayed, if any
};

} // namespace morvane
