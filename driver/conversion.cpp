#include "driver/conversion.hpp"

#include "writer/print.hpp"

namespace morvane {

bool conversion::parse(input_source& in, warning_collector* notes) {
    parser_.set_input(in);
    parser_.record_positions(notes != nullptr);
    const bool matched =
        (notes == nullptr ? parser_.yyparse(builder_)
                          : parser_.yyparse(builder_, [&](std::uint8_t id, std::string_view text) {
                                notes->observe(id, text, parser_.buffered(), builder_);
                            })) != 0;
    // The document's texts point into the input the parser read.
    if (matched) doc_.retain(parser_.take_input());
    return matched;
}

void conversion::write(output_sink& out) {
    writer w(out);
    print_document(w, doc_);
    w.flush();
}

} // namespace morvane
