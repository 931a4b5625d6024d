#include "jobs/serial_counter.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "jobs/file_replacement.h"
#include "testing/program_harness.h"
#include "testing/temporary_directory.h"

namespace updater {

void PrintTo(const SerialCounter& c, std::ostream* out) {
  *out << std::hex << "{cem 0x" << c.cem << ", pc 0x" << c.pc << ", cnt 0x" << c.cnt << "}" << std::dec;
}

namespace {

std::string text(const SerialNumber& number) { return std::string(number.begin(), number.end()); }

class SerialFile : public ::testing::Test {
 protected:
  SerialFile() { program().workingDirectory = directory.path(); }

  Program& program() { return *harness.program; }
  std::string serialFile() const { return directory.readFile(kSerialFileName); }

  TemporaryDirectory directory;
  ProgramHarness harness;
};

struct ReadRow {
  const char* name;
  std::string contents;
  SerialCounter before;
  SerialLoadResult result;
  SerialCounter after;
};

const SerialCounter kInMemory{0x01, 0x02, 0x0003};

TEST_F(SerialFile, ReadsTheNumbersAsTheCRuntimeScanDoes) {
  const ReadRow rows[] = {
      {"written form", "0x12 0x34 0x6 ", {}, SerialLoadResult::Ok, {0x12, 0x34, 0x6}},
      {"bare hexadecimal", "12 34 ffff", {}, SerialLoadResult::Ok, {0x12, 0x34, 0xFFFF}},
      {"upper case and prefixes", "0XfF 0xAb FFFF\r\n", {}, SerialLoadResult::Ok, {0xFF, 0xAB, 0xFFFF}},
      {"lines and tabs between", "\n\t12\r\n34\n\n5\n", {}, SerialLoadResult::Ok, {0x12, 0x34, 0x5}},
      {"zeros", "0 0 0", kInMemory, SerialLoadResult::Ok, {0, 0, 0}},
      {"signs", "+12 -0 +5", {}, SerialLoadResult::Ok, {0x12, 0, 0x5}},
      {"leading zeros do not count as size", "0000000000000012 0 0", {}, SerialLoadResult::Ok, {0x12, 0, 0}},
      {"text after the third number", "1 2 3 and more", {}, SerialLoadResult::Ok, {1, 2, 3}},
      {"only cem after start-up", "12", {}, SerialLoadResult::Ok, {0x12, 0, 0}},
      {"only cem keeps the rest", "12", kInMemory, SerialLoadResult::Ok, {0x12, 0x02, 0x0003}},
      {"empty file keeps everything", "", kInMemory, SerialLoadResult::Ok, kInMemory},
      {"only white space", " \r\n", kInMemory, SerialLoadResult::Ok, kInMemory},
      {"commas stop the scan", "12,34,56", kInMemory, SerialLoadResult::Ok, {0x12, 0x02, 0x0003}},
      {"prefix without digits converts nothing", "0xg 1 2", kInMemory, SerialLoadResult::Ok, kInMemory},
      {"sign without digits converts nothing", "- 1 2", kInMemory, SerialLoadResult::Ok, kInMemory},
      {"largest accepted", "ff ff ffff", {}, SerialLoadResult::Ok, {0xFF, 0xFF, 0xFFFF}},
      {"cem 0x100", "0x100 0 0", kInMemory, SerialLoadResult::NotCorrect, kInMemory},
      {"pc 0x100", "0 100 0", kInMemory, SerialLoadResult::NotCorrect, kInMemory},
      {"cnt 0x10000", "0 0 10000", kInMemory, SerialLoadResult::NotCorrect, kInMemory},
      {"negative", "-1 0 0", kInMemory, SerialLoadResult::NotCorrect, kInMemory},
      {"32 bits, out of range", "ffffffff 0 0", kInMemory, SerialLoadResult::NotCorrect, kInMemory},
      {"more than 32 bits", "100000000 0 0", kInMemory, SerialLoadResult::NotCorrect, kInMemory},
      {"more than 32 bits that wrap to a small value", "0 0 100000001", kInMemory,
       SerialLoadResult::NotCorrect, kInMemory},
      {"too large, then a failed read", "1 123456789abcdef x", kInMemory, SerialLoadResult::NotCorrect,
       kInMemory},
      {"remembered cnt is range-checked with the rest", "12", {0, 0, 0x10000}, SerialLoadResult::NotCorrect,
       {0, 0, 0x10000}},
  };
  for (const auto& row : rows) {
    directory.writeFile(kSerialFileName, row.contents);
    program().serialCounter = row.before;
    EXPECT_EQ(loadSerialCounter(program().workingDirectory, program().serialCounter), row.result) << row.name;
    EXPECT_EQ(program().serialCounter, row.after) << row.name;

    SerialCounter inMemory = row.before;
    EXPECT_EQ(parseSerialCounter(row.contents, inMemory), row.result) << row.name << " (text)";
    EXPECT_EQ(inMemory, row.after) << row.name << " (text)";
  }
}

TEST_F(SerialFile, MissingFileCannotBeOpenedAndKeepsTheCounter) {
  program().serialCounter = kInMemory;
  const SerialLoadResult result = loadSerialCounter(program().workingDirectory, program().serialCounter);
  EXPECT_EQ(result, SerialLoadResult::CannotOpen);
  EXPECT_EQ(serialLoadMessage(result), "Error!!!  Can Not Open Serial.txt !!!");
  EXPECT_EQ(program().serialCounter, kInMemory);
}

TEST_F(SerialFile, DirectoryOrFifoInPlaceOfTheFileIsNotOpened) {
  const auto path = directory.path() / kSerialFileName;
  std::filesystem::create_directory(path);
  EXPECT_EQ(loadSerialCounter(program().workingDirectory, program().serialCounter), SerialLoadResult::CannotOpen);
  std::filesystem::remove(path);
  // Opening a FIFO for reading would wait for a writer forever.
  ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
  EXPECT_EQ(loadSerialCounter(program().workingDirectory, program().serialCounter), SerialLoadResult::CannotOpen);
}

TEST_F(SerialFile, FileAboveTheLimitIsNoCounter) {
  const std::string numbers = "0x12 0x34 0x6";
  directory.writeFile(kSerialFileName, numbers + std::string(kSerialFileMaxBytes - numbers.size(), ' '));
  EXPECT_EQ(loadSerialCounter(program().workingDirectory, program().serialCounter), SerialLoadResult::Ok);
  EXPECT_EQ(program().serialCounter, (SerialCounter{0x12, 0x34, 0x6}));

  program().serialCounter = kInMemory;
  directory.writeFile(kSerialFileName, numbers + std::string(kSerialFileMaxBytes - numbers.size() + 1, ' '));
  EXPECT_EQ(loadSerialCounter(program().workingDirectory, program().serialCounter), SerialLoadResult::NotCorrect);
  EXPECT_EQ(program().serialCounter, kInMemory);
}

TEST_F(SerialFile, OutOfRangeMessage) {
  directory.writeFile(kSerialFileName, "0x100 0 0");
  EXPECT_EQ(serialLoadMessage(loadSerialCounter(program().workingDirectory, program().serialCounter)),
            "Error!!! CEM,PC,SERIAL Not Correct !!!");
  EXPECT_EQ(serialLoadMessage(SerialLoadResult::Ok), "");
}

TEST(SerialCounterText, WrittenFormHasABlankAfterEachNumberAndNoLineEnd) {
  EXPECT_EQ(serialCounterText({0x12, 0x34, 0x6}), "0x12 0x34 0x6 ");
  EXPECT_EQ(serialCounterText({0, 0, 0}), "0x0 0x0 0x0 ");
  EXPECT_EQ(serialCounterText({0xFF, 0xAB, 0xFFFF}), "0xff 0xab 0xffff ");
}

TEST(SerialCounterAdvance, CountsUpAndWrapsAtSixteenBits) {
  SerialCounter counter{0x12, 0x34, 0x1234};
  advanceSerialCounter(counter);
  EXPECT_EQ(counter, (SerialCounter{0x12, 0x34, 0x1235}));
  counter.cnt = 0xFFFF;
  advanceSerialCounter(counter);
  EXPECT_EQ(counter, (SerialCounter{0x12, 0x34, 0}));
}

TEST_F(SerialFile, AdvancedCounterIsWrittenBackAndReadsTheSame) {
  directory.writeFile(kSerialFileName, "12 34 ffff");
  ASSERT_EQ(loadSerialCounter(program().workingDirectory, program().serialCounter), SerialLoadResult::Ok);
  advanceSerialCounter(program().serialCounter);
  EXPECT_EQ(saveSerialCounter(harness.machine, program().workingDirectory, program().serialCounter),
            SerialSaveResult::Ok);
  EXPECT_EQ(serialFile(), "0x12 0x34 0x0 ");
  EXPECT_FALSE(directory.exists("SERIAL.TXT.new"));

  ProgramHarness next;
  next.program->workingDirectory = directory.path();
  EXPECT_EQ(loadSerialCounter(next.program->workingDirectory, next.program->serialCounter), SerialLoadResult::Ok);
  EXPECT_EQ(next.program->serialCounter, (SerialCounter{0x12, 0x34, 0}));
}

TEST_F(SerialFile, SaveCreatesAMissingFile) {
  program().serialCounter = {0x12, 0x34, 0x6};
  EXPECT_EQ(saveSerialCounter(harness.machine, program().workingDirectory, program().serialCounter),
            SerialSaveResult::Ok);
  EXPECT_EQ(serialFile(), "0x12 0x34 0x6 ");
}

TEST_F(SerialFile, FailedSaveLeavesTheOldFileWholeAndSaysSo) {
  directory.writeFile(kSerialFileName, "0x12 0x34 0x6 ");
  // Something the staging file cannot be written over, standing for a full
  // disk or a failing write.
  std::filesystem::create_directories(directory.path() / "SERIAL.TXT.new" / "occupied");
  program().serialCounter = {0x12, 0x34, 0x7};

  const SerialSaveResult result =
      saveSerialCounter(harness.machine, program().workingDirectory, program().serialCounter);
  EXPECT_EQ(result, SerialSaveResult::CannotSave);
  EXPECT_EQ(serialSaveMessage(result), "nError!!! Cannot save [SERIAL.TXT], program terminate");
  EXPECT_EQ(serialFile(), "0x12 0x34 0x6 ");
  EXPECT_EQ(program().serialCounter, (SerialCounter{0x12, 0x34, 0x7})) << "the advance stays in memory";

  // Once the obstacle is gone the next save goes through.
  std::filesystem::remove_all(directory.path() / "SERIAL.TXT.new");
  EXPECT_EQ(saveSerialCounter(harness.machine, program().workingDirectory, program().serialCounter),
            SerialSaveResult::Ok);
  EXPECT_EQ(serialFile(), "0x12 0x34 0x7 ");
}

TEST_F(SerialFile, MissingWorkingDirectoryCannotBeSaved) {
  program().workingDirectory = directory.path() / "gone";
  EXPECT_EQ(saveSerialCounter(harness.machine, program().workingDirectory, program().serialCounter),
            SerialSaveResult::CannotSave);
  EXPECT_FALSE(std::filesystem::exists(directory.path() / "gone"));
}

TEST_F(SerialFile, CrashBetweenWriteAndRenameLeavesTheOldFileWhole) {
  directory.writeFile(kSerialFileName, "0x12 0x34 0x6 ");
  ASSERT_EQ(loadSerialCounter(program().workingDirectory, program().serialCounter), SerialLoadResult::Ok);
  advanceSerialCounter(program().serialCounter);

  // What saveSerialCounter does, up to the moment of the crash.
  const auto target = directory.path() / kSerialFileName;
  ASSERT_TRUE(stageReplacement(harness.machine, target, serialCounterText(program().serialCounter)));

  EXPECT_EQ(serialFile(), "0x12 0x34 0x6 ");
  ProgramHarness restarted;
  restarted.program->workingDirectory = directory.path();
  ASSERT_EQ(loadSerialCounter(restarted.program->workingDirectory, restarted.program->serialCounter),
            SerialLoadResult::Ok);
  EXPECT_EQ(restarted.program->serialCounter, (SerialCounter{0x12, 0x34, 0x6}));

  // The restarted program's first save goes over the leftover staging file.
  advanceSerialCounter(restarted.program->serialCounter);
  EXPECT_EQ(saveSerialCounter(restarted.machine, restarted.program->workingDirectory, restarted.program->serialCounter),
            SerialSaveResult::Ok);
  EXPECT_EQ(serialFile(), "0x12 0x34 0x7 ");
  EXPECT_FALSE(directory.exists("SERIAL.TXT.new"));
}

struct SerialNumberRow {
  const char* name;
  SerialCounter counter;
  LocalDate date;
  const char* expected;
};

TEST(SerialNumber, PacksCounterAndDateIntoTwelveHexDigits) {
  const SerialNumberRow rows[] = {
      {"25 December 2007", {0x12, 0x34, 5}, {2007, 12, 25}, "127C19340005"},
      {"day 15 leaves bit 0 of character 5 clear", {}, {2007, 1, 15}, "00710F000000"},
      {"day 16 sets bit 0 of character 5", {}, {2007, 1, 16}, "007110000000"},
      {"day 31", {}, {2007, 1, 31}, "00711F000000"},
      {"year 2016", {}, {2016, 6, 1}, "000621000000"},
      {"year 2016 on the 30th", {}, {2016, 6, 30}, "00063E000000"},
      {"largest 7-bit year", {}, {2127, 12, 20}, "00FCF4000000"},
      {"year 2000 (refused before this by the job)", {}, {2000, 1, 1}, "000101000000"},
      {"letters are upper case", {0xAB, 0xCD, 0xEF12}, {2010, 10, 10}, "ABAA0ACDEF12"},
      {"counter at its limits", {0xFF, 0xFF, 0xFFFF}, {2009, 9, 9}, "FF9909FFFFFF"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(text(makeSerialNumber(row.counter, row.date)), row.expected) << row.name;
  }
}

}  // namespace
}  // namespace updater
