// The public interface over one conversion object per call. Every failure a
// conversion can meet is caught here and turned into an outcome.

#include "driver/conversion.hpp"
#include "driver/outcome_words.hpp"
#include "io/file_streams.hpp"
#include "io/platform.hpp"
#include "io/stream_io.hpp"
#include "model/counts.hpp"
#include "model/error.hpp"
#include "parser/failure_report.hpp"

#include <morvane/morvane.hpp>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <type_traits>

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

constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";

// How many parts of what size a conversion may match and build at once.
part_plan plan_for(const options& how) {
    std::size_t threads = how.threads;
    if (const char* given = std::getenv("MORVANE_THREADS"); threads == 0 && given != nullptr)
        threads = std::strtoul(given, nullptr, 10);
    if (threads == 0) threads = platform::processors_available();
    part_plan plan{.parts = std::max<std::size_t>(threads, 1)};
    if (how.min_part_bytes != 0) plan.min_part_bytes = how.min_part_bytes;
    return plan;
}

// Parses the whole input and makes the result from the conversion with
// finish(run, parsed), then adds the warnings that `how` asks for: collecting
// them prints the records, which sorts their lists, so it comes last. When
// the step fails the result holds nothing but its outcome.
template <class Result, class Finish>
Result parse_from(input_source&& in, const options& how, Finish&& finish) {
    Result result;
    result.status = guarded([&] {
        conversion run;
        // Only a check says where an input stops parsing.
        run.track_failures(std::is_same_v<Result, check_result>);
        warning_collector notes;
        const bool parsed = run.parse(in, how.warnings ? &notes : nullptr, plan_for(how));
        Result made = finish(run, parsed);
        if (parsed && how.warnings) made.warnings = notes.finish();
        result = std::move(made);
        return parsed ? outcome::success : outcome::parse_failure;
    });
    return result;
}

// A conversion's new-format text and counts.
conversion_result written(conversion& run, bool parsed) {
    conversion_result result;
    if (!parsed) return result;
    // Writing sorts the lists in place; the counts do not depend on it.
    result.counts = count_records(run.doc());
    string_sink sink(result.text);
    run.write(sink);
    return result;
}

// Where a checked input stops parsing, and what would have fitted there.
check_result located(conversion& run, bool parsed) {
    check_result result;
    if (parsed) return result;
    const old_format_parser& p = run.parser();
    const text_position at = position_of(p.buffered(), p.furthest_failure());
    result.error = syntax_error{p.furthest_failure(),
                                at.line,
                                at.column,
                                at.line_begin,
                                at.line_end,
                                describe_expected(p.expected()),
                                p.buffered().starts_with(byte_order_mark)};
    return result;
}

} // namespace

std::string_view describe(outcome o) noexcept {
    const auto i = static_cast<std::size_t>(o);
    return i < std::size(outcome_table) ? outcome_table[i].text : errors[error_unknown];
}

conversion_result convert(std::string_view old_format, const options& how) {
    return parse_from<conversion_result>(memory_source(old_format), how, written);
}

conversion_result convert(std::istream& old_format, const options& how) {
    return parse_from<conversion_result>(istream_source(old_format), how, written);
}

check_result check(std::string_view old_format, const options& how) {
    return parse_from<check_result>(memory_source(old_format), how, located);
}

check_result check(std::istream& old_format, const options& how) {
    return parse_from<check_result>(istream_source(old_format), how, located);
}

check_result check(std::FILE* old_format, const options& how) {
    return parse_from<check_result>(file_input(old_format), how, located);
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

    static outcome parse_into(std::unique_ptr<state>& s, const part_plan& plan, input_source&& in) {
        return guarded([&] {
            s = std::make_unique<state>();
            s->parsed = s->run.parse(in, nullptr, plan);
            return s->parsed ? outcome::success : outcome::parse_failure;
        });
    }

    // Writing sorts the project in place, so it is written once and then let go.
    static outcome write_from(std::unique_ptr<state>& s, output_sink&& out) {
        const std::unique_ptr<state> taken = std::move(s);
        return guarded([&] {
            if (taken != nullptr && taken->parsed) taken->run.write(out);
            return outcome::success;
        });
    }
};

converter::converter() : converter(options{}) {}
converter::converter(const options& how) : how_(how) {}
converter::~converter() = default;
converter::converter(converter&&) noexcept = default;
converter& converter::operator=(converter&&) noexcept = default;

outcome converter::parse(std::string_view old_format) {
    return state::parse_into(state_, plan_for(how_), memory_source(old_format));
}
outcome converter::parse(std::istream& old_format) {
    return state::parse_into(state_, plan_for(how_), istream_source(old_format));
}
outcome converter::parse(std::FILE* old_format) {
    return state::parse_into(state_, plan_for(how_), file_input(old_format));
}

outcome converter::write(std::ostream& out) { return state::write_from(state_, ostream_sink(out)); }
outcome converter::write(std::FILE* out) { return state::write_from(state_, file_output(out)); }

} // namespace morvane
