// Makes the data that the benchmarks time: realistic text files in code page
// 932 with CR LF line ends.
//
//   make_bench_data big FILE MEBIBYTES     one file of entries, about that large
//   make_bench_data dir DIR COUNT          COUNT small files in DIR
//   make_bench_data sparse FILE MEBIBYTES  a file whose first body is a hole of
//                                          that size, then 100 ordinary entries
//
// The text is drawn from a fixed pool with a fixed seed, so every run makes
// the same bytes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/cp932.h"

namespace {

const char* const kSentences[] = {
    "今日は朝から雨が降っていたので、駅まで歩いて行った。",
    "会議の議題：来期の予算、広告費の見直し、新しいサーバーの見積もり。",
    "じゃがいもは皮をむいて大きめに切り、水にさらしておく。",
    "ﾀｸｼｰで帰るなら駅前まで５分ほど。ﾚｼｰﾄは必ずもらうこと。",
    "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。",
    "春はあけぼの。やうやう白くなりゆく山ぎは、すこしあかりて。",
    "Version 2.1 の変更点: 検索の高速化、表示の不具合を修正 (#1024)。",
    "担当：山田、鈴木。締め切りは１２月２０日（金）の１７時まで。",
    "①材料を量る　②粉をふるう　③卵を泡立てる　④型に流して焼く",
    "ﾊﾟｽﾜｰﾄﾞは８文字以上、英数字と記号を混ぜること。",
    "電話番号　03-1234-5678（代表）、内線は 1024 番。",
    "旅先で買った八ッ橋が思いのほかおいしかったので、また買いに行きたい。",
};
const char* const kTags[] = {"仕事", "料理", "旅行", "読書", "メモ", "ｶﾞｼﾞｪｯﾄ", "日記", ""};
const char* const kTitles[] = {"会議メモ",     "買い物リスト", "肉じゃが",   "京都・清水寺",
                               "読みかけの本", "ﾊﾞｯｸｱｯﾌﾟ手順", "週末の予定", "覚え書き"};

class TextMaker {
 public:
  TextMaker() : rng_(20261211) {
    for (const char* s : kSentences) sentences_.push_back(qb::EncodeCp932(s));
    for (const char* s : kTags) tags_.push_back(qb::EncodeCp932(s));
    for (const char* s : kTitles) titles_.push_back(qb::EncodeCp932(s));
  }

  // One entry: its header line and 3 to 40 body lines.
  void Entry(std::string& out, long number) {
    const std::string& tag = tags_[Pick(tags_.size())];
    out += ";";
    if (!tag.empty()) out += tag + ":";
    out += titles_[Pick(titles_.size())] + " " + std::to_string(number) + "\r\n";
    for (size_t lines = 3 + Pick(38); lines > 0; --lines) {
      for (size_t parts = 1 + Pick(2); parts > 0; --parts)
        out += sentences_[Pick(sentences_.size())];
      out += "\r\n";
    }
  }

  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }

 private:
  std::mt19937_64 rng_;
  std::vector<std::string> sentences_, tags_, titles_;
};

bool WriteAll(std::FILE* f, const std::string& s) {
  return std::fwrite(s.data(), 1, s.size(), f) == s.size();
}

int Big(const char* path, long mib) {
  std::FILE* f = std::fopen(path, "wb");
  if (!f) return std::perror(path), 1;
  TextMaker maker;
  std::string chunk = qb::EncodeCp932("ベンチマーク用の大きなファイル") + "\r\n";
  long long written = 0;
  for (long n = 0; written < mib * (1LL << 20); ++n) {
    maker.Entry(chunk, n);
    if (chunk.size() > (1 << 20)) {
      written += static_cast<long long>(chunk.size());
      if (!WriteAll(f, chunk)) return std::perror(path), 1;
      chunk.clear();
    }
  }
  WriteAll(f, chunk);
  return std::fclose(f) == 0 ? 0 : 1;
}

int Dir(const char* dir, long count) {
  ::mkdir(dir, 0755);
  TextMaker maker;
  for (long i = 0; i < count; ++i) {
    std::string text = qb::EncodeCp932("ノート") + " " + std::to_string(i * 7919 % count) + "\r\n";
    for (size_t e = 1 + maker.Pick(5); e > 0; --e) maker.Entry(text, static_cast<long>(e));
    std::string path = std::string(dir) + "/N" + std::to_string(i) + ".QBS";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || !WriteAll(f, text) || std::fclose(f) != 0) return std::perror(path.c_str()), 1;
  }
  return 0;
}

int Sparse(const char* path, long mib) {
  std::string head = qb::EncodeCp932("穴のあるファイル") + "\r\n;first\r\n";
  TextMaker maker;
  std::string tail = "\r\n";
  for (long n = 0; n < 100; ++n) maker.Entry(tail, n);
  int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0) return std::perror(path), 1;
  off_t at = static_cast<off_t>(mib) << 20;
  bool ok = ::pwrite(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size()) &&
            ::pwrite(fd, tail.data(), tail.size(), at) == static_cast<ssize_t>(tail.size());
  return ::close(fd) == 0 && ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4) {
    std::string what = argv[1];
    long n = std::strtol(argv[3], nullptr, 10);
    if (what == "big" && n > 0) return Big(argv[2], n);
    if (what == "dir" && n > 0) return Dir(argv[2], n);
    if (what == "sparse" && n > 0) return Sparse(argv[2], n);
  }
  std::fprintf(stderr, "usage: make_bench_data big FILE MIB | dir DIR COUNT | sparse FILE MIB\n");
  return 2;
}
