// Parse and serialize throughput of the HTML facility on a page of about 1 MiB.
#include <benchmark/benchmark.h>

#include <string>

#include "core/html/Html.h"
#include "tests/html/CollidingNames.h"

namespace {

// One block of a typical result page: layout tables, links, entities, a script, comments, Japanese text.
constexpr char16_t kBlock[] =
    u"<table width=\"100%\" border=\"0\" cellpadding=\"2\">\n<tr>\n<td class=\"nav\"><a href=\"/amitext/?lang=ja&amp;"
    u"c_id=42\">翻訳</a> | <a href='/help.html' target=_blank>ヘルプ</a></td>\n<td>&nbsp;</td>\n</tr>\n<tr><td "
    u"colspan=2>\n<p>Some text &amp; more text &lt;here&gt; with <b>bold</b>, <i>italic</i> and <br>a break.\n"
    u"<p>日本語の文章がここに入ります。&copy; 2004 &#12354;&#x3044;\n<!-- advertisement -->\n<script "
    u"type=\"text/javascript\">var a = 1 < 2 && 3 > 2; document.write('<img src=x.gif>');</script>\n"
    u"<ul><li>one<li>two<li>three</ul>\n<form action=/s><input type=text name=q value=\"\" size=20>"
    u"<select name=l><option value=1 selected>A<option value=2>B</select></form>\n</td></tr>\n</table>\n"
    u"<div class=\"footer\"><textarea class=\"transT\" name=\"translatedText\" rows=\"9\" wrap=\"virtual\" "
    u"cols=\"31\">\nこんにちは &lt;世界&gt;</textarea></div>\n";

std::u16string MakePage() {
    std::u16string page =
        u"<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html><head>"
        u"<title>page</title></head>\n<body>\n";
    while (page.size() < (1u << 20)) {
        page += kBlock;
    }
    return page + u"</body></html>\n";
}

// Throughput counts source characters, which equal bytes for the ASCII markup that makes up most of a page.
void BM_ParseAndSerialize(benchmark::State& state) {
    const std::u16string page = MakePage();
    for (auto _ : state) {
        const velmora::html::Document document = velmora::html::Parse(page);
        std::u16string markup = velmora::html::InnerHtml(*velmora::html::Body(document));
        benchmark::DoNotOptimize(markup);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParseAndSerialize)->Unit(benchmark::kMillisecond);

void BM_Parse(benchmark::State& state) {
    const std::u16string page = MakePage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::html::Parse(page));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_Parse)->Unit(benchmark::kMillisecond);

// 40,000 distinct tag names that share one value under a fixed hash, against as many ordinary names of the same
// length: a page must not be able to choose names that slow the parser down.
void BM_ParseNames(benchmark::State& state) {
    const std::u16string page = colliding::Page(40000, state.range(0) ? colliding::Name : colliding::OrdinaryName);
    for (auto _ : state) {
        benchmark::DoNotOptimize(velmora::html::Parse(page));
    }
    state.SetLabel(state.range(0) ? "colliding names" : "ordinary names");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ParseNames)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
