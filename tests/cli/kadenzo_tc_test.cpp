// kadenzo-tc as a script runs it: a real process, its standard streams and
// its exit status.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/timecode.h"

namespace kadenzo {
namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// Runs the command with `input` as its standard input.
Outcome RunCommand(const std::vector<std::string>& arguments, const std::string& input = "") {
  // Each test runs in a process of its own, side by side with others.
  const std::string dir = testing::TempDir() + std::to_string(getpid()) + '_';
  const std::string in = dir + "kadenzo_tc_in", out = dir + "kadenzo_tc_out", err = dir + "kadenzo_tc_err";
  std::ofstream(in, std::ios::binary) << input;
  std::string command = Quoted(KADENZO_TC);
  for (const std::string& argument : arguments) command += ' ' + Quoted(argument);
  command += " <" + Quoted(in) + " >" + Quoted(out) + " 2>" + Quoted(err);
  const int status = std::system(command.c_str());
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
  for (const std::string& file : {in, out, err}) std::remove(file.c_str());
  return outcome;
}

TEST(KadenzoTcTest, ExitStatusTellsAScriptWhatHappened) {
  struct Case {
    std::vector<std::string> arguments;
    std::string input;
    int status;
    std::string out;  // all of it
    std::string err;  // a part of it
  } cases[] = {
      {{"--rate", "29.97", "--df", "1800"}, "", 0, "00:01:00;02\n", ""},
      {{"--rate", "29.97", "--df"}, "1800\n107892", 0, "00:01:00;02\n01:00:00;00\n", ""},
      {{"--rate", "29.97", "00:01:00;00"}, "", 1, "", "argument 1, column 1: 00:01:00;00 does not exist"},
      {{"--rate", "29.97"}, "1800\n00:01:00;00\n", 1, "00:01:00:00\n", "line 2, column 1:"},
      {{"1800", "+", "25", "3600", "1:2:3:45"}, "", 1, "00:01:00:25\n00:02:00:00\n", "argument 5, column 7: frame 45"},
      {{"--rate", "23.976", "--df", "1"}, "", 2, "", "23.976 fps has no drop-frame time code"},
      {{"--rate", "0"}, "1\n", 2, "", "--rate: '0' is not a frame rate"},
      {{"--rate", "48", "--to", "elapsed", "1"}, "", 2, "", "--to elapsed"},
      {{"--to", "hours", "1"}, "", 2, "", "--to"},
      {{"--frobnicate"}, "", 2, "", "--frobnicate"},
      {{"--df", "--ndf", "1"}, "", 2, "", "--ndf"},
  };
  for (const Case& c : cases) {
    const Outcome outcome = RunCommand(c.arguments, c.input);
    SCOPED_TRACE(testing::PrintToString(c.arguments));
    EXPECT_EQ(outcome.status, c.status);
    EXPECT_EQ(outcome.out, c.out);
    EXPECT_NE(outcome.err.find(c.err), std::string::npos) << outcome.err;
  }
}

// A bad line costs only itself: the results of the others stay in order,
// and in JSON and CSV every line of input has its record, so that the output
// can be laid beside the input.
TEST(KadenzoTcTest, BadLinesKeepTheOutputAlignedWithTheInput) {
  const std::string input =
      "1800\n"
      "00:01:00;00\n"  // skipped by drop-frame counting
      "17982\r\n"
      "\n"
      "12:34:56:30\n"  // frame 30 at a timebase of 30
      "\"quoted\", \xff\xfe bytes\n" +
      std::string(5000, '1') + "\n" + "00:10:00;00 - 1";
  const std::vector<int> good = {1, 3, 8};

  const Outcome text = RunCommand({"--rate", "29.97", "--df"}, input);
  EXPECT_EQ(text.status, 1);
  EXPECT_EQ(text.out, "00:01:00;02\n00:10:00;00\n00:09:59;29\n");
  const std::vector<std::string> errors = Lines(text.err);
  ASSERT_EQ(errors.size(), 5u) << text.err;
  EXPECT_EQ(errors[0].rfind("kadenzo-tc: line 2, column 1: 00:01:00;00 does not exist in drop-frame", 0), 0u);
  EXPECT_EQ(errors[2].rfind("kadenzo-tc: line 5, column 10: frame 30 does not exist at 29.97 fps", 0), 0u);
  EXPECT_EQ(errors[4], "kadenzo-tc: line 7: longer than 4096 bytes");

  const Outcome json = RunCommand({"--rate", "29.97", "--df", "--format", "json"}, input);
  const std::vector<std::string> records = Lines(json.out);
  ASSERT_EQ(records.size(), 8u);
  for (std::size_t i = 0; i < records.size(); ++i) {
    const int line = static_cast<int>(i) + 1;
    nlohmann::json record;
    ASSERT_NO_THROW(record = nlohmann::json::parse(records[i])) << records[i];
    if (std::find(good.begin(), good.end(), line) != good.end()) {
      EXPECT_TRUE(record["drop_frame"].get<bool>());
      EXPECT_EQ(record["rate"], "29.97");
    } else {
      EXPECT_EQ(record["line"], line);
      EXPECT_TRUE(record.contains("error"));
    }
  }
  EXPECT_EQ(nlohmann::json::parse(records[0])["seconds"].get<double>(), 60.06);
  EXPECT_EQ(nlohmann::json::parse(records[5])["input"], "\"quoted\", \uFFFD\uFFFD bytes");

  const Outcome csv = RunCommand({"--rate", "29.97", "--df", "--format", "csv"}, input);
  const std::vector<std::string> rows = Lines(csv.out);
  ASSERT_EQ(rows.size(), 9u);
  EXPECT_EQ(rows[0], "input,frames,timecode,seconds,rate,drop_frame,error");
  EXPECT_EQ(rows[3], "17982,17982,00:10:00;00,599.999400,29.97,true,");
  EXPECT_EQ(rows[4].rfind(",,,,,,\"line 4, column 1: ", 0), 0u);
}

// What the window shows for a count, written by the command: the same
// conversion, at each of the window's rates, on counts right across 32 bits.
TEST(KadenzoTcTest, ElapsedTimeIsWhatTheWindowShows) {
  const struct {
    const char* rate;
    FrameRate window;
  } rates[] = {{"23.976", kRate23_976}, {"24", kRate24}, {"25", kRate25}, {"29.97", kRate29_97}, {"30", kRate30}};
  std::mt19937 random(20261209);
  std::vector<std::uint32_t> counts = {0, 23, 24, 29, 30, 1800, 4290672329u, 4294967295u};
  while (counts.size() < 2000) counts.push_back(static_cast<std::uint32_t>(random()));
  std::string input;
  for (const std::uint32_t count : counts) input += std::to_string(count) + '\n';
  for (const auto& rate : rates) {
    const Outcome outcome = RunCommand({"--rate", rate.rate, "--to", "elapsed"}, input);
    const std::vector<std::string> lines = Lines(outcome.out);
    ASSERT_EQ(lines.size(), counts.size()) << rate.rate;
    for (std::size_t i = 0; i < counts.size(); ++i) {
      const TimeFields time = FramesToTime(counts[i], rate.window);
      char expected[48];
      std::snprintf(expected, sizeof expected, "%u:%02u:%02u:%02u", time.hours, time.minutes, time.seconds,
                    time.frames);
      ASSERT_EQ(lines[i], expected) << counts[i] << " at " << rate.rate;
    }
  }
}

// A program on the other end of two pipes writes a question and waits for
// its answer: each answer must arrive while the input stays open.
TEST(KadenzoTcTest, AnswersEachLineBeforeTheNextArrives) {
  int toChild[2], fromChild[2];
  ASSERT_EQ(pipe(toChild), 0);
  ASSERT_EQ(pipe(fromChild), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(toChild[0], 0);
    dup2(fromChild[1], 1);
    close(toChild[1]);
    close(fromChild[0]);
    execl(KADENZO_TC, KADENZO_TC, "--rate", "29.97", "--df", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  for (const auto& [question, answer] : {std::pair{"1800\n", "00:01:00;02\n"}, {"17982\n", "00:10:00;00\n"}}) {
    ASSERT_EQ(write(toChild[1], question, std::strlen(question)), static_cast<ssize_t>(std::strlen(question)));
    pollfd ready{fromChild[0], POLLIN, 0};
    ASSERT_EQ(poll(&ready, 1, 10000), 1) << "no answer to " << question;
    char text[64] = {};
    ASSERT_GT(read(fromChild[0], text, sizeof text - 1), 0);
    EXPECT_STREQ(text, answer);
  }
  close(toChild[1]);
  close(fromChild[0]);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace kadenzo
