#include "driver/conversion.hpp"

#include "writer/print.hpp"

#include <algorithm>
#include <memory>
#include <vector>

namespace morvane {

bool conversion::parse(input_source& in, warning_collector* notes, const part_plan& plan) {
    plan_ = plan;
    parser_.set_input(in);
    parser_.record_positions(notes != nullptr);
    // The parts after the first are built into documents of their own, which
    // this one's then takes over, each in order.
    std::vector<std::unique_ptr<document>> later;
    std::vector<std::unique_ptr<builder>> builders;
    const bool matched =
        (notes == nullptr
             ? parser_.yyparse(plan,
                               [&](std::size_t part) {
                                   builder* b = &builder_;
                                   if (part > 0) {
                                       later.push_back(std::make_unique<document>());
                                       builders.push_back(std::make_unique<builder>(*later.back()));
                                       b = builders.back().get();
                                   }
                                   return [b](std::uint8_t id, std::string_view captured) {
                                       run_action(*b, id, captured);
                                   };
                               })
             : parser_.yyparse(builder_, [&](std::uint8_t id, std::string_view text) {
                   notes->observe(id, text, parser_.buffered(), builder_);
               })) != 0;
    for (std::unique_ptr<document>& part : later) doc_.append(std::move(part));
    plan_.parts = later.size() + 1; // the writing runs on as many threads

    // The document's texts point into the input the parser read.
    if (matched) doc_.retain(parser_.take_input());
    return matched;
}

void conversion::write(output_sink& out) {
    writer w(out);
    // A batch of frames is 1,024 records for parts of the default size; tiny
    // parts still take a few records, so that both ways of printing serve.
    // Against 4,096: realistic 100 MiB 0.232 s against 0.248 (21 interleaved
    // runs) and peak 214,236 KiB against 215,588; sorted-frames 1M peak at
    // most 181,860 KiB against 183,608 (9 runs), since the batches in memory
    // are smaller.
    print_document(w, doc_, plan_.parts, std::max<std::size_t>(plan_.min_part_bytes / 8192, 8));
    w.flush();
}

} // namespace morvane
