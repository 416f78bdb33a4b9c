// Converts one project and checks one broken file through the installed library;
// exits 0 only when both answers are right.

#include <morvane/morvane.hpp>

#include <iostream>

int main() {
    const auto converted = morvane::convert("[frame] [name] idle; [sprite] [x] 5; ! !");
    if (!converted.ok() || converted.text != "[frame idle]\nsprite 0 x=5\n") {
        std::cerr << "conversion gave: " << converted.text << "\n";
        return 1;
    }
    const auto checked = morvane::check("[frame]\n[name] idle;");
    if (checked.status != morvane::outcome::parse_failure || !checked.error ||
        checked.error->line != 2 || checked.error->message() != R"(expected "!" or "[")") {
        std::cerr << "check gave the wrong answer\n";
        return 1;
    }
    std::cout << "consumer ok\n";
    return 0;
}
