#include "miwake/miwake_cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "common/version.h"

#include "support/memory_file_system.h"
#include "support/temp_folder.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace miwake {
namespace {

constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

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

// Over the real files and folders unless given others. Names are UTF-8 on
// Windows (WTF-8); the program's own texts are asked for as UTF-8 unless not
// `utf8`. The types are the small database of the tests' unless there are none.
struct Setup {
  FolderLister* folders = nullptr;
  const testing::MemoryFileSystem* memory = nullptr;
  bool utf8 = true, types = true;
  bool terminal = false;  // both streams
};

Outcome Miwake(std::vector<std::string> args, const Setup& setup = {}) {
  std::ostringstream out, err;
  const auto platform = MakePlatformFolderLister();
  const auto make_files = [memory = setup.memory]() -> std::unique_ptr<FileSystem> {
    if (memory) return std::make_unique<testing::MemoryFileSystem>(*memory);
    return MakeListedFileSystem();
  };
  const auto files = make_files();
  CliEnvironment env{{*files, setup.folders ? *setup.folders : *platform, make_files, out, err,
                      setup.utf8, kSeparator == '\\', setup.terminal, setup.terminal},
                     "note",
                     4};
  env.mime_folders = {std::string(MIWAKE_TEST_DATA) + (setup.types ? "/mime" : "/none")};
  const int status = RunMiwake(args, env);
  return {status, out.str(), err.str()};
}

TEST(MiwakeCliTest, PrintsASentenceOrJsonPerFileAndReportsProblems) {
  testing::MemoryFileSystem files;
  files.Add("memo.txt", "hello\n");
  files.Add("pic.dat", kGifBytes);
  files.Add("a\"b\\c\td", "x").refuse_open = true;
  files.Add("-", "text");
  files.Add("--json", "text");
  files.Add(kSjisLeaf, "hello\n");
  // JSON carries the Shift-JIS name's bytes where its text cannot.
  const std::string sjis_path =
      U8(u8"\"path\":\"\uFFFDe\uFFFDX\uFFFDg.doc\",\"path_bytes\":\"g2WDWINnLmRvYw==\"");
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
       "memo.txt: " + kText,
       "miwake: \"missing\": no such file\nmiwake: \"\": empty name\n"
       "miwake: \"a\"b\\c\td\": not read: in use by another program\n"},
      {{"-", "--", "--json"}, kExitAllIdentified, "-: " + kText + "--json: " + kText, ""},
      {{"-r", "memo.txt"}, kExitAllIdentified, "memo.txt: " + kText, ""},
      {{"--json", "pic.dat", "a\"b\\c\td"},
       kExitSomeNotIdentified,
       U8(u8"{\"path\":\"pic.dat\",\"code\":108,\"extension\":\"gif\",\"label\":\"画像(GIF)\","
          u8"\"sentence\":\"これは画像(GIF)ファイルです。\",\"type\":\"image/gif\"}\n"
          u8"{\"path\":\"a\\\"b\\\\c\\td\",\"code\":-1,\"extension\":\"\",\"label\":null,"
          u8"\"sentence\":null,\"type\":null,\"error\":\"in use by another program\"}\n"),
       "miwake: \"a\"b\\c\td\": not read: in use by another program\n"},
      {{"--explain", "pic.dat"},
       kExitAllIdentified,
       kGif + "  17 bytes read, 6 of them text; signature \"GIF8\" at 0; type image/gif\n",
       ""},
      {{"--json", "--explain", "-j", "2", kSjisLeaf},
       kExitAllIdentified,
       "{" + sjis_path +
           U8(u8",\"code\":1,\"extension\":\"txt\",\"label\":\"テキスト(TXT)\","
              u8"\"sentence\":\"これはテキスト(TXT)ファイルです。\",\"type\":\"text/plain\","
              u8"\"explain\":{\"block_size\":6,\"text_bytes\":6,\"signature\":null,"
              u8"\"signature_offset\":0,\"app_name\":null,\"app_name_offset\":0,"
              u8"\"original_filename\":null,\"magic\":null}}\n"),
       "miwake: --jobs 2 lowered to 1 (1 file to classify)\n"},
      {{}, kExitUsage, "", "no file named"},
      {{"--dry-run", "memo.txt"}, kExitUsage, "", "--dry-run requires --fix"},
      {{"--jobs", "0", "memo.txt"}, kExitUsage, "", "--jobs: not a number from 1 to 1024: \"0\""},
      {{"--undo", "j", "memo.txt"}, kExitUsage, "", "FILE excludes --undo"},
      {{"memo.txt", "-h"}, kExitAllIdentified, usage, ""},
      {{"--version"}, kExitAllIdentified, "miwake " MIWAKE_VERSION_TEXT "\n", ""},
  };
  // Of the usage text, only its first words are checked.
  const auto cut = [&](const std::string& s) {
    return s.find(usage) == std::string::npos ? s : s.substr(0, s.find(usage) + usage.size());
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.args));
    const auto got = Miwake(c.args, {.memory = &files, .utf8 = c.utf8});
    EXPECT_EQ(got.status, c.status);
    EXPECT_EQ(cut(got.out), c.out);
    // A usage error: the reason, then the usage text.
    EXPECT_EQ(cut(got.err), c.status == kExitUsage ? "miwake: " + c.err + "\n" + usage : c.err);
  }
}

TEST(MiwakeCliTest, AFileOfNoKindHasTheTypeItsMagicGives) {
  testing::MemoryFileSystem files;
  const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR" + std::string(3000, '\0');
  files.Add("photo.jpg", png);
  files.Add("blob.jpg", std::string(3000, '\0'));
  auto got =
      Miwake({"--mismatches", "--json", "--explain", "photo.jpg", "blob.jpg"}, {.memory = &files});
  EXPECT_EQ(
      got.out.substr(0, got.out.find("\n")),
      U8(u8"{\"path\":\"photo.jpg\",\"code\":0,\"extension\":\"\",\"label\":\"その他の\","
         u8"\"sentence\":\"これはその他のファイルです。\",\"type\":\"image/png\","
         u8"\"claims\":\"image/jpeg\",\"explain\":{\"block_size\":2500,\"text_bytes\":7,"
         u8"\"signature\":null,\"signature_offset\":0,\"app_name\":null,\"app_name_offset\":0,"
         u8"\"original_filename\":null,\"magic\":{\"type\":\"image/png\",\"priority\":50,"
         u8"\"offset\":0},\"glob\":\"*.jpg\"},\"rename\":{\"to\":\"photo.png\"}}"));
  // Binary of no known type is no lie, whatever its name.
  EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 2);
  got = Miwake({"blob.jpg", "--json"}, {.memory = &files});
  EXPECT_NE(got.out.find("\"type\":\"application/octet-stream\"}"), std::string::npos);
  // Text has the type of its kind, and where names are judged and its name
  // would lie about text, the magic's.
  files.Add("icon.png", "<svg/>");
  files.Add("icon.txt", "<svg/>");
  got = Miwake({"--json", "icon.png"}, {.memory = &files});
  EXPECT_NE(got.out.find("\"type\":\"text/plain\"}"), std::string::npos);
  got = Miwake({"--json", "--mismatches", "icon.png", "icon.txt"}, {.memory = &files});
  EXPECT_NE(got.out.find("\"type\":\"image/svg+xml\",\"claims\":\"image/png\""), std::string::npos);
  EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 2);
  got = Miwake({"--fix", "--dry-run", "icon.png"}, {.memory = &files});
  EXPECT_NE(got.out.find("would be renamed to icon.svg"), std::string::npos) << got.out;
}

TEST(MiwakeCliTest, SaysWhyANamedFileWasNotIdentified) {
  const testing::TempFolder temp;
  std::filesystem::create_directory(temp.path() + "dir");
  std::vector<std::pair<std::string, std::string>> cases = {
      {temp.path() + "dir", "a folder (-r walks it)"},
      {temp.path() + "none", "no such file"},
  };
#ifndef _WIN32
  std::filesystem::create_symlink("loop", temp.path() + "loop");
  cases.emplace_back(temp.path() + "loop", "not found: too many levels of symbolic links");
  cases.emplace_back(temp.path() + "dir" + kSeparator + std::string(300, 'x'),
                     "not found: name too long");
#endif
  for (const auto& [name, cause] : cases) {
    const auto got = Miwake({name});
    EXPECT_EQ(got.status, kExitSomeNotIdentified) << name;
    EXPECT_EQ(got.err, "miwake: \"" + name + "\": " + cause + "\n");
  }
}

TEST(MiwakeCliTest, OnATerminalControlBytesInNamesAreEscaped) {
  testing::MemoryFileSystem files;
  const std::string odd = "\x1b]0;x\a\x7f.doc";
  files.Add(odd, "hello\n");
  for (const bool terminal : {false, true}) {
    const auto got =
        Miwake({"--mismatches", odd, "gone\r"}, {.memory = &files, .terminal = terminal});
    const std::string shown = terminal ? "\\033]0;x\\a\\177.doc" : odd;
    EXPECT_EQ(got.out.substr(0, got.out.find(':')), shown) << terminal;
    EXPECT_EQ(got.err,
              "miwake: \"" + std::string(terminal ? "gone\\r" : "gone\r") + "\": no such file\n");
  }
}

TEST(MiwakeCliTest, AnEscapingErrorHasAStatusOfItsOwn) {
  std::ostringstream out, err;
  const auto files = MakeListedFileSystem();
  const auto folders = MakePlatformFolderLister();
  const auto broken = []() -> std::unique_ptr<FileSystem> { throw std::runtime_error("broken"); };
  CliEnvironment env{{*files, *folders, broken, out, err, true, false}, "", 1};
  EXPECT_EQ(RunMiwake(std::vector<std::string>{"x"}, env), kExitInternalError);
  EXPECT_EQ(err.str(), "miwake: internal error: broken\n");
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
  const testing::TempFolder temp;
  const std::string root = temp.path() + "root", sep(1, kSeparator);
  const std::string long_leaf = std::string(200, 'x') + ".dat";
  for (const char* sub : {"root/a", "root/locked"})
    std::filesystem::create_directories(temp.path() + sub);
  for (const std::string& name :
       std::vector<std::string>{"B.dat", "a b.txt", "a.txt", "a/y.txt", "gone.txt", "locked/in.txt",
                                long_leaf, kSjisLeaf})
    temp.Write("root/" + name, "hello\n");
  temp.Write("root/a/z.gif", kGifBytes);
  std::string pipe_err;  // sorted before gone.txt
#ifndef _WIN32
  // Neither links nor what they lead to are walked; a pipe is never opened.
  std::filesystem::create_directory_symlink(temp.path() + "root/a", temp.path() + "root/link");
  std::filesystem::create_symlink(temp.path() + "root/a.txt", temp.path() + "root/flink");
  ASSERT_EQ(::mkfifo((temp.path() + "root/fifo").c_str(), 0600), 0);
  pipe_err = "miwake: \"" + root + "/fifo\": not a regular file\n";
#endif
  const std::string shown_sjis = kSeparator == '\\' ? U8(u8"テスト.doc") : kSjisLeaf;
  std::string out;
  for (const std::string& leaf :
       std::vector<std::string>{"B.dat", "a" + sep + "y.txt", "a" + sep + "z.gif", "a b.txt",
                                "a.txt", long_leaf, shown_sjis})
    out += root + sep + leaf + ": " + (leaf.ends_with("gif") ? kGif : kText);
  const std::string locked =
      "miwake: \"" + root + sep + "locked\": folder not read: permission denied\n";
  // Named first, the folder that cannot be read ends nothing either.
  const std::string err =
      locked + pipe_err + "miwake: \"" + root + sep + "gone.txt\": no such file\n" + locked;
  for (const char* jobs : {"1", "3"}) {
    temp.Write("root/gone.txt", "hello\n");
    TroubledLister folders;
    const auto got =
        Miwake({"-r", "--jobs", jobs, root + sep + "locked", root}, {.folders = &folders});
    EXPECT_EQ(got.status, kExitSomeNotIdentified);
    EXPECT_EQ(got.out, out) << jobs;
    EXPECT_EQ(got.err, err) << jobs;
  }
}

TEST(MiwakeCliTest, ListsFixesAndUndoesMismatches) {
  const testing::TempFolder temp;
  const std::string root = temp.path() + "root", journal = temp.path() + "fix.journal";
  const auto at = [&](const std::string& leaf) { return root + kSeparator + leaf; };
  std::filesystem::create_directory(root);
  // Text under a C source's name or under none is no lie.
  for (const char* name : {"memo.doc", "memo.pdf", "ok.txt", "x.doc", "x.txt", "main.c", "notes"})
    temp.Write("root/" + std::string(name), "hello\n");
  temp.Write("root/pic.txt", kGifBytes);

  auto got = Miwake({"-r", "--mismatches", "--json", root});
  EXPECT_EQ(got.status, kExitAllIdentified);
  EXPECT_EQ(got.out.substr(got.out.rfind("{\"summary")),
            U8(u8"{\"summary\":{\"files\":8,\"mismatches\":4,\"claims_nothing\":1,\"kinds\":"
               u8"[{\"code\":1,\"label\":\"テキスト(TXT)\",\"files\":7},{\"code\":108,\"label\":"
               u8"\"画像(GIF)\","
               u8"\"files\":1}]}}\n"));
  EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 5);
  EXPECT_NE(got.out.find(U8(u8"ファイルです。\",\"type\":\"image/gif\",\"claims\":\"text/plain\","
                            u8"\"rename\":{\"to\":")),
            std::string::npos);

  got = Miwake({"--mismatches", "--explain", at("pic.txt")});
  EXPECT_NE(
      got.out.find(
          " of them text; signature \"GIF8\" at 0; type image/gif; the name matched \"*.txt\"\n"),
      std::string::npos);
  // Without the database the classic extensions claim all the same; said once.
  got = Miwake({"--mismatches", at("pic.txt"), at("x.doc")}, {.types = false});
  EXPECT_NE(got.out.find("2 files, 2 mismatched, 0 claiming nothing"), std::string::npos);
  EXPECT_EQ(got.err,
            "miwake: no shared MIME-info database found; only the classic kinds' extensions claim "
            "a kind\n");

  // The dry run plans what the real run does: a name taken before the run
  // (x.txt), and one that two files would both get (memo.txt).
  const auto dry = Miwake({"-r", "--fix", "--dry-run", root});
  EXPECT_TRUE(std::filesystem::exists(at("memo.doc")));

  got = Miwake({"-r", "--fix", "--journal", journal, root});
  EXPECT_EQ(got.status, kExitSomeNotIdentified);
  const std::string text = kText.substr(0, kText.size() - 1);
  EXPECT_EQ(got.out, at("memo.doc: ") + text + " (claims application/msword, is text/plain)\n" +
                         "  renamed to " + at("memo.txt\n") + at("memo.pdf: ") + text +
                         " (claims application/pdf, is text/plain)\n" + at("pic.txt: ") +
                         kGif.substr(0, kGif.size() - 1) + " (claims text/plain, is image/gif)\n" +
                         "  renamed to " + at("pic.gif\n") + at("x.doc: ") + text +
                         " (claims application/msword, is text/plain)\n" +
                         U8(u8"8 files, 4 mismatched, 1 claiming nothing\n       7  テキスト(TXT)\n"
                            u8"       1  画像(GIF)\n2 renamed; journal ") +
                         journal + "\n");
  EXPECT_EQ(got.err, "miwake: \"" + at("memo.pdf\": not renamed: \"") + at("memo.txt\" exists\n") +
                         "miwake: \"" + at("x.doc\": not renamed: \"") + at("x.txt\" exists\n"));
  EXPECT_EQ(dry.status, got.status);
  EXPECT_EQ(dry.err, got.err);
  std::string planned = dry.out;
  for (std::size_t at = 0; (at = planned.find("  would be renamed", at)) != std::string::npos;)
    planned.replace(at, 18, "  renamed");
  EXPECT_EQ(planned + "2 renamed; journal " + journal + "\n", got.out);

  got = Miwake({"--undo", journal});
  EXPECT_EQ(got.status, kExitAllIdentified) << got.err;
  EXPECT_EQ(std::count(got.out.begin(), got.out.end(), '\n'), 2);
  temp.Write("root/pic.gif", "taken");
  // As a rename by link and unlink leaves a file stopped in between.
  std::filesystem::create_hard_link(at("memo.doc"), at("memo.txt"));
  got = Miwake({"--undo", journal});
  EXPECT_EQ(got.status, kExitSomeNotIdentified);
  EXPECT_EQ(got.out, at("memo.txt -> ") + at("memo.doc (had both names: the new one removed)\n"));
  EXPECT_EQ(got.err,
            "miwake: \"" + at("pic.gif\": not renamed back: \"") + at("pic.txt\" exists\n"));
  EXPECT_EQ(Miwake({"--undo", temp.path() + "none.journal"}).status, kExitSomeNotIdentified);
  temp.Write("bad.journal", "miwake rename journal 2\nno tab\n");
  got = Miwake({"--undo", temp.path() + "bad.journal"});
  EXPECT_EQ(got.status, kExitSomeNotIdentified);
  EXPECT_EQ(got.err, "miwake: \"" + temp.path() +
                         "bad.journal\": line 2 cannot be read; nothing undone for it\n");

  // Every rename made: all is well.
  got = Miwake({"--fix", "--json", "--journal", temp.path() + "2.journal", at("memo.doc")});
  EXPECT_EQ(got.status, kExitAllIdentified);
  EXPECT_NE(got.out.find("\"outcome\":\"renamed\"}}\n{\"summary\":{\"files\":1,"),
            std::string::npos);

  // A journal that cannot be made stops the run before any rename.
  got = Miwake({"--fix", "--json", "--journal", journal, at("pic.txt")});
  EXPECT_EQ(got.status, kExitSomeNotIdentified);
  EXPECT_EQ(got.out, "");
  EXPECT_EQ(got.err, "miwake: \"" + journal + "\": journal not made: already exists\n");
  EXPECT_TRUE(std::filesystem::exists(at("pic.txt")));
}

}  // namespace
}  // namespace miwake

namespace miwake {
namespace {

TEST(MiwakeCliTest, LeavesVersionControlFoldersOutUnlessAll) {
  const testing::TempFolder temp;
  for (const char* folder :
       {"root/.git/objects", "root/.hg", "root/.svn", "root/_darcs", "root/CVS", "root/src"})
    std::filesystem::create_directories(temp.path() + folder);
  for (const char* file : {".git/objects/memo.doc", ".hg/memo.doc", ".svn/memo.doc",
                           "_darcs/memo.doc", "CVS/memo.doc", "src/memo.doc"})
    temp.Write("root/" + std::string(file), "hello\n");
  const std::string root = temp.path() + "root";
  auto got = Miwake({"-r", "--mismatches", root});
  EXPECT_NE(got.out.find("1 file, 1 mismatched, 0 claiming nothing\n"), std::string::npos);
  // Under Wine a dot names a hidden file, which the count tells apart.
  EXPECT_TRUE(got.out.ends_with("left out: 5 version-control (--all takes them)\n")) << got.out;
  got = Miwake({"-r", "--explain", root});
  EXPECT_NE(got.out.find(root + kSeparator + "CVS: left out (version-control; --all takes it)\n"),
            std::string::npos);
  got = Miwake({"-r", "--all", "--mismatches", "--json", root});
  EXPECT_NE(got.out.find("{\"summary\":{\"files\":6,\"mismatches\":6,"), std::string::npos);
  EXPECT_EQ(got.out.find("left_out"), std::string::npos);
}

}  // namespace
}  // namespace miwake
