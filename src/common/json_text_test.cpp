#include "common/json_text.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(JsonText, TextsBecomePlainAsciiStringsByteForByte) {
  const struct {
    const char* what;
    std::string bytes;
    std::string json;
  } kRows[] = {
      {"plain", "Generic", R"("Generic")"},
      {"empty", "", R"("")"},
      {"quote and backslash", "a\"b\\c", R"("a\"b\\c")"},
      {"control bytes", std::string("\x01\n\x1f", 3), R"("\u0001\u000a\u001f")"},
      {"NUL", std::string("a\0b", 3), R"("a\u0000b")"},
      {"DEL and bytes above it", "\x7f\x80\xe9\xff", R"("\u007f\u0080\u00e9\u00ff")"},
      {"a slash stays", "a/b", R"("a/b")"},
  };
  for (const auto& row : kRows) EXPECT_EQ(jsonString(row.bytes), row.json) << row.what;
}

TEST(JsonText, BytesAreHexDigitPairsWithBlanksBetween) {
  const std::vector<Byte> bytes = {0x06, 0xB0, 0x00, 0xFF};
  EXPECT_EQ(jsonHexBytes(bytes), R"("06 b0 00 ff")");
  EXPECT_EQ(jsonHexBytes({}), R"("")");
}

TEST(JsonText, BlocksPutEachItemOnALineOfItsOwn) {
  const std::vector<std::string> members = {jsonMember("a", "1"),
                                            jsonMember("b", jsonInlineObject({jsonMember("c", "true")}))};
  EXPECT_EQ(jsonBlock('{', members, '}', 2), "{\n    \"a\": 1,\n    \"b\": {\"c\": true}\n  }");
  EXPECT_EQ(jsonBlock('[', {}, ']', 4), "[]");
}

}  // namespace
}  // namespace updater
