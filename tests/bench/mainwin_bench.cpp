// Times the main window as a user waits for it.
//
//   mainwin_bench                 makes the data in a temporary directory and
//                                 prints the median of 7 runs of each figure
//   mainwin_bench startup DIR T0 ROWS PROGDIR
//       (one run) from T0 (CLOCK_MONOTONIC ns, the parent's clock before it
//       started this process) to the first file's ROWS titles drawn
//   mainwin_bench select DIR ROW ROWS PROGDIR
//       (one run) from choosing file row ROW to its ROWS titles drawn
//
// "Drawn" is the first paint of the title list's viewport once it holds the
// file's rows. Index files go to PROGDIR/QB_INDEX; the first of the runs
// writes them and is not counted.
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "engine/cp932.h"
#include "engine/env.h"
#include "mainwin/main_win.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace {

int64_t NowNs() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return int64_t{ts.tv_sec} * 1000000000 + ts.tv_nsec;
}

// Reports the first paint of |view|'s viewport while it holds |rows| rows.
class PaintWatch : public QObject {
 public:
  PaintWatch(QListView* view, int rows) : view_(view), rows_(rows) {
    view->viewport()->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && painted_ns_ == 0 && view_->isVisible() &&
        view_->model()->rowCount() == rows_) {
      painted_ns_ = NowNs();
    }
    return false;
  }
  int64_t painted_ns() const { return painted_ns_; }

 private:
  QListView* view_;
  int rows_;
  int64_t painted_ns_ = 0;
};

// The program directory of the runs, whose QB_INDEX keeps the index files
// from one run to the next.
std::string program_dir;

std::string ProgramDir() { return program_dir; }

int Startup(int argc, char** argv, const char* dir, int64_t t0, int rows) {
  const int64_t entered = NowNs();
  QApplication app(argc, argv);
  const int64_t app_made = NowNs();
  qb::MainWin win;
  const int64_t win_made = NowNs();
  PaintWatch watch(win.findChild<QListView*>(QStringLiteral("Title0")), rows);
  win.StartUp(ProgramDir(), dir);
  const int64_t started = NowNs();
  win.show();
  for (int i = 0; i < 500 && watch.painted_ns() == 0; ++i) QTest::qWait(2);
  std::printf("%.1f\n", (watch.painted_ns() - t0) / 1e6);
  if (std::getenv("QB_BENCH_DETAIL")) {
    std::fprintf(stderr,
                 "exec and load %.1f, QApplication %.1f, window %.1f, start-up %.1f, "
                 "shown and drawn %.1f ms\n",
                 (entered - t0) / 1e6, (app_made - entered) / 1e6, (win_made - app_made) / 1e6,
                 (started - win_made) / 1e6, (watch.painted_ns() - started) / 1e6);
  }
  return watch.painted_ns() ? 0 : 1;
}

int Select(int argc, char** argv, const char* dir, int row, int rows) {
  QApplication app(argc, argv);
  qb::MainWin win;
  win.StartUp(ProgramDir(), dir);
  win.show();
  if (!QTest::qWaitForWindowExposed(&win)) return 1;
  QTest::qWait(200);
  auto* files = win.findChild<QListView*>(QStringLiteral("FileList"));
  PaintWatch watch(win.findChild<QListView*>(QStringLiteral("Title0")), rows);
  const int64_t t0 = NowNs();
  files->selectionModel()->setCurrentIndex(files->model()->index(row, 0),
                                           QItemSelectionModel::ClearAndSelect);
  const int64_t loaded = NowNs();
  for (int i = 0; i < 500 && watch.painted_ns() == 0; ++i) QTest::qWait(1);
  std::printf("%.1f\n", (watch.painted_ns() - t0) / 1e6);
  if (std::getenv("QB_BENCH_DETAIL")) {
    std::fprintf(stderr, "loaded and rendered %.1f ms, drawn %.1f ms later\n", (loaded - t0) / 1e6,
                 (watch.painted_ns() - loaded) / 1e6);
  }
  return watch.painted_ns() ? 0 : 1;
}

// Runs this program with |args| and returns the number it prints (-1 on failure).
double RunChild(const char* self, std::vector<std::string> args) {
  args.insert(args.begin(), self);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  pid_t pid;
  int ok = posix_spawn(&pid, self, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  std::string out;
  char buffer[256];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0) out.append(buffer, n);
  close(fds[0]);
  int status = 0;
  if (ok == 0) waitpid(pid, &status, 0);
  return ok == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? std::atof(out.c_str()) : -1;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::string Entries(int count, const char* tag) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += qb::EncodeCp932(std::string(";") + tag + ":見出し " + std::to_string(i)) + "\r\n" +
            qb::EncodeCp932("本文の一行目。二行目はもう少し長い文章にしておく。") + "\r\n";
  }
  return text;
}

int All(const char* self) {
  qb::testing::TempDir data;
  const std::string many = data.Path("many"), big = data.Path("big");
  ::mkdir(many.c_str(), 0755);
  ::mkdir(big.c_str(), 0755);
  for (int i = 0; i < 1000; ++i) {
    qb::testing::WriteFile(
        many + "/N" + std::to_string(i) + ".QBS",
        qb::EncodeCp932("ノート " + std::to_string(i)) + "\r\n" + Entries(5 + i % 20, "メモ"));
  }
  qb::testing::WriteFile(big + "/A.QBS", qb::EncodeCp932("あ 小さい") + "\r\n" + Entries(3, "x"));
  qb::testing::WriteFile(big + "/B.QBS",
                         qb::EncodeCp932("い 十万件") + "\r\n" + Entries(100000, "仕事"));
  // The first file of "many" is N0.QBS: 5 entries. B.QBS is row 1.
  std::vector<double> startup, select;
  for (int run = 0; run < 8; ++run) {
    double s = RunChild(self, {"startup", many, std::to_string(NowNs()), "5", data.path()});
    double t = RunChild(self, {"select", big, "1", "100000", data.path()});
    if (s < 0 || t < 0) return std::fprintf(stderr, "a run failed\n"), 1;
    if (run > 0) {  // the first run writes the index files
      startup.push_back(s);
      select.push_back(t);
    }
  }
  std::printf("start to the first file's titles drawn, 1,000 files: %.1f ms (median of %zu)\n",
              Median(startup), startup.size());
  std::printf("choosing a file of 100,000 entries (indexed) to its titles drawn: %.1f ms\n",
              Median(select));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) return All("/proc/self/exe");
  if (argc == 6) program_dir = argv[5];
  if (argc == 6 && std::string(argv[1]) == "startup") {
    return Startup(argc, argv, argv[2], std::atoll(argv[3]), std::atoi(argv[4]));
  }
  if (argc == 6 && std::string(argv[1]) == "select") {
    return Select(argc, argv, argv[2], std::atoi(argv[3]), std::atoi(argv[4]));
  }
  std::fprintf(
      stderr, "usage: mainwin_bench [startup DIR T0 ROWS PROGDIR | select DIR ROW ROWS PROGDIR]\n");
  return 2;
}
