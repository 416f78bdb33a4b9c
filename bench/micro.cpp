// Micro-benchmarks of the hot paths: parsing from memory, list_sort on the
// shapes that hurt a partition sort, and the writing pass.

#include "containers/list_sort.hpp"
#include "driver/conversion.hpp"
#include "model/operations.hpp"
#include "project_generator.hpp"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace morvane;
using bench::generate_string;
using bench::shape;

const std::string& project(shape kind, std::uint64_t amount) {
    // One generated file per (shape, amount), kept for the whole run.
    static std::vector<std::pair<std::pair<shape, std::uint64_t>, std::unique_ptr<std::string>>>
        cache;
    for (const auto& [key, text] : cache)
        if (key == std::pair(kind, amount)) return *text;
    cache.emplace_back(std::pair(kind, amount),
                       std::make_unique<std::string>(generate_string({kind, amount, 7})));
    return *cache.back().second;
}

void parse(benchmark::State& state, shape kind, std::uint64_t amount) {
    const std::string& input = project(kind, amount);
    for (auto _ : state) {
        conversion run;
        memory_source source(input);
        if (!run.parse(source)) state.SkipWithError("the generated file did not parse");
        benchmark::DoNotOptimize(run.doc().frame_list.size());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}

void BM_parse_realistic(benchmark::State& state) { parse(state, shape::realistic, 8 << 20); }
void BM_parse_sprites_in_one_frame(benchmark::State& state) {
    parse(state, shape::sprites_in_one_frame, 200'000);
}
void BM_parse_sorted_frames(benchmark::State& state) {
    parse(state, shape::sorted_frames, 200'000);
}
BENCHMARK(BM_parse_realistic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_parse_sprites_in_one_frame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_parse_sorted_frames)->Unit(benchmark::kMillisecond);

// Counts the bytes instead of keeping them.
class counting_sink : public output_sink {
  public:
    void write(std::string_view bytes) override { written += bytes.size(); }
    std::uint64_t written = 0;
};

// Sorting and printing a parsed document. Sorting a list that a previous
// iteration already sorted is still a full sort.
void BM_write_realistic(benchmark::State& state) {
    conversion run;
    memory_source source(project(shape::realistic, 8 << 20));
    if (!run.parse(source)) state.SkipWithError("the generated file did not parse");
    counting_sink sink;
    for (auto _ : state) run.write(sink);
    state.SetBytesProcessed(static_cast<std::int64_t>(sink.written));
}
BENCHMARK(BM_write_realistic)->Unit(benchmark::kMillisecond);

enum class order { ascending, descending, all_equal, shuffled };

// list_sort of n frames whose names come in the given order, with or without
// the name prefixes that the writer passes.
void BM_list_sort(benchmark::State& state, order o, bool with_prefix) {
    const auto n = static_cast<std::size_t>(state.range(0));
    std::vector<std::string> names(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t k = o == order::descending ? n - 1 - i : i;
        names[i] = o == order::all_equal ? "frame" : "frame_" + std::to_string(1'000'000'000 + k);
    }
    if (o == order::shuffled) {
        std::uint64_t s = 42;
        for (std::size_t i = n; i > 1; --i) {
            s = s * 6364136223846793005ULL + 1442695040888963407ULL;
            std::swap(names[i - 1], names[(s >> 33U) % i]);
        }
    }
    arena records;
    std::vector<frame> frames;
    frames.reserve(n);
    for (const std::string& name : names) {
        frames.emplace_back(arena_allocator(&records));
        frames.back().name = text(name);
    }
    for (auto _ : state) {
        state.PauseTiming();
        list<frame> l;
        for (frame& f : frames) (void)list_append(l, &f);
        state.ResumeTiming();
        if (with_prefix)
            list_sort(l, compare_frames, frames_prefix);
        else
            list_sort(l, compare_frames);
        benchmark::DoNotOptimize(l.head);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * n));
}
BENCHMARK_CAPTURE(BM_list_sort, ascending, order::ascending, false)
    ->Range(1 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_list_sort, descending, order::descending, false)
    ->Range(1 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_list_sort, all_equal, order::all_equal, false)
    ->Range(1 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_list_sort, shuffled, order::shuffled, false)
    ->Range(1 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_list_sort, shuffled_with_prefix, order::shuffled, true)
    ->Range(1 << 10, 1 << 20)
    ->Unit(benchmark::kMillisecond);

} // namespace
