// The command line: LIST values, the forms that are accepted, and the one
// usage error line for each thing the parser refuses.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "numeric/decimal.h"

using namespace kalvorden;

namespace {

Quad Q(const char* text) {
  Quad value = 0;
  EXPECT_TRUE(ParseDecimal(text, &value)) << text;
  return value;
}

Fault Parse(std::vector<std::string> arguments, CommandLine& line) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  return ParseCommandLine(argv, line);
}

const std::vector<std::string> kLists = {"--wheel-load", "72.5", "--top-cover", "50",   "--paving",
                                         "1.5",          "--fs", "165",         "--fc", "10"};

std::vector<std::string> WithLists(std::vector<std::string> more) {
  std::vector<std::string> arguments = kLists;
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

}  // namespace

TEST(ParseValueList, ItemsAndRefusals) {
  const std::pair<const char*, std::vector<const char*>> accepted[] = {
      {"72.5", {"72.5"}},
      {"72.5,80", {"72.5", "80"}},
      {" 72.5, 80\t", {"72.5", "80"}},
      {"1,2,3,4,5", {"1", "2", "3", "4", "5"}},
      {"0.5,1e2,+3,0", {"0.5", "100", "3", "0"}},
      {"0.1000000000000000000000000000000000000001",
       {"0.1000000000000000000000000000000000000001"}},
  };
  for (const auto& [text, values] : accepted) {
    ValueList list;
    EXPECT_EQ(ParseValueList(ValueListOf(ValueListId::kWheelLoad), text, list), "") << text;
    ASSERT_EQ(list.count, static_cast<int32_t>(values.size())) << text;
    for (size_t i = 0; i < values.size(); ++i) {
      EXPECT_TRUE(list.values[i] == Q(values[i])) << text << " item " << i;
    }
  }
  const std::pair<const char*, const char*> refused[] = {
      {"", "item 1 is empty"},
      {"72.5,", "item 2 is empty"},
      {",72.5", "item 1 is empty"},
      {"1,,2", "item 2 is empty"},
      {"1,2,3,4,5,6", "more than 5 values"},
      {"72.5kN", "item 1 is not a number"},
      {"1, ,2", "item 2 is empty"},
      {"1;2", "item 1 is not a number"},
      {"abc", "item 1 is not a number"},
      {"1,inf", "item 2 is not a number"},
      {"nan", "item 1 is not a number"},
      {"0x10", "item 1 is not a number"},
      {"1e5000", "item 1 is not finite"},
      {"1,-0.5", "item 2 must not be negative"},
  };
  for (const auto& [text, why] : refused) {
    ValueList list{1, {Q("7")}};
    EXPECT_EQ(ParseValueList(ValueListOf(ValueListId::kWheelLoad), text, list), why) << text;
    EXPECT_EQ(list.count, 1) << "a refused list leaves the old one: " << text;
  }
}

TEST(ParseCommandLine, AcceptedForms) {
  CommandLine line;
  ASSERT_TRUE(Parse({}, line).ok());
  EXPECT_TRUE(line.UsesDialogue());
  EXPECT_EQ(line.command, Command::kDesign);

  ASSERT_TRUE(Parse({"--text", "r.txt", "--exact"}, line).ok());
  EXPECT_TRUE(line.UsesDialogue());
  EXPECT_EQ(line.textFile, "r.txt");
  EXPECT_TRUE(line.exact);

  ASSERT_TRUE(
      Parse(WithLists({"--output=r.rpt", "--overwrite", "--continuity", "--wheel-load", "60,75"}),
            line)
          .ok());
  EXPECT_FALSE(line.UsesDialogue());
  EXPECT_EQ(line.reportFile, "r.rpt");
  EXPECT_TRUE(line.overwrite && line.request.continuity && !line.exact);
  EXPECT_EQ(line.request.lists[0].count, 2);  // the last --wheel-load counts
  EXPECT_TRUE(line.request.lists[0].values[1] == Q("75"));
  EXPECT_TRUE(line.request.lists[4].values[0] == Q("10"));

  ASSERT_TRUE(Parse({"--pdf", "r.pdf"}, line).ok());
  EXPECT_EQ(line.pdfFile, "r.pdf");
  EXPECT_EQ(line.request.paper, kalvorden::PaperSize::kA4);
  ASSERT_TRUE(
      Parse(WithLists({"--output", "r", "--pdf", "r.pdf", "--paper", "letter"}), line).ok());
  EXPECT_EQ(line.request.paper, kalvorden::PaperSize::kLetter);

  // A project file gives the values; the options given replace its own.
  ASSERT_TRUE(Parse({"--project", "p.toml", "--output", "r", "--fc", "12", "--no-continuity",
                     "--designer", "J\xC3\xBCrgen", "--span", "2.9100"},
                    line)
                  .ok());
  EXPECT_FALSE(line.UsesDialogue());
  EXPECT_EQ(line.projectFile, "p.toml");
  EXPECT_TRUE(line.listGiven[4] && !line.listGiven[0]);
  EXPECT_TRUE(line.continuityGiven && !line.request.continuity);
  EXPECT_TRUE(line.identityGiven[2] && !line.identityGiven[0]);
  EXPECT_EQ(line.request.identity.designer, "J\xC3\xBCrgen");
  EXPECT_EQ(line.request.span, "2.91");
  // The bridge's span and the identity go with the dialogue too.
  ASSERT_TRUE(Parse({"--span", "2.9", "--title", "Deck"}, line).ok());
  EXPECT_TRUE(line.UsesDialogue() && line.request.fromDialogue);
  EXPECT_EQ(line.request.span, "2.9");

  for (const char* help : {"--help", "--he"}) {
    ASSERT_TRUE(Parse({help, "--fs", "x"}, line).ok()) << help;
    EXPECT_EQ(line.command, Command::kHelp);
  }
  ASSERT_TRUE(Parse({"--version"}, line).ok());
  EXPECT_EQ(line.command, Command::kVersion);
  EXPECT_EQ(VersionText().rfind("kalvorden ", 0), 0u);
}

TEST(ParseCommandLine, UsageErrorsNameTheOptionOrValue) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"--bogus"}, "unknown or ambiguous option \"--bogus\": see kalvorden --help"},
      {{"-x"}, "unknown or ambiguous option \"-x\": see kalvorden --help"},
      {{"--o", "r"}, "unknown or ambiguous option \"--o\": see kalvorden --help"},
      {{"design"}, "unexpected argument \"design\": see kalvorden --help"},
      {{"--text"}, "option --text: needs a value (FILE)"},
      {{"--text", ""}, "option --text: the file name is empty"},
      {{"--exact=yes"}, "option --exact: takes no value"},
      {{"--fs", "165,17O"}, "option --fs \"165,17O\": item 2 is not a number"},
      {{"--fc", "1\n2\x1b"}, "option --fc \"1\\x0A2\\x1B\": item 1 is not a number"},
      {{"--paving", "1,2,3,4,5,6"}, "option --paving \"1,2,3,4,5,6\": more than 5 values"},
      {{"--wheel-load", "72.5"}, "option --top-cover missing: the five list options go together"},
      {{"--wheel-load", "1", "--top-cover", "1", "--paving", "1", "--fs", "1", "--output", "r"},
       "option --fc missing: the five list options go together"},
      {kLists, "option --output missing: the list options need a report file"},
      {{"--output", "r.rpt"},
       "option --output: only with the five list options (the dialogue asks for it)"},
      {{"--continuity"},
       "option --continuity: only with the five list options (the dialogue asks for it)"},
      {{"--overwrite"},
       "option --overwrite: only with the five list options (the dialogue asks for it)"},
      {{"--text", "-"}, "option --text -: standard output carries the dialogue"},
      {{"--csv", "-"}, "option --csv -: standard output carries the dialogue"},
      {WithLists({"--output", "r", "--csv", "-", "--text", "-"}),
       "options --csv and --text: both name \"-\""},
      {WithLists({"--output", "r", "--text", "r"}), "options --output and --text: both name \"r\""},
      {{"--pdf", "-"}, "option --pdf \"-\": a PDF goes to a file"},
      {{"--pdf", "r.pdf", "--paper", "a3"}, "option --paper \"a3\": a4 or letter"},
      {{"--paper", "letter"}, "option --paper: only with --pdf"},
      {WithLists({"--output", "r", "--pdf", "r"}), "options --output and --pdf: both name \"r\""},
      {WithLists({"--output", "r", "extra"}),
       "unexpected argument \"extra\": see kalvorden --help"},
      {{"--project", "p.toml"}, "option --output missing: a project run needs a report file"},
      {{"--project", ""}, "option --project: the file name is empty"},
      {{"--no-continuity"},
       "option --no-continuity: only with the five list options (the dialogue asks for it)"},
      {WithLists({"--output", "r", "--span", "3.76"}),
       "option --span \"3.76\": outside the effective spans the design covers, 1.000 to 3.750 m"},
      {WithLists({"--output", "r", "--checker", "B.\tChecker"}),
       "option --checker: the text holds a control character (a line break, a tab or the like): "
       "one line of text"},
      {WithLists({"--output", "r", "--title", "\xC3("}),
       "option --title: the text is not valid UTF-8"},
      {WithLists({"--output", "r", "--revision", std::string(21, 'A')}),
       "option --revision: the text is longer than 20 characters"},
  };
  for (const auto& [arguments, message] : cases) {
    CommandLine line;
    const Fault fault = Parse(arguments, line);
    EXPECT_EQ(fault.number, 64) << message;
    EXPECT_EQ(FormatFault(fault), "kalvorden: error (64): usage error, " + message);
  }
}

TEST(UsageText, ListsEveryOption) {
  const std::string text = UsageText();
  for (const char* option :
       {"--wheel-load LIST", "--top-cover LIST", "--paving LIST",   "--fs LIST",
        "--fc LIST",         "--continuity",     "--output FILE",   "--overwrite",
        "--csv FILE",        "--text FILE",      "--pdf FILE",      "--paper SIZE",
        "--exact",           "--help",           "--version",       "--project FILE",
        "--title TEXT",      "--bridge TEXT",    "--designer TEXT", "--checker TEXT",
        "--revision TEXT",   "--notes TEXT",     "--no-continuity", "--span S"}) {
    EXPECT_NE(text.find(std::string("\n  ") + option + " "), std::string::npos) << option;
  }
  size_t start = 0;
  for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  }
}
