// What the fast ways through a walk must keep: files opened through the
// folder the walk keeps open, runs of items handed to the workers, and JSON
// paths written without the library when it would write them as they are.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <nlohmann/json.hpp>
#include <sstream>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "batch/folder_listing.h"
#include "batch/names.h"
#include "batch/ordered_runner.h"
#include "batch/report.h"
#include "support/temp_folder.h"

namespace miwake {
namespace {

TEST(KeptFolder, OpensListedFilesAndNeverReadsWhatTookTheirPlace) {
  const testing::TempFolder temp;
  const std::string body(3000, 'a');
  temp.Write("plain.txt", body);
  temp.Write("short.txt", "abc");
  temp.Write("piped", "x");
  std::vector<ListedEntry> entries;
  int error = 0;
  std::shared_ptr<const KeptFolder> kept;
  ASSERT_TRUE(MakePlatformFolderLister()->ListAndKeep(temp.path(), entries, error, kept));
  EXPECT_EQ(entries.size(), 3u);
#ifdef _WIN32
  EXPECT_EQ(kept, nullptr);  // the files are opened by their whole names
#else
  ASSERT_NE(kept, nullptr);
  std::array<std::uint8_t, 2500> block;
  auto file = kept->OpenForClassify("plain.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Read(block), 2500u);
  EXPECT_EQ(file->AtEnd(), false);
  ASSERT_TRUE(file->Seek(2999));
  EXPECT_EQ(file->Read(block), 1u);
  EXPECT_EQ(file->AtEnd(), true);
  file = kept->OpenForClassify("short.txt");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Read(block), 3u);
  EXPECT_TRUE(file->Close());
  EXPECT_EQ(kept->OpenForClassify("gone.txt"), nullptr);
  // Replaced after the listing: a pipe with no writer must not pass for an
  // empty file, nor a folder for anything.
  std::filesystem::remove(temp.path() + "piped");
  ASSERT_EQ(::mkfifo((temp.path() + "piped").c_str(), 0600), 0);
  std::filesystem::create_directory(temp.path() + "sub");
  for (const char* leaf : {"piped", "sub"}) {
    file = kept->OpenForClassify(leaf);
    EXPECT_TRUE(file == nullptr || !file->Read(block)) << leaf;
  }
#endif
}

TEST(OrderedRunner, HandsOutRunsAndEmitsInOrder) {
  for (const unsigned jobs : {2u, 3u})
    for (const std::size_t count : {0u, 1u, 63u, 64u, 1000u}) {
      std::size_t next = 0;
      std::vector<std::string> emitted;
      OrderedRun run;
      run.jobs = jobs;
      run.window = 256;
      run.source = [&](BatchItem& item) {
        if (next == count) return false;
        item.path = std::to_string(next++);
        item.state = ItemState::kFile;
        item.code = kKindUnreadable;
        return true;
      };
      struct Doubler final : ItemWork {
        void Process(BatchItem& item) override { item.code = 2 * std::stoi(item.path); }
      };
      run.make_work = [] { return std::make_unique<Doubler>(); };
      run.emit = [&](BatchItem& item) {
        EXPECT_EQ(item.code, 2 * static_cast<int>(emitted.size()));
        emitted.push_back(item.path);
        return true;
      };
      RunOrdered(run);
      ASSERT_EQ(emitted.size(), count) << jobs;
      for (std::size_t i = 0; i < count; ++i) EXPECT_EQ(emitted[i], std::to_string(i));
    }
}

TEST(JsonPaths, AreWrittenAsTheLibraryWouldWriteThem) {
  // One after the other, so that a folder's part found plain is used again.
  const std::string names[] = {
      "d/a.txt",       "d/\"q\".txt",    "d/a\\b",   "d/\x01x", "d/\xe3\x81\x82.txt",
      "d/\xe3\x81",    "d\"/a",          "d\"/b",    "\xff/a",  "\xff/b",
      "\xe3\x81/\x82", "\xe3\x81\x82/a", "plain.txt"};
  std::ostringstream out, err;
  {
    Report report(out, err, {.json = true, .with_names = true});
    for (const std::string& name : names) {
      BatchItem item;
      item.path = name;
      item.code = 1;
      report.File(item, std::nullopt);
    }
  }
  std::istringstream lines(out.str());
  for (const std::string& name : names) {
    std::string line;
    ASSERT_TRUE(std::getline(lines, line));
    const bool utf8 = IsUtf8(name);
    const std::string text = utf8 ? name : LossyUtf8(name);
    std::string expected = "{\"path\":" + nlohmann::json(text).dump();
    if (!utf8) expected += ",\"path_bytes\":\"" + Base64(name) + '"';
    EXPECT_EQ(line.substr(0, expected.size()), expected) << name;
    EXPECT_EQ(line[expected.size()], ',') << name;
  }
}

}  // namespace
}  // namespace miwake
