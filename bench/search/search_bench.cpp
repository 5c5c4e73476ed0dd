// A downward search through 64 MiB of Japanese Shift_JIS text whose only hit
// is at the very end: the engine with and without the case rule, and the C
// library's memmem over the same bytes as the peer.  The engine is built
// inside the timed loop, as each search in the editor builds one.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "editor/search/searcher.h"
#include "orka/text/codepage.h"

namespace {

constexpr std::size_t kTextBytes = 64u << 20;

std::string sjis(const char* utf8) {
  auto bytes = orka::utf8ToCodePage(utf8, 932);
  if (!bytes) std::abort();
  return *bytes;
}

struct Corpus {
  std::string text;
  std::string pattern;  // found only at the very end
  std::string patternOtherCase;
};

// Sentences of everyday Japanese (kana, kanji, full-width letters and digits,
// punctuation, line breaks), shuffled, then the search text once at the end.
const Corpus& corpus() {
  static const Corpus c = [] {
    const char* pieces[] = {
        "今日は朝から雨が降っていたので、傘を持って出かけました。",
        "会議の資料は明日の午前中までに共有フォルダへ置いてください。",
        "ソフトウェアの更新は自動で行われますが、再起動が必要です。",
        "駅前の喫茶店でコーヒーを飲みながら、新聞を読んでいた。",
        "ＰＣの設定を変更する場合は、管理者に連絡してください。",
        "第３章では、データの暗号化と圧縮の仕組みを説明します。",
        "山田さんから電話がありました。折り返しお願いします。",
        "桜の季節になると、公園は花見客でにぎわいます。",
        "この文書は暗号化されて保存されます。パスワードを忘れないでください。",
        "ｗｅｂサイトの表示が遅いときは、キャッシュを消してみてください。",
        "東京、大阪、名古屋、福岡の各支店から報告が届いています。",
        "「ありがとうございます」と言って、彼は深く頭を下げた。",
    };
    std::vector<std::string> bytes;
    for (const char* p : pieces) bytes.push_back(sjis(p));
    Corpus out;
    out.pattern = sjis("見つけたいＡＢＣ言葉");
    out.patternOtherCase = sjis("見つけたいａｂｃ言葉");
    std::mt19937 rng(11);
    out.text.reserve(kTextBytes);
    while (out.text.size() < kTextBytes - out.pattern.size() - 256) {
      out.text += bytes[rng() % bytes.size()];
      if (rng() % 3 == 0) out.text += "\r\n";
    }
    out.text += out.pattern;
    return out;
  }();
  return c;
}

void checkHit(benchmark::State& state, std::size_t hit) {
  if (hit != corpus().text.size() - corpus().pattern.size()) state.SkipWithError("hit not at the end");
}

void engine(benchmark::State& state, bool ignoreCase) {
  const Corpus& c = corpus();
  const std::string& pattern = ignoreCase ? c.patternOtherCase : c.pattern;
  for (auto _ : state) {
    search::Searcher s(search::CodePage::shiftJis(), pattern, ignoreCase);
    auto hit = s.findNext(c.text, 0, 0, true);
    benchmark::DoNotOptimize(hit);
    checkHit(state, hit.value_or(0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.text.size()));
}

void BM_Memmem(benchmark::State& state) {
  const Corpus& c = corpus();
  for (auto _ : state) {
    const void* hit = memmem(c.text.data(), c.text.size(), c.pattern.data(), c.pattern.size());
    benchmark::DoNotOptimize(hit);
    checkHit(state, hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - c.text.data()) : 0);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * c.text.size()));
}

void BM_EngineMatchCase(benchmark::State& state) { engine(state, false); }
void BM_EngineIgnoreCase(benchmark::State& state) { engine(state, true); }

BENCHMARK(BM_Memmem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineMatchCase)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EngineIgnoreCase)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
