// The public interface over one conversion object per call. Every failure a
// conversion can meet is caught here and turned into an outcome.

#include "driver/conversion.hpp"
#include "io/file_streams.hpp"
#include "io/stream_io.hpp"
#include "model/counts.hpp"
#include "model/error.hpp"
#include "parser/failure_report.hpp"

#include <morvane/morvane.hpp>

#include <new>
#include <optional>
#include <stdexcept>

namespace morvane {
namespace {

// Runs step and turns the exceptions a conversion throws into outcomes.
template <class Step> outcome guarded(Step&& step) {
    try {
        return step();
    } catch (const read_error&) {
        return outcome::read_failure;
    } catch (const write_error&) {
        return outcome::write_failure;
    } catch (const fatal_error&) {
        return outcome::out_of_memory;
    } catch (const std::bad_alloc&) {
        return outcome::out_of_memory;
    } catch (const std::length_error&) {
        return outcome::out_of_memory;
    }
}

outcome parse_with(conversion& run, input_source& in, warning_collector* notes = nullptr) {
    return run.parse(in, notes) ? outcome::success : outcome::parse_failure;
}

// The collector that the options ask for, if any.
std::optional<warning_collector> collector_for(const options& how) {
    return how.warnings ? std::optional<warning_collector>(std::in_place) : std::nullopt;
}
warning_collector* pointer_to(std::optional<warning_collector>& c) { return c ? &*c : nullptr; }

template <class Source> conversion_result convert_from(Source&& source, const options& how) {
    conversion_result result;
    result.status = guarded([&] {
        conversion run;
        std::optional<warning_collector> notes = collector_for(how);
        const outcome parsed = parse_with(run, source, pointer_to(notes));
        if (parsed != outcome::success) return parsed;
        string_sink sink(result.text);
        // Writing sorts the lists in place; the counts do not depend on it.
        const project_counts counts = count_records(run.doc());
        run.write(sink);
        result.counts = counts;
        if (notes) result.warnings = notes->finish();
        return outcome::success;
    });
    if (result.status != outcome::success) {
        result.text.clear();
        result.warnings.clear();
    }
    return result;
}

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

template <class Source> check_result check_from(Source&& source, const options& how) {
    check_result result;
    result.status = guarded([&] {
        conversion run;
        run.track_failures(true);
        std::optional<warning_collector> notes = collector_for(how);
        const outcome parsed = parse_with(run, source, pointer_to(notes));
        if (parsed == outcome::parse_failure) {
            const old_format_parser& p = run.parser();
            syntax_error error;
            error.offset = p.furthest_failure();
            const text_position at = position_of(p.buffered(), p.furthest_failure());
            error.line = at.line;
            error.column = at.column;
            error.line_begin = at.line_begin;
            error.line_end = at.line_end;
            error.expected = describe_expected(p.expected());
            error.byte_order_mark = p.buffered().starts_with(byte_order_mark);
            result.error = std::move(error);
        }
        if (notes && parsed == outcome::success) result.warnings = notes->finish();
        return parsed;
    });
    if (result.status != outcome::parse_failure) result.error.reset();
    if (result.status != outcome::success) result.warnings.clear();
    return result;
}

} // namespace

std::string_view describe(outcome o) noexcept {
    switch (o) {
    case outcome::success:
        return "Success";
    case outcome::parse_failure:
        return "Not a well-formed project";
    case outcome::read_failure:
        return "Unable to read the input";
    case outcome::write_failure:
        return "Unable to write the output";
    case outcome::out_of_memory:
        return errors[error_out_of_memory];
    }
    return errors[error_unknown];
}

conversion_result convert(std::string_view old_format, const options& how) {
    return convert_from(memory_source(old_format), how);
}

conversion_result convert(std::istream& old_format, const options& how) {
    return convert_from(istream_source(old_format), how);
}

check_result check(std::string_view old_format, const options& how) {
    return check_from(memory_source(old_format), how);
}

check_result check(std::istream& old_format, const options& how) {
    return check_from(istream_source(old_format), how);
}

check_result check(std::FILE* old_format, const options& how) {
    return check_from(file_input(old_format), how);
}

std::string syntax_error::message() const {
    if (byte_order_mark)
        return "the file begins with a UTF-8 byte-order mark (bytes EF BB BF); save it without "
               "the mark";
    return expected_message(expected);
}

struct converter::state {
    conversion run;
    bool parsed = false;
};

namespace {

// Templates so that they may be handed the converter's private state.
template <class State> outcome parse_into(std::unique_ptr<State>& s, input_source&& in) {
    return guarded([&] {
        s = std::make_unique<State>();
        const outcome parsed = parse_with(s->run, in);
        s->parsed = parsed == outcome::success;
        return parsed;
    });
}

// Writing sorts the project in place, so it is written once and then let go.
template <class State> outcome write_from(std::unique_ptr<State>& s, output_sink&& out) {
    const std::unique_ptr<State> taken = std::move(s);
    return guarded([&] {
        if (taken != nullptr && taken->parsed) taken->run.write(out);
        return outcome::success;
    });
}

} // namespace

converter::converter() = default;
converter::~converter() = default;
converter::converter(converter&&) noexcept = default;
converter& converter::operator=(converter&&) noexcept = default;

outcome converter::parse(std::string_view old_format) {
    return parse_into(state_, memory_source(old_format));
}
outcome converter::parse(std::istream& old_format) {
    return parse_into(state_, istream_source(old_format));
}
outcome converter::parse(std::FILE* old_format) {
    return parse_into(state_, file_input(old_format));
}

outcome converter::write(std::ostream& out) { return write_from(state_, ostream_sink(out)); }
outcome converter::write(std::FILE* out) { return write_from(state_, file_output(out)); }

} // namespace morvane
