#include "types/name_claim.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace miwake {
namespace {

const MimeDatabase& SmallDatabase() {
  static const MimeDatabase database = [] {
    const std::vector<std::string> folders{std::string(MIWAKE_TEST_DATA) + "/mime"};
    return LoadMimeDatabase(folders);
  }();
  return database;
}

constexpr const char* kNothing = "";  // the name claims nothing

TEST(NameClaimTest, ANameLiesWhenItsExtensionClaimsAnotherKind) {
  const struct {
    const char* leaf;
    int code;
    bool lies;
    const char* claimed;
  } cases[] = {
      // Text under any text type's name, however it got there.
      {"main.c", 1, false, "text/x-csrc"},
      {"Main.C", 1, false, "text/x-c++src"},        // case-sensitive pattern
      {"setup.py", 1, false, "text/x-python"},      // the higher weight
      {"Tool.pm", 1, false, "application/x-perl"},  // a tie keeps both
      {"ls.1", 1, false, "text/x-troff-man"},
      {"readme.1st", 1, false, "text/x-readme"},
      {"memo.doc", 1, true, "application/msword"},
      {"paper.pdf", 1, true, "application/pdf"},
      {"logs.tar.gz", 1, true, "application/x-compressed-tar"},  // the longest pattern
      // A name claims the content's type or a more precise one.
      {"report.docx", 110, false,
       "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
      {"report.docx", 51, true,
       "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
      {"pic.JPG", 107, false, "image/jpeg"},
      {"pic.jpg", 108, true, "image/jpeg"},
      {"pic.png", 107, true, "image/png"},
      {"sound.wav", 31, false, "audio/vnd.wave"},  // through the kind's alias
      {"song.rmi", 116, false, "audio/midi"},
      {"x.mki", 108, true, "application/x-miwake-maki"},
      // Compound documents: of the claimed application, or under a name
      // of no classic application.
      {"old.doc", 101, false, "application/msword"},
      {"book.xls", 102, false, "application/vnd.ms-excel"},
      {"book.xls", 51, true, "application/vnd.ms-excel"},
      {"memo.doc", 52, true, "application/msword"},
      {"setup.msi", 51, false, "application/x-msi"},
      {"deck.msi", 54, false, "application/x-msi"},
      {"setup.msi", 1, true, "application/x-msi"},
      // Executables: one family, whatever the database knows of it.
      {"lib.dll", 105, false, "application/x-ms-dos-executable"},
      {"prog.exe", 2, false, "application/x-ms-dos-executable"},
      {"driver.sys", 105, false, "application/x-ms-dos-executable"},
      {"saver.scr", 5, false, "application/x-ms-dos-executable"},
      {"lib.dll", 1, true, "application/x-ms-dos-executable"},
      {"prog.exe", 110, true, "application/x-ms-dos-executable"},
      // Content of no kind, unreadable, Rupo: never a lie.
      {"a.txt", 0, false, "text/plain"},
      {"a.txt", -1, false, "text/plain"},
      {"a.txt", 104, false, "text/plain"},
      // Names that claim nothing.
      {"Makefile", 1, false, kNothing},
      {".profile", 1, false, kNothing},
      {"photo", 107, false, kNothing},
      {"photo.", 107, false, kNothing},
      {"data.xyz", 107, false, kNothing},
      {"notes.txt.bak", 108, false, kNothing},  // a backup says nothing of its content
  };
  const NameJudge judge(SmallDatabase());
  for (const auto& c : cases) {
    const NameVerdict verdict = judge.Judge(c.leaf, c.code);
    EXPECT_EQ(verdict.lies, c.lies) << c.leaf << " " << c.code;
    EXPECT_EQ(verdict.claims, *c.claimed != '\0') << c.leaf << " " << c.code;
    EXPECT_EQ(verdict.claimed, c.claimed) << c.leaf << " " << c.code;
  }
}

TEST(NameClaimTest, TellsThePatternAndTheContentsType) {
  const NameJudge judge(SmallDatabase());
  const NameVerdict png = judge.Judge("a.png", 107);
  EXPECT_EQ(png.pattern, "*.png");
  EXPECT_EQ(png.content, "image/jpeg");
  EXPECT_EQ(judge.Judge("a.ls.7", 1).pattern, "*.[1-9]");
  EXPECT_EQ(judge.Judge("a.ls.0", 1).claims, false);
  EXPECT_EQ(judge.Judge("a.ls.]", 1).claims, false);
  EXPECT_EQ(judge.Judge("a.nx", 1).pattern, "*.n[!0-9]");
  EXPECT_EQ(judge.Judge("a.n1", 1).claims, false);
  EXPECT_EQ(judge.Judge("a.jpg", 102).content, "application/vnd.ms-excel");
  EXPECT_EQ(judge.Judge("a.jpg", 103).content, "image/bmp");
  // A classic kind's extension that the database lacks.
  EXPECT_EQ(judge.Judge("a.LZH", 1).pattern, "*.lzh");
  EXPECT_EQ(judge.Judge("a.wav", 31).content, "audio/vnd.wave");
  EXPECT_EQ(judge.Judge("a.wav", 0).content, "");
}

TEST(NameClaimTest, AFileOfNoKindOrOfTextIsJudgedByItsType) {
  const NameJudge judge(SmallDatabase());
  const struct {
    const char* leaf;
    int code;
    const char* content;
    bool lies;
    const char* extension;
  } cases[] = {
      {"photo.jpg", 0, "image/png", true, "png"},
      {"photo.png", 0, "image/png", false, "png"},
      {"logs.gz", 0, "application/x-compressed-tar", false, ""},  // no extension of its own
      {"logs.zip", 0, "application/gzip", true, "gz"},
      {"blob.jpg", 0, "application/octet-stream", false, ""},  // nothing in particular
      {"blob.jpg", 0, "", false, ""},
      // Text of a format of its own, which its name may claim.
      {"icon.xpm", 1, "image/x-xpixmap", false, "xpm"},
      {"icon.png", 1, "image/svg+xml", true, "svg"},
      {"icon.png", 1, "text/x-made-up", true, "txt"},
  };
  for (const auto& c : cases) {
    const NameVerdict verdict = judge.Judge(c.leaf, c.code, c.content);
    EXPECT_EQ(verdict.lies, c.lies) << c.leaf << " " << c.content;
    EXPECT_EQ(verdict.extension, c.extension) << c.leaf << " " << c.content;
  }
}

TEST(MimeDatabaseTest, AMoreImportantFolderHidesTheGlobsOfATypeItMarks) {
  MimeDatabase database;
  database.AddFolder("50:text/x-mine:*.mine\n50:image/x-old:__NOGLOBS__\n", "", "");
  database.AddFolder("50:image/x-old:*.old\n50:image/x-other:*.oth\n", "text/x-mine text/x-base\n",
                     "image/x-alias image/x-other\n");
  EXPECT_TRUE(database.Match("a.old").types.empty());
  EXPECT_EQ(database.Match("a.oth").types, std::vector<std::string>{"image/x-other"});
  EXPECT_TRUE(database.IsA("text/x-mine", "text/x-base"));
  EXPECT_TRUE(database.IsA("image/x-alias", "image/x-other"));
  EXPECT_TRUE(database.IsA("text/x-anything", "text/plain"));
  EXPECT_TRUE(database.IsA("image/x-other", "application/octet-stream"));
  EXPECT_FALSE(database.IsA("inode/directory", "application/octet-stream"));
  EXPECT_FALSE(database.IsA("text/x-base", "text/x-mine"));
  // The extension a type's names best have.
  const MimeDatabase& small = SmallDatabase();
  EXPECT_EQ(small.ExtensionFor("text/x-python"), "py");
  EXPECT_EQ(small.ExtensionFor("audio/x-wav"), "wav");  // an alias
  EXPECT_EQ(small.ExtensionFor("application/x-compressed-tar"), "");
  // Where the desktop finds its folders.
  using Folders = std::vector<std::string>;
  EXPECT_EQ(XdgMimeFolders("", "/h", ""),
            (Folders{"/h/.local/share/mime", "/usr/local/share/mime", "/usr/share/mime"}));
  EXPECT_EQ(XdgMimeFolders("/d", "/h", "/a::/b"), (Folders{"/d/mime", "/a/mime", "/b/mime"}));
}

#ifndef _WIN32
// The system's own database, as the set-up installs it.
TEST(NameClaimTest, TheSystemDatabaseAgreesWithRealNames) {
  const std::vector<std::string> folders{"/usr/share/mime"};
  const MimeDatabase database = LoadMimeDatabase(folders);
  ASSERT_FALSE(database.empty()) << "shared-mime-info is not installed";
  const NameJudge judge(database);
  const struct {
    const char* leaf;
    int code;
    bool lies;
  } cases[] = {
      {"a.docx", 110, false}, {"a.c", 1, false},     {"a.py", 1, false},   {"a.html", 1, false},
      {"a.svg", 1, false},    {"a.dll", 105, false}, {"a.msi", 51, false}, {"a.jpg", 108, true},
      {"a.xls", 51, true},    {"a.png", 1, true},
  };
  for (const auto& c : cases) EXPECT_EQ(judge.Judge(c.leaf, c.code).lies, c.lies) << c.leaf;
}
#endif

}  // namespace
}  // namespace miwake
