// The BMP reader checks headers and bounds only, so its cost must not grow with the picture:
// the same call on a 64 x 48 and a 3840 x 2160 file, 32 bits per pixel.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "catalogue/bmp.h"

namespace {

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::vector<std::uint8_t> Bmp(int width, int height) {
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width) * 4 * height;
    std::vector<std::uint8_t> out;
    Put(out, 0x4D42, 2);
    Put(out, 54 + pixelBytes, 4);
    Put(out, 0, 4);
    Put(out, 54, 4);
    Put(out, 40, 4);
    Put(out, width, 4);
    Put(out, height, 4);
    Put(out, 1, 2);
    Put(out, 32, 2);
    for (int i = 0; i < 6; ++i) Put(out, 0, 4);
    out.resize(54 + pixelBytes, 0x80);
    return out;
}

void ReadBmpOf(benchmark::State& state) {
    const std::vector<std::uint8_t> file =
        Bmp(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        auto image = velmora::ReadBmp(file);
        benchmark::DoNotOptimize(image);
    }
}

}  // namespace

BENCHMARK(ReadBmpOf)->Args({64, 48})->Args({3840, 2160});

BENCHMARK_MAIN();
