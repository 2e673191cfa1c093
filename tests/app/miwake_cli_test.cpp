#include "app/miwake_cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "support/memory_file_system.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace miwake {
namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

// The expected output is UTF-8 whatever the compiler's execution charset.
std::string U8(std::u8string_view s) {
  return std::string(s.begin(), s.end());
}
const std::string kText = U8(u8"これはテキスト(TXT)ファイルです。\n");
const std::string kGif = U8(u8"これは画像(GIF)ファイルです。\n");
const std::string kGifBytes = "GIF89a\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0b\x0c";
// テスト in Shift-JIS: not UTF-8 on Linux, code page 932 text on Windows.
const std::string kSjisLeaf = "\x83\x65\x83\x58\x83\x67.doc";

struct Outcome {
  int status;
  std::string out, err;
};

// Names are code page 932 on Windows; every text is asked for as UTF-8.
Outcome Miwake(std::vector<std::string> args, FileSystem& files, FolderLister& folders,
               std::function<std::unique_ptr<FileSystem>()> make_files, bool utf8 = true) {
  std::ostringstream out, err;
  const CliEnvironment env{
      {files, folders, std::move(make_files), out, err, utf8, kSeparator == '\\'}, "note", 4};
  const int status = RunMiwake(args, env);
  return {status, out.str(), err.str()};
}

Outcome OnDisk(std::vector<std::string> args, FolderLister* folders = nullptr) {
  const auto files = MakePlatformFileSystem();
  const auto platform = MakePlatformFolderLister();
  return Miwake(std::move(args), *files, folders ? *folders : *platform,
                [] { return MakePlatformFileSystem(); });
}

void Write(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

TEST(MiwakeCliTest, PrintsASentenceOrJsonPerFileAndReportsProblems) {
  testing::MemoryFileSystem files;
  files.Add("memo.txt", "hello\n");
  files.Add("pic.dat", kGifBytes);
  files.Add("a\"b\\c\td", "x").refuse_open = true;
  files.Add("-", "text");
  files.Add("--json", "text");
  const std::string usage = "Usage: miwake";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out, err;
    bool utf8 = true;
  } cases[] = {
      {{"memo.txt"}, kExitAllIdentified, kText, ""},
      {{"memo.txt"}, kExitAllIdentified, "これはテキスト(TXT)ファイルです。\n", "", false},
      {{"missing", "", "memo.txt", "a\"b\\c\td"},
       kExitSomeNotIdentified,
       "memo.txt: " + kText + U8(u8"a\"b\\c\td: このファイルは実行中のため判別不能です。\n"),
       U8(u8"miwake: \"missing\": ファイルが存在しません！\n"
          u8"miwake: \"\": ファイル名を入力して下さい！\n")},
      {{"-", "--", "--json"}, kExitAllIdentified, "-: " + kText + "--json: " + kText, ""},
      {{"--json", "pic.dat", "a\"b\\c\td"},
       kExitSomeNotIdentified,
       U8(u8"{\"path\":\"pic.dat\",\"code\":108,\"extension\":\"gif\",\"label\":\"画像(GIF)\","
          u8"\"sentence\":\"これは画像(GIF)ファイルです。\"}\n"
          u8"{\"path\":\"a\\\"b\\\\c\\td\",\"code\":-1,\"extension\":\"\",\"label\":null,"
          u8"\"sentence\":\"このファイルは実行中のため判別不能です。\"}\n"),
       ""},
      {{"--explain", "pic.dat"},
       kExitAllIdentified,
       kGif + "  17 bytes read, 6 of them text; signature \"GIF8\" at 0\n",
       ""},
      {{"--json", "--explain", "-j", "2", "memo.txt"},
       kExitAllIdentified,
       U8(u8"{\"path\":\"memo.txt\",\"code\":1,\"extension\":\"txt\",\"label\":\"テキスト(TXT)\","
          u8"\"sentence\":\"これはテキスト(TXT)ファイルです。\",\"explain\":{\"block_size\":6,"
          u8"\"text_bytes\":6,\"signature\":null,\"signature_offset\":0,\"app_name\":null,"
          u8"\"app_name_offset\":0,\"original_filename\":null}}\n"),
       ""},
      {{}, kExitUsage, "", "miwake: no file named\n" + usage},
      {{"--bogus", "memo.txt"},
       kExitUsage,
       "",
       "miwake: The following argument was not expected: --bogus\n" + usage},
      {{"--dry-run", "memo.txt"}, kExitUsage, "", "miwake: --dry-run requires --fix\n" + usage},
      {{"--jobs", "0", "memo.txt"},
       kExitUsage,
       "",
       "miwake: --jobs: Value 0 not in range 1 to 1024\n" + usage},
      {{"--undo", "j", "memo.txt"}, kExitUsage, "", "miwake: FILE excludes --undo\n" + usage},
      {{"memo.txt", "-h"}, kExitAllIdentified, usage, ""},
  };
  const auto folders = MakePlatformFolderLister();
  for (const auto& c : cases) {
    const auto got = Miwake(
        c.args, files, *folders, [&] { return std::make_unique<testing::MemoryFileSystem>(files); },
        c.utf8);
    EXPECT_EQ(got.status, c.status) << ::testing::PrintToString(c.args);
    // Of the usage text, only its first words are checked.
    const auto cut = [&](const std::string& s) {
      const auto at = s.find(usage);
      return at == std::string::npos ? s : s.substr(0, at + usage.size());
    };
    EXPECT_EQ(cut(got.out), c.out) << ::testing::PrintToString(c.args);
    EXPECT_EQ(cut(got.err), c.err) << ::testing::PrintToString(c.args);
  }
}

// The platform's listing, with one folder refused and one file removed
// right after its folder was listed.
class TroubledLister final : public FolderLister {
 public:
  bool List(const std::string& folder, std::vector<ListedEntry>& entries, int& error) override {
    if (folder.ends_with("locked")) return error = 5, false;
    const bool listed = real_->List(folder, entries, error);
    std::filesystem::remove(folder + kSeparator + "gone.txt");
    return listed;
  }

 private:
  std::unique_ptr<FolderLister> real_ = MakePlatformFolderLister();
};

TEST(MiwakeCliTest, WalksFoldersInSortedOrderWhateverTheJobs) {
  testing::TempFolder temp;
  const std::string root = temp / "root", sep(1, kSeparator);
  const std::string long_leaf = std::string(200, 'x') + ".dat";
  std::filesystem::create_directories(temp / "root/a");
  std::filesystem::create_directories(temp / "root/locked");
  for (const char* name : {"B.dat", "a b.txt", "a.txt", "a/y.txt", "gone.txt", "locked/in.txt"})
    Write(temp / ("root/" + std::string(name)), "hello\n");
  Write(temp / "root/a/z.gif", kGifBytes);
  Write(root + sep + long_leaf, "hello\n");
  Write(root + sep + kSjisLeaf, "hello\n");
  std::string pipe_err;  // sorted before gone.txt
#ifndef _WIN32
  // Neither links nor what they lead to are walked; a pipe is never opened.
  std::filesystem::create_directory_symlink(temp / "root/a", temp / "root/link");
  std::filesystem::create_symlink(temp / "root/a.txt", temp / "root/flink");
  ASSERT_EQ(::mkfifo((temp / "root/fifo").c_str(), 0600), 0);
  pipe_err = "miwake: \"" + root + "/fifo\": not a regular file\n";
#endif
  const std::string shown_sjis = kSeparator == '\\' ? U8(u8"テスト.doc") : kSjisLeaf;
  const std::string out = root + sep + "B.dat: " + kText + root + sep + "a" + sep +
                          "y.txt: " + kText + root + sep + "a" + sep + "z.gif: " + kGif + root +
                          sep + "a b.txt: " + kText + root + sep + "a.txt: " + kText + root + sep +
                          long_leaf + ": " + kText + root + sep + shown_sjis + ": " + kText;
  const std::string err = pipe_err + "miwake: \"" + root + sep +
                          U8(u8"gone.txt\": ファイルが存在しません！\nmiwake: \"") + root + sep +
                          U8(u8"locked\": folder not read: ﾌｧｲﾙへのｱｸｾｽが拒否されました\n");
  for (const char* jobs : {"1", "3"}) {
    Write(temp / "root/gone.txt", "hello\n");
    TroubledLister folders;
    const auto got = OnDisk({"-r", "--jobs", jobs, root}, &folders);
    EXPECT_EQ(got.status, kExitSomeNotIdentified);
    EXPECT_EQ(got.out, out) << jobs;
    EXPECT_EQ(got.err, err) << jobs;
  }

  // JSON carries the Shift-JIS name's bytes where its text cannot.
  const auto got = OnDisk({"--json", root + sep + kSjisLeaf});
  const auto line = nlohmann::json::parse(got.out);
  if (kSeparator == '\\') {
    EXPECT_EQ(line["path"], root + sep + U8(u8"テスト.doc"));
    EXPECT_FALSE(line.contains("path_bytes"));
  } else {
    EXPECT_EQ(line["path"], root + U8(u8"/\uFFFDe\uFFFDX\uFFFDg.doc"));
    std::string decoded;
    const std::string digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    unsigned bits = 0, count = 0;
    for (const char c : line["path_bytes"].get<std::string>()) {
      if (c == '=') break;
      bits = bits << 6 | static_cast<unsigned>(digits.find(c));
      if ((count += 6) >= 8) decoded += static_cast<char>(bits >> (count -= 8) & 0xFF);
    }
    EXPECT_EQ(decoded, root + sep + kSjisLeaf);
    std::ifstream back(decoded);
    EXPECT_TRUE(back.is_open());
  }
}

TEST(MiwakeCliTest, ListsFixesAndUndoesMismatches) {
  testing::TempFolder temp;
  const std::string root = temp / "root", sep(1, kSeparator), journal = temp / "fix.journal";
  std::filesystem::create_directory(root);
  for (const char* name : {"memo.doc", "ok.txt", "x.doc", "x.txt"})
    Write(root + sep + name, "hello\n");
  Write(root + sep + "pic.txt", kGifBytes);
  const auto exists = [&](const char* leaf) { return std::filesystem::exists(root + sep + leaf); };

  auto got = OnDisk({"-r", "--mismatches", "--json", root});
  EXPECT_EQ(got.status, kExitAllIdentified);
  const auto last = got.out.rfind("{\"summary");
  EXPECT_EQ(got.out.substr(last),
            U8(u8"{\"summary\":{\"files\":5,\"mismatches\":3,\"kinds\":[{\"code\":1,\"label\":"
               u8"\"テキスト(TXT)\",\"files\":4},{\"code\":108,\"label\":\"画像(GIF)\","
               u8"\"files\":1}]}}\n"));
  EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 4);
  EXPECT_NE(got.out.find("\"rename\":{\"to\":"), std::string::npos);

  got = OnDisk({"-r", "--fix", "--dry-run", root});
  EXPECT_EQ(got.status, kExitAllIdentified);
  EXPECT_NE(got.out.find("  would be renamed to " + root + sep + "memo.txt\n"), std::string::npos);
  EXPECT_TRUE(exists("memo.doc"));

  got = OnDisk({"-r", "--fix", "--journal", journal, root});
  EXPECT_EQ(got.status, kExitSomeNotIdentified);
  EXPECT_EQ(got.out, root + sep + "memo.doc: " + kText + "  renamed to " + root + sep +
                         "memo.txt\n" + root + sep + "pic.txt: " + kGif + "  renamed to " + root +
                         sep + "pic.gif\n" + root + sep + "x.doc: " + kText +
                         U8(u8"5 files, 3 mismatched\n       4  テキスト(TXT)\n       1  "
                            u8"画像(GIF)\n2 renamed; journal ") +
                         journal + "\n");
  EXPECT_EQ(got.err, "miwake: \"" + root + sep + "x.doc\": not renamed: \"" + root + sep +
                         "x.txt\" exists\n");
  EXPECT_TRUE(exists("memo.txt") && exists("pic.gif") && !exists("memo.doc"));

  got = OnDisk({"--undo", journal});
  EXPECT_EQ(got.status, kExitAllIdentified) << got.err;
  EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 2);
  EXPECT_TRUE(exists("memo.doc") && exists("pic.txt") && !exists("memo.txt"));
  Write(root + sep + "pic.gif", "taken");
  got = OnDisk({"--undo", journal});
  EXPECT_EQ(got.status, kExitSomeNotIdentified);
  EXPECT_EQ(got.err, "miwake: \"" + root + sep + "pic.gif\": not renamed back: \"" + root + sep +
                         "pic.txt\" exists\n");
  EXPECT_EQ(OnDisk({"--undo", temp / "none.journal"}).status, kExitSomeNotIdentified);
}

}  // namespace
}  // namespace miwake
