// The library's convert and check for JavaScript, over byte buffers. Bytes
// cross as Uint8Array copies in both directions, never as strings: project
// files may hold NUL and bytes above 127.

#include <morvane/morvane.hpp>

#include <emscripten/bind.h>
#include <emscripten/val.h>

#include <cstdint>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

using emscripten::val;

std::string_view status_name(morvane::outcome o) {
    switch (o) {
    case morvane::outcome::success:
        return "success";
    case morvane::outcome::parse_failure:
        return "parse_failure";
    case morvane::outcome::out_of_memory:
        return "out_of_memory";
    // Buffers in memory are never read from or written to a device.
    case morvane::outcome::read_failure:
        return "read_failure";
    case morvane::outcome::write_failure:
        return "write_failure";
    }
    return "out_of_memory";
}

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

// {status, output, counts, error, warnings}: output is empty, the counts are
// zero and there are no warnings unless the input converted; error says where
// a file that does not parse goes wrong.
val conversion_of(const morvane::conversion_result& converted, val error) {
    val result = val::object();
    result.set("status", std::string(status_name(converted.status)));
    result.set("output", bytes_to(converted.text));
    result.set("counts", counts_of(converted.counts));
    result.set("error", error);
    result.set("warnings", warnings_of(converted.warnings));
    return result;
}

// {status, error, warnings}
val check_of(const morvane::check_result& checked) {
    val result = val::object();
    result.set("status", std::string(status_name(checked.status)));
    result.set("error", error_of(checked));
    result.set("warnings", warnings_of(checked.warnings));
    return result;
}

// Warnings are always asked for: the page shows them, and a script may ignore
// them.
constexpr morvane::options with_warnings{.warnings = true};

// When the input's copy itself does not fit, memory ran out before the library
// could say so; the answer is then the library's own for running out.
val convert_bytes(const val& bytes) {
    try {
        const std::string input = bytes_from(bytes);
        const morvane::conversion_result converted = morvane::convert(input, with_warnings);
        return conversion_of(converted, converted.status == morvane::outcome::parse_failure
                                            ? error_of(morvane::check(input))
                                            : val::null());
    } catch (const std::bad_alloc&) {
        morvane::conversion_result starved;
        starved.status = morvane::outcome::out_of_memory;
        return conversion_of(starved, val::null());
    }
}

val check_bytes(const val& bytes) {
    try {
        return check_of(morvane::check(bytes_from(bytes), with_warnings));
    } catch (const std::bad_alloc&) {
        morvane::check_result starved;
        starved.status = morvane::outcome::out_of_memory;
        return check_of(starved);
    }
}

} // namespace

EMSCRIPTEN_BINDINGS(morvane) {
    emscripten::function("convert", &convert_bytes);
    emscripten::function("check", &check_bytes);
}
