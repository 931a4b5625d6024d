#include "app/device_txt.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "testing/temporary_directory.h"

namespace updater {
namespace {

struct LookupRow {
  const char* name;
  std::string text;
  std::string key;
  std::size_t maximum;
  KeyStatus status;
  std::string value;
};

TEST(LookupKey, ValueLengthsAndHostileTokens) {
  const std::string longKey(255, 'k');
  const std::string tooLongKey(256, 'k');
  const std::string value252(252, 'v');
  const std::string value253(253, 'v');
  const LookupRow rows[] = {
      {"value of the maximum length", "K = \"abcd\";", "K", 4, KeyStatus::keyFound, "abcd"},
      {"value one past the maximum", "K = \"abcde\";", "K", 4, KeyStatus::keyNotFound, ""},
      {"semicolon third: found with no characters", "K = \"a;\"", "K", 4, KeyStatus::keyFound, ""},
      {"key of 255 bytes", longKey + " = \"v\";", longKey, 4, KeyStatus::keyFound, "v"},
      {"token of 256 bytes never equals a key", tooLongKey + " = \"v\";", tooLongKey, 4, KeyStatus::keyNotFound, ""},
      {"long token does not split into a key", std::string(300, 'a') + "K = \"v\";", "K", 4,
       KeyStatus::keyNotFound, ""},
      {"value token of 255 bytes", "K = \"" + value252 + "\";", "K", 256, KeyStatus::keyFound, value252},
      {"value token of 256 bytes", "K = \"" + value253 + "\";", "K", 256, KeyStatus::keyNotFound, ""},
      {"blank value grown past 255 bytes", "K = \" " + value253 + "\";", "K", 256, KeyStatus::keyNotFound, ""},
      {"quote never closed", "K = \"a b c", "K", 4, KeyStatus::keyNotFound, ""},
      {"quote closed at the end of the file", "K = \"a b\"", "K", 4, KeyStatus::keyNotFound, ""},
      {"NUL inside a key token", std::string("K\0 = \"v\";", 9), "K", 4, KeyStatus::keyNotFound, ""},
      {"NUL inside a value is kept", std::string("K = \"a\0b\";", 10), "K", 4, KeyStatus::keyFound,
       std::string("a\0b", 3)},
      {"high bytes are ordinary characters", "K = \"\xA0\xFF\";", "K", 4, KeyStatus::keyFound, "\xA0\xFF"},
      {"form feed and vertical tab are white space", "K\f=\v\"v\";", "K", 4, KeyStatus::keyFound, "v"},
      {"empty file", "", "K", 4, KeyStatus::keyNotFound, ""},
  };
  for (const auto& row : rows) {
    const DeviceTxt file = deviceTxtFromBytes(row.text);
    const KeyLookup lookup = lookupKey(file, row.key, row.maximum);
    EXPECT_EQ(lookup.status, row.status) << row.name;
    EXPECT_EQ(lookup.value(), row.value) << row.name;
    EXPECT_EQ(lookup.count, row.value.size()) << row.name;
  }
}

TEST(LookupKey, ValueTokenKeepsWhatFollowsTheSemicolon) {
  const DeviceTxt spaced = deviceTxtFromBytes("K = \"a b\";c d");
  EXPECT_EQ(lookupKey(spaced, "K", 4).token, "\"a b\";");
  const DeviceTxt joined = deviceTxtFromBytes("K = \"ab\";c d");
  EXPECT_EQ(lookupKey(joined, "K", 4).token, "\"ab\";c");
}

TEST(LookupKey, UnopenedFileGivesNoFile) {
  const DeviceTxt missing;
  EXPECT_EQ(lookupKey(missing, "VID", 4).status, KeyStatus::keyNoFile);
}

TEST(DeviceTxtFile, ReadsAsTextModeAndRefusesWhatIsNoFile) {
  TemporaryDirectory directory;
  EXPECT_FALSE(readDeviceTxt(directory.path()).opened);
  directory.writeFile("DEVICE.TXT", std::string("a\r\nb\r\r\n\0c\r", 10));
  const DeviceTxt file = readDeviceTxt(directory.path());
  EXPECT_TRUE(file.opened);
  EXPECT_EQ(file.text, std::string("a\nb\r\n\0c\r", 8));

  directory.writeFile("DEVICE.TXT", std::string(kDeviceTxtMaxBytes, 'x'));
  EXPECT_TRUE(readDeviceTxt(directory.path()).opened);
  directory.writeFile("DEVICE.TXT", std::string(kDeviceTxtMaxBytes + 1, 'x'));
  EXPECT_FALSE(readDeviceTxt(directory.path()).opened) << "above the limit";

  directory.remove("DEVICE.TXT");
  std::filesystem::create_directory(directory.path() / "DEVICE.TXT");
  EXPECT_FALSE(readDeviceTxt(directory.path()).opened);
  directory.remove("DEVICE.TXT");
  // Opening a FIFO for reading would wait for a writer forever.
  ASSERT_EQ(::mkfifo((directory.path() / "DEVICE.TXT").c_str(), 0644), 0);
  EXPECT_FALSE(readDeviceTxt(directory.path()).opened);
}

TEST(HexDigitValue, DigitsAndEverythingElse) {
  const std::pair<char, int> rows[] = {
      {'0', 0},  {'9', 9}, {'A', 10}, {'F', 15}, {'a', 10}, {'f', 15}, {'G', 0},    {'g', 0},
      {'/', 0},  {':', 0}, {'@', 0},  {'`', 0},  {',', 0},  {' ', 0},  {'\0', 0}, {'\xFF', 0},
  };
  for (const auto& [character, value] : rows) {
    EXPECT_EQ(hexDigitValue(character), value) << "character " << int(static_cast<unsigned char>(character));
    EXPECT_EQ(isHexDigit(character), value != 0 || character == '0') << int(static_cast<unsigned char>(character));
  }
}

}  // namespace
}  // namespace updater
