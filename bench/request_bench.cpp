// How fast the request's text work runs: encoding a long selection and cutting the result out of a big page.
#include <benchmark/benchmark.h>

#include "core/pages/Extract.h"
#include "core/pages/UrlEncode.h"

namespace {

std::u16string MixedText(size_t bytes) {
    const std::u16string pattern = u"Hello, World! 日本語のテキスト ｱｲｳ é~\r\n";
    std::u16string text;
    while (text.size() * sizeof(char16_t) < bytes) {
        text += pattern;
    }
    text.resize(bytes / sizeof(char16_t));
    return text;
}

void BM_UrlEncodeUtf8(benchmark::State& state) {
    const std::u16string text = MixedText(1u << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::UrlEncodeUtf8(text));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(BM_UrlEncodeUtf8)->Unit(benchmark::kMillisecond);

void BM_ExtractFromBigPage(benchmark::State& state) {
    // The result area sits at the end, so the searches cross the whole page.
    std::u16string page = MixedText(10u << 20);
    page += u"<textarea cols=40 rows=15 name=\"before\" wrap=\"virtual\">src</textarea>";
    page += velmora::kExciteMarkers.start;
    page += u"訳文</textarea>";
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::ExtractBetweenMarkers(page, velmora::kExciteMarkers));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(page.size() * 2));
}
BENCHMARK(BM_ExtractFromBigPage)->Unit(benchmark::kMillisecond);

}  // namespace
