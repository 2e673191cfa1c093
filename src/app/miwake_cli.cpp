#include "app/miwake_cli.h"

#include <vector>

#include "actions/identify_command.h"
#include "common/encoding.h"
#include "common/message_box.h"
#include "identify/kinds.h"
#include "identify/version_refiner.h"

namespace miwake {
namespace {

constexpr const char* kUsage =
    "Usage: miwake [--json] FILE...\n"
    "Tells what kind of file each FILE really is, from its content alone,\n"
    "with the sentence that the main window's Identify button shows.\n"
    "\n"
    "  --json   one JSON object per line: path, code, extension, label, sentence\n"
    "  --help   show this text\n"
    "\n"
    "With several files, each sentence follows its file's name.\n"
    "Exit status: 0 when every file was identified, 1 when any was missing or\n"
    "could not be read, 2 for a usage error.\n";

// Warnings go to stderr, naming the file, instead of into a message box.
class StderrMessageBox final : public AppMessageBox {
 public:
  StderrMessageBox(const CliEnvironment& env, const std::string& name) : env_(env), name_(name) {}
  int Show(std::string_view text, std::string_view, unsigned) override {
    env_.err << "miwake: \"" << (env_.cp932_names && env_.utf8_texts ? Cp932ToUtf8(name_) : name_)
             << "\": " << (env_.utf8_texts ? Cp932ToUtf8(text) : std::string(text)) << '\n';
    return kIdOk;
  }

 private:
  const CliEnvironment& env_;
  const std::string& name_;
};

std::string JsonString(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    const auto b = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (b < 0x20) {
      static constexpr char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out + '"';
}

void PrintJson(const CliEnvironment& env, const std::string& name, int code) {
  const std::string path = env.cp932_names ? Cp932ToUtf8(name) : name;
  const auto label = KindLabel(code);
  const auto sentence = IdentifySentence(code);
  env.out << "{\"path\":" << JsonString(path) << ",\"code\":" << code
          << ",\"extension\":" << JsonString(KindExtension(code))
          << ",\"label\":" << (label ? JsonString(Cp932ToUtf8(*label)) : "null")
          << ",\"sentence\":" << (sentence ? JsonString(Cp932ToUtf8(*sentence)) : "null") << "}\n";
}

void PrintSentence(const CliEnvironment& env, const std::string& name, int code, bool with_name) {
  const std::string sentence = IdentifySentence(code).value_or(std::string());
  if (with_name) env.out << (env.cp932_names && env.utf8_texts ? Cp932ToUtf8(name) : name) << ": ";
  env.out << (env.utf8_texts ? Cp932ToUtf8(sentence) : sentence) << '\n';
}

}  // namespace

int RunMiwake(std::span<const std::string> args, const CliEnvironment& env) {
  bool json = false;
  std::vector<std::string> files;
  bool options_done = false;
  for (const std::string& arg : args) {
    if (!options_done && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        options_done = true;
      } else if (arg == "--json") {
        json = true;
      } else if (arg == "--help" || arg == "-h") {
        env.out << kUsage << env.open_note << '\n';
        return kExitAllIdentified;
      } else {
        env.err << "miwake: unknown option " << arg << "\n" << kUsage;
        return kExitUsage;
      }
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    env.err << "miwake: no file named\n" << kUsage;
    return kExitUsage;
  }

  NoBusyCursor cursor;
  VersionResourceRefiner refiner;
  Classifier classifier(env.files, cursor, refiner);
  int status = kExitAllIdentified;
  for (const std::string& name : files) {
    StderrMessageBox warnings(env, name);
    if (CheckInputFile(name, env.files, warnings)) {
      status = kExitSomeNotIdentified;
      continue;
    }
    const int code = classifier.IdentifyFile(name);
    if (code == kKindUnreadable) status = kExitSomeNotIdentified;
    if (json)
      PrintJson(env, name, code);
    else
      PrintSentence(env, name, code, files.size() > 1);
  }
  env.out.flush();
  return status;
}

}  // namespace miwake
