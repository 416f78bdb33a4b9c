// Converts one project and checks one broken file through the installed library;
// exits 0 only when both answers are right.

#include <morvane/morvane.hpp>

#include <iostream>

int main() {
    const auto converted = morvane::convert("[frame] [name] idle; [sprite] [x] 5; ! !");
    const auto checked = morvane::check("[frame]\n[name] idle;");
    const bool right = converted.ok() && converted.text == "[frame idle]\nsprite 0 x=5\n" &&
                       checked.status == morvane::outcome::parse_failure && checked.error &&
                       checked.error->line == 2 &&
                       checked.error->message() == R"(expected "!" or "[")";
    std::cout << (right ? "consumer ok\n"
                        : "wrong answers; the conversion gave: " + converted.text);
    return right ? 0 : 1;
}
