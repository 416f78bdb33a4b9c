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

// A copy of a JavaScript Uint8Array in this module's memory.
std::string bytes_from(const val& bytes) {
    std::string copy(bytes["length"].as<std::size_t>(), '\0');
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

// {line, column, message} where input stops being a well-formed project, or
// null; the column counts bytes.
val error_of(const morvane::check_result& checked) {
    if (!checked.error) return val::null();
    val error = val::object();
    error.set("line", static_cast<double>(checked.error->line));
    error.set("column", static_cast<double>(checked.error->column));
    error.set("message", checked.error->message());
    return error;
}

val out_of_memory(bool with_output) {
    val result = val::object();
    result.set("status", std::string(status_name(morvane::outcome::out_of_memory)));
    if (with_output) result.set("output", val::global("Uint8Array").new_(0));
    result.set("error", val::null());
    return result;
}

// {status, output, error}: output is empty unless the input converted; error
// says where a file that does not parse goes wrong.
val convert_bytes(const val& bytes) {
    try {
        const std::string input = bytes_from(bytes);
        const morvane::conversion_result converted = morvane::convert(input);
        val result = val::object();
        result.set("status", std::string(status_name(converted.status)));
        result.set("output", bytes_to(converted.text));
        result.set("error", converted.status == morvane::outcome::parse_failure
                                ? error_of(morvane::check(input))
                                : val::null());
        return result;
    } catch (const std::bad_alloc&) {
        return out_of_memory(true);
    }
}

// {status, error}
val check_bytes(const val& bytes) {
    try {
        const morvane::check_result checked = morvane::check(bytes_from(bytes));
        val result = val::object();
        result.set("status", std::string(status_name(checked.status)));
        result.set("error", error_of(checked));
        return result;
    } catch (const std::bad_alloc&) {
        return out_of_memory(false);
    }
}

} // namespace

EMSCRIPTEN_BINDINGS(morvane) {
    emscripten::function("convert", &convert_bytes);
    emscripten::function("check", &check_bytes);
}
