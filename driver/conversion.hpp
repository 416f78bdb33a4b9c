#pragma once
// One conversion, in its two halves: parse the old format into a document, then
// write the document in the new format. All state lives in this object, so
// conversions can run one after another or side by side in one process. It is
// not copied, as its document is not.

#include "driver/warnings.hpp"
#include "model/builder.hpp"
#include "model/document.hpp"
#include "parser/grammar.hpp"
#include "parser/input.hpp"
#include "writer/output.hpp"

#include <morvane/morvane.hpp>

namespace morvane {

class conversion {
  public:
    // True when the whole input is a well-formed project; the document is then
    // built, and `notes`, when given, has seen every action. False leaves the
    // document empty. Throws read_error when the input cannot be read and
    // fatal_error or std::bad_alloc when memory runs out. Without notes, an
    // input of known size may be matched and built in parts at once, as
    // `plan` allows.
    [[nodiscard]] bool parse(input_source& in, warning_collector* notes = nullptr,
                             const part_plan& plan = {});

    // Writes characters, then charmaps, then frames, each group sorted by name,
    // and flushes the sink; the frames are printed on as many threads as the
    // last parse matched parts. Throws write_error when the sink fails.
    void write(output_sink& out);

    [[nodiscard]] document& doc() noexcept { return doc_; }
    // How many parts the last parse matched and built at once.
    [[nodiscard]] std::size_t parts() const noexcept { return plan_.parts; }

    // Furthest-failure tracking for saying where an input stops parsing; off by
    // default, so plain conversions do not pay for it. After a failed parse the
    // parser holds the bytes read, the furthest failure and what was expected.
    void track_failures(bool on) noexcept { parser_.track_failures(on); }
    [[nodiscard]] const old_format_parser& parser() const noexcept { return parser_; }

  private:
    document doc_;
    builder builder_{doc_};
    old_format_parser parser_;
    part_plan plan_; // the last parse's, with as many parts as it matched
};

} // namespace morvane
