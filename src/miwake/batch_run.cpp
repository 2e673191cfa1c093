#include "miwake/batch_run.h"

#include <algorithm>
#include <set>

#include "identify/kinds.h"
#include "miwake/identify_work.h"
#include "miwake/messages.h"
#include "miwake/name_source.h"
#include "miwake/ordered_runner.h"
#include "miwake/rename_journal.h"
#include "miwake/report.h"
#include "types/name_claim.h"

namespace miwake {
namespace {

// Renames mismatched files through a journal made at the first rename, so
// that a run with nothing to rename leaves none behind.
class Fixer {
 public:
  Fixer(FileSystem& files, Report& report, const RunOptions& options, RunTally& tally,
        bool fold_case)
      : files_(files), report_(report), options_(options), tally_(tally), fold_case_(fold_case) {}

  // The journal may lie in a folder not yet walked: it is no file of the run.
  bool IsJournal(const std::string& path) {
    return journal_ && files_.FullName(path) == journal_name_;
  }

  // False when the run must stop: no rename can be recorded any more.
  bool Fix(const std::string& from, Rename& rename) {
    if (options_.dry_run) {
      rename.step = Plan(from, rename.to) ? RenameStep::kDryRun : RenameStep::kTargetExists;
      return true;
    }
    if (!journal_) {
      std::string path = options_.journal, error;
      journal_ = path.empty() ? CreateUniqueRenameJournal(DefaultJournalStem(), path, error)
                              : CreateRenameJournal(path, error);
      if (!journal_) {
        report_.ErrorLine(path, "journal not made: " + error);
        return false;
      }
      tally_.journal = path;
      journal_name_ = files_.FullName(path);
    }
    // Full names, so that an undo from another folder finds the files.
    int error = 0;
    switch (FixName(files_, *journal_, files_.FullName(from), files_.FullName(rename.to), &error)) {
      case FixOutcome::kRenamed:
        rename.step = RenameStep::kRenamed;
        ++tally_.renamed;
        return true;
      case FixOutcome::kTargetExists:
        rename.step = RenameStep::kTargetExists;
        return true;
      case FixOutcome::kNotRecorded:
        rename.step = RenameStep::kNotRecorded;
        return false;
      case FixOutcome::kFailed:
        rename.step = RenameStep::kFailed;
        rename.error = error;
        return true;
    }
    return true;
  }

 private:
  // What the real run would find: a name that a rename before took is
  // taken, and one that a rename before gave up is free.
  bool Plan(const std::string& from, const std::string& to) {
    const std::string key = Key(to);
    if (taken_.contains(key) ||
        (!given_up_.contains(key) && (files_.FileExists(to) || files_.FolderExists(to))))
      return false;
    taken_.insert(key);
    given_up_.insert(Key(from));
    return true;
  }
  std::string Key(const std::string& name) {
    std::string key = files_.FullName(name);
    if (fold_case_) std::transform(key.begin(), key.end(), key.begin(), LowerAscii);
    return key;
  }

  FileSystem& files_;
  Report& report_;
  const RunOptions& options_;
  RunTally& tally_;
  const bool fold_case_;  // names that differ only in case are one
  std::unique_ptr<RenameJournal> journal_;
  std::string journal_name_;
  std::set<std::string> taken_, given_up_;  // by the dry run's plan
};

}  // namespace

unsigned CappedJobs(unsigned requested, std::optional<std::size_t> files,
                    unsigned hardware_threads) {
  std::size_t jobs = std::max(1u, requested);
  if (hardware_threads != 0) jobs = std::min<std::size_t>(jobs, std::size_t{hardware_threads} * 4);
  if (files) jobs = std::min(jobs, std::max<std::size_t>(1, *files));
  return static_cast<unsigned>(jobs);
}

bool RunBatch(std::span<const std::string> names, const RunOptions& options,
              const RunEnvironment& env) {
  const NameStyle style = env.windows_names ? NameStyle::kWindowsUtf8 : NameStyle::kPosix;
  const bool only_mismatches = options.mismatches || options.fix;
  const auto report =
      MakeReport(env.out, env.err,
                 {.json = options.json,
                  .with_names = names.size() > 1 || options.recursive || only_mismatches,
                  .explain = options.explain,
                  .utf8_texts = env.utf8_texts,
                  .windows_names = env.windows_names,
                  .name_text = env.name_text,
                  .flush_lines = env.out_is_terminal,
                  .escape_out = env.out_is_terminal,
                  .escape_err = env.err_is_terminal});
  const MimeDatabase types = LoadMimeDatabase(env.mime_folders);
  MimeMagic magic = LoadMimeMagic(env.mime_folders);
  magic.MarkTextTypes(types);
  if (only_mismatches && types.empty())
    env.err << "miwake: no shared MIME-info database found; only the classic kinds' extensions "
               "claim a kind\n";
  const NameJudge judge(types);
  if (env.err_is_terminal && !options.json) report->ShowProgress(SteadyMilliseconds());
  NameSource source(names, options.recursive, style, env.files, env.folders,
                    {.all = options.all, .show_left_out = options.explain});
  RunTally tally;
  Fixer fixer(env.files, *report, options, tally, env.windows_names);
  bool all_done = true, stopped = false;
  std::size_t seen = 0;

  // As many items as there may be workers are taken first: a run over fewer
  // files starts no more.
  const unsigned most_jobs = CappedJobs(options.jobs, std::nullopt, env.hardware_threads);
  std::vector<BatchItem> first(most_jobs);
  std::size_t firsts = 0, first_files = 0, given_out = 0;
  while (firsts < first.size() && source.Next(first[firsts]))
    first_files += first[firsts++].state == ItemState::kFile;
  const bool all_known = firsts < first.size();
  OrderedRun run;
  run.jobs = all_known ? CappedJobs(most_jobs, first_files, 0) : most_jobs;
  if (options.jobs_given && run.jobs < options.jobs)
    env.err << "miwake: --jobs " << options.jobs << " lowered to " << run.jobs << " ("
            << (all_known ? Count(first_files, "file", "files") + " to classify"
                          : Count(env.hardware_threads, "hardware thread", "hardware threads"))
            << ")\n";
  // Runs of 32 files for each job, a few ahead; an item waiting may hold
  // its folder open, so there are never more than 1024 of them.
  run.window = std::clamp<std::size_t>(run.jobs * 128, 256, 1024);
  run.source = [&](BatchItem& item) {
    if (given_out == firsts) return source.Next(item);
    item = std::move(first[given_out++]);
    return true;
  };
  run.make_work = [&] {
    return std::make_unique<IdentifyWork>(env.make_files(), options.explain, magic, types,
                                          only_mismatches ? std::optional(style) : std::nullopt);
  };
  const auto emit = [&](BatchItem& item) {
    if (item.state == ItemState::kLeftOut) {
      report->LeftOut(item);
      return !report->Failed();
    }
    if (item.state != ItemState::kFile) {
      report->Problem(item);
      all_done = false;
      return true;
    }
    if (options.fix && fixer.IsJournal(item.path)) return true;
    if (item.code == kKindUnreadable) all_done = false;
    if (!only_mismatches) {
      report->File(item, std::nullopt);
      return !report->Failed();
    }
    if (item.code == kKindUnreadable) report->NotRead(item);
    // Only the summary of the mismatches needs the tally.
    ++tally.files;
    ++tally.kinds[item.code];
    const std::size_t leaf = LeafStart(item.path, style);
    const std::string_view leaf_name = std::string_view(item.path).substr(leaf);
    NameVerdict verdict = judge.Judge(leaf_name, item.code, item.type);
    if (!verdict.claims) ++tally.claiming_nothing;
    if (!verdict.lies) return true;
    ++tally.mismatches;
    // A lying name never has its kind's extension already.
    Rename rename{
        item.path.substr(0, leaf) + LeafNameWithExtension(leaf_name, verdict.extension).value(),
        RenameStep::kListed, 0, std::move(verdict)};
    if (options.fix) {
      stopped = !fixer.Fix(item.path, rename);
      if (rename.step != RenameStep::kRenamed && rename.step != RenameStep::kDryRun)
        all_done = false;
      // The journal was not made: nothing was renamed for this file.
      if (stopped && rename.step == RenameStep::kListed) return false;
    }
    report->File(item, rename);
    return !stopped && !report->Failed();
  };
  run.emit = [&](BatchItem& item) {
    const bool go_on = emit(item);
    report->Progress(++seen, source.CurrentFolder());
    return go_on;
  };
  RunOrdered(run);
  report->Finish();
  tally.left_out = source.LeftOutSoFar();
  if (only_mismatches && !stopped && !report->Failed()) report->Summary(tally);
  report->Finish();
  return all_done && !report->Failed();
}

bool RunUndo(const std::string& journal, bool json, const RunEnvironment& env) {
  const auto report = MakeReport(env.out, env.err,
                                 {.json = json,
                                  .utf8_texts = env.utf8_texts,
                                  .windows_names = env.windows_names,
                                  .name_text = env.name_text});
  const UndoResult result = UndoRenames(env.files, journal, env.windows_names);
  if (!result.read) {
    report->ErrorLine(journal, result.error);
    return false;
  }
  for (const std::size_t line : result.unreadable_lines)
    report->ErrorLine(journal,
                      "line " + std::to_string(line) + " cannot be read; nothing undone for it");
  bool all_back = result.unreadable_lines.empty();
  for (const UndoItem& item : result.items) {
    if (report->Failed()) return false;
    report->Undo(item);
    all_back = all_back && (item.outcome == UndoOutcome::kRestored ||
                            item.outcome == UndoOutcome::kAlreadyOriginal ||
                            item.outcome == UndoOutcome::kDuplicateRemoved);
  }
  report->Finish();
  return all_back && !report->Failed();
}

}  // namespace miwake
