// The parts of a batch run on their own: names, the ordered runner, the
// progress line.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <sstream>
#include <thread>

#include "batch/names.h"
#include "batch/ordered_runner.h"
#include "batch/progress_line.h"

namespace miwake {
namespace {

TEST(BatchNames, JoinsSplitsAndEncodes) {
  const struct {
    const char* folder;
    NameStyle style;
    const char* joined;  // with the leaf "x"
  } joins[] = {
      {"dir", NameStyle::kPosix, "dir/x"},
      {"dir/", NameStyle::kPosix, "dir/x"},
      {"", NameStyle::kPosix, "x"},
      {"a\\b", NameStyle::kPosix, "a\\b/x"},
      {"C:\\", NameStyle::kWindows, "C:\\x"},
      {"C:", NameStyle::kWindows, "C:x"},
      {"d/", NameStyle::kWindows, "d/x"},
      {"\x95\x5c", NameStyle::kWindows, "\x95\x5c\\x"},  // 表 ends in a backslash's byte
  };
  for (const auto& j : joins) {
    const std::string joined = JoinPath(j.folder, "x", j.style);
    EXPECT_EQ(joined, j.joined) << j.folder;
    EXPECT_EQ(LeafStart(joined, j.style), joined.size() - 1) << j.folder;
  }

  const char* const kBad = "\xEF\xBF\xBD";
  const struct {
    std::string bytes, shown;  // shown empty: valid UTF-8, shown as it is
  } texts[] = {
      {"abc", ""},
      {"\xe3\x81\x82", ""},
      {"\xf0\x9f\x98\x80", ""},
      {"\x83\x65", std::string(kBad) + "e"},              // Shift-JIS テ
      {"\xc0\xaf", std::string(kBad) + kBad},             // overlong
      {"\xed\xa0\x80", std::string(kBad) + kBad + kBad},  // surrogate
      {"\xf4\x90\x80\x80", std::string(kBad) + kBad + kBad + kBad},
      {"a\xe3\x81", std::string("a") + kBad + kBad},  // cut short
  };
  for (const auto& t : texts) {
    EXPECT_EQ(IsUtf8(t.bytes), t.shown.empty()) << t.bytes;
    EXPECT_EQ(LossyUtf8(t.bytes), t.shown.empty() ? t.bytes : t.shown) << t.bytes;
  }

  const std::pair<std::string, std::string> base64[] = {
      {"", ""},
      {"f", "Zg=="},
      {"fo", "Zm8="},
      {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="},
      {"foobar", "Zm9vYmFy"},
      {"\xff\xfe\x83", "//6D"},
  };
  for (const auto& [bytes, text] : base64) EXPECT_EQ(Base64(bytes), text);
}

// Sets each item's code from its name after a random pause, so that the
// workers finish out of order.
class SlowWork final : public ItemWork {
 public:
  explicit SlowWork(unsigned seed) : random_(seed) {}
  void Process(BatchItem& item) override {
    std::this_thread::sleep_for(std::chrono::microseconds(random_() % 300));
    item.code = std::stoi(item.path);
  }

 private:
  std::minstd_rand random_;
};

TEST(OrderedRunner, EmitsInTheSourcesOrderAndStopsWhenTold) {
  for (const unsigned jobs : {1u, 2u, 5u}) {
    for (const int stop_at : {-1, 20}) {
      int next = 0, taken = 0;
      std::atomic<unsigned> workers = 0;
      std::vector<BatchItem> emitted;
      OrderedRun run;
      run.jobs = jobs;
      run.window = 4;
      run.source = [&](BatchItem& item) {
        if (next == 100) return false;
        ++taken;
        item.path = std::to_string(next);
        item.state = next % 7 ? ItemState::kFile : ItemState::kMissing;
        item.code = kKindUnreadable;
        ++next;
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
      if (stop_at >= 0) {
        EXPECT_LE(taken, stop_at + 1 + 4);
      }
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
}

}  // namespace
}  // namespace miwake
