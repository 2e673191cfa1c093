#include "miwake/miwake_cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <vector>

#include "common/version.h"

namespace miwake {
namespace {

constexpr const char* kUsage =
    "Usage: miwake [OPTIONS] FILE...\n"
    "       miwake -r [OPTIONS] FOLDER...\n"
    "       miwake [--json] --undo JOURNAL\n"
    "Tells what kind of file each FILE really is, from its content alone,\n"
    "with the sentence that the main window's Identify button shows.\n"
    "\n"
    "  -r, --recursive  every regular file below each FOLDER, in a walk that\n"
    "                   goes depth first through each folder's names sorted\n"
    "                   byte by byte; symbolic links and junctions are not\n"
    "                   followed, pipes and devices are reported and skipped\n"
    "  -j, --jobs N     N files at a time (default: one per core; never more\n"
    "                   than the files, nor than four per core); the output\n"
    "                   keeps its order\n"
    "  --all            walks into what -r leaves out otherwise: the folders\n"
    "                   .git, .hg, .svn, _darcs and CVS, and on Windows hidden\n"
    "                   and system files and folders\n"
    "  --json           one JSON object per line: path, code, extension,\n"
    "                   label, sentence\n"
    "  --mismatches     only the files whose name lies: its extension claims\n"
    "                   a type (by the shared MIME-info database) that the\n"
    "                   content is not; then a summary: files per kind, lies,\n"
    "                   names that claim nothing (in JSON a last line\n"
    "                   {\"summary\":{...}})\n"
    "  --explain        why each file got its kind: an indented line, or an\n"
    "                   \"explain\" object\n"
    "  --fix            renames each file whose name lies to its kind's extension\n"
    "                   in its folder, never replacing a file; lists and sums\n"
    "                   up as --mismatches (in JSON a \"rename\" object)\n"
    "  --dry-run        with --fix: says what would be renamed, renames nothing\n"
    "  --journal FILE   with --fix: where each rename is recorded before it is\n"
    "                   made (default miwake-DATE-TIME.journal here)\n"
    "  --undo JOURNAL   gives back every name JOURNAL recorded that it can\n"
    "  -h, --help       show this text\n"
    "  --version        show the version\n"
    "\n"
    "With several files, or a folder, each sentence follows its file's name.\n"
    "JSON is UTF-8. \"path\" is the name as UTF-8 text; a name that is not\n"
    "UTF-8 (Shift-JIS on Linux) has U+FFFD there and its exact bytes in\n"
    "\"path_bytes\", in base64. \"to\", \"original\" and \"renamed\" likewise.\n"
    "Exit status: 0 when every file was identified (and renamed or given\n"
    "back), 1 when any was missing, not a regular file or could not be read,\n"
    "a folder could not be read or a name was not changed, 2 for a usage error,\n"
    "3 when the program failed of itself.\n";

int UsageError(const CliEnvironment& env, const std::string& message) {
  env.err << "miwake: " << message << '\n' << kUsage;
  return kExitUsage;
}

int Run(std::span<const std::string> args, const CliEnvironment& env) {
  RunOptions options;
  options.jobs = std::max(1u, env.cores);
  bool help = false, version = false;
  std::string undo;
  std::vector<std::string> names;

  CLI::App app("miwake");
  app.set_help_flag();  // the text above instead of CLI11's
  app.allow_windows_style_options(false);
  app.add_flag("-h,--help", help);
  app.add_flag("--version", version);
  app.add_flag("--json", options.json);
  auto* recursive = app.add_flag("-r,--recursive", options.recursive);
  // Checked before conversion, so that the message is the program's own.
  auto* jobs = app.add_option("-j,--jobs", options.jobs)->check([](const std::string& value) {
    unsigned n = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
    if (error == std::errc() && end == value.data() + value.size() && n >= 1 && n <= 1024)
      return std::string();
    return "not a number from 1 to 1024: \"" + value + '"';
  });
  app.add_flag("--all", options.all);
  auto* mismatches = app.add_flag("--mismatches", options.mismatches);
  auto* explain = app.add_flag("--explain", options.explain);
  auto* fix = app.add_flag("--fix", options.fix);
  app.add_flag("--dry-run", options.dry_run)->needs(fix);
  app.add_option("--journal", options.journal)->needs(fix)->check([](const std::string& s) {
    return s.empty() ? std::string("the journal's name is empty") : std::string();
  });
  auto* files = app.add_option("FILE", names);
  app.add_option("--undo", undo)->excludes(recursive, jobs, mismatches, explain, fix, files);
  try {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    if (help) return env.out << kUsage << env.open_note << '\n', kExitAllIdentified;
    return UsageError(env, e.what());
  }
  if (help) return env.out << kUsage << env.open_note << '\n', kExitAllIdentified;
  if (version) return env.out << "miwake " MIWAKE_VERSION_TEXT "\n", kExitAllIdentified;

  if (!undo.empty())
    return RunUndo(undo, options.json, env) ? kExitAllIdentified : kExitSomeNotIdentified;
  if (names.empty()) return UsageError(env, "no file named");
  options.jobs_given = jobs->count() > 0;
  if (env.expand) {
    std::vector<std::string> expanded;
    for (const std::string& name : names) {
      std::vector<std::string> matches = name.find_first_of("*?") == std::string::npos
                                             ? std::vector<std::string>{}
                                             : env.expand(name);
      // A pattern that matches nothing stays, to be reported.
      if (matches.empty()) matches.push_back(name);
      expanded.insert(expanded.end(), matches.begin(), matches.end());
    }
    names = std::move(expanded);
  }
  return RunBatch(names, options, env) ? kExitAllIdentified : kExitSomeNotIdentified;
}

}  // namespace

int RunMiwake(std::span<const std::string> args, const CliEnvironment& env) {
  try {
    return Run(args, env);
  } catch (const std::exception& e) {
    env.err << "miwake: internal error: " << e.what() << '\n';
  } catch (...) {
    env.err << "miwake: internal error\n";
  }
  return kExitInternalError;
}

}  // namespace miwake
