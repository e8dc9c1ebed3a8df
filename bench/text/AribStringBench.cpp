// DecodeAribString beside libaribb24 on the same generated corpus of
// programme titles and descriptions. Both report source bytes per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

extern "C" {
#include <aribb24/aribb24.h>
#include <aribb24/decoder.h>
}

#include "AribString.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Coded texts in the shape of EIT event names and descriptions: kanji in GL,
// hiragana in GR, katakana through LS3R, alphanumerics through LS1/LS0,
// additional symbols from Kanji rows 0x7A and 0x7E, full-width spaces.
class CorpusGenerator {
 public:
  explicit CorpusGenerator(uint32_t seed) : random_(seed) {}

  Bytes Text(int minimumLength) {
    Bytes text;
    while (int(text.size()) < minimumLength) {
      const int choice = Uniform(0, 99);
      if (choice < 35)
        Kanji(text, Uniform(1, 4));
      else if (choice < 65)
        Hiragana(text, Uniform(1, 6));
      else if (choice < 78)
        Katakana(text, Uniform(2, 7));
      else if (choice < 88)
        Alphanumerics(text, Uniform(1, 6));
      else if (choice < 94)
        AdditionalSymbol(text);
      else
        text.insert(text.end(), {0x21, 0x21});  // full-width space
    }
    return text;
  }

 private:
  int Uniform(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

  void Kanji(Bytes& text, int count) {
    for (int i = 0; i < count; ++i) {
      text.push_back(uint8_t(Uniform(0x30, 0x4F)));
      text.push_back(uint8_t(Uniform(0x21, 0x7E)));
    }
  }
  void Hiragana(Bytes& text, int count) {
    for (int i = 0; i < count; ++i) text.push_back(uint8_t(Uniform(0xA1, 0xF3)));
  }
  void Katakana(Bytes& text, int count) {
    text.insert(text.end(), {0x1B, 0x7C});  // LS3R
    for (int i = 0; i < count; ++i) text.push_back(uint8_t(Uniform(0xA1, 0xF6)));
    text.insert(text.end(), {0x1B, 0x7D});  // LS2R
  }
  void Alphanumerics(Bytes& text, int count) {
    text.push_back(0x0E);  // LS1
    for (int i = 0; i < count; ++i) text.push_back(uint8_t(Uniform(0x30, 0x5A)));
    text.push_back(0x0F);  // LS0
  }
  void AdditionalSymbol(Bytes& text) {
    if (Uniform(0, 3)) {
      text.insert(text.end(), {0x7A, uint8_t(Uniform(0x50, 0x74))});  // [HV], [字], ...
    } else {
      text.insert(text.end(), {0x7E, uint8_t(Uniform(0x21, 0x2A))});  // I-X
    }
  }

  std::mt19937 random_;
};

struct Corpus {
  std::vector<Bytes> texts;
  int64_t totalBytes = 0;
  size_t longest = 0;
};

const Corpus& GetCorpus() {
  static const Corpus kCorpus = [] {
    Corpus c;
    CorpusGenerator generator(4242);
    for (int i = 0; i < 1000; ++i) {
      c.texts.push_back(generator.Text(24));   // title
      c.texts.push_back(generator.Text(160));  // description
    }
    for (const Bytes& text : c.texts) {
      c.totalBytes += int64_t(text.size());
      if (text.size() > c.longest) c.longest = text.size();
    }
    return c;
  }();
  return kCorpus;
}

void BM_DecodeAribString(benchmark::State& state) {
  const Corpus& corpus = GetCorpus();
  std::vector<char> output(corpus.longest * 3 + 8);
  for (auto _ : state) {
    for (const Bytes& text : corpus.texts) {
      DecodeAribString(text.data(), uint32_t(text.size()), output.data(), uint32_t(output.size()));
      benchmark::DoNotOptimize(output.data());
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(state.iterations() * corpus.totalBytes);
}
BENCHMARK(BM_DecodeAribString);

void BM_Libaribb24(benchmark::State& state) {
  const Corpus& corpus = GetCorpus();
  std::vector<char> output(corpus.longest * 6 + 64);
  arib_instance_t* instance = arib_instance_new(nullptr);
  arib_decoder_t* decoder = arib_get_decoder(instance);
  for (auto _ : state) {
    for (const Bytes& text : corpus.texts) {
      arib_initialize_decoder(decoder);
      benchmark::DoNotOptimize(
          arib_decode_buffer(decoder, text.data(), text.size(), output.data(), output.size()));
      arib_finalize_decoder(decoder);
      benchmark::ClobberMemory();
    }
  }
  arib_instance_destroy(instance);
  state.SetBytesProcessed(state.iterations() * corpus.totalBytes);
}
BENCHMARK(BM_Libaribb24);

}  // namespace

BENCHMARK_MAIN();
