// kadenzo-tc: SMPTE time code on the command line. Converts frame counts,
// time codes and seconds, and sums of them, at any rate, drop-frame or not,
// from its arguments or one expression a line from standard input.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/conversion.h"
#include "cli/line_io.h"
#include "core/smpte_text.h"

#ifdef _WIN32
#include <io.h>
#define KADENZO_STDIN 0
#define KADENZO_STDOUT 1
#define KADENZO_STDERR 2
#else
#include <unistd.h>
#define KADENZO_STDIN STDIN_FILENO
#define KADENZO_STDOUT STDOUT_FILENO
#define KADENZO_STDERR STDERR_FILENO
#endif

namespace kadenzo::cli {
namespace {

// Exit statuses, as scripts expect them.
constexpr int kConverted = 0;
constexpr int kSomeFailed = 1;
constexpr int kBadCommandLine = 2;

const char kDescription[] =
    "Converts frame counts, SMPTE time codes and seconds at any frame rate,\n"
    "drop-frame or non-drop. An EXPRESSION is values joined by + and -, and\n"
    "* or / by a whole number (rounding down). A value is a frame count (1800),\n"
    "a time code whose last part is frames (10:00, 1:02:03:04, 00:01:00;02,\n"
    "where ';' ',' or '.' marks drop-frame) or seconds (12.5s); a '-' before a\n"
    "value negates it. Without EXPRESSION, converts each line of the input.\n"
    "See kadenzo-tc(1) for more.";

const char kFooter[] =
    "Examples:\n"
    "  kadenzo-tc --rate 29.97 --df 1800                  00:01:00;02\n"
    "  kadenzo-tc --rate 29.97 --to frames '01:00:00;00'  107892\n"
    "  kadenzo-tc --rate 25 01:00:00:00 + 10s             01:00:10:00\n"
    "  printf '1800\\n17982\\n' | kadenzo-tc --rate 29.97 --df\n"
    "\n"
    "Exit status: 0 when every expression converted, 1 when any did not, 2 for a bad command line.";

struct CommandLine {
  std::string rate = "30";
  bool df = false;
  bool ndf = false;
  Target target = Target::Timecode;
  bool wrap = false;
  Format format = Format::Text;
  std::vector<std::string> expressions;
};

// A usage error of our own, reported as CLI11 reports its own.
[[noreturn]] void Refuse(const std::string& message) {
  throw CLI::ValidationError(message);
}

int Run(int argc, char** argv) {
  CLI::App app(kDescription, "kadenzo-tc");
  app.footer(kFooter);
  app.set_version_flag("--version", "kadenzo-tc " KADENZO_VERSION);
  app.get_formatter()->column_width(28);

  CommandLine line;
  app.add_option("--rate", line.rate, "Frames a second: 25, 30000/1001, 29.97, 12.5 ... (default: 30)")
      ->option_text("RATE");
  auto* df = app.add_flag("--df", line.df, "Drop-frame time code, also for time codes with ':' only");
  auto* ndf = app.add_flag("--ndf", line.ndf, "Non-drop time code");
  df->excludes(ndf);
  const std::map<std::string, Target> targets{{"timecode", Target::Timecode},
                                              {"frames", Target::Frames},
                                              {"seconds", Target::Seconds},
                                              {"elapsed", Target::Elapsed}};
  app.add_option("--to", line.target, "What to write (default: timecode)")
      ->transform(CLI::CheckedTransformer(targets))
      ->option_text("frames|timecode|seconds|elapsed");
  app.add_flag("--wrap", line.wrap, "Time of day: round a 24-hour day");
  const std::map<std::string, Format> formats{{"text", Format::Text}, {"json", Format::Json}, {"csv", Format::Csv}};
  app.add_option("--format", line.format, "text: results alone; json: an object a line; csv (default: text)")
      ->transform(CLI::CheckedTransformer(formats))
      ->option_text("text|json|csv");
  app.add_option("EXPRESSION", line.expressions, "What to convert (default: each line of the input)");

  Settings settings;
  try {
    app.parse(argc, argv);
    const auto rate = smpte::ParseRate(line.rate);
    if (!rate)
      Refuse("--rate: '" + line.rate +
             "' is not a frame rate: give a whole number, N/D or a decimal, from 0.5 to 1000000 frames a second");
    settings.rate = *rate;
    if (line.df && !smpte::CanDropFrame(settings.rate))
      Refuse("--df: " + smpte::RateName(settings.rate) +
             " fps has no drop-frame time code; drop-frame needs 30000/1001 or a multiple of it (29.97, 59.94, "
             "119.88 ...)");
    if (line.df) settings.counting = smpte::Counting::DropFrame;
    if (line.ndf) settings.counting = smpte::Counting::NonDrop;
    if (line.target == Target::Elapsed && !WindowRate(settings.rate))
      Refuse("--to elapsed: the window's elapsed time exists at 23.976, 24, 25, 29.97 and 30 only, not at " +
             smpte::RateName(settings.rate));
    settings.target = line.target;
    settings.wrap = line.wrap;
    settings.format = line.format;
  } catch (const CLI::ParseError& error) {
    if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) return app.exit(error);
    std::fprintf(stderr, "kadenzo-tc: %s\nTry 'kadenzo-tc --help' for more information.\n", error.what());
    return kBadCommandLine;
  }

  Output out(KADENZO_STDOUT);
  Output errors(KADENZO_STDERR);
  Converter converter(settings, out, errors);
  converter.Begin();
  bool ok = true;
  if (!line.expressions.empty()) {
    std::vector<const char*> texts;
    for (const std::string& text : line.expressions) texts.push_back(text.c_str());
    ok = converter.ConvertArguments(static_cast<int>(texts.size()), texts.data());
  } else {
    // The errors are written as soon as the results before them, so that
    // both streams read in order on a terminal.
    LineReader reader(KADENZO_STDIN, out);
    LineReader::Line input;
    for (std::size_t number = 1; reader.Next(input); ++number) {
      if (input.tooLong) {
        converter.RejectLongLine(number);
        ok = false;
      } else {
        ok = converter.ConvertLine(input.text, number) && ok;
      }
      errors.Flush();
    }
    if (reader.Failed()) {
      errors.Write("kadenzo-tc: cannot read the standard input\n");
      ok = false;
    }
  }
  out.Flush();
  if (out.Failed()) {
    errors.Write("kadenzo-tc: cannot write the standard output\n");
    ok = false;
  }
  errors.Flush();
  return ok ? kConverted : kSomeFailed;
}

}  // namespace
}  // namespace kadenzo::cli

int main(int argc, char** argv) {
  return kadenzo::cli::Run(argc, argv);
}
