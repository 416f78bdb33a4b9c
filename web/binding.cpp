// The library's convert and check for JavaScript, over byte buffers. Bytes
// cross as Uint8Array copies in both directions, never as strings: project
// files may hold NUL and bytes above 127.

#include "driver/outcome_words.hpp"

#include <morvane/morvane.hpp>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace {

using emscripten::val;

// A copy of a JavaScript Uint8Array in this module's memory. Throws
// std::bad_alloc when memory can't hold it, which includes an array longer
// than this module can address at all.
std::string bytes_from(const val& bytes) {
    const double length = bytes["length"].as<double>();
    std::string copy;
    if (length > static_cast<double>(copy.max_size())) throw std::bad_alloc();
    copy.resize(static_cast<std::size_t>(length));
    val(emscripten::typed_memory_view(copy.size(), reinterpret_cast<std::uint8_t*>(copy.data())))
        .call<void>("set", bytes);
    return copy;
}

// A Uint8Array of JavaScript's own holding a copy of text.
val bytes_to(std::string_view text) {
    return val(emscripten::typed_memory_view(text.size(),
                                             reinterpret_cast<const std::uint8_t*>(text.data())))
        .call<val>("slice");
}

// {line, column, line_begin, line_end}: a place in the input, with the column
// counted in bytes and its line's bytes at [line_begin, line_end).
template <class Place> val place(const Place& p) {
    val at = val::object();
    at.set("line", static_cast<double>(p.line));
    at.set("column", static_cast<double>(p.column));
    at.set("line_begin", static_cast<double>(p.line_begin));
    at.set("line_end", static_cast<double>(p.line_end));
    return at;
}

// {line, column, line_begin, line_end, message} where input stops being a
// well-formed project, or null.
val error_of(const morvane::check_result& checked) {
    if (!checked.error) return val::null();
    val error = place(*checked.error);
    error.set("message", checked.error->message());
    return error;
}

// [{line, column, line_begin, line_end, offset, message}, ...] in file order, where offset counts
// the bytes before the "[" concerned.
val warnings_of(const std::vector<morvane::warning>& found) {
    val warnings = val::array();
    for (const morvane::warning& w : found) {
        val warning = place(w);
        warning.set("offset", static_cast<double>(w.offset));
        warning.set("message", w.message);
        warnings.call<void>("push", warning);
    }
    return warnings;
}

// {characters, animations, animation_frames, frames, sprites, points,
// collision_rectangles, charmaps}
val counts_of(const morvane::project_counts& c) {
    val counts = val::object();
    counts.set("characters", static_cast<double>(c.characters));
    counts.set("animations", static_cast<double>(c.animations));
    counts.set("animation_frames", static_cast<double>(c.animation_frames));
    counts.set("frames", static_cast<double>(c.frames));
    counts.set("sprites", static_cast<double>(c.sprites));
    counts.set("points", static_cast<double>(c.points));
    counts.set("collision_rectangles", static_cast<double>(c.collision_rectangles));
    counts.set("charmaps", static_cast<double>(c.charmaps));
    return counts;
}

// {status, output, counts, error, warnings} for a conversion of input,
// {status, error, warnings} for a check: output is empty, the counts are zero
// and there are no warnings unless the input converted; error says where a
// file that does not parse goes wrong.
template <class Result> val result_of(const Result& r, std::string_view input) {
    val result = val::object();
    // The status is the library's, so it names an outcome.
    result.set("status", std::string(morvane::outcome_table[static_cast<int>(r.status)].name));
    if constexpr (std::is_same_v<Result, morvane::conversion_result>) {
        result.set("output", bytes_to(r.text));
        result.set("counts", counts_of(r.counts));
        result.set("error", r.status == morvane::outcome::parse_failure
                                ? error_of(morvane::check(input))
                                : val::null());
    } else {
        result.set("error", error_of(r));
    }
    result.set("warnings", warnings_of(r.warnings));
    return result;
}

// The library's answer for the bytes. When the input's copy itself does not
// fit, memory ran out before the library could say so; the answer is then the
// library's own for running out. Buffers in memory are never read from or
// written to a device, so the other failures never come.
template <class Result>
val answered(const val& bytes, Result (*call)(std::string_view, const morvane::options&)) {
    try {
        const std::string input = bytes_from(bytes);
        // Warnings are always asked for: the page shows them, and a script
        // may ignore them.
        return result_of(call(input, {.warnings = true}), input);
    } catch (const std::bad_alloc&) {
        Result starved;
        starved.status = morvane::outcome::out_of_memory;
        return result_of(starved, "");
    }
}

val convert_bytes(const val& bytes) { return answered(bytes, morvane::convert); }
val check_bytes(const val& bytes) { return answered(bytes, morvane::check); }

} // namespace

EMSCRIPTEN_BINDINGS(morvane) {
    emscripten::function("convert", &convert_bytes);
    emscripten::function("check", &check_bytes);
}
