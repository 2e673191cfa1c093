// The parts of a batch run on their own: names, the ordered runner, the
// progress line.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <sstream>
#include <thread>
#include <tuple>

#include "batch/names.h"
#include "batch/ordered_runner.h"
#include "batch/progress_line.h"

namespace miwake {
namespace {

TEST(BatchNames, JoinsSplitsAndEncodes) {
  // A folder joined with the leaf "x"; the last, 表, ends in a backslash's byte.
  constexpr auto kPosix = NameStyle::kPosix, kWin = NameStyle::kWindows;
  const std::tuple<const char*, NameStyle, const char*> joins[] = {
      {"dir", kPosix, "dir/x"},   {"dir/", kPosix, "dir/x"},        {"", kPosix, "x"},
      {"a\\b", kPosix, "a\\b/x"}, {"C:\\", kWin, "C:\\x"},          {"C:", kWin, "C:x"},
      {"d/", kWin, "d/x"},        {"\x95\x5c", kWin, "\x95\x5c\\x"}};
  for (const auto& [folder, style, expected] : joins) {
    const std::string joined = JoinPath(folder, "x", style);
    EXPECT_EQ(joined, expected) << folder;
    EXPECT_EQ(LeafStart(joined, style), joined.size() - 1) << folder;
  }

  // Valid UTF-8 (shown empty) with the lowest and highest leads, then invalid: overlong, Shift-JIS
  // テ, overlong, a surrogate, above U+10FFFF, cut short; '?' stands for each U+FFFD shown.
  const std::pair<std::string, std::string> texts[] = {
      {"a\xdf\xbf\xe0\xa0\x80\xf1\x80\x80\x80", ""},
      {"\xf0\x8f\xbf\xbf", "????"},
      {"\x83\x65", "?e"},
      {"\xc0\xaf", "??"},
      {"\xed\xa0\x80", "???"},
      {"\xf4\x90\x80\x80", "????"},
      {"a\xe3\x81", "a??"}};
  for (const auto& [bytes, shown] : texts) {
    std::string lossy;
    for (const char c : shown) lossy += c == '?' ? std::string("\xEF\xBF\xBD") : std::string(1, c);
    EXPECT_EQ(IsUtf8(bytes), shown.empty()) << bytes;
    EXPECT_EQ(LossyUtf8(bytes), shown.empty() ? bytes : lossy) << bytes;
  }

  const std::pair<std::string, std::string> base64[] = {
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foob", "Zm9vYg=="}, {"\xff\xfe\x83", "//6D"}};
  for (const auto& [bytes, text] : base64) EXPECT_EQ(Base64(bytes), text);
}

// Sets each item's code from its name after a random pause, so that the
// workers finish out of order.
struct SlowWork final : ItemWork {
  explicit SlowWork(unsigned seed) : random(seed) {}
  void Process(BatchItem& item) override {
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 300));
    item.code = std::stoi(item.path);
  }
  std::minstd_rand random;
};

TEST(OrderedRunner, EmitsInTheSourcesOrderAndStopsWhenTold) {
  for (const unsigned jobs : {1u, 2u, 5u}) {
    for (const int stop_at : {-1, 20}) {
      int next = 0;
      std::atomic<unsigned> workers = 0;
      std::vector<BatchItem> emitted;
      OrderedRun run;
      run.jobs = jobs;
      run.window = 4;
      run.source = [&](BatchItem& item) {
        if (next == 100) return false;
        item.state = next % 7 ? ItemState::kFile : ItemState::kMissing;
        item.code = kKindUnreadable;
        item.path = std::to_string(next++);
        return true;
      };
      run.make_work = [&] { return std::make_unique<SlowWork>(++workers); };
      run.emit = [&](BatchItem& item) {
        emitted.push_back(item);
        return static_cast<int>(emitted.size()) - 1 != stop_at;
      };
      RunOrdered(run);
      EXPECT_EQ(workers, jobs);
      ASSERT_EQ(emitted.size(), stop_at < 0 ? 100u : 21u) << jobs;
      // Taken ahead of the one awaited: at most the window.
      EXPECT_LE(next, stop_at < 0 ? 100 : stop_at + 1 + 4);
      for (std::size_t i = 0; i < emitted.size(); ++i) {
        EXPECT_EQ(emitted[i].path, std::to_string(i)) << jobs;
        // Only files are worked on.
        EXPECT_EQ(emitted[i].code, i % 7 ? static_cast<int>(i) : kKindUnreadable) << jobs;
      }
    }
  }
}

TEST(ProgressLine, ShowsAfterASecondAtMostFiveTimesASecondAndGoesAway) {
  std::ostringstream err;
  ProgressLine line(err, NameStyle::kPosix, 5000);
  const std::string deep = "/d/" + std::string(14, '\x01') + "\xe3\x81\x82\xe3\x81\x82" +
                           std::string(35, 'f');  // the last 40 bytes start inside the first あ
  const struct {
    ProgressLine::Time at;
    bool due;
    std::size_t done = 0;
    std::string folder = {}, drawn = {};
  } steps[] = {
      {5999, false},
      {6000, true, 30, "/data/photos", "\r30 files, 30/s, /data/photos"},
      {6199, false},
      {6200, true, 31, "", "\r31 files, 25/s              "},
      {7000, true, 70, deep, "\r70 files, 35/s, ...\xe3\x81\x82" + std::string(35, 'f')},
  };
  for (const auto& s : steps) {
    EXPECT_EQ(line.Due(s.at), s.due) << s.at;
    if (!s.due) continue;
    err.str("");
    line.Draw(s.done, s.folder, s.at);
    EXPECT_EQ(err.str(), s.drawn) << s.at;
  }
  err.str("");
  line.Clear();
  EXPECT_EQ(err.str(), "\r" + std::string(57, ' ') + "\r");
  err.str("");
  line.Clear();  // nothing to clear twice, nor to cover after a clear
  line.Draw(70, "", 7200);
  EXPECT_EQ(err.str(), "\r70 files, 31/s");

  // Code page 932 is cut between characters too: 表 ends in a backslash's byte.
  ProgressLine cp932(err, NameStyle::kWindows, 0);
  const std::string hyo = "\x95\x5c\x95\x5c\x95\x5c\x95\x5c";
  for (const std::size_t xs : {39, 40}) {  // the cut inside 表, then just after it
    err.str("");
    cp932.Draw(1, "C:\\" + hyo + std::string(xs, 'x'), 1000 + 200 * xs);
    EXPECT_EQ(err.str().substr(err.str().find("...")), "..." + std::string(xs, 'x'));
  }
}

}  // namespace
}  // namespace miwake
